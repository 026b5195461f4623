// A sibling module as a test host hands one out: it lives as long as the test, counts no
// references and does nothing of its own beyond the interface the test gives it.
#pragma once
#include "host/App.h"

namespace TestSupport {

template <class Interface>
class TestModule : public Interface {
public:
    int addRef() override { return 1; }
    int release() override { return 1; }
    bool getInfo(Host::ModuleInfo&) override { return true; }
    int hostQuery(int, int) override { return 0; }
    int initialize(Host::IApp*, XStringW&) override { return 0; }
    void uninitialize() override {}
};

} // namespace TestSupport

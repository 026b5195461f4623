// Base of the sibling modules built into the client: name and caption for getInfo, and the
// module operations that have nothing to do for most of them.
#pragma once
#include "common/RefCounted.h"
#include "host/Modules.h"

namespace HostShell {

template <class Interface>
class BuiltInModule : public Common::RefCounted<Interface> {
public:
    bool getInfo(Host::ModuleInfo& info) override
    {
        info.name = name_;
        info.caption = caption_;
        info.version = 1;
        info.flags = 0;
        return true;
    }
    int hostQuery(int, int) override { return 0; }
    int initialize(Host::IApp*, XStringW&) override { return 0; }
    void uninitialize() override {}
    const XStringA& name() const { return name_; }

protected:
    BuiltInModule(const char* name, const wchar_t* caption) : name_(name), caption_(caption) {}

private:
    const XStringA name_;
    const XStringW caption_;
};

} // namespace HostShell

// A loaded theme: immutable after loading, so any thread may read it.
#pragma once
#include "ThemeFile.h"
#include "common/RefCounted.h"
#include "hostapi/ThemeHost.h"

namespace Kernel {

class Theme final : public Common::RefCounted<Host::IThemeHost> {
public:
    Theme(std::string name, ThemeData data) : name_(std::move(name)), data_(std::move(data)) {}

    XStringA getName() override { return name_; }
    bool getColor(const XStringA& key, COLORREF& out) override;
    bool getFont(const XStringA& key, Host::FontSpec& out) override;
    bool getResource(const XStringA& key, const void*& bytes, unsigned& size, int reserved) override;
    int getInt(const XStringA& key) override;

private:
    const std::string name_;
    const ThemeData data_;
};

} // namespace Kernel

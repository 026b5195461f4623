#include "ConfValue.h"
#include "ComponentRegistry.h"
#include "common/RefCounted.h"
#include <cmath>
#include <cstdio>
#include <cwchar>

namespace {

class ConfValue final : public Common::RefCounted<Host::IConfValue> {
public:
    explicit ConfValue(std::wstring text) : text_(std::move(text)) {}

    XStringW getString() override { return text_; }
    void setString(const XStringW& text) override { text_ = text; }

    // The whole text, blanks around it aside, must be a finite number; anything else
    // (empty, "abc", "1.5x", "nan") is 0, so a damaged value cannot become a NaN zoom.
    double getDouble() override
    {
        const wchar_t* begin = text_.c_str();
        while (iswspace(*begin)) ++begin;
        if (!*begin) return 0;
        wchar_t* end = nullptr;
        double value = wcstod(begin, &end);
        if (end == begin) return 0;
        while (iswspace(*end)) ++end;
        if (*end || !std::isfinite(value)) return 0;
        return value;
    }

    // The shortest text that reads back as the same number: 1.2 is stored as "1.2".
    void setDouble(double value) override
    {
        wchar_t buffer[40];
        for (int digits = 15; digits <= 17; ++digits) {
            swprintf(buffer, 40, L"%.*g", digits, value);
            if (wcstod(buffer, nullptr) == value) break;
        }
        text_ = buffer;
    }

private:
    std::wstring text_;
};

IXUnknown* createConfValue() { return new ConfValue(std::wstring()); }

} // namespace

KERNEL_COMPONENT("Conf.ConfValue", createConfValue);

namespace Kernel {

XComPtr<Host::IConfValue> makeConfValue(const std::wstring& text)
{
    return XComPtr<Host::IConfValue>::adopt(new ConfValue(text));
}

} // namespace Kernel

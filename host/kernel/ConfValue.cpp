#include "ConfValue.h"
#include "ComponentRegistry.h"
#include "ContractMode.h"
#include "common/RefCounted.h"
#include <cmath>
#include <cstdio>
#include <cwchar>

namespace {

class ConfValue final : public Common::RefCounted<Host::IConfValueHost> {
public:
    explicit ConfValue(std::wstring text) : text_(std::move(text)) {}

    XStringW getString() override
    {
        Kernel::contractCall("IConfValue::getString");
        return text_;
    }
    void setString(const XStringW& text) override
    {
        Kernel::contractCall("IConfValue::setString");
        text_ = text;
    }

    // The whole text, blanks around it aside, must be a finite number; anything else
    // (empty, "abc", "1.5x", "nan") is 0, so a damaged value cannot become a NaN zoom.
    double getDouble() override
    {
        Kernel::contractCall("IConfValue::getDouble");
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

    const std::wstring& text() const { return text_; }

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

IXUnknown* createConfValue() { return static_cast<Host::IConfValueHost*>(new ConfValue(std::wstring())); }

} // namespace

KERNEL_COMPONENT("Conf.ConfValue", createConfValue);

namespace Kernel {

XComPtr<Host::IConfValueHost> makeConfValue(const std::wstring& text)
{
    return XComPtr<Host::IConfValueHost>::adopt(new ConfValue(text));
}

std::wstring confValueText(Host::IConfValue* value)
{
    if (auto* mine = dynamic_cast<ConfValue*>(value)) return mine->text();
    return value ? std::wstring(value->getString()) : std::wstring();
}

} // namespace Kernel

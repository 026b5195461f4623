#include "Theme.h"
#include "ContractMode.h"

namespace Kernel {

bool Theme::getColor(const XStringA& key, COLORREF& out)
{
    Kernel::contractCall("ITheme::getColor");
    auto it = data_.colors.find(key);
    if (it == data_.colors.end()) return false;
    out = it->second;
    return true;
}

bool Theme::getFont(const XStringA& key, Host::FontSpec& out)
{
    Kernel::contractCall("ITheme::getFont");
    auto it = data_.fonts.find(key);
    if (it == data_.fonts.end()) return false;
    out = it->second;
    return true;
}

bool Theme::getResource(const XStringA& key, const void*& bytes, unsigned& size, int)
{
    Kernel::contractCall("ITheme::getResource");
    auto it = data_.resources.find(key);
    if (it == data_.resources.end()) return false;
    bytes = it->second.data();
    size = unsigned(it->second.size());
    return true;
}

int Theme::getInt(const XStringA& key)
{
    Kernel::contractCall("ITheme::getInt");
    auto it = data_.ints.find(key);
    return it == data_.ints.end() ? 0 : it->second;
}

} // namespace Kernel

// Colour themes: colours, fonts, integers and images by key.
#pragma once
#include "host/IXUnknown.h"
#include <windows.h>

namespace Host {

// The client's interface names what a font record carries but not its layout; this is
// ours, and a client that lays it out otherwise would hand the module a different record.
struct FontSpec {
    XStringW face;
    int size = 0; // points, as SetHeaderFont takes it
    bool bold = false;
    bool italic = false;
    bool underline = false;
    // The same font as XML attributes for a header item, e.g.
    // font-family="宋体" font-size="12" font-style="bold"
    XStringW xmlAttributes;
};

struct ITheme : IXUnknown {
    // False, with out untouched, for a key the theme lacks.
    virtual bool getColor(const XStringA& key, COLORREF& out) = 0;
    virtual bool getFont(const XStringA& key, FontSpec& out) = 0;
    // Bytes owned by the theme, valid while the theme lives.
    virtual bool getResource(const XStringA& key, const void*& bytes, unsigned& size, int reserved) = 0;
    virtual int getInt(const XStringA& key) = 0; // 0 for a missing key
};

struct IThemeMgr : IXUnknown {
    virtual XComPtr<ITheme> getCurrentTheme() = 0;
};

} // namespace Host

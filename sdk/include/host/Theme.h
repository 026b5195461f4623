// Colour themes: colours, fonts, integers and images by key.
#pragma once
#include "host/IXUnknown.h"
#include <windows.h>

namespace Host {

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
    virtual XStringA getName() = 0;
    // False, with out untouched, for a key the theme lacks.
    virtual bool getColor(const XStringA& key, COLORREF& out) = 0;
    virtual bool getFont(const XStringA& key, FontSpec& out) = 0;
    // Bytes owned by the theme, valid while the theme lives.
    virtual bool getResource(const XStringA& key, const void*& bytes, unsigned& size, int reserved) = 0;
    virtual int getInt(const XStringA& key) = 0; // 0 for a missing key
};

struct IThemeMgr : IXUnknown {
    virtual XComPtr<ITheme> getCurrentTheme() = 0;
    virtual int getThemeCount() = 0;
    virtual XComPtr<ITheme> getTheme(int index) = 0;
    // Makes the named theme current and fires "event_theme_changed" with it.
    virtual bool setCurrentTheme(const XStringA& name) = 0;
};

} // namespace Host

// The records the filter bar keeps: configured columns, conditions shown as buttons and the
// value items of its last menu; and the text helpers it needs (keyword splitting, the
// GB2312 order of offered values).
#pragma once
#include "filter/MultiValueFilter.h"
#include "filter/NumericFilter.h"
#include "host/Data.h"
#include "ui/DropDownButton.h"
#include <vector>

namespace ClosedFund {

// How a stored value reads on screen (a company without its pinyin initial, say).
typedef XStringW (*ShownValueFn)(const XStringW& stored);

// One column the bar searches and, when collect is set, offers values of.
struct FilterColumn {
    XStringW name;    // a column of the fund table
    XStringW caption; // its display name
    XStringW prefix;  // put before chosen values in a button caption
    bool collect = false;
    bool multi = false;
    ShownValueFn shown = nullptr; // null: values read as stored
};

// One condition on the bar, shown as a drop-down button. Its button window keeps a pointer
// to it as user data, so the record must not move while it lives (the bar keeps a list).
struct FilterCondition {
    bool standing = false; // a configured column slot: cleared, it rests instead of going
    bool locked = false;   // never removed, offers no remove item
    WGUI::DropDownButton button;
    int id = 0;       // the button's control id
    XStringW column;  // empty for a keyword condition
    XStringW value;   // the value last applied
    XStringW caption; // the column caption: a standing condition's resting text
    XStringW prefix;
    XComPtr<Host::IDataFilter> filter; // null while a standing condition rests
    bool multi = false;
    bool hidden = false; // no room on the bar: reached through the "+N" button

    // The filter as a value filter, or null (none, or a keyword filter).
    MultiValueFilter* valueFilter() const { return dynamic_cast<MultiValueFilter*>(filter.get()); }
    // The filter as a numeric filter, or null.
    NumericFilter* numericFilter() const { return dynamic_cast<NumericFilter*>(filter.get()); }
};

// One value offered in a menu, kept until the next menu is built.
struct ValueMenuItem {
    XStringW column;
    XStringW value;
    XStringW prefix;
    XStringW caption;
    bool multi = false;
};

// Orders texts by their GB2312 bytes, which puts Chinese names in pinyin order. Texts whose
// bytes are equal (characters GB2312 lacks all become the same replacement byte) are told
// apart by their UTF-16 code units, so no distinct value is ever dropped as a duplicate.
struct GbLess {
    bool operator()(const XStringW& a, const XStringW& b) const;
};

// Splits typed text into keywords at spaces and tabs (an ideographic space is an ordinary
// character). Duplicates stay; empty text or only separators gives none.
std::vector<XStringW> SplitKeywords(const XStringW& text);

// The texts in order with the separator between them.
XStringW JoinTexts(const std::vector<XStringW>& texts, const wchar_t* separator);

} // namespace ClosedFund

// How one grid column turns cells into text and colour, read once from the column's header
// element: sortable, value type, value format and the theme colour key of its text.
#pragma once
#include "controls/HeaderInfo2.h"
#include "grid/ValueFormater.h"
#include "host/Theme.h"
#include <memory>

namespace ClosedFund {

class ColumnFormat {
public:
    // Read from a header element (through the column record that carries it); the colour is
    // looked up in theme when the column names a key and there is a theme.
    ColumnFormat(const Control::HeaderInfo2& column, Host::ITheme* theme);
    ColumnFormat(const ColumnFormat&) = delete;
    ColumnFormat& operator=(const ColumnFormat&) = delete;
    ~ColumnFormat() = default;

    // Host value types: 0 text, 1 real, 2 integer.
    int DataType() const { return dataType_; }
    bool Sortable() const { return sortable_; }
    const XStringA& ColorKey() const { return colorKey_; }
    COLORREF Color() const { return color_; }
    // Reads the colour again from another theme (a theme without the key keeps it).
    void ReadColor(Host::ITheme* theme);
    // The cell's text by the column's formatter; "--" for no cell or a null one.
    XStringW Format(Host::IColumnItem* cellOrNull);
    // Stored texts the column shows as "--" or blank through a value substitution (the "no
    // expiry" date "0001-01-01"): they sort with the empty values, not by what is stored.
    std::vector<Common::XStringW> PlaceholderTexts() const;

private:
    int dataType_ = Host::VALUE_TEXT;
    bool sortable_ = true;
    XStringA colorKey_;
    COLORREF color_ = 0;
    std::unique_ptr<ValueFormater<double>> real_;
    std::unique_ptr<ValueFormater<int>> integer_;
    std::unique_ptr<ValueFormater<Common::XStringW>> text_;
};

// The value type a data_type attribute names: only its first letter counts ("d" real,
// "i" integer, anything else text).
int dataTypeOf(const XStringW& dataTypeAttribute);

} // namespace ClosedFund

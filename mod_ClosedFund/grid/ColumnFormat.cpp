#include "grid/ColumnFormat.h"

namespace ClosedFund {

int dataTypeOf(const XStringW& dataTypeAttribute)
{
    if (dataTypeAttribute.empty()) return Host::VALUE_TEXT;
    if (dataTypeAttribute[0] == L'd') return Host::VALUE_REAL;
    if (dataTypeAttribute[0] == L'i') return Host::VALUE_INT;
    return Host::VALUE_TEXT;
}

// The formatter's result is not checked: a format that fails part-way formats with what it set.
ColumnFormat::ColumnFormat(const Control::HeaderInfo2& column, Host::ITheme* theme)
{
    XStringW value;
    sortable_ = !(column.GetAttribute(L"sortable", value) && value == L"false");
    column.GetAttribute(L"data_type", value);
    dataType_ = dataTypeOf(value);
    XStringW format;
    column.GetAttribute(L"text_format", format);
    column.GetAttribute(L"text_color", value);
    colorKey_ = Common::toNarrow(value, "UTF-8");
    if (dataType_ == Host::VALUE_REAL) {
        real_ = std::make_unique<ValueFormater<double>>();
        real_->SetFormat(format);
    } else if (dataType_ == Host::VALUE_INT) {
        integer_ = std::make_unique<ValueFormater<int>>();
        integer_->SetFormat(format);
    } else {
        text_ = std::make_unique<ValueFormater<Common::XStringW>>();
        text_->SetFormat(format);
    }
    ReadColor(theme);
}

void ColumnFormat::ReadColor(Host::ITheme* theme)
{
    if (!colorKey_.empty() && theme) theme->getColor(colorKey_, color_);
}

XStringW ColumnFormat::Format(Host::IColumnItem* cellOrNull)
{
    if (real_) return real_->Format(cellOrNull);
    if (integer_) return integer_->Format(cellOrNull);
    return text_->Format(cellOrNull);
}

namespace {

bool isPlaceholder(const XStringW& shown)
{
    size_t begin = shown.find_first_not_of(L" \t");
    if (begin == XStringW::npos) return true;
    size_t end = shown.find_last_not_of(L" \t");
    return shown.compare(begin, end - begin + 1, L"--") == 0;
}

} // namespace

// Number columns store numbers, which the sorter orders as numbers whatever their text
// shows; only a text column's substitutions name stored texts.
std::vector<XStringW> ColumnFormat::PlaceholderTexts() const
{
    std::vector<XStringW> texts;
    if (!text_) return texts;
    for (const auto& entry : text_->substitutions())
        if (isPlaceholder(entry.second)) texts.push_back(entry.first);
    return texts;
}

} // namespace ClosedFund

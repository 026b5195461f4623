// Column storage of the data table.
#include "DataColumn.h"
#include "DataValue.h"
#include <cmath>
#include <cstring>

namespace Kernel {

void DataColumn::reserve(size_t rows)
{
    classes_.reserve(rows);
    slots_.reserve(rows);
}

void DataColumn::resize(size_t rows)
{
    classes_.resize(rows, STORE_NULL);
    slots_.resize(rows, 0);
}

void DataColumn::clear()
{
    classes_.clear();
    slots_.clear();
    arena_.clear();
}

double DataColumn::realAt(size_t row) const
{
    double value;
    std::memcpy(&value, &slots_[row], sizeof value);
    return value;
}

TextRef DataColumn::textAt(size_t row) const
{
    if (classes_[row] != STORE_TEXT) return {L"", 0};
    size_t at = size_t(slots_[row]);
    const wchar_t* p = arena_.data() + at;
    size_t length = size_t(uint16_t(p[0])) | size_t(uint16_t(p[1])) << 16;
    return {p + 2, length};
}

void DataColumn::setNull(size_t row)
{
    classes_[row] = STORE_NULL;
    slots_[row] = 0;
}

void DataColumn::setInt(size_t row, int64_t value)
{
    classes_[row] = STORE_INT;
    slots_[row] = value;
}

void DataColumn::setReal(size_t row, double value)
{
    if (std::isnan(value)) {
        setNull(row);
        return;
    }
    classes_[row] = STORE_REAL;
    std::memcpy(&slots_[row], &value, sizeof value);
}

// A rewritten text is appended; the old copy stays in the arena until the rows are
// cleared, which every refill does.
void DataColumn::setText(size_t row, const wchar_t* text, size_t length)
{
    if (!text) length = 0;
    if (length > 0xffffffffu) length = 0xffffffffu;
    size_t at = arena_.size();
    arena_.push_back(wchar_t(length & 0xffff));
    arena_.push_back(wchar_t(length >> 16));
    if (length) arena_.insert(arena_.end(), text, text + length);
    classes_[row] = STORE_TEXT;
    slots_[row] = int64_t(at);
}

XStringW DataColumn::readText(size_t row) const
{
    switch (storage(row)) {
    case STORE_INT: return std::to_wstring(slots_[row]);
    case STORE_REAL: return formatReal(realAt(row));
    case STORE_TEXT: {
        TextRef t = textAt(row);
        return XStringW(t.chars, t.length);
    }
    default: return XStringW();
    }
}

void DataColumn::readTextInto(size_t row, std::wstring& out) const
{
    if (storage(row) != STORE_TEXT) {
        out = readText(row);
        return;
    }
    TextRef t = textAt(row);
    out.assign(t.chars, t.length);
}

double DataColumn::readReal(size_t row) const
{
    switch (storage(row)) {
    case STORE_INT: return double(slots_[row]);
    case STORE_REAL: return realAt(row);
    case STORE_TEXT: {
        TextRef t = textAt(row);
        return leadingReal(t.chars, t.length);
    }
    default: return 0.0;
    }
}

int64_t DataColumn::readInt(size_t row) const
{
    switch (storage(row)) {
    case STORE_INT: return slots_[row];
    case STORE_REAL: return realToInt64(realAt(row));
    case STORE_TEXT: {
        TextRef t = textAt(row);
        return leadingInt64(t.chars, t.length);
    }
    default: return 0;
    }
}

} // namespace Kernel

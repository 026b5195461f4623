// Column storage of the data table.
#include "DataColumn.h"
#include "DataValue.h"
#include <cmath>
#include <cstring>
#include <cwchar>

namespace Kernel {

namespace {

// Interning is given up when a column holds this many distinct texts and nearly every text
// written was new (codes, names): a hash of a million unique texts would cost more than it
// saves. A column of up to kMaxInterned distinct texts that repeat stays interned.
const size_t kInternTrial = 4096;
const size_t kMaxInterned = 65536;

size_t hashText(const wchar_t* text, size_t length)
{
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < length; ++i) h = (h ^ uint16_t(text[i])) * 16777619u;
    return size_t(h ^ uint32_t(length));
}

} // namespace

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
    internSlots_.clear();
    distinctTexts_ = 0;
    textsWritten_ = 0;
    interning_ = true;
}

void DataColumn::compact()
{
    classes_.shrink_to_fit();
    slots_.shrink_to_fit();
    arena_.shrink_to_fit();
}

size_t DataColumn::bytesHeld() const
{
    return classes_.capacity() + slots_.capacity() * sizeof(int64_t) + arena_.capacity() * sizeof(wchar_t) +
           internSlots_.capacity() * sizeof(uint32_t);
}

double DataColumn::realAt(size_t row) const
{
    double value;
    std::memcpy(&value, &slots_[row], sizeof value);
    return value;
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

// A rewritten text is appended (or found, while interning); the old copy stays in the arena
// until the rows are cleared, which every refill does.
void DataColumn::setText(size_t row, const wchar_t* text, size_t length)
{
    if (!text) length = 0;
    if (length > 0xffffffffu) length = 0xffffffffu;
    size_t at = interning_ ? internText(text, length) : appendText(text, length);
    classes_[row] = STORE_TEXT;
    slots_[row] = int64_t(at);
}

size_t DataColumn::appendText(const wchar_t* text, size_t length)
{
    size_t at = arena_.size();
    arena_.push_back(wchar_t(length & 0xffff));
    arena_.push_back(wchar_t(length >> 16));
    if (length) arena_.insert(arena_.end(), text, text + length);
    return at;
}

bool DataColumn::sameText(size_t at, const wchar_t* text, size_t length) const
{
    TextRef stored = storedText(arena_.data() + at);
    return stored.length == length && (length == 0 || std::wmemcmp(stored.chars, text, length) == 0);
}

// The offset of an equal text already stored, or of the text appended now.
size_t DataColumn::internText(const wchar_t* text, size_t length)
{
    ++textsWritten_;
    if (internSlots_.empty()) internSlots_.assign(1024, 0);
    size_t mask = internSlots_.size() - 1;
    size_t slot = hashText(text, length) & mask;
    for (; internSlots_[slot]; slot = (slot + 1) & mask) {
        size_t at = internSlots_[slot] - 1;
        if (sameText(at, text, length)) return at;
    }
    size_t at = appendText(text, length);
    bool crowded = distinctTexts_ >= kInternTrial && distinctTexts_ * 8 > textsWritten_ * 7;
    if (crowded || distinctTexts_ >= kMaxInterned || arena_.size() >= 0xffffffffu) {
        interning_ = false;
        std::vector<uint32_t>().swap(internSlots_);
        return at;
    }
    internSlots_[slot] = uint32_t(at + 1);
    if (++distinctTexts_ * 2 > internSlots_.size()) growInternTable();
    return at;
}

void DataColumn::growInternTable()
{
    std::vector<uint32_t> old;
    old.swap(internSlots_);
    internSlots_.assign(old.size() * 2, 0);
    size_t mask = internSlots_.size() - 1;
    for (uint32_t entry : old) {
        if (!entry) continue;
        TextRef t{arena_.data() + entry - 1 + 2, 0};
        const wchar_t* p = arena_.data() + entry - 1;
        t.length = size_t(uint16_t(p[0])) | size_t(uint16_t(p[1])) << 16;
        size_t slot = hashText(t.chars, t.length) & mask;
        while (internSlots_[slot]) slot = (slot + 1) & mask;
        internSlots_[slot] = entry;
    }
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

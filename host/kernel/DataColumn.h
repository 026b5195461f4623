// One column of a data table, stored compactly for tables of up to a million rows: a
// storage-class byte and an 8-byte slot per cell (the integer, the real's bits, or the offset
// of the text), and every text of the column in one arena of UTF-16 code units. A column of
// few distinct texts (types, styles, companies, dates) keeps each of them once: cells that
// hold the same text share its offset.
#pragma once
#include "TextArena.h"
#include "host/IXUnknown.h"
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kernel {

// What a cell holds, as SQLite gives it: the value is kept, conversion happens on read.
enum StorageClass : uint8_t { STORE_NULL = 0, STORE_INT = 1, STORE_REAL = 2, STORE_TEXT = 3 };

// A text inside the arena: valid until the column is next written.
struct TextRef {
    const wchar_t* chars;
    size_t length;
};

class DataColumn {
public:
    DataColumn(const XStringW& name, int valueType) : name_(name), valueType_(valueType) {}

    const XStringW& name() const { return name_; }
    int valueType() const { return valueType_; }
    void setValueType(int type) { valueType_ = type; }

    // Rows: all cells of new rows are NULL; clear drops every row and every text.
    void reserve(size_t rows);
    void resize(size_t rows);
    void clear();
    // Room for this many UTF-16 code units of stored text (lengths included), and how many
    // the column holds now.
    void reserveText(size_t units)
    {
        arena_.reserve(units);
        reservedUnits_ = units;
    }
    size_t textUnits() const { return arena_.size(); }
    // Gives back the spare capacity growth left behind; a fill calls it once when complete.
    // Text room reserved since the last call is kept this once: a staging table is compacted
    // when the query is in, and its computed columns are written into that room after.
    void compact();
    size_t size() const { return classes_.size(); }
    // Bytes held for cells and texts, spare capacity included.
    size_t bytesHeld() const;

    StorageClass storage(size_t row) const { return StorageClass(classes_[row]); }
    int64_t intAt(size_t row) const { return slots_[row]; }
    double realAt(size_t row) const;
    // Empty for a cell that is not text. Inline: filters and sorters call it once per row.
    TextRef textAt(size_t row) const
    {
        if (classes_[row] != STORE_TEXT) return {L"", 0};
        return storedText(arena_.data() + size_t(slots_[row]));
    }
    // The column's arrays as they are now, for a loop over many rows that reads them through
    // local pointers (writes through its output would otherwise make it reload the vectors):
    // valid until the column is next written.
    struct Cells {
        const uint8_t* classes;
        const int64_t* slots;
        const wchar_t* arena;
    };
    Cells cells() const { return {classes_.data(), slots_.data(), arena_.data()}; }
    // The text stored at p: two code units of length, then the text.
    static TextRef storedText(const wchar_t* p)
    {
        return {p + 2, size_t(uint16_t(p[0])) | size_t(uint16_t(p[1])) << 16};
    }
    // Where a text cell's text lives in the arena: cells with equal offsets hold one text.
    size_t textOffset(size_t row) const { return size_t(slots_[row]); }
    // True while equal texts are stored once (the column has few distinct texts).
    bool interned() const { return interning_; }

    void setNull(size_t row);
    void setInt(size_t row, int64_t value);
    void setReal(size_t row, double value); // NaN is stored as NULL, as SQLite does
    void setText(size_t row, const wchar_t* text, size_t length);
    // A new last row holding the value; a UTF-8 text is converted straight into the arena.
    void appendNull();
    void appendInt(int64_t value);
    void appendReal(double value); // NaN is stored as NULL
    void appendUtf8(const char* text, size_t bytes);

    // Reads converting the stored value, as sqlite3_column_text16/double/int64 do.
    XStringW readText(size_t row) const;
    // The same text written into out, reusing its buffer (no allocation for stored texts).
    void readTextInto(size_t row, std::wstring& out) const;
    double readReal(size_t row) const;
    int64_t readInt(size_t row) const;

private:
    size_t appendText(const wchar_t* text, size_t length);
    size_t internAppended(size_t at, const wchar_t* text, size_t length);
    bool sameText(size_t at, const wchar_t* text, size_t length) const;
    void growInternTable();

    XStringW name_;
    int valueType_;
    std::vector<uint8_t> classes_;
    std::vector<int64_t> slots_;
    // Each text is two code units of length (low, high) followed by its code units.
    TextArena arena_;
    // Open-addressed set of arena offsets (plus one; 0 is a free slot) of distinct texts.
    // Interning stops for good, until the next clear, once the column has many distinct texts.
    std::vector<uint32_t> internSlots_;
    size_t distinctTexts_ = 0;
    size_t reservedUnits_ = 0; // text room a refill reserved, kept by the next compact
    static constexpr size_t kNoText = ~size_t(0);
    size_t lastText_ = kNoText; // the offset of the text last interned
    bool interning_ = true;
};

} // namespace Kernel

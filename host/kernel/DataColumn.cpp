// Column storage of the data table.
#include "DataColumn.h"
#include "DataValue.h"
#include <cmath>
#include <cstring>
#include <cwchar>

namespace Kernel {

namespace {

// Interning is given up for good once a column holds this many distinct texts: codes and
// names, and also net values and dates of tens of thousands of values. Their lookup table
// and texts outgrow the processor's cache, and a fill then waits on memory for every cell
// (a reload of 10^5 funds took a third longer) to save a few bytes per cell. Types,
// styles, companies and the data date stay well below it.
const size_t kMaxInterned = 4096;

// One multi-byte sequence starting at s, with left bytes to go: the bytes it takes and its
// code point in code, or 0 when it is malformed (overlong, a surrogate, past U+10FFFF, cut
// short).
inline size_t decodeSequence(const unsigned char* s, size_t left, uint32_t& code)
{
    unsigned char c = s[0];
    int extra = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
    if (extra == 0 || left <= size_t(extra)) return 0;
    code = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if ((s[k] & 0xC0) != 0x80) return 0;
        code = (code << 6) | (s[k] & 0x3F);
    }
    if (extra == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) return 0;
    if (extra == 3 && (code < 0x10000 || code > 0x10FFFF)) return 0;
    return size_t(extra) + 1;
}

inline wchar_t* putCodePoint(wchar_t* o, uint32_t code)
{
    if (code < 0x10000) {
        *o++ = wchar_t(code);
        return o;
    }
    code -= 0x10000;
    *o++ = wchar_t(0xD800 + (code >> 10));
    *o++ = wchar_t(0xDC00 + (code & 0x3FF));
    return o;
}

// UTF-8 into UTF-16 at out, which has room for n units; returns the units written. A
// malformed sequence becomes U+FFFD. Plain ASCII, which codes, dates and numbers are, goes
// eight bytes at a time.
size_t decodeUtf8(const unsigned char* s, size_t n, wchar_t* out)
{
    wchar_t* o = out;
    size_t i = 0;
    while (i < n) {
        uint64_t eight;
        if (n - i >= 8 && (std::memcpy(&eight, s + i, 8), (eight & 0x8080808080808080ull) == 0)) {
            for (int k = 0; k < 8; ++k) o[k] = wchar_t(s[i + k]);
            o += 8;
            i += 8;
            continue;
        }
        if (s[i] < 0x80) {
            *o++ = wchar_t(s[i++]);
            continue;
        }
        uint32_t code = 0;
        size_t taken = decodeSequence(s + i, n - i, code);
        if (taken == 0) {
            *o++ = wchar_t(0xFFFD);
            ++i;
            continue;
        }
        o = putCodePoint(o, code);
        i += taken;
    }
    return size_t(o - out);
}

// Four code units at a time: the texts are short, and the table's slot is the low bits.
size_t hashText(const wchar_t* text, size_t length)
{
    uint64_t h = 0x9E3779B97F4A7C15ull ^ length;
    size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        uint64_t word;
        std::memcpy(&word, text + i, sizeof word);
        h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, text + i, (length - i) * sizeof(wchar_t));
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
    return size_t(h ^ (h >> 29));
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
    lastText_ = kNoText;
    interning_ = true;
}

void DataColumn::compact()
{
    classes_.shrink_to_fit();
    slots_.shrink_to_fit();
    arena_.shrinkTo(reservedUnits_);
    reservedUnits_ = 0;
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
    size_t at = appendText(text, length);
    if (interning_) at = internAppended(at, arena_.data() + at + 2, length);
    classes_[row] = STORE_TEXT;
    slots_[row] = int64_t(at);
}

void DataColumn::appendNull()
{
    classes_.push_back(STORE_NULL);
    slots_.push_back(0);
}

void DataColumn::appendInt(int64_t value)
{
    classes_.push_back(STORE_INT);
    slots_.push_back(value);
}

void DataColumn::appendReal(double value)
{
    if (std::isnan(value)) {
        appendNull();
        return;
    }
    int64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    classes_.push_back(STORE_REAL);
    slots_.push_back(bits);
}

// A text is decoded straight into the arena, behind its two units of length, in room for
// as many units as it has UTF-8 bytes (no text takes more), and keeps what it took. Where
// that room would pass the arena's capacity it is decoded beside it first: a refill that
// reserved what the last fill held (Chinese takes three bytes for one unit) then does not
// double its arena for the last few texts.
void DataColumn::appendUtf8(const char* text, size_t bytes)
{
    if (!text) bytes = 0;
    if (bytes > 0xffffffffu) bytes = 0xffffffffu;
    auto utf8 = reinterpret_cast<const unsigned char*>(text);
    size_t at = arena_.size();
    const wchar_t* stored;
    size_t length;
    if (2 + bytes > arena_.capacity() - at) {
        std::vector<wchar_t> decoded(bytes);
        length = decodeUtf8(utf8, bytes, decoded.data());
        appendText(decoded.data(), length);
        stored = arena_.data() + at + 2;
    } else {
        wchar_t* room = arena_.room(2 + bytes);
        length = decodeUtf8(utf8, bytes, room + 2);
        room[0] = wchar_t(length & 0xffff);
        room[1] = wchar_t(length >> 16);
        arena_.commit(2 + length);
        stored = room + 2;
    }
    if (interning_) at = internAppended(at, stored, length);
    classes_.push_back(STORE_TEXT);
    slots_.push_back(int64_t(at));
}

size_t DataColumn::appendText(const wchar_t* text, size_t length)
{
    size_t at = arena_.size();
    const wchar_t header[2] = {wchar_t(length & 0xffff), wchar_t(length >> 16)};
    arena_.append(header, 2);
    arena_.append(text, length);
    return at;
}

// A plain loop: the texts compared are a few code units long, too short for a call.
bool DataColumn::sameText(size_t at, const wchar_t* text, size_t length) const
{
    TextRef stored = storedText(arena_.data() + at);
    if (stored.length != length) return false;
    for (size_t i = 0; i < length; ++i)
        if (stored.chars[i] != text[i]) return false;
    return true;
}

// The text just appended at the arena's end, at offset at (text is a copy of it outside
// the arena): where an equal text is stored already, the appended one is dropped and that
// text's offset returned; otherwise at. Equal neighbours (a data date, a type in a run of
// funds of one type) are found without a lookup.
size_t DataColumn::internAppended(size_t at, const wchar_t* text, size_t length)
{
    if (lastText_ < at && sameText(lastText_, text, length)) {
        arena_.truncate(at);
        return lastText_;
    }
    if (internSlots_.empty()) internSlots_.assign(1024, 0);
    size_t mask = internSlots_.size() - 1;
    size_t slot = hashText(text, length) & mask;
    for (; internSlots_[slot]; slot = (slot + 1) & mask) {
        size_t earlier = internSlots_[slot] - 1;
        if (sameText(earlier, text, length)) {
            arena_.truncate(at);
            lastText_ = earlier;
            return earlier;
        }
    }
    if (distinctTexts_ >= kMaxInterned || arena_.size() >= 0xffffffffu) {
        interning_ = false;
        std::vector<uint32_t>().swap(internSlots_);
        return at;
    }
    internSlots_[slot] = uint32_t(at + 1);
    lastText_ = at;
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

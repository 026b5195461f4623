// The field sorter's ordering.
#include "DataSortKeys.h"
#include "DataColumn.h"
#include "DataTable.h"
#include "DataValue.h"
#include "DataView.h"
#include <windows.h>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace Kernel {

namespace {

// Below this many numbers a comparison sort is quicker than the radix sort's eight counts.
const size_t kRadixLeast = 2048;

// GB2312's code page: its byte order puts the common Chinese characters in pinyin order.
const UINT kSortCodePage = 936;

// The table that finally holds a container's rows, with rows turned into that table's row
// indexes (-1 for a row a view no longer has). Null for a container not made here.
DataTable* tableBehind(Host::IDataContainer* container, std::vector<int>& rows)
{
    XComPtr<Host::IDataContainer> at(container);
    while (at) {
        if (auto* table = dynamic_cast<DataTable*>(at.get())) return table;
        auto* view = dynamic_cast<DataView*>(at.get());
        if (!view) return nullptr;
        for (int& row : rows) row = row < 0 ? -1 : view->sourceIndexAt(row);
        at = view->source();
    }
    return nullptr;
}

// The bytes as one big-endian number, zero-padded: unequal prefixes order as the bytes do.
uint64_t prefixOf(const char* bytes, size_t length)
{
    uint64_t prefix = 0;
    for (size_t i = 0; i < 8; ++i) prefix = prefix << 8 | (i < length ? uint8_t(bytes[i]) : 0);
    return prefix;
}

} // namespace

FieldOrder::FieldOrder(const std::vector<std::wstring>* placeholders, bool descending)
    : placeholders_(placeholders && !placeholders->empty() ? placeholders : nullptr), descending_(descending)
{}

void FieldOrder::sort(Host::IDataContainer* container, int column, int* rows, int count)
{
    std::vector<int> tableRows(rows, rows + count);
    DataTable* table = tableBehind(container, tableRows);
    DataColumn* cells = table ? table->column(column) : nullptr;
    XComPtr<Host::IColumnItem> columnItem = cells ? XComPtr<Host::IColumnItem>() : container->getColumn(column);
    int type = cells ? cells->valueType() : (columnItem ? columnItem->getValueType() : Host::VALUE_TEXT);
    bool numeric = type == Host::VALUE_REAL || type == Host::VALUE_INT;
    numbers_.reserve(size_t(count));
    if (cells)
        readColumn(*cells, numeric, tableRows);
    else
        readItems(container, column, numeric, rows, count);
    sortGroups();

    std::vector<int> in(rows, rows + count);
    int* out = rows;
    auto putNumbers = [&] {
        for (const NumberKey& k : numbers_) *out++ = in[size_t(k.position)];
    };
    auto putTexts = [&] {
        for (const TextKey& k : texts_) *out++ = in[size_t(k.position)];
    };
    if (descending_) {
        putTexts();
        putNumbers();
    } else {
        putNumbers();
        putTexts();
    }
    for (int position : empties_) *out++ = in[size_t(position)];
}

// Numbers are read as they are stored; only texts need reading, and a column whose texts
// repeat classifies each distinct text once.
void FieldOrder::readColumn(const DataColumn& cells, bool numeric, const std::vector<int>& tableRows)
{
    const int count = int(tableRows.size());
    const bool repeats = cells.interned();
    for (int i = 0; i < count; ++i) {
        int row = tableRows[size_t(i)];
        if (row < 0 || size_t(row) >= cells.size()) {
            empties_.push_back(i);
            continue;
        }
        switch (cells.storage(size_t(row))) {
        case STORE_INT: addNumber(double(cells.intAt(size_t(row))), i); break;
        case STORE_REAL: {
            double value = cells.realAt(size_t(row));
            if (numeric || std::isfinite(value)) {
                addNumber(value, i);
            } else {
                XStringW text = formatReal(value);
                addText(text.c_str(), text.size(), numeric, i);
            }
            break;
        }
        case STORE_TEXT: {
            TextRef t = cells.textAt(size_t(row));
            if (!repeats) {
                addText(t.chars, t.length, numeric, i);
                break;
            }
            auto found = byOffset_.find(cells.textOffset(size_t(row)));
            if (found == byOffset_.end())
                found = byOffset_.emplace(cells.textOffset(size_t(row)), classify(t.chars, t.length, numeric)).first;
            add(found->second, i);
            break;
        }
        default: empties_.push_back(i);
        }
    }
}

// A container made elsewhere is read through its cells, as any client would.
void FieldOrder::readItems(Host::IDataContainer* container, int column, bool numeric, const int* rows, int count)
{
    for (int i = 0; i < count; ++i) {
        XComPtr<Host::IDataRow> row = container->getRow(rows[i]);
        XComPtr<Host::IColumnItem> item = row ? row->getItemAt(column) : XComPtr<Host::IColumnItem>();
        if (!item || item->isNull()) {
            empties_.push_back(i);
            continue;
        }
        XStringW text = item->getText();
        Classified c = classify(text.c_str(), text.size(), numeric);
        if (numeric && c.group == NUMBER) c.number = item->getDouble();
        add(c, i);
    }
}

void FieldOrder::addText(const wchar_t* chars, size_t length, bool numeric, int position)
{
    add(classify(chars, length, numeric), position);
}

// A numeric column reads any text but a blank or "--" as its leading number; a text column
// compares a text holding one number as that number and any other by its GB2312 bytes.
FieldOrder::Classified FieldOrder::classify(const wchar_t* chars, size_t length, bool numeric)
{
    Classified c{EMPTY, 0.0, 0, 0, 0};
    if (isEmptyText(chars, length)) return c;
    if (placeholders_) {
        for (const std::wstring& p : *placeholders_)
            if (p.size() == length && std::wmemcmp(p.data(), chars, length) == 0) return c;
    }
    if (numeric || readsAsOneNumber(chars, length)) {
        c.group = NUMBER;
        c.number = leadingReal(chars, length);
        return c;
    }
    c.group = TEXT;
    c.offset = uint32_t(bytes_.size());
    int n = WideCharToMultiByte(kSortCodePage, 0, chars, int(length), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return c;
    bytes_.resize(bytes_.size() + size_t(n));
    WideCharToMultiByte(kSortCodePage, 0, chars, int(length), &bytes_[c.offset], n, nullptr, nullptr);
    c.length = uint32_t(n);
    c.prefix = prefixOf(bytes_.data() + c.offset, c.length);
    return c;
}

// A NaN from a container made elsewhere has no place among numbers (it would break the
// sort's ordering): it sorts as an empty value.
void FieldOrder::add(const Classified& c, int position)
{
    if (c.group == NUMBER && !std::isnan(c.number))
        addNumber(c.number, position);
    else if (c.group == TEXT)
        texts_.push_back({c.prefix, c.offset, c.length, position});
    else
        empties_.push_back(position);
}

// The bits of a double, sign flipped for positives and all flipped for negatives, order as
// unsigned numbers the way the values do; -0 counts as 0, which it equals. Descending turns
// the order round. Positions come in ascending, which the stable sort keeps for equal keys.
void FieldOrder::addNumber(double value, int position)
{
    if (value == 0.0) value = 0.0;
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits = bits >> 63 ? ~bits : bits | (uint64_t(1) << 63);
    numbers_.push_back({descending_ ? ~bits : bits, position});
}

// Positions are unique, so ordering equal texts by position makes an unstable sort stable.
void FieldOrder::sortGroups()
{
    sortNumbers();
    std::sort(texts_.begin(), texts_.end(), [this](const TextKey& a, const TextKey& b) { return textBefore(a, b); });
}

// Few numbers are compared. Many go by a least-significant-byte-first radix sort: eight
// stable counting passes, one per byte of the key, each skipped when every key has the same
// byte there (numbers of one range share their high bytes).
void FieldOrder::sortNumbers()
{
    const size_t n = numbers_.size();
    if (n < kRadixLeast) {
        std::sort(numbers_.begin(), numbers_.end(), [](const NumberKey& a, const NumberKey& b) {
            return a.key < b.key || (a.key == b.key && a.position < b.position);
        });
        return;
    }
    std::vector<size_t> counts(size_t(8) * 256, 0);
    for (const NumberKey& k : numbers_)
        for (int byte = 0; byte < 8; ++byte) ++counts[size_t(byte) * 256 + ((k.key >> (8 * byte)) & 0xFF)];
    std::vector<NumberKey> spare(n);
    for (int byte = 0; byte < 8; ++byte) {
        size_t* count = &counts[size_t(byte) * 256];
        if (count[(numbers_[0].key >> (8 * byte)) & 0xFF] == n) continue;
        size_t start = 0;
        for (int b = 0; b < 256; ++b) {
            size_t c = count[b];
            count[b] = start;
            start += c;
        }
        for (const NumberKey& k : numbers_) spare[count[(k.key >> (8 * byte)) & 0xFF]++] = k;
        numbers_.swap(spare);
    }
}

bool FieldOrder::textBefore(const TextKey& a, const TextKey& b) const
{
    int c = 0;
    if (a.prefix != b.prefix) {
        c = a.prefix < b.prefix ? -1 : 1;
    } else {
        size_t n = std::min(a.length, b.length);
        // memcmp compares as unsigned bytes, which is the code page's order.
        c = n ? std::memcmp(bytes_.data() + a.offset, bytes_.data() + b.offset, n) : 0;
        if (!c && a.length != b.length) c = a.length < b.length ? -1 : 1;
    }
    if (c) return descending_ ? c > 0 : c < 0;
    return a.position < b.position;
}

} // namespace Kernel

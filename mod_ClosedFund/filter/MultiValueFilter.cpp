#include "filter/MultiValueFilter.h"
#include "common/CallbackGuard.h"
#include "data/CellReader.h"
#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <vector>

namespace ClosedFund {

void MultiValueFilter::SetColumn(const wchar_t* column)
{
    columnIndex_ = -1;
    resolvedIn_ = nullptr;
    if (column)
        column_ = column;
    else
        column_.clear();
}

void MultiValueFilter::AddValue(const wchar_t* value)
{
    if (!value || HasValue(value)) return;
    values_.push_back(XStringW(value));
}

void MultiValueFilter::RemoveValue(const wchar_t* value)
{
    if (!value) return;
    auto found = std::find(values_.begin(), values_.end(), XStringW(value));
    if (found != values_.end()) values_.erase(found);
}

bool MultiValueFilter::HasValue(const wchar_t* value) const
{
    if (!value) return false;
    for (const XStringW& accepted : values_) {
        if (accepted == value) return true;
    }
    return false;
}

// The index stays cached until SetColumn (or another container) asks for a new lookup; a
// miss is not cached, so a table whose columns appear on its first fill is found later.
bool MultiValueFilter::resolveColumn(Host::IDataContainer* container)
{
    if (column_.empty()) return false;
    if (columnIndex_ >= 0 && resolvedIn_ == container) return true;
    columnIndex_ = container->getColumnIndex(column_);
    resolvedIn_ = columnIndex_ >= 0 ? container : nullptr;
    return columnIndex_ >= 0;
}

namespace {

bool equalText(const wchar_t* chars, size_t length, const XStringW& accepted)
{
    return accepted.size() == length && (length == 0 || std::wmemcmp(chars, accepted.data(), length) == 0);
}

} // namespace

bool MultiValueFilter::accepts(const wchar_t* chars, size_t length) const
{
    for (const XStringW& accepted : values_)
        if (equalText(chars, length, accepted)) return true;
    return false;
}

// Through the host's fast access, stored texts are read a chunk at a time and compared where
// they lie (lengths first); only a number or NULL cell is read into the buffer as its text.
// The table stores each distinct text of a column of few values (types, styles, companies:
// the columns this filter is for) once, so the answer for a text's address is remembered for
// the rest of the pass, in a small table indexed by the address modulo a prime (texts lie at
// regular strides).
void MultiValueFilter::filterStoredTexts(CellReader& cells, int* rows, int* count)
{
    const int kChunk = 512;
    Host::TextView views[kChunk];
    struct Decision {
        const wchar_t* chars;
        bool accepted;
    };
    const size_t kDecisions = 61;
    Decision decisions[kDecisions] = {};
    XStringW text;
    int kept = 0;
    const int total = *count;
    for (int start = 0; start < total; start += kChunk) {
        const int n = std::min(kChunk, total - start);
        if (!cells.textViews(columnIndex_, rows + start, n, views)) {
            // The column went away: the rows not yet read pass, as with an unknown column.
            for (int i = start; i < total; ++i) rows[kept++] = rows[i];
            break;
        }
        for (int i = 0; i < n; ++i) {
            const int row = rows[start + i];
            const wchar_t* chars = views[i].chars;
            size_t length = views[i].length;
            if (!chars) {
                if (!cells.readText(row, columnIndex_, text)) continue;
                if (accepts(text.data(), text.size())) rows[kept++] = row;
                continue;
            }
            Decision& known = decisions[(uintptr_t(chars) / sizeof(wchar_t)) % kDecisions];
            if (known.chars != chars) known = {chars, accepts(chars, length)};
            if (known.accepted) rows[kept++] = row;
        }
    }
    *count = kept;
}

// Through the contract, each row's text is read once per fill of the table and then known
// by its number; each distinct text is compared with the values once per pass.
void MultiValueFilter::filterRememberedTexts(int* rows, int* count)
{
    std::vector<signed char> decided; // per text number: -1 not yet, else whether accepted
    int kept = 0;
    const int total = *count;
    for (int i = 0; i < total; ++i) {
        int number = remembered_.textNumber(rows[i]);
        if (number < 0) continue;
        if (size_t(number) >= decided.size()) decided.resize(remembered_.texts().size(), -1);
        signed char& known = decided[size_t(number)];
        if (known < 0) {
            const XStringW& text = remembered_.texts()[size_t(number)];
            known = accepts(text.data(), text.size()) ? 1 : 0;
        }
        if (known) rows[kept++] = rows[i];
    }
    *count = kept;
}

// A container whose table cannot be reached: every cell is read as it is.
void MultiValueFilter::filterCellByCell(CellReader& cells, int* rows, int* count)
{
    XStringW text;
    int kept = 0;
    const int total = *count;
    for (int i = 0; i < total; ++i)
        if (cells.readText(rows[i], columnIndex_, text) && accepts(text.data(), text.size())) rows[kept++] = rows[i];
    *count = kept;
}

void MultiValueFilter::filterRows(Host::IDataContainer* container, int* rows, int* count)
{
    Common::guardCallback(L"IDataFilter::filterRows", [&] {
        if (!container || !rows || !count || *count <= 0) return;
        if (!resolveColumn(container)) return;
        CellReader cells(container);
        if (cells.fast()) {
            filterStoredTexts(cells, rows, count);
            return;
        }
        if (!remembered_.beginPass(container, column_)) {
            filterCellByCell(cells, rows, count);
            return;
        }
        filterRememberedTexts(rows, count);
        remembered_.endPass();
    });
}

} // namespace ClosedFund

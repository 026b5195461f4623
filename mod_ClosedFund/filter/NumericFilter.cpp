#include "filter/NumericFilter.h"
#include "common/CallbackGuard.h"
#include "data/CellReader.h"
#include <algorithm>
#include <vector>

namespace ClosedFund {

bool NumericFilter::passes(const wchar_t* chars, size_t length) const
{
    double value = 0;
    return shownNumber(chars, length, column_, value) && inRange(range_, value);
}

// Through the host's fast access the stored texts are read a chunk at a time where they lie;
// only a cell that holds a number or NULL is read into a buffer as its text.
void NumericFilter::filterStoredTexts(CellReader& cells, int column, int* rows, int* count)
{
    const int kChunk = 512;
    Host::TextView views[kChunk];
    XStringW text;
    int kept = 0;
    const int total = *count;
    for (int start = 0; start < total; start += kChunk) {
        const int n = std::min(kChunk, total - start);
        if (!cells.textViews(column, rows + start, n, views)) {
            for (int i = start; i < total; ++i) rows[kept++] = rows[i];
            break;
        }
        for (int i = 0; i < n; ++i) {
            const int row = rows[start + i];
            if (views[i].chars) {
                if (passes(views[i].chars, views[i].length)) rows[kept++] = row;
            } else if (cells.readText(row, column, text) && passes(text.data(), text.size())) {
                rows[kept++] = row;
            }
        }
    }
    *count = kept;
}

// Through the contract each row's text is read once per fill; each distinct text is judged
// once per pass.
void NumericFilter::filterRememberedTexts(int* rows, int* count)
{
    std::vector<signed char> decided; // per text number: -1 not yet, else whether it passes
    int kept = 0;
    const int total = *count;
    for (int i = 0; i < total; ++i) {
        int number = remembered_.textNumber(rows[i]);
        if (number < 0) continue;
        if (size_t(number) >= decided.size()) decided.resize(remembered_.texts().size(), -1);
        signed char& known = decided[size_t(number)];
        if (known < 0) {
            const XStringW& text = remembered_.texts()[size_t(number)];
            known = passes(text.data(), text.size()) ? 1 : 0;
        }
        if (known) rows[kept++] = rows[i];
    }
    *count = kept;
}

void NumericFilter::filterRows(Host::IDataContainer* container, int* rows, int* count)
{
    Common::guardCallback(L"IDataFilter::filterRows", [&] {
        if (!container || !rows || !count || *count <= 0) return;
        int column = container->getColumnIndex(column_.name);
        if (column < 0) return;
        CellReader cells(container);
        if (cells.fast()) {
            filterStoredTexts(cells, column, rows, count);
            return;
        }
        if (remembered_.beginPass(container, column_.name)) {
            filterRememberedTexts(rows, count);
            remembered_.endPass();
            return;
        }
        XStringW text;
        int kept = 0;
        for (int i = 0; i < *count; ++i)
            if (cells.readText(rows[i], column, text) && passes(text.data(), text.size())) rows[kept++] = rows[i];
        *count = kept;
    });
}

} // namespace ClosedFund

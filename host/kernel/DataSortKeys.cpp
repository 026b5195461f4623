// Sort keys of the field sorter.
#include "DataSortKeys.h"
#include "DataValue.h"
#include <windows.h>
#include <cstring>

namespace Kernel {

namespace {

// GB2312's code page: its byte order puts the common Chinese characters in pinyin order.
const UINT kSortCodePage = 936;

} // namespace

DataSortKeys::DataSortKeys(Host::IDataContainer* container, int column, const int* rows, int count)
{
    keys_.resize(size_t(count));
    XComPtr<Host::IColumnItem> columnItem = container->getColumn(column);
    int type = columnItem ? columnItem->getValueType() : Host::VALUE_TEXT;
    bool numeric = type == Host::VALUE_REAL || type == Host::VALUE_INT;
    for (int i = 0; i < count; ++i) {
        XComPtr<Host::IDataRow> row = container->getRow(rows[i]);
        XComPtr<Host::IColumnItem> item = row ? row->getItemAt(column) : XComPtr<Host::IColumnItem>();
        if (!item || item->isNull()) continue;   // stays EMPTY
        if (numeric)
            readNumber(item.get(), keys_[size_t(i)]);
        else
            readText(item.get(), keys_[size_t(i)]);
    }
}

// Blank and "--" read as 0, so only a zero needs its text looked at.
void DataSortKeys::readNumber(Host::IColumnItem* item, Key& key)
{
    double value = item->getDouble();
    if (value == 0.0) {
        XStringW text = item->getText();
        if (isEmptyText(text.c_str(), text.size())) return;
    }
    key.group = NUMBER;
    key.number = value;
}

void DataSortKeys::readText(Host::IColumnItem* item, Key& key)
{
    XStringW text = item->getText();
    if (isEmptyText(text.c_str(), text.size())) return;
    if (readsAsOneNumber(text.c_str(), text.size())) {
        key.group = NUMBER;
        key.number = leadingReal(text.c_str(), text.size());
        return;
    }
    key.group = TEXT;
    key.offset = bytes_.size();
    int n = WideCharToMultiByte(kSortCodePage, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return;
    bytes_.resize(key.offset + size_t(n));
    WideCharToMultiByte(kSortCodePage, 0, text.c_str(), int(text.size()), &bytes_[key.offset], n, nullptr, nullptr);
    key.length = size_t(n);
}

int DataSortKeys::compare(const Key& a, const Key& b) const
{
    if (a.group != b.group) return a.group < b.group ? -1 : 1;
    if (a.group == NUMBER) return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
    size_t n = a.length < b.length ? a.length : b.length;
    // memcmp compares as unsigned bytes, which is the code page's order.
    int c = n ? std::memcmp(bytes_.data() + a.offset, bytes_.data() + b.offset, n) : 0;
    if (c) return c;
    return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
}

bool DataSortKeys::before(int a, int b, bool descending) const
{
    const Key& ka = keys_[size_t(a)];
    const Key& kb = keys_[size_t(b)];
    if (ka.group == EMPTY || kb.group == EMPTY) return ka.group != EMPTY && kb.group == EMPTY;
    int c = compare(ka, kb);
    return descending ? c > 0 : c < 0;
}

} // namespace Kernel

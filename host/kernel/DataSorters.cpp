// "Data.FieldSorter" orders rows by one field; "Data.TopSorter" pins chosen rows to the top.
// Both are stable: rows that compare equal keep the order they came in.
#include "ComponentRegistry.h"
#include "DataSortKeys.h"
#include "common/RefCounted.h"
#include "host/Data.h"
#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

namespace Kernel {

namespace {

class FieldSorter final : public Common::RefCounted<Host::IFieldSorter> {
public:
    void setSortField(const XStringW& columnName) override { field_ = columnName; }
    void setSortOrder(int descending) override { descending_ = descending != 0; }
    // A text given twice for a field is kept once.
    void addPlaceholder(const XStringW& columnName, const XStringW& storedText) override
    {
        std::vector<std::wstring>& texts = placeholders_[columnName];
        if (std::find(texts.begin(), texts.end(), storedText) == texts.end()) texts.push_back(storedText);
    }
    void clearPlaceholders() override { placeholders_.clear(); }

    // A field the container lacks leaves the order as it is.
    void sortRows(Host::IDataContainer* container, int* rows, int count) override
    {
        if (!container || !rows || count < 2 || field_.empty()) return;
        int column = container->getColumnIndex(field_);
        if (column < 0) return;
        auto placeholders = placeholders_.find(field_);
        FieldOrder order(placeholders == placeholders_.end() ? nullptr : &placeholders->second, descending_);
        order.sort(container, column, rows, count);
    }

private:
    XStringW field_;
    bool descending_ = false;
    std::unordered_map<std::wstring, std::vector<std::wstring>> placeholders_;
};

class TopSorter final : public Common::RefCounted<Host::ITopSorter> {
public:
    void setField(const XStringW& columnName) override { field_ = columnName; }
    void clearValues() override
    {
        values_.clear();
        rankOf_.clear();
    }
    // A value given twice keeps its first place.
    void addValue(const XStringW& value) override
    {
        if (rankOf_.emplace(value, int(values_.size())).second) values_.push_back(value);
    }

    // Rows are dealt into one bucket per value plus one for the rest, each bucket keeping the
    // rows' previous order.
    void sortRows(Host::IDataContainer* container, int* rows, int count) override
    {
        if (!container || !rows || count < 1 || field_.empty() || values_.empty()) return;
        int column = container->getColumnIndex(field_);
        if (column < 0) return;
        int rest = int(values_.size());
        std::vector<std::vector<int>> buckets(size_t(rest) + 1);
        for (int i = 0; i < count; ++i) buckets[size_t(rankOfRow(container, rows[i], column))].push_back(rows[i]);
        int* out = rows;
        for (auto& bucket : buckets) out = std::copy(bucket.begin(), bucket.end(), out);
    }

private:
    int rankOfRow(Host::IDataContainer* container, int index, int column)
    {
        XComPtr<Host::IDataRow> row = container->getRow(index);
        XComPtr<Host::IColumnItem> item = row ? row->getItemAt(column) : XComPtr<Host::IColumnItem>();
        XStringW text = item ? item->getText() : XStringW();
        auto it = rankOf_.find(text);
        return it == rankOf_.end() ? int(values_.size()) : it->second;
    }

    XStringW field_;
    std::vector<XStringW> values_;
    std::unordered_map<std::wstring, int> rankOf_;
};

IXUnknown* createFieldSorter() { return static_cast<Host::IFieldSorter*>(new FieldSorter); }
IXUnknown* createTopSorter() { return static_cast<Host::ITopSorter*>(new TopSorter); }

} // namespace

KERNEL_COMPONENT("Data.FieldSorter", createFieldSorter);
KERNEL_COMPONENT("Data.TopSorter", createTopSorter);

} // namespace Kernel

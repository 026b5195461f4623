// "Data.FieldSorter" orders rows by one field; "Data.TopSorter" pins chosen rows to the top.
// Both are stable: rows that compare equal keep the order they came in.
#include "ComponentRegistry.h"
#include "ContractMode.h"
#include "DataSortKeys.h"
#include "DataTable.h"
#include "DataView.h"
#include "common/RefCounted.h"
#include "hostapi/DataHost.h"
#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

namespace Kernel {

namespace {

// The column of a container by name, without the client's entry check for the kernel's own.
int columnIndexOf(Host::IDataContainer* container, const XStringW& name)
{
    if (auto* table = dynamic_cast<DataTable*>(container)) return table->columnIndex(name);
    if (auto* view = dynamic_cast<DataView*>(container)) return view->columnIndex(name);
    return container->getColumnIndex(name);
}

class FieldSorter final : public Common::RefCounted<Host::IFieldSorterHost> {
public:
    void setSortField(const XStringW& columnName) override
    {
        Kernel::contractCall("IFieldSorter::setSortField");
        field_ = columnName;
    }
    void setSortOrder(int descending) override
    {
        Kernel::contractCall("IFieldSorter::setSortOrder");
        descending_ = descending != 0;
    }
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
        int column = columnIndexOf(container, field_);
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

class TopSorter final : public Common::RefCounted<Host::ITopSorterHost> {
public:
    void setField(const XStringW& columnName) override
    {
        Kernel::contractCall("ITopSorter::setField");
        field_ = columnName;
    }
    void clearValues() override
    {
        Kernel::contractCall("ITopSorter::clearValues");
        values_.clear();
        rankOf_.clear();
    }
    // A value given twice keeps its first place.
    void addValue(const XStringW& value) override
    {
        Kernel::contractCall("ITopSorter::addValue");
        if (rankOf_.emplace(value, int(values_.size())).second) values_.push_back(value);
    }

    // Rows are dealt into one bucket per value plus one for the rest, each bucket keeping the
    // rows' previous order.
    void sortRows(Host::IDataContainer* container, int* rows, int count) override
    {
        if (!container || !rows || count < 1 || field_.empty() || values_.empty()) return;
        int column = columnIndexOf(container, field_);
        if (column < 0) return;
        Host::ICellReader* reader = Host::cellReader(container);
        int rest = int(values_.size());
        std::vector<std::vector<int>> buckets(size_t(rest) + 1);
        XStringW text;
        for (int i = 0; i < count; ++i) {
            readText(container, reader, rows[i], column, text);
            auto it = rankOf_.find(text);
            buckets[size_t(it == rankOf_.end() ? rest : it->second)].push_back(rows[i]);
        }
        int* out = rows;
        for (auto& bucket : buckets) out = std::copy(bucket.begin(), bucket.end(), out);
    }

private:
    // The kernel's containers are read through their cell reader; one made elsewhere through
    // its rows and cells, as any client reads it.
    static void readText(Host::IDataContainer* container, Host::ICellReader* reader, int index, int column,
                         XStringW& out)
    {
        if (reader) {
            reader->readTextAt(index, column, out);
            return;
        }
        XComPtr<Host::IDataRow> row = container->getRow(index);
        XComPtr<Host::IColumnItem> item = row ? row->getItemAt(column) : XComPtr<Host::IColumnItem>();
        out = item ? item->getText() : XStringW();
    }

    XStringW field_;
    std::vector<XStringW> values_;
    std::unordered_map<std::wstring, int> rankOf_;
};

IXUnknown* createFieldSorter() { return static_cast<Host::IFieldSorterHost*>(new FieldSorter); }
IXUnknown* createTopSorter() { return static_cast<Host::ITopSorterHost*>(new TopSorter); }

} // namespace

KERNEL_COMPONENT("Data.FieldSorter", createFieldSorter);
KERNEL_COMPONENT("Data.TopSorter", createTopSorter);

} // namespace Kernel

// The kernel's data view.
#include "DataView.h"
#include "ComponentRegistry.h"
#include "ContractMode.h"
#include "DataTable.h"
#include <algorithm>
#include <numeric>

namespace Kernel {

namespace {

IXUnknown* createDataView() { return static_cast<Host::IDataViewHost*>(new DataView); }

// The text of a cell of a container made elsewhere, read as any client reads it.
bool readItemText(Host::IDataContainer* container, int row, int column, XStringW& out)
{
    XComPtr<Host::IDataRow> item = container->getRow(row);
    XComPtr<Host::IColumnItem> cell = item ? item->getItemAt(column) : XComPtr<Host::IColumnItem>();
    if (!cell) {
        out.clear();
        return false;
    }
    out = cell->getText();
    return true;
}

} // namespace

KERNEL_COMPONENT("Data.DataView", createDataView);

DataView::~DataView() { detachSource(); }

XComPtr<Host::IDataRow> DataView::getRow(int index)
{
    Kernel::contractCall("IDataContainer::getRow");
    return rowAt(index);
}

int DataView::getRowCount()
{
    Kernel::contractCall("IDataContainer::getRowCount");
    return rowCount();
}

XComPtr<Host::IColumnItem> DataView::getColumn(int index)
{
    Kernel::contractCall("IDataContainer::getColumn");
    return columnAt(index);
}

int DataView::getColumnIndex(const XStringW& name)
{
    Kernel::contractCall("IDataContainer::getColumnIndex");
    return columnIndex(name);
}

XComPtr<Host::IDataContainer> DataView::getSource()
{
    Kernel::contractCall("IDataView::getSource");
    return source_;
}

void DataView::setEventSink(Host::IDataViewEvent* sink)
{
    Kernel::contractCall("IDataView::setEventSink");
    sink_ = sink;
}

int DataView::getSourceIndex(int row)
{
    Kernel::contractCall("IDataView::getSourceIndex");
    return sourceIndexAt(row);
}

void DataView::rebuild(int notify)
{
    Kernel::contractCall("IDataView::rebuild");
    requestRebuild(notify);
}

XComPtr<Host::IDataRow> DataView::rowAt(int index)
{
    if (!source_ || index < 0 || size_t(index) >= rows_.size()) return {};
    return sourceRow(rows_[size_t(index)]);
}

XComPtr<Host::IColumnItem> DataView::columnAt(int index)
{
    if (sourceTable_) return sourceTable_->columnAt(index);
    if (sourceView_) return sourceView_->columnAt(index);
    return source_ ? source_->getColumn(index) : XComPtr<Host::IColumnItem>();
}

int DataView::columnIndex(const XStringW& name)
{
    if (sourceTable_) return sourceTable_->columnIndex(name);
    if (sourceView_) return sourceView_->columnIndex(name);
    return source_ ? source_->getColumnIndex(name) : -1;
}

int DataView::sourceIndexAt(int row) const
{
    if (row < 0 || size_t(row) >= rows_.size()) return -1;
    return rows_[size_t(row)];
}

int DataView::sourceRowCount()
{
    if (sourceTable_) return sourceTable_->rowCount();
    if (sourceView_) return sourceView_->rowCount();
    return source_ ? source_->getRowCount() : 0;
}

XComPtr<Host::IDataRow> DataView::sourceRow(int index)
{
    if (sourceTable_) return sourceTable_->rowAt(index);
    if (sourceView_) return sourceView_->rowAt(index);
    return source_ ? source_->getRow(index) : XComPtr<Host::IDataRow>();
}

// A source made elsewhere does not say how many columns it has: they are counted, up to a
// bound no real table reaches.
int DataView::getColumnCount()
{
    if (sourceReader_) return sourceReader_->getColumnCount();
    const int kMostColumns = 1 << 16;
    int count = 0;
    while (source_ && count < kMostColumns && source_->getColumn(count)) ++count;
    return count;
}

bool DataView::readTextAt(int row, int column, XStringW& out)
{
    if (!source_ || row < 0 || size_t(row) >= rows_.size()) {
        out.clear();
        return false;
    }
    int at = rows_[size_t(row)];
    return sourceReader_ ? sourceReader_->readTextAt(at, column, out) : readItemText(source_.get(), at, column, out);
}

// A source made elsewhere keeps its texts to itself: none can be seen where it lies.
bool DataView::textViewAt(int row, int column, const wchar_t*& chars, size_t& length)
{
    if (!sourceReader_ || row < 0 || size_t(row) >= rows_.size()) return false;
    return sourceReader_->textViewAt(rows_[size_t(row)], column, chars, length);
}

// The view's rows are translated to the source's in chunks, so that the source reads a
// whole chunk in one call.
bool DataView::textViewsAt(int column, const int* rows, int count, Host::TextView* out)
{
    if (!sourceReader_ || !rows || !out || column < 0 || column >= sourceReader_->getColumnCount()) return false;
    const int kChunk = 512;
    int sourceRows[kChunk];
    for (int start = 0; start < count; start += kChunk) {
        int n = std::min(kChunk, count - start);
        for (int i = 0; i < n; ++i) {
            int row = rows[start + i];
            sourceRows[i] = row >= 0 && size_t(row) < rows_.size() ? rows_[size_t(row)] : -1;
        }
        if (!sourceReader_->textViewsAt(column, sourceRows, n, out + start)) return false;
    }
    return true;
}

int DataView::findSourceRow(int sourceIndex)
{
    auto it = std::find(rows_.begin(), rows_.end(), sourceIndex);
    return it == rows_.end() ? -1 : int(it - rows_.begin());
}

void DataView::detachSource()
{
    if (sourceLink_) sourceLink_->removeDependant(this);
    sourceLink_ = nullptr;
    sourceTable_ = nullptr;
    sourceView_ = nullptr;
    sourceReader_ = nullptr;
    source_ = nullptr;
}

// A source that is this view, or is built on it, would make every rebuild endless: such a
// source is refused and the view keeps the one it had.
void DataView::setSource(Host::IDataContainer* source)
{
    Kernel::contractCall("IDataView::setSource");
    DataSource* link = dataSourceOf(source);
    for (DataSource* s = link; s; s = s->upstream())
        if (s == static_cast<DataSource*>(this)) return;
    XComPtr<Host::IDataContainer> keep(source);
    detachSource();
    source_ = keep;
    sourceLink_ = link;
    sourceTable_ = dynamic_cast<DataTable*>(source);
    sourceView_ = dynamic_cast<DataView*>(source);
    sourceReader_ = Host::cellReader(source);
    if (sourceLink_) sourceLink_->addDependant(this);
    // Binding is quiet: the sink hears of the rows at the next rebuild or refill.
    requestRebuild(0);
}

void DataView::addFilter(Host::IDataFilter* filter)
{
    Kernel::contractCall("IDataView::addFilter");
    if (!filter) return;
    for (auto& f : filters_)
        if (f.get() == filter) return;
    filters_.emplace_back(filter);
    requestRebuild(1);
}

void DataView::removeFilter(Host::IDataFilter* filter)
{
    Kernel::contractCall("IDataView::removeFilter");
    auto it = std::find_if(filters_.begin(), filters_.end(), [&](auto& f) { return f.get() == filter; });
    if (it == filters_.end()) return;
    filters_.erase(it);
    requestRebuild(1);
}

void DataView::setSorter(IXUnknown* sorter)
{
    Kernel::contractCall("IDataView::setSorter");
    sorter_ = sorter;
    rowSorter_ = sorter ? dynamic_cast<Host::IRowSorter*>(sorter) : nullptr;
    requestRebuild(0);
}

XComPtr<Host::IUpdateContext> DataView::beginUpdate()
{
    Kernel::contractCall("IDataView::beginUpdate");
    return XComPtr<Host::IUpdateContext>::adopt(new UpdateContext(this, this));
}

void DataView::bracketsClosed()
{
    if (!rebuildPending_) return;
    rebuildPending_ = false;
    int notify = pendingNotify_;
    pendingNotify_ = 0;
    requestRebuild(notify);
}

void DataView::requestRebuild(int notify)
{
    int flag = notify ? 1 : 0;
    if (inBracket()) {
        rebuildPending_ = true;
        pendingNotify_ |= flag;
        return;
    }
    if (rebuilding_) {
        rebuildAgain_ = true;
        againNotify_ |= flag;
        return;
    }
    rebuildNow(flag);
}

// A sink or a filter may ask for another rebuild while this one runs; it runs after this one
// instead of inside it.
void DataView::rebuildNow(int notify)
{
    XComPtr<Host::IDataView> self(this); // a sink may drop the last outside reference
    rebuilding_ = true;
    for (;;) {
        if (notify && sink_) sink_->OnViewChanging(this);
        collectRows();
        if (notify && sink_) sink_->OnViewChanged(this);
        rebuildDependants(notify);
        if (!rebuildAgain_) break;
        rebuildAgain_ = false;
        notify = againNotify_;
        againNotify_ = 0;
    }
    rebuilding_ = false;
}

// Every filter compacts the same index array in turn, so a row stays only if all keep it;
// the sorter then orders what is left.
void DataView::collectRows()
{
    int total = sourceRowCount();
    rows_.resize(size_t(std::max(total, 0)));
    std::iota(rows_.begin(), rows_.end(), 0);
    if (rows_.empty()) return;
    std::vector<XComPtr<Host::IDataFilter>> filters = filters_;
    for (auto& filter : filters) {
        int before = int(rows_.size());
        int count = before;
        filter->filterRows(source_.get(), rows_.data(), &count);
        rows_.resize(size_t(std::clamp(count, 0, before)));
        if (rows_.empty()) return;
    }
    // The sorter is held while it sorts: a filter or sink may set another meanwhile.
    XComPtr<IXUnknown> sorter = sorter_;
    Host::IRowSorter* rowSorter = rowSorter_;
    if (rowSorter && rows_.size() > 1) rowSorter->sortRows(source_.get(), rows_.data(), int(rows_.size()));
}

} // namespace Kernel

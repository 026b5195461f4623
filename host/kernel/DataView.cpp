// The kernel's data view.
#include "DataView.h"
#include "ComponentRegistry.h"
#include <algorithm>
#include <numeric>

namespace Kernel {

namespace {

IXUnknown* createDataView() { return static_cast<Host::IDataView*>(new DataView); }

} // namespace

KERNEL_COMPONENT("Data.DataView", createDataView);

DataView::~DataView() { detachSource(); }

XComPtr<Host::IDataRow> DataView::getRow(int index)
{
    if (!source_ || index < 0 || size_t(index) >= rows_.size()) return {};
    return source_->getRow(rows_[size_t(index)]);
}

XComPtr<Host::IColumnItem> DataView::getColumn(int index)
{
    return source_ ? source_->getColumn(index) : XComPtr<Host::IColumnItem>();
}

int DataView::getColumnIndex(const XStringW& name) { return source_ ? source_->getColumnIndex(name) : -1; }

int DataView::getColumnCount() { return source_ ? source_->getColumnCount() : 0; }

bool DataView::readTextAt(int row, int column, XStringW& out)
{
    if (!source_ || row < 0 || size_t(row) >= rows_.size()) {
        out.clear();
        return false;
    }
    return source_->readTextAt(rows_[size_t(row)], column, out);
}

bool DataView::textViewAt(int row, int column, const wchar_t*& chars, size_t& length)
{
    if (!source_ || row < 0 || size_t(row) >= rows_.size()) return false;
    return source_->textViewAt(rows_[size_t(row)], column, chars, length);
}

// The view's rows are translated to the source's in chunks, so that the source reads a
// whole chunk in one call.
bool DataView::textViewsAt(int column, const int* rows, int count, Host::TextView* out)
{
    if (!source_ || !rows || !out || column < 0 || column >= source_->getColumnCount()) return false;
    const int kChunk = 512;
    int sourceRows[kChunk];
    for (int start = 0; start < count; start += kChunk) {
        int n = std::min(kChunk, count - start);
        for (int i = 0; i < n; ++i) {
            int row = rows[start + i];
            sourceRows[i] = row >= 0 && size_t(row) < rows_.size() ? rows_[size_t(row)] : -1;
        }
        if (!source_->textViewsAt(column, sourceRows, n, out + start)) return false;
    }
    return true;
}

int DataView::findSourceRow(int sourceIndex)
{
    auto it = std::find(rows_.begin(), rows_.end(), sourceIndex);
    return it == rows_.end() ? -1 : int(it - rows_.begin());
}

int DataView::getSourceIndex(int row)
{
    if (row < 0 || size_t(row) >= rows_.size()) return -1;
    return rows_[size_t(row)];
}

void DataView::detachSource()
{
    if (sourceLink_) sourceLink_->removeDependant(this);
    sourceLink_ = nullptr;
    source_ = nullptr;
}

// A source that is this view, or is built on it, would make every rebuild endless: such a
// source is refused and the view keeps the one it had.
void DataView::setSource(Host::IDataContainer* source)
{
    DataSource* link = dataSourceOf(source);
    for (DataSource* s = link; s; s = s->upstream())
        if (s == static_cast<DataSource*>(this)) return;
    XComPtr<Host::IDataContainer> keep(source);
    detachSource();
    source_ = keep;
    sourceLink_ = link;
    if (sourceLink_) sourceLink_->addDependant(this);
    // Binding is quiet: the sink hears of the rows at the next rebuild or refill.
    requestRebuild(0);
}

void DataView::addFilter(Host::IDataFilter* filter)
{
    if (!filter) return;
    for (auto& f : filters_)
        if (f.get() == filter) return;
    filters_.emplace_back(filter);
    requestRebuild(1);
}

void DataView::removeFilter(Host::IDataFilter* filter)
{
    auto it = std::find_if(filters_.begin(), filters_.end(), [&](auto& f) { return f.get() == filter; });
    if (it == filters_.end()) return;
    filters_.erase(it);
    requestRebuild(1);
}

void DataView::setSorter(Host::IDataSorter* sorter)
{
    sorter_ = sorter;
    requestRebuild(0);
}

XComPtr<Host::IUpdateContext> DataView::beginUpdate()
{
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
    int total = source_ ? source_->getRowCount() : 0;
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
    if (sorter_ && rows_.size() > 1) sorter_->sortRows(source_.get(), rows_.data(), int(rows_.size()));
}

} // namespace Kernel

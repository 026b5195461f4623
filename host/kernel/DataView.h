// "Data.DataView": the rows of a table or of another view that pass the view's filters, in
// its sorter's order. It follows its source: when the source rebuilds, so does the view, and
// then the views built on it.
#pragma once
#include "DataSource.h"
#include "common/RefCounted.h"
#include "hostapi/DataHost.h"
#include <vector>

namespace Kernel {

class DataTable;

class DataView final : public Common::RefCounted<Host::IDataViewHost>, public DataSource, public DataDependant {
public:
    DataView() = default;
    DataView(const DataView&) = delete;
    DataView& operator=(const DataView&) = delete;

    // IDataContainer: row i is the source's row getSourceIndex(i); columns are the source's.
    XComPtr<Host::IDataRow> getRow(int index) override;
    int getRowCount() override;
    XComPtr<Host::IColumnItem> getColumn(int index) override;
    int getColumnIndex(const XStringW& name) override;

    // IDataView
    void setSource(Host::IDataContainer* source) override;
    XComPtr<Host::IDataContainer> getSource() override;
    void setEventSink(Host::IDataViewEvent* sink) override;
    void addFilter(Host::IDataFilter* filter) override;
    void removeFilter(Host::IDataFilter* filter) override;
    // A sorter without the kernel's way of sorting (IRowSorter) is kept but sorts nothing.
    void setSorter(IXUnknown* sorter) override;
    int getSourceIndex(int row) override;
    XComPtr<Host::IUpdateContext> beginUpdate() override;
    void rebuild(int notify) override;

    // ICellReader: through the source's reader, or its rows and cells when it is not the kernel's.
    int getColumnCount() override;
    bool readTextAt(int row, int column, XStringW& out) override;
    bool textViewAt(int row, int column, const wchar_t*& chars, size_t& length) override;
    bool textViewsAt(int column, const int* rows, int count, Host::TextView* out) override;

    // IDataViewHost
    int findSourceRow(int sourceIndex) override;

    // The client's operations unchecked, for the kernel's own calls (see DataTable).
    XComPtr<Host::IDataRow> rowAt(int index);
    int rowCount() const { return int(rows_.size()); }
    XComPtr<Host::IColumnItem> columnAt(int index);
    int columnIndex(const XStringW& name);
    int sourceIndexAt(int row) const;
    Host::IDataContainer* source() const { return source_.get(); }

    // DataSource, DataDependant
    DataSource* upstream() override { return sourceLink_; }
    void sourceRebuilt(int notify) override { requestRebuild(notify); }
    void holdDependant() override { addRef(); }
    void dropDependant() override { release(); }

private:
    ~DataView() override;
    void bracketsClosed() override;
    void requestRebuild(int notify);
    void rebuildNow(int notify);
    void collectRows();
    void detachSource();
    int sourceRowCount();
    XComPtr<Host::IDataRow> sourceRow(int index);

    XComPtr<Host::IDataContainer> source_;
    DataSource* sourceLink_ = nullptr;          // the source's kernel side, when it has one
    DataTable* sourceTable_ = nullptr;          // the source, when it is a kernel table
    DataView* sourceView_ = nullptr;            // the source, when it is a kernel view
    Host::ICellReader* sourceReader_ = nullptr; // either of those as a cell reader
    Host::IDataViewEvent* sink_ = nullptr;
    std::vector<XComPtr<Host::IDataFilter>> filters_;
    XComPtr<IXUnknown> sorter_;
    Host::IRowSorter* rowSorter_ = nullptr; // sorter_'s way of sorting, if it has one
    std::vector<int> rows_;

    bool rebuildPending_ = false; // asked for inside a bracket
    int pendingNotify_ = 0;
    bool rebuilding_ = false; // asked for again while rebuilding (by a sink or filter)
    bool rebuildAgain_ = false;
    int againNotify_ = 0;
};

} // namespace Kernel

// "Client2.DataAccess": reading and writing many cells fast, for the kernel's own tables and
// views. The client answers this name with null, and a caller then reads through rows and
// cells; the results are the same, only the time differs.
#include "ComponentRegistry.h"
#include "DataTable.h"
#include "DataView.h"
#include "common/RefCounted.h"
#include "ext/DataAccess.h"

namespace Kernel {

namespace {

// Holds its container, so the access stays valid as long as it is held. Exactly one of
// table_ and view_ is set: they are container_ as the kernel's own class.
class CellAccess final : public Common::RefCounted<Host::ICellAccess> {
public:
    CellAccess(Host::IDataContainer* container, DataTable* table, DataView* view)
        : container_(container), table_(table), view_(view),
          reader_(table ? static_cast<Host::ICellReader*>(table) : static_cast<Host::ICellReader*>(view))
    {}

    bool readTextAt(int row, int column, XStringW& out) override { return reader_->readTextAt(row, column, out); }

    bool textViewAt(int row, int column, const wchar_t*& chars, size_t& length) override
    {
        return reader_->textViewAt(row, column, chars, length);
    }

    bool textViewsAt(int column, const int* rows, int count, Host::TextView* out) override
    {
        return reader_->textViewsAt(column, rows, count, out);
    }

    // A view's row is followed down to the table that holds it; a view over a container made
    // elsewhere reads that container's cell as any client would.
    bool readRealAt(int row, int column, double& out) override
    {
        out = 0.0;
        if (table_) return table_->readRealAt(row, column, out);
        Host::IDataContainer* at = view_;
        int index = row;
        while (auto* view = dynamic_cast<DataView*>(at)) {
            index = view->sourceIndexAt(index);
            if (index < 0) return false;
            at = view->source();
        }
        if (auto* table = dynamic_cast<DataTable*>(at)) return table->readRealAt(index, column, out);
        XComPtr<Host::IDataRow> item = at ? at->getRow(index) : XComPtr<Host::IDataRow>();
        XComPtr<Host::IColumnItem> cell = item ? item->getItemAt(column) : XComPtr<Host::IColumnItem>();
        if (!cell || cell->isNull()) return false;
        out = cell->getDouble();
        return true;
    }

    bool setTextAt(int row, int column, const wchar_t* text, size_t length) override
    {
        if (!table_ || !table_->cellColumn(row, column) || (!text && length > 0)) return false;
        table_->setTextAt(row, column, text ? text : L"", length);
        return true;
    }

    int findSourceRow(int sourceIndex) override { return view_ ? view_->findSourceRow(sourceIndex) : -2; }

private:
    XComPtr<Host::IDataContainer> container_;
    DataTable* table_;
    DataView* view_;
    Host::ICellReader* reader_;
};

class DataAccess final : public Common::RefCounted<Host::IDataAccess> {
public:
    // Not mine: a container made elsewhere gets no access.
    XComPtr<Host::ICellAccess> access(Host::IDataContainer* container) override
    {
        if (auto* table = dynamic_cast<DataTable*>(container))
            return XComPtr<Host::ICellAccess>::adopt(new CellAccess(container, table, nullptr));
        if (auto* view = dynamic_cast<DataView*>(container))
            return XComPtr<Host::ICellAccess>::adopt(new CellAccess(container, nullptr, view));
        return {};
    }
};

IXUnknown* createDataAccess() { return new DataAccess; }

} // namespace

KERNEL_COMPONENT(Host::kDataAccessProgId, createDataAccess);

} // namespace Kernel

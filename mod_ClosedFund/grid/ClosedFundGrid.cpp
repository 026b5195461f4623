#include "grid/ClosedFundGrid.h"
#include "grid/GridTexts.h"
#include "grid/HeaderXml.h"
#include "base/HostServices.h"
#include "base/ModuleHandle.h"
#include "base/ModuleLog.h"
#include "base/Resources.h"
#include "host/Kernel.h"
#include <algorithm>
#include <cmath>

namespace ClosedFund {

using Common::XStringW;

const char* const kCustomHeaderKey = "/Client2/UserConfig/mod_ClosedFund/Custom_Header_5";
const char* const kDamagedHeaderKey = "/Client2/UserConfig/mod_ClosedFund/Custom_Header_5_damaged";
const char* const kFontSizeKey = "/Client2/UserConfig/FontSize";

namespace {
XStringW defaultHeader() { return loadTextResource(moduleInstance(), L"XML", L"GRIDHEADER"); }
const wchar_t kNoDataDate[] = L"--";
// Where the person is told a change was not saved: the header's columns, widths and order.
const wchar_t kColumnSettings[] = L"列设置";
} // namespace

XStringW closedFundGrid::ShownDataDate() const { return dataDate_.empty() ? XStringW(kNoDataDate) : dataDate_; }

closedFundGrid::closedFundGrid()
{
    fundTable_ = Host::createInstanceAs<Host::IDataTable>("Data.DataTable");
    defaultPins_ = Host::createInstanceAs<Host::ITopSorter>("Data.TopSorter");
    alwaysPins_ = Host::createInstanceAs<Host::ITopSorter>("Data.TopSorter");
    SetDataSource(fundTable_.get());
    // Default pins lead the order the table comes in; once the user sorts a column they sort
    // with the rest. Always pins re-sort the display view, after its filters, so they lead
    // every order, in the order they are listed, and a filter still hides them.
    SetUnsortedOrder(defaultPins_.get());
    if (DisplayView() && alwaysPins_) DisplayView()->setSorter(alwaysPins_.get());
}

closedFundGrid::~closedFundGrid() { ReleaseWindow(); }

XComPtr<Host::IConfManager> closedFundGrid::UserConf() const
{
    return app_ ? app_->getUserConf() : XComPtr<Host::IConfManager>();
}

LRESULT closedFundGrid::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) {
        switch (LOWORD(wParam)) {
        case CMD_ADD_TO_FUND_POOL: AddToFundPool(); break;
        case CMD_EXPORT: ExportList(); break;
        case CMD_OPEN_PROFILE: OpenProfilePage(); break;
        default: break;
        }
    }
    return GeneralDataGrid::WndProc(msg, wParam, lParam);
}

void closedFundGrid::DrawItem(HDC dc, Gdiplus::Graphics* graphics, int row, int column, const RECT& rect)
{
    DataGridEx::DrawItem(dc, graphics, row, column, rect);
}

void closedFundGrid::GetItemText(int row, Control::HeaderInfo2& column, XStringW& text)
{
    GeneralDataGrid::GetItemText(row, column, text);
    if (column.name == L"company") text = shortCompanyName(text);
}

void closedFundGrid::GetItemColor(int row, Control::HeaderInfo2& column, const XStringW& text, COLORREF& color)
{
    GeneralDataGrid::GetItemColor(row, column, text, color);
    if (column.name != L"code" && column.name != L"name") return;
    XStringW code = CodeOfRow(row);
    if (!watchList_ && app_) watchList_ = app_->getModule("mod_ConcernFund").cast<Host::IConcernFundModule>();
    if (watchList_ && watchList_->isConcerned(code)) color = themeBlock_.Color("list_highlight");
}

XStringW closedFundGrid::LoadHeaderText()
{
    XStringW text;
    // Without a configuration, a stored header or a usable one, the grid still gets its columns.
    if (!StoredHeader(text)) {
        text = defaultHeader();
    } else {
        // Columns added to the module since the user stored a header are offered, hidden.
        XStringW merged;
        if (appendMissingColumns(text, defaultHeader(), merged)) text = merged;
    }
    text.replaceAll(L"end_date", ShownDataDate());
    return text;
}

// Reading changes nothing the user stored: a damaged header stays under its key until the
// user's next change replaces it, and its text is also copied aside, so that neither that
// change nor a later reset loses it. An empty one is what a save cut short between creating
// the key and setting it leaves; it is the default header's state and is not copied.
bool closedFundGrid::StoredHeader(XStringW& text)
{
    XComPtr<Host::IConfManager> conf = UserConf();
    XComPtr<Host::IConfKey> key = conf ? conf->getKey(kCustomHeaderKey) : XComPtr<Host::IConfKey>();
    if (!key) return false;
    XComPtr<Host::IConfValue> value = key->getValue();
    text = value ? value->getString() : XStringW();
    if (shownHeaderColumns(text) > 0) {
        // A damaged store may ask for thousands of columns: only as many as the module could
        // ever have stored are shown.
        XStringW bounded;
        if (!boundHeaderColumns(text, HeaderColumnLimit(), bounded)) return true;
        bool shown = shownHeaderColumns(bounded) > 0;
        KeepDamagedHeader(conf.get(), text, shown);
        text = bounded;
        return shown;
    }
    if (text.find_first_not_of(L" \t\r\n") == XStringW::npos) return false;
    KeepDamagedHeader(conf.get(), text, false);
    return false;
}

int closedFundGrid::HeaderColumnLimit() const
{
    int limit = std::max(0, headerColumns(defaultHeader()));
    // The table's columns are counted up to the most a query could ever give it.
    const int kMostTableColumns = 2000;
    for (int c = 0; fundTable_ && c < kMostTableColumns && fundTable_->getColumn(c); ++c) ++limit;
    return limit;
}

// One write when the kept copy already exists (two for its first creation, whose empty value
// a kill may leave: the damaged text is still under its own key and is copied next time).
// The same text is neither copied nor reported again.
void closedFundGrid::KeepDamagedHeader(Host::IConfManager* conf, const XStringW& text, bool shownCut)
{
    if (text == reportedDamage_) return;
    reportedDamage_ = text;
    XComPtr<Host::IConfKey> aside = conf->getKey(kDamagedHeaderKey);
    XComPtr<Host::IConfValue> kept = aside ? aside->getValue() : XComPtr<Host::IConfValue>();
    bool stored = kept && kept->getString() == text;
    if (!stored) {
        if (!aside) aside = conf->createKey(kDamagedHeaderKey);
        stored = aside && StoreText(aside.get(), text);
    }
    if (shownCut) {
        logWarning(stored ? L"closed-fund grid: the stored header has more columns than the module has; its first "
                            L"columns are shown and the stored text is kept in Custom_Header_5_damaged"
                          : L"closed-fund grid: the stored header has more columns than the module has; its first "
                            L"columns are shown (the stored text could not be copied aside and stays where it was)");
        return;
    }
    logWarning(stored ? L"closed-fund grid: the stored header cannot be shown; the default header is used and "
                        L"the stored text is kept in Custom_Header_5_damaged"
                      : L"closed-fund grid: the stored header cannot be shown; the default header is used (the "
                        L"stored text could not be copied aside and stays where it was)");
}

void closedFundGrid::OnHeaderChange()
{
    XStringW text = GetHeader();
    XComPtr<Host::IConfManager> conf = UserConf();
    if (!conf) return;
    // An existing key is set in one write. A new one takes two (created empty, then set): a
    // kill between leaves an empty stored header, which loads as the default one, the header
    // that was in effect before.
    XComPtr<Host::IConfKey> key = conf->getKey(kCustomHeaderKey);
    if (!key) key = conf->createKey(kCustomHeaderKey);
    if (!key) {
        ReportSaveFailure(kColumnSettings, conf.get());
        return;
    }
    XStringW stripped;
    if (stripFontAttributes(text, stripped)) text = stripped;
    // The placeholder goes back where the date is shown. Before a date was read the caption
    // shows "--", which value formats use too: only a title that is exactly "--" is it.
    if (!dataDate_.empty())
        text.replaceAll(dataDate_, L"end_date");
    else
        text.replaceAll(XStringW(L"title=\"") + kNoDataDate + L"\"", L"title=\"end_date\"");
    if (StoreText(key.get(), text))
        saveNotice_.saved(kColumnSettings);
    else
        ReportSaveFailure(kColumnSettings, conf.get());
}

void closedFundGrid::ReportSaveFailure(const XStringW& place, Host::IConfManager* conf)
{
    XStringW reason = HostServices::get().writeFailure(conf);
    logWarning((L"closed-fund grid: a change of " + place + L" was not saved: " + reason).c_str());
    XStringW line = saveNotice_.failed(place, reason);
    if (!line.empty()) ShowStatus(line);
}

bool closedFundGrid::StoreText(Host::IConfKey* key, const XStringW& text)
{
    XComPtr<Host::IConfValue> value = Host::createInstanceAs<Host::IConfValue>("Conf.ConfValue");
    if (!key || !value) return false;
    value->setString(text);
    key->setValue(value.get());
    XComPtr<Host::IConfValue> stored = key->getValue();
    return stored && stored->getString() == text;
}

void closedFundGrid::OnResetHeader()
{
    XStringW text = defaultHeader();
    if (XComPtr<Host::IConfManager> conf = UserConf()) {
        if (!conf->getKey(kCustomHeaderKey) || conf->deleteKey(kCustomHeaderKey))
            saveNotice_.saved(kColumnSettings);
        else
            ReportSaveFailure(kColumnSettings, conf.get());
    }
    text.replaceAll(L"end_date", ShownDataDate());
    SetHeaderText(text);
    if (SortedView()) SortedView()->rebuild(1);
}

void closedFundGrid::FreezeFundColumns()
{
    SetScrollLock(std::vector<XStringW>{L"_index", L"index_rank", L"aliascode", L"name"});
}

void closedFundGrid::OnEnterItem(int row)
{
    MessageBoxW(GetHwnd(), L"契约型封闭式基金无走势图！", L"提示", MB_ICONINFORMATION);
}

void closedFundGrid::ApplyPinList(const XStringW& text, Host::ITopSorter* sorter, Host::IDataView* view)
{
    XStringW field;
    std::vector<XStringW> values;
    if (!sorter || !parsePinList(text, field, values)) return;
    sorter->setField(field);
    sorter->clearValues();
    for (const XStringW& v : values) sorter->addValue(v);
    if (view) view->rebuild(1);
}

void closedFundGrid::SetDefaultPinList(const XStringW& text) { ApplyPinList(text, defaultPins_.get(), SortedView()); }
void closedFundGrid::SetAlwaysPinList(const XStringW& text) { ApplyPinList(text, alwaysPins_.get(), DisplayView()); }

void closedFundGrid::LoadZoom()
{
    XComPtr<Host::IConfManager> conf = UserConf();
    XComPtr<Host::IConfKey> key = conf ? conf->getKey(kFontSizeKey) : XComPtr<Host::IConfKey>();
    XComPtr<Host::IConfValue> value = key ? key->getValue() : XComPtr<Host::IConfValue>();
    if (!value) return;
    double zoom = value->getDouble();
    if (std::isfinite(zoom) && zoom > 0) userZoom_ = zoom;
}

} // namespace ClosedFund

// The grid of the closed-fund page: owns the fund table, keeps the header the user arranged
// in the user configuration (with "end_date" standing for the data date), takes its zoom
// from the user's font size, shows the company without its pinyin initial, marks watched
// funds, and carries its context menu, hot keys, profile page and export.
#pragma once
#include "common/SaveNotice.h"
#include "grid/GeneralDataGrid.h"
#include "grid/GridThemeBlock.h"
#include <functional>
#include <vector>

namespace ClosedFund {

// Where the user's header is stored, and the user's font size (the zoom).
extern const char* const kCustomHeaderKey;
// Where a stored header the grid cannot show is copied before the default one is used.
extern const char* const kDamagedHeaderKey;
extern const char* const kFontSizeKey;
// The folder of the last export, where the save dialog opens next time.
extern const char* const kExportFolderKey;
// The column the person last sorted the rows by and its direction ("pricevaluerate,desc");
// missing while the rows are in the table's own order.
extern const char* const kSortOrderKey;

struct ExportColumn;

// Command identifiers of the context menu, as they arrive in WM_COMMAND.
enum GridCommand { CMD_ADD_TO_FUND_POOL = 1, CMD_EXPORT = 2, CMD_OPEN_PROFILE = 3 };

class closedFundGrid : public GeneralDataGrid {
public:
    closedFundGrid();
    closedFundGrid(const closedFundGrid&) = delete;
    closedFundGrid& operator=(const closedFundGrid&) = delete;
    ~closedFundGrid() override;

    // Commands 1 to 3 run here; every message then goes on to the control.
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DrawItem(HDC dc, Gdiplus::Graphics* graphics, int row, int column, const RECT& rect) override;
    void GetItemColor(int row, Control::HeaderInfo2& column, const Common::XStringW& text, COLORREF& color) override;
    void GetItemText(int row, Control::HeaderInfo2& column, Common::XStringW& text) override;
    void OnContextMenu(int x, int y) override;
    // Stores the control's header, its concrete font attributes stripped and the data date
    // put back as "end_date".
    void OnHeaderChange() override;
    // Back to the module's default header; the stored one is deleted.
    void OnResetHeader() override;
    void OnEnterItem(int row) override;
    // A caption click: the general grid's sort, kept in kSortOrderKey. "排序" numbers the rows
    // in the table's own order, so its caption puts them back in it (default pins first).
    bool sort(const Common::XStringW& column, int descending) override;
    // The order kept from the last run, once the grid first has rows and columns: through its
    // caption, which shows the arrow. A kept column the header does not show, or a value
    // that cannot be read, leaves the table's own order (and the kept value as it is).
    void RestoreSavedSort();

    // The columns that say which fund a row is (running number, rank, code, name) stay in
    // place while the others scroll sideways. They are found by name, so hiding the rank or
    // moving a column never freezes half of the net-value group instead.
    void FreezeFundColumns();

    // Pin lists of the system configuration ("field=v1,v2"); a text without "=" changes nothing.
    void SetDefaultPinList(const Common::XStringW& text);
    void SetAlwaysPinList(const Common::XStringW& text);
    // The zoom from the user's font size; a missing, zero, negative or non-numeric value
    // keeps the current zoom.
    void LoadZoom();

    bool IsProfileHotKey(UINT key);
    bool IsRefreshHotKey(UINT key);
    // The code a person sees on the row: the "代码" column as shown, when the row has a fund.
    // Empty for a row outside the grid, or one whose code shows "--" or nothing; the commands
    // on a row act only on a code it shows.
    Common::XStringW ShownFundCode(int row);
    void AddToFundPool();
    void OpenProfilePage();
    // The profile address of the current row's fund; empty when there is no fund to show.
    Common::XStringW ProfileUrl();
    // The save dialog (in the last export's folder, else the user's documents), then
    // ExportToFile; a failure is shown in a message box naming the path and the reason, a
    // success through ShowStatus.
    void ExportList();
    // Writes the shown list to path, without any window: a header record of the captions, then
    // one record per shown row, each cell as GetItemText gives it (see DelimitedText.h for the
    // quoting and export/ExportTarget.h for the format by filter and extension).
    // The file is replaced only when everything was written. False with error set (the path
    // and the system's reason) when it could not be; rowsWritten gets the number of funds.
    // Needs the header in the grid's header document (SetHeaderText, or the control's
    // SetHeader without a theme) and COM started on the thread; no window is needed.
    bool ExportToFile(const Common::XStringW& path, int filterIndex, Common::XStringW& error,
                      size_t* rowsWritten = nullptr);
    // The current row for Ctrl+C: the captions and the row as two tab-separated records.
    using GeneralDataGrid::DragItemToString;
    void DragItemToString(int row, Common::XStringW& text) override;

    // The header the page loads: the stored one (with the default's newer columns appended,
    // hidden), else the module's default, with "end_date" replaced by the data date. A stored
    // header that is empty, does not parse or shows no column counts as none; a damaged one
    // is copied to kDamagedHeaderKey and reported. One with more columns than the fund
    // table and the default header hold together (HeaderColumnLimit) is shown cut to that
    // many, and copied aside and reported the same way.
    Common::XStringW LoadHeaderText();
    int HeaderColumnLimit() const;

    Host::IDataTable* FundTable() const { return fundTable_.get(); }
    Host::ITopSorter* DefaultPinSorter() const { return defaultPins_.get(); }
    Host::ITopSorter* AlwaysPinSorter() const { return alwaysPins_.get(); }
    // The date of the rows shown; empty until a fill has read one.
    Common::XStringW& DataDate() { return dataDate_; }
    // The data date as the header shows it: "--" until a date has been read, so that the
    // caption never claims a date the rows do not have.
    Common::XStringW ShownDataDate() const;
    Common::XStringW& ExportNameSuffix() { return exportNameSuffix_; }
    double Zoom() const { return userZoom_; }
    GridThemeBlock& ThemeBlock() { return themeBlock_; }
    // Drops the fund table (the page lets go of its host references at uninitialise).
    void ReleaseFundTable() { fundTable_.reset(); }

    // A short message (a confirmation, or why something could not be done): in the host's
    // status bar when the host has one ("mod_StatusBar"), else kept here for the owner to
    // show (the page draws it in its title strip) until the next one, and the owner is told.
    void ShowStatus(const Common::XStringW& text);
    // The message kept for the owner: the last one shown without a host status bar.
    const Common::XStringW& StatusText() const { return statusText_; }
    void SetStatusListener(std::function<void()> listener) { statusListener_ = std::move(listener); }
    // "数值条件…" in the header's menu for a column that offered accepts; ask opens its dialog.
    void SetNumericConditionHandler(std::function<bool(const Common::XStringW&)> offered,
                                    std::function<void(const Common::XStringW&)> ask)
    {
        numericOffered_ = std::move(offered);
        askNumeric_ = std::move(ask);
    }
    void AppendHeaderMenuItems(HMENU menu, const Common::XStringW& column) override;
    void OnHeaderMenuCommand(UINT id, const Common::XStringW& column) override;

protected:
    // Hands the address to the shell; the one place where the grid starts another program.
    // Returns the shell's result: above 32 when the address was handed on.
    virtual INT_PTR OpenUrl(const Common::XStringW& url);

private:
    bool MatchesHotKey(UINT key, bool profile);
    XComPtr<Host::IFundsPoolModule> FundsPool();
    void ApplyPinList(const Common::XStringW& text, Host::ITopSorter* sorter, Host::IDataView* view);
    XComPtr<Host::IConfManager> UserConf() const;
    // Stores text under key. The client's interface gives setValue no result: the value is
    // read back, and true means it was kept.
    static bool StoreText(Host::IConfKey* key, const Common::XStringW& text);
    // Tells the person once that place ("列设置") was not saved, with the host's reason.
    void ReportSaveFailure(const Common::XStringW& place, Host::IConfManager* conf);
    // The stored header when there is one the grid can show.
    bool StoredHeader(Common::XStringW& text);
    // shownCut: the first columns of the text are shown, rather than the default header.
    void KeepDamagedHeader(Host::IConfManager* conf, const Common::XStringW& text, bool shownCut);
    // The kept order; false when none is kept or it cannot be read (logged).
    bool ReadSortOrder(Common::XStringW& column, bool& descending);
    void StoreSortOrder();
    std::vector<ExportColumn> ExportColumns() const;
    void AppendRowRecord(Common::XStringW& out, int row, std::vector<ExportColumn>& columns, wchar_t separator);
    Common::XStringW ExportFolder() const;
    // Keeps the export's folder and type; the line to add to the confirmation when they were
    // not kept (once per reason), else empty.
    Common::XStringW RememberExportChoice(const Common::XStringW& folder, int type);

    GridThemeBlock themeBlock_;
    Common::SaveNotice saveNotice_;
    std::function<bool(const Common::XStringW&)> numericOffered_;
    std::function<void(const Common::XStringW&)> askNumeric_;
    XComPtr<Host::IDataTable> fundTable_;
    XComPtr<Host::ITopSorter> defaultPins_;
    XComPtr<Host::ITopSorter> alwaysPins_;
    XComPtr<Host::IMenuToolModule> menuTool_;
    Common::XStringW dataDate_;
    Common::XStringW exportNameSuffix_;
    Host::HotKey profileKey_;
    Host::HotKey refreshKey_;
    double userZoom_ = 1.0; // the user's font size; the page hands it to SetZoom
    XComPtr<Host::IConcernFundModule> watchList_;
    Common::XStringW reportedDamage_; // the damaged header last copied aside and reported
    Common::XStringW statusText_;
    std::function<void()> statusListener_;
    bool sortRestored_ = false; // the kept order was applied, or the person sorted first
    // While the kept order is restored: the direction wanted, or -1. The control turns a
    // caption from its own start direction; a first click the other way only turns the arrow.
    int restoringDirection_ = -1;
};

} // namespace ClosedFund

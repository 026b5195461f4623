// The common open or save dialog, run modally over an owner.
#pragma once
#include "ui/WindowBase.h"
#include <commdlg.h>
#include <string>

namespace WGUI {

class FileDialog : public WindowBase {
public:
    enum { kFileNameChars = 260, kFileTitleChars = 256 };

    // filters: pairs of description and pattern, ending in an empty string. The initial file
    // name is cut to what the buffer holds (259 characters).
    FileDialog(HINSTANCE instance, bool open, LPCWSTR defaultExtension, LPCWSTR initialFileName, DWORD extraFlags,
               LPCWSTR filters, HWND owner);
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;
    ~FileDialog() override = default;

    // Returns IDOK (1) with the chosen path in FileName() and the chosen filter (from 1) in
    // FilterIndex(), or IDCANCEL (2) when the user cancelled or the dialog failed.
    INT_PTR DoModal(HWND owner);
    // The folder the dialog opens in; empty leaves the choice to the platform.
    void SetInitialFolder(const std::wstring& folder);

    // The user's documents folder; empty when the shell cannot name one.
    static std::wstring DocumentsFolder();

    const wchar_t* FileName() const { return fileName_; }
    const wchar_t* FileTitle() const { return fileTitle_; }
    DWORD FilterIndex() const { return ofn_.nFilterIndex; }
    // The filter the dialog opens on (from 1).
    void SetFilterIndex(DWORD index) { ofn_.nFilterIndex = index; }
    const OPENFILENAMEW& Record() const { return ofn_; }

private:
    static UINT_PTR CALLBACK HookProc(HWND, UINT, WPARAM, LPARAM) noexcept;

    OPENFILENAMEW ofn_;
    bool open_;
    wchar_t fileTitle_[kFileTitleChars];
    wchar_t fileName_[kFileNameChars];
    std::wstring initialFolder_;
};

} // namespace WGUI

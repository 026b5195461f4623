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
    FileDialog(HINSTANCE instance, bool open, LPCWSTR defaultExtension, LPCWSTR initialFileName,
               DWORD extraFlags, LPCWSTR filters, HWND owner);
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    // Returns IDOK (1) with the chosen path in FileName() and the chosen filter (from 1) in
    // FilterIndex(), or IDCANCEL (2) when the user cancelled or the dialog failed.
    INT_PTR DoModal(HWND owner);
    // The folder the dialog opens in; empty leaves the choice to the platform.
    void SetInitialFolder(const std::wstring& folder);

    // The user's documents folder; empty when the shell cannot name one.
    static std::wstring DocumentsFolder();

    const wchar_t* FileName() const { return m_fileName; }
    const wchar_t* FileTitle() const { return m_fileTitle; }
    DWORD FilterIndex() const { return m_ofn.nFilterIndex; }
    const OPENFILENAMEW& Record() const { return m_ofn; }

private:
    static UINT_PTR CALLBACK HookProc(HWND, UINT, WPARAM, LPARAM) noexcept;

    OPENFILENAMEW m_ofn;
    bool m_open;
    wchar_t m_fileTitle[kFileTitleChars];
    wchar_t m_fileName[kFileNameChars];
    std::wstring m_initialFolder;
};

} // namespace WGUI

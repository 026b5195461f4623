#include "ui/FileDialog.h"
#include <cwchar>
#include <shlobj.h>

namespace WGUI {

// The record's size is the platform's own: the 32-bit layout's 88 bytes are refused by the
// 64-bit dialog functions, which would then fail every time.
FileDialog::FileDialog(HINSTANCE instance, bool open, LPCWSTR defaultExtension, LPCWSTR initialFileName,
                       DWORD extraFlags, LPCWSTR filters, HWND owner)
    : ofn_(), open_(open), fileTitle_(), fileName_()
{
    if (initialFileName) wcsncpy(fileName_, initialFileName, kFileNameChars - 1);
    fileName_[kFileNameChars - 1] = L'\0';
    ofn_.lStructSize = sizeof(OPENFILENAMEW);
    ofn_.hwndOwner = owner;
    ofn_.hInstance = instance;
    ofn_.lpstrFilter = filters;
    ofn_.lpstrCustomFilter = nullptr;
    ofn_.nFilterIndex = 0;
    ofn_.lpstrFile = fileName_;
    ofn_.nMaxFile = kFileNameChars;
    ofn_.lpstrFileTitle = fileTitle_;
    ofn_.nMaxFileTitle = kFileTitleChars;
    ofn_.lpstrInitialDir = nullptr;
    ofn_.lpstrTitle = nullptr;
    ofn_.Flags = extraFlags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
    ofn_.lpstrDefExt = defaultExtension;
    ofn_.lCustData = reinterpret_cast<LPARAM>(this);
    ofn_.lpfnHook = &FileDialog::HookProc;
}

// The hook is there only so the explorer-style dialog takes the hook's sizing behaviour; it
// handles nothing.
UINT_PTR CALLBACK FileDialog::HookProc(HWND, UINT, WPARAM, LPARAM) noexcept { return 0; }

void FileDialog::SetInitialFolder(const std::wstring& folder)
{
    initialFolder_ = folder;
    ofn_.lpstrInitialDir = initialFolder_.empty() ? nullptr : initialFolder_.c_str();
}

std::wstring FileDialog::DocumentsFolder()
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)) && path) folder = path;
    CoTaskMemFree(path);
    return folder;
}

INT_PTR FileDialog::DoModal(HWND owner)
{
    if (!ofn_.hwndOwner) ofn_.hwndOwner = owner;
    BOOL chosen = open_ ? ::GetOpenFileNameW(&ofn_) : ::GetSaveFileNameW(&ofn_);
    hwnd_ = nullptr;
    return chosen ? IDOK : IDCANCEL;
}

} // namespace WGUI

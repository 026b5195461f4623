#include "ui/FileDialog.h"
#include <cwchar>
#include <shlobj.h>

namespace WGUI {

// The record's size is the platform's own: the 32-bit layout's 88 bytes are refused by the
// 64-bit dialog functions, which would then fail every time.
FileDialog::FileDialog(HINSTANCE instance, bool open, LPCWSTR defaultExtension, LPCWSTR initialFileName,
                       DWORD extraFlags, LPCWSTR filters, HWND owner)
    : m_ofn(), m_open(open), m_fileTitle(), m_fileName()
{
    if (initialFileName) wcsncpy(m_fileName, initialFileName, kFileNameChars - 1);
    m_fileName[kFileNameChars - 1] = L'\0';
    m_ofn.lStructSize = sizeof(OPENFILENAMEW);
    m_ofn.hwndOwner = owner;
    m_ofn.hInstance = instance;
    m_ofn.lpstrFilter = filters;
    m_ofn.lpstrCustomFilter = nullptr;
    m_ofn.nFilterIndex = 0;
    m_ofn.lpstrFile = m_fileName;
    m_ofn.nMaxFile = kFileNameChars;
    m_ofn.lpstrFileTitle = m_fileTitle;
    m_ofn.nMaxFileTitle = kFileTitleChars;
    m_ofn.lpstrInitialDir = nullptr;
    m_ofn.lpstrTitle = nullptr;
    m_ofn.Flags = extraFlags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
    m_ofn.lpstrDefExt = defaultExtension;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    m_ofn.lpfnHook = &FileDialog::HookProc;
}

// The hook is there only so the explorer-style dialog takes the hook's sizing behaviour; it
// handles nothing.
UINT_PTR CALLBACK FileDialog::HookProc(HWND, UINT, WPARAM, LPARAM) noexcept { return 0; }

void FileDialog::SetInitialFolder(const std::wstring& folder)
{
    m_initialFolder = folder;
    m_ofn.lpstrInitialDir = m_initialFolder.empty() ? nullptr : m_initialFolder.c_str();
}

std::wstring FileDialog::DocumentsFolder()
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)) && path)
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

INT_PTR FileDialog::DoModal(HWND owner)
{
    if (!m_ofn.hwndOwner) m_ofn.hwndOwner = owner;
    BOOL chosen = m_open ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    m_hWnd = nullptr;
    return chosen ? IDOK : IDCANCEL;
}

} // namespace WGUI

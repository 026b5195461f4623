#include "ShellPaths.h"
#include <windows.h>
#include <shlobj.h>

namespace HostShell {

std::wstring programFolder()
{
    wchar_t buffer[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, buffer, DWORD(sizeof buffer / sizeof buffer[0]));
    std::wstring path(buffer, n);
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

static std::wstring withoutTrailingSlash(std::wstring path)
{
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

ShellPaths defaultPaths()
{
    ShellPaths paths;
    paths.exeDir = programFolder();
    wchar_t buffer[MAX_PATH * 4];
    DWORD n = GetEnvironmentVariableW(L"CLIENT2_DATA_DIR", buffer, DWORD(sizeof buffer / sizeof buffer[0]));
    if (n > 0 && n < sizeof buffer / sizeof buffer[0]) {
        paths.dataDir = withoutTrailingSlash(buffer);
        return paths;
    }
    wchar_t appData[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, appData)))
        paths.dataDir = std::wstring(appData) + L"\\Client2";
    else
        paths.dataDir = paths.exeDir + L"\\data";
    return paths;
}

bool fileExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ensureFolder(const std::wstring& path)
{
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 2 && !ensureFolder(path.substr(0, slash))) return false;
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

} // namespace HostShell

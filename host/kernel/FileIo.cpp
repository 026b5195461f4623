#include "FileIo.h"
#include "common/ScopedWin.h"
#include <algorithm>

namespace Kernel {

ReadResult readWholeFile(const std::wstring& path, std::string& out)
{
    out.clear();
    Common::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                              : ReadResult::Failed;
    }
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return ReadResult::Failed;
        if (got == 0) return ReadResult::Ok;
        out.append(buffer, got);
    }
}

bool writeDurably(const std::wstring& path, const std::string& bytes)
{
    Common::ScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD put = 0;
        ok = WriteFile(file.get(), bytes.data() + done, chunk, &put, nullptr) && put == chunk;
        done += put;
    }
    ok = ok && FlushFileBuffers(file.get());
    // The caller tells the person why from the write's error, not the clean-up's.
    DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    file.reset();
    if (!ok) {
        DeleteFileW(path.c_str());
        SetLastError(error);
    }
    return ok;
}

bool pathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool isDirectory(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring folderOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::wstring moveAside(const std::wstring& path, const std::wstring& suffix)
{
    for (int n = 0; n < 1000; ++n) {
        std::wstring target = path + suffix;
        if (n > 0) target += L"." + std::to_wstring(n);
        if (pathExists(target)) continue;
        // No MOVEFILE_REPLACE_EXISTING: a name taken meanwhile makes us try the next one.
        if (MoveFileExW(path.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return target;
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return {};
    }
    return {};
}

} // namespace Kernel

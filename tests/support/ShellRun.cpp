#include "ShellRun.h"
#include <windows.h>
#include <cstdlib>

namespace TestSupport {

std::string unixPath(const std::wstring& windowsPath)
{
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* p = toUnix ? toUnix(windowsPath.c_str()) : nullptr;
    std::string out = p ? p : "";
    if (p) HeapFree(GetProcessHeap(), 0, p);
    return out;
}

namespace {

std::wstring suiteFolder()
{
    wchar_t exe[MAX_PATH];
    std::wstring path(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring parentOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }

// text quoted for bash: inside single quotes, a quote closed, escaped and opened again.
std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

std::string sourceTree()
{
    const char* source = std::getenv("CLIENT2_SOURCE");
    return source && *source ? std::string(source) : unixPath(parentOf(parentOf(suiteFolder())));
}

std::string buildFolder() { return unixPath(parentOf(suiteFolder())); }

ShellRun runShell(const TempDir& dir, const std::string& script, int seconds)
{
    ShellRun run;
    const std::string out = unixPath(dir.file(L"run.out")), err = unixPath(dir.file(L"run.err"));
    const std::string status = unixPath(dir.file(L"run.status"));
    // The prefix is the one C: of this run lies in; Wine's own programs find their server by it.
    std::string wrapper = "export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin\n"
                          "export BUILD_DIR=" +
                          quoted(buildFolder()) +
                          "\n"
                          "export WINEPREFIX=\"$(realpath " +
                          quoted(unixPath(L"C:\\")) +
                          "/..)\"\n"
                          "unset DISPLAY\n"
                          "cd " +
                          quoted(sourceTree()) +
                          " || exit 1\n"
                          "(\n" +
                          script + "\n) >" + quoted(out) + " 2>" + quoted(err) +
                          "\n"
                          "echo $? >" +
                          quoted(status + ".part") + " && mv " + quoted(status + ".part") + " " + quoted(status) + "\n";
    // A run before this one in dir leaves its files: its status must not pass for this one's.
    for (const wchar_t* name : {L"run.status", L"run.out", L"run.err"}) DeleteFileW(dir.file(name).c_str());
    if (!writeFileBytes(dir.file(L"run.sh"), wrapper)) return run;
    std::string command = "Z:\\bin\\bash \"" + unixPath(dir.file(L"run.sh")) + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return run;
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    for (int waited = 0;
         waited < seconds * 20 && GetFileAttributesW(dir.file(L"run.status").c_str()) == INVALID_FILE_ATTRIBUTES;
         ++waited)
        Sleep(50);
    std::string code = readFileBytes(dir.file(L"run.status"));
    if (code.empty()) return run;
    run.status = std::atoi(code.c_str());
    run.out = readFileBytes(dir.file(L"run.out"));
    run.err = readFileBytes(dir.file(L"run.err"));
    return run;
}

} // namespace TestSupport

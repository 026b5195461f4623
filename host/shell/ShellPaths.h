// Where the client finds its files: the program folder (themes, module libraries) and the
// per-user data folder (configuration, fund database, update packages, log).
#pragma once
#include <string>

namespace HostShell {

struct ShellPaths {
    std::wstring exeDir;  // no trailing backslash
    std::wstring dataDir; // no trailing backslash

    std::wstring themeDir() const { return exeDir + L"\\themes"; }
    std::wstring systemConf() const { return dataDir + L"\\system.conf"; }
    std::wstring userConf() const { return dataDir + L"\\user.conf"; }
    std::wstring fundDatabase() const { return dataDir + L"\\funds.db"; }
    std::wstring updateDir() const { return dataDir + L"\\updates"; }
    std::wstring logFile() const { return dataDir + L"\\client2.log"; }
};

// The folder of the running program, and as data folder CLIENT2_DATA_DIR when it is set,
// else "Client2" in the user's application-data folder.
ShellPaths defaultPaths();
std::wstring programFolder();
// Creates the folder and its missing parents; true when it exists afterwards.
bool ensureFolder(const std::wstring& path);
bool fileExists(const std::wstring& path);

} // namespace HostShell

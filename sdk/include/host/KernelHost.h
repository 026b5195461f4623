// What the kernel offers the host itself (the shell, tools, tests), beyond the module contract.
#pragma once
#include "host/Conf.h"
#include "host/Kernel.h"
#include "host/Theme.h"

namespace Host {

// The user configuration kept in filePath: persistent, every write replaces the file
// atomically, a corrupt file falls back to the last good copy (or defaults) with a warning.
C2KERNEL_API XComPtr<IConfManager> openUserConf(const wchar_t* filePath);
// The system configuration read from filePath; modules cannot change it.
C2KERNEL_API XComPtr<IConfManager> openSystemConf(const wchar_t* filePath);
// The themes found in themeDir (one file per theme), with the named one current (else the first).
C2KERNEL_API XComPtr<IThemeMgr> openThemeMgr(const wchar_t* themeDir, const char* currentTheme);
// Where logWarning writes besides the debugger output; only the host chooses it.
C2KERNEL_API void setLogFile(const wchar_t* path);

} // namespace Host

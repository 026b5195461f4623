// A bash script run from a suite, as a person runs the project's scripts: Wine starts the
// Linux program but gives no handle that waits for it, so the script's outputs go to files
// and its exit status is written last, and the run waits for that file.
#pragma once
#include "TempDir.h"
#include <string>

namespace TestSupport {

// The Linux path of a Windows one, by Wine's mapping; empty outside Wine.
std::string unixPath(const std::wstring& windowsPath);

// The checkout (CLIENT2_SOURCE, else the folder above the build folder) and the build folder
// (the one above the suite's own folder), as Linux paths.
std::string sourceTree();
std::string buildFolder();

struct ShellRun {
    std::string out, err; // UTF-8, as written
    int status = -1;      // -1: it did not end in time
};

// Runs script (bash, UTF-8) in the checkout with the build folder's settings (BUILD_DIR, the
// Wine prefix of this run, no DISPLAY), writing it and its outputs into dir; waits up to
// seconds for it to end.
ShellRun runShell(const TempDir& dir, const std::string& script, int seconds);

} // namespace TestSupport

// client2.exe as a person starts it: a process of its own, started from its program folder,
// with its own data folder (CLIENT2_DATA_DIR in its environment), so that it writes its
// first-run sample database there. The test drives it only from outside, through window
// messages, and reads only what its windows show.
//
// A client still running when the object goes is terminated: a failed test must never
// leave a process behind that keeps ctest waiting.
#pragma once
#include <windows.h>
#include <string>

namespace Journey {

class ClientProcess {
public:
    explicit ClientProcess(std::wstring dataDir);
    ~ClientProcess();
    ClientProcess(const ClientProcess&) = delete;
    ClientProcess& operator=(const ClientProcess&) = delete;

    // Starts client2.exe beside the test program and waits (at most ms) for its visible main
    // window. False when it does not start or shows no window in time; the process is then
    // terminated.
    bool start(DWORD ms);
    // Asks the main window to close (WM_CLOSE) and waits at most ms for the process to end.
    // False when it did not end by itself; it is terminated then.
    bool close(DWORD ms);
    void terminate();

    bool running() const;
    DWORD pid() const { return info_.dwProcessId; }
    HWND mainWindow() const { return mainWindow_; }
    const std::wstring& dataDir() const { return dataDir_; }
    DWORD exitCode() const;

private:
    HWND findMainWindow() const;
    void releaseHandles();

    std::wstring dataDir_;
    PROCESS_INFORMATION info_{};
    HANDLE job_ = nullptr;
    HWND mainWindow_ = nullptr;
};

} // namespace Journey

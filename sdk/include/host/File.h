// Files ("File.File").
#pragma once
#include "host/IXUnknown.h"
#include <cstdint>
#include <windows.h>
// The Windows headers define FILE_CREATE (a native create disposition, unused here) as a
// macro, which would rewrite the flag below; windows.h is included first so that it cannot
// come back after this point.
#ifdef FILE_CREATE
#undef FILE_CREATE
#endif

namespace Host {

enum FileOpenFlags {
    FILE_READ = 1,
    FILE_WRITE = 2,
    FILE_CREATE = 8,
    FILE_TRUNCATE = 16,
    FILE_CREATE_WRITE = FILE_WRITE | FILE_CREATE | FILE_TRUNCATE, // 26
};

// The client's interface gives write and close no result: a caller that must know whether
// the file is in place checks it with the system's file functions afterwards.
struct IFile : IXUnknown {
    virtual bool open(const XStringW& path, int flags) = 0;
    virtual void write(const void* bytes, int64_t length) = 0;
    virtual void close() = 0;
};

} // namespace Host

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

struct IFile : IXUnknown {
    virtual bool open(const XStringW& path, int flags) = 0;
    virtual bool write(const void* bytes, int64_t length) = 0;
    // For a file opened for writing: true when everything written is in place.
    virtual bool close() = 0;
    virtual int64_t read(void* buffer, int64_t length) = 0;
};

} // namespace Host

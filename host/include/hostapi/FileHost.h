// Files as the reference host sees them, beyond the client's interface.
#pragma once
#ifndef C2_HOST_INTERNAL
#error "a host-internal header: a module sees only the client's interface (sdk/include/host) and ext/"
#endif
#include "host/File.h"

namespace Host {

struct IFileHost : IFile {
    // write and close with their outcomes: false when the bytes could not be written, or
    // (close of a file opened for writing) when they are not all in place.
    virtual bool put(const void* bytes, int64_t length) = 0;
    virtual bool finish() = 0;
    virtual int64_t read(void* buffer, int64_t length) = 0;
};

} // namespace Host

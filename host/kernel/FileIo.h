// Small file helpers of the kernel's stores: whole-file reads, durable writes, and moving a
// file aside without ever overwriting another.
#pragma once
#include <windows.h>
#include <string>

namespace Kernel {

enum class ReadResult { Ok, Missing, Failed };

// The whole file as bytes. Missing when neither the file nor its folder exists.
ReadResult readWholeFile(const std::wstring& path, std::string& out);
// Writes bytes to a new file at path (replacing one there) and flushes them to the disk
// before returning true. On failure the partial file is removed, and GetLastError gives the
// write's error.
bool writeDurably(const std::wstring& path, const std::string& bytes);
bool pathExists(const std::wstring& path);
bool isDirectory(const std::wstring& path);
// The folder part of path ("." for a bare name), without a trailing separator.
std::wstring folderOf(const std::wstring& path);
// Renames path to path+suffix, or path+suffix+".1", ".2", ... when that name is taken, so
// that earlier files set aside are kept. Returns the new name, empty on failure.
std::wstring moveAside(const std::wstring& path, const std::wstring& suffix);

} // namespace Kernel

// The configuration file format: UTF-8 text, one "key=value" line per key with the line
// breaks, backslashes and other awkward characters of keys and values escaped, between a
// first line naming the format and a last line holding the number of keys and a CRC-32 of
// everything above it. A file cut short or damaged anywhere fails the check as a whole.
#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace Kernel {

typedef std::map<std::string, std::wstring> ConfEntries;

std::string serializeConf(const ConfEntries& entries);
// False for anything that is not a whole, intact file of this format; entries is then empty.
bool parseConf(const std::string& bytes, ConfEntries& entries);

uint32_t crc32(const void* bytes, size_t length);

} // namespace Kernel

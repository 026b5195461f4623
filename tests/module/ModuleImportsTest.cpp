// The module library as the client's loader sees it: of the host's binaries it may import
// only the kernel, and of the kernel only the client's three functions. Any other import
// would stop the library from loading in the client.
#include "TempDir.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

struct Import {
    std::string dll;      // lower case
    std::string function; // "#n" for an import by ordinal
};

std::string lower(std::string s)
{
    for (char& c : s) c = char(tolower(static_cast<unsigned char>(c)));
    return s;
}

// The imports of a PE32+ file, read from its bytes; false for a file that is not one or
// whose import table points outside it.
bool readImports(const std::wstring& path, std::vector<Import>& imports)
{
    const std::string bytes = TestSupport::readFileBytes(path);
    auto at = [&](size_t offset, size_t size) -> const char* {
        return offset <= bytes.size() && size <= bytes.size() - offset ? bytes.data() + offset : nullptr;
    };
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(at(size_t(dos->e_lfanew), sizeof(IMAGE_NT_HEADERS64)));
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return false;
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    if (!at(size_t(reinterpret_cast<const char*>(sections) - bytes.data()),
            nt->FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER)))
        return false;
    auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return size_t(-1);
    };
    auto text = [&](DWORD rva) -> std::string {
        size_t offset = fileOffset(rva);
        const char* p = at(offset, 1);
        if (!p) return {};
        return std::string(p, strnlen(p, bytes.size() - offset));
    };
    // The module uses no delay-loaded imports; one would escape the check below.
    if (nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].Size != 0) return false;
    const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (DWORD rva = table.VirtualAddress;; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        auto d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(fileOffset(rva), sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (!d) return false;
        if (d->Name == 0) return true;
        std::string dll = lower(text(d->Name));
        DWORD thunks = d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk;
        for (DWORD t = thunks;; t += sizeof(ULONGLONG)) {
            auto thunk = reinterpret_cast<const ULONGLONG*>(at(fileOffset(t), sizeof(ULONGLONG)));
            if (!thunk) return false;
            if (*thunk == 0) break;
            if (*thunk & IMAGE_ORDINAL_FLAG64)
                imports.push_back({dll, "#" + std::to_string(*thunk & 0xFFFF)});
            else
                imports.push_back({dll, text(DWORD(*thunk) + sizeof(WORD))}); // past the hint
        }
    }
}

std::wstring programFolder()
{
    wchar_t buffer[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, buffer, DWORD(std::size(buffer)));
    std::wstring path(buffer, n);
    return path.substr(0, path.find_last_of(L"\\/"));
}

// The imports that would keep a library from loading in the client: from the kernel, any
// function but the client's three; from any other binary of ours (a DLL that the build put
// beside the tests), anything at all. System DLLs are fine.
std::vector<std::string> importsTheClientLacks(const std::vector<Import>& imports)
{
    static const std::set<std::string> kClientKernel = {"_ZN4Host14createInstanceEPKc", "_ZN4Host11createEventEPKc",
                                                        "_ZN4Host8getEventEPKc"};
    std::vector<std::string> lacking;
    for (const Import& i : imports) {
        bool ours = GetFileAttributesW((programFolder() + L"\\" + std::wstring(i.dll.begin(), i.dll.end())).c_str()) !=
                    INVALID_FILE_ATTRIBUTES;
        if (i.dll == "c2kernel.dll" ? !kClientKernel.count(i.function) : ours)
            lacking.push_back(i.dll + "!" + i.function);
    }
    return lacking;
}

std::string joined(const std::vector<std::string>& names)
{
    std::string all;
    for (const std::string& n : names) all += n + "\n";
    return all;
}

TEST(ModuleImports, OnlyTheClientsKernelFunctionsAndSystemLibraries)
{
    std::vector<Import> imports;
    ASSERT_TRUE(readImports(programFolder() + L"\\mod_ClosedFund.dll", imports));
    std::set<std::string> kernel;
    for (const Import& i : imports)
        if (i.dll == "c2kernel.dll") kernel.insert(i.function);
    // The module creates components and subscribes to events: the kernel is imported.
    EXPECT_TRUE(kernel.count("_ZN4Host14createInstanceEPKc"));
    EXPECT_EQ(joined(importsTheClientLacks(imports)), "");

    // The check itself sees an extra kernel import: this suite imports the host's own log.
    std::vector<Import> suite;
    wchar_t self[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, self, DWORD(std::size(self)));
    ASSERT_TRUE(readImports(std::wstring(self, n), suite));
    EXPECT_NE(joined(importsTheClientLacks(suite)).find("c2kernel.dll!_ZN4Host10logWarningEPKw"), std::string::npos);
}

} // namespace

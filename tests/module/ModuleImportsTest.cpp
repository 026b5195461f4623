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

// A PE32+ file's bytes, read only inside their bounds.
class PeFile {
public:
    explicit PeFile(const std::string& bytes) : bytes_(bytes) {}

    // False for a file that is not PE32+ or whose section table lies outside it.
    bool readHeaders()
    {
        auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
        nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(at(size_t(dos->e_lfanew), sizeof(IMAGE_NT_HEADERS64)));
        if (!nt || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
            return false;
        sections_ = IMAGE_FIRST_SECTION(nt);
        return at(size_t(reinterpret_cast<const char*>(sections_) - bytes_.data()),
                  nt->FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER)) != nullptr;
    }
    const char* at(size_t offset, size_t size) const
    {
        return offset <= bytes_.size() && size <= bytes_.size() - offset ? bytes_.data() + offset : nullptr;
    }
    size_t fileOffset(DWORD rva) const
    {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections_[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return size_t(-1);
    }
    std::string text(DWORD rva) const
    {
        size_t offset = fileOffset(rva);
        const char* p = at(offset, 1);
        return p ? std::string(p, strnlen(p, bytes_.size() - offset)) : std::string();
    }

    const IMAGE_NT_HEADERS64* nt = nullptr;

private:
    const std::string& bytes_;
    const IMAGE_SECTION_HEADER* sections_ = nullptr;
};

// One library's imported names from its thunk table; false when the table leaves the file.
bool readThunks(const PeFile& pe, DWORD thunks, const std::string& dll, std::vector<Import>& imports)
{
    for (DWORD t = thunks;; t += sizeof(ULONGLONG)) {
        auto thunk = reinterpret_cast<const ULONGLONG*>(pe.at(pe.fileOffset(t), sizeof(ULONGLONG)));
        if (!thunk) return false;
        if (*thunk == 0) return true;
        if (*thunk & IMAGE_ORDINAL_FLAG64)
            imports.push_back({dll, "#" + std::to_string(*thunk & 0xFFFF)});
        else
            imports.push_back({dll, pe.text(DWORD(*thunk) + sizeof(WORD))}); // past the hint
    }
}

// The imports of a PE32+ file, read from its bytes; false for a file that is not one or
// whose import table points outside it.
bool readImports(const std::wstring& path, std::vector<Import>& imports)
{
    const std::string bytes = TestSupport::readFileBytes(path);
    PeFile pe(bytes);
    if (!pe.readHeaders()) return false;
    // The module uses no delay-loaded imports; one would escape the check below.
    if (pe.nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].Size != 0) return false;
    const IMAGE_DATA_DIRECTORY& table = pe.nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (DWORD rva = table.VirtualAddress;; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        auto d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
            pe.at(pe.fileOffset(rva), sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (!d) return false;
        if (d->Name == 0) return true;
        DWORD thunks = d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk;
        if (!readThunks(pe, thunks, lower(pe.text(d->Name)), imports)) return false;
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

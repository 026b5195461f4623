#include "SoakFeed.h"
#include "common/XString.h"
#include <windows.h>
#include <cstdio>

namespace Soak {

namespace {

const char kEndMarker[] = "-- end of package\n";
const char kPackageList[] = "soak-packages.tsv";

std::string utf8(const std::wstring& text) { return Common::toUtf8(text); }

bool writeAll(HANDLE file, const std::string& bytes)
{
    DWORD written = 0;
    return WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

// A new file holding bytes; the handle stays open (for a writer that is not done) when keep
// is given, else it is closed.
bool createFile(const std::wstring& path, const std::string& bytes, Common::ScopedHandle* keep)
{
    Common::ScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() || !writeAll(file.get(), bytes)) return false;
    if (keep) *keep = std::move(file);
    return true;
}

std::wstring lastError(const std::wstring& what) { return what + L" (error " + std::to_wstring(GetLastError()) + L")"; }

} // namespace

Feed::Feed(std::wstring dataDir, std::vector<std::wstring> codes, std::mt19937& random)
    : dataDir_(std::move(dataDir)), updates_(dataDir_ + L"\\updates"), codes_(std::move(codes)), random_(random)
{
    CreateDirectoryW(updates_.c_str(), nullptr);
}

bool Feed::tick(std::wstring& error)
{
    if (half_) return completeHalf(error);
    return writeNew(error);
}

bool Feed::finish(DWORD ms, std::wstring& error)
{
    DWORD start = GetTickCount();
    while (half_) {
        if (!completeHalf(error)) return false;
        if (!half_) break;
        if (GetTickCount() - start > ms) {
            error = L"the half-written package " + halfWritten_.path + L" could not be completed";
            return false;
        }
        Sleep(200);
    }
    return true;
}

// Most packages are good; about one in five is careless, one in ten fails.
bool Feed::writeNew(std::wstring& error)
{
    int number = ++written_;
    int roll = int(random_() % 100);
    Kind kind = roll < 72   ? Kind::Good
                : roll < 81 ? Kind::CarelessInPlace
                : roll < 90 ? Kind::CarelessRenamedEarly
                            : Kind::Bad;
    static const wchar_t* const kTags[] = {L"good", L"inplace", L"early", L"bad"};
    wchar_t stem[64];
    swprintf(stem, 64, L"soak-%05d-%ls", number, kTags[int(kind)]);
    std::wstring name = std::wstring(stem) + L".sql";
    std::wstring path = updates_ + L"\\" + name, part = updates_ + L"\\" + stem + L".part";
    std::string script = kind == Kind::Bad ? badScript(number) : goodScript(number);
    if (!record(name, kind, error)) return false;

    if (kind == Kind::Good || kind == Kind::Bad) {
        if (!createFile(part, script, nullptr) || !MoveFileW(part.c_str(), path.c_str())) {
            error = lastError(L"cannot write " + path);
            return false;
        }
        return true;
    }
    // A careless writer stops in the middle of a line: the marker is in the second half.
    size_t cut = script.size() / 2;
    halfWritten_.path = path;
    halfWritten_.rest = script.substr(cut);
    bool ok = kind == Kind::CarelessInPlace
                  ? createFile(path, script.substr(0, cut), &halfWritten_.file)
                  : createFile(part, script.substr(0, cut), nullptr) && MoveFileW(part.c_str(), path.c_str());
    if (!ok) {
        error = lastError(L"cannot write " + path);
        return false;
    }
    half_ = true;
    return true;
}

bool Feed::completeHalf(std::wstring& error)
{
    if (!halfWritten_.file.valid()) {
        halfWritten_.file.reset(CreateFileW(halfWritten_.path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!halfWritten_.file.valid()) {
            if (GetLastError() == ERROR_SHARING_VIOLATION) return true; // the updater is reading it: later
            error = lastError(L"cannot reopen " + halfWritten_.path);
            return false;
        }
    }
    if (!writeAll(halfWritten_.file.get(), halfWritten_.rest)) {
        error = lastError(L"cannot finish " + halfWritten_.path);
        return false;
    }
    halfWritten_.file.reset();
    half_ = false;
    return true;
}

// New prices and net values for one to three funds, so that the page's next reload shows
// them. Some packages start with a byte-order mark, which the format allows.
std::string Feed::goodScript(int number)
{
    std::string script = number % 5 == 0 ? "\xEF\xBB\xBF" : "";
    script += "-- 封闭式基金 净值与价格 (soak " + std::to_string(number) + ")\n";
    int funds = codes_.empty() ? 0 : 1 + int(random_() % 3);
    for (int i = 0; i < funds; ++i) {
        const std::wstring& code = codes_[random_() % codes_.size()];
        char line[200];
        std::snprintf(line, sizeof line, "update tb_closedfund set price = '%.4f', value = '%.4f' where code = '%s';\n",
                      0.5 + double(random_() % 15000) / 10000.0, 0.6 + double(random_() % 15000) / 10000.0,
                      utf8(code).c_str());
        script += line;
    }
    if (funds == 0) script += "select 1;\n";
    return script + kEndMarker;
}

// SQL the updater must roll back and set aside: a syntax error, a missing table, a good
// statement followed by a failing one, and a package that tries to run its own transaction.
std::string Feed::badScript(int number)
{
    std::string head = "-- soak " + std::to_string(number) + ", bad on purpose\n";
    std::string code = codes_.empty() ? "000000" : utf8(codes_[random_() % codes_.size()]);
    switch (random_() % 4) {
    case 0: return head + "update tb_closedfund set price = where code = '" + code + "';\n" + kEndMarker;
    case 1: return head + "insert into tb_soak_missing (code) values ('" + code + "');\n" + kEndMarker;
    case 2:
        return head + "update tb_closedfund set price = '9.9999' where code = '" + code +
               "';\nupdate tb_closedfund set soak_missing_column = 1;\n" + kEndMarker;
    default:
        return head + "begin;\nupdate tb_closedfund set price = '9.9999' where code = '" + code + "';\ncommit;\n" +
               kEndMarker;
    }
}

// The list is written before the package, so that a package on disk is always listed.
bool Feed::record(const std::wstring& name, Kind kind, std::wstring& error)
{
    static const char* const kKinds[] = {"good", "careless-in-place", "careless-renamed-early", "bad"};
    std::wstring list = dataDir_ + L"\\" + std::wstring(kPackageList, kPackageList + sizeof kPackageList - 1);
    Common::ScopedHandle file(CreateFileW(list.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid() && writeAll(file.get(), utf8(name) + "\t" + kKinds[int(kind)] + "\n")) return true;
    error = lastError(L"cannot write the package list " + list);
    return false;
}

} // namespace Soak

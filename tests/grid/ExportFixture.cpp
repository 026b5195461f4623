#include "ExportFixture.h"
#include "common/ProcAddress.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>

using TestSupport::readFileBytes;

namespace FundGridTests {

namespace {

std::string jsonString(const std::wstring& s)
{
    std::string out = "\"";
    char buf[8];
    for (wchar_t c : s) {
        if (c == L'"' || c == L'\\') {
            out += '\\';
            out += char(c);
            continue;
        }
        if (c >= 0x20 && c < 0x7F) {
            out += char(c);
            continue;
        }
        std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(c));
        out += buf;
    }
    return out + "\"";
}

std::string json(const Records& records)
{
    std::string out = "[";
    for (size_t r = 0; r < records.size(); ++r) {
        out += r ? ",\n[" : "[";
        for (size_t c = 0; c < records[r].size(); ++c) out += (c ? "," : "") + jsonString(records[r][c]);
        out += "]";
    }
    return out + "]";
}

std::string json(const ExpectedSheet& sheet)
{
    std::string out = "{\"sheet\": " + jsonString(sheet.sheet) + ",\n\"kinds\": [";
    for (size_t i = 0; i < sheet.kinds.size(); ++i) out += (i ? ",\"" : "\"") + sheet.kinds[i] + "\"";
    out += "],\n\"widths\": [";
    for (size_t i = 0; i < sheet.widths.size(); ++i) out += (i ? "," : "") + std::to_string(sheet.widths[i]);
    return out + "],\n\"rows\": " + json(sheet.rows) + "}";
}

std::string unixPath(const std::wstring& windowsPath)
{
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto toUnix = Common::procAddress<ToUnix>(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    char* p = toUnix ? toUnix(windowsPath.c_str()) : nullptr;
    std::string out = p ? p : "";
    if (p) HeapFree(GetProcessHeap(), 0, p);
    return out;
}

std::string readerScript()
{
    char source[MAX_PATH] = {};
    if (GetEnvironmentVariableA("CLIENT2_SOURCE", source, MAX_PATH))
        return std::string(source) + "/tests/grid/readback.py";
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir = exe;
    for (int up = 0; up < 3; ++up) dir = dir.substr(0, dir.find_last_of(L"\\/"));
    return unixPath(dir + L"\\tests\\grid\\readback.py");
}

// Runs the reader with arguments (the data file first, expected texts written beside it as
// JSON, the report last) and waits up to seconds for its report.
std::string runReader(const TestSupport::TempDir& dir, const std::string& mode, const std::wstring& file,
                      const std::string& options, const std::string& expectedJson, int seconds)
{
    static int serial = 0;
    std::wstring base = dir.file(L"readback" + std::to_wstring(++serial));
    if (!TestSupport::writeFileBytes(base + L".json", expectedJson)) return "cannot write the expected texts";
    std::string cmd = "Z:\\usr\\bin\\python3 \"" + readerScript() + "\" " + mode + " \"" + unixPath(file) + "\" " +
                      options + " \"" + unixPath(base + L".json") + "\" \"" + unixPath(base + L".txt") + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return "cannot start python3: " + std::to_string(GetLastError());
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    for (int wait = 0; wait < seconds * 20 && GetFileAttributesW((base + L".txt").c_str()) == INVALID_FILE_ATTRIBUTES;
         ++wait)
        Sleep(50);
    std::string report = readFileBytes(base + L".txt");
    return report.empty() ? "no report from the reader" : report;
}

} // namespace

std::string readBackText(const TestSupport::TempDir& dir, const std::wstring& file, const char* encoding,
                         const char* delimiter, const Records& expected)
{
    return runReader(dir, "csv", file, std::string(encoding) + " " + delimiter, json(expected), 30);
}

std::string readBackWorkbook(const TestSupport::TempDir& dir, const std::wstring& file, const ExpectedSheet& expected)
{
    return runReader(dir, "xlsx", file, "", json(expected), 60);
}

std::string readBackInOffice(const TestSupport::TempDir& dir, const std::wstring& file, const ExpectedSheet& expected)
{
    return runReader(dir, "office", file, "", json(expected), 300);
}

std::wstring withoutNuls(std::wstring text)
{
    text.erase(std::remove(text.begin(), text.end(), L'\0'), text.end());
    return text;
}

Records ExportTest::shown(const std::vector<std::wstring>& captions)
{
    Records out{captions};
    for (int row = 0; row < grid_.GetRowsCount(); ++row) {
        out.emplace_back();
        for (int c = 0; c < grid_.GetColumnCount(); ++c) {
            Control::HeaderInfo2 info = *grid_.GetColumnInfo(c);
            XStringW t;
            grid_.GetItemText(row, info, t);
            out.back().push_back(t);
        }
    }
    return out;
}

std::vector<int> ExportTest::shownWidths()
{
    std::vector<int> widths;
    for (int c = 0; c < grid_.GetColumnCount(); ++c) {
        XStringW width;
        grid_.GetColumnInfo(c)->GetAttribute(L"width", width);
        widths.push_back(_wtoi(width.c_str()));
    }
    return widths;
}

void ExportTest::exportFails(const std::wstring& path, int type)
{
    XStringW error;
    EXPECT_FALSE(grid_.ExportToFile(path, type, error));
    EXPECT_NE(error.find(path), std::wstring::npos) << Common::toUtf8(error);
    EXPECT_GT(error.size(), path.size() + 8) << "no reason given for " << Common::toUtf8(path);
}

} // namespace FundGridTests

#include "export/ExportFile.h"
#include "grid/DelimitedText.h"

namespace ClosedFund {

using Common::XStringW;

namespace {

XStringW systemReason(DWORD code)
{
    if (code == 0) return L"原因不明。";
    wchar_t* buffer = nullptr;
    DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    XStringW reason = n && buffer ? XStringW(buffer, n) : XStringW();
    LocalFree(buffer);
    while (!reason.empty() && (reason.back() == L'\r' || reason.back() == L'\n' || reason.back() == L' '))
        reason.pop_back();
    if (reason.empty()) reason = L"系统错误 " + std::to_wstring(code) + L"。";
    return reason;
}

// A file modified up to this long before the export began still counts as written by it
// (file times are coarser than the clock on some file systems).
const uint64_t kTimeSlack = 2ull * 10000000ull; // 2 s in 100 ns units

} // namespace

ExportFile::ExportFile(const XStringW& path) : path_(path), file_(Host::createInstanceAs<Host::IFile>("File.File"))
{
    ::GetSystemTimeAsFileTime(&began_);
    SetLastError(0);
    if (!file_) return;
    if (!file_->open(path, Host::FILE_CREATE_WRITE)) {
        code_ = GetLastError();
        return;
    }
    open_ = true;
}

void ExportFile::put(const char* bytes, size_t length)
{
    if (!ok() || !length) return;
    SetLastError(0);
    file_->write(bytes, int64_t(length));
    noteError();
    written_ += length;
}

void ExportFile::write(XStringW& text, bool utf8)
{
    if (ok() && !text.empty()) {
        encodeExportText(text, utf8, bytes_);
        put(bytes_.data(), bytes_.size());
    }
    text.clear();
}

bool ExportFile::close(XStringW& error)
{
    if (open_) {
        open_ = false;
        SetLastError(0);
        file_->close();
        noteError();
        if (inPlace()) return true;
    }
    error = L"无法导出到 " + path_ + L"\r\n" + (file_ ? systemReason(code_) : XStringW(L"文件组件不可用。"));
    return false;
}

void ExportFile::abandon(const XStringW& reason, XStringW& error)
{
    open_ = false;
    file_.reset();
    error = L"无法导出到 " + path_ + L"\r\n" + reason;
}

// The system's error after a write or the close, the likeliest reason if the file is not in
// place afterwards.
void ExportFile::noteError()
{
    if (DWORD code = GetLastError()) lastError_ = code;
}

bool ExportFile::inPlace()
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data)) {
        code_ = lastError_ ? lastError_ : GetLastError();
        return false;
    }
    uint64_t size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    uint64_t written = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    uint64_t began = (uint64_t(began_.dwHighDateTime) << 32) | began_.dwLowDateTime;
    bool isFile = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (isFile && size == written_ && written + kTimeSlack >= began) return true;
    code_ = lastError_ ? lastError_ : ERROR_WRITE_FAULT;
    return false;
}

} // namespace ClosedFund

// "File.File": a file read or written through the kernel. A file opened to be replaced
// (FILE_WRITE | FILE_TRUNCATE) is written into a temporary file beside it and takes the
// target's name only when close finds every write succeeded, so a failed export never
// destroys the file it was meant to replace. Without FILE_TRUNCATE writes append in place.
// Every failure leaves the system's reason in GetLastError for the caller to show: the
// clean-up after it (closing, deleting the temporary file) does not overwrite it.
#include "ComponentRegistry.h"
#include "ContractMode.h"
#include "FileIo.h"
#include "common/RefCounted.h"
#include "common/ScopedWin.h"
#include "hostapi/FileHost.h"
#include "hostapi/KernelHost.h"
#include <algorithm>
#include <cwctype>

namespace {

class File final : public Common::RefCounted<Host::IFileHost> {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // A file still open for replacing when the component goes was never declared finished:
    // the target keeps its old bytes.
    ~File() override { discardTemp(); }

    bool open(const XStringW& path, int flags) override
    {
        Kernel::contractCall("IFile::open");
        if (handle_.valid() || path.empty()) return false;
        bool read = flags & Host::FILE_READ, write = flags & Host::FILE_WRITE;
        if (read == write) return false; // one direction at a time
        if (read) return openForReading(path);
        if (Kernel::isDirectory(path)) return failWith(ERROR_ACCESS_DENIED);
        bool exists = Kernel::pathExists(path);
        if (!exists && !(flags & Host::FILE_CREATE)) return failWith(ERROR_FILE_NOT_FOUND);
        // Windows refuses to rename over a read-only file; Wine renames over it all the same.
        // Refused here, before anything is written, so both keep the user's file.
        if (exists && (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY))
            return failWith(ERROR_ACCESS_DENIED);
        if (flags & Host::FILE_TRUNCATE) return openReplacement(path);
        return openForAppending(path, !exists);
    }

    // The client's interface drops the outcomes of write and close; the failure stays noted,
    // so a file whose bytes did not all go in is still not put in place.
    void write(const void* bytes, int64_t length) override
    {
        Kernel::contractCall("IFile::write");
        put(bytes, length);
    }

    void close() override
    {
        Kernel::contractCall("IFile::close");
        finish();
    }

    bool put(const void* bytes, int64_t length) override
    {
        if (!handle_.valid() || mode_ == Mode::Read) return false;
        if (length < 0 || (length > 0 && !bytes)) return fail(ERROR_INVALID_PARAMETER);
        const char* p = static_cast<const char*>(bytes);
        while (length > 0) {
            DWORD chunk = DWORD(std::min<int64_t>(length, 1 << 30)), put = 0;
            if (!WriteFile(handle_.get(), p, chunk, &put, nullptr)) return fail(GetLastError());
            if (put != chunk) return fail(ERROR_DISK_FULL);
            p += chunk;
            length -= chunk;
        }
        return true;
    }

    bool finish() override
    {
        if (!handle_.valid()) return false;
        Mode mode = mode_;
        mode_ = Mode::Closed;
        if (mode == Mode::Read) {
            handle_.reset();
            return true;
        }
        bool ok = !failed_;
        if (ok && !FlushFileBuffers(handle_.get())) ok = fail(GetLastError());
        handle_.reset();
        if (mode == Mode::Append) return ok || failWith(error_);
        if (ok && !MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            ok = fail(GetLastError());
        if (!ok) DeleteFileW(temp_.c_str());
        temp_.clear();
        return ok || failWith(error_);
    }

    // Bytes read, 0 at the end of the file, -1 when the file is not open for reading or fails.
    int64_t read(void* buffer, int64_t length) override
    {
        if (!handle_.valid() || mode_ != Mode::Read || length < 0 || (length > 0 && !buffer)) return -1;
        DWORD got = 0;
        if (!ReadFile(handle_.get(), buffer, DWORD(std::min<int64_t>(length, 1 << 30)), &got, nullptr)) return -1;
        return got;
    }

private:
    enum class Mode { Closed, Read, Replace, Append };

    bool openForReading(const std::wstring& path)
    {
        handle_.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        return start(Mode::Read);
    }

    bool openForAppending(const std::wstring& path, bool create)
    {
        handle_.reset(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  create ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return start(Mode::Append);
    }

    // The temporary file lives in the target's folder so that the final rename stays on one
    // volume. Its name is built in a buffer sized from the folder: the system, not a fixed
    // buffer, says which paths are too long, and a refusal leaves no file behind.
    bool openReplacement(const std::wstring& path)
    {
        std::wstring folder = Kernel::folderOf(path);
        // Said plainly: the temporary file's call would only call the folder "invalid".
        if (!Kernel::isDirectory(folder)) return failWith(ERROR_PATH_NOT_FOUND);
        // GetTempFileNameW adds "\c2fXXXX.tmp" to the folder; the rest is slack.
        std::wstring temp(folder.size() + 32, L'\0');
        if (!GetTempFileNameW(folder.c_str(), L"c2f", 0, &temp[0]))
            return refuse(path, L"no temporary file can be made beside it", GetLastError());
        temp.resize(wcslen(temp.c_str()));
        handle_.reset(
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle_.valid()) {
            DWORD error = GetLastError();
            DeleteFileW(temp.c_str());
            return refuse(path, L"its temporary file cannot be opened", error);
        }
        DWORD longest = longestName();
        if (longest && nameLength(path) > longest) {
            handle_.reset();
            DeleteFileW(temp.c_str());
            return refuse(
                path,
                (L"its name is longer than the " + std::to_wstring(longest) + L" characters the volume takes").c_str(),
                ERROR_FILENAME_EXCED_RANGE);
        }
        temp_ = temp;
        target_ = path;
        return start(Mode::Replace);
    }

    // The longest file name the open file's volume takes, 0 when it does not say (the
    // rename at close then tells).
    DWORD longestName() const
    {
        DWORD longest = 0;
        if (!GetVolumeInformationByHandleW(handle_.get(), nullptr, 0, nullptr, &longest, nullptr, nullptr, 0)) return 0;
        return longest;
    }

    static size_t nameLength(const std::wstring& path)
    {
        size_t slash = path.find_last_of(L"\\/");
        return slash == std::wstring::npos ? path.size() : path.size() - slash - 1;
    }

    // A file the system cannot take: the caller sees the system's error, the host's log says
    // which file and why.
    static bool refuse(const std::wstring& path, const wchar_t* why, DWORD error)
    {
        wchar_t text[256] = L"";
        DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                 DWORD(sizeof text / sizeof text[0]), nullptr);
        while (n > 0 && iswspace(text[n - 1])) text[--n] = L'\0';
        Host::logWarning((L"cannot write " + path + L" (a path of " + std::to_wstring(path.size()) + L" characters): " +
                          why + L"; system error " + std::to_wstring(error) + L" " + text)
                             .c_str());
        return failWith(error);
    }

    bool start(Mode mode)
    {
        if (!handle_.valid()) return false;
        mode_ = mode;
        failed_ = false;
        error_ = 0;
        return true;
    }

    // Notes the first failure of a file being written (close must then not put it in place).
    bool fail(DWORD error)
    {
        if (!failed_) error_ = error;
        failed_ = true;
        return failWith(error_);
    }

    static bool failWith(DWORD error)
    {
        SetLastError(error);
        return false;
    }

    void discardTemp()
    {
        handle_.reset();
        if (!temp_.empty()) DeleteFileW(temp_.c_str());
        temp_.clear();
    }

    Common::ScopedHandle handle_;
    Mode mode_ = Mode::Closed;
    bool failed_ = false; // a write failed: close must not put the file in place
    DWORD error_ = 0;     // the system's reason for the first failure
    std::wstring temp_, target_;
};

IXUnknown* createFile() { return static_cast<Host::IFileHost*>(new File); }

} // namespace

KERNEL_COMPONENT("File.File", createFile);

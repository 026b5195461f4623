// The file an export writes, through the client's file interface ("File.File"): opened
// for replacing, fed in pieces, and checked to be in place after the close.
#pragma once
#include "common/XString.h"
#include "export/ZipWriter.h"
#include "host/File.h"
#include "host/Kernel.h"
#include <cstdint>
#include <string>

namespace ClosedFund {

// An export file written in pieces, so that a list of a million funds never stands in memory
// whole. The bytes go to a temporary file beside the target that replaces it only when
// everything was written (the host's file component does that for an open with truncation),
// so a failure leaves the old file as it was and no partial one. The client's interface
// gives write and close no result: once closed, the target is checked to be the file just
// written (there, as large as what was written, and written since the export began).
class ExportFile : public ByteSink {
public:
    explicit ExportFile(const Common::XStringW& path);
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;
    ~ExportFile() = default;

    bool ok() const { return open_; }

    void put(const char* bytes, size_t length) override;
    // Writes the text in the encoding (UTF-8 or UTF-16) and empties it.
    void write(Common::XStringW& text, bool utf8);
    // True when the file is in place; otherwise error names the path and the system's reason.
    bool close(Common::XStringW& error);
    // Gives the file up unfinished: the component goes without being closed, which the host's
    // takes as "never finished" (the target keeps its old bytes and the temporary file goes);
    // error names the path and the reason.
    void abandon(const Common::XStringW& reason, Common::XStringW& error);

private:
    void noteError();
    bool inPlace();

    Common::XStringW path_;
    XComPtr<Host::IFile> file_;
    bool open_ = false;
    FILETIME began_ = {};
    uint64_t written_ = 0;
    DWORD code_ = 0, lastError_ = 0;
    std::string bytes_;
};

} // namespace ClosedFund

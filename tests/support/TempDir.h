// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes.
#pragma once
#include <string>

namespace TestSupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }
private:
    std::wstring path_;
};

// Whole file as bytes; empty if it cannot be read.
std::string readFileBytes(const std::wstring& path);
bool writeFileBytes(const std::wstring& path, const std::string& bytes);

// The data folder the suite's runner made read-only (CLIENT2_READONLY_DIR, holding the sample
// fund database), once a probe shows that a file cannot be created in it. False with why
// when there is none or it can be written (mounting it read-only needs root).
bool readOnlyFolder(std::wstring& folder, std::wstring& why);

} // namespace TestSupport

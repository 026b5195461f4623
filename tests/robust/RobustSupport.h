// What the robustness suite shares: its counts (small in CI, full size when CLIENT2_STRESS
// is 1, as scripts/stress runs it), one summary line per test, a seeded generator whose seed
// names a failing variant, file hashes, and a count of the process's GDI objects.
#pragma once
#include "ShippedThemes.h"
#include "host/Conf.h"
#include <windows.h>
#include <cstdint>
#include <random>
#include <string>

namespace Robust {

// The CI count, or the full-size one in a stress run.
bool stressRun();
int scaled(int ci, int stress);

// Counts variants and failures of one test and prints, when it goes,
//   robust: <test> variants=<n> failures=<n> worst=<reproducer>
// worst: the first failing variant's name, else the variant with the largest measure noted
// (a handle growth, a row count), else "none".
class Tally {
public:
    explicit Tally(std::string test) : test_(std::move(test)) {}
    ~Tally();
    Tally(const Tally&) = delete;
    Tally& operator=(const Tally&) = delete;
    // One variant's outcome; a failure with its reproducer.
    void pass() { ++variants_; }
    void fail(const std::string& reproducer);
    // A measure of a passing variant, for "worst" while nothing failed.
    void note(const std::string& variant, double measure);
    int failures() const { return failures_; }

private:
    std::string test_;
    int variants_ = 0, failures_ = 0;
    std::string firstFailure_, worstNoted_;
    double worstMeasure_ = -1;
};

// The seed of a test's generator: CLIENT2_SEED when set (to replay one run), else fixed.
uint32_t seed(uint32_t fallback);

// FNV-1a over a file's bytes; 0 with exists false when it cannot be read.
uint64_t fileHash(const std::wstring& path, bool* exists = nullptr);
uint64_t bytesHash(const std::string& bytes);

// Live GDI objects of this process. GetGuiResources answers 0 under Wine: the count then
// probes every handle value of the table's index range with GetObjectType.
int gdiObjectCount();

// The text stored under key, "" when there is none; present tells whether the key exists.
XStringW storedText(Host::IConfManager* conf, const char* key, bool* present = nullptr);
// Stores text under key through the host's store, which gives the outcome the client's
// setValue does not; a store that is not kept fails the test.
void store(Host::IConfManager* conf, const char* key, const XStringW& text);

using TestSupport::shippedThemeFolder;

std::string narrow(const std::wstring& text);

} // namespace Robust

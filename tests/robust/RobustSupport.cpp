#include "RobustSupport.h"
#include "common/XString.h"
#include "host/Kernel.h"
#include "hostapi/ConfHost.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace Robust {

bool stressRun()
{
    const char* v = std::getenv("CLIENT2_STRESS");
    return v && std::string(v) == "1";
}

int scaled(int ci, int stress) { return stressRun() ? stress : ci; }

Tally::~Tally()
{
    std::string worst = failures_ ? firstFailure_ : worstNoted_.empty() ? "none" : worstNoted_;
    std::printf("robust: %s variants=%d failures=%d worst=%s\n", test_.c_str(), variants_, failures_, worst.c_str());
    std::fflush(stdout);
}

void Tally::fail(const std::string& reproducer)
{
    ++variants_;
    if (failures_++ == 0) firstFailure_ = reproducer;
}

void Tally::note(const std::string& variant, double measure)
{
    if (measure <= worstMeasure_) return;
    worstMeasure_ = measure;
    char text[64];
    std::snprintf(text, sizeof text, " (%g)", measure);
    worstNoted_ = variant + text;
}

uint32_t seed(uint32_t fallback)
{
    const char* v = std::getenv("CLIENT2_SEED");
    return v && *v ? uint32_t(std::strtoul(v, nullptr, 10)) : fallback;
}

uint64_t bytesHash(const std::string& bytes)
{
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

uint64_t fileHash(const std::wstring& path, bool* exists)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (exists) *exists = file != INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) return 0;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
    CloseHandle(file);
    return bytesHash(bytes);
}

int gdiObjectCount()
{
    DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported) return int(reported);
    int count = 0;
    for (ULONG_PTR value = 1; value < 0x10000; ++value)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(value))) ++count;
    return count;
}

std::string narrow(const std::wstring& text) { return Common::toUtf8(text); }

XStringW storedText(Host::IConfManager* conf, const char* key, bool* present)
{
    XComPtr<Host::IConfKey> k = conf->getKey(key);
    if (present) *present = bool(k);
    XComPtr<Host::IConfValue> v = k ? k->getValue() : XComPtr<Host::IConfValue>();
    return v ? v->getString() : XStringW();
}

void store(Host::IConfManager* conf, const char* key, const XStringW& text)
{
    XComPtr<Host::IConfKeyHost> k = conf->createKey(key).cast<Host::IConfKeyHost>();
    XComPtr<Host::IConfValue> v = Host::createInstanceAs<Host::IConfValue>("Conf.ConfValue");
    ASSERT_TRUE(k && v);
    v->setString(text);
    ASSERT_TRUE(k->store(v.get()));
}

} // namespace Robust

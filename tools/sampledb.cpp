// sampledb OUT [N] [--force]: writes a fund database. Without N the standard sample (made-up
// funds, labelled as sample data); with N that many synthetic funds for scale work. An
// existing OUT is kept unless --force is given.
#include "Database.h"
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <string>

static int usage()
{
    fwprintf(stderr, L"usage: sampledb OUT [N] [--force]\n"
                     L"  writes the standard sample fund database to OUT, or N synthetic funds\n");
    return 2;
}

int wmain(int argc, wchar_t** argv)
{
    std::wstring out, count;
    bool force = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--force")
            force = true;
        else if (out.empty())
            out = arg;
        else if (count.empty())
            count = arg;
        else
            return usage();
    }
    if (out.empty()) return usage();
    int funds = 0;
    if (!count.empty()) {
        wchar_t* end = nullptr;
        long n = wcstol(count.c_str(), &end, 10);
        if (*end || n <= 0 || n > 10000000) {
            fwprintf(stderr, L"sampledb: N must be a number of funds from 1 to 10000000\n");
            return 2;
        }
        funds = int(n);
    }
    FundDb::Content content = funds ? FundDb::Content::Synthetic : FundDb::Content::StandardSample;
    XStringW error;
    DWORD start = GetTickCount();
    if (!FundDb::writeFundDatabase(out, content, funds, force, error)) {
        fprintf(stderr, "sampledb: %s\n", Common::toUtf8(error).c_str());
        return 1;
    }
    fprintf(stderr, "sampledb: wrote %s (%s) in %lu ms\n", Common::toUtf8(out).c_str(),
            funds ? (std::to_string(funds) + " synthetic funds").c_str() : "standard sample", GetTickCount() - start);
    return 0;
}

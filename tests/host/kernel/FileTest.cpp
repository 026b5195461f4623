// "File.File" on real files: exact bytes, replacement only when every write succeeded.
#include "TempDir.h"
#include "hostapi/FileHost.h"
#include "host/Kernel.h"
#include <gtest/gtest.h>
#include <windows.h>

using namespace Host;
using TestSupport::readFileBytes;
using TestSupport::TempDir;
using TestSupport::writeFileBytes;

namespace {

// The kernel's file with the checked forms of write and close.
XComPtr<IFileHost> newFile() { return createInstanceAs<IFileHost>("File.File"); }

int filesIn(const std::wstring& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    int count = 0;
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

} // namespace

TEST(FileComponent, WritesExactlyTheBytesAndReadsThemBack)
{
    TempDir dir;
    const std::wstring path = dir.file(L"导出.csv");
    ASSERT_TRUE(writeFileBytes(path, std::string(5000, 'x'))); // longer than the new content

    auto file = newFile();
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->open(path, FILE_CREATE_WRITE));
    EXPECT_FALSE(file->open(path, FILE_CREATE_WRITE)); // already open
    const std::string bom("\xFF\xFE", 2), body("\"\0A\0\"\0,\0\r\0\n\0", 12);
    EXPECT_TRUE(file->put(bom.data(), int64_t(bom.size())));
    EXPECT_TRUE(file->put(body.data(), int64_t(body.size())));
    EXPECT_TRUE(file->put(nullptr, 0));
    EXPECT_EQ(readFileBytes(path), std::string(5000, 'x')); // nothing replaced before close
    EXPECT_TRUE(file->finish());
    EXPECT_EQ(readFileBytes(path), bom + body);
    EXPECT_EQ(filesIn(dir.path()), 1);

    auto reader = newFile();
    ASSERT_TRUE(reader->open(path, FILE_READ));
    std::string back;
    char buffer[5];
    for (int64_t got; (got = reader->read(buffer, sizeof buffer)) > 0;) back.append(buffer, size_t(got));
    EXPECT_EQ(back, bom + body);
    EXPECT_FALSE(reader->put("x", 1));
    EXPECT_TRUE(reader->finish());
    EXPECT_FALSE(reader->finish());

    // Without FILE_TRUNCATE writes go to the end of the file in place.
    auto appender = newFile();
    ASSERT_TRUE(appender->open(path, FILE_WRITE));
    EXPECT_TRUE(appender->put("tail", 4));
    EXPECT_TRUE(appender->finish());
    EXPECT_EQ(readFileBytes(path), bom + body + "tail");

    // The client's form gives no result; the bytes are in place all the same.
    auto plain = createInstanceAs<IFile>("File.File");
    ASSERT_TRUE(plain && plain->open(path, FILE_CREATE_WRITE));
    plain->write(body.data(), int64_t(body.size()));
    plain->close();
    EXPECT_EQ(readFileBytes(path), body);
}

TEST(FileComponent, FailedExportLeavesThePreviousFileIntact)
{
    TempDir dir;
    const std::wstring path = dir.file(L"list.csv");
    ASSERT_TRUE(writeFileBytes(path, "previous export"));

    auto failing = newFile();
    ASSERT_TRUE(failing->open(path, FILE_CREATE_WRITE));
    EXPECT_TRUE(failing->put("new", 3));
    EXPECT_FALSE(failing->put(nullptr, 7));
    EXPECT_FALSE(failing->finish());
    EXPECT_EQ(readFileBytes(path), "previous export");
    // Through the client's form, whose caller cannot see the failure, just as safe.
    auto plain = createInstanceAs<IFile>("File.File");
    ASSERT_TRUE(plain && plain->open(path, FILE_CREATE_WRITE));
    plain->write("new", 3);
    plain->write(nullptr, 7);
    plain->close();
    EXPECT_EQ(readFileBytes(path), "previous export");

    { // never closed: the export was not finished
        auto abandoned = newFile();
        ASSERT_TRUE(abandoned->open(path, FILE_CREATE_WRITE));
        EXPECT_TRUE(abandoned->put("half", 4));
    }
    EXPECT_EQ(readFileBytes(path), "previous export");

    // The target is held open by someone who does not allow it to be replaced.
    HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    auto blocked = newFile();
    ASSERT_TRUE(blocked->open(path, FILE_CREATE_WRITE));
    EXPECT_TRUE(blocked->put("blocked", 7));
    EXPECT_FALSE(blocked->finish());
    CloseHandle(holder);
    EXPECT_EQ(readFileBytes(path), "previous export");
    EXPECT_EQ(filesIn(dir.path()), 1);

    auto missingFolder = newFile();
    EXPECT_FALSE(missingFolder->open(dir.file(L"no\\such\\folder.csv"), FILE_CREATE_WRITE));
    EXPECT_FALSE(missingFolder->open(dir.path(), FILE_CREATE_WRITE));
    EXPECT_FALSE(missingFolder->open(dir.file(L"absent.csv"), FILE_WRITE | FILE_TRUNCATE));
    EXPECT_FALSE(missingFolder->open(dir.file(L"absent.csv"), FILE_READ));
    EXPECT_FALSE(missingFolder->put("x", 1));
    EXPECT_FALSE(missingFolder->finish());
}

// "File.File" on real files: exact bytes, replacement only when every write succeeded.
#include "TempDir.h"
#include "hostapi/FileHost.h"
#include "hostapi/KernelHost.h"
#include "host/Kernel.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <vector>

using namespace Host;
using Common::toUtf8;
using TestSupport::readFileBytes;
using TestSupport::TempDir;
using TestSupport::writeFileBytes;

namespace {

// The kernel's file with the checked forms of write and close.
XComPtr<IFileHost> newFile() { return createInstanceAs<IFileHost>("File.File"); }

// The long-path form of an absolute path: the test's own set-up and checks reach folders
// longer than the system's limit for ordinary paths.
std::wstring longForm(const std::wstring& path) { return L"\\\\?\\" + path; }

int filesIn(const std::wstring& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(longForm(dir + L"\\*").c_str(), &found);
    int count = 0;
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

// A chain of folders under base, made one by one; removed with the files in them when the
// object goes.
class DeepFolder {
public:
    explicit DeepFolder(std::wstring base) : path_(std::move(base)) {}
    DeepFolder(const DeepFolder&) = delete;
    DeepFolder& operator=(const DeepFolder&) = delete;
    ~DeepFolder()
    {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            WIN32_FIND_DATAW found;
            HANDLE search = FindFirstFileW(longForm(*it + L"\\*").c_str(), &found);
            if (search != INVALID_HANDLE_VALUE) {
                do {
                    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                        DeleteFileW(longForm(*it + L"\\" + found.cFileName).c_str());
                } while (FindNextFileW(search, &found));
                FindClose(search);
            }
            RemoveDirectoryW(longForm(*it).c_str());
        }
    }

    // Grows the chain until its path is length characters long; false when a folder is refused.
    bool growTo(size_t length)
    {
        while (path_.size() < length) {
            size_t left = length - path_.size(); // a separator and at least one character each
            size_t part = left <= 101 ? left - 1 : left - 101 < 2 ? 50 : 100;
            if (left < 2 || !add(part)) return false;
        }
        return true;
    }

    // Grows the chain as deep as the system goes: one more character would be refused.
    void growToTheEnd()
    {
        for (size_t part : {100, 10, 1}) {
            while (add(part)) {}
        }
    }

    const std::wstring& path() const { return path_; }

private:
    bool add(size_t part)
    {
        std::wstring next = path_ + L"\\" + std::wstring(part, L'd');
        if (!CreateDirectoryW(longForm(next).c_str(), nullptr)) return false;
        made_.push_back(next);
        path_ = next;
        return true;
    }

    std::wstring path_;
    std::vector<std::wstring> made_;
};

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

// An export into a folder of any length: written whole where the system takes the path, else
// refused at open with the system's error and the reason in the host's log. Either way no
// temporary file stays behind.
TEST(FileComponent, LongFoldersGetTheWholeFileOrAClearRefusalAndNothingElse)
{
    TempDir dir, logDir;
    setLogFile(logDir.file(L"log.txt").c_str());
    const std::string bytes = "\xEF\xBB\xBF代码,名称\r\n500001,示例基金一\r\n";
    for (size_t length : {200, 246, 259, 260, 290, 300, 400, 600, 1000}) {
        SCOPED_TRACE(length);
        DeepFolder folder(dir.path());
        ASSERT_TRUE(folder.growTo(length));
        ASSERT_EQ(folder.path().size(), length);
        const std::wstring target = folder.path() + L"\\封闭式基金.csv";
        auto file = newFile();
        if (file->open(target, FILE_CREATE_WRITE)) {
            EXPECT_TRUE(file->put(bytes.data(), int64_t(bytes.size())));
            EXPECT_TRUE(file->finish());
            EXPECT_EQ(readFileBytes(longForm(target)), bytes);
            EXPECT_EQ(filesIn(folder.path()), 1);
        } else { // a system without long paths
            EXPECT_NE(GetLastError(), DWORD(0));
            EXPECT_NE(readFileBytes(logDir.file(L"log.txt")).find(toUtf8(target)), std::string::npos);
            EXPECT_EQ(filesIn(folder.path()), 0);
        }
    }

    // A name longer than the volume takes: refused before anything is written.
    const std::wstring longName = dir.file(std::wstring(300, L'n') + L".csv");
    auto file = newFile();
    EXPECT_FALSE(file->open(longName, FILE_CREATE_WRITE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(file->put("x", 1));
    EXPECT_EQ(filesIn(dir.path()), 0);

    // The deepest folder the system makes has no room for a file's name.
    DeepFolder deepest(dir.path());
    deepest.growToTheEnd();
    ASSERT_GT(deepest.path().size(), dir.path().size());
    const std::wstring cramped = deepest.path() + L"\\list.csv";
    EXPECT_FALSE(file->open(cramped, FILE_CREATE_WRITE));
    EXPECT_NE(GetLastError(), DWORD(0));
    EXPECT_EQ(filesIn(deepest.path()), 0);

    setLogFile(nullptr);
    std::string log = readFileBytes(logDir.file(L"log.txt"));
    EXPECT_NE(log.find(toUtf8(longName)), std::string::npos);
    EXPECT_NE(log.find(toUtf8(cramped)), std::string::npos);
}

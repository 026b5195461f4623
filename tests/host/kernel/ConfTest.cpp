// User and system configuration on real files in a temporary folder: persistence across
// reopening, recovery from damaged files, failed writes, read-only system configuration.
#include "TempDir.h"
#include "hostapi/ConfHost.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <thread>

using namespace Host;
using TestSupport::readFileBytes;
using TestSupport::TempDir;
using TestSupport::writeFileBytes;

namespace {

const char kHeaderKey[] = "/Client2/UserConfig/mod_ClosedFund/Custom_Header_5";
const char kFontSizeKey[] = "/Client2/UserConfig/FontSize";

XComPtr<IConfValue> textValue(const std::wstring& text)
{
    auto value = createInstanceAs<IConfValue>("Conf.ConfValue");
    if (value) value->setString(text);
    return value;
}

// setValue with its outcome, as the host's own callers see it.
bool storeIn(IConfKey* key, IConfValue* value)
{
    auto checked = XComPtr<IConfKey>(key).cast<IConfKeyHost>();
    EXPECT_TRUE(!key || checked) << "a kernel key without its checked store";
    return checked && checked->store(value);
}

bool store(IConfManager* conf, const char* key, const std::wstring& text)
{
    auto k = conf->createKey(key);
    return k && storeIn(k.get(), textValue(text).get());
}

// The key's text, or "<missing>".
std::wstring read(IConfManager* conf, const char* key)
{
    auto k = conf->getKey(key);
    auto v = k ? k->getValue() : XComPtr<IConfValue>();
    return v ? std::wstring(v->getString()) : L"<missing>";
}

// Collects the kernel's warnings for the life of the object.
struct WarningLog {
    TempDir dir;
    WarningLog() { setLogFile(dir.file(L"warnings.log").c_str()); }
    WarningLog(const WarningLog&) = delete;
    WarningLog& operator=(const WarningLog&) = delete;
    ~WarningLog() { setLogFile(nullptr); }
    std::string text() const { return readFileBytes(dir.file(L"warnings.log")); }
};

} // namespace

TEST(UserConf, ValuesSurviveReopeningExactly)
{
    TempDir dir;
    const std::wstring path = dir.file(L"user.conf");
    std::wstring header = L"<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<header>\n\t<item title=\"代码\" "
                          L"name='aliascode' text_format=\":::0001-01-01=--\"/>\\n \\\\ =\n</header>";
    header += std::wstring(20000, L'基');
    std::wstring odd = std::wstring(L"a\0b", 3) + L"\xD800 lone \xDC01 \U0001F600 end\\u0041";
    {
        auto conf = openUserConf(path.c_str());
        ASSERT_TRUE(conf);
        EXPECT_FALSE(conf->getKey(kHeaderKey));
        EXPECT_TRUE(store(conf.get(), kHeaderKey, header));
        EXPECT_TRUE(store(conf.get(), "odd=key\\with\nbreaks\x80", odd));
        auto zoom = conf->createKey(kFontSizeKey);
        auto number = createInstanceAs<IConfValueHost>("Conf.ConfValue");
        ASSERT_TRUE(number);
        number->setDouble(1.2);
        EXPECT_EQ(number->getString(), L"1.2");
        EXPECT_TRUE(storeIn(zoom.get(), number.get()));
        EXPECT_EQ(zoom.cast<IConfKeyHost>()->getPath(), kFontSizeKey);
        EXPECT_TRUE(conf->createKey("/Client2/UserConfig/Empty"));
        // The client's form of the store: no result, kept all the same.
        auto plain = conf->createKey("/Client2/UserConfig/Plain");
        ASSERT_TRUE(plain);
        plain->setValue(textValue(L"平").get());
        EXPECT_TRUE(store(conf.get(), "/Client2/UserConfig/Gone", L"x"));
        EXPECT_TRUE(conf->deleteKey("/Client2/UserConfig/Gone"));
    }
    auto conf = openUserConf(path.c_str());
    EXPECT_EQ(read(conf.get(), kHeaderKey), header);
    EXPECT_EQ(read(conf.get(), "odd=key\\with\nbreaks\x80"), odd);
    EXPECT_EQ(conf->getKey(kFontSizeKey)->getValue()->getDouble(), 1.2);
    EXPECT_EQ(read(conf.get(), "/Client2/UserConfig/Empty"), L"");
    EXPECT_EQ(read(conf.get(), "/Client2/UserConfig/Plain"), L"平");
    EXPECT_EQ(read(conf.get(), "/Client2/UserConfig/Gone"), L"<missing>");
}

TEST(UserConf, ValueTextReadsAsNumberOnlyWhenItIsOne)
{
    auto value = textValue(L" 1.25 ").cast<IConfValueHost>();
    ASSERT_TRUE(value);
    EXPECT_EQ(value->getDouble(), 1.25);
    for (const wchar_t* text : {L"", L"abc", L"1.5x", L"nan", L"inf", L"1e999"}) {
        value->setString(text);
        EXPECT_EQ(value->getDouble(), 0.0) << text;
    }
    value->setDouble(0.1);
    EXPECT_EQ(value->getString(), L"0.1");
    value->setDouble(1.0 / 3);
    EXPECT_EQ(value->getDouble(), 1.0 / 3);
}

// A damaged store (garbage, or cut short as by a crash mid-copy) gives way to the last good
// copy, and its bytes are kept beside it, never overwritten by later writes.
TEST(UserConf, DamagedFileFallsBackToLastGoodCopyAndIsKeptAside)
{
    WarningLog log;
    for (int truncate = 0; truncate < 2; ++truncate) {
        TempDir dir;
        const std::wstring path = dir.file(L"user.conf");
        {
            auto conf = openUserConf(path.c_str());
            ASSERT_TRUE(store(conf.get(), kHeaderKey, L"first"));
            ASSERT_TRUE(store(conf.get(), kHeaderKey, L"second"));
        }
        std::string good = readFileBytes(path);
        std::string damaged = truncate ? good.substr(0, good.size() - 5) : std::string("\x01garbage\xFF\n", 10);
        ASSERT_TRUE(writeFileBytes(path, damaged));

        auto conf = openUserConf(path.c_str());
        EXPECT_EQ(read(conf.get(), kHeaderKey), L"first");
        EXPECT_EQ(readFileBytes(path + L".corrupt"), damaged);
        EXPECT_TRUE(store(conf.get(), kHeaderKey, L"third"));
        EXPECT_EQ(readFileBytes(path + L".corrupt"), damaged);
        EXPECT_EQ(read(openUserConf(path.c_str()).get(), kHeaderKey), L"third");
    }
    EXPECT_NE(log.text().find("damaged"), std::string::npos) << log.text();
}

TEST(UserConf, NoIntactCopyStartsEmptyAndKeepsBothDamagedFiles)
{
    TempDir dir;
    const std::wstring path = dir.file(L"user.conf");
    ASSERT_TRUE(writeFileBytes(path, "client2-conf 1\nkey=value\n"));
    ASSERT_TRUE(writeFileBytes(path + L".bak", "end 0 00000000\n"));
    ASSERT_TRUE(writeFileBytes(path + L".corrupt", "an earlier damaged file"));
    auto conf = openUserConf(path.c_str());
    EXPECT_EQ(read(conf.get(), "key"), L"<missing>");
    EXPECT_EQ(readFileBytes(path + L".corrupt"), "an earlier damaged file");
    EXPECT_EQ(readFileBytes(path + L".corrupt.1"), "client2-conf 1\nkey=value\n");
    EXPECT_EQ(readFileBytes(path + L".bak.corrupt"), "end 0 00000000\n");
    EXPECT_TRUE(store(conf.get(), "key", L"new"));
}

// A crash between setting the old file aside and renaming the new one in leaves only ".bak".
TEST(UserConf, MissingFileWithBackupUsesBackup)
{
    TempDir dir;
    const std::wstring path = dir.file(L"user.conf");
    store(openUserConf(path.c_str()).get(), kHeaderKey, L"kept");
    ASSERT_TRUE(MoveFileExW(path.c_str(), (path + L".bak").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(read(openUserConf(path.c_str()).get(), kHeaderKey), L"kept");
}

TEST(UserConf, FailedWriteKeepsPreviousValueInMemoryAndOnDisk)
{
    WarningLog log;
    TempDir dir;
    const std::wstring path = dir.file(L"user.conf");
    auto conf = openUserConf(path.c_str());
    ASSERT_TRUE(store(conf.get(), kHeaderKey, L"old"));
    std::string before = readFileBytes(path);
    // The temporary file's name is taken by a folder, so the new store cannot be written.
    ASSERT_TRUE(CreateDirectoryW((path + L".tmp").c_str(), nullptr));
    auto key = conf->getKey(kHeaderKey);
    EXPECT_FALSE(storeIn(key.get(), textValue(L"new").get()));
    key->setValue(textValue(L"newer").get()); // the client's form: no result, the same refusal
    EXPECT_FALSE(conf->deleteKey(kHeaderKey));
    EXPECT_FALSE(conf->createKey("/Client2/UserConfig/Other"));
    EXPECT_EQ(read(conf.get(), kHeaderKey), L"old");
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(read(openUserConf(path.c_str()).get(), kHeaderKey), L"old");
    EXPECT_NE(log.text().find("not saved"), std::string::npos) << log.text();
    EXPECT_EQ(std::wstring(conf.cast<IConfManagerHost>()->lastWriteFailure()), L"配置文件的临时文件名被一个文件夹占用");

    // A store whose name is a folder cannot be written either, and nothing is moved.
    auto folderConf = openUserConf(dir.path().c_str());
    EXPECT_FALSE(folderConf->createKey("k"));
    EXPECT_EQ(std::wstring(folderConf.cast<IConfManagerHost>()->lastWriteFailure()), L"配置文件的名字被一个文件夹占用");
    EXPECT_EQ(GetFileAttributesW(dir.path().c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD(FILE_ATTRIBUTE_DIRECTORY));
    // A change that is saved clears the reason.
    RemoveDirectoryW((path + L".tmp").c_str());
    EXPECT_TRUE(store(conf.get(), kHeaderKey, L"new"));
    EXPECT_EQ(std::wstring(conf.cast<IConfManagerHost>()->lastWriteFailure()), L"");
}

// A data folder the process may not write (root included): every change is refused, with
// the reason the person is shown.
TEST(UserConf, AReadOnlyDataFolderRefusesChangesAndSaysSo)
{
    std::wstring folder, why;
    if (!TestSupport::readOnlyFolder(folder, why)) GTEST_SKIP() << Common::toUtf8(why);
    auto conf = openUserConf((folder + L"\\user.conf").c_str());
    EXPECT_FALSE(conf->createKey(kHeaderKey));
    EXPECT_EQ(std::wstring(conf.cast<IConfManagerHost>()->lastWriteFailure()), L"数据目录只读");
    EXPECT_FALSE(conf->getKey(kHeaderKey));
}

TEST(UserConf, ReadersOnAnotherThreadSeeWholeValues)
{
    TempDir dir;
    auto conf = openUserConf(dir.file(L"user.conf").c_str());
    ASSERT_TRUE(store(conf.get(), "k", L"value 0"));
    std::atomic<bool> stop(false);
    int bad = 0;
    std::thread reader([&] {
        while (!stop) {
            std::wstring v = read(conf.get(), "k");
            if (v.compare(0, 6, L"value ") != 0) ++bad;
        }
    });
    for (int i = 1; i <= 40; ++i) store(conf.get(), "k", L"value " + std::to_wstring(i));
    stop = true;
    reader.join();
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(read(conf.get(), "k"), L"value 40");
}

TEST(SystemConf, ReadsTheStoreButRefusesEveryChange)
{
    TempDir dir;
    const std::wstring path = dir.file(L"system.conf");
    {
        auto writer = openUserConf(path.c_str());
        ASSERT_TRUE(store(writer.get(), "Client2/System/Top_Default", L"code=150001,150002"));
        ASSERT_TRUE(store(writer.get(), "Client2/System/Top_Always", L"code=500001"));
    }
    std::string before = readFileBytes(path);
    auto conf = openSystemConf(path.c_str());
    EXPECT_EQ(read(conf.get(), "Client2/System/Top_Default"), L"code=150001,150002");
    EXPECT_EQ(read(conf.get(), "Client2/System/Top_Always"), L"code=500001");
    EXPECT_FALSE(conf->createKey("Client2/System/New"));
    EXPECT_FALSE(conf->createKey("Client2/System/Top_Default"));
    EXPECT_FALSE(storeIn(conf->getKey("Client2/System/Top_Default").get(), textValue(L"code=1").get()));
    EXPECT_FALSE(conf->deleteKey("Client2/System/Top_Always"));
    EXPECT_EQ(read(conf.get(), "Client2/System/Top_Default"), L"code=150001,150002");
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(std::wstring(conf.cast<Host::IConfManagerHost>()->lastWriteFailure()), L"配置只读");

    // A damaged system file is left where it is; its last good copy is read instead: the
    // writer's store before its last change, when Top_Always had been created but was empty.
    ASSERT_TRUE(writeFileBytes(path, "junk"));
    auto fallback = openSystemConf(path.c_str());
    EXPECT_EQ(read(fallback.get(), "Client2/System/Top_Default"), L"code=150001,150002");
    EXPECT_EQ(read(fallback.get(), "Client2/System/Top_Always"), L"");
    EXPECT_EQ(readFileBytes(path), "junk");
    EXPECT_TRUE(TestSupport::readFileBytes(path + L".corrupt").empty());
}

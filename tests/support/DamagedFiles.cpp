#include "DamagedFiles.h"
#include "Database.h"
#include "hostapi/DatabaseHost.h"

namespace TestSupport {

using Common::XStringW;

std::string notADatabase(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = char((i * 7919) % 251);
    return bytes;
}

std::string sampleDatabaseBytes(const TempDir& dir)
{
    XStringW error;
    const std::wstring path = dir.file(L"damage-source.db");
    if (!FundDb::writeFundDatabase(path, FundDb::Content::StandardSample, 0, true, error)) return {};
    std::string bytes = readFileBytes(path);
    removeDatabaseFiles(path);
    return bytes;
}

bool runStatements(const std::wstring& path, const std::vector<const wchar_t*>& statements)
{
    XStringW error;
    XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(path, error, FundDb::Access::ReadWrite);
    if (!db || !db->isOpen()) return false;
    for (const wchar_t* sql : statements) {
        XComPtr<Host::IStatement> s = db->prepare(sql, error);
        if (!s) return false;
        s->step();
    }
    return true;
}

namespace {

// Every way the sample's schema can be wrong that a careless writer produces.
const std::vector<std::vector<const wchar_t*>> kWrongSchemas = {
    {L"drop table tb_closedfund"},
    {L"drop table tb_fund"},
    {L"drop table tb_investadvisor"},
    {L"drop table tb_bonus"},
    {L"alter table tb_closedfund rename column value to netvalue"},
    {L"alter table tb_fund rename column companyguid to company"},
    {L"drop table tb_closedfund", L"create table tb_closedfund (code)"},
    {L"drop table tb_closedfund", L"create view tb_closedfund as select 1 as code"},
    {L"delete from tb_closedfund"},
    {L"update tb_closedfund set date = null, value = x'00ff', price = 'abc'"},
    {L"update tb_closedfund set increasepercent = 'not a number', pricevalueRate = x'deadbeef'"},
    {L"update tb_fund set expiredate = '9999-99-99', createdate = ''"},
};

size_t pageSizeOf(const std::string& database)
{
    if (database.size() < 18) return 4096;
    size_t size = (uint8_t(database[16]) << 8) | uint8_t(database[17]);
    return size == 1 ? 65536 : size;
}

std::function<bool(const std::wstring&)> writing(const std::string& bytes)
{
    return [bytes](const std::wstring& path) { return writeFileBytes(path, bytes); };
}

// A variant made by hurting the bytes at random: cut short, bytes flipped, or a burst over
// one page's body, as a torn write leaves.
DamagedDatabase randomDamage(const std::string& sample, size_t pageSize, int sampleRows, std::mt19937& rng)
{
    std::string bytes = sample;
    std::string name;
    switch (rng() % 3) {
    case 0: {
        size_t at = rng() % bytes.size();
        bytes.resize(at);
        name = "cut at byte " + std::to_string(at);
        break;
    }
    case 1: {
        int flips = 1 + int(rng() % 8);
        name = "flips";
        for (int f = 0; f < flips; ++f) {
            size_t at = rng() % bytes.size();
            bytes[at] = char(bytes[at] ^ (1 + rng() % 255));
            name += " " + std::to_string(at);
        }
        break;
    }
    default: {
        size_t page = rng() % (bytes.size() / pageSize), at = page * pageSize + rng() % (pageSize - 32);
        for (size_t k = 0; k < 32; ++k) bytes[at + k] = char(rng());
        name = "burst at " + std::to_string(at);
        break;
    }
    }
    return {name, writing(bytes), sampleRows};
}

} // namespace

std::vector<DamagedDatabase> damagedDatabases(const std::string& sample, int sampleRows, int count, uint32_t seed)
{
    std::vector<DamagedDatabase> out;
    std::mt19937 rng(seed);
    const size_t pageSize = pageSizeOf(sample);
    const size_t pages = sample.size() / pageSize;
    out.push_back({"empty file", writing(std::string()), sampleRows});
    out.push_back({"header only", writing(sample.substr(0, 100)), sampleRows});
    out.push_back({"text file", writing("code,name\n500001,not a database\n"), sampleRows});
    out.push_back({"a folder", [](const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr) != 0; },
                   sampleRows});
    out.push_back({"locked", writing(sample), sampleRows});
    for (size_t i = 0; i < kWrongSchemas.size(); ++i) {
        const auto& statements = kWrongSchemas[i];
        bool emptied = std::wstring(statements[0]).find(L"delete") == 0;
        out.push_back({"wrong schema " + std::to_string(i),
                       [sample, statements](const std::wstring& path) {
                           return writeFileBytes(path, sample) && runStatements(path, statements);
                       },
                       emptied ? 0 : sampleRows});
    }
    for (size_t p = 1; p <= pages && int(out.size()) < count / 4; ++p)
        out.push_back(
            {"cut at page " + std::to_string(p), writing(sample.substr(0, p * pageSize - (p % 2))), sampleRows});
    while (int(out.size()) < count) out.push_back(randomDamage(sample, pageSize, sampleRows, rng));
    return out;
}

bool writeRepeatedCodes(const std::wstring& path, const std::string& sample, int copies)
{
    std::wstring repeat = L"with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
                          std::to_wstring(copies) + L") insert into tb_closedfund select tb_copy.* from tb_copy, n";
    return writeFileBytes(path, sample) &&
           runStatements(path, {L"create table tb_copy as select * from tb_closedfund", L"drop table tb_closedfund",
                                L"create table tb_closedfund as select * from tb_copy where 0", repeat.c_str(),
                                L"drop table tb_copy"});
}

bool damageIndexPage(const std::wstring& path)
{
    int indexPage = 0, pageSize = 0;
    {
        XStringW error;
        XComPtr<Host::IDatabase> db = FundDb::openFundDatabase(path, error);
        if (!db || !db->isOpen()) return false;
        XComPtr<Host::IStatement> root = db->prepare(
            L"select rootpage from sqlite_schema where type = 'index' order by rootpage desc limit 1", error);
        XComPtr<Host::IStatement> size = db->prepare(L"PRAGMA page_size", error);
        if (!root || !root->step() || !size || !size->step()) return false;
        indexPage = _wtoi(root->getText(0).c_str());
        pageSize = _wtoi(size->getText(0).c_str());
    }
    std::string bytes = readFileBytes(path);
    if (indexPage <= 0 || pageSize <= 0 || bytes.size() < size_t(indexPage) * size_t(pageSize)) return false;
    std::fill(bytes.begin() + std::ptrdiff_t(indexPage - 1) * pageSize,
              bytes.begin() + std::ptrdiff_t(indexPage) * pageSize, '\xAB');
    return writeFileBytes(path, bytes);
}

void removeDatabaseFiles(const std::wstring& path)
{
    for (const wchar_t* suffix : {L"", L"-wal", L"-shm", L"-journal"}) DeleteFileW((path + suffix).c_str());
    RemoveDirectoryW(path.c_str());
}

ExclusiveHold::ExclusiveHold(const std::wstring& path)
    : file_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr))
{}

ExclusiveHold::~ExclusiveHold()
{
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

XStringW damagedHeader(const XStringW& good, std::mt19937& rng, std::string& name)
{
    static const wchar_t kNoise[] = L"<>\"'&=/?!- \t\x4E2D\xFEFF\x0001";
    XStringW text = good;
    switch (rng() % 7) {
    case 0: {
        size_t at = rng() % text.size();
        text.resize(at);
        name = "cut at " + std::to_string(at);
        break;
    }
    case 1: {
        int flips = 1 + int(rng() % 6);
        name = "flipped";
        for (int f = 0; f < flips; ++f) {
            size_t at = rng() % text.size();
            text[at] = kNoise[rng() % (sizeof kNoise / sizeof kNoise[0] - 1)];
            name += " " + std::to_string(at);
        }
        break;
    }
    case 2: {
        size_t close = text.rfind(L"</header>");
        if (close != XStringW::npos) text.resize(close);
        name = "unclosed";
        break;
    }
    case 3: {
        size_t enc = text.find(L"encoding=\"");
        XStringW label = L"x-unknown-" + std::to_wstring(rng() % 1000);
        if (enc != XStringW::npos)
            text.replace(enc + 10, text.find(L'"', enc + 10) - enc - 10, label);
        else
            text = L"<?xml version=\"1.0\" encoding=\"" + label + L"\"?>" + text;
        name = "encoding " + Common::toUtf8(label);
        break;
    }
    case 4: {
        static const wchar_t* kShapes[] = {L"",
                                           L"   \r\n",
                                           L"<header/>",
                                           L"<header></header>",
                                           L"<columns><column/></columns>",
                                           L"<header><item title=\"a\" name=\"code\" visible=\"false\"/></header>",
                                           L"not xml at all",
                                           L"\xFEFF"};
        size_t k = rng() % (sizeof kShapes / sizeof kShapes[0]);
        text = kShapes[k];
        name = "shape " + std::to_string(k);
        break;
    }
    case 5: {
        // Every item hidden: no column to show and none the menu could give back.
        text.replaceAll(L"<item ", L"<item visible=\"false\" ");
        name = "all hidden";
        break;
    }
    default: {
        size_t from = rng() % text.size(), length = 1 + rng() % 200;
        text.erase(from, length);
        name = "erased " + std::to_string(from) + "+" + std::to_string(length);
        break;
    }
    }
    return text;
}

bool writeDamagedTheme(const std::wstring& path, const std::string& shipped, int variant, std::mt19937& rng,
                       std::string& name)
{
    std::string bytes = shipped;
    switch (variant % 5) {
    case 0:
        bytes.resize(rng() % bytes.size());
        name = "cut at " + std::to_string(bytes.size());
        break;
    case 1:
        for (int f = 0; f < 20; ++f) bytes[rng() % bytes.size()] = char(rng());
        name = "20 random bytes";
        break;
    case 2: {
        // Every font a face with quotes and markup in it.
        std::string::size_type at = 0;
        while ((at = bytes.find("font fntn_", at)) != std::string::npos) {
            size_t eq = bytes.find('=', at);
            bytes.insert(eq + 2, "\"<x a='1'>&\" ");
            at = eq;
        }
        name = "fonts with markup";
        break;
    }
    case 3:
        bytes = std::string(size_t(rng() % 4096), '\0');
        name = "zeros";
        break;
    default: name = "no theme file"; return true;
    }
    return writeFileBytes(path, bytes);
}

} // namespace TestSupport

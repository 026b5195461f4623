// Synthetic fund data. Every name is made up and says so ("示例", "样本"); numbers come from
// a fixed pseudo-random sequence per fund, so the same call always writes the same file.
#include "SampleFunds.h"
#include "SqliteDatabase.h"
#include <cstdint>
#include <cstdio>
#include <string>

namespace FundDb {

const char* const kSampleDataDate = "2026-06-26";
static const char* const kPreviousDate = "2026-06-19";
static const int kStandardFunds = 60;
static const int kCompanies = 20;

namespace {

// Twenty made-up companies, told apart by one character each; pycode is the initials of
// the name, as the client's pinyin search expects.
const char* const kCompanyMarks[kCompanies][2] = {
    {"甲", "j"}, {"乙", "y"}, {"丙", "b"}, {"丁", "d"}, {"戊", "w"}, {"己", "j"}, {"庚", "g"},
    {"辛", "x"}, {"壬", "r"}, {"癸", "g"}, {"子", "z"}, {"丑", "c"}, {"寅", "y"}, {"卯", "m"},
    {"辰", "c"}, {"巳", "s"}, {"午", "w"}, {"未", "w"}, {"申", "s"}, {"酉", "y"}};
const char* const kInvestTypes[] = {"股票型", "混合型", "债券型", "指数型"};
const char* const kInvestStyles[] = {"成长型", "价值型", "平衡型", "稳健型", "收益型"};
const char* const kFundTypes[] = {"契约型封闭式", "契约型封闭式", "创新型封闭式"};

// A small deterministic generator (splitmix64), seeded per fund.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    double next() { return double(nextBits() >> 11) / double(1ULL << 53); }
    int below(int n) { return int(next() * n); }
private:
    uint64_t nextBits()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    uint64_t state_;
};

std::string fixed4(double x)
{
    char text[32];
    snprintf(text, sizeof text, "%.4f", x);
    return text;
}

double roundTo(double x, double scale) { return double(int64_t(x * scale + (x < 0 ? -0.5 : 0.5))) / scale; }
double round4(double x) { return roundTo(x, 1e4); }
double round6(double x) { return roundTo(x, 1e6); }

std::string date(int year, int month, int day)
{
    char text[16];
    snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

// A prepared insert whose parameters are bound in order; a NULL is bound where asked.
class Insert {
public:
    Insert(sqlite3* db, const char* sql) : db_(db) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Insert() { sqlite3_finalize(stmt_); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;
    bool valid() const { return stmt_ != nullptr; }
    Insert& text(const std::string& v) { sqlite3_bind_text(stmt_, ++n_, v.c_str(), int(v.size()), SQLITE_TRANSIENT); return *this; }
    Insert& real(double v) { sqlite3_bind_double(stmt_, ++n_, v); return *this; }
    Insert& integer(int64_t v) { sqlite3_bind_int64(stmt_, ++n_, v); return *this; }
    Insert& null() { sqlite3_bind_null(stmt_, ++n_); return *this; }
    bool run(XStringW& error)
    {
        n_ = 0;
        int rc = sqlite3_step(stmt_);
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        if (rc == SQLITE_DONE) return true;
        error = sqliteError(db_);
        return false;
    }
private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    int n_ = 0;
};

struct Inserts {
    explicit Inserts(sqlite3* db)
        : company(db, "insert into tb_investadvisor (guid, pycode, name) values (?,?,?)"),
          fund(db, "insert into tb_fund (code, aliascode, name, investtype, investstyle, expiredate, fundtype,"
                   " createdate, quotient, latestholderaccountnumber, pycode, companyguid, isdellisting, isdeleted)"
                   " values (?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
          nav(db, "insert into tb_closedfund (code, date, value, totalvalue, previousvalue, previoustotalvalue,"
                  " previousdate, increase, increasepercent, price, pricevalue, pricevalueRate, isdeleted)"
                  " values (?,?,?,?,?,?,?,?,?,?,?,?,0)"),
          bonus(db, "insert into tb_bonus (code, currdate, bonus) values (?,?,?)"),
          info(db, "insert into tb_sampleinfo (key, value) values (?,?)") {}
    bool valid() const { return company.valid() && fund.valid() && nav.valid() && bonus.valid() && info.valid(); }
    Insert company, fund, nav, bonus, info;
};

std::string companyGuid(int company)
{
    char text[48];
    snprintf(text, sizeof text, "5a3e0000-0000-4000-8000-%012d", company + 1);
    return text;
}

bool insertCompanies(Inserts& in, XStringW& error)
{
    for (int i = 0; i < kCompanies; ++i) {
        std::string name = std::string(kCompanyMarks[i][0]) + "号示例基金管理有限公司";
        std::string pycode = std::string(kCompanyMarks[i][1]) + "hsljjglyxgs";
        if (!in.company.text(companyGuid(i)).text(pycode).text(name).run(error)) return false;
    }
    return true;
}

std::string fundCode(int index, bool standard)
{
    char text[16];
    if (standard) {
        // Three code ranges, as exchanges number closed-end funds.
        static const int bases[] = {184688, 500001, 150001};
        snprintf(text, sizeof text, "%06d", bases[index / 20 % 3] + index % 20);
    } else {
        snprintf(text, sizeof text, "%06d", index);
    }
    return text;
}

// The fund's static record. The case is index % 60: a few places in every 60 funds hold the
// expiry dates and flags that the page treats specially.
bool insertFund(Inserts& in, int index, bool standard, XStringW& error)
{
    Random random(uint64_t(index) + 1);
    int kind = index % kStandardFunds;
    std::string code = fundCode(index, standard);
    char name[32], pycode[32];
    snprintf(name, sizeof name, standard ? "示例基金%03d" : "样本基金%06d", standard ? index + 1 : index);
    snprintf(pycode, sizeof pycode, standard ? "sljj%03d" : "ybjj%06d", standard ? index + 1 : index);
    int year = 2008 + random.below(16), month = 1 + random.below(12), day = 1 + random.below(28);
    std::string expiry = date(year + 10 + random.below(6), month, day);
    if (kind == 3) expiry = "2019-04-30";   // already expired
    if (kind == 5) expiry = "0001-01-01";   // no expiry recorded
    if (kind == 7) expiry = "";             // empty text
    if (kind == 15) expiry = "2099-12-31";  // far away
    int company = index % kCompanies;
    bool deleted = kind == 50, delisted = kind == 51;

    if (kind == 52) {
        // An old, deleted record of the same fund: the query must ignore it.
        Insert& f = in.fund;
        f.text(code).text(code).text(std::string(name) + "(旧)").text("股票型").text("成长型").text("1990-01-01")
            .text("契约型封闭式").text("1990-01-01").real(1e9).integer(1).text(pycode).text(companyGuid(company))
            .integer(0).integer(1);
        if (!f.run(error)) return false;
    }
    Insert& f = in.fund;
    f.text(code).text(code).text(name).text(kInvestTypes[random.below(4)]);
    if (kind == 13) f.null(); else f.text(kInvestStyles[random.below(5)]);
    f.text(expiry).text(kFundTypes[random.below(3)]).text(date(year, month, day));
    f.real(double(5 + random.below(56)) * 1e8);
    if (kind == 13) f.null(); else f.integer(10000 + random.below(190000));
    f.text(pycode).text(companyGuid(company)).integer(delisted ? 1 : 0).integer(deleted ? 1 : 0);
    return f.run(error);
}

// The fund's net value and market price on the data date. Prices trade in thousandths and
// mostly below the net value, as closed-end funds do.
bool insertNav(Inserts& in, int index, bool standard, XStringW& error)
{
    Random random(uint64_t(index) + 7919);
    int kind = index % kStandardFunds;
    double value = round4(0.8 + random.next() * 1.7);
    double change = (random.next() - 0.5) * 0.06;
    double previous = round4(value / (1.0 + change));
    double increase = round4(value - previous);
    double total = round4(value + random.next() * 1.5);
    double discount = -0.02 + random.next() * 0.27;
    double price = double(int64_t(value * (1.0 - discount) * 1000.0 + 0.5)) / 1000.0;

    Insert& n = in.nav;
    n.text(fundCode(index, standard)).text(kSampleDataDate).text(fixed4(value)).text(fixed4(total));
    if (kind == 11) {
        n.null().null().null().null().null();   // a new fund: no previous net value yet
    } else {
        n.text(fixed4(previous)).text(fixed4(round4(total - increase))).text(kPreviousDate).text(fixed4(increase))
            .real(round6(increase / previous));
    }
    if (kind == 9) {
        n.text(fixed4(0.0)).null().null();   // no trade: price 0, no discount
    } else {
        n.text(fixed4(price)).text(fixed4(round4(price - value))).real(round6((price - value) / value));
    }
    return n.run(error);
}

bool insertInfo(Inserts& in, const char* kind, int funds, XStringW& error)
{
    return in.info.text("content").text("示例数据：虚构的基金、公司与行情，仅供开发和演示，不是真实信息").run(error)
           && in.info.text("kind").text(kind).run(error)
           && in.info.text("funds").text(std::to_string(funds)).run(error)
           && in.info.text("datadate").text(kSampleDataDate).run(error);
}

bool insertFunds(sqlite3* db, int count, bool standard, XStringW& error)
{
    Inserts in(db);
    if (!in.valid()) {
        error = sqliteError(db);
        return false;
    }
    if (!insertInfo(in, standard ? "standard sample" : "synthetic", count, error)) return false;
    if (!insertCompanies(in, error)) return false;
    for (int i = 0; i < count; ++i) {
        if (!insertFund(in, i, standard, error) || !insertNav(in, i, standard, error)) return false;
    }
    // Dividends on the data date for two funds and an older one: the bonus join must not
    // add rows.
    return in.bonus.text(fundCode(2, standard)).text(kSampleDataDate).text("0.0500").run(error)
           && in.bonus.text(fundCode(4, standard)).text(kSampleDataDate).text("0.1200").run(error)
           && in.bonus.text(fundCode(2, standard)).text("2025-06-27").text("0.0300").run(error);
}

} // namespace

bool insertStandardSample(sqlite3* db, XStringW& error) { return insertFunds(db, kStandardFunds, true, error); }

bool insertSyntheticFunds(sqlite3* db, int count, XStringW& error)
{
    if (count < 5) {
        // The bonus rows name funds 2 and 4.
        error = L"a synthetic database needs at least 5 funds";
        return false;
    }
    return insertFunds(db, count, false, error);
}

} // namespace FundDb

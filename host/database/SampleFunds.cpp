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
const char* const kCompanyMarks[kCompanies][2] = {{"甲", "j"}, {"乙", "y"}, {"丙", "b"}, {"丁", "d"}, {"戊", "w"},
                                                  {"己", "j"}, {"庚", "g"}, {"辛", "x"}, {"壬", "r"}, {"癸", "g"},
                                                  {"子", "z"}, {"丑", "c"}, {"寅", "y"}, {"卯", "m"}, {"辰", "c"},
                                                  {"巳", "s"}, {"午", "w"}, {"未", "w"}, {"申", "s"}, {"酉", "y"}};
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

// Days since 1970-01-01 of a date of the Gregorian calendar, and back (valid for every year
// from 1 to 9999, leap days included).
int64_t daysFromCivil(int year, int month, int day)
{
    int64_t y = year - (month <= 2 ? 1 : 0);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string dateFromDays(int64_t days)
{
    int64_t z = days + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int day = int(doy - (153 * mp + 2) / 5 + 1);
    int month = int(mp < 10 ? mp + 3 : mp - 9);
    return date(int(yoe + era * 400 + (month <= 2 ? 1 : 0)), month, day);
}

// "YYYY-MM-DD" of a real calendar day; false for anything else.
bool parseDate(const std::string& text, int64_t& days)
{
    int year = 0, month = 0, day = 0;
    char tail = 0;
    if (text.size() != 10 || sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3) return false;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31) return false;
    days = daysFromCivil(year, month, day);
    return dateFromDays(days) == text; // 2026-02-30 would come back as 2026-03-02
}

// The sample's calendar. Its dates are written as they lie around kSampleDataDate and moved
// by the distance from there to the data date asked for. "0001-01-01" (no date), "" and the
// far "2099-12-31" are markers rather than dates and stay as they are.
class SampleDates {
public:
    explicit SampleDates(const std::string& dataDate) : dataDate_(dataDate)
    {
        int64_t base = 0, target = 0;
        valid_ = parseDate(kSampleDataDate, base) && parseDate(dataDate, target);
        shift_ = valid_ ? target - base : 0;
    }
    bool valid() const { return valid_; }
    const std::string& dataDate() const { return dataDate_; }
    std::string at(int year, int month, int day) const
    {
        return dateFromDays(daysFromCivil(year, month, day) + shift_);
    }
    std::string at(const std::string& text) const
    {
        int64_t days = 0;
        if (text == "0001-01-01" || text == "2099-12-31" || !parseDate(text, days)) return text;
        return dateFromDays(days + shift_);
    }

private:
    std::string dataDate_;
    int64_t shift_ = 0;
    bool valid_ = false;
};

// A prepared insert whose parameters are bound in order; a NULL is bound where asked.
class Insert {
public:
    Insert(sqlite3* db, const char* sql) : db_(db) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Insert() { sqlite3_finalize(stmt_); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;
    bool valid() const { return stmt_ != nullptr; }
    Insert& text(const std::string& v)
    {
        sqlite3_bind_text(stmt_, ++n_, v.c_str(), int(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert& real(double v)
    {
        sqlite3_bind_double(stmt_, ++n_, v);
        return *this;
    }
    Insert& integer(int64_t v)
    {
        sqlite3_bind_int64(stmt_, ++n_, v);
        return *this;
    }
    Insert& null()
    {
        sqlite3_bind_null(stmt_, ++n_);
        return *this;
    }
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
          info(db, "insert into tb_sampleinfo (key, value) values (?,?)")
    {}
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
bool insertFund(Inserts& in, const SampleDates& dates, int index, bool standard, XStringW& error)
{
    Random random(uint64_t(index) + 1);
    int kind = index % kStandardFunds;
    std::string code = fundCode(index, standard);
    char name[32], pycode[32];
    snprintf(name, sizeof name, standard ? "示例基金%03d" : "样本基金%06d", standard ? index + 1 : index);
    snprintf(pycode, sizeof pycode, standard ? "sljj%03d" : "ybjj%06d", standard ? index + 1 : index);
    int year = 2008 + random.below(16), month = 1 + random.below(12), day = 1 + random.below(28);
    std::string expiry = dates.at(year + 10 + random.below(6), month, day);
    if (kind == 3) expiry = dates.at("2019-04-30"); // already expired
    if (kind == 5) expiry = "0001-01-01";           // no expiry recorded
    if (kind == 7) expiry = "";                     // empty text
    if (kind == 15) expiry = "2099-12-31";          // far away
    int company = index % kCompanies;
    bool deleted = kind == 50, delisted = kind == 51;

    if (kind == 52) {
        // An old, deleted record of the same fund: the query must ignore it.
        Insert& f = in.fund;
        f.text(code)
            .text(code)
            .text(std::string(name) + "(旧)")
            .text("股票型")
            .text("成长型")
            .text(dates.at("1990-01-01"))
            .text("契约型封闭式")
            .text(dates.at("1990-01-01"))
            .real(1e9)
            .integer(1)
            .text(pycode)
            .text(companyGuid(company))
            .integer(0)
            .integer(1);
        if (!f.run(error)) return false;
    }
    Insert& f = in.fund;
    f.text(code).text(code).text(name).text(kInvestTypes[random.below(4)]);
    if (kind == 13)
        f.null();
    else
        f.text(kInvestStyles[random.below(5)]);
    f.text(expiry).text(kFundTypes[random.below(3)]).text(dates.at(year, month, day));
    f.real(double(5 + random.below(56)) * 1e8);
    if (kind == 13)
        f.null();
    else
        f.integer(10000 + random.below(190000));
    f.text(pycode).text(companyGuid(company)).integer(delisted ? 1 : 0).integer(deleted ? 1 : 0);
    return f.run(error);
}

// The fund's net value and market price on the data date. Prices trade in thousandths and
// mostly below the net value, as closed-end funds do.
bool insertNav(Inserts& in, const SampleDates& dates, int index, bool standard, XStringW& error)
{
    Random random(uint64_t(index) + 7919);
    int kind = index % kStandardFunds;
    double value = round4(0.8 + random.next() * 1.7);
    double change = (random.next() - 0.5) * 0.06;
    double previous = round4(value / (1.0 + change));
    double increase = round4(value - previous);
    double total = round4(value + random.next() * 1.5);
    double discount = -0.02 + random.next() * 0.27;
    // Always positive here; the sample's prices are defined by exactly this rounding.
    double price =
        double(int64_t(value * (1.0 - discount) * 1000.0 + 0.5)) / 1000.0; // NOLINT(bugprone-incorrect-roundings)

    Insert& n = in.nav;
    n.text(fundCode(index, standard)).text(dates.dataDate()).text(fixed4(value)).text(fixed4(total));
    if (kind == 11) {
        n.null().null().null().null().null(); // a new fund: no previous net value yet
    } else {
        n.text(fixed4(previous))
            .text(fixed4(round4(total - increase)))
            .text(dates.at(kPreviousDate))
            .text(fixed4(increase))
            .real(round6(increase / previous));
    }
    if (kind == 9) {
        n.text(fixed4(0.0)).null().null(); // no trade: price 0, no discount
    } else {
        n.text(fixed4(price)).text(fixed4(round4(price - value))).real(round6((price - value) / value));
    }
    return n.run(error);
}

bool insertInfo(Inserts& in, const SampleDates& dates, const char* kind, int funds, XStringW& error)
{
    return in.info.text("content").text("示例数据：虚构的基金、公司与行情，仅供开发和演示，不是真实信息").run(error) &&
           in.info.text("kind").text(kind).run(error) && in.info.text("funds").text(std::to_string(funds)).run(error) &&
           in.info.text("datadate").text(dates.dataDate()).run(error);
}

bool insertFunds(sqlite3* db, const SampleDates& dates, int count, bool standard, XStringW& error)
{
    if (!dates.valid()) {
        error = L"the sample's data date is not a date: " + Common::fromUtf8(dates.dataDate());
        return false;
    }
    Inserts in(db);
    if (!in.valid()) {
        error = sqliteError(db);
        return false;
    }
    if (!insertInfo(in, dates, standard ? "standard sample" : "synthetic", count, error)) return false;
    if (!insertCompanies(in, error)) return false;
    for (int i = 0; i < count; ++i) {
        if (!insertFund(in, dates, i, standard, error) || !insertNav(in, dates, i, standard, error)) return false;
    }
    // Dividends on the data date for two funds and an older one: the bonus join must not
    // add rows.
    return in.bonus.text(fundCode(2, standard)).text(dates.dataDate()).text("0.0500").run(error) &&
           in.bonus.text(fundCode(4, standard)).text(dates.dataDate()).text("0.1200").run(error) &&
           in.bonus.text(fundCode(2, standard)).text(dates.at("2025-06-27")).text("0.0300").run(error);
}

} // namespace

bool insertStandardSample(sqlite3* db, const std::string& dataDate, XStringW& error)
{
    return insertFunds(db, SampleDates(dataDate), kStandardFunds, true, error);
}

bool insertSyntheticFunds(sqlite3* db, int count, XStringW& error)
{
    if (count < 5) {
        // The bonus rows name funds 2 and 4.
        error = L"a synthetic database needs at least 5 funds";
        return false;
    }
    return insertFunds(db, SampleDates(kSampleDataDate), count, false, error);
}

// 1970-01-01 was a Thursday: day 0 is weekday 4 (Sunday 0).
std::string lastWeekdayOnOrBefore(int year, int month, int day)
{
    int64_t days = daysFromCivil(year, month, day);
    int weekday = int(((days % 7) + 11) % 7);
    if (weekday == 6) days -= 1; // Saturday: Friday
    if (weekday == 0) days -= 2; // Sunday: Friday
    return dateFromDays(days);
}

} // namespace FundDb

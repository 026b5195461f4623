// Value formats written by careless hands: random text formats over random cells. Whatever
// the format, a null cell reads "--", the same cell reads the same twice (the formatter
// reuses its buffer), and no text runs away in length.
#include "RobustSupport.h"
#include "grid/ValueFormater.h"
#include "hostapi/DataHost.h"
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace Robust;

namespace {

// Pieces a format is made of, with the separators that give it its parts.
const wchar_t* const kPieces[] = {
    L"#",
    L"0",
    L".",
    L",",
    L":",
    L";",
    L"%",
    L"*",
    L"/",
    L"+",
    L"-",
    L"=",
    L"|",
    L"E",
    L"e",
    L"万",
    L"亿",
    L"元",
    L"--",
    L"0.00",
    L"#,##0.000",
    L"*100",
    L"/0",
    L"/1e-320",
    L"10000=万",
    L"1e308=",
    L"abc",
    L" ",
    L"999999999999999999999",
    L"-0",
    L"nan",
    L"inf",
    L"\x0001",
    L"\xFEFF",
    L"0.0000000000000000000000000000001",
};

XStringW randomFormat(std::mt19937& rng)
{
    XStringW format;
    int pieces = int(rng() % 12);
    for (int i = 0; i < pieces; ++i) format += kPieces[rng() % (sizeof kPieces / sizeof kPieces[0])];
    return format;
}

double randomReal(std::mt19937& rng)
{
    static const double kEdges[] = {0.0,
                                    -0.0,
                                    1e308,
                                    -1e308,
                                    5e-324,
                                    std::numeric_limits<double>::infinity(),
                                    -std::numeric_limits<double>::infinity(),
                                    std::nan(""),
                                    0.5,
                                    -1.25,
                                    123456789.0};
    if (rng() % 3 == 0) return kEdges[rng() % (sizeof kEdges / sizeof kEdges[0])];
    return std::ldexp(double(int32_t(rng())), int(rng() % 120) - 60);
}

} // namespace

TEST(CarelessFormats, AnyFormatGivesBoundedStableTexts)
{
    Tally tally("format texts");
    // Built cell by cell through the host's own table interface; read through the client's.
    XComPtr<Host::IDataTableHost> table = Host::createHostTable();
    ASSERT_TRUE(table);
    table->addColumn(L"real", Host::VALUE_REAL);
    table->addColumn(L"int", Host::VALUE_INT);
    table->addColumn(L"text", Host::VALUE_TEXT);
    table->commitFill();
    const int kRows = 64;
    std::mt19937 rng(seed(31337));
    for (int r = 0; r < kRows; ++r) {
        int row = table->appendRow();
        if (r == 0) continue; // row 0 stays null in every column
        table->setDouble(row, 0, randomReal(rng));
        table->setInt64(row, 1, int32_t(rng()));
        std::wstring text = randomFormat(rng);
        table->setTextAt(row, 2, text.c_str(), text.size());
    }
    ClosedFund::ValueFormater<double> real;
    ClosedFund::ValueFormater<int> integer;
    ClosedFund::ValueFormater<XStringW> text;
    const wchar_t* columns[] = {L"real", L"int", L"text"};
    int count = scaled(30000, 1000000);
    for (int i = 0; i < count; ++i) {
        XStringW format = randomFormat(rng);
        int kind = int(rng() % 3);
        int row = int(rng() % kRows);
        XComPtr<Host::IColumnItem> cell = table->getRow(row)->getItem(columns[kind]);
        XComPtr<Host::IColumnItem> none = table->getRow(0)->getItem(columns[kind]);
        XStringW first, again, null;
        switch (kind) {
        case 0:
            real.SetFormat(format);
            first = real.Format(cell.get());
            null = real.Format(none.get());
            again = real.Format(cell.get());
            break;
        case 1:
            integer.SetFormat(format);
            first = integer.Format(cell.get());
            null = integer.Format(none.get());
            again = integer.Format(cell.get());
            break;
        default:
            text.SetFormat(format);
            first = text.Format(cell.get());
            null = text.Format(none.get());
            again = text.Format(cell.get());
            break;
        }
        std::string problem;
        if (null != L"--") problem = "null cell reads \"" + narrow(null) + "\"";
        if (first != again) problem += " the same cell read twice differs";
        if (first.size() > 2048) problem += " " + std::to_string(first.size()) + " characters";
        if (problem.empty()) {
            tally.pass();
            continue;
        }
        std::string name = "format \"" + narrow(format) + "\" " + narrow(columns[kind]) + " row " + std::to_string(row);
        tally.fail(name + ":" + problem);
        ADD_FAILURE() << name << ": " << problem;
        if (tally.failures() > 20) break;
    }
}

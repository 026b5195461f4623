// A host object that throws must not unwind through the module: every operation the host
// calls on the module gives its default result instead, and the client goes on.
#include "PageHost.h"
#include "filter/MultiValueFilter.h"
#include "filter/SearchFilterImpl.h"
#include "module/ClosedFundModule.h"
#include <gtest/gtest.h>
#include <stdexcept>

using namespace PageTests;

namespace {

class ThrowingFrame : public TestModule<Host::IMainFrameModule> {
public:
    XComPtr<IXUnknown> getControl(const XStringA&) override { throw std::runtime_error("no controls today"); }
    void activatePage(Host::ITabPage*) override { throw std::runtime_error("no pages today"); }
    void addToolButton(const XStringA&, const XStringA&, const Host::ToolButtonDesc&) override {}
};

// Rows without columns: any question about a column throws, as a broken host's might.
class ThrowingContainer : public Host::IDataContainer {
public:
    int addRef() override { return 1; }
    int release() override { return 1; }
    XComPtr<Host::IDataRow> getRow(int) override { throw std::runtime_error("no rows"); }
    int getRowCount() override { return 3; }
    XComPtr<Host::IColumnItem> getColumn(int) override { throw std::runtime_error("no columns"); }
    int getColumnIndex(const XStringW&) override { throw std::length_error("no column index"); }
};

} // namespace

TEST(GuardedEntryTest, TheModuleAndItsFiltersAnswerWithTheirDefaultsWhenTheHostThrows)
{
    ClosedFund::ClosedFundModuleImpl module;
    TestApp app;
    ThrowingFrame frame;
    app.modules["mod_MainFrame"] = &frame;
    XStringW error;
    EXPECT_EQ(module.initialize(&app, error), 1);
    EXPECT_FALSE(module.locateFund(L"500001"));
    module.refresh();
    module.uninitialize();

    ThrowingContainer container;
    int rows[] = {0, 1, 2};
    int count = 3;
    auto values = XComPtr<ClosedFund::MultiValueFilter>::adopt(new ClosedFund::MultiValueFilter);
    values->SetColumn(L"fund_type");
    values->AddValue(L"股票型");
    values->filterRows(&container, rows, &count);
    EXPECT_EQ(count, 3);
    auto search = XComPtr<ClosedFund::SearchFilterImpl>::adopt(new ClosedFund::SearchFilterImpl);
    search->AddColumn(L"name");
    search->AddKeyword(L"成长");
    search->filterRows(&container, rows, &count);
    EXPECT_EQ(count, 3);
}

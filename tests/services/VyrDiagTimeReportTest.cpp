// Diagnostic timing of a step: the time-report dialogs registered at each moment hear its start
// and its end under its label; with none registered nobody is called.
#include "VyrDiagTimeReport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Dialog : public CVyrTimeReportDlgInt {
public:
    void BeginTiming(const CVyrString& label) override { log.push_back(L"begin " + std::wstring(label.GetString())); }
    void EndTiming(const CVyrString& label) override { log.push_back(L"end " + std::wstring(label.GetString())); }
    std::vector<std::wstring> log;
};

class VyrDiagTimeReportTest : public ::testing::Test {
protected:
    ~VyrDiagTimeReportTest() override
    {
        CVyrTimeReportDlgInt::sTimeReportDlgInt = shown_;
        CVyrTimeReportDlgInt::sTimeReportHideDlgInt = hidden_;
    }

private:
    CVyrTimeReportDlgInt* const shown_ = CVyrTimeReportDlgInt::sTimeReportDlgInt;
    CVyrTimeReportDlgInt* const hidden_ = CVyrTimeReportDlgInt::sTimeReportHideDlgInt;
};

}  // namespace

TEST_F(VyrDiagTimeReportTest, TheRegisteredDialogsHearTheStepsStartAndEnd)
{
    EXPECT_EQ(CVyrTimeReportDlgInt::sTimeReportDlgInt, nullptr);  // none until a dialog registers
    EXPECT_EQ(CVyrTimeReportDlgInt::sTimeReportHideDlgInt, nullptr);
    { CVyrDiagTimeReport nobody(L"unheard"); }

    Dialog shown, hidden;
    CVyrTimeReportDlgInt::sTimeReportDlgInt = &shown;
    CVyrTimeReportDlgInt::sTimeReportHideDlgInt = &hidden;
    {
        CVyrDiagTimeReport step(L"Calc");
        EXPECT_EQ(shown.log, (std::vector<std::wstring>{L"begin Calc"}));
        EXPECT_EQ(hidden.log, (std::vector<std::wstring>{L"begin Calc"}));
        CVyrTimeReportDlgInt::sTimeReportDlgInt = nullptr;  // closed during the step
    }
    EXPECT_EQ(shown.log, (std::vector<std::wstring>{L"begin Calc"}));
    EXPECT_EQ(hidden.log, (std::vector<std::wstring>{L"begin Calc", L"end Calc"}));
}

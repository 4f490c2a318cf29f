#include "VyrDiagTimeReport.h"

CVyrTimeReportDlgInt* CVyrTimeReportDlgInt::sTimeReportDlgInt = nullptr;
CVyrTimeReportDlgInt* CVyrTimeReportDlgInt::sTimeReportHideDlgInt = nullptr;

CVyrTimeReportDlgInt::~CVyrTimeReportDlgInt() = default;

CVyrDiagTimeReport::CVyrDiagTimeReport(const CVyrString& label) : m_label(label)
{
    if (CVyrTimeReportDlgInt* shown = CVyrTimeReportDlgInt::sTimeReportDlgInt) shown->BeginTiming(m_label);
    if (CVyrTimeReportDlgInt* hidden = CVyrTimeReportDlgInt::sTimeReportHideDlgInt) hidden->BeginTiming(m_label);
}

CVyrDiagTimeReport::~CVyrDiagTimeReport()
{
    if (CVyrTimeReportDlgInt* shown = CVyrTimeReportDlgInt::sTimeReportDlgInt) shown->EndTiming(m_label);
    if (CVyrTimeReportDlgInt* hidden = CVyrTimeReportDlgInt::sTimeReportHideDlgInt) hidden->EndTiming(m_label);
}

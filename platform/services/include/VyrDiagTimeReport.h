// CVyrDiagTimeReport and CVyrTimeReportDlgInt: diagnostic timing of named steps for the host's
// time-report dialogs. A dialog that is open registers itself in one of the two statics of
// CVyrTimeReportDlgInt (the report shown, or the report kept while hidden); callers time a step
// only while one of them is set, with a CVyrDiagTimeReport that lives as long as the step.
//
// Choice where the behaviour was open: the timer only marks the start and the end of its step
// and the dialogs keep the times, so this library holds no clock of its own. Each mark goes to
// the dialogs registered at that moment, so a dialog closed during a step is never called.
#pragma once

#include "VyrServicesApi.h"
#include "VyrString.h"

// A time-report dialog as the timers see it.
class VYR_SERVICES_API CVyrTimeReportDlgInt {
public:
    // The time-report dialog while it is open, else null.
    static CVyrTimeReportDlgInt* sTimeReportDlgInt;
    // The hidden time-report dialog while it exists, else null.
    static CVyrTimeReportDlgInt* sTimeReportHideDlgInt;

    // Frees the dialog's side (it must have left the statics first).
    virtual ~CVyrTimeReportDlgInt();
    // The step named `label` starts.
    virtual void BeginTiming(const CVyrString& label) = 0;
    // The step named `label` ends.
    virtual void EndTiming(const CVyrString& label) = 0;
};

// Times one step: tells the registered dialogs that the step starts when made and that it ends
// when destroyed.
class VYR_SERVICES_API CVyrDiagTimeReport {
public:
    // Starts the step `label`.
    explicit CVyrDiagTimeReport(const CVyrString& label);
    // Ends the step.
    ~CVyrDiagTimeReport();
    // Not copyable: one start, one end.
    CVyrDiagTimeReport(const CVyrDiagTimeReport&) = delete;
    // Not copyable.
    CVyrDiagTimeReport& operator=(const CVyrDiagTimeReport&) = delete;

private:
    CVyrString m_label;
};

// CDsSetupFileLines: the lines of a small text setup file, read with bounds, for the readers of
// the display's setup files ("OpenGlSetup.dat", "DisplayAutoSetup.dat").
//
// A setup file is outside input: it may be truncated, binary, huge or hold a line without end.
// Every read here is bounded: a line keeps at most kMaxLineBytes bytes (a longer one is answered
// as overlong, its text dropped, and reading goes on after its line feed), and at most
// kMaxFileBytes bytes of a file are read at all (the rest is left unread, as if the file ended
// there). A line that the byte limit cuts, its line feed beyond the limit, is answered as cut, its
// text dropped (a file that simply ends at the limit, its last line without a line feed, is read
// whole, without a fault). A line holding a control character other than a tab (a zero byte, for
// one) among its bytes kept is answered as binary, however long it runs. Lines end at "\n"; a "\r" before it is dropped; a UTF-8 byte-order
// mark at the start of the file is not text. Callers skip overlong, binary and cut lines, and
// note their own faults (NoteFault); Report then writes one warning line for the whole read,
// naming the first fault ("Display warning: OpenGlSetup.dat: line 3 holds binary data and was skipped").
//
// The reader takes the file from where it stands and reads ahead in blocks; when it goes, the
// file is moved back to the end of the last line answered, so that a later read of the same file
// goes on from there. Nothing here throws: a file that cannot be read ends the lines.
//
// Internal to the core: not exported.
#pragma once

#include <afx.h>

#include <cstddef>
#include <string>

// Bounded lines of a setup file.
class CDsSetupFileLines {
public:
    // Largest line kept, in bytes, without its line end.
    static const size_t kMaxLineBytes = 1024;
    // Most bytes read from one file.
    static const size_t kMaxFileBytes = size_t(1) << 20;

    // What a line is.
    enum ELine {
        eLineText = 0,      // a line of text (possibly empty)
        eLineOverlong = 1,  // longer than kMaxLineBytes: its text is dropped
        eLineBinary = 2,    // holds a control character other than a tab: its text is dropped
        eLineCut = 3        // the file's byte limit fell inside it: its text is dropped
    };

    // Reads `file` from where it stands.
    explicit CDsSetupFileLines(CStdioFile& file);
    // Moves the file back to the end of the last line answered.
    ~CDsSetupFileLines();
    CDsSetupFileLines(const CDsSetupFileLines&) = delete;
    CDsSetupFileLines& operator=(const CDsSetupFileLines&) = delete;

    // The next line's bytes in `line` (empty for an overlong or binary line) and its kind in
    // `kind`; false at the end of the file, at the byte limit or when the file cannot be read
    // further. Overlong, binary and cut lines are noted as faults, and so is a limit that left
    // bytes of the file unread.
    bool Next(std::string& line, ELine& kind);
    // The number of the line Next answered last (1 for the first).
    int GetLineNumber() const { return m_lineNumber; }

    // Notes a fault of the line answered last, `what` completing "line <n> ..." (the first fault
    // noted is the one reported).
    void NoteFault(const char* what);
    // True when a fault was noted.
    bool HasFault() const { return !m_fault.empty(); }
    // What the reader did with the whole file because of its faults, added to the report after
    // the first fault ("; " and `what`); nothing without a fault.
    void NoteOutcome(const char* what);
    // Writes one warning line when a fault was noted: "Display warning: <file>: <first fault>",
    // and the outcome noted. Nothing otherwise.
    void Report(const char* fileName) const;

    // True when `line` is blank or a comment: nothing but blanks, or a '#' or ';' after them.
    static bool IsComment(const std::string& line);

private:
    // Reads the next block; false at the end, at the limit or on a read error.
    bool Fill();
    // Whether the file has a byte beyond where it stands (the file is left where it stood).
    bool FileGoesOn();

    CStdioFile& m_file;
    char m_block[4096];
    size_t m_blockSize = 0;
    size_t m_blockPos = 0;
    size_t m_total = 0;
    bool m_atStart = false;
    bool m_ended = false;
    bool m_cut = false;  // the byte limit was reached with more of the file after it
    int m_lineNumber = 0;
    std::string m_fault;  // the first fault, empty while none
    std::string m_outcome;  // what was done with the whole file, empty while nothing
};

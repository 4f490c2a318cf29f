// CDsSetupFileLines: bounded lines of a setup file.
#include "DsSetupFileLines.h"

#include "DsGeometryComputer.h"

#include <algorithm>
#include <cstring>

CDsSetupFileLines::CDsSetupFileLines(CStdioFile& file) : m_file(file)
{
    try {
        m_atStart = m_file.IsOpen() && m_file.GetPosition() == 0;
    } catch (CException* error) {
        error->Delete();
        m_ended = true;
    }
    if (!m_file.IsOpen()) m_ended = true;
}

CDsSetupFileLines::~CDsSetupFileLines()
{
    const size_t unread = m_blockSize - m_blockPos;
    if (unread == 0 || !m_file.IsOpen()) return;
    try {
        m_file.Seek(-static_cast<LONGLONG>(unread), CFile::current);
    } catch (CException* error) {
        error->Delete();
    }
}

bool CDsSetupFileLines::Fill()
{
    if (m_ended) return false;
    if (m_total >= kMaxFileBytes) {
        m_ended = true;
        m_cut = FileGoesOn();
        return false;
    }
    const size_t want = std::min(sizeof m_block, kMaxFileBytes - m_total);
    UINT got = 0;
    try {
        got = m_file.Read(m_block, static_cast<UINT>(want));
    } catch (CException* error) {
        error->Delete();
        got = 0;
        if (m_fault.empty()) m_fault = "it cannot be read after line " + std::to_string(m_lineNumber);
    }
    m_blockSize = got;
    m_blockPos = 0;
    m_total += got;
    if (got == 0) {
        m_ended = true;
        return false;
    }
    if (m_atStart) {
        m_atStart = false;
        if (got >= 3 && std::memcmp(m_block, "\xEF\xBB\xBF", 3) == 0) m_blockPos = 3;
    }
    return true;
}

bool CDsSetupFileLines::FileGoesOn()
{
    char next = 0;
    try {
        if (m_file.Read(&next, 1) != 1) return false;
        m_file.Seek(-1, CFile::current);
    } catch (CException* error) {
        error->Delete();
        return false;
    }
    return true;
}

bool CDsSetupFileLines::Next(std::string& line, ELine& kind)
{
    line.clear();
    bool any = false;
    bool overlong = false;
    bool unended = false;  // no line feed before the bytes ran out
    for (;;) {
        if (m_blockPos == m_blockSize) {
            if (!Fill()) {
                unended = true;
                break;
            }
            continue;
        }
        any = true;
        const char c = m_block[m_blockPos++];
        if (c == '\n') break;
        if (line.size() < kMaxLineBytes + 1)  // one more, so that a "\r" before the end fits
            line.push_back(c);
        else
            overlong = true;
    }
    if (!any) {
        if (m_cut && m_fault.empty()) m_fault = "only its first " + std::to_string(kMaxFileBytes) + " bytes were read";
        return false;
    }
    ++m_lineNumber;
    if (unended && m_cut) {
        // The read limit fell inside this line: what was read of it is no line at all.
        line.clear();
        kind = eLineCut;
        NoteFault(("is cut off by the read limit of " + std::to_string(kMaxFileBytes) + " bytes and was skipped").c_str());
        return true;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Binary data first: a long run of it is no overlong text.
    for (char c : line) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
            line.clear();
            kind = eLineBinary;
            NoteFault("holds binary data and was skipped");
            return true;
        }
    }
    if (overlong || line.size() > kMaxLineBytes) {
        line.clear();
        kind = eLineOverlong;
        NoteFault(("is longer than " + std::to_string(kMaxLineBytes) + " bytes and was skipped").c_str());
        return true;
    }
    kind = eLineText;
    return true;
}

void CDsSetupFileLines::NoteFault(const char* what)
{
    if (m_fault.empty()) m_fault = "line " + std::to_string(m_lineNumber) + " " + what;
}

void CDsSetupFileLines::NoteOutcome(const char* what)
{
    if (!m_fault.empty() && what) m_outcome = what;
}

void CDsSetupFileLines::Report(const char* fileName) const
{
    if (m_fault.empty()) return;
    std::string text = std::string("Display warning: ") + fileName + ": " + m_fault;
    if (!m_outcome.empty()) text += "; " + m_outcome;
    CDsGeometryComputer::WriteWarning(text.c_str());
}

bool CDsSetupFileLines::IsComment(const std::string& line)
{
    for (char c : line) {
        if (c == ' ' || c == '\t') continue;
        return c == '#' || c == ';';
    }
    return true;
}

// Fuzz target: CStdioFile reading the lines of a text file that may hold anything
// (no UTF-8, zero bytes, lone carriage returns, a byte-order mark, no final line
// feed, lines longer than its read-ahead).
//
// Each input becomes a file that is read twice. The first pass reads line after
// line; it must answer one line per line feed (plus the unterminated rest), never
// stand still, and end at the file's length. The second pass opens the file in
// binary mode and reads it again, and between lines moves to where it is, or reads
// a byte and steps back; it must answer the same lines.
#include "afx.h"

#include "FuzzSupport.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

const size_t kMaxLines = 100000;

// The lines of the first pass, checked against the file's bytes.
std::vector<CStringW> ReadLines(const CStringW& path, const uint8_t* data, size_t size) {
    CStdioFile file(path, CFile::modeRead | CFile::typeText);
    std::vector<CStringW> lines;
    CStringW line;
    ULONGLONG position = file.GetPosition();
    while (file.ReadString(line)) {
        const ULONGLONG now = file.GetPosition();
        if (now <= position) vyrfuzz::Fail("ReadString answered a line without moving on");
        if (now > size) vyrfuzz::Fail("GetPosition is past the end of the file");
        position = now;
        lines.push_back(line);
        if (lines.size() > kMaxLines) vyrfuzz::Fail("more lines than the file has bytes");
    }
    if (!line.IsEmpty()) vyrfuzz::Fail("ReadString at the end leaves text behind");
    if (file.GetPosition() != size) vyrfuzz::Fail("reading every line does not end at the file's length");

    // One line per line feed, and one for text after the last line feed.
    size_t start = size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    size_t expected = 0;
    for (size_t i = start; i < size; ++i)
        if (data[i] == '\n') ++expected;
    if (size > start && data[size - 1] != '\n') ++expected;
    if (lines.size() != expected) vyrfuzz::Fail("ReadString answers another number of lines than the file has");
    return lines;
}

void RereadMoving(const CStringW& path, const std::vector<CStringW>& lines) {
    CStdioFile file(path, CFile::modeRead | CFile::typeBinary);
    CStringW line;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!file.ReadString(line) || line != lines[i])
            vyrfuzz::Fail("a line reads differently in binary mode or after moving in the file");
        if (i % 3 == 0) {
            file.Seek(static_cast<LONGLONG>(file.GetPosition()), CFile::begin);
        } else if (i % 3 == 1) {
            char byte;
            if (file.Read(&byte, 1) == 1) file.Seek(-1, CFile::current);
        }
    }
    if (file.ReadString(line)) vyrfuzz::Fail("a line more in the second reading");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = vyrfuzz::ScratchFolder() + "/text";
    if (!vyrfuzz::WriteWholeFile(path, data, size)) std::abort();
    const CStringW widePath(path.c_str());
    try {
        RereadMoving(widePath, ReadLines(widePath, data, size));
    } catch (CException* e) {
        // Reading a regular file that exists must not fail.
        e->Delete();
        vyrfuzz::Fail("reading the file threw");
    }
    return 0;
}

// Private to the preference manager: the application's preferences as the store file holds
// them, and the file's text form.
//
// The file (UTF-8 text, lines end with a line feed; a carriage return before it is accepted):
//
//   ; comment lines start with a semicolon; blank lines are ignored
//   VYR-PREFERENCES 1                 <- the first line that is neither
//   [General]                         <- a group
//   Highlight_Color = COLOR 0 255 0   <- red, green, blue, each 0 to 255
//   UcsSize = INT 2                   <- a 32-bit decimal integer (one sign at most)
//   PrintResolution = REAL 0.25       <- a finite decimal number ("1e-3" too; one sign at most)
//   ShaderActive = BOOL true          <- true or false (1 and 0 are read too)
//   Title = TEXT "Part 1"             <- a text in double quotes
//
// Group names and keys are compared exactly (case matters). In names and texts a character is
// written "%{hex}" with its code point when it is a control character, one of % " [ ] = ; or a
// blank at the start or end of a name, or no Unicode scalar value. A later line for the same key
// of a group replaces the earlier one. Groups and keys are written in sorted order.
//
// A file whose first line is not the header, or that is larger than kMaxFileBytes, is no
// preference file: nothing of it is taken. In a preference file every line that cannot be read
// (an unknown type, a value that does not fit its type, a line longer than kMaxLineBytes, bytes
// that are not UTF-8, a key outside any group, a repeated key) is ignored and counted; every
// other line is taken.
#pragma once

#include "VyrPreference.h"

#include <cstddef>
#include <map>
#include <string>

namespace vyrhost {
namespace prefs {

// The largest preference file read (bytes).
constexpr size_t kMaxFileBytes = size_t(4) << 20;
// The longest line read (bytes, without its line end).
constexpr size_t kMaxLineBytes = 4096;

// The preferences of one group, by key.
typedef std::map<std::wstring, CVyrPreference> Group;

// The application's preferences, with what reading them found wrong.
struct Store {
    std::map<std::wstring, Group> groups;  // by group name
    bool unreadable = false;               // the bytes are no preference file: nothing was taken
    size_t ignoredLines = 0;               // lines of a preference file that were ignored
    std::string problem;                   // why the file is unreadable, else the first ignored line's fault
    mutable bool reported = false;         // the problem has been logged (the manager's lock guards it)

    // True when every line of the file was taken.
    bool Clean() const { return !unreadable && ignoredLines == 0; }
    // The preference, null when absent.
    const CVyrPreference* Find(const std::wstring& group, const std::wstring& key) const;
};

// Reads the text form into an empty store. Never fails: what cannot be read is recorded in the
// store (unreadable, ignoredLines, problem). The answer is always true (the store cache's parser
// form).
bool Parse(const std::string& text, Store& store, std::string& reason);
// The text form of the store's preferences.
std::string Serialize(const Store& store);

}  // namespace prefs
}  // namespace vyrhost

// CVyrPrefManager: the host's preference store, by document, group and key.
#pragma once

#include "VyrHostApi.h"
#include "VyrPreference.h"
#include "VyrRgbColor.h"
#include "VyrString.h"
#include <vyrwin_testresets.h>

// The preferences of the application and of its open documents. A preference is addressed by a
// document number, a group (such as "General", "Part" or "Drafting") and a key; names are
// compared exactly. A preference the store does not hold is absent: a reader gets false and keeps
// its own default, and a writer (SetValue, SetPreference) does nothing and gets false. Only
// AddPreference makes a preference exist.
//
// Documents. Document 0 is the application level: its preferences live in the preference file
// and are shared by every process of the user. A document above 0 (a run-time document number)
// may hold preferences of its own, in memory until the document closes (CVyrPdmServer forgets them
// then, through RemoveDocument); where it holds none for a key, it reads the application's value,
// and writing a value that only the application holds gives the document its own value and leaves
// the application's as it was. A negative document means the active document
// (GetActiveDocumentId), which is 0 while no document is active. The accessors take no further
// arguments: the document, group and key name a preference completely.
//
// The preference file. VYR_PREFERENCES_FILE names it; without the variable it is "ZorbelanE.prf" in
// the folder "vyr-display" of the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config).
// Its format is plain UTF-8 text: the header line "VYR-PREFERENCES 1" first (only blank lines and
// ";" comments may come before it; a file without it is no preference file), then one section per
// group and one "key = TYPE value" line per preference, for instance "UcsSize = INT 2" or
// "Highlight_Color = COLOR 0 255 0". The parsed file is kept and read again only when the file has
// changed, so another process's write is seen by the next read. Writes replace the file atomically
// under a writers' lock, and only when a value changes. Reading never writes: a line that cannot be
// read is ignored (its preference keeps the reader's default) and a file that is no preference file
// is read as empty, in both cases with one warning line on standard error. The first write after
// that keeps the faulty file under a new name ("<file>.corrupt-<date>-<time>") before it writes the
// good values and the new one, so nothing of the user's file is lost.
//
// One instance per process (GetInstance); the host's user-interface thread is its caller, but the
// calls are safe from any thread.
class VYR_HOST_API CVyrPrefManager {
public:
    // The process's one manager, made on first use and never freed.
    static CVyrPrefManager* GetInstance();

    // The active document, whose number a negative document stands for; 0 when none is active.
    static int GetActiveDocumentId();
    // Makes `document` the active one (negative: none, the same as 0).
    static void SetActiveDocumentId(int document);

    // The preference of the document, group and key; false when absent (`value` unchanged).
    bool GetPreference(int document, const CVyrString& group, const CVyrString& key, CVyrPreference& value) const;
    // True when the preference is present.
    bool IsPresent(int document, const CVyrString& group, const CVyrString& key) const;

    // The value as an integer (an integer or boolean preference); false when absent or of
    // another type (a real, a colour, a text), `value` unchanged.
    bool GetValue(int document, const CVyrString& group, const CVyrString& key, int& value) const;
    // The value as a real (a real or integer preference); false when absent or of another type.
    bool GetValue(int document, const CVyrString& group, const CVyrString& key, double& value) const;
    // The value as a boolean (a boolean, or an integer: non-zero is true); false when absent or of
    // another type.
    bool GetValue(int document, const CVyrString& group, const CVyrString& key, bool& value) const;
    // The colour; false when absent or not a colour.
    bool GetValue(int document, const CVyrString& group, const CVyrString& key, CVyrRgbColor& value) const;
    // The text; false when absent or not a text.
    bool GetValue(int document, const CVyrString& group, const CVyrString& key, CVyrString& value) const;

    // Writes a present preference, in its own type: a value of another type is taken only when it
    // converts as the getters read (an integer into a real or a boolean, a boolean into an
    // integer). False, nothing written, when the preference is absent, the value does not
    // convert, a real is not finite, or the preference file cannot be written.
    bool SetPreference(int document, const CVyrString& group, const CVyrString& key, const CVyrPreference& value);
    // SetPreference with an integer.
    bool SetValue(int document, const CVyrString& group, const CVyrString& key, int value);
    // SetPreference with a real.
    bool SetValue(int document, const CVyrString& group, const CVyrString& key, double value);
    // SetPreference with a boolean.
    bool SetValue(int document, const CVyrString& group, const CVyrString& key, bool value);
    // SetPreference with a colour.
    bool SetValue(int document, const CVyrString& group, const CVyrString& key, const CVyrRgbColor& value);
    // SetPreference with a text.
    bool SetValue(int document, const CVyrString& group, const CVyrString& key, const CVyrString& value);
    // SetPreference with a text (null: empty); without this a literal would be taken for a boolean.
    bool SetValue(int document, const CVyrString& group, const CVyrString& key, const wchar_t* value);

    // Makes the preference exist with this value and its type (replacing one that was there).
    // False, nothing written, for an empty group or key, an empty value, a real that is not
    // finite, or a preference file that cannot be written.
    bool AddPreference(int document, const CVyrString& group, const CVyrString& key, const CVyrPreference& value);
    // Removes the document's own preference (for a document above 0 its application value shows
    // again); false when it had none or the file cannot be written.
    bool RemovePreference(int document, const CVyrString& group, const CVyrString& key);
    // Forgets every preference of its own that a document above 0 holds (its document closed).
    void RemoveDocument(int document);

    // The path of the preference file; empty when neither VYR_PREFERENCES_FILE nor a home folder
    // can name one (then every application preference is absent and writes fail).
    static CVyrString GetStorePath();

    // For tests, which share one process: no active document, no document preferences, and the
    // preference file read afresh at the next call.
    VYR_TEST_RESET static void ResetForTests();

private:
    CVyrPrefManager() = default;
    ~CVyrPrefManager() = default;
    CVyrPrefManager(const CVyrPrefManager&) = delete;
    CVyrPrefManager& operator=(const CVyrPrefManager&) = delete;
};

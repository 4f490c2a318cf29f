// CVyrPrefManager: the application's preferences in the preference file, the documents' own
// preferences in memory.
#include "VyrPrefManager.h"

#include "VyrPrefFile.h"

#include "vyrwin_codec.h"
#include "vyrwin_storefile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace {

using vyrhost::prefs::Group;
using vyrhost::prefs::Store;
typedef vyrwin::StoreFileCache<Store> Cache;

// The preferences of the open documents: document -> group -> key -> value.
typedef std::map<int, std::map<std::wstring, Group>> DocumentPreferences;

// Everything the manager keeps. Never destroyed, so preferences still answer during static
// destruction.
struct State {
    std::mutex mutex;  // guards what follows and the `reported` marks of kept stores
    int activeDocument = 0;
    DocumentPreferences documents;
    std::string lastReadFailure;  // reported once, not at every read
    Cache cache{vyrhost::prefs::Parse, vyrhost::prefs::kMaxFileBytes};
};

State& TheState() {
    static State* state = new State;
    return *state;
}

void Warn(const std::string& message) { std::fprintf(stderr, "vyr_host: %s\n", message.c_str()); }

std::wstring Wide(const CVyrString& text) { return std::wstring(text.GetString(), size_t(text.GetLength())); }

std::string Path() { return vyrwin::StoreFilePath("VYR_PREFERENCES_FILE", "ZorbelanE.prf"); }

const std::shared_ptr<const Store>& EmptyStore() {
    static const auto* empty = new std::shared_ptr<const Store>(std::make_shared<const Store>());
    return *empty;
}

// Logs what reading a kept store found wrong, once per version of the file.
void ReportProblems(const std::string& path, const Store& store) {
    std::lock_guard<std::mutex> lock(TheState().mutex);
    if (store.Clean() || store.reported) return;
    store.reported = true;
    if (store.unreadable)
        Warn("preference store " + path + " is no preference file (" + store.problem +
             "); every preference keeps its default until a preference is written, which keeps the file aside");
    else
        Warn("preference store " + path + ": " + std::to_string(store.ignoredLines) + " line" +
             (store.ignoredLines == 1 ? "" : "s") + " ignored (first: " + store.problem +
             "); their preferences keep their defaults");
}

// The application's preferences as the file holds them now.
std::shared_ptr<const Store> Current() {
    const std::string path = Path();
    if (path.empty()) return EmptyStore();
    const Cache::Loaded loaded = TheState().cache.Load(path);
    if (loaded.status != Cache::Status::kOk) {
        const std::string message = "cannot read preference store " + path + ": " + std::strerror(loaded.error) +
                                    "; every preference keeps its default";
        std::lock_guard<std::mutex> lock(TheState().mutex);
        if (message != TheState().lastReadFailure) Warn(message);
        TheState().lastReadFailure = message;
        return EmptyStore();
    }
    ReportProblems(path, *loaded.store);
    return loaded.store;
}

// Sets a faulty file aside under the writers' lock; false (and reported) when it cannot be.
bool KeepAside(const std::string& path, const std::string& why) {
    std::string aside;
    int error = 0;
    if (!vyrwin::MoveFileAside(path, aside, error)) {
        Warn("preference store " + path + " (" + why + ") cannot be kept aside (" + std::strerror(error) +
             "); it is left as it is and not written");
        return false;
    }
    Warn("preference store " + path + " (" + why + ") kept as " + aside + " before writing");
    return true;
}

// Changes the application's preferences: under the writers' lock, on the file's current
// preferences; writes them when `change` answers true with `changed` set. False when the change
// refuses or the file cannot be read or written.
bool Update(const std::function<bool(Store& store, bool& changed)>& change) {
    const std::string path = Path();
    if (path.empty()) {
        Warn("no preference store: neither VYR_PREFERENCES_FILE nor a home folder is set");
        return false;
    }
    int error = 0;
    if (!vyrwin::MakeParentFolders(path, error)) {
        Warn("cannot create the folder of preference store " + path + ": " + std::strerror(error));
        return false;
    }
    vyrwin::StoreWriterLock lock(path);
    if (!lock.Held()) {
        Warn("cannot lock preference store " + path + ": " + std::strerror(lock.Error()));
        return false;
    }
    const Cache::Loaded loaded = TheState().cache.Load(path);
    Store store;
    std::string fault;  // why the file must be kept aside before it is replaced
    if (loaded.status == Cache::Status::kOk) {
        store.groups = loaded.store->groups;  // what could be read is carried over
        if (!loaded.store->Clean()) fault = loaded.store->problem;
    } else if (loaded.error == EFBIG) {
        fault = "larger than " + std::to_string(vyrhost::prefs::kMaxFileBytes) + " bytes";
    } else {
        Warn("cannot read preference store " + path + ": " + std::strerror(loaded.error) + "; not writing it");
        return false;
    }
    bool changed = false;
    if (!change(store, changed)) return false;
    if (!changed) return true;
    if (!fault.empty() && !KeepAside(path, fault)) return false;
    std::string text = vyrhost::prefs::Serialize(store);
    vyrwin::FileIdentity written;
    if (!vyrwin::WriteFileAtomically(path, text, written, error)) {
        Warn("cannot write preference store " + path + ": " + std::strerror(error));
        return false;
    }
    TheState().cache.Keep(path, written, std::move(text), std::make_shared<const Store>(std::move(store)));
    return true;
}

bool Storable(const CVyrPreference& value) {
    double real = 0.0;
    return !value.IsEmpty() && !(value.GetType() == CVyrPreference::eReal && value.GetValue(real) && !std::isfinite(real));
}

int Resolve(int document) {
    if (document >= 0) return document;
    std::lock_guard<std::mutex> lock(TheState().mutex);
    return TheState().activeDocument;
}

// The document's own preference, null when it has none (call under the state's lock).
const CVyrPreference* FindOwn(int document, const std::wstring& group, const std::wstring& key) {
    const DocumentPreferences& documents = TheState().documents;
    const auto d = documents.find(document);
    if (d == documents.end()) return nullptr;
    const auto g = d->second.find(group);
    if (g == d->second.end()) return nullptr;
    const auto k = g->second.find(key);
    return k == g->second.end() ? nullptr : &k->second;
}

template <typename T>
bool GetTyped(const CVyrPrefManager& manager, int document, const CVyrString& group, const CVyrString& key, T& value) {
    CVyrPreference preference;
    return manager.GetPreference(document, group, key, preference) && preference.GetValue(value);
}

}  // namespace

CVyrPrefManager* CVyrPrefManager::GetInstance() {
    static CVyrPrefManager* instance = new CVyrPrefManager;
    return instance;
}

int CVyrPrefManager::GetActiveDocumentId() {
    std::lock_guard<std::mutex> lock(TheState().mutex);
    return TheState().activeDocument;
}

void CVyrPrefManager::SetActiveDocumentId(int document) {
    std::lock_guard<std::mutex> lock(TheState().mutex);
    TheState().activeDocument = document < 0 ? 0 : document;
}

bool CVyrPrefManager::GetPreference(int document, const CVyrString& group, const CVyrString& key,
                                    CVyrPreference& value) const {
    if (group.IsEmpty() || key.IsEmpty()) return false;
    const int d = Resolve(document);
    const std::wstring g = Wide(group), k = Wide(key);
    if (d != 0) {
        std::lock_guard<std::mutex> lock(TheState().mutex);
        if (const CVyrPreference* own = FindOwn(d, g, k)) {
            value = *own;
            return true;
        }
    }
    const std::shared_ptr<const Store> store = Current();
    const CVyrPreference* found = store->Find(g, k);
    if (!found) return false;
    value = *found;
    return true;
}

bool CVyrPrefManager::IsPresent(int document, const CVyrString& group, const CVyrString& key) const {
    CVyrPreference value;
    return GetPreference(document, group, key, value);
}

bool CVyrPrefManager::GetValue(int document, const CVyrString& group, const CVyrString& key, int& value) const {
    return GetTyped(*this, document, group, key, value);
}

bool CVyrPrefManager::GetValue(int document, const CVyrString& group, const CVyrString& key, double& value) const {
    return GetTyped(*this, document, group, key, value);
}

bool CVyrPrefManager::GetValue(int document, const CVyrString& group, const CVyrString& key, bool& value) const {
    return GetTyped(*this, document, group, key, value);
}

bool CVyrPrefManager::GetValue(int document, const CVyrString& group, const CVyrString& key,
                               CVyrRgbColor& value) const {
    return GetTyped(*this, document, group, key, value);
}

bool CVyrPrefManager::GetValue(int document, const CVyrString& group, const CVyrString& key,
                               CVyrString& value) const {
    return GetTyped(*this, document, group, key, value);
}

bool CVyrPrefManager::SetPreference(int document, const CVyrString& group, const CVyrString& key,
                                    const CVyrPreference& value) {
    if (group.IsEmpty() || key.IsEmpty() || !Storable(value)) return false;
    const int d = Resolve(document);
    const std::wstring g = Wide(group), k = Wide(key);
    // Checked before the file is locked, so that writing an absent preference touches nothing.
    CVyrPreference present;
    CVyrPreference converted;
    if (!GetPreference(d, group, key, present) || !value.ConvertTo(present.GetType(), converted)) return false;
    if (d != 0) {
        std::lock_guard<std::mutex> lock(TheState().mutex);
        TheState().documents[d][g][k] = converted;
        return true;
    }
    return Update([&](Store& store, bool& changed) {
        auto target = store.groups.find(g);
        if (target == store.groups.end()) return false;
        auto entry = target->second.find(k);
        if (entry == target->second.end()) return false;  // removed meanwhile by another process
        if (!value.ConvertTo(entry->second.GetType(), converted)) return false;
        changed = entry->second != converted;
        entry->second = converted;
        return true;
    });
}

bool CVyrPrefManager::SetValue(int document, const CVyrString& group, const CVyrString& key, int value) {
    return SetPreference(document, group, key, CVyrPreference(value));
}

bool CVyrPrefManager::SetValue(int document, const CVyrString& group, const CVyrString& key, double value) {
    return SetPreference(document, group, key, CVyrPreference(value));
}

bool CVyrPrefManager::SetValue(int document, const CVyrString& group, const CVyrString& key, bool value) {
    return SetPreference(document, group, key, CVyrPreference(value));
}

bool CVyrPrefManager::SetValue(int document, const CVyrString& group, const CVyrString& key,
                               const CVyrRgbColor& value) {
    return SetPreference(document, group, key, CVyrPreference(value));
}

bool CVyrPrefManager::SetValue(int document, const CVyrString& group, const CVyrString& key,
                               const CVyrString& value) {
    return SetPreference(document, group, key, CVyrPreference(value));
}

bool CVyrPrefManager::SetValue(int document, const CVyrString& group, const CVyrString& key, const wchar_t* value) {
    return SetPreference(document, group, key, CVyrPreference(value));
}

bool CVyrPrefManager::AddPreference(int document, const CVyrString& group, const CVyrString& key,
                                    const CVyrPreference& value) {
    if (group.IsEmpty() || key.IsEmpty() || !Storable(value)) return false;
    const int d = Resolve(document);
    const std::wstring g = Wide(group), k = Wide(key);
    if (d != 0) {
        std::lock_guard<std::mutex> lock(TheState().mutex);
        TheState().documents[d][g][k] = value;
        return true;
    }
    return Update([&](Store& store, bool& changed) {
        Group& target = store.groups[g];
        auto entry = target.find(k);
        changed = entry == target.end() || entry->second != value;
        target[k] = value;
        return true;
    });
}

bool CVyrPrefManager::RemovePreference(int document, const CVyrString& group, const CVyrString& key) {
    if (group.IsEmpty() || key.IsEmpty()) return false;
    const int d = Resolve(document);
    const std::wstring g = Wide(group), k = Wide(key);
    if (d != 0) {
        std::lock_guard<std::mutex> lock(TheState().mutex);
        auto doc = TheState().documents.find(d);
        if (doc == TheState().documents.end()) return false;
        auto target = doc->second.find(g);
        if (target == doc->second.end() || !target->second.erase(k)) return false;
        if (target->second.empty()) doc->second.erase(target);
        if (doc->second.empty()) TheState().documents.erase(doc);
        return true;
    }
    if (!Current()->Find(g, k)) return false;  // before the file is locked, as for SetPreference
    return Update([&](Store& store, bool& changed) {
        auto target = store.groups.find(g);
        if (target == store.groups.end() || !target->second.erase(k)) return false;
        if (target->second.empty()) store.groups.erase(target);
        changed = true;
        return true;
    });
}

void CVyrPrefManager::RemoveDocument(int document) {
    if (document <= 0) return;
    std::lock_guard<std::mutex> lock(TheState().mutex);
    TheState().documents.erase(document);
}

CVyrString CVyrPrefManager::GetStorePath() { return CVyrString(Path()); }

void CVyrPrefManager::ResetForTests() {
    State& state = TheState();
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        state.activeDocument = 0;
        state.documents.clear();
    }
    state.cache.Forget();
}

VYR_REGISTER_TEST_RESET(CVyrPrefManager::ResetForTests, [] {
    CVyrPrefManager::ResetForTests();
    return true;
});

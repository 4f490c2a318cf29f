// CVyrPdmClntLayer: per-document texts and integers by section and key, and change marks.
#include "VyrPdmClntLayer.h"

#include "VyrPdmServer.h"

#include <map>
#include <string>

namespace {

// What a key holds: a text, or an integer.
struct Entry {
    bool isInt = false;
    int number = 0;
    std::wstring text;
    bool operator==(const Entry& other) const {
        return isInt == other.isInt && (isInt ? number == other.number : text == other.text);
    }
};

std::wstring Wide(const CVyrString& text) { return std::wstring(text.GetString(), size_t(text.GetLength())); }

CVyrPdmClntLayer* sInstalled = nullptr;

}  // namespace

struct CVyrPdmClntLayer::SData {
    struct Document {
        std::map<std::wstring, std::map<std::wstring, Entry>> sections;  // section -> key -> entry
        unsigned marks = 0;
    };
    std::map<int, Document> documents;

    // The entry under section and key of an open document, null when absent.
    const Entry* Find(const CVyrRunTimeDocId& document, const CVyrString& key, const CVyrString& section) const {
        if (!CVyrPdmServer::StInstance()->IsOpen(document)) return nullptr;
        const auto d = documents.find(document.GetNumber());
        if (d == documents.end()) return nullptr;
        const auto s = d->second.sections.find(Wide(section));
        if (s == d->second.sections.end()) return nullptr;
        const auto k = s->second.find(Wide(key));
        return k == s->second.end() ? nullptr : &k->second;
    }

    // Stores an entry of an open document; marks a change when it differs from what was there.
    bool Store(const CVyrRunTimeDocId& document, const CVyrString& key, const CVyrString& section, const Entry& entry,
               int changeKind) {
        if (key.IsEmpty() || section.IsEmpty() || !CVyrPdmServer::StInstance()->IsOpen(document)) return false;
        Document& target = documents[document.GetNumber()];
        std::map<std::wstring, Entry>& keys = target.sections[Wide(section)];
        const auto existing = keys.find(Wide(key));
        if (existing != keys.end() && existing->second == entry) return true;
        keys[Wide(key)] = entry;
        target.marks |= static_cast<unsigned>(changeKind);
        return true;
    }
};

CVyrPdmClntLayer* CVyrPdmClntLayer::Instance() {
    static CVyrPdmClntLayer* builtIn = new CVyrPdmClntLayer;
    return sInstalled ? sInstalled : builtIn;
}

CVyrPdmClntLayer* CVyrPdmClntLayer::SetInstance(CVyrPdmClntLayer* layer) {
    CVyrPdmClntLayer* previous = sInstalled;
    sInstalled = layer;
    return previous;
}

CVyrPdmClntLayer::CVyrPdmClntLayer() : m_data(new SData) {}

CVyrPdmClntLayer::~CVyrPdmClntLayer() {
    if (sInstalled == this) sInstalled = nullptr;
    delete m_data;
}

bool CVyrPdmClntLayer::ReadString(const CVyrRunTimeDocId& document, const CVyrString& key, CVyrString& value,
                                  const CVyrString& section) const {
    const Entry* found = m_data->Find(document, key, section);
    if (!found || found->isInt) {
        value.Empty();
        return false;
    }
    value = CVyrString(found->text);
    return true;
}

bool CVyrPdmClntLayer::WriteString(const CVyrRunTimeDocId& document, const CVyrString& key, const CVyrString& value,
                                   const CVyrString& section, int changeKind) {
    Entry entry;
    entry.text = Wide(value);
    return m_data->Store(document, key, section, entry, changeKind);
}

bool CVyrPdmClntLayer::ReadInt(const CVyrRunTimeDocId& document, const CVyrString& key, int& value,
                               const CVyrString& section) const {
    const Entry* found = m_data->Find(document, key, section);
    if (!found || !found->isInt) return false;
    value = found->number;
    return true;
}

bool CVyrPdmClntLayer::WriteInt(const CVyrRunTimeDocId& document, const CVyrString& key, int value,
                                const CVyrString& section, int changeKind) {
    Entry entry;
    entry.isInt = true;
    entry.number = value;
    return m_data->Store(document, key, section, entry, changeKind);
}

unsigned CVyrPdmClntLayer::GetChangeMarks(const CVyrRunTimeDocId& document) const {
    const auto found = m_data->documents.find(document.GetNumber());
    return found == m_data->documents.end() ? 0u : found->second.marks;
}

void CVyrPdmClntLayer::ClearChangeMarks(const CVyrRunTimeDocId& document) {
    const auto found = m_data->documents.find(document.GetNumber());
    if (found != m_data->documents.end()) found->second.marks = 0;
}

void CVyrPdmClntLayer::RemoveDocument(const CVyrRunTimeDocId& document) { m_data->documents.erase(document.GetNumber()); }

void CVyrPdmClntLayer::ResetForTests() {
    sInstalled = nullptr;
    Instance()->m_data->documents.clear();
}

VYR_REGISTER_TEST_RESET(CVyrPdmClntLayer::ResetForTests, [] {
    CVyrPdmClntLayer::ResetForTests();
    return true;
});

// CDsDocAttributesManager: a document's display attributes in its section "DS_DISPLAY".
#include "DsDocAttributesManager.h"

#include "DsGeometryComputer.h"
#include "DsPreferencesServices.h"
#include "VyrCommandLineParser.h"
#include "VyrPdmClntLayer.h"
#include "VyrString.h"

#include <vyrwin_codec.h>

#include <cwctype>

namespace {

const wchar_t* const kSection = L"DS_DISPLAY";
const wchar_t* const kRenderModeKey = L"DS_RENDER_MODE";
const wchar_t* const kSilhouetteKey = L"DS_DETAILS_SILHOUETTE";
const wchar_t* const kDatumsKey = L"DS_DETAILS_DATUMS";
const wchar_t* const kThreadsKey = L"DS_DETAILS_THREADS";
const wchar_t* const kOpenEdgesKey = L"DS_DETAILS_OPEN_EDGES";
const wchar_t* const kHoleKey = L"Hole Attribute";
const wchar_t* const kEdgesOnShadeKey = L"DS_EDGES_ON_SHADE";
const wchar_t* const kIgnoreEdgesKey = L"DS_IGNORE_EDGES_DURING_ROTATE";
const wchar_t* const kTransViewKey = L"PICTURE_NUMBER_FOR_TRANS_VIEW";
const wchar_t* const kTrue = L"DS_TRUE";
const wchar_t* const kFalse = L"DS_FALSE";
// Each write marks the document changed with this kind.
const int kChangeKind = 2;

const wchar_t* const kRenderModes[] = {L"DS_RM_WIREFRAME", L"DS_RM_HIDDEN_LINES", L"DS_RM_HIDDEN_LINES_PARTIAL",
                                       L"DS_RM_SHADE", L"DS_RM_MIXED"};
const wchar_t* const kSilhouettes[] = {L"DS_SILHOUETTE_NONE", L"DS_SILHOUETTE_CYLINDER", L"DS_SILHOUETTE_ALL"};

// The index of `word` in `table` (exact comparison), -1 when absent.
template <size_t N>
int IndexOf(const wchar_t* const (&table)[N], const std::wstring& word)
{
    for (size_t i = 0; i < N; ++i)
        if (word == table[i]) return static_cast<int>(i);
    return -1;
}

std::wstring Upper(const CVyrString& text)
{
    std::wstring out(text.GetString());
    for (wchar_t& c : out) c = static_cast<wchar_t>(std::towupper(c));
    return out;
}

void Warn(const std::wstring& key, const std::wstring& value)
{
    const std::string line = "Display warning: document attribute " + vyrwin::Utf8FromWide(key) +
                             " has an unknown value \"" + vyrwin::Utf8FromWide(value) + "\"; the default is used";
    CDsGeometryComputer::WriteWarning(line.c_str());
}

}  // namespace

CDsDocAttributesManager::CDsDocAttributesManager(const CVyrRunTimeDocId& document) : m_document(document) {}

bool CDsDocAttributesManager::ReadText(const std::wstring& key, std::wstring& value) const
{
    CVyrString text;
    if (!CVyrPdmClntLayer::Instance()->ReadString(m_document, key.c_str(), text, kSection)) {
        // An integer where a text belongs is garbage too.
        int number = 0;
        if (CVyrPdmClntLayer::Instance()->ReadInt(m_document, key.c_str(), number, kSection))
            Warn(key, std::to_wstring(number));
        return false;
    }
    value = text.GetString();
    return true;
}

ERenderMode CDsDocAttributesManager::GetDefaultRenderMode() const
{
    int mode = eRenderWireframe;
    const std::wstring type = m_document.GetType();
    if (type == CVyrRunTimeDocId::sTypeModeler || type == CVyrRunTimeDocId::sTypeNC) mode = eRenderShade;
    if (type == CVyrRunTimeDocId::sTypeAssembly) mode = eRenderMixed;
    CVyrString value;
    if (CVyrCommandLineParser::GetInstance()->GetParamValue(L"RenderMode", value)) {
        const std::wstring word = Upper(value);
        if (word == L"WIREFRAME") mode = eRenderWireframe;
        if (word == L"SHADE") mode = eRenderShade;
    }
    if (type == CVyrRunTimeDocId::sTypeDrafting) mode = eRenderShade;
    return static_cast<ERenderMode>(mode);
}

ERenderMode CDsDocAttributesManager::ReadRenderMode() const
{
    ERenderMode mode = GetDefaultRenderMode();
    std::wstring stored;
    if (ReadText(kRenderModeKey, stored)) {
        const int index = IndexOf(kRenderModes, stored);
        if (index >= 0) return static_cast<ERenderMode>(index);
        if (!stored.empty()) Warn(kRenderModeKey, stored);
    }
    return mode;
}

void CDsDocAttributesManager::WriteRenderMode(ERenderMode mode)
{
    const int index = static_cast<int>(mode);
    const wchar_t* word = index >= 0 && index < 5 ? kRenderModes[index] : L"";
    CVyrPdmClntLayer::Instance()->WriteString(m_document, kRenderModeKey, word, kSection, kChangeKind);
}

EDsSilhouetteLevel CDsDocAttributesManager::ReadSilhouetteLevel() const
{
    int level = eDsSilhouetteCylinders;
    CVyrString value;
    if (CVyrCommandLineParser::GetInstance()->GetParamValue(L"SilhouetteMode", value)) {
        const std::wstring word = Upper(value);
        if (word == L"NONE") level = eDsSilhouetteNone;
        if (word == L"CYLINDER") level = eDsSilhouetteCylinders;
        if (word == L"ALL") level = eDsSilhouetteAll;
    }
    std::wstring stored;
    if (ReadText(kSilhouetteKey, stored)) {
        const int index = IndexOf(kSilhouettes, stored);
        if (index >= 0) return static_cast<EDsSilhouetteLevel>(index);
        if (!stored.empty()) Warn(kSilhouetteKey, stored);
    }
    return static_cast<EDsSilhouetteLevel>(level);
}

void CDsDocAttributesManager::WriteSilhouetteLevel(EDsSilhouetteLevel level)
{
    const int index = static_cast<int>(level);
    const wchar_t* word = index >= 0 && index < 3 ? kSilhouettes[index] : L"";
    CVyrPdmClntLayer::Instance()->WriteString(m_document, kSilhouetteKey, word, kSection, kChangeKind);
}

bool CDsDocAttributesManager::ReadState(const std::wstring& key, bool defaultValue) const
{
    bool result = defaultValue;
    const CVyrCommandLineParser* line = CVyrCommandLineParser::GetInstance();
    if ((key == kDatumsKey && line->GetParamExists(L"HideDatums")) ||
        (key == kThreadsKey && line->GetParamExists(L"ShowThreads")) ||
        (key == kOpenEdgesKey && line->GetParamExists(L"ShowOpenEdges")))
        result = !defaultValue;
    std::wstring stored;
    if (ReadText(key, stored)) {
        if (stored == kTrue) return true;
        if (stored == kFalse) return false;
        if (!stored.empty()) Warn(key, stored);
    }
    return result;
}

void CDsDocAttributesManager::WriteState(const std::wstring& key, bool on)
{
    CVyrPdmClntLayer::Instance()->WriteString(m_document, key.c_str(), on ? kTrue : kFalse, kSection, kChangeKind);
}

int CDsDocAttributesManager::ReadInt(const std::wstring& key, int defaultValue) const
{
    int value = defaultValue;
    if (!CVyrPdmClntLayer::Instance()->ReadInt(m_document, key.c_str(), value, kSection)) {
        CVyrString text;
        if (CVyrPdmClntLayer::Instance()->ReadString(m_document, key.c_str(), text, kSection))
            Warn(key, text.GetString());
        return defaultValue;
    }
    return value;
}

void CDsDocAttributesManager::WriteInt(const std::wstring& key, int value)
{
    CVyrPdmClntLayer::Instance()->WriteInt(m_document, key.c_str(), value, kSection, kChangeKind);
}

bool CDsDocAttributesManager::ReadOpenEdgesState() const { return ReadState(kOpenEdgesKey, false); }
void CDsDocAttributesManager::WriteOpenEdgesState(bool on) { WriteState(kOpenEdgesKey, on); }
bool CDsDocAttributesManager::ReadDatumsState() const { return ReadState(kDatumsKey, true); }
void CDsDocAttributesManager::WriteDatumsState(bool on) { WriteState(kDatumsKey, on); }
bool CDsDocAttributesManager::ReadThreadsState() const { return ReadState(kThreadsKey, false); }
void CDsDocAttributesManager::WriteThreadsState(bool on) { WriteState(kThreadsKey, on); }
bool CDsDocAttributesManager::ReadHoleAttributesState() const { return ReadState(kHoleKey, false); }
void CDsDocAttributesManager::WriteHoleAttributesState(bool on) { WriteState(kHoleKey, on); }
bool CDsDocAttributesManager::ReadEdgesInShadeState() const { return ReadState(kEdgesOnShadeKey, true); }
void CDsDocAttributesManager::WriteEdgesInShadeState(bool on) { WriteState(kEdgesOnShadeKey, on); }
bool CDsDocAttributesManager::ReadIgnoreEdgesDuringRotateState() const { return ReadState(kIgnoreEdgesKey, true); }
void CDsDocAttributesManager::WriteIgnoreEdgesDuringRotateState(bool on) { WriteState(kIgnoreEdgesKey, on); }

int CDsDocAttributesManager::ReadTransViewNumber() const
{
    int pictures = 25;
    CDsPreferencesServices preferences;
    if (!preferences.GetAnimationViewNumOfPics(&pictures)) pictures = 25;
    return ReadInt(kTransViewKey, pictures);
}

void CDsDocAttributesManager::WriteTransViewNumber(int pictures)
{
    WriteInt(kTransViewKey, pictures);
}

// CDsLineAttribManager: the special line-attribute sets of a display.
#include "DsLineAttribManager.h"

#include "DsGlContext.h"
#include "DsGlScene.h"

#include "DsManager.h"
#include "DsPickedItem.h"
#include "DsPreferencesServices.h"

#include "DsPartStorage.h"
#include "VyrObjectId.h"

#include <vector>

bool CDsLineAttribManager::sSpecialSetsHanded = false;

CDsLineAttribManager::CDsLineAttribManager()
{
    SetInitialAttributes();
    if (!sSpecialSetsHanded) {
        sSpecialSetsHanded = true;
        for (int i = 0; i < kSetCount; ++i)
            CDsLineAttribStorage::StSetSpecialAttributes(static_cast<EAttribSetIndex>(i), &m_sets[i]);
    }
}

CDsLineAttribManager::CDsLineAttribManager(const CDsLineAttribManager& other) : m_context(other.m_context)
{
    for (int i = 0; i < kSetCount; ++i) m_sets[i] = other.m_sets[i];
}

CDsLineAttribManager& CDsLineAttribManager::operator=(const CDsLineAttribManager& other)
{
    if (this == &other) return *this;
    for (int i = 0; i < kSetCount; ++i) m_sets[i] = other.m_sets[i];
    m_context = other.m_context;
    return *this;
}

CDsLineAttribManager::~CDsLineAttribManager() = default;

void CDsLineAttribManager::SetInitialAttributes()
{
    CDsColorStorage highlight;
    CDsColorStorage select;
    CDsColorStorage highlightSelect;
    CDsPreferencesServices().GetColorPreferences(highlight, select, highlightSelect);
    // The special sets' default colours, but for the three the preferences may set.
    for (int i = 0; i < kSetCount - 1; ++i) {
        const EAttribSetIndex set = static_cast<EAttribSetIndex>(i);
        const CDsColorStorage color = set == eAttribSetMark              ? select
                                      : set == eAttribSetHighlight       ? highlight
                                      : set == eAttribSetHighlightMarked ? highlightSelect
                                      : CDsLineAttribStorage::StGetDefaultSpecialAttributes(set).GetColor();
        m_sets[i].SetColor(color);  // clears the inherit flag
        m_sets[i].SetWidth(1);
        m_sets[i].SetStyle(0);
    }
    m_sets[kSetCount - 1] = CDsLineAttribStorage();
    SetSystemDefaultColor(CDsLineAttribStorage::StGetDefaultSpecialAttributes(eAttribSetNormal).GetColor());
}

const CDsLineAttribStorage* CDsLineAttribManager::GetAttributes(EAttribSetIndex index) const
{
    return index >= 0 && index < kSetCount ? &m_sets[index] : nullptr;
}

void CDsLineAttribManager::SetColor(EAttribSetIndex index, const CDsColorStorage& color)
{
    m_sets[index].SetColor(color);
    if (index == eAttribSetFromLocation) CDsManager::GetInstance()->SetDefaultColor(color);
}

bool CDsLineAttribManager::SetStyle(EAttribSetIndex index, int style)
{
    return m_sets[index].SetStyle(style);
}

bool CDsLineAttribManager::SetWidth(EAttribSetIndex index, int width)
{
    return m_sets[index].SetWidth(width);
}

void CDsLineAttribManager::SetSystemDefaultColor(const CDsColorStorage& color)
{
    CDsManager::GetInstance()->SetDefaultColor(color);
}

void CDsLineAttribManager::SetCurrentColor(const CDsColorStorage& color)
{
    SetColor(eAttribSetFromLocation, color);
}

bool CDsLineAttribManager::SetCurrentStyle(int style)
{
    return SetStyle(eAttribSetFromLocation, style);
}

bool CDsLineAttribManager::SetCurrentWidth(int width)
{
    return SetWidth(eAttribSetFromLocation, width);
}

EAttribSetIndex CDsLineAttribManager::Visibility2LocState(EVisibilityLevel level)
{
    switch (level) {
    case eVisibilityDim:
        return eAttribSetDim;
    case eVisibilityMark:
        return eAttribSetMark;
    case eVisibilityLevel5:
        return eAttribSetVisibility5;
    case eVisibilityLevel6:
        return eAttribSetVisibility6;
    case eVisibilityLevel7:
        return eAttribSetVisibility7;
    default:
        return eAttribSetNormal;
    }
}

CDsAttrAdapter CDsLineAttribManager::ConvertDsAttribute(const CDsLineAttribStorage* attributes) const
{
    CDsAttrAdapter adapter;
    if (!attributes) return adapter;
    adapter.SetColor(attributes->GetColor().GetColorRef());
    adapter.SetStyle(attributes->GetStyle());
    adapter.SetWidth(attributes->GetWidth());
    adapter.SetVisibility(attributes->GetVisibility());
    // The byte over 255, so that the adapter's rounding gives the same byte back.
    adapter.SetTransparency(static_cast<float>(attributes->GetTransparencyByte()) / 255.0f);
    adapter.SetRenderMode(attributes->GetRenderMode() == eRenderShade ? eRenderShade : eRenderWireframe);
    return adapter;
}

void CDsLineAttribManager::ResetForTests()
{
    sSpecialSetsHanded = false;
}

void CDsLineAttribManager::ResetAttributes(EDsResetAttributeAction action)
{
    if (!m_context) return;
    m_context->PushDisplaySuspension();
    m_context->GetScene()->ResetAttributes(action);
    m_context->PopDisplaySuspension();
}

VYR_REGISTER_TEST_RESET(CDsLineAttribManager::ResetForTests, [] {
    CDsLineAttribManager::ResetForTests();
    return true;
});

// --- Commands on picked items --------------------------------------------------------------------

void CDsLineAttribManager::UpdateListedItems(const CDsPickedItemList& list, const CDsAttributes& attributes) const
{
    std::vector<CVyrObjectPath> paths;
    list.GetList(paths);
    CDsPartStorage* storage = CDsPartStorage::instance();
    for (const CVyrObjectPath& path : paths) {
        CVyrObjectId id;
        if (storage->GetObjectIdByPath(path, id)) storage->UpdateAttributes(id, attributes, nullptr);
    }
}

void CDsLineAttribManager::ApplyColor(const CDsPickedItemList* list, bool, const CDsColorStorage* color)
{
    if (!m_context || !list || !color) return;
    CDsAttrAdapter adapter;
    adapter.SetColor(color->GetColorRef());
    m_context->PushDisplaySuspension();
    UpdateListedItems(*list, adapter.GetAttributes());
    m_context->PopDisplaySuspension();
}

void CDsLineAttribManager::ApplyStyle(const CDsPickedItemList* list, bool, int style)
{
    if (!m_context || !list) return;
    CDsAttrAdapter adapter;
    adapter.SetStyle(style);
    m_context->PushDisplaySuspension();
    UpdateListedItems(*list, adapter.GetAttributes());
    m_context->PopDisplaySuspension();
}

void CDsLineAttribManager::ApplyWidth(const CDsPickedItemList* list, bool, int width)
{
    if (!m_context || !list) return;
    CDsAttrAdapter adapter;
    adapter.SetWidth(width);
    m_context->PushDisplaySuspension();
    UpdateListedItems(*list, adapter.GetAttributes());
    m_context->PopDisplaySuspension();
}

void CDsLineAttribManager::ApplyAttributes(const CDsPickedItemList* list, bool, const CDsLineAttribStorage* attributes)
{
    if (!m_context || !list || !attributes) return;
    UpdateListedItems(*list, ConvertDsAttribute(attributes).GetAttributes());
}

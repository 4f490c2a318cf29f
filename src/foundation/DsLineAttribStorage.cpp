// CDsLineAttribStorage: line attributes, their resolution and their application.
#include "DsLineAttribStorage.h"

#include "DsAttributes.h"
#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsPlotPallete.h"
#include "DsView3dCdc.h"
#include "view3d.h"

#include <GL/gl.h>

#include <cmath>

CDsLineAttribStorage* CDsLineAttribStorage::sSpecialAttributes[kSpecialSetCount] = {};
bool CDsLineAttribStorage::sForceVisibility = false;
int32_t CDsLineAttribStorage::sHighlightPenWidthInShade = 0;
rgb_color CDsLineAttribStorage::mColorForComputFunction;

namespace {

// Colours of the default special sets 0 to 9 (set 10 inherits its colour): the one table of the
// default colours of the special sets, which the preferences, the display manager and the
// line-attribute manager read through StGetDefaultSpecialAttributes. Constant-initialised, so
// it holds its colours before any code of another library or file runs.
constexpr CDsColorStorage kDefaultSetColors[10] = {
    CDsColorStorage(0, 0, 255),      // 0 system default
    CDsColorStorage(0, 0, 255),      // 1 current attributes
    CDsColorStorage(128, 128, 128),  // 2 dim
    CDsColorStorage(0, 191, 94),     // 3 mark (the default select colour)
    CDsColorStorage(0, 255, 0),      // 4 highlight (the default highlight colour)
    CDsColorStorage(255, 153, 26),   // 5 highlight of a marked object
    CDsColorStorage(255, 128, 255),  // 6
    CDsColorStorage(145, 191, 0),    // 7 visibility level 5
    CDsColorStorage(0, 117, 48),     // 8 visibility level 6
    CDsColorStorage(230, 230, 230),  // 9 visibility level 7
};

// What a resolution reads of special set `index`: the table's entry, or its default set while
// the entry is empty (every default set has style 0 and width 1).
const CDsLineAttribStorage* Entry(int index)
{
    return CDsLineAttribStorage::sSpecialAttributes[index];
}

CDsColorStorage SpecialColor(int index)
{
    const CDsLineAttribStorage* entry = Entry(index);
    return entry ? entry->GetColor() : kDefaultSetColors[index];
}

int SpecialStyle(int index)
{
    const CDsLineAttribStorage* entry = Entry(index);
    return entry ? entry->GetStyle() : 0;
}

int SpecialWidth(int index)
{
    const CDsLineAttribStorage* entry = Entry(index);
    return entry ? entry->GetWidth() : 1;
}

void SetColorOf(rgb_color* out, const CDsColorStorage& color)
{
    out->set_windows_color(color.GetColorRef());
}

// Fills the empty entries of the special table with the default sets when the library loads.
[[maybe_unused]] const bool sSpecialSetsFilled = [] {
    for (int i = 0; i < CDsLineAttribStorage::kSpecialSetCount; ++i) {
        if (!CDsLineAttribStorage::sSpecialAttributes[i])
            CDsLineAttribStorage::sSpecialAttributes[i] =
                new CDsLineAttribStorage(CDsLineAttribStorage::StGetDefaultSpecialAttributes(static_cast<EAttribSetIndex>(i)));
    }
    return true;
}();

}  // namespace

// --- Construction and copying ------------------------------------------------------------------

CDsLineAttribStorage::CDsLineAttribStorage() = default;

CDsLineAttribStorage::CDsLineAttribStorage(CDsColorStorage& color, int style, int width)
{
    SetColor(color);
    SetStyle(style);
    SetWidth(width);
}

CDsLineAttribStorage::CDsLineAttribStorage(const CDsLineAttribStorage& other)
{
    CopyObject(other);
}

CDsLineAttribStorage& CDsLineAttribStorage::operator=(const CDsLineAttribStorage& other)
{
    if (this != &other) CopyObject(other);
    return *this;
}

void CDsLineAttribStorage::CopyObject(const CDsLineAttribStorage& other)
{
    if (this == &other) return;
    ResetMembers();
    SetFlag(eFlagInheritColor, other.GetInheritColorState());
    if (!other.GetInheritColorState()) m_color = other.m_color;
    m_style = other.m_style;
    m_width = other.m_width;
    m_visibility = other.m_visibility;
    SetFlag(eFlagOnTop, other.GetOnTopFlag());
    SetTransparency(other.GetTransparency());
    SetFlag(eFlagMark, other.GetMarkState());
    SetHideLevel(other.m_hideLevel.GetData(), true);
}

CDsLineAttribStorage::~CDsLineAttribStorage()
{
    delete m_markColor;
}

void CDsLineAttribStorage::ResetMembers()
{
    m_flags &= ~uint32_t(eFlagXor | eFlagHighlight | eFlagMark | eFlagOnTop | eFlagMarkCopy);
    m_flags |= eFlagInheritColor | eFlagShaded;
    m_style = 0;
    m_width = 1;
    m_visibility = 0;
    delete m_markColor;
    m_markColor = nullptr;
    m_transparency = 255;
}

void CDsLineAttribStorage::SetFlag(uint32_t flag, bool on)
{
    if (on)
        m_flags |= flag;
    else
        m_flags &= ~flag;
}

// --- Plain accessors -----------------------------------------------------------------------------

void CDsLineAttribStorage::SetColor(const CDsColorStorage& color)
{
    m_color = color;
    SetFlag(eFlagInheritColor, false);
}

void CDsLineAttribStorage::SetColor(unsigned long& color)
{
    SetColor(CDsColorStorage(static_cast<uint32_t>(color)));
}

void CDsLineAttribStorage::GetColor(unsigned long& color) const
{
    color = m_color.GetValue();
}

void CDsLineAttribStorage::SetInheritColorState(bool inherit)
{
    SetFlag(eFlagInheritColor, inherit);
}

void CDsLineAttribStorage::ResetInheritColorState()
{
    SetFlag(eFlagInheritColor, true);
}

void CDsLineAttribStorage::SetTransparency(float t)
{
    if (std::isnan(t)) return;
    if (t > 1.0f) {
        m_transparency = 255;
        return;
    }
    m_transparency = static_cast<uint8_t>((t > 0.0f ? t : 0.0f) * 255.0f);
}

float CDsLineAttribStorage::GetTransparency() const
{
    return static_cast<float>(m_transparency) * 0.003921569f;
}

bool CDsLineAttribStorage::SetStyle(int style)
{
    if (static_cast<unsigned>(style) >= static_cast<unsigned>(kStylesCount)) return false;
    m_style = static_cast<uint8_t>(style);
    return true;
}

bool CDsLineAttribStorage::SetWidth(int width)
{
    if (width < 1 || width > kMaxWidth) return false;
    m_width = static_cast<uint8_t>(width);
    return true;
}

bool CDsLineAttribStorage::GetInheritAllState() const
{
    return GetInheritColorState() && m_width == 0 && m_style == kInheritStyle && m_visibility == 0 &&
           !GetHighlightState() && !GetMarkState();
}

bool CDsLineAttribStorage::GetInheritAnythingState() const
{
    if (GetInheritColorState() || m_style == kInheritStyle) return true;
    return m_width == 0 && m_visibility == 0 && !GetHighlightState() && !GetMarkState();
}

void CDsLineAttribStorage::SetVisibility(EVisibilityLevel level, bool on)
{
    if (level == eVisibilityHighlight)
        SetFlag(eFlagHighlight, on);
    else if (level == eVisibilityMark)
        SetFlag(eFlagMark, on);
    else
        m_visibility = on ? static_cast<uint8_t>(level) : 0;
}

void CDsLineAttribStorage::SetVisibilityColor(EVisibilityLevel level, const CDsColorStorage* color, bool on)
{
    if (level != eVisibilityMark) return;
    delete m_markColor;
    m_markColor = (on && color) ? new CDsColorStorage(*color) : nullptr;
}

void CDsLineAttribStorage::Highlight(bool on)
{
    SetFlag(eFlagHighlight, on);
}

void CDsLineAttribStorage::Mark(bool on)
{
    SetFlag(eFlagMark, on);
}

void CDsLineAttribStorage::MarkCopy(bool on)
{
    SetFlag(eFlagMarkCopy, on);
}

void CDsLineAttribStorage::SetXorMode(bool on)
{
    SetFlag(eFlagXor, on);
}

void CDsLineAttribStorage::SetOnTopFlag(bool on)
{
    SetFlag(eFlagOnTop, on);
}

void CDsLineAttribStorage::SetRenderMode(ERenderMode mode)
{
    SetFlag(eFlagShaded, mode == eRenderShade);
}

ERenderMode CDsLineAttribStorage::GetRenderMode() const
{
    return (m_flags & eFlagShaded) ? eRenderShade : eRenderWireframe;
}

void CDsLineAttribStorage::ResetAttributes(EDsResetAttributeAction action)
{
    if (action & eDsResetHighlight) SetFlag(eFlagHighlight, false);
    if (action & eDsResetMark) SetFlag(eFlagMark, false);
    if (action & eDsResetHideLevel) SetHideLevel(0, true);
    if (action & eDsResetVisibility) m_visibility = 0;
}

void CDsLineAttribStorage::SetAttribute(const CDsAttribute& attribute, bool on)
{
    if (attribute.GetType() == eDsAttributeHideLevel) SetHideLevel(attribute.GetData(), on);
}

namespace {
uint64_t sHideLevelChanges = 0;
}  // namespace

uint64_t CDsLineAttribStorage::StHideLevelChanges()
{
    return sHideLevelChanges;
}

void CDsLineAttribStorage::SetHideLevel(unsigned int level, bool on)
{
    const unsigned int before = m_hideLevel.GetData();
    m_hideLevel.SetData(level, on);
    if (m_hideLevel.GetData() != before) ++sHideLevelChanges;
}

void CDsLineAttribStorage::GetAttribute(CDsAttribute& attribute) const
{
    if (attribute.GetType() == eDsAttributeHideLevel) m_hideLevel.GetData(attribute);
}

void CDsLineAttribStorage::Translate(CDsAttributes& out) const
{
    out.SetColor(m_color.GetColorRef());
    out.SetTransparency(m_transparency);
    out.SetLineStyle(m_style);
    out.SetLineWidth(m_width);
    out.SetHideLevel(m_hideLevel.GetData());
}

// --- Resolution ----------------------------------------------------------------------------------

bool CDsLineAttribStorage::ComputeColor(rgb_color* color) const
{
    if (sForceVisibility) return false;
    if (GetHighlightState()) {
        SetColorOf(color, SpecialColor(GetMarkState() ? eAttribSetHighlightMarked : eAttribSetHighlight));
        return true;
    }
    if (GetMarkState()) {
        SetColorOf(color, m_markColor ? *m_markColor : SpecialColor(eAttribSetMark));
        return true;
    }
    const bool plotting = CDsView3dCdc::StCheckIfPlotIsActive();
    switch (m_visibility) {
    case eVisibilityDim:
        if (plotting) break;
        SetColorOf(color, SpecialColor(eAttribSetDim));
        return true;
    case eVisibilityLevel5:
        SetColorOf(color, SpecialColor(eAttribSetVisibility5));
        return true;
    case eVisibilityLevel6:
        SetColorOf(color, SpecialColor(eAttribSetVisibility6));
        return true;
    case eVisibilityLevel7: {
        if (plotting) break;
        const CDsColorStorage base = GetInheritColorState() ? SpecialColor(eAttribSetNormal) : m_color;
        CDsAttributes dimmed;
        dimmed.SetColor(base.GetColorRef());
        dimmed.DimColor();
        color->set_windows_color(dimmed.GetColor());
        return true;
    }
    case eVisibilityNormal:
        break;
    default:  // any other level: the own colour, whatever the inherit flag says
        SetColorOf(color, m_color);
        return true;
    }
    // Level 0, and levels 1 and 7 while plotting.
    if (GetInheritColorState()) return false;
    SetColorOf(color, m_color);
    return true;
}

bool CDsLineAttribStorage::ComputeColorWithoutHighlight(rgb_color* color)
{
    const bool highlighted = GetHighlightState();
    SetFlag(eFlagHighlight, false);
    const bool resolved = ComputeColor(color);
    SetFlag(eFlagHighlight, highlighted);
    return resolved;
}

bool CDsLineAttribStorage::ComputeStyle(int& style) const
{
    switch (m_visibility) {
    case eVisibilityNormal:
        style = m_style;
        return m_style < kInheritStyle;
    case eVisibilityDim:
        style = SpecialStyle(eAttribSetDim);
        return true;
    case eVisibilityLevel5:
        style = SpecialStyle(eAttribSetVisibility5);
        return true;
    case eVisibilityLevel6:
        style = SpecialStyle(eAttribSetVisibility6);
        return true;
    case eVisibilityLevel7:
        style = SpecialStyle(eAttribSetVisibility7);
        return true;
    default:
        style = m_style;
        return true;
    }
}

bool CDsLineAttribStorage::ComputeWidth(int& width, view3d*) const
{
    switch (m_visibility) {
    case eVisibilityNormal:
        width = m_width;
        if ((GetHighlightState() || GetMarkState()) && sHighlightPenWidthInShade >= 1 &&
            !CDsView3dCdc::StCheckIfPlotIsActive()) {
            if (width < sHighlightPenWidthInShade) width = sHighlightPenWidthInShade;
            return true;
        }
        return width != 0;
    case eVisibilityDim:
        width = SpecialWidth(eAttribSetDim);
        return true;
    case eVisibilityLevel5:
        width = SpecialWidth(eAttribSetVisibility5);
        return true;
    case eVisibilityLevel6:
        width = SpecialWidth(eAttribSetVisibility6);
        return true;
    case eVisibilityLevel7:
        width = SpecialWidth(eAttribSetVisibility7);
        return true;
    default:
        width = m_width;
        return true;
    }
}

bool CDsLineAttribStorage::ComputeWidthFromColor(int& width, bool use, rgb_color* color) const
{
    if (!use) return false;
    CDsColorStorage pen(static_cast<uint32_t>(color->windows_color()));
    width = CDsPlotPallete::StGetInstance()->GetWidth(&pen);
    return true;
}

void CDsLineAttribStorage::ComputeXorColor(rgb_color& color, view3d* view) const
{
    unsigned long background = view->get_background_rgb().windows_color();
    if (auto* core = dynamic_cast<CDsView3dCdc*>(view))
        if (CDsGlContext* context = core->GetGlContext())
            if (CDsGlScene* scene = context->GetScene())
                background = scene->GetBackground().GetBackgroundColor().GetValue();
    color.set_windows_color((color.windows_color() ^ background) & 0x00FFFFFFul);
}

bool CDsLineAttribStorage::CheckDisplayPhaseMatch(view3d* view) const
{
    if (!view) return false;
    const bool opaque = m_transparency == 255;
    switch (view->GetDrawPhase()) {
    case eDsDrawPhaseOpaque:
        return opaque && !GetOnTopFlag();
    case eDsDrawPhaseTransparent:
        return !opaque && !GetOnTopFlag();
    case eDsDrawPhaseSecond:
        return !GetOnTopFlag();
    case eDsDrawPhaseOnTop:
        return GetOnTopFlag();
    case eDsDrawPhasePlot:
        return true;
    default:
        return false;
    }
}

// --- Application ---------------------------------------------------------------------------------

rgb_color& CDsLineAttribStorage::SetAttributesToView(view3d* view)
{
    if (!view) return mColorForComputFunction;
    rgb_color color;  // black
    int width = 1;
    int style = 0;
    const bool styleOk = ComputeStyle(style);
    const bool colorOk = ComputeColor(&color);
    const EPlotMode plotMode = CDsView3dCdc::StGetPlotMode();
    bool widthOk = false;
    if (plotMode == ePlotModePenWidths)
        widthOk = ComputeWidthFromColor(width, colorOk, &color);
    else
        widthOk = ComputeWidth(width, view);
    if (GetXorMode()) ComputeXorColor(color, view);

    if (plotMode != ePlotModeNone) {
        if (colorOk) view->set_foreground_rgb(color);
        if (widthOk) view->set_line_width(width);
    }
    if (styleOk) view->set_line_style(static_cast<line_style>(style));
    if (plotMode == ePlotModeNone) {
        if (colorOk)
            glColor4f(static_cast<float>(color.red()), static_cast<float>(color.green()),
                      static_cast<float>(color.blue()), static_cast<float>(m_transparency) / 255.0f);
        if (styleOk) CDsDriverGl::StForceStyle(style);
        if (widthOk) CDsDriverGl::StForceWidth(width);
    }
    mColorForComputFunction = color;
    return mColorForComputFunction;
}

rgb_color& CDsLineAttribStorage::SetEraseAttributesToView(view3d* view)
{
    if (!view) return mColorForComputFunction;
    SetAttributesToView(view);
    const rgb_color background = view->get_background_rgb();
    if (CDsView3dCdc::StCheckIfPlotIsActive()) view->set_foreground_rgb(background);
    glColor3f(static_cast<float>(background.red()), static_cast<float>(background.green()),
              static_cast<float>(background.blue()));
    mColorForComputFunction = background;
    return mColorForComputFunction;
}

// --- Special attribute sets and switches ---------------------------------------------------------

CDsLineAttribStorage* CDsLineAttribStorage::StGetSpecialAttributes(EAttribSetIndex index)
{
    if (index < 0 || index >= kSpecialSetCount) return nullptr;
    return sSpecialAttributes[index];
}

void CDsLineAttribStorage::StSetSpecialAttributes(EAttribSetIndex index, CDsLineAttribStorage* attributes)
{
    if (index < 0 || index >= kSpecialSetCount) return;
    CDsLineAttribStorage* copy = attributes ? new CDsLineAttribStorage(*attributes) : nullptr;
    delete sSpecialAttributes[index];
    sSpecialAttributes[index] = copy;
}

void CDsLineAttribStorage::StDeleteSpecialLineAttributes()
{
    for (CDsLineAttribStorage*& entry : sSpecialAttributes) {
        delete entry;
        entry = nullptr;
    }
}

CDsLineAttribStorage CDsLineAttribStorage::StGetDefaultSpecialAttributes(EAttribSetIndex index)
{
    CDsLineAttribStorage set;
    if (index < 0 || index >= 10) return set;
    set.SetColor(kDefaultSetColors[index]);
    set.SetStyle(0);
    set.SetWidth(1);
    return set;
}

int CDsLineAttribStorage::StGetHighlightPenWidthInShade()
{
    return sHighlightPenWidthInShade;
}

void CDsLineAttribStorage::StSetHighlightPenWidthInShade(int width)
{
    sHighlightPenWidthInShade = width;
}

bool CDsLineAttribStorage::StGetForceVisibilityMode()
{
    return sForceVisibility;
}

void CDsLineAttribStorage::StSetForceVisibilityMode(bool on)
{
    sForceVisibility = on;
}

void CDsLineAttribStorage::ResetForTests()
{
    for (int i = 0; i < kSpecialSetCount; ++i) {
        CDsLineAttribStorage set = StGetDefaultSpecialAttributes(static_cast<EAttribSetIndex>(i));
        StSetSpecialAttributes(static_cast<EAttribSetIndex>(i), &set);
    }
    sForceVisibility = false;
    sHighlightPenWidthInShade = 0;
    mColorForComputFunction = rgb_color();
}

VYR_REGISTER_TEST_RESET(CDsLineAttribStorage::ResetForTests, [] {
    CDsLineAttribStorage::ResetForTests();
    return true;
});

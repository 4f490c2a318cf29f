// The wireframe, shade, hidden-line and plot renderers without a context: the OpenGL calls are
// recorded through the seam and the geometries record what they were asked to draw, with the
// colour sent last before each draw. Which kinds each renderer draws in full and fast frames and
// at each silhouette level, the hidden-line walks and the state they leave, lighting, white faces
// and "Sheet" documents, monochrome colours, the one auto-hide threshold of a frame, and a plot
// that reaches the view's driver and nothing else.
#include "DsPlotRenderer.h"
#include "DsRendererHiddenLine.h"
#include "DsRendererMixed.h"
#include "DsRendererShade.h"
#include "DsRendererWireframe.h"

#include "RecordingSeam.h"

#include "ViewStaticsGuard.h"
#include "../../scene_db/SceneTestSupport.h"

#include "DsDrawContext.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsManager.h"
#include "DsPalette.h"
#include "DsPlotPallete.h"
#include "DsView3dCdc.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "TestResets.h"
#include "ViewSetup.h"
#include "VyrPdmServer.h"
#include "VyrPrefManager.h"
#include "VyrRgbColor.h"
#include "driver_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using vyrtest::GlCall;
using vyrtest::RecordingSeam;

// One draw a geometry was asked for.
struct SDraw {
    int item;
    int kind;
    bool gl;          // DrawGl (true) or Draw through the view (false)
    unsigned color;   // the colour sent last before a DrawGl (0x00BBGGRR), 0 when none
    size_t callIndex; // where in the recorded calls it happened
};

std::vector<SDraw> gDraws;
RecordingSeam* gSeam = nullptr;

unsigned ColorOf(const GlCall& call)
{
    return unsigned(call.args[0]) | unsigned(call.args[1]) << 8 | unsigned(call.args[2]) << 16;
}

// A geometry that records its draws; through the view it draws one line from (x, 0, 0) to
// (x + 1, 0, 0) per draw.
class CRecGeometry : public CDsGeometry {
public:
    CRecGeometry(int item, int primitives, std::vector<int> connected = {}, double x = 0.0)
        : m_item(item), m_primitives(primitives), m_connected(std::move(connected)), m_x(x)
    {
    }
    CDsGeometry* Clone() const override { return new CRecGeometry(m_item, m_primitives, m_connected, m_x); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = static_cast<unsigned>(m_connected.size());
        return m_connected.empty() ? nullptr : m_connected.data();
    }
    bool GetBoundBox(SPAbox&, int) const override { return false; }
    bool HasBoundBox(int) const override { return false; }
    int GetDrawPrimitives(int) const override { return m_primitives; }
    int Draw(view3d& view, eDrawPrimitives kind, int, int, const CDsDrawContext*) override
    {
        gDraws.push_back({m_item, kind, false, 0, gSeam ? gSeam->calls.size() : 0});
        const float line[6] = {float(m_x), 0, 0, float(m_x + 1), 0, 0};
        view.draw_polyline_3d(2, line, 0);
        return 1;
    }
    void DrawGl(view3d&, eDrawPrimitives kind, int, int, const CDsDrawContext*) override
    {
        unsigned color = 0;
        if (gSeam) {
            for (auto it = gSeam->calls.rbegin(); it != gSeam->calls.rend(); ++it)
                if (it->name == "Color3ub") {
                    color = ColorOf(*it);
                    break;
                }
        }
        gDraws.push_back({m_item, kind, true, color, gSeam ? gSeam->calls.size() : 0});
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

private:
    int m_item;
    int m_primitives;
    std::vector<int> m_connected;
    double m_x;
};

// A driver that records the lines it is given with the pen they were drawn with.
class PlotDriver : public driver_context {
public:
    struct SLine {
        float x0, y0, z0, x1, y1, z1;
        unsigned long color;
        int width;
        line_style style;
    };
    PlotDriver() { set_viewport(0, 0, 100, 100); }
    void set_foreground_rgb(rgb_color color) override
    {
        pen = color;
        ++colorChanges;
        driver_context::set_foreground_rgb(color);
    }
    void set_line_width(int w) override
    {
        width = w;
        ++widthChanges;
        driver_context::set_line_width(w);
    }
    void set_line_style(line_style s) override
    {
        style = s;
        ++styleChanges;
        driver_context::set_line_style(s);
    }
    int draw_polyline_3d(int n, const float* xyz, int) override
    {
        if (n == 2) lines.push_back({xyz[0], xyz[1], xyz[2], xyz[3], xyz[4], xyz[5], pen.windows_color(), width, style});
        return 0;
    }
    rgb_color pen;
    int width = -1;
    line_style style = line_style_solid;
    int colorChanges = 0, widthChanges = 0, styleChanges = 0;
    std::vector<SLine> lines;
};

CDsAttributes Colored(unsigned color, int width = 1, int style = 0)
{
    CDsAttributes a;
    a.SetColor(color);
    a.SetLineWidth(width);
    a.SetLineStyle(style);
    return a;
}

class RenderersTest : public CSceneDbTest {
protected:
    RenderersTest()
    {
        SetTestCategories();
        VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);
        view.SetGlContext(&context);
        context.add_view(&view);
        vyrtest::ViewSetup().Pixels(100, 100).Field(100, 100).ApplyTo(view);
        gDraws.clear();
        gSeam = &seam;
        CDsManager::GetInstance()->SetFlag(12, false);
    }
    ~RenderersTest() override
    {
        gSeam = nullptr;
        context.remove_view(&view);
        CDsManager::GetInstance()->SetFlag(12, monochrome_);
        VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPdmServer::ResetForTests);
        for (int state = 0; state < eAttribSetCount; ++state) CDsScene::SetSpecialAttrs(state, saved_[state]);
    }

    int Peer() { return context.GetScene()->GetDbScene().GetPeerPartId(); }
    CRecGeometry* Item(int id, int primitives, const CDsAttributes& attributes = Colored(0x0000FF), double x = 0.0)
    {
        auto* g = new CRecGeometry(id, primitives, {}, x);
        EXPECT_TRUE(storage->AddItem(CVyrObjectId(Peer(), id), kLeafType, g, nullptr, &attributes, nullptr, nullptr, true));
        return g;
    }
    // A complex `id` with master id + 1 and slave id + 2 on it, both drawing lines.
    void Complex(int id, const CDsAttributes& attributes)
    {
        ASSERT_TRUE(storage->AddItem(CVyrObjectId(Peer(), id), kComplexType, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, true));
        ASSERT_TRUE(storage->AddChildItem(CVyrObjectId(Peer(), id), id + 1, kLeafType,
                                          new CRecGeometry(id + 1, CDsGeometry::eDpLines), nullptr, &attributes, true));
        ASSERT_TRUE(storage->AddSlaveItem(CVyrObjectId(Peer(), id), id + 2, kLeafType,
                                          new CRecGeometry(id + 2, CDsGeometry::eDpLines, {id + 1}), nullptr,
                                          &attributes, true));
    }
    // The kinds item `item` was asked to draw, in order.
    static std::vector<int> Kinds(int item)
    {
        std::vector<int> kinds;
        for (const SDraw& d : gDraws)
            if (d.item == item) kinds.push_back(d.kind);
        return kinds;
    }
    // The colours item `item` was drawn in, in order.
    static std::vector<unsigned> Colors(int item)
    {
        std::vector<unsigned> colors;
        for (const SDraw& d : gDraws)
            if (d.item == item) colors.push_back(d.color);
        return colors;
    }
    template <class R>
    void Frame(R&& renderer, const std::vector<CVyrObjectPath>& paths = {}, bool walkAll = true)
    {
        gDraws.clear();
        seam.Take();
        renderer.Render(&paths, walkAll, viewport, &record);
    }
    // Stores a "General" preference.
    template <class T>
    static void General(const wchar_t* key, const T& value)
    {
        ASSERT_TRUE(CVyrPrefManager::GetInstance()->AddPreference(0, L"General", key, CVyrPreference(value)));
    }

    vyrtest::ViewStaticsGuard statics_;
    const bool monochrome_ = CDsManager::GetInstance()->GetFlag(12);
    const CDsAttributes saved_[eAttribSetCount] = {
        CDsScene::GetSpecialAttrs(0),  CDsScene::GetSpecialAttrs(1),  CDsScene::GetSpecialAttrs(2),
        CDsScene::GetSpecialAttrs(3),  CDsScene::GetSpecialAttrs(4),  CDsScene::GetSpecialAttrs(5),
        CDsScene::GetSpecialAttrs(6),  CDsScene::GetSpecialAttrs(7),  CDsScene::GetSpecialAttrs(8),
        CDsScene::GetSpecialAttrs(9),  CDsScene::GetSpecialAttrs(10), CDsScene::GetSpecialAttrs(11),
        CDsScene::GetSpecialAttrs(12), CDsScene::GetSpecialAttrs(13), CDsScene::GetSpecialAttrs(14),
        CDsScene::GetSpecialAttrs(15)};
    std::string prefsDir_ = vyrtest::ScratchDir();
    vyrtest::ScopedEnv prefsEnv_{"VYR_PREFERENCES_FILE", (prefsDir_ + "/ZorbelanE.prf").c_str()};
    RecordingSeam seam;
    CDsPartStorage* storage = CDsPartStorage::instance();
    CDsGlContext context;
    CDsView3dCdc view;
    CDsDrawContext record{nullptr, false, 0.05};
    int viewport[4] = {0, 100, 100, 0};
};

constexpr int kAll = 0xFF | CDsGeometry::eDpSilhouetteLevel1;     // every kind, silhouettes of cylinders
constexpr int kLevel2 = CDsGeometry::eDpLines | CDsGeometry::eDpSilhouettes | 0x200;  // another silhouette level

using KindList = std::vector<int>;

}  // namespace

TEST_F(RenderersTest, WireframeNeverDrawsFacesAndDrawsKindsByFastRefreshAndSilhouetteLevel)
{
    Item(1, kAll);
    Item(2, kLevel2);
    struct {
        bool fast;
        EDsSilhouetteLevel level;
        KindList all;
        KindList level2;
    } cases[] = {
        {true, eDsSilhouetteAll, {1, 2}, {2}},
        {false, eDsSilhouetteNone, {1, 2, 16, 32}, {2}},
        {false, eDsSilhouetteCylinders, {1, 2, 8, 16, 32}, {2}},
        {false, eDsSilhouetteAll, {1, 2, 8, 16, 32}, {2, 8}},
    };
    for (const auto& c : cases) {
        view.SetFlag(eDsViewFlagFastRefresh, c.fast);
        view.SetSilhouetteLevel(c.level);
        Frame(CDsRendererWireframe(&view, context.GetScene()));
        EXPECT_EQ(Kinds(1), c.all) << "fast " << c.fast << " level " << c.level;
        EXPECT_EQ(Kinds(2), c.level2) << "fast " << c.fast << " level " << c.level;
        for (const SDraw& d : gDraws) EXPECT_TRUE(d.gl);
    }
}

TEST_F(RenderersTest, ShadeDrawsPointsLinesAndFacesOnlyInFastRefreshAndTheRestBySilhouetteLevel)
{
    Item(1, kAll);
    Item(2, kLevel2);
    struct {
        bool fast;
        EDsSilhouetteLevel level;
        KindList all;
        KindList level2;
    } cases[] = {
        {true, eDsSilhouetteAll, {1, 2, 4}, {2}},
        {false, eDsSilhouetteNone, {1, 2, 4, 16, 32, 64}, {2}},
        {false, eDsSilhouetteCylinders, {1, 2, 4, 8, 16, 32, 64}, {2}},
        {false, eDsSilhouetteAll, {1, 2, 4, 8, 16, 32, 64}, {2, 8}},
    };
    for (const auto& c : cases) {
        view.SetFlag(eDsViewFlagFastRefresh, c.fast);
        view.SetSilhouetteLevel(c.level);
        Frame(CDsRendererShade(&view, context.GetScene()));
        EXPECT_EQ(Kinds(1), c.all) << "fast " << c.fast << " level " << c.level;
        EXPECT_EQ(Kinds(2), c.level2) << "fast " << c.fast << " level " << c.level;
    }
    // An empty list with the walk-all flag off draws nothing.
    Frame(CDsRendererShade(&view, context.GetScene()), {}, false);
    EXPECT_TRUE(gDraws.empty());
}

TEST_F(RenderersTest, ShadeLightsFacesExceptInSheetsAndDrawsThemWhiteWithDocumentFlag1)
{
    Item(1, CDsGeometry::eDpFaces, Colored(0x0000C0));
    // The calls that switch lighting on, and the diffuse materials of some colour sent.
    auto lightingOn = [&]() {
        size_t n = 0;
        for (const GlCall& c : seam.calls) n += c.name == "Enable" && c.args[0] == GL_LIGHTING;
        return n;
    };
    auto redMaterials = [&]() {
        size_t n = 0;
        for (const GlCall& c : seam.calls)
            n += c.name == "Materialfv" && c.args[1] == GL_DIFFUSE && c.args[2] > 0.3 && c.args[3] == 0.0;
        return n;
    };
    // A part: faces lit, through a material of their colour.
    Frame(CDsRendererShade(&view, context.GetScene()));
    ASSERT_EQ(Kinds(1), KindList{4});
    EXPECT_EQ(lightingOn(), 1u);
    EXPECT_EQ(redMaterials(), 1u);

    // A drawing sheet: no lighting, the face in its colour.
    ASSERT_TRUE(CVyrPdmServer::StInstance()->OpenDocument(CVyrRunTimeDocId(Peer()), CVyrRunTimeDocId::sTypeSheet));
    seam.enabled.clear();
    Frame(CDsRendererShade(&view, context.GetScene()));
    EXPECT_EQ(lightingOn(), 0u);
    EXPECT_EQ(redMaterials(), 0u);
    EXPECT_EQ(Colors(1), std::vector<unsigned>{0x0000C0u});

    // Document flag 1: items with faces white.
    context.Set(EDsDocumentFlag(1), true);
    Frame(CDsRendererShade(&view, context.GetScene()));
    EXPECT_EQ(Colors(1), std::vector<unsigned>{0xFFFFFFu});
}

TEST_F(RenderersTest, ShadeOpenEdgesCombineSet12IntoSlavesAndDrawEverySlaveOutsideFastRefresh)
{
    CDsAttributes set12 = Colored(0x00FF00);
    CDsScene::SetSpecialAttrs(eAttribSetMonochrome, set12);
    Complex(30, Colored(0x0000FF));
    // Without open edges a full frame visits the slave (first frame: counts made), but draws it
    // only in a state that asks for it: its own colour never changes.
    Frame(CDsRendererShade(&view, context.GetScene()));
    EXPECT_TRUE(Kinds(32).empty());
    context.Set(EDsDocumentFlag(8), true);
    Frame(CDsRendererShade(&view, context.GetScene()));
    ASSERT_EQ(Kinds(32), KindList{2});
    EXPECT_EQ(Colors(32), std::vector<unsigned>{0x00FF00u});
    EXPECT_EQ(Colors(31), std::vector<unsigned>{0x0000FFu});  // the master keeps its own
    // In a fast refresh without edges shown while rotating the slaves are left out again.
    General(L"PartFastRefreshAutoHide", 1);
    view.SetFlag(eDsViewFlagFastRefresh, true);
    Frame(CDsRendererShade(&view, context.GetScene()));
    EXPECT_TRUE(Kinds(32).empty());
    General(L"Fast_Part_Refresh_Show_Edges_While_Rotating", 1);
    Frame(CDsRendererShade(&view, context.GetScene()));
    EXPECT_EQ(Kinds(32), KindList{2});
}

TEST_F(RenderersTest, HiddenLineRunsTwoWalksInMode1AndThreeInMode2WithFacesIntoDepthOnly)
{
    Item(1, CDsGeometry::eDpFaces);
    Item(2, CDsGeometry::eDpLines, Colored(0x00FF00));
    // Where the walks fall between the renderer's own calls.
    auto marks = [&]() {
        std::vector<std::string> out;
        size_t d = 0;
        for (size_t i = 0; i <= seam.calls.size(); ++i) {
            for (; d < gDraws.size() && gDraws[d].callIndex == i; ++d)
                out.push_back("draw " + std::to_string(gDraws[d].item) + ":" + std::to_string(gDraws[d].kind));
            if (i == seam.calls.size()) break;
            const GlCall& c = seam.calls[i];
            if (c.name == "ColorMask") out.push_back(c.args[0] ? "mask on" : "mask off");
            if ((c.name == "Enable" || c.name == "Disable") && c.args[0] == GL_POLYGON_OFFSET_FILL)
                out.push_back(c.name + " offset");
        }
        return out;
    };

    view.view3d::SetRenderMode(eRenderHiddenLines);
    Frame(CDsRendererHiddenLine(&view, context.GetScene()));
    EXPECT_EQ(marks(), (std::vector<std::string>{"mask off", "Enable offset", "draw 1:4", "Disable offset",
                                                 "mask on", "draw 2:2"}));
    EXPECT_EQ(Colors(2), std::vector<unsigned>{0x00FF00u});

    view.view3d::SetRenderMode(eRenderPartialHiddenLines);
    seam.enabled.clear();
    Frame(CDsRendererHiddenLine(&view, context.GetScene()));
    EXPECT_EQ(marks(), (std::vector<std::string>{"draw 2:2", "mask off", "Enable offset", "draw 1:4",
                                                 "Disable offset", "mask on", "draw 2:2"}));
    // The hidden pass lightens green halfway to white; the visible pass draws it as it is.
    EXPECT_EQ(Colors(2), (std::vector<unsigned>{0x80FF80u, 0x00FF00u}));
    // What it leaves: depth test on, polygon offset fill off, the colour mask open.
    EXPECT_TRUE(seam.enabled.count(GL_DEPTH_TEST));
    EXPECT_FALSE(seam.enabled.count(GL_POLYGON_OFFSET_FILL));
    // Faces are pushed back by 2 and 2 in the hidden-line passes.
    bool offset = false;
    for (const GlCall& c : seam.calls)
        offset = offset || (c.name == "PolygonOffset" && c.args[0] == 2.0 && c.args[1] == 2.0);
    EXPECT_TRUE(offset);
}

TEST_F(RenderersTest, HiddenLineLeavesOutSilhouettesBitmapsAndTextsInFastRefresh)
{
    Item(1, kAll);
    view.SetSilhouetteLevel(eDsSilhouetteCylinders);
    view.view3d::SetRenderMode(eRenderPartialHiddenLines);
    Frame(CDsRendererHiddenLine(&view, context.GetScene()));
    EXPECT_EQ(Kinds(1), (KindList{2, 8, 4, 1, 2, 8, 16, 32}));
    view.SetFlag(eDsViewFlagFastRefresh, true);
    Frame(CDsRendererHiddenLine(&view, context.GetScene()));
    EXPECT_EQ(Kinds(1), (KindList{2, 4, 1, 2}));
    view.SetFlag(eDsViewFlagFastRefresh, false);
    view.SetSilhouetteLevel(eDsSilhouetteNone);
    view.view3d::SetRenderMode(eRenderHiddenLines);
    Frame(CDsRendererHiddenLine(&view, context.GetScene()));
    EXPECT_EQ(Kinds(1), (KindList{4, 1, 2, 16, 32}));
}

TEST_F(RenderersTest, HiddenLineWithNothingListedDrawsNothingAndStillRestoresMaskAndOffset)
{
    Item(1, CDsGeometry::eDpFaces | CDsGeometry::eDpLines);
    view.view3d::SetRenderMode(eRenderPartialHiddenLines);
    Frame(CDsRendererHiddenLine(&view, context.GetScene()), {}, false);
    EXPECT_TRUE(gDraws.empty());
    ASSERT_GE(seam.Count("ColorMask"), 2u);
    std::vector<GlCall> masks;
    for (const GlCall& c : seam.calls)
        if (c.name == "ColorMask") masks.push_back(c);
    EXPECT_TRUE(vyrtest::CallsAre({masks.back()}, {GlCall{"ColorMask", {1, 1, 1, 1}}}));
    EXPECT_FALSE(seam.enabled.count(GL_POLYGON_OFFSET_FILL));
    EXPECT_TRUE(seam.enabled.count(GL_DEPTH_TEST));
}

TEST_F(RenderersTest, AHiddenLineFrameMovesTheAutoHideThresholdOneStepWhateverItsWalks)
{
    Item(1, CDsGeometry::eDpFaces | CDsGeometry::eDpLines);
    view.view3d::SetRenderMode(eRenderPartialHiddenLines);
    view.SetFlag(eDsViewFlagFastRefresh, true);
    record = CDsDrawContext(&view, true, 0.05);
    record.frameRate = 5.0f;  // below the low bound of 15: the threshold grows by 1.25
    view.SetMaxDiagonalSizeForFastRefresh(8.0f);
    Frame(CDsRendererHiddenLine(&view, context.GetScene()));
    EXPECT_FLOAT_EQ(view.GetMaxDiagonalSizeForFastRefresh(), 10.0f);
    record.frameRate = 50.0f;  // above the upper bound of 35: it shrinks by 0.9
    Frame(CDsRendererHiddenLine(&view, context.GetScene()));
    EXPECT_FLOAT_EQ(view.GetMaxDiagonalSizeForFastRefresh(), 9.0f);
}

TEST_F(RenderersTest, MonochromeSlavesTakeTheMonochromeColoursOfTheirPass)
{
    General(L"MonochromeWireframeVisibleLine", CVyrRgbColor(10, 20, 30));
    General(L"MonochromeWireframeHiddenLine", CVyrRgbColor(200, 100, 50));
    Complex(30, Colored(0x0000FF));
    const unsigned visible = 10u | 20u << 8 | 30u << 16;
    const unsigned hidden = 200u | 100u << 8 | 50u << 16;

    // Not monochrome: the slave keeps its colour (the override attributes set nothing).
    Frame(CDsRendererWireframe(&view, context.GetScene()));
    EXPECT_EQ(Colors(32), std::vector<unsigned>{0x0000FFu});

    CDsManager::GetInstance()->SetFlag(12, true);
    ASSERT_EQ(CDsView3dCdc::sCurrentView, &view);
    Frame(CDsRendererWireframe(&view, context.GetScene()));
    EXPECT_EQ(Colors(32), std::vector<unsigned>{visible});
    EXPECT_EQ(Colors(31), std::vector<unsigned>{0x0000FFu});  // masters keep theirs

    // The wireframe asks the current view's context: without a current view it is not monochrome.
    CDsView3dCdc::sCurrentView = nullptr;
    Frame(CDsRendererWireframe(&view, context.GetScene()));
    EXPECT_EQ(Colors(32), std::vector<unsigned>{0x0000FFu});
    // The hidden-line renderer asks its own scene: the hidden pass in the hidden colour, not
    // lightened, the visible pass in the visible one.
    view.view3d::SetRenderMode(eRenderPartialHiddenLines);
    Frame(CDsRendererHiddenLine(&view, context.GetScene()));
    EXPECT_EQ(Colors(32), (std::vector<unsigned>{hidden, visible}));
}

TEST_F(RenderersTest, APlotSendsNoOpenGLCallAndTheDriverGetsEachLineWithItsPen)
{
    auto* driver = new PlotDriver;
    delete view.set_driver_context(driver);
    Item(1, CDsGeometry::eDpLines, Colored(0x0000FF, 3, line_style_dashed), 0.0);
    Item(2, CDsGeometry::eDpLines, Colored(0x00FF00, 1, line_style_dotted), 1e4);  // far outside the view
    CDsAttributes hiddenAttributes = Colored(0xFF0000);
    hiddenAttributes.SetHideLevel(1);
    Item(3, CDsGeometry::eDpLines, hiddenAttributes, 5.0);
    // A part instance moved by 100 along x: its line arrives moved.
    const int sub = 700;
    storage->CreatePart(sub);
    const CDsAttributes blue = Colored(0xFF0000, 2);
    storage->AddItem(CVyrObjectId(sub, 1), kLeafType, new CRecGeometry(4, CDsGeometry::eDpLines, {}, 0.0), nullptr,
                     &blue, nullptr, nullptr, true);
    const CDsTransform moved(translate_transf(SPAvector(100, 0, 0)));
    storage->AddPartInstance(CVyrObjectId(Peer(), 9), sub, &moved, nullptr, true);

    gDraws.clear();
    seam.Take();
    CDsPlotRenderer(&view, context.GetScene(), false).Render(nullptr, true, viewport, nullptr);
    EXPECT_TRUE(seam.calls.empty()) << seam.calls;
    ASSERT_EQ(driver->lines.size(), 3u);
    auto line = [&](unsigned long color) {
        for (const PlotDriver::SLine& l : driver->lines)
            if (l.color == color) return l;
        ADD_FAILURE() << "no line of colour " << std::hex << color;
        return PlotDriver::SLine{};
    };
    const PlotDriver::SLine red = line(0x0000FF);
    EXPECT_EQ(red.width, 3);
    EXPECT_EQ(red.style, line_style_dashed);
    EXPECT_FLOAT_EQ(red.x0, 0.0f);
    const PlotDriver::SLine far = line(0x00FF00);
    EXPECT_EQ(far.width, 1);
    EXPECT_EQ(far.style, line_style_dotted);
    EXPECT_FLOAT_EQ(far.x0, 1e4f);
    const PlotDriver::SLine instanced = line(0xFF0000);
    EXPECT_EQ(instanced.width, 2);
    EXPECT_EQ(instanced.style, line_style_solid);
    EXPECT_FLOAT_EQ(instanced.x0, 100.0f);
    EXPECT_FLOAT_EQ(instanced.x1, 101.0f);
    EXPECT_EQ(view.get_model_transform_depth(), 0);
    for (const SDraw& d : gDraws) EXPECT_FALSE(d.gl);
    EXPECT_TRUE(Kinds(3).empty());  // hidden

    // The temporary part's plot draws the temporary part only.
    CDsScene& db = context.GetScene()->GetDbScene();
    storage->AddItem(CVyrObjectId(db.GetTempPartId(), 1), kLeafType, new CRecGeometry(5, CDsGeometry::eDpLines),
                     nullptr, nullptr, nullptr, nullptr, true);
    gDraws.clear();
    CDsPlotRenderer(&view, context.GetScene(), true).Render(nullptr, true, viewport, nullptr);
    EXPECT_EQ(Kinds(5), KindList{2});
    EXPECT_TRUE(Kinds(1).empty());
}

TEST_F(RenderersTest, APlotDrawsFacesOnlyOfUntaggedGeometriesAndSilhouettesByLevel)
{
    delete view.set_driver_context(new PlotDriver);
    Item(1, kAll);
    Item(2, kLevel2);
    Item(3, CDsGeometry::eDpFaces | CDsGeometry::eDpLines);
    auto* tagged = new CRecGeometry(4, CDsGeometry::eDpFaces | CDsGeometry::eDpLines, {1});
    storage->AddItem(CVyrObjectId(Peer(), 4), kLeafType, tagged, nullptr, nullptr, nullptr, nullptr, true);

    view.SetSilhouetteLevel(eDsSilhouetteNone);
    gDraws.clear();
    CDsPlotRenderer(&view, context.GetScene(), false).Render(nullptr, true, viewport, nullptr);
    EXPECT_EQ(Kinds(1), (KindList{1, 2, 16, 32}));  // faces of a geometry with silhouettes: no
    EXPECT_EQ(Kinds(2), KindList{2});
    EXPECT_EQ(Kinds(3), (KindList{2, 4}));
    EXPECT_EQ(Kinds(4), KindList{2});                // connected to an item: no faces
    view.SetSilhouetteLevel(eDsSilhouetteCylinders);
    gDraws.clear();
    CDsPlotRenderer(&view, context.GetScene(), false).Render(nullptr, true, viewport, nullptr);
    EXPECT_EQ(Kinds(1), (KindList{1, 2, 8, 16, 32}));
    EXPECT_EQ(Kinds(2), KindList{2});
    view.SetSilhouetteLevel(eDsSilhouetteAll);
    gDraws.clear();
    CDsPlotRenderer(&view, context.GetScene(), false).Render(nullptr, true, viewport, nullptr);
    EXPECT_EQ(Kinds(2), (KindList{2, 8}));
}

TEST_F(RenderersTest, APlotWithPenWidthsTakesThePlotPalettesWidthOfTheColour)
{
    auto* driver = new PlotDriver;
    delete view.set_driver_context(driver);
    CDsPlotPallete* plot = CDsPlotPallete::StGetInstance();
    auto* colors = new CDsPalette(16);
    for (int i = 0; i < 16; ++i) colors->SetColor(i, CDsColorStorage(uint8_t(i), 0, 0));
    colors->SetColor(3, CDsColorStorage(255, 0, 0));
    plot->SetColorPallete(colors);
    plot->SetWidth(3, 6);     // red takes pen 6
    plot->SetWidth(6, 5.0f);  // pen 6 is 5 wide
    CDsColorStorage red(255, 0, 0);
    const int expected = plot->GetWidth(&red);
    ASSERT_GT(expected, 1);
    Item(1, CDsGeometry::eDpLines, Colored(0x0000FF, 1));

    CDsView3dCdc::StSetPlotMode(ePlotModePenWidths);
    CDsPlotRenderer(&view, context.GetScene(), false).Render(nullptr, true, viewport, nullptr);
    CDsPlotPallete::StDeletePlotPallete();
    ASSERT_EQ(driver->lines.size(), 1u);
    EXPECT_EQ(driver->lines[0].width, expected);
    EXPECT_TRUE(seam.calls.empty()) << seam.calls;
}

TEST_F(RenderersTest, RenderersWithoutAViewOrASceneDrawNothingAndSendNothing)
{
    Item(1, kAll);
    seam.Take();
    const int v[4] = {0, 100, 100, 0};
    CDsRendererWireframe(nullptr, context.GetScene()).Render(nullptr, true, v, &record);
    CDsRendererShade(&view, nullptr).Render(nullptr, true, v, &record);
    CDsRendererHiddenLine(nullptr, context.GetScene()).Render(nullptr, true, v, &record);
    CDsPlotRenderer(&view, nullptr, false).Render(nullptr, true, v, nullptr);
    EXPECT_TRUE(gDraws.empty());
    EXPECT_TRUE(seam.calls.empty()) << seam.calls;
}

// --- The mixed renderer -------------------------------------------------------------------------

namespace {

CDsAttributes Clear(unsigned char transparency)
{
    CDsAttributes a = Colored(0x0000FF);
    a.SetTransparency(transparency);
    return a;
}

// The names of the blending, culling and depth-mask calls, in order.
std::vector<std::string> Switches(const std::vector<GlCall>& calls)
{
    std::vector<std::string> out;
    for (const GlCall& c : calls) {
        if ((c.name == "Enable" || c.name == "Disable") &&
            (c.args[0] == GL_BLEND || c.args[0] == GL_CULL_FACE))
            out.push_back(c.name + (c.args[0] == GL_BLEND ? " blend" : " cull"));
        else if (c.name == "CullFace")
            out.push_back(c.args[0] == GL_FRONT ? "cull front" : "cull back");
        else if (c.name == "DepthMask")
            out.push_back(c.args[0] ? "depth writes" : "no depth writes");
    }
    return out;
}

}  // namespace

TEST_F(RenderersTest, MixedDrawsOpaqueFacesFirstAndBlendsPartlyTransparentOnesBackThenFront)
{
    Item(1, CDsGeometry::eDpFaces | CDsGeometry::eDpLines, Clear(255));
    Item(2, CDsGeometry::eDpFaces | CDsGeometry::eDpLines, Clear(128));
    Item(3, CDsGeometry::eDpFaces | CDsGeometry::eDpLines, Clear(0));
    Frame(CDsRendererMixed(context.GetScene(), &view, false));
    // Opaque pass: every line, and the faces of the opaque item; then the half-transparent faces
    // in two walks (back faces, front faces); the fully transparent item's faces never.
    EXPECT_EQ(Kinds(1), (KindList{2, 4}));
    EXPECT_EQ(Kinds(2), (KindList{2, 4, 4}));
    EXPECT_EQ(Kinds(3), (KindList{2}));
    const std::vector<GlCall> calls = seam.Take();
    EXPECT_EQ(Switches(calls), (std::vector<std::string>{"Enable blend", "no depth writes", "Enable cull", "cull front",
                                                         "cull back", "Disable cull", "Disable blend", "depth writes"}));
}

TEST_F(RenderersTest, MixedFastRefreshOfTheModelBlendsInOneWalkWithoutCulling)
{
    Item(1, CDsGeometry::eDpFaces | CDsGeometry::eDpBitmaps, Clear(128));
    view.SetFlag(eDsViewFlagFastRefresh, true);
    Frame(CDsRendererMixed(context.GetScene(), &view, false));
    EXPECT_EQ(Kinds(1), (KindList{4}));  // no bitmaps in a fast frame; one transparent walk
    std::vector<std::string> switches = Switches(seam.Take());
    EXPECT_EQ(std::count(switches.begin(), switches.end(), "Enable cull"), 0);

    // The temporary part always gets both culled walks.
    const int temp = context.GetScene()->GetDbScene().GetTempPartId();
    CDsAttributes half = Clear(128);
    ASSERT_TRUE(storage->AddItem(CVyrObjectId(temp, 7), kLeafType, new CRecGeometry(7, CDsGeometry::eDpFaces), nullptr,
                                 &half, nullptr, nullptr, true));
    Frame(CDsRendererMixed(context.GetScene(), &view, true));
    EXPECT_EQ(Kinds(7), (KindList{4, 4}));
    EXPECT_TRUE(Kinds(1).empty());
    view.SetFlag(eDsViewFlagFastRefresh, false);
}

TEST_F(RenderersTest, MixedSilhouettesAtLevelZeroOnlyForFullyTransparentItems)
{
    const int silhouettes = CDsGeometry::eDpSilhouettes | CDsGeometry::eDpSilhouetteLevel1;
    Item(1, silhouettes, Clear(0));
    Item(2, silhouettes, Clear(255));
    bool flag = false;
    EXPECT_EQ(CDsRendererMixed::OpaqueWalkFlags(false, eDsSilhouetteNone, flag), 0xF7F);
    EXPECT_TRUE(flag);
    EXPECT_EQ(CDsRendererMixed::OpaqueWalkFlags(false, eDsSilhouetteCylinders, flag), 0x17F);
    EXPECT_FALSE(flag);
    EXPECT_EQ(CDsRendererMixed::OpaqueWalkFlags(true, eDsSilhouetteAll, flag), 7);
    context.GetScene()->SetSilhouetteLevel(eDsSilhouetteNone);
    Frame(CDsRendererMixed(context.GetScene(), &view, false));
    EXPECT_EQ(Kinds(1), (KindList{8}));
    EXPECT_TRUE(Kinds(2).empty());
    context.GetScene()->SetSilhouetteLevel(eDsSilhouetteCylinders);
    Frame(CDsRendererMixed(context.GetScene(), &view, false));
    EXPECT_EQ(Kinds(2), (KindList{8}));
}

TEST_F(RenderersTest, MixedWithNothingListedDrawsNothingButStillSendsItsSwitches)
{
    Item(1, CDsGeometry::eDpFaces, Clear(128));
    Frame(CDsRendererMixed(context.GetScene(), &view, false), {}, false);
    EXPECT_TRUE(gDraws.empty());
    const std::vector<std::string> switches = Switches(seam.Take());
    ASSERT_FALSE(switches.empty());
    EXPECT_EQ(switches.back(), "depth writes");
}

// --- The pass field -----------------------------------------------------------------------------

namespace {

// A geometry that notes the view's pass field at every draw and then leaves a mark in it, so that
// a walk that does not start from 0 shows the mark the walk before it left.
class CPassFieldProbe : public CRecGeometry {
public:
    static constexpr int kMark = 0x5A5A;
    CPassFieldProbe(int item, int primitives, std::vector<int>* seen)
        : CRecGeometry(item, primitives), m_item(item), m_primitives(primitives), m_seen(seen)
    {
    }
    CDsGeometry* Clone() const override { return new CPassFieldProbe(m_item, m_primitives, m_seen); }
    int Draw(view3d& view, eDrawPrimitives kind, int first, int last, const CDsDrawContext* record) override
    {
        Note(view);
        return CRecGeometry::Draw(view, kind, first, last, record);
    }
    void DrawGl(view3d& view, eDrawPrimitives kind, int first, int last, const CDsDrawContext* record) override
    {
        Note(view);
        CRecGeometry::DrawGl(view, kind, first, last, record);
    }

private:
    void Note(view3d& view)
    {
        m_seen->push_back(view.GetPassField());
        view.SetPassField(kMark);
    }
    int m_item;
    int m_primitives;
    std::vector<int>* m_seen;
};

}  // namespace

TEST_F(RenderersTest, EveryWalkOfEveryRendererStartsWithThePassFieldAtZero)
{
    std::vector<int> seen;
    auto* probe = new CPassFieldProbe(1, CDsGeometry::eDpFaces | CDsGeometry::eDpLines, &seen);
    const CDsAttributes half = Clear(128);
    ASSERT_TRUE(storage->AddItem(CVyrObjectId(Peer(), 1), kLeafType, probe, nullptr, &half, nullptr, nullptr, true));
    delete view.set_driver_context(new PlotDriver);
    auto frame = [&](auto&& renderer) {
        seen.clear();
        view.SetPassField(-1);
        Frame(renderer);
        return seen;
    };
    // One walk, two kinds: the first draw of the walk reads 0, the second the mark of the first.
    const std::vector<int> oneWalk = {0, CPassFieldProbe::kMark};
    EXPECT_EQ(frame(CDsRendererShade(&view, context.GetScene())), oneWalk);
    EXPECT_EQ(frame(CDsPlotRenderer(&view, context.GetScene(), false)), oneWalk);
    // The wireframe walk draws the lines only.
    EXPECT_EQ(frame(CDsRendererWireframe(&view, context.GetScene())), std::vector<int>{0});
    // Hidden lines: the faces into depth, then the edges; in mode 2 the hidden edges first.
    view.view3d::SetRenderMode(eRenderHiddenLines);
    EXPECT_EQ(frame(CDsRendererHiddenLine(&view, context.GetScene())), (std::vector<int>{0, 0}));
    view.view3d::SetRenderMode(eRenderPartialHiddenLines);
    EXPECT_EQ(frame(CDsRendererHiddenLine(&view, context.GetScene())), (std::vector<int>{0, 0, 0}));
    // Mixed: the lines in the opaque walk, the half-transparent faces in each of the two
    // transparent walks.
    EXPECT_EQ(frame(CDsRendererMixed(context.GetScene(), &view, false)), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Kinds(1), (KindList{2, 4, 4}));
}

// In monochrome display the screen's wireframe recolours the slaves of complexes; a plot keeps
// every item in its own colour.
TEST_F(RenderersTest, AMonochromePlotKeepsEveryItemsOwnColour)
{
    General(L"MonochromeWireframeVisibleLine", CVyrRgbColor(10, 20, 30));
    CDsScene::SetSpecialAttrs(eAttribSetMonochrome, Colored(0x00FF00));
    Complex(30, Colored(0x0000FF));
    auto* driver = new PlotDriver;
    delete view.set_driver_context(driver);
    CDsManager::GetInstance()->SetFlag(12, true);
    ASSERT_TRUE(context.IsMonochromeStateAllowedAndActive());
    ASSERT_EQ(CDsView3dCdc::sCurrentView, &view);

    Frame(CDsRendererWireframe(&view, context.GetScene()));
    EXPECT_EQ(Colors(32), std::vector<unsigned>{10u | 20u << 8 | 30u << 16});

    seam.Take();
    CDsPlotRenderer(&view, context.GetScene(), false).Render(nullptr, true, viewport, nullptr);
    ASSERT_EQ(driver->lines.size(), 2u);  // master and slave
    for (const PlotDriver::SLine& line : driver->lines) EXPECT_EQ(line.color, 0x0000FFu);
    EXPECT_TRUE(seam.calls.empty()) << seam.calls;
}

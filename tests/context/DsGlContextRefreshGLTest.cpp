// The context's refresh in a real window: a scene-database scene drawn into the front buffer,
// refreshes that find nothing to do (also beside a second document of another material), partial
// frames of dirty rectangles, the frame rate and the fast-refresh auto-hide threshold it moves,
// plot mode, suspension, and bad input.
#include "DsAttributes.h"
#include "DsGeometry.h"
#include "DsLocation.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsManager.h"
#include "DsMaterialStorage.h"
#include "DsPartStorage.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "TestClock.h"
#include "VyrNotifyFunctionality.h"
#include "VyrPrefManager.h"
#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include "SpaValues.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

constexpr unsigned char kLineType = 210;  // a leaf type (the table's default category)
constexpr int kSize = 100;

int gDraws = 0;                            // DrawGl calls of every line
vyrtest::FakeClock* gClock = nullptr;      // advanced by a slow line while it draws
int gSlowMilliseconds = 0;
int gFrameMilliseconds = 0;                // advanced once, by the next line drawn

// A horizontal line across the window at model height y (the view shows -50..50), with a box.
class CLine : public CDsGeometry {
public:
    explicit CLine(double y, double x0 = -50, double x1 = 50) : m_y(y), m_x0(x0), m_x1(x1) { SetSize(float(x1 - x0)); }
    CDsGeometry* Clone() const override { return new CLine(m_y, m_x0, m_x1); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox& box, int) const override
    {
        box = SPAbox(SPAposition(m_x0, m_y, 0), SPAposition(m_x1, m_y, 0));
        return true;
    }
    bool HasBoundBox(int) const override { return true; }
    int GetDrawPrimitives(int) const override { return eDpLines | eDpFaces; }
    int Draw(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { return 0; }
    void DrawGl(view3d&, eDrawPrimitives kind, int, int, const CDsDrawContext*) override
    {
        ++gDraws;
        if (gClock && gSlowMilliseconds) gClock->Advance(gSlowMilliseconds);
        if (gClock && gFrameMilliseconds) {
            gClock->Advance(gFrameMilliseconds);
            gFrameMilliseconds = 0;
        }
        if (kind == eDpLines) {
            glBegin(GL_LINES);
            glVertex3d(m_x0, m_y, 0);
            glVertex3d(m_x1, m_y, 0);
            glEnd();
        } else if (kind == eDpFaces) {
            // A thin quad behind the line, so that shaded and hidden-line frames draw something.
            glBegin(GL_QUADS);
            glVertex3d(m_x0, m_y - 0.5, -1);
            glVertex3d(m_x1, m_y - 0.5, -1);
            glVertex3d(m_x1, m_y + 0.5, -1);
            glVertex3d(m_x0, m_y + 0.5, -1);
            glEnd();
        }
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

private:
    double m_y, m_x0, m_x1;
};

// A square of faces from -20 to 20 at depth z, facing the viewer.
class CSquare : public CLine {
public:
    explicit CSquare(double z) : CLine(0, -20, 20), m_z(z) {}
    CDsGeometry* Clone() const override { return new CSquare(m_z); }
    bool GetBoundBox(SPAbox& box, int) const override
    {
        box = SPAbox(SPAposition(-20, -20, m_z), SPAposition(20, 20, m_z));
        return true;
    }
    int GetDrawPrimitives(int) const override { return eDpFaces; }
    void DrawGl(view3d&, eDrawPrimitives kind, int, int, const CDsDrawContext*) override
    {
        if (kind != eDpFaces) return;
        ++gDraws;
        glBegin(GL_QUADS);
        glNormal3d(0, 0, 1);
        glVertex3d(-20, -20, m_z);
        glVertex3d(20, -20, m_z);
        glVertex3d(20, 20, m_z);
        glVertex3d(-20, 20, m_z);
        glEnd();
    }

private:
    double m_z;
};

// The codes a context sent.
class Recorder : public CVyrNotifyReceiver {
public:
    void OnNotification(CVyrNotifyFunctionality&, int code) override { codes.push_back(code); }
    int Count(int code) const
    {
        int n = 0;
        for (int c : codes) n += c == code;
        return n;
    }
    std::vector<int> codes;
};

class DsGlContextRefreshGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        flag3_ = CDsManager::GetInstance()->GetFlag(3);
        CDsManager::GetInstance()->SetFlag(3, true);
        // A view on a window known to the framework: its driver draws on the window's device
        // context, which a refresh takes for its length.
        view_ = std::make_unique<CDsView3dCdc>(&window_.wnd);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(kSize, kSize).Clip(1, 100).ApplyTo(*view_);
        view_->SetRenderMode(eRenderWireframe);
        context_.Subscribe(&recorder_);
        gDraws = 0;
    }
    void TearDown() override
    {
        context_.Unsubscribe(&recorder_);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        view_.reset();
        for (int id : items_) CDsPartStorage::instance()->RemoveItem(CVyrObjectId(Peer(), id), nullptr);
        CDsManager::GetInstance()->SetFlag(3, flag3_);
        wglMakeCurrent(nullptr, nullptr);
    }

    int Peer() { return context_.GetScene()->GetDbScene().GetPeerPartId(); }
    // A line item `id` at model height y in `color` (0x00BBGGRR).
    void AddLine(int id, double y, unsigned color, double x0 = -50, double x1 = 50)
    {
        CDsAttributes look;
        look.SetColor(color);
        ASSERT_TRUE(CDsPartStorage::instance()->AddItem(CVyrObjectId(Peer(), id), kLineType, new CLine(y, x0, x1),
                                                        nullptr, &look, nullptr, nullptr, true));
        items_.push_back(id);
    }
    CVyrObjectPath Path(int id) { return CVyrObjectPath(&id, 1, 1, Peer()); }
    // The window row of model height y.
    static int Row(double y) { return kSize / 2 + static_cast<int>(y); }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::FrameworkWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    Recorder recorder_;
    std::vector<int> items_;
    bool flag3_ = false;
};

// Whether any pixel of row y (or the row above, where a line on a boundary lands) has the colour.
bool RowHas(GLenum buffer, int y, const Rgb& color, int x0 = 10, int x1 = 90)
{
    for (int row = y - 1; row <= y; ++row)
        for (int x = x0; x <= x1; x += 4)
            if (ColorNear(ReadPixel(buffer, x, row), color, 60)) return true;
    return false;
}

}  // namespace

TEST_F(DsGlContextRefreshGLTest, ARefreshShowsTheSceneAndASecondOneWithoutChangeDrawsNothing)
{
    AddLine(1, 10, 0x0000FF);  // red
    view_->refresh();
    EXPECT_TRUE(RowHas(GL_FRONT, Row(10), Rgb{255, 0, 0}));
    EXPECT_FALSE(RowHas(GL_FRONT, Row(-20), Rgb{255, 0, 0}));
    const int drawn = gDraws;
    EXPECT_GT(drawn, 0);
    EXPECT_EQ(recorder_.Count(10), 1);
    EXPECT_GT(view_->GetLastFPS(), 0.0f);

    // Nothing changed and the picture is saved: no synchronisation, no drawing, the same picture.
    view_->refresh();
    EXPECT_EQ(gDraws, drawn);
    EXPECT_EQ(recorder_.Count(10), 1);
    EXPECT_TRUE(RowHas(GL_FRONT, Row(10), Rgb{255, 0, 0}));

    // Without a saved picture (the back buffer swapped away) "no change" draws again.
    ASSERT_TRUE(context_.SwapCurrentViewBuffers());
    view_->refresh();
    EXPECT_GT(gDraws, drawn);

    // A new item is a change: drawn by the next refresh.
    AddLine(2, -20, 0x00FF00);
    view_->refresh();
    EXPECT_TRUE(RowHas(GL_FRONT, Row(-20), Rgb{0, 255, 0}));
    EXPECT_TRUE(RowHas(GL_FRONT, Row(10), Rgb{255, 0, 0}));
}

TEST_F(DsGlContextRefreshGLTest, EveryRenderModeDrawsTheScene)
{
    AddLine(1, 10, 0x0000FF);
    for (ERenderMode mode : {eRenderWireframe, eRenderHiddenLines, eRenderPartialHiddenLines, eRenderShade, eRenderMixed}) {
        const int before = gDraws;
        view_->SetRenderMode(mode);  // refreshes the view: the change of mode redraws it
        EXPECT_GT(gDraws, before) << mode;
        EXPECT_TRUE(RowHas(GL_FRONT, Row(10), Rgb{255, 0, 0}) || mode >= eRenderShade) << mode;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << mode;
    }
}

TEST_F(DsGlContextRefreshGLTest, DirtyRectanglesAreRedrawnThreePixelsWiderAndFourChangesRedrawEverything)
{
    // Three short lines far apart, drawn once.
    AddLine(1, 30, 0x0000FF, -40, -30);
    AddLine(2, 0, 0x0000FF, -5, 5);
    AddLine(3, -30, 0x0000FF, 30, 40);
    AddLine(4, -40, 0x0000FF, -40, -30);
    view_->refresh();
    // The locations the first frame made get their boxes at the next synchronisation.
    context_.OnPicturePropsChanged();
    view_->refresh();
    CDsScene& db = context_.GetScene()->GetDbScene();
    RECT r{};
    ASSERT_TRUE(db.GetLocationRect(Path(2), &r));

    // Marks drawn into the saved picture: one 2 pixels left of line 2's box (inside the margin),
    // one 6 pixels left of it (outside).
    auto mark = [&](int x, int y) {
        glDrawBuffer(GL_BACK);
        glDisable(GL_SCISSOR_TEST);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kSize, 0, kSize, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glColor3ub(0, 0, 255);
        glBegin(GL_POINTS);
        glVertex2f(x + 0.5f, y + 0.5f);
        glEnd();
        glFinish();
    };
    const int y = (r.top + r.bottom) / 2;
    mark(r.left - 2, y);
    mark(r.left - 6, y);
    ASSERT_TRUE(ColorNear(ReadPixel(GL_BACK, r.left - 2, y), Rgb{0, 0, 255}));

    // Three changed locations: three passes, each clearing its rectangle and 3 pixels around it.
    // A partial frame leaves the full-frame rate as it was.
    for (int id : {1, 2, 3}) db.FindLocation(Path(id))->SetState(eAttribSetDim);
    db.GetChangeLog().Record({Path(1), Path(2), Path(3)});
    gDraws = 0;
    const float fullRate = view_->GetLastFPS();
    vyrtest::FakeClock clock(100);
    gClock = &clock;
    gSlowMilliseconds = 7;
    view_->refresh();
    gSlowMilliseconds = 0;
    gClock = nullptr;
    EXPECT_FLOAT_EQ(view_->GetLastFPS(), fullRate);
    EXPECT_FLOAT_EQ(view_->GetLastZprFPS(), -1.0f);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, r.left - 2, y), Rgb{0, 0, 0}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, r.left - 6, y), Rgb{0, 0, 255}));
    EXPECT_GT(gDraws, 0);

    // Four changed locations: one pass over the whole viewport clears every mark.
    mark(r.left - 6, y);
    for (int id : {1, 2, 3, 4}) db.FindLocation(Path(id))->SetState(eAttribSetNormal);
    db.GetChangeLog().Record({Path(1), Path(2), Path(3), Path(4)});
    view_->refresh();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, r.left - 6, y), Rgb{0, 0, 0}));
}

TEST_F(DsGlContextRefreshGLTest, TheFrameRateIsMeasuredOnTheMillisecondClock)
{
    AddLine(1, 10, 0x0000FF);
    vyrtest::FakeClock clock(5000);
    gClock = &clock;
    view_->refresh();  // no millisecond passes
    EXPECT_FLOAT_EQ(view_->GetLastFPS(), 100.0f);
    EXPECT_FLOAT_EQ(view_->GetLastZprFPS(), -1.0f);

    gSlowMilliseconds = 40;  // the frame draws one line (one kind) in 40 ms
    context_.OnPicturePropsChanged();
    view_->refresh();
    gSlowMilliseconds = 0;
    gClock = nullptr;
    EXPECT_FLOAT_EQ(view_->GetLastFPS(), 25.0f);

    // During a fast refresh the rate goes to the fast-refresh rate and the full-frame one stays.
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    view_->refresh();
    view_->SetFlag(eDsViewFlagFastRefresh, false);
    EXPECT_FLOAT_EQ(view_->GetLastZprFPS(), 100.0f);
    EXPECT_FLOAT_EQ(view_->GetLastFPS(), 25.0f);
}

TEST_F(DsGlContextRefreshGLTest, SuspensionAndPlotModeDrawNothingOnScreen)
{
    AddLine(1, 10, 0x0000FF);
    context_.PushDisplaySuspension();
    view_->refresh();
    EXPECT_EQ(gDraws, 0);
    EXPECT_TRUE(recorder_.codes.empty());
    context_.PopDisplaySuspension();

    CDsView3dCdc::sPlotMode = ePlotModeColors;
    view_->refresh();  // the plot frame: no configuration, no notification
    CDsView3dCdc::sPlotMode = ePlotModeNone;
    EXPECT_TRUE(recorder_.codes.empty());
    EXPECT_EQ(gDraws, 0);  // plots draw through the view (Draw), never DrawGl

    view_->refresh();
    EXPECT_GT(gDraws, 0);
    EXPECT_EQ(recorder_.Count(10), 1);
}

TEST_F(DsGlContextRefreshGLTest, BadInputDrawsNothingAndLeavesNoErrorOrOpenConfiguration)
{
    context_.refresh(nullptr, nullptr);  // no view

    // A scene without items, and a view without a context.
    view_->refresh();
    CDsView3dCdc lonely;
    lonely.refresh();

    // A change list naming a location whose item went.
    AddLine(1, 10, 0x0000FF);
    view_->refresh();
    CDsPartStorage::instance()->RemoveItem(CVyrObjectId(Peer(), 1), nullptr);
    items_.clear();
    context_.GetScene()->GetDbScene().GetChangeLog().Record({Path(1)});
    view_->refresh();
    EXPECT_FALSE(RowHas(GL_FRONT, Row(10), Rgb{255, 0, 0}));

    // A zero-size viewport.
    ViewSetup().Pixels(0, 0).ApplyTo(*view_);
    view_->refresh();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // Every frame ended its configuration: the next one presents (codes 6, 3, 8) again.
    recorder_.codes.clear();
    ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(kSize, kSize).Clip(1, 100).ApplyTo(*view_);
    context_.OnPicturePropsChanged();
    view_->refresh();
    EXPECT_EQ(recorder_.Count(8), 1);
}

TEST_F(DsGlContextRefreshGLTest, MixedModeBlendsAHalfTransparentFaceOverAnOpaqueOne)
{
    CDsAttributes green, red;
    green.SetColor(0x00FF00);
    red.SetColor(0x0000FF);
    red.SetTransparency(128);
    CDsPartStorage* storage = CDsPartStorage::instance();
    ASSERT_TRUE(storage->AddItem(CVyrObjectId(Peer(), 1), kLineType, new CSquare(-5), nullptr, &green, nullptr, nullptr,
                                 true));
    ASSERT_TRUE(storage->AddItem(CVyrObjectId(Peer(), 2), kLineType, new CSquare(5), nullptr, &red, nullptr, nullptr,
                                 true));
    items_ = {1, 2};
    context_.GetScene()->GetLightList()->SetAmbientLight(1.0f);  // colours as they are, lit from the front
    view_->SetRenderMode(eRenderShade);  // opaque: the red square in front hides the green one
    const Rgb shaded = ReadPixel(GL_FRONT, 50, 50);
    view_->SetRenderMode(eRenderMixed);
    const Rgb mixed = ReadPixel(GL_FRONT, 50, 50);
    EXPECT_GT(shaded.r, 100);
    EXPECT_LT(shaded.g, 60);
    EXPECT_GT(mixed.r, 60);  // red over green, half and half
    EXPECT_GT(mixed.g, 60);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
}

namespace {

// The auto-hide preference of fast refreshes switched on for a test; afterwards the preference
// store holds what it held before.
class AutoHideOn {
public:
    AutoHideOn()
    {
        CVyrPrefManager* preferences = CVyrPrefManager::GetInstance();
        m_present = preferences->GetPreference(0, kGroup, kKey, m_was);
        EXPECT_TRUE(preferences->AddPreference(0, kGroup, kKey, CVyrPreference(true)));
    }
    ~AutoHideOn()
    {
        CVyrPrefManager* preferences = CVyrPrefManager::GetInstance();
        if (m_present)
            preferences->AddPreference(0, kGroup, kKey, m_was);
        else
            preferences->RemovePreference(0, kGroup, kKey);
    }
    AutoHideOn(const AutoHideOn&) = delete;
    AutoHideOn& operator=(const AutoHideOn&) = delete;

private:
    static constexpr const wchar_t* kGroup = L"General";
    static constexpr const wchar_t* kKey = L"PartFastRefreshAutoHide";
    bool m_present = false;
    CVyrPreference m_was;
};

}  // namespace

TEST_F(DsGlContextRefreshGLTest, IdleRefreshesOfTwoDocumentsWithDifferentMaterialsDrawNothing)
{
    // A second document (its own context and scene) in its own window, shaded with another
    // material, and the scene database holding a third one, as before a process's first frame.
    CDsGlContext other(41);
    vyrtest::FrameworkWindow otherWindow(kSize, kSize);
    auto otherView = std::make_unique<CDsView3dCdc>(&otherWindow.wnd);
    otherView->SetGlContext(&other);
    other.add_view(otherView.get());
    ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(kSize, kSize).Clip(1, 100).ApplyTo(*otherView);
    other.SetMaterial(CDsMaterialStorage(10, 30, 0, 5, 0));
    CDsAttributes green;
    green.SetColor(0x00FF00);
    const CVyrObjectId square(other.GetScene()->GetDbScene().GetPeerPartId(), 1);
    ASSERT_TRUE(CDsPartStorage::instance()->AddItem(square, kLineType, new CSquare(0), nullptr, &green, nullptr, nullptr,
                                                    true));
    AddLine(1, 10, 0x0000FF);
    CDsPartStorage::instance()->SetDefaultMaterial(0.5f, 0.5f, 0.5f, 1.0f, 0.0f);

    for (CDsView3dCdc* view : {view_.get(), otherView.get()}) view->SetRenderMode(eRenderShade);  // first frames
    const int drawn = gDraws;
    const int frames = recorder_.Count(10);
    for (int round = 0; round < 3; ++round) {
        view_->refresh();
        otherView->refresh();
        EXPECT_EQ(gDraws, drawn) << "idle round " << round;
    }
    EXPECT_EQ(recorder_.Count(10), frames);  // no frame, only the saved pictures again
    // Each view still shows its own picture.
    ASSERT_TRUE(context_.MakeCurrent(view_.get()));
    EXPECT_TRUE(RowHas(GL_FRONT, Row(10), Rgb{255, 0, 0}));
    ASSERT_TRUE(other.MakeCurrent(otherView.get()));
    EXPECT_GT(ReadPixel(GL_FRONT, 50, 50).g, 0);

    // A real change still redraws; once drawn, the next refreshes are idle again.
    AddLine(2, -30, 0x0000FF);
    view_->refresh();
    EXPECT_GT(gDraws, drawn);
    ASSERT_TRUE(context_.MakeCurrent(view_.get()));
    EXPECT_TRUE(RowHas(GL_FRONT, Row(-30), Rgb{255, 0, 0}));
    otherView->refresh();
    const int afterChange = gDraws;
    view_->refresh();
    otherView->refresh();
    EXPECT_EQ(gDraws, afterChange);

    // So does a new material of a document: its view shows it at its next refresh.
    ASSERT_TRUE(other.MakeCurrent(otherView.get()));
    const Rgb before = ReadPixel(GL_FRONT, 50, 50);
    other.SetMaterial(CDsMaterialStorage(255, 255, 0, 5, 0));
    otherView->refresh();
    EXPECT_GT(gDraws, afterChange);
    ASSERT_TRUE(other.MakeCurrent(otherView.get()));
    const Rgb after = ReadPixel(GL_FRONT, 50, 50);
    EXPECT_GT(after.g, before.g + 40) << int(before.g) << " -> " << int(after.g);

    otherView.reset();
    CDsPartStorage::instance()->RemoveItem(square, nullptr);
    items_.push_back(2);
}

TEST_F(DsGlContextRefreshGLTest, AFastFrameMovesTheAutoHideThresholdOneStepInEveryRenderMode)
{
    AutoHideOn autoHide;
    AddLine(1, 10, 0x0000FF);
    vyrtest::FakeClock clock(1000);
    gClock = &clock;
    for (ERenderMode mode : {eRenderWireframe, eRenderHiddenLines, eRenderPartialHiddenLines, eRenderShade, eRenderMixed}) {
        view_->SetRenderMode(mode);
        view_->SetFlag(eDsViewFlagFastRefresh, true);
        // A fast frame of 100 ms: the fast-refresh rate is 10, below the low bound of 15.
        gFrameMilliseconds = 100;
        view_->refresh();
        EXPECT_FLOAT_EQ(view_->GetLastZprFPS(), 10.0f) << mode;
        // Each further frame at that rate makes the threshold 1.25 times as large, once.
        view_->SetMaxDiagonalSizeForFastRefresh(8.0f);
        gFrameMilliseconds = 100;
        view_->refresh();
        EXPECT_FLOAT_EQ(view_->GetMaxDiagonalSizeForFastRefresh(), 10.0f) << mode;
        gFrameMilliseconds = 100;
        view_->refresh();
        EXPECT_FLOAT_EQ(view_->GetMaxDiagonalSizeForFastRefresh(), 12.5f) << mode;
        view_->SetFlag(eDsViewFlagFastRefresh, false);
    }
    gFrameMilliseconds = 0;
    gClock = nullptr;
}

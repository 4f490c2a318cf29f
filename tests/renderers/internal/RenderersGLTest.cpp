// The renderers in a window, read back from its back buffer: a face with its outline and a wire
// behind the face, seen from the front. Hidden lines remove the wire where the face covers it
// (mode 1) or dim it there (mode 2), wireframe draws it whole and no face, the shaded mode lights
// the face (or colours it in a drawing sheet) and draws the outline over it. What each renderer
// leaves of the OpenGL state, the wireframe frame of one view while another is the current view,
// and a plot that draws into its driver and leaves OpenGL untouched.
#include "DsPlotRenderer.h"
#include "DsRendererHiddenLine.h"
#include "DsRendererShade.h"
#include "DsRendererWireframe.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"
#include "../../scene_db/SceneTestSupport.h"

#include "DsDrawContext.h"
#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsManager.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "TestResets.h"
#include "ViewSetup.h"
#include "VyrPdmServer.h"
#include "driver_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

namespace {

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

using Segment = std::array<float, 6>;
using Quad = std::array<float, 12>;

// A geometry of lines (kind 2) and quads facing +z (kind 4), drawn in immediate mode, or through
// the view's own drawing (quads as closed outlines). Kinds 1, 16 and 32 draw a point in pixels.
class CShapeGeometry : public CDsGeometry {
public:
    CShapeGeometry(int primitives, std::vector<Segment> lines, std::vector<Quad> quads = {})
        : m_primitives(primitives), m_lines(std::move(lines)), m_quads(std::move(quads))
    {
    }
    CDsGeometry* Clone() const override { return new CShapeGeometry(m_primitives, m_lines, m_quads); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox&, int) const override { return false; }
    bool HasBoundBox(int) const override { return false; }
    int GetDrawPrimitives(int) const override { return m_primitives; }
    int Draw(view3d& view, eDrawPrimitives kind, int, int, const CDsDrawContext*) override
    {
        if (kind == eDpLines)
            for (const Segment& s : m_lines) view.draw_polyline_3d(2, s.data(), 0);
        if (kind == eDpFaces)
            for (const Quad& q : m_quads) view.draw_polyline_3d(4, q.data(), 1);
        return 1;
    }
    void DrawGl(view3d&, eDrawPrimitives kind, int, int, const CDsDrawContext*) override
    {
        if (kind == eDpLines) {
            glBegin(GL_LINES);
            for (const Segment& s : m_lines) {
                glVertex3f(s[0], s[1], s[2]);
                glVertex3f(s[3], s[4], s[5]);
            }
            glEnd();
        } else if (kind == eDpFaces) {
            glBegin(GL_QUADS);
            glNormal3f(0, 0, 1);
            for (const Quad& q : m_quads)
                for (int i = 0; i < 4; ++i) glVertex3f(q[3 * i], q[3 * i + 1], q[3 * i + 2]);
            glEnd();
        } else if (kind == eDpPoints || kind == eDpBitmaps || kind == eDpTexts) {
            glBegin(GL_POINTS);
            glVertex3f(2.5f, 2.5f, 0.0f);
            glEnd();
        }
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

private:
    int m_primitives;
    std::vector<Segment> m_lines;
    std::vector<Quad> m_quads;
};

// A face and a line (kinds 4 and 2) that note, as each is drawn, whether a vertex program is on.
class CProgramProbeGeometry : public CShapeGeometry {
public:
    CProgramProbeGeometry(std::vector<Segment> lines, std::vector<Quad> quads)
        : CShapeGeometry(CDsGeometry::eDpFaces | CDsGeometry::eDpLines, std::move(lines), std::move(quads))
    {
    }
    CDsGeometry* Clone() const override { return new CProgramProbeGeometry(*this); }
    void DrawGl(view3d& view, eDrawPrimitives kind, int first, int last, const CDsDrawContext* record) override
    {
        (kind == eDpFaces ? faceProgram : lineProgram) = glIsEnabled(GL_VERTEX_PROGRAM_ARB) == GL_TRUE;
        CShapeGeometry::DrawGl(view, kind, first, last, record);
    }
    static bool faceProgram;
    static bool lineProgram;
};
bool CProgramProbeGeometry::faceProgram = false;
bool CProgramProbeGeometry::lineProgram = false;

// A driver that records the polylines it is given with its pen colour.
class PolylineDriver : public driver_context {
public:
    PolylineDriver() { set_viewport(0, 0, 100, 100); }
    int draw_polyline_3d(int n, const float*, int closed) override
    {
        polylines.push_back({n, closed, get_foreground_rgb().windows_color(), width});
        return 0;
    }
    void set_line_width(int w) override
    {
        width = w;
        driver_context::set_line_width(w);
    }
    struct SPolyline {
        int points;
        int closed;
        unsigned long color;
        int width;
    };
    int width = 0;
    std::vector<SPolyline> polylines;
};

const Rgb kBlack{0, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kDimGreen{128, 255, 128};
const Rgb kYellow{255, 255, 0};

// The view: 100 x 100 pixels looking down -z from (0, 0, 50) at 25 x 25 units, so model (x, y)
// is pixel (50 + 4x, 50 + 4y). The face covers pixels 30 to 69 both ways at z = 0, its outline
// runs through the pixels of columns and rows 30 and 69, and the wire through row 50 from pixel 10
// to 89 at z = -5, behind the face.
class RenderersGLTest : public CSceneDbTest {
protected:
    static constexpr int kSize = 100;

    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        SetTestCategories();
        VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
        view_ = vyrtest::ViewOn(window_, context_, kSize, kSize);
        Camera(*view_);
        ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view_.get());
        Prepare();
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
        VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPdmServer::ResetForTests);
    }
    static void Camera(view3d& view)
    {
        vyrtest::ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(25, 25).Clip(1, 100).ApplyTo(view);
    }
    // The frame's set-up: projection, depth test on, a cleared picture; lighting off until a test
    // lights the scene.
    void Prepare()
    {
        view_->SetupRenderingTransforms(false, true, false, nullptr);
        glDisable(GL_LIGHTING);
        vyrtest::Clear(kBlack);
    }
    // One directional light of white diffuse light from `direction` (eye space), nothing else,
    // as the scene's light model would send it.
    static void Light(float x, float y, float z)
    {
        const GLfloat direction[4] = {x, y, z, 0.0f};
        const GLfloat white[4] = {1, 1, 1, 1};
        const GLfloat none[4] = {0, 0, 0, 1};
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glLightfv(GL_LIGHT0, GL_POSITION, direction);
        glPopMatrix();
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glLightfv(GL_LIGHT0, GL_AMBIENT, none);
        glLightfv(GL_LIGHT0, GL_SPECULAR, none);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
        glEnable(GL_LIGHT0);
    }

    int Peer() { return context_.GetScene()->GetDbScene().GetPeerPartId(); }
    void Add(int id, CDsGeometry* geometry, unsigned color)
    {
        CDsAttributes attributes;
        attributes.SetColor(color);
        ASSERT_TRUE(CDsPartStorage::instance()->AddItem(CVyrObjectId(Peer(), id), kLeafType, geometry, nullptr,
                                                        &attributes, nullptr, nullptr, true));
    }
    // The face (red), its outline (yellow) and the wire behind it (green).
    void BuildScene()
    {
        Add(1, new CShapeGeometry(CDsGeometry::eDpFaces, {}, {Quad{-5, -5, 0, 5, -5, 0, 5, 5, 0, -5, 5, 0}}), 0x0000FF);
        const float e = 4.875f;
        Add(2,
            new CShapeGeometry(CDsGeometry::eDpLines, {Segment{-e, -e, 0, e, -e, 0}, Segment{e, -e, 0, e, e, 0},
                                                       Segment{e, e, 0, -e, e, 0}, Segment{-e, e, 0, -e, -e, 0}}),
            0x00FFFF);
        Add(3, new CShapeGeometry(CDsGeometry::eDpLines, {Segment{-10, 0.125f, -5, 10, 0.125f, -5}}), 0x00FF00);
    }
    // One frame of `renderer` over the whole model, read back.
    void Frame(CDsRendererBase&& renderer, view3d* view = nullptr)
    {
        const int viewport[4] = {0, kSize, kSize, 0};
        CDsDrawContext record(view ? view : view_.get(), false, 0.05);
        renderer.Render(nullptr, true, viewport, &record);
        glFinish();
    }
    static Rgb At(int x, int y) { return ReadPixel(GL_BACK, x, y); }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::PlainWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
};

}  // namespace

TEST_F(RenderersGLTest, HiddenLinesRemoveTheWireBehindTheFaceInMode1AndDimItInMode2)
{
    BuildScene();
    view_->view3d::SetRenderMode(eRenderHiddenLines);
    Frame(CDsRendererHiddenLine(view_.get(), context_.GetScene()));
    EXPECT_TRUE(ColorNear(At(50, 50), kBlack, 40)) << "the wire behind the face";
    EXPECT_TRUE(ColorNear(At(20, 50), kGreen, 40));
    EXPECT_TRUE(ColorNear(At(80, 50), kGreen, 40));
    EXPECT_TRUE(ColorNear(At(50, 40), kBlack, 40)) << "faces go into the depth buffer only";
    for (int x = 32; x <= 67; ++x) EXPECT_TRUE(ColorNear(At(x, 30), kYellow, 40)) << "the outline on the face, x " << x;

    Prepare();
    view_->view3d::SetRenderMode(eRenderPartialHiddenLines);
    Frame(CDsRendererHiddenLine(view_.get(), context_.GetScene()));
    for (int x = 32; x <= 67; x += 5) EXPECT_TRUE(ColorNear(At(x, 50), kDimGreen, 20)) << "dimmed behind, x " << x;
    EXPECT_TRUE(ColorNear(At(20, 50), kGreen, 20)) << "in its own colour where nothing covers it";
    EXPECT_TRUE(ColorNear(At(80, 50), kGreen, 20));
    EXPECT_TRUE(ColorNear(At(50, 40), kBlack, 40));
    for (int x = 32; x <= 67; ++x) EXPECT_TRUE(ColorNear(At(x, 30), kYellow, 40)) << "the outline on the face, x " << x;
}

TEST_F(RenderersGLTest, WireframeDrawsTheWireWholeAndNoFace)
{
    BuildScene();
    Frame(CDsRendererWireframe(view_.get(), context_.GetScene()));
    for (int x = 12; x <= 88; x += 4) EXPECT_TRUE(ColorNear(At(x, 50), kGreen, 20)) << "x " << x;
    EXPECT_TRUE(ColorNear(At(50, 40), kBlack, 20));
    EXPECT_TRUE(ColorNear(At(50, 30), kYellow, 20));
    EXPECT_TRUE(ColorNear(At(30, 50), kYellow, 20));
}

TEST_F(RenderersGLTest, ShadeLightsTheFaceHidesTheWireAndDrawsTheOutlineOverTheFace)
{
    BuildScene();
    Light(0, 0, 1);  // from the viewer
    Frame(CDsRendererShade(view_.get(), context_.GetScene()));
    const Rgb front = At(50, 40);
    EXPECT_GT(front.r, 150) << front;
    EXPECT_LT(front.g, 40) << front;
    EXPECT_LT(front.b, 40) << front;
    EXPECT_TRUE(ColorNear(At(50, 50), front, 6)) << "the wire behind the face is hidden";
    EXPECT_TRUE(ColorNear(At(20, 50), kGreen, 20));
    for (int x = 32; x <= 67; ++x) EXPECT_TRUE(ColorNear(At(x, 30), kYellow, 40)) << "the outline over the face, x " << x;
    for (int y = 32; y <= 67; ++y) EXPECT_TRUE(ColorNear(At(69, y), kYellow, 40)) << "the outline over the face, y " << y;

    // Lit from the side the same face is dark: it is lit, not coloured.
    Prepare();
    Light(1, 0, 0);
    Frame(CDsRendererShade(view_.get(), context_.GetScene()));
    EXPECT_LT(At(50, 40).r, 40) << At(50, 40);

    // In a drawing sheet the face takes its own colour, whatever the light.
    ASSERT_TRUE(CVyrPdmServer::StInstance()->OpenDocument(CVyrRunTimeDocId(Peer()), CVyrRunTimeDocId::sTypeSheet));
    Prepare();
    Light(1, 0, 0);
    Frame(CDsRendererShade(view_.get(), context_.GetScene()));
    EXPECT_TRUE(ColorNear(At(50, 40), Rgb{255, 0, 0}, 3));
    EXPECT_TRUE(ColorNear(At(50, 30), kYellow, 40));
}

TEST_F(RenderersGLTest, EveryRendererLeavesTheMatrixStacksBalancedAndNoErrorAndHiddenLinesTheirSwitches)
{
    BuildScene();
    // A moved instance of a part with a face, a line and the screen kinds, so that the walks push
    // model and pixel matrices.
    const int sub = 800;
    CDsPartStorage* storage = CDsPartStorage::instance();
    storage->CreatePart(sub);
    CDsAttributes white;
    white.SetColor(0xFFFFFF);
    ASSERT_TRUE(storage->AddItem(
        CVyrObjectId(sub, 1), kLeafType,
        new CShapeGeometry(0x37, {Segment{-4, 0, 0, -2, 0, 0}}, {Quad{-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0}}), nullptr,
        &white, nullptr, nullptr, true));
    const CDsTransform moved(translate_transf(SPAvector(0, 8.125, 1)));
    ASSERT_TRUE(storage->AddPartInstance(CVyrObjectId(Peer(), 9), sub, &moved, nullptr, true));

    auto integer = [](GLenum name) {
        GLint value = -1;
        glGetIntegerv(name, &value);
        return value;
    };
    const int modelview = integer(GL_MODELVIEW_STACK_DEPTH);
    const int projection = integer(GL_PROJECTION_STACK_DEPTH);
    const int mode = integer(GL_MATRIX_MODE);
    auto check = [&](const char* which) {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << which;
        EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), modelview) << which;
        EXPECT_EQ(integer(GL_PROJECTION_STACK_DEPTH), projection) << which;
        EXPECT_EQ(integer(GL_MATRIX_MODE), mode) << which;
        EXPECT_TRUE(ColorNear(At(38, 82), Rgb{255, 255, 255}, 40)) << which << ": the moved instance's line";
    };
    view_->SetSilhouetteLevel(eDsSilhouetteAll);
    Frame(CDsRendererWireframe(view_.get(), context_.GetScene()));
    check("wireframe");
    Prepare();
    Light(0, 0, 1);
    Frame(CDsRendererShade(view_.get(), context_.GetScene()));
    check("shade");
    for (ERenderMode hl : {eRenderHiddenLines, eRenderPartialHiddenLines}) {
        Prepare();
        glDisable(GL_DEPTH_TEST);
        view_->view3d::SetRenderMode(hl);
        Frame(CDsRendererHiddenLine(view_.get(), context_.GetScene()));
        check(hl == eRenderHiddenLines ? "hidden lines" : "partial hidden lines");
        GLboolean mask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
        glGetBooleanv(GL_COLOR_WRITEMASK, mask);
        EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]);
        EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    }
}

TEST_F(RenderersGLTest, AWireframeFrameOfAViewThatIsNotTheCurrentOneStaysInItsOwnContext)
{
    BuildScene();
    CDsManager* manager = CDsManager::GetInstance();
    const bool monochrome = manager->GetFlag(12);
    manager->SetFlag(12, true);  // so that the renderer asks the current view's context
    vyrtest::PlainWindow otherWindow(kSize, kSize);
    std::unique_ptr<CDsView3dCdc> other = vyrtest::ViewOn(otherWindow, context_, kSize, kSize);
    Camera(*other);
    ASSERT_EQ(CDsView3dCdc::sCurrentView, other.get());  // the newest view is the current one

    CDsView3dCdc::StMakeGlCurrentView(view_.get());
    ASSERT_EQ(wglGetCurrentContext(), vyrtest::ContextOf(*view_));
    Prepare();
    Frame(CDsRendererWireframe(view_.get(), context_.GetScene()));
    EXPECT_EQ(wglGetCurrentContext(), vyrtest::ContextOf(*view_)) << "the frame moved to the current view's context";
    EXPECT_TRUE(ColorNear(At(20, 50), kGreen, 40));

    manager->SetFlag(12, monochrome);
    context_.remove_view(other.get());
    other.reset();
    CDsView3dCdc::StMakeGlCurrentView(view_.get());
}

TEST_F(RenderersGLTest, WithShaderProgramsTheShadedFrameLightsTheFaceByThemAndSwitchesThemOffAfterwards)
{
    BuildScene();
    // A second face, drawn after the lines, so that the walk's last kind is a face.
    Add(4, new CShapeGeometry(CDsGeometry::eDpFaces, {}, {Quad{7, 7, 0, 10, 7, 0, 10, 10, 0, 7, 10, 0}}), 0x0000FF);
    const bool flag13 = CDsManager::GetInstance()->GetFlag(13);
    CVyrString message;
    CDsManager::GetInstance()->InitShaders(message);
    ASSERT_TRUE(CDsManager::GetInstance()->IsShaderSupported());
    CDsManager::GetInstance()->SetFlag(13, true);
    ASSERT_TRUE(context_.LoadShaders());
    ASSERT_TRUE(context_.GetScene()->AllowsShaders());

    // Lit from the side the fixed way the face would be dark; the programs light it from the
    // viewer. The outline is drawn without them, in its own colour.
    Light(1, 0, 0);
    const int viewport[4] = {0, kSize, kSize, 0};
    context_.GetScene()->Render(eRenderShade, nullptr, true, viewport, view_.get());
    glFinish();
    EXPECT_TRUE(ColorNear(At(50, 40), Rgb{255, 0, 0}, 3)) << At(50, 40);
    EXPECT_TRUE(ColorNear(At(20, 50), kGreen, 20));
    for (int x = 32; x <= 67; x += 5) EXPECT_TRUE(ColorNear(At(x, 30), kYellow, 40)) << "the outline, x " << x;
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_PROGRAM_ARB)) << "no program stays on after the frame";
    EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));

    // The programs are on while faces draw and off while lines do.
    Add(5, new CProgramProbeGeometry({Segment{-9, -9, 1, -7, -9, 1}}, {Quad{-10, 7, 0, -7, 7, 0, -7, 10, 0, -10, 10, 0}}),
        0x00FFFF);
    CProgramProbeGeometry::faceProgram = false;
    CProgramProbeGeometry::lineProgram = true;
    Prepare();
    context_.GetScene()->Render(eRenderShade, nullptr, true, viewport, view_.get());
    EXPECT_TRUE(CProgramProbeGeometry::faceProgram);
    EXPECT_FALSE(CProgramProbeGeometry::lineProgram);

    // A view that asks for the fixed lights (document flag 1) gets them.
    Prepare();
    Light(1, 0, 0);
    view_->SetDocumentFlag(static_cast<EDsDocumentFlag>(1), true);
    context_.GetScene()->Render(eRenderShade, nullptr, true, viewport, view_.get());
    glFinish();
    EXPECT_LT(At(50, 40).r, 40) << At(50, 40);
    view_->SetDocumentFlag(static_cast<EDsDocumentFlag>(1), false);

    CDsManager::GetInstance()->SetFlag(13, false);
    context_.LoadShaders();
    CDsManager::GetInstance()->SetFlag(13, flag13);
}

TEST_F(RenderersGLTest, APlotDrawsIntoItsDriverAndLeavesOpenGLAsItWas)
{
    BuildScene();
    auto* driver = new PolylineDriver;
    delete view_->set_driver_context(driver);
    CDsView3dCdc::StSetPlotMode(ePlotModeColors);
    glColor3f(0.2f, 0.4f, 0.6f);
    glLineWidth(3.0f);

    CDsPlotRenderer(view_.get(), context_.GetScene(), false).Render(nullptr, true, nullptr, nullptr);
    glFinish();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    GLfloat color[4] = {0, 0, 0, 0};
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_NEAR(color[0], 0.2f, 1e-3);
    EXPECT_NEAR(color[1], 0.4f, 1e-3);
    EXPECT_NEAR(color[2], 0.6f, 1e-3);
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_FLOAT_EQ(width, 3.0f);
    for (int y = 0; y < kSize; y += 3)
        for (int x = 0; x < kSize; x += 3) ASSERT_TRUE(ColorNear(At(x, y), kBlack, 0)) << x << ", " << y;

    // The face (an untagged geometry) as one closed outline, the outline's four lines, the wire.
    ASSERT_EQ(driver->polylines.size(), 6u);
    int faces = 0, yellow = 0, green = 0;
    for (const auto& p : driver->polylines) {
        faces += p.points == 4 && p.closed && p.color == 0x0000FF;
        yellow += p.points == 2 && p.color == 0x00FFFF;
        green += p.points == 2 && p.color == 0x00FF00;
    }
    EXPECT_EQ(faces, 1);
    EXPECT_EQ(yellow, 4);
    EXPECT_EQ(green, 1);
}

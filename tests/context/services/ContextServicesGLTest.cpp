// The context's services read back as pixels and answers: drawing items into the front buffers
// only, a bitmap drawn by draw_to_bitmap, mesh interfaces of bodies and copies, statistics, item
// transformations and copies, the scene box measured again, a detached body attached to its reloaded
// entity, fitting a view to a selection, the lamps of the lights, the thread figures of edges, and
// the neutral answers for what is missing.
#include "DsAcisPick.h"
#include "DsColorStorage.h"
#include "DsDocAttributesManager.h"
#include "DsDriverGl.h"
#include "DsFigPoly3D.h"
#include "DsFigQuadric.h"
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsGlGroupIterator.h"
#include "DsGlScene.h"
#include "DsItemEdge.h"
#include "DsItemLamp.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsFace.h"
#include "DsItemsFigure.h"
#include "DsLight.h"
#include "DsLightList.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPickProccessor.h"
#include "DsPickedFaces.h"
#include "DsRefPoint.h"
#include "DsSetEntityType.h"
#include "DsSelectAllData.h"
#include "DsStatisticsItems.h"
#include "DsTypeMask.h"
#include "DsView3dCdc.h"
#include "GlHostState.h"
#include "GlTestFixture.h"
#include "GmPosition.h"
#include "UiPickEvent.h"
#include "VyrAsExt.h"
#include "VyrAttManager.h"
#include "VyrBodyGeometry.h"
#include "VyrEntInstance.h"
#include "VyrIndexedMesh.h"
#include "VyrPdmClntLayer.h"
#include "VyrPdmServer.h"
#include "VyrRunTimeDocId.h"
#include "TestResets.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include "SpaBuilders.h"
#include "SpaExtras.h"
#include "SpaFilters.h"
#include "SpaTopology.h"
#include "pick_manager.h"
#include "rgb_color.h"
#include "view_context.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 100;

std::vector<ENTITY*> Entities(ENTITY_LIST& list)
{
    std::vector<ENTITY*> out;
    list.init();
    while (ENTITY* e = list.next()) out.push_back(e);
    return out;
}

// How many pixels of `buffer` of the current OpenGL context are not black.
int LitPixels(GLenum buffer, int w = kSize, int h = kSize)
{
    std::vector<unsigned char> rgb(static_cast<size_t>(w * h * 3));
    glFinish();
    glReadBuffer(buffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    int lit = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) lit += rgb[i] + rgb[i + 1] + rgb[i + 2] > 40;
    return lit;
}

// How many pixels of the rectangle [x0, x1) x [y0, y1) (rows counted up) of `buffer` are lit.
int LitPixelsIn(GLenum buffer, int x0, int y0, int x1, int y1)
{
    const int w = x1 - x0, h = y1 - y0;
    std::vector<unsigned char> rgb(static_cast<size_t>(w * h * 3));
    glFinish();
    glReadBuffer(buffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x0, y0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    int lit = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) lit += rgb[i] + rgb[i + 1] + rgb[i + 2] > 40;
    return lit;
}

// An orange pixel as the lit block shows it: red well above blue.
bool LitOrange(const Rgb& c)
{
    return c.r > 100 && c.r > c.b + 60;
}

// Clears both buffers of the current OpenGL context to black.
void ClearBoth()
{
    glDrawBuffer(GL_FRONT_AND_BACK);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDrawBuffer(GL_BACK);
    glFinish();
}

class ContextServicesGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        view_ = MakeView(window_);
        block_ = make_block(-20, -10, -10, 20, 10, 10);
        ASSERT_NE(block_, nullptr);
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        for (BODY* body : shown_) VyrHideBody(&context_, body, ItemIdOf(body));
        views_.clear();
        view_.reset();
        for (ENTITY* e : lose_) e->lose();
        if (block_) block_->lose();
        wglMakeCurrent(nullptr, nullptr);
    }
    std::unique_ptr<CDsView3dCdc> MakeView(vyrtest::FrameworkWindow& window)
    {
        auto view = std::make_unique<CDsView3dCdc>(&window.wnd);
        view->SetGlContext(&context_);
        context_.add_view(view.get());
        // Looking down -z at a 100 x 100 model-unit field: one unit a pixel.
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300).ApplyTo(*view);
        view->SetRenderMode(eRenderShade);
        return view;
    }
    int ItemIdOf(BODY* body) const
    {
        for (size_t i = 0; i < shown_.size(); ++i)
            if (shown_[i] == body) return static_cast<int>(i) + 1;
        return 0;
    }
    void Show(BODY* body)
    {
        CDsAttributes look;
        look.SetColor(0x00C0FF);  // orange (0x00BBGGRR)
        shown_.push_back(body);
        ASSERT_TRUE(VyrShowBody(&context_, body, ItemIdOf(body), &look));
    }
    // An instance of the block moved by `t`: its copy body.
    ENTITY* CopyOfBlock(const SPAtransf& t)
    {
        auto* instance = new CVyrEntInstance(block_, t);
        lose_.push_back(instance);
        ENTITY_LIST copies;
        instance->GetEntities(copies);
        return copies.count() == 1 ? copies[0] : nullptr;
    }
    // The block shown with a copy of it 30 units up (rows 70 to 90) that the context files; null
    // when the context made none.
    CDsItemsCopy* ShowBlockAndCopy(ENTITY*& copyBody)
    {
        context_.add(block_);
        copyBody = CopyOfBlock(translate_transf(SPAvector(0, 30, 0)));
        context_.AddCopy(copyBody);
        return dynamic_cast<CDsItemsCopy*>(context_.FindDsItem(copyBody));
    }
    // Both buffers of the view cleared and `entity` drawn into the front buffers only; the view's
    // OpenGL context is current afterwards.
    void DrawToFrontOnly(ENTITY* entity)
    {
        EXPECT_TRUE(context_.MakeCurrent(view_.get()));
        ClearBoth();
        context_.DrawToFrontBuffers(entity);
        EXPECT_TRUE(context_.MakeCurrent(view_.get()));
    }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::FrameworkWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    std::vector<std::unique_ptr<CDsView3dCdc>> views_;
    BODY* block_ = nullptr;
    std::vector<BODY*> shown_;
    std::vector<ENTITY*> lose_;
};

}  // namespace

// --- Settings and lights ------------------------------------------------------------------------

TEST_F(ContextServicesGLTest, OpenEdgesSwitchOnceAndLightsBeyondSevenAreNone)
{
    CDsGlScene* scene = context_.GetScene();
    context_.SetOpenEdgesMode(true);
    EXPECT_TRUE(context_.GetOpenEdgesMode());
    EXPECT_FALSE(scene->IsPicturePropsValid());
    // The second call finds the mode on and changes nothing: the picture stays valid.
    scene->SetPicturePropsValid(true);
    context_.SetOpenEdgesMode(true);
    EXPECT_TRUE(scene->IsPicturePropsValid());
    context_.SetOpenEdgesMode(false);
    EXPECT_FALSE(context_.GetOpenEdgesMode());
    EXPECT_FALSE(context_.GetDuplicateEdgesMode());

    EXPECT_EQ(context_.GetLight(8), nullptr);
    EXPECT_EQ(context_.GetLight(-1), nullptr);
    EXPECT_NE(context_.GetLight(7), nullptr);
    EXPECT_FALSE(context_.GetAutoHideMode());
    context_.SetPictureNumberTransView(12);
    EXPECT_EQ(context_.GetPictureNumberTransView(), 12);
}

// --- Drawing outside a refresh ------------------------------------------------------------------

TEST_F(ContextServicesGLTest, ExecuteToFrontBufferDrawsIntoTheFrontOnlyAndGivesTheCameraBack)
{
    context_.add(block_);
    CDsItemsBody* body = context_.FindDsBody(block_);
    ASSERT_NE(body, nullptr);
    // A sphere lamp of size 15 at the origin, in white.
    CDsItemLamp lamp;
    lamp.SetType(eDsQuadSphere);
    lamp.SetSize(15);
    const float origin[3] = {0, 0, 0};
    lamp.SetPosition(origin);
    lamp.SetColor(CDsColorStorage(0xFF, 0xFF, 0xFF), false);
    ASSERT_TRUE(context_.MakeCurrent(view_.get()));
    view_->SetupRenderingTransforms(false, true, true, nullptr);
    ClearBoth();

    // Phase 1 alone draws without touching the draw buffer.
    glDrawBuffer(GL_BACK);
    context_.ExecuteToFrontBuffer(&lamp, view_.get(), rgb_color(), 0, eGlDrawingPhaseDraw);
    GLint buffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &buffer);
    EXPECT_EQ(buffer, GL_BACK);
    ClearBoth();

    view_context pen = view_->view_context();
    pen.line_width = 3;
    view_->set_view_context(pen);
    context_.ExecuteToFrontBuffer(&lamp, view_.get(), rgb_color(), 0, eGlDrawingPhaseStart);
    glGetIntegerv(GL_DRAW_BUFFER, &buffer);
    EXPECT_EQ(buffer, GL_FRONT);
    // The pen changed meanwhile (as the items' drawing changes it) comes back at the end.
    pen.line_width = 7;
    pen.model_transforms.push_back(translate_transf(SPAvector(1, 0, 0)));
    view_->set_view_context(pen);
    context_.ExecuteToFrontBuffer(&lamp, view_.get(), rgb_color(), 0, eGlDrawingPhaseDraw);
    context_.ExecuteToFrontBuffer(nullptr, view_.get(), rgb_color(), 0, eGlDrawingPhaseEnd);
    glGetIntegerv(GL_DRAW_BUFFER, &buffer);
    EXPECT_EQ(buffer, GL_BACK);
    EXPECT_EQ(LitPixels(GL_BACK), 0);  // nothing of the batch in the back buffer
    EXPECT_EQ(view_->view_context().line_width, 3);
    EXPECT_TRUE(view_->view_context().model_transforms.empty());

    // Without a view, or while the display is suspended, nothing is drawn.
    ClearBoth();
    context_.ExecuteToFrontBuffer(&lamp, nullptr, rgb_color(), 0, eGlDrawingPhaseStart);
    context_.PushDisplaySuspension();
    context_.ExecuteToFrontBuffer(&lamp, view_.get(), rgb_color(), 0, eGlDrawingPhaseDraw);
    context_.PopDisplaySuspension();
    ASSERT_TRUE(context_.MakeCurrent(view_.get()));
    EXPECT_EQ(LitPixels(GL_FRONT), 0);
    EXPECT_EQ(LitPixels(GL_BACK), 0);
}

TEST_F(ContextServicesGLTest, ExecuteToFrontBufferPutsABodysShadedFacesIntoTheFrontOnlyWhereTheBodyIs)
{
    context_.add(block_);
    CDsItemsBody* body = context_.FindDsBody(block_);
    ASSERT_NE(body, nullptr);
    body->SetColor(CDsColorStorage(0xFF, 0xC0, 0x00), true);
    ASSERT_TRUE(context_.MakeCurrent(view_.get()));
    ClearBoth();

    context_.ExecuteToFrontBuffer(nullptr, view_.get(), rgb_color(), 0, eGlDrawingPhaseStart);
    context_.ExecuteToFrontBuffer(body, view_.get(), rgb_color(), 0, eGlDrawingPhaseDraw);
    context_.ExecuteToFrontBuffer(nullptr, view_.get(), rgb_color(), 0, eGlDrawingPhaseEnd);
    // The block's faces fill its outline (x 30..70, y 40..60) in the front buffer; nothing is in
    // the back buffer, nothing outside the outline.
    EXPECT_EQ(LitPixelsIn(GL_FRONT, 32, 42, 68, 58), 36 * 16);
    EXPECT_TRUE(LitOrange(ReadPixel(GL_FRONT, 50, 50)));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 50, 80), Rgb{0, 0, 0}, 20));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 15, 50), Rgb{0, 0, 0}, 20));
    EXPECT_EQ(LitPixels(GL_BACK), 0);

    // Drawn alone, the body stands where its transformation puts it.
    SPAtransf move = translate_transf(SPAvector(30, 0, 0));
    context_.TransformGeometry(block_, move);
    ASSERT_TRUE(context_.MakeCurrent(view_.get()));
    ClearBoth();
    context_.ExecuteToFrontBuffer(body, view_.get(), rgb_color(), 0, eGlDrawingPhaseStart);
    context_.ExecuteToFrontBuffer(nullptr, view_.get(), rgb_color(), 0, eGlDrawingPhaseEnd);
    EXPECT_TRUE(LitOrange(ReadPixel(GL_FRONT, 80, 50)));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 35, 50), Rgb{0, 0, 0}, 20));
    EXPECT_EQ(LitPixels(GL_BACK), 0);
}

TEST_F(ContextServicesGLTest, DrawToFrontBuffersDrawsAHighlightedBodyIntoEveryViewsFrontBufferOnly)
{
    vyrtest::FrameworkWindow second(kSize, kSize);
    views_.push_back(MakeView(second));
    context_.add(block_);
    CDsItemsBody* body = context_.FindDsBody(block_);
    ASSERT_NE(body, nullptr);
    body->SetVisibility(eVisibilityHighlight, true, true, nullptr);
    for (CDsView3dCdc* view : {view_.get(), views_[0].get()}) {
        ASSERT_TRUE(context_.MakeCurrent(view));
        ClearBoth();
    }
    CDsView3dCdc::StSetCurrent(view_.get(), false);

    context_.DrawToFrontBuffers(block_);
    EXPECT_TRUE(context_.GetClearBufferMode());
    EXPECT_EQ(CDsView3dCdc::sCurrentView, view_.get());
    for (CDsView3dCdc* view : {view_.get(), views_[0].get()}) {
        ASSERT_TRUE(context_.MakeCurrent(view));
        EXPECT_GT(LitPixels(GL_FRONT), 80);  // the highlighted outline
        EXPECT_EQ(LitPixels(GL_BACK), 0);
    }
    // A face draws its body's group; an entity that is not shown draws nothing.
    BODY* other = make_block(30, 30, 0, 40, 40, 10);
    lose_.push_back(other);
    for (CDsView3dCdc* view : {view_.get(), views_[0].get()}) {
        ASSERT_TRUE(context_.MakeCurrent(view));
        ClearBoth();
    }
    context_.DrawToFrontBuffers(other);
    context_.DrawToFrontBuffers(static_cast<ENTITY*>(nullptr));
    ASSERT_TRUE(context_.MakeCurrent(view_.get()));
    EXPECT_EQ(LitPixels(GL_FRONT), 0);
    ENTITY_LIST faces;
    get_faces(block_, faces);
    context_.DrawToFrontBuffers(Entities(faces).front());
    ASSERT_TRUE(context_.MakeCurrent(view_.get()));
    EXPECT_GT(LitPixels(GL_FRONT), 80);
}

// The scene's front-buffer drawing switches off depth test, lighting and normalising and selects
// the front buffer for its items only: a host drawing on afterwards has its own set-up back.
TEST_F(ContextServicesGLTest, TheScenesFrontBufferDrawingHandsBackTheCallersState)
{
    context_.add(block_);
    CDsItemsBody* body = context_.FindDsBody(block_);
    ASSERT_NE(body, nullptr);
    body->SetVisibility(eVisibilityHighlight, true, true, nullptr);
    ASSERT_TRUE(context_.MakeCurrent(view_.get()));
    view_->SetupRenderingTransforms(false, true, true, nullptr);
    ClearBoth();
    vyrtest::GlHostState host;
    host.drawBuffer = GL_FRONT_AND_BACK;
    host.depthTest = true;
    host.depthFunction = GL_LEQUAL;
    host.lighting = true;
    host.normalize = true;
    host.matrixMode = GL_TEXTURE;
    host.lineWidth = 3.0f;
    host.twoSided = 1;
    host.Apply();
    glMatrixMode(GL_MODELVIEW);  // the items draw in the view's model-view
    host.matrixMode = GL_MODELVIEW;

    context_.GetScene()->DrawToFrontBuffers(view_.get(), {body});
    EXPECT_EQ(vyrtest::GlHostState::Read(), host);
    EXPECT_GT(LitPixels(GL_FRONT), 80);  // the highlighted outline, in the front buffer only
    EXPECT_EQ(LitPixels(GL_BACK), 0);
    // The driver sends the next width, although the restored one went behind its back.
    CDsDriverGl::StSetWidth(2);
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 2.0f);
}

TEST_F(ContextServicesGLTest, DrawToBitmapDrawsTheShadedBlockIntoTheBitmapAndKeepsTheItemMap)
{
    Show(block_);
    CDsItemsBody* shown = context_.FindDsBody(block_);
    ASSERT_NE(shown, nullptr);
    shown->SetColor(CDsColorStorage(0xFF, 0xC0, 0x00), true);  // orange, as the picture shows it
    const size_t groups = context_.GetScene()->GetRootGroup(CDsGlScene::eRootBodies)->Count();
    view_->refresh();  // the window's frame builds the meshes' display lists first

    context_.SetRenderToBitmap(1);
    context_.draw_to_bitmap(view_.get());
    gl_context_data* record = context_.Get_gl_context_data(view_.get());
    ASSERT_NE(record, nullptr);
    ASSERT_NE(record->get_Bitmap(), nullptr);
    ASSERT_TRUE(record->make_current(view_.get()));
    // The block's group reaches the bitmap (before, nothing did), inside its projected outline
    // (x -20..20, y -10..10 about the centre) only; the corners stay the background.
    EXPECT_GT(LitPixels(GL_FRONT), 15);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 50, 80), Rgb{0, 0, 0}, 20));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 10, 50), Rgb{0, 0, 0}, 20));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 90, 90), Rgb{0, 0, 0}, 20));
    // The faces are shaded: every pixel inside the outline is lit in the block's colour.
    EXPECT_EQ(LitPixelsIn(GL_FRONT, 32, 42, 68, 58), 36 * 16);
    EXPECT_TRUE(LitOrange(ReadPixel(GL_FRONT, 50, 50)));
    EXPECT_TRUE(LitOrange(ReadPixel(GL_FRONT, 35, 45)));
    EXPECT_EQ(LitPixelsIn(GL_FRONT, 0, 0, 100, 35), 0);
    context_.SetRenderToBitmap(0);
    CDsGlContext::sCurrentView = nullptr;

    // No display group is left behind, and the shown body is still the item of its entities.
    EXPECT_EQ(context_.GetScene()->GetRootGroup(CDsGlScene::eRootBodies)->Count(), groups);
    EXPECT_EQ(context_.FindDsItem(block_), shown);
    ENTITY_LIST faces;
    get_faces(block_, faces);
    for (ENTITY* face : Entities(faces)) EXPECT_NE(dynamic_cast<CDsItemsFace*>(context_.FindDsItem(face)), nullptr);

    // Without a view or with no entities: nothing drawn, no crash.
    context_.draw_to_bitmap(nullptr);
    CDsGlContext empty;
    empty.draw_to_bitmap(view_.get());  // a view of another context: no record there
}

// --- Meshes and statistics ----------------------------------------------------------------------

TEST_F(ContextServicesGLTest, MeshInterfacesOfBodiesAndCopiesAndTheStatisticsOfABlock)
{
    context_.add(block_);
    CDsItemsBody* body = context_.FindDsBody(block_);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(context_.GetMeshInterface(block_), body->GetMeshInterface());
    ENTITY* copyBody = CopyOfBlock(translate_transf(SPAvector(0, 30, 0)));
    ASSERT_NE(copyBody, nullptr);
    context_.AddCopy(copyBody);
    auto* copy = dynamic_cast<CDsItemsCopy*>(context_.FindDsItem(copyBody));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetCopyMode(), 0);
    EXPECT_EQ(context_.GetMeshInterface(copyBody), body->GetMeshInterface());
    ENTITY_LIST faces;
    get_faces(block_, faces);
    EXPECT_EQ(context_.GetMeshInterface(Entities(faces).front()), nullptr);  // a face item
    EXPECT_EQ(context_.GetMeshInterface(nullptr), nullptr);

    context_.CountStatistics();
    int count = -1, flagged = -1;
    context_.GetStatistics(eDsItemsFace, count, flagged);
    EXPECT_EQ(count, 6);
    context_.GetStatistics(eDsItemEdge, count, flagged);
    EXPECT_EQ(count, 12);
    context_.CleanUpStatistics();
    context_.GetStatistics(eDsItemsFace, count, flagged);
    EXPECT_EQ(count, 0);
    context_.RemoveCopy(copyBody);
    EXPECT_EQ(context_.FindDsItem(copyBody), nullptr);
    delete copy;  // the caller's again
}

// --- Item transformations and copies ------------------------------------------------------------

TEST_F(ContextServicesGLTest, TransformationsOfBodiesAndCopies)
{
    context_.add(block_);
    CDsItemsBody* body = context_.FindDsBody(block_);
    ASSERT_NE(body, nullptr);
    SPAtransf move = translate_transf(SPAvector(5, 0, 0));
    context_.MultiplyTransformation(block_, move);  // a body item: left alone
    SPAtransf got;
    context_.GetTransformation(block_, got);
    EXPECT_NEAR(got.translation().x(), 0, 1e-9);

    ENTITY* copyBody = CopyOfBlock(translate_transf(SPAvector(0, 30, 0)));
    context_.AddCopy(copyBody);
    CDsItemBase* copy = context_.FindDsItem(copyBody);
    context_.AddCopy(copyBody);  // once only
    EXPECT_EQ(context_.FindDsItem(copyBody), copy);
    EXPECT_EQ(context_.GetScene()->GetRootGroup(CDsGlScene::eRootCopies)->Count(), 1);
    context_.MultiplyTransformation(copyBody, move);
    context_.GetTransformation(copyBody, got);
    EXPECT_NEAR(got.translation().x(), 5, 1e-9);
    EXPECT_NEAR(got.translation().y(), 30, 1e-9);

    // An entity not shown leaves the output as it was.
    SPAtransf untouched = translate_transf(SPAvector(1, 2, 3));
    BODY* other = make_block(0, 0, 0, 1, 1, 1);
    lose_.push_back(other);
    context_.GetTransformation(other, untouched);
    context_.GetTransformation(nullptr, untouched);
    EXPECT_NEAR(untouched.translation().z(), 3, 1e-9);
    context_.AddCopy(other);  // not an instance of a shown body: no copy
    EXPECT_EQ(context_.FindDsItem(other), nullptr);
    context_.UpdateCopy(other, block_);  // an unknown entity: nothing
    context_.UpdateCopy(nullptr, nullptr);
    EXPECT_EQ(context_.FindDsItem(block_), body);
}

TEST_F(ContextServicesGLTest, AFaceTransformationEmptiesTheBoxOfACopyWhichTheNextFrameMeasures)
{
    Show(block_);
    ENTITY* copyBody = CopyOfBlock(translate_transf(SPAvector(0, 30, 0)));
    context_.AddCopy(copyBody);
    auto* copy = dynamic_cast<CDsItemsCopy*>(context_.FindDsItem(copyBody));
    ASSERT_NE(copy, nullptr);
    ASSERT_FALSE(copy->GetCopyBox().IsNotComputed());
    ENTITY_LIST faces;
    get_faces(copyBody, faces);
    FACE* face = static_cast<FACE*>(Entities(faces).front());
    SPAtransf lift = translate_transf(SPAvector(0, 0, 4));
    context_.SetFaceTransformation(face, lift);
    EXPECT_TRUE(copy->GetCopyBox().IsNotComputed());
    EXPECT_TRUE(context_.Get(static_cast<EDsDocumentFlag>(13)));
    SPAtransf got;
    ASSERT_TRUE(context_.GetFaceTransformation(face, got));
    EXPECT_NEAR(got.translation().z(), 4, 1e-9);
    view_->refresh();
    EXPECT_FALSE(copy->GetCopyBox().IsNotComputed());

    context_.ResetFaceTransformations(block_);
    EXPECT_FALSE(context_.Get(static_cast<EDsDocumentFlag>(13)));
    ASSERT_TRUE(context_.GetFaceTransformation(face, got));
    EXPECT_NEAR(got.translation().z(), 0, 1e-9);
    context_.SetFaceTransformation(nullptr, lift);
    EXPECT_EQ(context_.GetFaceTransformation(nullptr), nullptr);
    context_.RemoveCopy(copyBody);
    delete copy;
}

// A face moved through the context is measured where a pick finds it: its box carries the face's
// transformation once, whether the caller asks for the box with the transformation or without it.
TEST_F(ContextServicesGLTest, AMovedFacesBoxIsWhereAPickFindsTheFace)
{
    context_.add(block_);
    ENTITY_LIST faces;
    get_faces(block_, faces);
    FACE* top = nullptr;  // the face at z = 10
    for (ENTITY* e : Entities(faces)) {
        CGmPosition low, high;
        if (context_.GetBox(e, low, high, false) && low.z() > 9.9 && high.z() < 10.1) top = static_cast<FACE*>(e);
    }
    ASSERT_NE(top, nullptr);
    const auto expectBox = [&](double x0, double y0, double x1, double y1, double z) {
        for (bool transformed : {true, false}) {
            CGmPosition low, high;
            ASSERT_TRUE(context_.GetBox(top, low, high, transformed));
            EXPECT_NEAR(low.x(), x0, 1e-4) << transformed;
            EXPECT_NEAR(low.y(), y0, 1e-4) << transformed;
            EXPECT_NEAR(low.z(), z, 1e-4) << transformed;
            EXPECT_NEAR(high.x(), x1, 1e-4) << transformed;
            EXPECT_NEAR(high.y(), y1, 1e-4) << transformed;
            EXPECT_NEAR(high.z(), z, 1e-4) << transformed;
        }
    };
    // Whether a face pick at the model point (x, y) finds the top face.
    const auto picksTop = [&](double x, double y) {
        CDsPickedFaces picked;
        context_.OpenGLSortFaces(CUiPickEvent(static_cast<int>(50 + x), static_cast<int>(50 - y), 0, view_.get(), nullptr),
                                 picked);
        for (const auto& hit : picked.GetFaces())
            if (hit.second == top) return true;
        return false;
    };
    expectBox(-20, -10, 20, 10, 10);
    EXPECT_TRUE(picksTop(0, 0));
    EXPECT_FALSE(picksTop(0, 30));

    // Moved 30 units up and 5 towards the eye.
    SPAtransf up = translate_transf(SPAvector(0, 30, 5));
    context_.SetTransformation(top, up);
    expectBox(-20, 20, 20, 40, 15);
    EXPECT_TRUE(picksTop(0, 30));  // the middle of the box
    EXPECT_TRUE(picksTop(-17, 23));
    EXPECT_FALSE(picksTop(0, 0));

    // Turned a quarter about the z axis instead: the box turns with the face, once.
    SPAtransf turn = rotate_transf(M_PI / 2, SPAvector(0, 0, 1)) * translate_transf(SPAvector(0, 0, 5));
    context_.SetTransformation(top, turn);
    expectBox(-10, -20, 10, 20, 15);
    EXPECT_TRUE(picksTop(0, -17));  // inside the turned face only
    EXPECT_FALSE(picksTop(15, 0));
}

// --- Copies whose items go ----------------------------------------------------------------------

TEST_F(ContextServicesGLTest, RemovingABodyDetachesItsCopiesWhichStayInTheSceneAndDrawNothing)
{
    ENTITY* copyBody = nullptr;
    CDsItemsCopy* copy = ShowBlockAndCopy(copyBody);
    ASSERT_NE(copy, nullptr);
    ENTITY_LIST faces;
    get_faces(copyBody, faces);
    copy->SetVisibility(eVisibilityHighlight, true, true, Entities(faces).front());
    copy->SetVisibility(eVisibilityMark, true, true, Entities(faces).back());
    ASSERT_EQ(copy->GetHighlightList().size(), 1u);
    ASSERT_EQ(copy->GetMarkList().size(), 1u);
    DrawToFrontOnly(copyBody);
    EXPECT_GT(LitPixelsIn(GL_FRONT, 0, 66, kSize, kSize), 20);  // the copy, 30 units above the block
    EXPECT_EQ(LitPixelsIn(GL_FRONT, 0, 0, kSize, 64), 0);
    // An edge of the copy: the copied edge's polyline, 30 units up.
    ENTITY_LIST edges;
    get_edges(copyBody, edges);
    auto* copyEdge = static_cast<EDGE*>(Entities(edges).front());
    auto* realEdge = static_cast<EDGE*>(CVyrAsExt::GetRealEntity(copyEdge));
    ASSERT_NE(realEdge, nullptr);
    int count = 0;
    std::unique_ptr<SPAposition[]> points(copy->GetTransformedEdgePolyline(count, view_.get(), copyEdge));
    ASSERT_GE(count, 2);
    const SPAvector up(0, 30, 0);
    const SPAposition a = realEdge->start_pos() + up, b = realEdge->end_pos() + up;
    const SPAposition& first = points[0];
    const SPAposition& last = points[static_cast<size_t>(count - 1)];
    EXPECT_LT(std::min((first - a).len(), (first - b).len()), 1e-4);
    EXPECT_LT(std::min((last - a).len(), (last - b).len()), 1e-4);
    EXPECT_NEAR((last - first).len(), (b - a).len(), 1e-4);

    // The host removes the body: the copy stays in the scene without a copied group, lists or box.
    context_.remove(block_);
    EXPECT_EQ(context_.FindDsItem(copyBody), copy);
    EXPECT_EQ(context_.GetScene()->GetRootGroup(CDsGlScene::eRootCopies)->Count(), 1);
    EXPECT_EQ(copy->GetBody(), nullptr);
    EXPECT_TRUE(copy->GetHighlightList().empty());
    EXPECT_TRUE(copy->GetMarkList().empty());
    EXPECT_TRUE(copy->GetCopyBox().IsNotComputed());
    // Its next front-buffer draw, frame, face pick and queries find nothing of the body that went.
    DrawToFrontOnly(copyBody);
    EXPECT_EQ(LitPixels(GL_FRONT), 0);
    view_->refresh();
    CDsPickedFaces picked;
    EXPECT_EQ(context_.OpenGLSortFaces(CUiPickEvent(50, 80, 0, view_.get(), nullptr), picked), 0);
    EXPECT_EQ(context_.GetMeshInterface(copyBody), nullptr);
    EXPECT_EQ(copy->GetTransformedEdgePolyline(count, view_.get(), copyEdge), nullptr);
    EXPECT_EQ(count, 0);
}

// A copy is given a face item of its body (the real entity of the copy's new entity is a face): it
// lets the item go when the body goes, when the face alone goes, and when the body is taken out of
// the scene, so that it never measures, draws or picks freed items.
TEST_F(ContextServicesGLTest, ACopyGivenAFaceItemLetsItGoWithTheFaceOrTheBody)
{
    ENTITY* copyBody = nullptr;
    CDsItemsCopy* copy = ShowBlockAndCopy(copyBody);
    ASSERT_NE(copy, nullptr);
    ENTITY_LIST faces;
    get_faces(copyBody, faces);
    ENTITY* copyFace = Entities(faces).front();
    ENTITY* realFace = CVyrAsExt::GetRealEntity(copyFace);
    ASSERT_NE(realFace, nullptr);
    context_.UpdateCopy(copyBody, copyFace);
    ASSERT_EQ(copy->GetBody(), context_.FindDsItem(realFace));
    ASSERT_FALSE(copy->GetCopyBox().IsNotComputed());

    // The body goes: the copy stays, without the face item, and measures and draws nothing.
    context_.remove(block_);
    EXPECT_EQ(context_.FindDsItem(copyFace), copy);
    EXPECT_EQ(copy->GetBody(), nullptr);
    EXPECT_TRUE(copy->GetCopyBox().IsNotComputed());
    copy->SetTransformation(translate_transf(SPAvector(0, 40, 0)));  // measures its box again
    EXPECT_TRUE(copy->GetCopyBox().IsNotComputed());
    DrawToFrontOnly(copyFace);
    EXPECT_EQ(LitPixels(GL_FRONT), 0);
    view_->refresh();

    // Shown again and given a face again: the face alone goes.
    context_.add(block_);
    context_.UpdateCopy(copyFace, copyFace);
    ASSERT_EQ(copy->GetBody(), context_.FindDsItem(realFace));
    context_.remove(realFace);
    EXPECT_EQ(context_.FindDsItem(realFace), nullptr);
    EXPECT_EQ(copy->GetBody(), nullptr);
    copy->SetTransformation(translate_transf(SPAvector(0, 30, 0)));
    EXPECT_TRUE(copy->GetCopyBox().IsNotComputed());

    // Given another face, whose body the host takes out of the scene (not deleted): the copy lets
    // it go as it lets go a copied body that leaves the scene.
    ENTITY* otherFace = Entities(faces).back();
    context_.UpdateCopy(copyFace, otherFace);
    CDsItemsBody* body = context_.FindDsBody(block_);
    ASSERT_EQ(copy->GetBody(), context_.FindDsItem(CVyrAsExt::GetRealEntity(otherFace)));
    context_.Remove(body);
    EXPECT_EQ(copy->GetBody(), nullptr);
    context_.Record(body);  // the scene's again, deleted with it
}

// With sorting off (document flag 7) the scene files a copy in the unsorted group: a body taken
// out of the scene or removed still detaches the copies made from it.
TEST_F(ContextServicesGLTest, ACopyFiledWithSortingOffIsDetachedWhenItsBodyLeavesTheScene)
{
    context_.GetScene()->SetDisplayModeFlag(7, false);
    ENTITY* copyBody = nullptr;
    CDsItemsCopy* copy = ShowBlockAndCopy(copyBody);
    ASSERT_NE(copy, nullptr);
    CDsItemsBody* body = context_.FindDsBody(block_);
    ASSERT_NE(body, nullptr);
    ASSERT_EQ(context_.GetScene()->GetRootGroup(CDsGlScene::eRootCopies)->Count(), 0);
    ASSERT_EQ(context_.GetScene()->GetRootGroup(CDsGlScene::eRootUnsorted)->Count(), 2);
    ASSERT_EQ(copy->GetBody(), body);

    // Taken out of the scene, not deleted: the copy lets it go.
    context_.Remove(body);
    EXPECT_EQ(copy->GetBody(), nullptr);
    EXPECT_TRUE(copy->GetCopyBox().IsNotComputed());
    context_.Record(body);
    context_.UpdateCopy(copyBody, copyBody);  // the body again
    ASSERT_EQ(copy->GetBody(), body);

    // Removed by the host: the copy stays in the unsorted group, detached, and draws nothing.
    context_.remove(block_);
    EXPECT_EQ(copy->GetBody(), nullptr);
    EXPECT_EQ(context_.GetScene()->GetRootGroup(CDsGlScene::eRootUnsorted)->Count(), 1);
    DrawToFrontOnly(copyBody);
    EXPECT_EQ(LitPixels(GL_FRONT), 0);
}

TEST_F(ContextServicesGLTest, ItemsListedInACopyLeaveItsListsWhenTheContextDeletesThem)
{
    BODY* other = make_block(-45, -45, 0, -30, -30, 10);
    lose_.push_back(other);
    context_.add(other);
    ENTITY* copyBody = nullptr;
    CDsItemsCopy* copy = ShowBlockAndCopy(copyBody);
    ASSERT_NE(copy, nullptr);
    // A face highlighted in the copy (the item of the face it copies), and a face of another body
    // marked in it.
    ENTITY_LIST copyFaces, otherFaces;
    get_faces(copyBody, copyFaces);
    get_faces(other, otherFaces);
    ENTITY* copied = Entities(copyFaces).front();
    ENTITY* real = CVyrAsExt::GetRealEntity(copied);
    ASSERT_NE(real, nullptr);
    copy->SetVisibility(eVisibilityHighlight, true, true, copied);
    copy->SetVisibility(eVisibilityMark, true, true, Entities(otherFaces).front());
    ASSERT_EQ(copy->GetHighlightList().size(), 1u);
    ASSERT_EQ(copy->GetHighlightList()[0], context_.FindDsItem(real));
    ASSERT_EQ(copy->GetMarkList().size(), 1u);

    // The modeler deletes the face: its item goes, and with it the copy's highlight.
    context_.remove(real);
    EXPECT_EQ(context_.FindDsItem(real), nullptr);
    EXPECT_TRUE(copy->GetHighlightList().empty());
    EXPECT_EQ(copy->GetBody(), context_.FindDsBody(block_));  // the copied body stays
    EXPECT_EQ(copy->GetMarkList().size(), 1u);
    // The other body goes: so does the mark of its face.
    context_.remove(other);
    EXPECT_TRUE(copy->GetMarkList().empty());
    // The copy's next front-buffer draw reads nothing of the items that went: with nothing
    // highlighted it lights nothing; then it shows the face highlighted since, 30 units up.
    DrawToFrontOnly(copyBody);
    EXPECT_EQ(LitPixels(GL_FRONT), 0);
    copy->SetVisibility(eVisibilityHighlight, true, true, Entities(copyFaces).back());
    EXPECT_EQ(copy->GetHighlightList().size(), 1u);
    DrawToFrontOnly(copyBody);
    EXPECT_GT(LitPixelsIn(GL_FRONT, 0, 66, kSize, kSize), 20);
    EXPECT_EQ(LitPixelsIn(GL_FRONT, 0, 0, kSize, 64), 0);
}

TEST_F(ContextServicesGLTest, TransformGeometryMovesTheBodyItemWithOneInvalidation)
{
    context_.add(block_);
    context_.GetScene()->SetDisplayModeFlag(15, true);
    SPAtransf move = translate_transf(SPAvector(30, 0, 0));
    ValidateRect(window_.plain.window, nullptr);
    context_.TransformGeometry(block_, move);
    EXPECT_FALSE(context_.GetDisplaySuspensionMode());
    EXPECT_FALSE(context_.IsViewUpToDate(view_.get()));  // the window repaints
    EXPECT_FALSE(context_.Get(static_cast<EDsDocumentFlag>(15)));
    SPAtransf got;
    context_.GetTransformation(block_, got);
    EXPECT_NEAR(got.translation().x(), 30, 1e-9);
    context_.TransformGeometry(nullptr, move);
}

TEST_F(ContextServicesGLTest, TransformGeometryMovesTheShownBodysPixelsAtTheNextFrame)
{
    Show(block_);
    view_->refresh();
    ASSERT_TRUE(LitOrange(ReadPixel(GL_FRONT, 50, 50)));
    ASSERT_TRUE(ColorNear(ReadPixel(GL_FRONT, 80, 50), Rgb{0, 0, 0}, 20));
    // Moved 30 units to the right: the next frame draws the block there, not its kept picture.
    SPAtransf move = translate_transf(SPAvector(30, 0, 0));
    context_.TransformGeometry(block_, move);
    view_->refresh();
    EXPECT_TRUE(LitOrange(ReadPixel(GL_FRONT, 80, 50)));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 35, 50), Rgb{0, 0, 0}, 20));
    // Its transformation set back: the block is in the middle again.
    SPAtransf home;
    context_.SetTransformation(block_, home);
    view_->refresh();
    EXPECT_TRUE(LitOrange(ReadPixel(GL_FRONT, 50, 50)));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 80, 50), Rgb{0, 0, 0}, 20));
}

TEST_F(ContextServicesGLTest, ABoxInvalidatedAfterItsItemsMovedUnseenIsMeasuredAgain)
{
    Show(block_);
    SPAposition low, high;
    context_.GetBox(low, high);
    ASSERT_NEAR(low.x(), -20, 1e-4);
    // The faces' meshes edited in place, behind the scene database's back: the box it keeps is
    // where the body was.
    CDsItemsBody* body = context_.FindDsBody(block_);
    for (int i = 0; i < body->FacesCount(); ++i) {
        CVyrIndexedMesh* mesh = body->GetFaceItem(i)->GetMesh();
        ASSERT_NE(mesh, nullptr);
        for (int n = 0; n < mesh->get_num_vertex(); ++n) {
            SPAposition p;
            SPAunit_vector normal;
            mesh->get_vertex(n)->GetPosition(p);
            mesh->get_vertex(n)->GetNormal(normal);
            mesh->get_vertex_for_edit(n)->set_data(p + SPAvector(50, 0, 0), normal, mesh->get_uv(n));
        }
    }
    context_.GetBox(low, high);
    ASSERT_NEAR(low.x(), -20, 1e-4);

    context_.GetScene()->SetDisplayModeFlag(15, true);
    context_.InvalidateBox();
    EXPECT_FALSE(context_.Get(static_cast<EDsDocumentFlag>(15)));
    context_.GetBox(low, high);
    // The faces are drawn where their meshes now are, the edges where they were: the box holds both.
    EXPECT_NEAR(low.x(), -20, 1e-4);
    EXPECT_NEAR(high.x(), 70, 1e-4);
}

TEST_F(ContextServicesGLTest, ADetachedBodyTakesTheReloadedBodyOfTheSameIdsThroughTheContext)
{
    // Entities have an item type only through the host's entity-type service.
    struct SEntityTypes : CDsSetEntityType {
        SEntityTypes() : saved(CDsManager::GetInstance()->GetEntityType()) { CDsManager::GetInstance()->SetType(this); }
        ~SEntityTypes() { CDsManager::GetInstance()->SetType(saved); }
        int GetObjectType(ENTITY*) const override { return 1; }
        const CDsSetEntityType* saved;
    } types;

    context_.add(block_);
    CDsItemsBody* body = context_.FindDsBody(block_);
    ASSERT_NE(body, nullptr);
    ENTITY_LIST oldFaces, newFaces;
    get_faces(block_, oldFaces);
    std::vector<CDsItemBase*> faceItems;
    for (int i = 0; i < oldFaces.count(); ++i) faceItems.push_back(context_.FindDsItem(oldFaces[i]));
    EXPECT_EQ(context_.DetachEntity(block_, 0), 0);
    EXPECT_EQ(context_.FindDsItem(block_), nullptr);

    // The model reloaded: a copy whose body and faces carry the ids of the first.
    BODY* reloaded = copy_body(block_);
    ASSERT_NE(reloaded, nullptr);
    lose_.push_back(reloaded);
    CVyrAttManager* ids = CVyrAttManager::GetVyrAttManager();
    ASSERT_TRUE(ids->SetPid(reloaded, body->GetEntityPid()));
    get_faces(reloaded, newFaces);
    ASSERT_EQ(newFaces.count(), oldFaces.count());
    for (int i = 0; i < newFaces.count(); ++i) ASSERT_TRUE(ids->SetPid(newFaces[i], faceItems[i]->GetEntityPid()));

    EXPECT_FALSE(context_.AttachEntity(reloaded, 1));  // detached under another component id
    EXPECT_EQ(body->GetEntity(), nullptr);
    EXPECT_TRUE(context_.AttachEntity(reloaded, 0));
    EXPECT_EQ(body->GetEntity(), reloaded);
    EXPECT_EQ(context_.FindDsItem(reloaded), body);
    for (int i = 0; i < newFaces.count(); ++i) EXPECT_EQ(context_.FindDsItem(newFaces[i]), faceItems[i]) << i;
    EXPECT_FALSE(context_.AttachEntity(reloaded, 0));  // attached already
    EXPECT_FALSE(context_.AttachEntity(nullptr, 0));

    // A pick through the middle answers the reloaded block's front and back faces.
    CDsPickedFaces picked;
    EXPECT_EQ(context_.OpenGLSortFaces(CUiPickEvent(50, 50, 0, view_.get(), nullptr), picked), 2);
    for (const auto& hit : picked.GetFaces()) EXPECT_EQ(get_owner(hit.second), reloaded);
    context_.remove(reloaded);
}

TEST_F(ContextServicesGLTest, UpdateViewExtremaToSelectionFitsTheViewToOneOfTwoBodies)
{
    BODY* far = make_block(200, 200, -5, 210, 210, 5);
    lose_.push_back(far);
    Show(block_);
    Show(far);
    std::vector<CVyrObjectPath> paths;
    const int id = ItemIdOf(far);
    paths.emplace_back(&id, 1, 1, context_.GetScene()->GetDbScene().GetPeerPartId());
    context_.UpdateViewExtremaToSelection(view_.get(), paths);
    view_->refresh();
    // The small block fills the middle of the view; the large one is out of sight.
    const Rgb centre = ReadPixel(GL_FRONT, 50, 50);
    EXPECT_GT(centre.r + centre.g, 120);
    EXPECT_GT(LitPixels(GL_FRONT), 1500);
    context_.UpdateViewExtremaToSelection(nullptr, paths);
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    EXPECT_FALSE(context_.GetRectangle(nullptr, minX, maxX, minY, maxY));
}

// --- Lamps --------------------------------------------------------------------------------------

TEST_F(ContextServicesGLTest, LampsAppearAtTheLightsAndGoWhenSwitchedOffOrWithTheScene)
{
    auto context = std::make_unique<CDsGlContext>();
    CDsView3dCdc view(&window_.wnd);
    view.SetGlContext(context.get());
    context->add_view(&view);
    ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300).ApplyTo(view);
    view.SetRenderMode(eRenderShade);
    // A small block sets the scene's box: lamps a tenth of its diagonal.
    BODY* small = make_block(-5, -5, -5, 5, 5, 5);
    lose_.push_back(small);
    CDsAttributes look;
    ASSERT_TRUE(VyrShowBody(context.get(), small, 1, &look));

    CDsLight* first = context->GetLight(0);  // on, directional
    CDsLight* spot = context->GetLight(1);
    spot->SetType(eDsLightSpot);
    const float at[3] = {30, 0, 0}, target[3] = {0, 0, 0};
    spot->SetPosition(at);
    spot->SetTarget(target);
    spot->TurnOn(true);
    CDsView3dCdc::StSetCurrent(nullptr, false);  // the lamps find the context's own view
    view.refresh();
    const int before = LitPixels(GL_FRONT);

    context->SetDrawLightFiguresMode(true);
    EXPECT_TRUE(context->GetScene()->GetLightList()->GetDrawLightFiguresMode());
    EXPECT_TRUE(first->GetLampFigure()->IsRecorded());
    EXPECT_EQ(first->GetLampFigure()->GetQuadType(), eDsQuadCylinder);
    EXPECT_EQ(spot->GetLampFigure()->GetQuadType(), eDsQuadCone);
    EXPECT_FALSE(context->GetLight(2)->GetLampFigure()->IsRecorded());  // off
    EXPECT_NEAR(spot->GetLampFigure()->GetPosition()[0], 30, 1e-6);
    view.refresh();
    EXPECT_GT(LitPixels(GL_FRONT), before + 5);
    EXPECT_GT(ReadPixel(GL_FRONT, 80, 50).r + ReadPixel(GL_FRONT, 81, 50).r + ReadPixel(GL_FRONT, 79, 50).r, 60);

    const CVyrObjectId id = spot->GetLampFigure()->GetObjectId();
    const int item = id.GetItemId();
    SItemInfo info;
    ASSERT_TRUE(CDsPartStorage::instance()->GetItemInfo(CVyrObjectPath(&item, 1, 1, id.GetPartId()), nullptr, info));
    context->SetDrawLightFiguresMode(false);
    EXPECT_FALSE(first->GetLampFigure()->IsRecorded());
    EXPECT_FALSE(CDsPartStorage::instance()->GetItemInfo(CVyrObjectPath(&item, 1, 1, id.GetPartId()), nullptr, info));
    view.refresh();
    EXPECT_EQ(LitPixels(GL_FRONT), before);

    // Shown again, then the scene goes: nothing of the lamps stays recorded.
    context->SetDrawLightFiguresMode(true);
    ASSERT_TRUE(spot->GetLampFigure()->IsRecorded());
    const CVyrObjectId again = spot->GetLampFigure()->GetObjectId();
    const int againItem = again.GetItemId();
    VyrHideBody(context.get(), small, 1);
    context->remove_view(&view);
    context.reset();
    EXPECT_FALSE(
        CDsPartStorage::instance()->GetItemInfo(CVyrObjectPath(&againItem, 1, 1, again.GetPartId()), nullptr, info));
}

// --- The modeler picks through the context -------------------------------------------------------

TEST_F(ContextServicesGLTest, FacesReferencePointsAndApexesArePickedThroughTheContext)
{
    context_.add(block_);
    CDsItemsBody* body = context_.FindDsBody(block_);
    ASSERT_NE(body, nullptr);
    // Through the block's middle: its front face (z = 10) first, then its back face.
    CUiPickEvent middle(50, 50, 0, view_.get(), nullptr);
    CDsPickedFaces faces;
    ASSERT_EQ(context_.OpenGLSortFaces(middle, faces), 2);
    FACE* front = faces.GetFaces().begin()->second;
    CGmPosition low, high;
    ASSERT_TRUE(dynamic_cast<CDsItemsGroup*>(context_.FindDsItem(front))->GetBox(low, high, false));
    EXPECT_NEAR(low.z(), 10, 1e-4);
    {
        CDsGlGroupIterator items(&context_, nullptr, 0);
        CDsItemsGroup* group = nullptr;
        std::vector<CDsItemEdge*> edges;
        EXPECT_EQ(context_.OpenGLPick1Face(middle, items, group, edges), front);
        EXPECT_EQ(group, body);
        EXPECT_EQ(edges.size(), 4u);
        CDsGlContext::StEndPickSession();
    }
    EXPECT_EQ(view_->get_pick_mode(), 0);

    // The corner (20, 10) under pixel (70, 40), from the scene's own reference-point pick.
    context_.SetPickProccessorFlag(eDsPickStateSceneRefPoints, true);
    CUiPickEvent corner(70, 40, 0, view_.get(), nullptr);
    CDsTypeMask ends;
    ends.SetType(256, -1);
    ends.SetType(257, -1);
    std::unique_ptr<CDsRefPoint> point;
    {
        // The caller puts the view in pick mode around the event, as the modeler's picks do.
        CDsAcisPickData data;
        CDsAcisPick::StBeginPickMode(corner, data);
        point.reset(context_.PickRefPoint(corner, ends));
        CDsAcisPick::StEndPickMode(corner, data);
    }
    ASSERT_NE(point, nullptr);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 20, 1e-6);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 10, 1e-6);
    point.reset(context_.PickRefPoint(middle, CDsTypeMask()));
    EXPECT_EQ(point, nullptr);  // no kind asked for
    context_.SetPickProccessorFlag(eDsPickStateSceneRefPoints, false);

    // The apex of a shown cone, found through its body item; a block has none.
    BODY* cone = make_cone(SPAposition(30, 30, -10), SPAvector(0, 0, 1), 10, 0, 20);
    lose_.push_back(cone);
    context_.add(cone);
    CDsItemsBody* coneBody = context_.FindDsBody(cone);
    ASSERT_NE(coneBody, nullptr);
    CUiPickEvent onCone(80, 20, 0, view_.get(), nullptr);
    point.reset(context_.PickApexPoint(cone, coneBody, onCone));
    ASSERT_NE(point, nullptr);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 30, 1e-6);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 30, 1e-6);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.z(), 10, 1e-6);
    point.reset(context_.PickApexPoint(block_, body, middle));
    EXPECT_EQ(point, nullptr);
    context_.remove(cone);
}

TEST_F(ContextServicesGLTest, SelectAllAndTheEntityAndFigurePicksAskTheScene)
{
    context_.add(block_);
    BODY* other = make_block(30, 30, 0, 40, 40, 10);
    lose_.push_back(other);
    context_.add(other);
    entity_filter* bodies = new entity_test_filter(is_BODY);
    entity_filter* faces = new entity_test_filter(is_FACE);
    {
        CDsSelectAllData whole(0, bodies, nullptr, false);
        ENTITY_LIST list;
        list.add(block_);  // held before: kept, not repeated
        context_.SelectAll(whole, list);
        EXPECT_EQ(list.count(), 2);
        EXPECT_NE(list.lookup(other), -1);
    }
    {
        CDsSelectAllData parts(0, faces, nullptr, true);
        ENTITY_LIST list;
        context_.SelectAll(parts, list);
        EXPECT_EQ(list.count(), 12);  // the faces of both blocks
    }
    bodies->lose();
    faces->lose();

    // No figure and no entity shown as one: nothing is picked; a plain pick manager is refused.
    CUiPickEvent middle(50, 50, 0, view_.get(), nullptr);
    pick_manager manager(pick_method_point, 0, nullptr, &middle, nullptr);
    EXPECT_EQ(context_.PickFigures(&manager), 0);
    EXPECT_EQ(context_.PickFigures(nullptr), 0);
    EXPECT_EQ(context_.PickVyrEntities(&manager), 0);
    EXPECT_EQ(context_.PickVyrEntities(nullptr), 0);
    context_.remove(other);

    // Two line figures across the middle row and one along the top: the two under the pick answer,
    // unless the host's figure filter refuses them.
    std::vector<CDsItemsFigure*> figures;
    for (double y : {0.0, 0.5, 40.0}) {
        CDsFigureGenerator generator(nullptr);
        generator.MoveTo(CGmPosition(-10, y, 0));
        generator.DrawTo(CGmPosition(10, y, 0));
        figures.push_back(generator.DisplayList(nullptr));
        ASSERT_NE(figures.back(), nullptr);
        context_.Record(figures.back());
    }
    view_->pick_mode(1, middle.x(), middle.y(), 5, 5);
    EXPECT_EQ(context_.PickFigures(&manager), 2);
    const TDsDlFigProc filter = CDsItemsFigure::StGetDlFigProc();
    CDsItemsFigure::StSetDlFigProc([](const CDsItemsFigure*) { return 0; });
    EXPECT_EQ(context_.PickFigures(&manager), 0);
    CDsItemsFigure::StSetDlFigProc(filter);
    view_->pick_mode(0, 0, 0, 0, 0);
    for (CDsItemsFigure* figure : figures) {
        context_.Remove(figure);
        delete figure;
    }
}

// --- Threads ----------------------------------------------------------------------------------------

namespace {

// The context's document (run-time number 0, the scene's peer part) open as a part, its stored
// display state dropped again afterwards.
class ContextThreadsGLTest : public ContextServicesGLTest {
protected:
    void SetUp() override
    {
        ContextServicesGLTest::SetUp();
        ASSERT_TRUE(CVyrPdmServer::StInstance()->OpenDocument(Document(), CVyrRunTimeDocId::sTypeModeler));
    }
    void TearDown() override
    {
        VYR_RESET_FOR_TESTS(CVyrPdmServer::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPdmClntLayer::ResetForTests);
        ContextServicesGLTest::TearDown();
    }
    // The document the context shows: the one its scene number names.
    CVyrRunTimeDocId Document() const { return CVyrRunTimeDocId(context_.GetScene()->GetSceneNumber()); }
    void ShowThreads(bool on) const { CDsDocAttributesManager(Document()).WriteThreadsState(on); }
    // Green pixels of a frame on the row of the thread lines (y = 30: row 80 counted up).
    int ThreadPixels()
    {
        context_.GetScene()->GetDbScene().InvalidateStates();
        view_->refresh();
        int green = 0;
        for (int x = 25; x <= 75; x += 5)
            for (int y = 78; y <= 82; ++y) green += ColorNear(ReadPixel(GL_FRONT, x, y), Rgb{0, 255, 0}, 80);
        return green;
    }
};

}  // namespace

TEST_F(ContextThreadsGLTest, AnEdgesThreadFigureShowsWhileTheDocumentShowsThreadsAndTheCallAsksForIt)
{
    Show(block_);
    ENTITY_LIST edges;
    get_edges(block_, edges);
    EDGE* edge = static_cast<EDGE*>(Entities(edges).front());
    auto* item = dynamic_cast<CDsItemEdge*>(context_.FindDsItem(edge));
    ASSERT_NE(item, nullptr);
    // Green lines across the view above the block stand for the drawings of threads.
    const CGmPosition ends[2] = {CGmPosition(-30, 30, 0), CGmPosition(30, 30, 0)};
    CDsFigPoly3D thread(2, ends), other(2, ends);
    thread.SetColor(CDsColorStorage(0, 255, 0), false);

    // The document shows no threads (its default): the item keeps the figure, nothing is shown.
    EXPECT_FALSE(context_.GetThreadsMode());
    context_.UpdateThread(edge, &thread, true);
    EXPECT_EQ(item->GetThreadFigure(), &thread);
    EXPECT_EQ(ThreadPixels(), 0);

    // Threads on: the thread is drawn with the document's picture, until the call asks otherwise.
    ShowThreads(true);
    EXPECT_TRUE(context_.GetThreadsMode());
    context_.UpdateThread(edge, &thread, true);
    EXPECT_EQ(thread.GetGlContext(), &context_);
    EXPECT_GT(ThreadPixels(), 5);
    context_.UpdateThread(edge, &thread, false);
    EXPECT_EQ(item->GetThreadFigure(), &thread);
    EXPECT_EQ(ThreadPixels(), 0);

    // Another figure replaces the shown one; a null figure takes the thread away.
    context_.UpdateThread(edge, &thread, true);
    context_.UpdateThread(edge, &other, true);
    EXPECT_FALSE(thread.IsRecorded());
    EXPECT_TRUE(other.IsRecorded());
    context_.UpdateThread(edge, nullptr, true);
    EXPECT_FALSE(other.IsRecorded());
    EXPECT_EQ(item->GetThreadFigure(), nullptr);

    // The document's detail switched off: a shown thread goes at the next update.
    context_.UpdateThread(edge, &thread, true);
    ShowThreads(false);
    context_.UpdateThread(edge, &thread, true);
    EXPECT_FALSE(thread.IsRecorded());
}

// --- What is missing ----------------------------------------------------------------------------

TEST_F(ContextServicesGLTest, OperationsWithoutSectionItemOrViewGiveNeutralAnswers)
{
    double coefficients[4] = {7, 7, 7, 7};
    EXPECT_FALSE(context_.GetSectionPlaneParametes(coefficients));
    EXPECT_EQ(coefficients[0], 7);
    EXPECT_EQ(context_.GetNumberOfDrawIterations(), 0);
    EXPECT_FALSE(context_.IsSection());
    SPAunit_vector normal(1, 0, 0);
    EXPECT_FALSE(context_.GetSectionPlaneNormal(normal));
    context_.SetSectionClipping(0);
    context_.ResetSectionClipping(3);
    context_.TranslateSection(2);
    context_.FlipSection();
    context_.RebuildSection();

    context_.SetSection(SPAposition(0, 0, 1), SPAvector(0, 0, 2));
    ASSERT_TRUE(context_.GetSectionPlaneParametes(coefficients));
    EXPECT_NEAR(coefficients[2], 1, 1e-12);
    EXPECT_NEAR(coefficients[3], -1, 1e-12);
    EXPECT_FALSE(context_.GetSectionPlaneParametes(nullptr));
    // SetGeometry only while there is no plane.
    context_.SetGeometry({}, SPAposition(0, 0, 5), SPAvector(1, 0, 0));
    std::vector<CVyrObjectId> items;
    SPAposition point;
    SPAvector direction;
    ASSERT_TRUE(context_.GetGeometry(items, point, direction));
    EXPECT_NEAR(point.z(), 1, 1e-12);
    context_.ResetSection();
    EXPECT_FALSE(context_.GetGeometry(items, point, direction));

    CDsLineAttribStorage attributes;
    EXPECT_EQ(context_.GetLineAttributes(block_, attributes), 0);
    EXPECT_EQ(context_.GetLineAttributes(nullptr, attributes), 0);
    context_.add(block_);
    EXPECT_EQ(context_.GetLineAttributes(block_, attributes), 1);
    ENTITY* owner = block_;
    context_.GetDisplayOwner(nullptr, owner);
    EXPECT_EQ(owner, nullptr);
    ENTITY_LIST faces;
    get_faces(block_, faces);
    context_.GetDisplayOwner(Entities(faces).front(), owner);
    EXPECT_EQ(owner, block_);
    CGmPosition low, high;
    EXPECT_TRUE(context_.GetBox(block_, low, high, true));
    EXPECT_NEAR(high.x(), 20, 1e-4);
    EXPECT_FALSE(context_.GetBox(nullptr, low, high, true));
    context_.Activate(nullptr, false);
    context_.FlipMeshNormals(nullptr);
    context_.UpdateDisplayCurves(nullptr);
    EXPECT_EQ(context_.PickClosest(CUiPickEvent()), nullptr);
    EXPECT_EQ(context_.DoPick(nullptr), 0);
    SPAtransf unknown;
    EXPECT_FALSE(context_.GetTransform(999, unknown));
}

// A block shown through the host's body geometry, drawn by the context's refresh: every setting a
// host changes (lights, background, document flags, open edges, mesh normals, the body's
// placement) is drawn at the next refresh, as a whole new frame would draw it, while a refresh
// with nothing changed draws nothing.
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsHideLevel.h"
#include "DsFigureGenerator.h"
#include "DsItemsBody.h"
#include "DsPolyline.h"
#include "DsLineAttribStorage.h"
#include "DsLight.h"
#include "DsBackground.h"
#include "DsManager.h"
#include "DsMaterialStorage.h"
#include "DsPalette.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "HostFixture.h"
#include "GmPosition.h"
#include "TestFiles.h"
#include "VyrBodyGeometry.h"
#include "VyrRefinement.h"
#include "VyrWCS.h"


#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 100;

// A block seen from a corner (the top and two sides lit differently), shaded.
class RefreshFollowsSettingsGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_->Look(ViewSetup().Eye(SPAposition(60, -80, 100)).Field(kSize, kSize).Clip(1, 400));
        block_ = host_->ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
        ASSERT_NE(block_, nullptr);
        host_->Refresh();
    }
    std::vector<unsigned char> Front() { return host_->Front().rgb; }
    std::vector<unsigned char> WholeFrame() { return host_->WholeFrame().rgb; }
    CDsGlContext& Context() { return host_->Context(); }
    CDsView3dCdc& View() { return host_->View(); }

    BODY* block_ = nullptr;
};

// One change a host makes; `visible` when the picture must differ after it.
struct Change {
    const char* name;
    std::function<void()> apply;
    bool visible;
};

}  // namespace

TEST_F(RefreshFollowsSettingsGLTest, EverySettingIsDrawnAtTheNextRefreshAndNothingElseIs)
{
    const std::string lightsPath = vyrtest::ScratchDir() + "/saved.lights";
    const CVyrString lightsFile(std::wstring(lightsPath.begin(), lightsPath.end()).c_str());
    Context().SaveLights(lightsFile);
    ENTITY_LIST faces;
    get_faces(block_, faces);
    // A reference system turned a quarter about z, and a palette of vertex colours.
    auto* turned = new CVyrWCS(SPAposition(0, 0, 0), SPAvector(0, 1, 0), SPAvector(-1, 0, 0));
    CDsPalette palette;
    palette.AddColor(CDsColorStorage(0x0000FF));
    const bool shaders = CDsManager::GetInstance()->GetFlag(13);

    const std::vector<Change> changes = {
        {"SetAmbientLight", [&] { Context().SetAmbientLight(1.0f); }, true},
        {"LoadLights", [&] { Context().LoadLights(lightsFile); }, true},  // the ambient back to the saved one
        {"a light changed through GetLight",
         [&] { Context().GetLight(0)->SetProperties(0x0000FF, 0.2f, 1.0f, 1.0f); }, true},  // red
        {"SetLights",
         [&] {
             std::deque<std::wstring> lines;
             Context().GetLights(&lines);
             Context().GetLight(0)->SetProperties(0xFFFFFF, 0.0f, 1.0f, 1.0f);  // white again, by text
             std::deque<std::wstring> white;
             Context().GetLight(0)->Get(&white);
             Context().GetLight(0)->SetProperties(0x0000FF, 0.2f, 1.0f, 1.0f);
             Context().OnPicturePropsChanged();
             View().refresh();
             for (size_t i = 0; i < white.size(); ++i) lines[6 + i] = white[i];
             Context().SetLights(&lines);
         },
         true},
        {"SetMaterial",
         [&] {
             CDsMaterialStorage material;
             Context().GetMaterial(material);
             uint8_t a, d, s, sh, e;
             material.GetData(a, d, s, sh, e);
             material.SetData(a, static_cast<uint8_t>(d / 3), s, sh, e);
             Context().SetMaterial(material);
         },
         true},
        {"SetBackground",
         [&] {
             CDsBackground background;
             background.SetBackground(CDsColorStorage(0x603020));
             Context().SetBackground(background);
         },
         true},
        {"document flag 1 (the head light)", [&] { Context().Set(static_cast<EDsDocumentFlag>(1), true); }, true},
        {"document flag 8", [&] { Context().Set(static_cast<EDsDocumentFlag>(8), true); }, false},
        {"document flag 14 (open edges)", [&] { Context().Set(static_cast<EDsDocumentFlag>(14), true); }, false},
        {"SetOpenEdgesMode", [&] { Context().SetOpenEdgesMode(false); }, false},
        {"FlipMeshNormals", [&] { Context().FlipMeshNormals(&faces); }, false},
        {"SetMonochromeColor", [&] { Context().SetMonochromeColor(CDsColorStorage(0x808080)); }, false},
        {"SetSection", [&] { Context().SetSection(SPAposition(0, 0, 0), SPAvector(1, 0, 0)); }, true},
        {"ResetSection", [&] { Context().ResetSection(); }, true},
        {"document flag 2 (no reference triad)", [&] { Context().Set(static_cast<EDsDocumentFlag>(2), true); }, true},
        {"document flag 2 off", [&] { Context().Set(static_cast<EDsDocumentFlag>(2), false); }, true},
        {"document flag 10 (depth planes from a wide box)",
         [&] { Context().Set(static_cast<EDsDocumentFlag>(10), true); }, false},
        {"document flag 10 off", [&] { Context().Set(static_cast<EDsDocumentFlag>(10), false); }, false},
        {"SetUcsReference", [&] { Context().SetUcsReference(turned); }, true},
        {"SetUcsReference back", [&] { Context().SetUcsReference(nullptr); }, true},
        {"a silhouette level set on the scene", [&] { Context().GetScene()->SetSilhouetteLevel(eDsSilhouetteNone); },
         false},
        {"SetVertexColorPalette", [&] { Context().SetVertexColorPalette(&palette); }, false},
        {"a background set on the scene",
         [&] {
             CDsBackground gradient;
             gradient.SetBackground(CDsColorStorage(0x202020));
             gradient.SetGradient(CDsColorStorage(0xC08040), true, false);
             Context().GetScene()->GetBackground().GetBackground().CopyObject(gradient);
         },
         true},
        {"document flag 3 (a flat background in wireframe)",
         [&] {
             View().SetRenderMode(eRenderWireframe);
             View().refresh();
             Context().Set(static_cast<EDsDocumentFlag>(3), true);
         },
         true},
        {"document flag 3 off", [&] { Context().Set(static_cast<EDsDocumentFlag>(3), false); }, true},
        {"open edges widened on the scene's items", [&] { Context().GetScene()->SetOpenEdgesOnItems(1); }, false},
        {"and narrowed again", [&] { Context().GetScene()->SetOpenEdgesOnItems(-1); }, false},
        {"shaders switched on and loaded",
         [&] {
             View().SetRenderMode(eRenderShade);
             View().refresh();
             CVyrString message;
             CDsManager::GetInstance()->InitShaders(message);
             CDsManager::GetInstance()->SetFlag(13, true);
             Context().LoadShaders();
         },
         false},
        {"shaders switched off", [&] { CDsManager::GetInstance()->SetFlag(13, false); }, false},
        {"their programs dropped", [&] { Context().LoadShaders(); }, false},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        const vyrtest::Picture before = host_->Front();
        const long frames = Context().GetRefreshCounter();
        change.apply();
        View().refresh();
        EXPECT_GT(Context().GetRefreshCounter(), frames);  // a frame was drawn
        const vyrtest::Picture after = host_->Front();
        if (change.visible) {
            EXPECT_GT(vyrtest::DifferingPixels(after, before), 0);
        }
        EXPECT_TRUE(vyrtest::SamePicture(after, host_->WholeFrame()));
    }
    // Nothing changed: the refresh presents the picture it keeps and draws no frame.
    const long frames = Context().GetRefreshCounter();
    const std::vector<unsigned char> kept = Front();
    View().refresh();
    EXPECT_EQ(Context().GetRefreshCounter(), frames);
    EXPECT_EQ(Front(), kept);
    turned->lose();
    CDsManager::GetInstance()->SetFlag(13, shaders);
}

TEST_F(RefreshFollowsSettingsGLTest, WhatTheScenesItemsDrawAfterAnOperationOnAllOfThemIsDrawnAtTheNextRefresh)
{
    // A cylinder beside the block, faceted finely at first.
    Context().GetRefinement()->SetSurfaceTol(0.01);
    BODY* cylinder = host_->Show(make_cylinder(SPAposition(-10, 25, -10), SPAvector(0, 0, 1), 12, 20));
    ASSERT_NE(cylinder, nullptr);
    View().ZoomAll(1.0f);
    View().refresh();
    CDsItemBase* blockItem = Context().FindDsItem(block_);
    ASSERT_NE(blockItem, nullptr);
    // The block hidden on its item, as a command of the host may hide it (a whole frame shows that).
    const auto hideBlock = [&] {
        blockItem->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, true);
        host_->WholeFrame();
    };
    const auto nothing = [] {};
    // A hidden-line view of two lines beside the bodies, as a drawing shows a projection.
    CDsFigureGenerator generator(nullptr);
    generator.StartHlView(nullptr, false);
    generator.SetPenColor(CDsColorStorage(0, 255, 0));
    CDsPolyline first({SPAposition(-30, -25, 0), SPAposition(30, -25, 0)});
    CDsPolyline second({SPAposition(-30, -25, 0), SPAposition(-30, 25, 0)});
    generator.AddHlSegment(nullptr, &first, eDsHlSegmentFirst);
    generator.AddHlSegment(nullptr, &second, eDsHlSegmentFirst);
    std::unique_ptr<CDsItemsGroup> drawing(generator.DisplayListGroup(nullptr));
    ASSERT_NE(drawing, nullptr);
    const auto hiddenLines = [&] {
        View().SetRenderMode(eRenderHiddenLines);
        View().refresh();
    };

    // Each operation changes the picture that its preparation left.
    struct ItemChange {
        const char* name;
        std::function<void()> prepare, apply;
    };
    const std::vector<ItemChange> changes = {
        {"ReFacetAll with a coarse tolerance", nothing,
         [&] {
             Context().GetRefinement()->SetSurfaceTol(4.0);
             Context().ReFacetAll();
         }},
        {"ForceShowAll", hideBlock, [&] { Context().ForceShowAll(); }},
        {"ResetAttributes", hideBlock, [&] { Context().ResetAttributes(eDsResetHideLevel); }},
        {"a hidden-line view recorded", hiddenLines, [&] { Context().Record(drawing.get()); }},
        {"the hidden-line view removed", nothing, [&] { Context().Remove(drawing.get()); }},
    };
    for (const ItemChange& change : changes) {
        SCOPED_TRACE(change.name);
        change.prepare();
        const vyrtest::Picture before = host_->Front();
        change.apply();
        View().refresh();
        const vyrtest::Picture after = host_->Front();
        EXPECT_GT(vyrtest::DifferingPixels(after, before), 50);
        EXPECT_TRUE(vyrtest::SamePicture(after, host_->WholeFrame()));
    }
}

TEST_F(RefreshFollowsSettingsGLTest, AMovedBodyHasItsNewBoxAndIsDrawnWholeWhereItNowIs)
{
    // Lit pixels of the front buffer.
    const auto lit = [&] {
        const std::vector<unsigned char> rgb = Front();
        int count = 0;
        for (size_t i = 0; i < rgb.size(); i += 3) count += rgb[i] + rgb[i + 1] + rgb[i + 2] > 60;
        return count;
    };
    View().ZoomAll(1.0f);
    View().refresh();
    const int shaded = lit();
    View().SetRenderMode(eRenderWireframe);
    const int wire = lit();
    ASSERT_GT(shaded, 1000);
    ASSERT_GT(wire, 100);

    SPAtransf moved = translate_transf(SPAvector(80, 0, 0));
    Context().SetTransformation(block_, moved);
    // The body's box, the scene's and the geometry's are where the body is drawn.
    CGmPosition low, high;
    ASSERT_TRUE(Context().GetBox(block_, low, high, true));
    EXPECT_NEAR(low.x(), 60, 1e-3);
    EXPECT_NEAR(high.x(), 100, 1e-3);
    ASSERT_TRUE(Context().GetBox(block_, low, high, false));
    EXPECT_NEAR(low.x(), 60, 1e-3);
    SPAposition sceneLow, sceneHigh;
    Context().GetBox(sceneLow, sceneHigh);
    EXPECT_NEAR(sceneLow.x(), 60, 1e-3);
    EXPECT_NEAR(sceneHigh.x(), 100, 1e-3);
    SPAbox geometryBox;
    ASSERT_TRUE(CVyrBodyGeometry(block_, &Context()).GetBoundBox(geometryBox, 0));
    EXPECT_NEAR(geometryBox.low().x(), 60, 1e-3);

    // Framed at its new place, the body is drawn whole (not cut by near and far planes measured
    // where it was), in every mode.
    View().ZoomAll(1.0f);
    View().refresh();
    EXPECT_NEAR(lit(), wire, wire / 20);
    View().SetRenderMode(eRenderShade);
    EXPECT_NEAR(lit(), shaded, shaded / 50);
    View().SetRenderMode(eRenderHiddenLines);
    EXPECT_GT(lit(), wire / 2);
    // A face moved on its own moves the body's box too.
    ENTITY_LIST faces;
    get_faces(block_, faces);
    faces.init();
    SPAtransf up = translate_transf(SPAvector(0, 0, 30));
    for (ENTITY* face = faces.next(); face; face = faces.next()) {
        CGmPosition faceLow, faceHigh;
        auto* item = dynamic_cast<CDsItemsGroup*>(Context().FindDsItem(face));
        if (!item || !item->GetBox(faceLow, faceHigh, false) || faceLow.z() < 9.9) continue;  // the top face
        Context().SetFaceTransformation(static_cast<FACE*>(face), up);
    }
    ASSERT_TRUE(Context().GetBox(block_, low, high, true));
    EXPECT_NEAR(high.z(), 40, 1e-3);
    Context().GetBox(sceneLow, sceneHigh);
    EXPECT_NEAR(sceneHigh.z(), 40, 1e-3);
}

TEST_F(RefreshFollowsSettingsGLTest, AModelerTransformMovesWhatItNamesAndTheRefreshDrawsItThere)
{
    // A transform of the modeler that names the body it moves ("TransfAttr") without being the
    // body's own transform.
    auto* transform = new TRANSFORM(translate_transf(SPAvector(0, 200, 0)));
    ASSERT_TRUE(api_add_generic_named_attribute(transform, "TransfAttr", block_).ok());
    const std::vector<unsigned char> before = Front();
    Context().update_transform(transform);
    CGmPosition low, high;
    ASSERT_TRUE(Context().GetBox(block_, low, high, true));
    EXPECT_NEAR(low.y(), 190, 1e-3);
    SPAposition sceneLow, sceneHigh;
    Context().GetBox(sceneLow, sceneHigh);
    EXPECT_NEAR(sceneLow.y(), 190, 1e-3);
    // Moved out of the picture: the refresh that update_transform made shows nothing of it.
    const std::vector<unsigned char> after = Front();
    EXPECT_NE(after, before);
    EXPECT_EQ(after, WholeFrame());
    View().ZoomAll(1.0f);
    View().refresh();
    EXPECT_NE(Front(), after);
    transform->lose();
}

TEST_F(RefreshFollowsSettingsGLTest, AHighlightInAHiddenLinePictureShowsTheHiddenEdgesAsAWholeFrameOfItsStateDoes)
{
    const int part = Context().GetScene()->GetDbScene().GetPeerPartId();
    const int id = 1;
    std::vector<CVyrObjectPath> block = {CVyrObjectPath(&id, 1, 1, part)};
    // Pixels the highlight changed in the picture of a render mode; the highlighted picture is
    // the one a whole frame draws with the block in the highlighted state.
    const auto highlighted = [&](ERenderMode mode) {
        View().SetRenderMode(mode);
        const std::vector<unsigned char> plain = WholeFrame();
        Context().HighlightLocations(block, eAttribSetHighlight);
        const std::vector<unsigned char> lit = Front();
        Context().UnHighlightLocations();
        EXPECT_EQ(Front(), plain);
        Context().ModifyLocations(block, eAttribSetHighlight);
        EXPECT_EQ(WholeFrame(), lit) << "render mode " << mode;
        Context().ModifyLocations(block, eAttribSetNormal);
        int changed = 0;
        for (size_t i = 0; i < plain.size(); i += 3)
            changed += plain[i] != lit[i] || plain[i + 1] != lit[i + 1] || plain[i + 2] != lit[i + 2];
        return changed;
    };
    // Seen from a corner, three of the block's twelve edges lie behind it: a highlighted
    // location's lines lie in front of every face, so those three are highlighted too, and the
    // highlight changes as much of the hidden-line picture as of the wireframe one.
    const int wire = highlighted(eRenderWireframe);
    const int hidden = highlighted(eRenderHiddenLines);
    ASSERT_GT(wire, 200);
    EXPECT_GT(hidden, wire * 9 / 10);
}

TEST_F(RefreshFollowsSettingsGLTest, AFaceMovedOnItsOwnIsDrawnWhereItNowIs)
{
    // Seen from above; the top face is moved 30 to the right, half off the block.
    host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300));
    View().refresh();
    float x = 0, y = 0;
    ASSERT_TRUE(View().world_to_drawable(SPAposition(40, 0, 10), x, y));
    const auto litAt = [&] {  // the drawable pixel (x, y) counts y down
        const std::vector<unsigned char> rgb = Front();
        const size_t i = (static_cast<size_t>(kSize - 1 - static_cast<int>(y)) * kSize + static_cast<size_t>(x)) * 3;
        return rgb[i] + rgb[i + 1] + rgb[i + 2] > 60;
    };
    EXPECT_FALSE(litAt());
    ENTITY_LIST faces;
    get_faces(block_, faces);
    faces.init();
    for (ENTITY* face = faces.next(); face; face = faces.next()) {
        CGmPosition low, high;
        auto* item = dynamic_cast<CDsItemsGroup*>(Context().FindDsItem(face));
        if (item && item->GetBox(low, high, false) && low.z() > 9.9)
            Context().SetFaceTransformation(static_cast<FACE*>(face), translate_transf(SPAvector(30, 0, 0)));
    }
    View().refresh();
    EXPECT_TRUE(litAt());
    EXPECT_EQ(Front(), WholeFrame());
}

TEST_F(RefreshFollowsSettingsGLTest, FittingTheClippingPlanesAgainToTheSameSceneLeavesTheCameraAsItIs)
{
    // A parallel camera's eye is moved out in front of the scene as the planes are fitted; fitted
    // again to the same scene it stays, or a whole frame would not draw what the refresh drew.
    for (const SPAposition& eye : {SPAposition(60, -80, 100), SPAposition(71.2756267, 106.658734, 12.2462315),
                                   SPAposition(-3.7, 0.2, 0.9)}) {
        host_->Look(ViewSetup().Eye(eye).Target(SPAposition(eye.x() - 0.69, eye.y() - 0.72, eye.z() + 0.06))
                        .Up(SPAvector(0, 0, 1)).Field(kSize, kSize).Clip(0.01, 50));
        host_->ShowBlock(SPAposition(eye.x() - 90, eye.y() - 90, eye.z() - 30),
                         SPAposition(eye.x() - 70, eye.y() - 60, eye.z() + 10));
        View().refresh();
        const SPAposition fitted = View().get_eye();
        const double yon = View().get_yon();
        const vyrtest::Picture refreshed = host_->Front();
        EXPECT_TRUE(vyrtest::SamePicture(refreshed, host_->WholeFrame()));
        EXPECT_EQ(View().get_eye().x(), fitted.x());
        EXPECT_EQ(View().get_eye().y(), fitted.y());
        EXPECT_EQ(View().get_eye().z(), fitted.z());
        EXPECT_EQ(View().get_yon(), yon);
    }
}

TEST_F(RefreshFollowsSettingsGLTest, AChangeThatMovesTheNearOrFarPlaneRedrawsTheWholePicture)
{
    // Every depth follows the planes: after a change that grows the scene's extent along the view,
    // no part of the picture may stay as the old planes drew it. A mark put into the kept picture
    // far from the change shows whether the refresh drew only the change's rectangle.
    const auto markKeptPicture = [&] {
        Context().MakeCurrent(&View());
        glDrawBuffer(GL_BACK);
        glEnable(GL_SCISSOR_TEST);
        glScissor(kSize - 4, kSize - 4, 4, 4);  // the top right corner, far from the new block
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    };
    const auto marked = [&] {
        const vyrtest::Picture front = host_->Front();
        const unsigned char* p = front.At(kSize - 2, kSize - 2);
        return p[0] == 255 && p[1] == 0 && p[2] == 255;
    };
    // A small block inside the first, to be moved by the scene database far behind it along the
    // view (which looks from (60, -80, 100)): the far plane moves, the change covers few pixels.
    BODY* far = host_->ShowBlock(SPAposition(-1, -1, -1), SPAposition(1, 1, 1));
    const unsigned short id = Context().NewTransformId();
    ASSERT_TRUE(Context().SetTransformId(host_->PathOf(far), id));
    View().refresh();
    markKeptPicture();
    View().refresh();  // nothing changed: the kept picture, mark and all, is presented
    ASSERT_TRUE(marked());
    const double yon = View().get_yon();
    // The database moves the small block far behind the first: a change of its location alone.
    ASSERT_TRUE(Context().SetTransform(id, translate_transf(SPAvector(-119, 190, -253))));
    View().refresh();
    ASSERT_NE(View().get_yon(), yon);
    EXPECT_FALSE(marked());
    const vyrtest::Picture refreshed = host_->Front();
    EXPECT_TRUE(vyrtest::SamePicture(refreshed, host_->WholeFrame()));
}

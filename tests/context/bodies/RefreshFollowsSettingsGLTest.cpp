// A block shown through the host's body geometry, drawn by the context's refresh: every setting a
// host changes (lights, background, document flags, open edges, mesh normals, the body's
// placement) is drawn at the next refresh, as a whole new frame would draw it, while a refresh
// with nothing changed draws nothing.
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemsBody.h"
#include "DsLight.h"
#include "DsBackground.h"
#include "DsManager.h"
#include "DsMaterialStorage.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "GmPosition.h"
#include "TestFiles.h"
#include "VyrBodyGeometry.h"

#include "../ViewStaticsGuard.h"
#include "../ViewWindow.h"

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

class RefreshFollowsSettingsGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        flag3_ = CDsManager::GetInstance()->GetFlag(3);
        CDsManager::GetInstance()->SetFlag(3, true);  // the scene counts the frames it draws
        view_ = std::make_unique<CDsView3dCdc>(&window_.wnd);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        // Seen from a corner: the top and two sides of the block are lit differently.
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(60, -80, 100)).Field(kSize, kSize).Clip(1, 400).ApplyTo(*view_);
        view_->SetRenderMode(eRenderShade);
        block_ = make_block(-20, -10, -10, 20, 10, 10);
        ASSERT_NE(block_, nullptr);
        CDsAttributes look;
        look.SetColor(0x00C0FF);  // orange (0x00BBGGRR)
        ASSERT_TRUE(VyrShowBody(&context_, block_, 1, &look));
        view_->refresh();
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        VyrHideBody(&context_, block_, 1);
        view_.reset();
        block_->lose();
        wglMakeCurrent(nullptr, nullptr);
        CDsManager::GetInstance()->SetFlag(3, flag3_);
    }
    // The whole front buffer, as the window shows it.
    static std::vector<unsigned char> Front()
    {
        std::vector<unsigned char> rgb(kSize * kSize * 3);
        glFinish();
        glReadBuffer(GL_FRONT);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
    // What a whole new frame of the present scene shows.
    std::vector<unsigned char> WholeFrame()
    {
        context_.OnPicturePropsChanged();
        view_->refresh();
        return Front();
    }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::FrameworkWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    BODY* block_ = nullptr;
    bool flag3_ = false;
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
    context_.SaveLights(lightsFile);
    ENTITY_LIST faces;
    get_faces(block_, faces);

    const std::vector<Change> changes = {
        {"SetAmbientLight", [&] { context_.SetAmbientLight(1.0f); }, true},
        {"LoadLights", [&] { context_.LoadLights(lightsFile); }, true},  // the ambient back to the saved one
        {"a light changed through GetLight",
         [&] { context_.GetLight(0)->SetProperties(0x0000FF, 0.2f, 1.0f, 1.0f); }, true},  // red
        {"SetLights",
         [&] {
             std::deque<std::wstring> lines;
             context_.GetLights(&lines);
             context_.GetLight(0)->SetProperties(0xFFFFFF, 0.0f, 1.0f, 1.0f);  // white again, by text
             std::deque<std::wstring> white;
             context_.GetLight(0)->Get(&white);
             context_.GetLight(0)->SetProperties(0x0000FF, 0.2f, 1.0f, 1.0f);
             context_.OnPicturePropsChanged();
             view_->refresh();
             for (size_t i = 0; i < white.size(); ++i) lines[6 + i] = white[i];
             context_.SetLights(&lines);
         },
         true},
        {"SetMaterial",
         [&] {
             CDsMaterialStorage material;
             context_.GetMaterial(material);
             uint8_t a, d, s, sh, e;
             material.GetData(a, d, s, sh, e);
             material.SetData(a, static_cast<uint8_t>(d / 3), s, sh, e);
             context_.SetMaterial(material);
         },
         true},
        {"SetBackground",
         [&] {
             CDsBackground background;
             background.SetBackground(CDsColorStorage(0x603020));
             context_.SetBackground(background);
         },
         true},
        {"document flag 1 (the head light)", [&] { context_.Set(static_cast<EDsDocumentFlag>(1), true); }, true},
        {"document flag 8", [&] { context_.Set(static_cast<EDsDocumentFlag>(8), true); }, false},
        {"document flag 14 (open edges)", [&] { context_.Set(static_cast<EDsDocumentFlag>(14), true); }, false},
        {"SetOpenEdgesMode", [&] { context_.SetOpenEdgesMode(false); }, false},
        {"FlipMeshNormals", [&] { context_.FlipMeshNormals(&faces); }, false},
        {"SetMonochromeColor", [&] { context_.SetMonochromeColor(CDsColorStorage(0x808080)); }, false},
        {"SetSection", [&] { context_.SetSection(SPAposition(0, 0, 0), SPAvector(1, 0, 0)); }, true},
        {"ResetSection", [&] { context_.ResetSection(); }, true},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        const std::vector<unsigned char> before = Front();
        const long frames = context_.GetRefreshCounter();
        change.apply();
        view_->refresh();
        EXPECT_GT(context_.GetRefreshCounter(), frames);  // a frame was drawn
        const std::vector<unsigned char> after = Front();
        if (change.visible) {
            EXPECT_NE(after, before);
        }
        EXPECT_EQ(after, WholeFrame());
    }
    // Nothing changed: the refresh presents the picture it keeps and draws no frame.
    const long frames = context_.GetRefreshCounter();
    const std::vector<unsigned char> kept = Front();
    view_->refresh();
    EXPECT_EQ(context_.GetRefreshCounter(), frames);
    EXPECT_EQ(Front(), kept);
}

TEST_F(RefreshFollowsSettingsGLTest, AMovedBodyHasItsNewBoxAndIsDrawnWholeWhereItNowIs)
{
    // Lit pixels of the front buffer.
    const auto lit = [] {
        const std::vector<unsigned char> rgb = Front();
        int count = 0;
        for (size_t i = 0; i < rgb.size(); i += 3) count += rgb[i] + rgb[i + 1] + rgb[i + 2] > 60;
        return count;
    };
    view_->ZoomAll(1.0f);
    view_->refresh();
    const int shaded = lit();
    view_->SetRenderMode(eRenderWireframe);
    const int wire = lit();
    ASSERT_GT(shaded, 1000);
    ASSERT_GT(wire, 100);

    SPAtransf moved = translate_transf(SPAvector(80, 0, 0));
    context_.SetTransformation(block_, moved);
    // The body's box, the scene's and the geometry's are where the body is drawn.
    CGmPosition low, high;
    ASSERT_TRUE(context_.GetBox(block_, low, high, true));
    EXPECT_NEAR(low.x(), 60, 1e-3);
    EXPECT_NEAR(high.x(), 100, 1e-3);
    ASSERT_TRUE(context_.GetBox(block_, low, high, false));
    EXPECT_NEAR(low.x(), 60, 1e-3);
    SPAposition sceneLow, sceneHigh;
    context_.GetBox(sceneLow, sceneHigh);
    EXPECT_NEAR(sceneLow.x(), 60, 1e-3);
    EXPECT_NEAR(sceneHigh.x(), 100, 1e-3);
    SPAbox geometryBox;
    ASSERT_TRUE(CVyrBodyGeometry(block_, &context_).GetBoundBox(geometryBox, 0));
    EXPECT_NEAR(geometryBox.low().x(), 60, 1e-3);

    // Framed at its new place, the body is drawn whole (not cut by near and far planes measured
    // where it was), in every mode.
    view_->ZoomAll(1.0f);
    view_->refresh();
    EXPECT_NEAR(lit(), wire, wire / 20);
    view_->SetRenderMode(eRenderShade);
    EXPECT_NEAR(lit(), shaded, shaded / 50);
    view_->SetRenderMode(eRenderHiddenLines);
    EXPECT_GT(lit(), wire / 2);
    // A face moved on its own moves the body's box too.
    ENTITY_LIST faces;
    get_faces(block_, faces);
    faces.init();
    SPAtransf up = translate_transf(SPAvector(0, 0, 30));
    for (ENTITY* face = faces.next(); face; face = faces.next()) {
        CGmPosition faceLow, faceHigh;
        auto* item = dynamic_cast<CDsItemsGroup*>(context_.FindDsItem(face));
        if (!item || !item->GetBox(faceLow, faceHigh, false) || faceLow.z() < 9.9) continue;  // the top face
        context_.SetFaceTransformation(static_cast<FACE*>(face), up);
    }
    ASSERT_TRUE(context_.GetBox(block_, low, high, true));
    EXPECT_NEAR(high.z(), 40, 1e-3);
    context_.GetBox(sceneLow, sceneHigh);
    EXPECT_NEAR(sceneHigh.z(), 40, 1e-3);
}

TEST_F(RefreshFollowsSettingsGLTest, AModelerTransformMovesWhatItNamesAndTheRefreshDrawsItThere)
{
    // A transform of the modeler that names the body it moves ("TransfAttr") without being the
    // body's own transform.
    auto* transform = new TRANSFORM(translate_transf(SPAvector(0, 200, 0)));
    ASSERT_TRUE(api_add_generic_named_attribute(transform, "TransfAttr", block_).ok());
    const std::vector<unsigned char> before = Front();
    context_.update_transform(transform);
    CGmPosition low, high;
    ASSERT_TRUE(context_.GetBox(block_, low, high, true));
    EXPECT_NEAR(low.y(), 190, 1e-3);
    SPAposition sceneLow, sceneHigh;
    context_.GetBox(sceneLow, sceneHigh);
    EXPECT_NEAR(sceneLow.y(), 190, 1e-3);
    // Moved out of the picture: the refresh that update_transform made shows nothing of it.
    const std::vector<unsigned char> after = Front();
    EXPECT_NE(after, before);
    EXPECT_EQ(after, WholeFrame());
    view_->ZoomAll(1.0f);
    view_->refresh();
    EXPECT_NE(Front(), after);
    transform->lose();
}

TEST_F(RefreshFollowsSettingsGLTest, AHighlightInAHiddenLinePictureLeavesTheHiddenEdgesHidden)
{
    const int part = context_.GetScene()->GetDbScene().GetPeerPartId();
    const int id = 1;
    const std::vector<CVyrObjectPath> block = {CVyrObjectPath(&id, 1, 1, part)};
    // Pixels the highlight changed in the picture of a render mode.
    const auto highlighted = [&](ERenderMode mode) {
        view_->SetRenderMode(mode);
        const std::vector<unsigned char> plain = Front();
        context_.HighlightLocations(block, eAttribSetHighlight);
        const std::vector<unsigned char> lit = Front();
        context_.UnHighlightLocations();
        EXPECT_EQ(Front(), plain);
        int changed = 0;
        for (size_t i = 0; i < plain.size(); i += 3)
            changed += plain[i] != lit[i] || plain[i + 1] != lit[i + 1] || plain[i + 2] != lit[i + 2];
        return changed;
    };
    // Seen from a corner, three of the block's twelve edges lie behind it.
    const int wire = highlighted(eRenderWireframe);
    const int hidden = highlighted(eRenderHiddenLines);
    ASSERT_GT(wire, 200);
    EXPECT_GT(hidden, wire / 2);
    EXPECT_LT(hidden, wire * 85 / 100);
}

TEST_F(RefreshFollowsSettingsGLTest, AFaceMovedOnItsOwnIsDrawnWhereItNowIs)
{
    // Seen from above; the top face is moved 30 to the right, half off the block.
    ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300).ApplyTo(*view_);
    view_->refresh();
    float x = 0, y = 0;
    ASSERT_TRUE(view_->world_to_drawable(SPAposition(40, 0, 10), x, y));
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
        auto* item = dynamic_cast<CDsItemsGroup*>(context_.FindDsItem(face));
        if (item && item->GetBox(low, high, false) && low.z() > 9.9)
            context_.SetFaceTransformation(static_cast<FACE*>(face), translate_transf(SPAvector(30, 0, 0)));
    }
    view_->refresh();
    EXPECT_TRUE(litAt());
    EXPECT_EQ(Front(), WholeFrame());
}

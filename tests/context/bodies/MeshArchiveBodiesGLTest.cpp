// A body shown from meshes read back from its saved record: the same picture as the faceted one,
// outlines of curved faces included, and no face faceted on the way.
#include "DsAttributes.h"
#include "DsGlContext.h"
#include "DsItemsBody.h"
#include "DsQueryIDInt.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "VyrBodyGeometry.h"
#include "VyrMeshInterface.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include "SpaBuilders.h"
#include "SpaFaceter.h"

#include <afx.h>
#include <GL/gl.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 100;

// The same persistent id for an entity every time it is asked.
class StablePids : public CDsQueryIDInt {
public:
    StablePids() { StSetActiveQueryIDInt(this); }
    int QueryPID(ENTITY* entity) override
    {
        if (!entity) return 0;
        auto found = m_ids.emplace(entity, static_cast<int>(m_ids.size()) + 1);
        return found.first->second;
    }

private:
    std::map<ENTITY*, int> m_ids;
};

// The front buffer's pixels.
std::vector<unsigned char> Pixels()
{
    std::vector<unsigned char> rgb(kSize * kSize * 3);
    glFinish();
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

}  // namespace

TEST(MeshArchiveBodiesGLTest, ABodyShownFromItsLoadedRecordDrawsTheFacetedPictureWithoutFaceting)
{
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    vyrtest::ViewStaticsGuard statics;
    StablePids pids;
    vyrtest::FrameworkWindow window{kSize, kSize};
    CDsGlContext context;
    auto view = std::make_unique<CDsView3dCdc>(&window.wnd);
    view->SetGlContext(&context);
    context.add_view(view.get());
    ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(30, 40, 100)).Target(SPAposition(0, 0, 0)).Field(kSize, kSize)
        .Clip(1, 300).ApplyTo(*view);
    view->SetRenderMode(eRenderShade);
    BODY* cylinder = make_cylinder(SPAposition(0, 0, -10), SPAvector(0, 0, 1), 25, 20);
    ASSERT_NE(cylinder, nullptr);
    CDsAttributes look;
    look.SetColor(0x00C0FF);

    // Faceted as the context does it; the record saved from its interface.
    const long before = faceted_face_count();
    ASSERT_TRUE(VyrShowBody(&context, cylinder, 1, &look));
    EXPECT_GT(faceted_face_count(), before);
    view->refresh();
    const std::vector<unsigned char> faceted = Pixels();
    CMemFile file;
    {
        CArchive archive(&file, CArchive::store);
        context.FindDsBody(cylinder)->GetMeshInterface()->Save(&archive, false);
        archive.Close();
    }
    VyrHideBody(&context, cylinder, 1);
    view->refresh();
    EXPECT_NE(Pixels(), faceted);

    // Shown again from the record alone.
    CVyrMeshInterface loaded;
    file.SeekToBegin();
    {
        CArchive archive(&file, CArchive::load);
        ASSERT_TRUE(loaded.Load(&archive, false));
    }
    const long atLoad = faceted_face_count();
    context.AddBody(cylinder, &loaded);
    ASSERT_TRUE(VyrShowBody(&context, cylinder, 1, &look));
    view->refresh();
    const std::vector<unsigned char> reloaded = Pixels();
    EXPECT_EQ(faceted_face_count(), atLoad);
    int lit = 0, differ = 0;
    for (size_t i = 0; i < faceted.size(); i += 3) {
        lit += faceted[i] + faceted[i + 1] + faceted[i + 2] > 40;
        for (size_t c = 0; c < 3; ++c) differ += std::abs(int(faceted[i + c]) - int(reloaded[i + c])) > 3;
    }
    EXPECT_GT(lit, 1000);  // a disc of radius 25 seen from above and aside
    EXPECT_EQ(differ, 0);

    VyrHideBody(&context, cylinder, 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    view.reset();
    cylinder->lose();
    wglMakeCurrent(nullptr, nullptr);
}

TEST(MeshArchiveBodiesGLTest, AFrustumsOutlineFromItsLoadedRecordIsTheFacetedOne)
{
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    vyrtest::ViewStaticsGuard statics;
    StablePids pids;
    vyrtest::FrameworkWindow window{kSize, kSize};
    CDsGlContext context;
    auto view = std::make_unique<CDsView3dCdc>(&window.wnd);
    view->SetGlContext(&context);
    context.add_view(view.get());
    context.SetSilhouetteLevel(eDsSilhouetteCylinders);
    // Seen from -y with +z up: model (x, z) on pixel (20 + x, 40 + z); the top rim in row 60, the
    // point where the sides would meet, (30, 20, 30), in row 70.
    ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(30, -80, 10)).Target(SPAposition(30, 20, 10))
        .Up(SPAvector(0, 0, 1)).Field(kSize, kSize).Clip(1, 300).ApplyTo(*view);
    BODY* frustum = make_cone(SPAposition(30, 20, 0), SPAvector(0, 0, 1), 15, 5, 20);
    ASSERT_NE(frustum, nullptr);
    CDsAttributes look;
    look.SetColor(0x00C0FF);
    // Lit pixels above the rim, left of the view's axis triad (from column 74).
    auto aboveRim = [](const std::vector<unsigned char>& rgb) {
        int lit = 0;
        for (int y = 62; y <= 90; ++y)
            for (int x = 20; x <= 70; ++x) {
                const unsigned char* p = &rgb[(size_t(y) * kSize + x) * 3];
                lit += p[0] + p[1] + p[2] > 60;
            }
        return lit;
    };

    for (ERenderMode mode : {eRenderWireframe, eRenderShade}) {
        view->SetRenderMode(mode);
        ASSERT_TRUE(VyrShowBody(&context, frustum, 1, &look));
        view->refresh();
        const std::vector<unsigned char> faceted = Pixels();
        CMemFile file;
        {
            CArchive archive(&file, CArchive::store);
            context.FindDsBody(frustum)->GetMeshInterface()->Save(&archive, false);
            archive.Close();
        }
        VyrHideBody(&context, frustum, 1);

        CVyrMeshInterface loaded;
        file.SeekToBegin();
        {
            CArchive archive(&file, CArchive::load);
            ASSERT_TRUE(loaded.Load(&archive, false));
        }
        context.AddBody(frustum, &loaded);
        ASSERT_TRUE(VyrShowBody(&context, frustum, 1, &look));
        view->refresh();
        const std::vector<unsigned char> reloaded = Pixels();
        VyrHideBody(&context, frustum, 1);

        int differ = 0;
        for (size_t i = 0; i < faceted.size(); ++i) differ += std::abs(int(faceted[i]) - int(reloaded[i])) > 3;
        EXPECT_EQ(differ, 0) << "mode " << mode;
        EXPECT_EQ(aboveRim(faceted), 0) << "mode " << mode;
        EXPECT_EQ(aboveRim(reloaded), 0) << "mode " << mode;
    }

    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    view.reset();
    frustum->lose();
    wglMakeCurrent(nullptr, nullptr);
}

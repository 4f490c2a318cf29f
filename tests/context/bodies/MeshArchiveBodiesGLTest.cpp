// A body shown from meshes read back from its saved record: the same picture as the faceted one,
// outlines of curved faces included, and no face faceted on the way.
#include "DsGlContext.h"
#include "DsItemsBody.h"
#include "DsQueryIDInt.h"
#include "DsView3dCdc.h"
#include "HostFixture.h"
#include "VyrMeshInterface.h"

#include "SpaBuilders.h"
#include "SpaFaceter.h"

#include <afx.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

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

// How many channels of two pictures of one size differ by more than 3.
int Differing(const vyrtest::Picture& a, const vyrtest::Picture& b)
{
    int differ = 0;
    for (size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i) differ += std::abs(int(a.rgb[i]) - int(b.rgb[i])) > 3;
    return differ;
}

// A host whose entities keep one persistent id each for the whole test.
class MeshArchiveBodiesGLTest : public vyrtest::HostTest {
protected:
    StablePids pids_;
};

}  // namespace

TEST_F(MeshArchiveBodiesGLTest, ABodyShownFromItsLoadedRecordDrawsTheFacetedPictureWithoutFaceting)
{
    host_->Look(ViewSetup().Eye(SPAposition(30, 40, 100)).Target(SPAposition(0, 0, 0)).Field(kSize, kSize).Clip(1, 300));
    CDsGlContext& context = host_->Context();
    BODY* cylinder = make_cylinder(SPAposition(0, 0, -10), SPAvector(0, 0, 1), 25, 20);
    ASSERT_NE(cylinder, nullptr);

    // Faceted as the context does it; the record saved from its interface.
    const long before = faceted_face_count();
    ASSERT_NE(host_->Show(cylinder), nullptr);
    EXPECT_GT(faceted_face_count(), before);
    host_->Refresh();
    const vyrtest::Picture faceted = host_->Front();
    CMemFile file;
    {
        CArchive archive(&file, CArchive::store);
        context.FindDsBody(cylinder)->GetMeshInterface()->Save(&archive, false);
        archive.Close();
    }
    host_->Hide(cylinder);
    host_->Refresh();
    EXPECT_NE(host_->Front(), faceted);

    // Shown again from the record alone.
    CVyrMeshInterface loaded;
    file.SeekToBegin();
    {
        CArchive archive(&file, CArchive::load);
        ASSERT_TRUE(loaded.Load(&archive, false));
    }
    const long atLoad = faceted_face_count();
    context.AddBody(cylinder, &loaded);
    host_->ShowAgain(cylinder);
    ASSERT_TRUE(host_->Shown(cylinder));
    host_->Refresh();
    const vyrtest::Picture reloaded = host_->Front();
    EXPECT_EQ(faceted_face_count(), atLoad);
    EXPECT_GT(faceted.LitCount(40), 1000);  // a disc of radius 25 seen from above and aside
    EXPECT_EQ(Differing(faceted, reloaded), 0);

    host_->Hide(cylinder);  // while the record's meshes it shares are still there
}

TEST_F(MeshArchiveBodiesGLTest, AFrustumsOutlineFromItsLoadedRecordIsTheFacetedOne)
{
    CDsGlContext& context = host_->Context();
    context.SetSilhouetteLevel(eDsSilhouetteCylinders);
    // Seen from -y with +z up: model (x, z) on pixel (20 + x, 40 + z); the top rim in row 60, the
    // point where the sides would meet, (30, 20, 30), in row 70.
    host_->Look(ViewSetup().Eye(SPAposition(30, -80, 10)).Target(SPAposition(30, 20, 10)).Up(SPAvector(0, 0, 1))
                    .Field(kSize, kSize).Clip(1, 300));
    BODY* frustum = make_cone(SPAposition(30, 20, 0), SPAvector(0, 0, 1), 15, 5, 20);
    ASSERT_NE(frustum, nullptr);
    // Lit pixels above the rim, left of the view's axis triad (from column 74).
    auto aboveRim = [](const vyrtest::Picture& picture) { return picture.LitIn(20, 70, 62, 90); };

    for (ERenderMode mode : {eRenderWireframe, eRenderShade}) {
        host_->View().SetRenderMode(mode);
        // The first time as a new body of the host's, then again under its id.
        if (host_->IdOf(frustum) == 0)
            host_->Show(frustum);
        else
            host_->ShowAgain(frustum);
        ASSERT_TRUE(host_->Shown(frustum));
        host_->Refresh();
        const vyrtest::Picture faceted = host_->Front();
        CMemFile file;
        {
            CArchive archive(&file, CArchive::store);
            context.FindDsBody(frustum)->GetMeshInterface()->Save(&archive, false);
            archive.Close();
        }
        host_->Hide(frustum);

        CVyrMeshInterface loaded;
        file.SeekToBegin();
        {
            CArchive archive(&file, CArchive::load);
            ASSERT_TRUE(loaded.Load(&archive, false));
        }
        context.AddBody(frustum, &loaded);
        host_->ShowAgain(frustum);
        ASSERT_TRUE(host_->Shown(frustum));
        host_->Refresh();
        const vyrtest::Picture reloaded = host_->Front();
        host_->Hide(frustum);

        EXPECT_EQ(Differing(faceted, reloaded), 0) << "mode " << mode;
        EXPECT_EQ(aboveRim(faceted), 0) << "mode " << mode;
        EXPECT_EQ(aboveRim(reloaded), 0) << "mode " << mode;
    }
}

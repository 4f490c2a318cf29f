// The host's own calls (VyrShowBody, VyrHideBody) with the ids a host gets wrong: a refused call
// changes nothing, so that a host may free what it was told is not shown; a document opened again
// shows its bodies under the ids they had; a wrong body and id pair is refused.
#include "DsAttributes.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsScene.h"
#include "DsPartStorage.h"
#include "EntityDeleter.h"
#include "HostFixture.h"
#include "VyrBodyGeometry.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

namespace {

using vyrtest::Host;
using vyrtest::ViewSetup;

constexpr int kSize = 80;

ViewSetup Camera()
{
    return ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300);
}

class HostCallsGLTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(vyrtest::DisplayAvailable()); }

    vyrtest::ViewStaticsGuard statics_;
};

}  // namespace

TEST_F(HostCallsGLTest, AShowRefusedForATakenIdLeavesTheBodyOutOfTheContext)
{
    Host host(kSize, kSize);
    host.Look(Camera());
    BODY* shown = host.ShowBlock(SPAposition(-30, -10, -10), SPAposition(-10, 10, 10));
    ASSERT_NE(shown, nullptr);
    CDsAttributes look;
    look.SetColor(Host::kOrange);
    BODY* refused = make_block(10, -10, -10, 30, 10, 10);
    ASSERT_NE(refused, nullptr);
    EXPECT_FALSE(VyrShowBody(&host.Context(), refused, host.IdOf(shown), &look));
    EXPECT_EQ(host.Context().FindDsBody(refused), nullptr);
    EXPECT_FALSE(VyrShowBody(&host.Context(), refused, 0, &look));  // an id the database refuses
    EXPECT_EQ(host.Context().FindDsBody(refused), nullptr);
    // Told that the body is not shown, the host frees it; the context draws on without it.
    refused->lose();
    host.Context().ReFacetAll();
    const vyrtest::Picture picture = host.WholeFrame();
    int x = 0, y = 0;
    ASSERT_TRUE(host.PixelOf(SPAposition(20, 0, 10), x, y));
    EXPECT_FALSE(picture.LitNear(x, kSize - 1 - y, 2));
    ASSERT_TRUE(host.PixelOf(SPAposition(-20, 0, 10), x, y));
    EXPECT_TRUE(picture.LitNear(x, kSize - 1 - y, 2));
    EXPECT_EQ(host.PickAt(SPAposition(-20, 0, 10)).GetObjectPath(), host.PathOf(shown));
}

TEST_F(HostCallsGLTest, AWrongBodyAndIdPairIsRefusedAndChangesNothing)
{
    Host host(kSize, kSize);
    host.Look(Camera());
    BODY* left = host.ShowBlock(SPAposition(-30, -10, -10), SPAposition(-10, 10, 10));
    BODY* right = host.ShowBlock(SPAposition(10, -10, -10), SPAposition(30, 10, 10));
    ASSERT_TRUE(left && right);
    const int leftId = host.IdOf(left), rightId = host.IdOf(right), freeId = 7;
    const auto showsBoth = [&] {
        EXPECT_EQ(host.PickAt(SPAposition(-20, 0, 10)).GetObjectPath(), host.PathOf(left));
        EXPECT_EQ(host.PickAt(SPAposition(20, 0, 10)).GetObjectPath(), host.PathOf(right));
        EXPECT_NE(host.Context().FindDsBody(left), nullptr);
        EXPECT_NE(host.Context().FindDsBody(right), nullptr);
    };

    // One body under a second id: refused, and the first id still shows it.
    EXPECT_FALSE(VyrShowBody(&host.Context(), left, freeId, nullptr));
    const int part = host.Context().GetScene()->GetDbScene().GetPeerPartId();
    EXPECT_EQ(CDsPartStorage::instance()->GetPart(part)->FindItem(freeId), nullptr);
    // Another body's id taken out with this body: refused.
    EXPECT_FALSE(VyrHideBody(&host.Context(), right, leftId));
    EXPECT_FALSE(VyrHideBody(&host.Context(), left, rightId));
    EXPECT_FALSE(VyrHideBody(&host.Context(), nullptr, leftId));
    host.Refresh();
    showsBoth();

    // The right pair takes the body out; an id that holds nothing is refused and changes nothing.
    EXPECT_TRUE(VyrHideBody(&host.Context(), right, rightId));
    EXPECT_EQ(host.Context().FindDsBody(right), nullptr);
    EXPECT_TRUE(VyrShowBody(&host.Context(), right, rightId, nullptr));
    EXPECT_FALSE(VyrHideBody(&host.Context(), right, freeId));
    EXPECT_NE(host.Context().FindDsBody(right), nullptr);
    EXPECT_FALSE(VyrHideBody(&host.Context(), left, rightId));  // the right body's item
    EXPECT_TRUE(VyrHideBody(&host.Context(), right, rightId));
    CDsAttributes look;
    look.SetColor(Host::kOrange);
    EXPECT_TRUE(VyrShowBody(&host.Context(), right, rightId, &look));
    host.Refresh();
    showsBoth();
}

TEST_F(HostCallsGLTest, ADocumentOpenedAgainShowsItsBodiesUnderTheIdsTheyHad)
{
    constexpr int kDocument = 21;
    ASSERT_EQ(CDsPartStorage::instance()->GetPart(kDocument), nullptr);
    for (int opening = 0; opening < 3; ++opening) {
        SCOPED_TRACE(opening);
        Host host(kSize, kSize, kDocument);
        host.Look(Camera());
        BODY* left = host.ShowBlock(SPAposition(-30, -10, -10), SPAposition(-10, 10, 10));
        BODY* right = host.ShowBlock(SPAposition(10, -10, -10), SPAposition(30, 10, 10));
        ASSERT_TRUE(left && right);
        host.Refresh();
        EXPECT_EQ(host.PickAt(SPAposition(-20, 0, 10)).GetObjectPath(), host.PathOf(left));
        EXPECT_EQ(host.PickAt(SPAposition(20, 0, 10)).GetObjectPath(), host.PathOf(right));
        {
            // A second window of the open document: the ids are the first window's.
            Host second(kSize, kSize, kDocument);
            BODY* block = make_block(-5, -5, -5, 5, 5, 5);
            EXPECT_FALSE(VyrShowBody(&second.Context(), block, host.IdOf(left), nullptr));
            EXPECT_EQ(second.Context().FindDsBody(block), nullptr);
            block->lose();
        }
        host.Close();  // the bodies still shown; the document's part keeps their items
    }
    // Dropped for good: the part goes.
    EXPECT_TRUE(CDsPartStorage::instance()->RemovePart(kDocument));
}

// Shown without attributes, a body takes the look of its object type in the part's palette: black
// until the host sets that entry, which does not show on the default black background.
TEST_F(HostCallsGLTest, ABodyShownWithoutAttributesTakesItsTypesLookInThePartsPalette)
{
    Host host(kSize, kSize);
    host.Look(Camera());
    BODY* block = make_block(-20, -10, -10, 20, 10, 10);
    ASSERT_TRUE(VyrShowBody(&host.Context(), block, 1, nullptr));
    EXPECT_EQ(host.WholeFrame().LitIn(25, 55, 32, 48, 10), 0);  // where the block stands
    const int part = host.Context().GetScene()->GetDbScene().GetPeerPartId();
    CDsAttributes look;
    look.SetColor(0x00FF00);  // green
    ASSERT_TRUE(CDsPartStorage::instance()->GetPart(part)->SetPaletteEntry(Host::kBodyType, look));
    const vyrtest::Picture picture = host.WholeFrame();
    const unsigned char* middle = picture.At(kSize / 2, kSize / 2);
    EXPECT_GT(middle[1], 60);
    EXPECT_LT(middle[0] + middle[2], middle[1] / 2);
    EXPECT_TRUE(VyrHideBody(&host.Context(), block, 1));
    block->lose();
}

TEST_F(HostCallsGLTest, ABodyTakenOutOfTheContextLeavesTheNextRefreshAndAHideUnderAnEmptyIdChangesNothing)
{
    Host host(kSize, kSize);
    host.Look(Camera());
    BODY* body = host.ShowBlock(SPAposition(-20, -20, -10), SPAposition(20, 20, 10));
    ASSERT_NE(body, nullptr);
    host.Refresh();
    const vyrtest::Picture shown = host.Front();
    ASSERT_TRUE(shown.Lit(kSize / 2, kSize / 2));
    // Out of the context, not of the database: the next refresh draws it nowhere, as a whole
    // frame does; back in the context, it draws again.
    host.Context().remove(body);
    host.Refresh();
    EXPECT_FALSE(host.Front().Lit(kSize / 2, kSize / 2));
    EXPECT_TRUE(vyrtest::SamePicture(host.Front(), host.WholeFrame()));
    host.Context().add(body);
    host.Refresh();
    EXPECT_TRUE(vyrtest::SamePicture(host.Front(), shown));
    // A hide under an id that holds nothing is refused and changes nothing: the body stays shown
    // under its own id, which still hides it.
    EXPECT_FALSE(VyrHideBody(&host.Context(), body, host.IdOf(body) + 1));
    EXPECT_NE(host.Context().FindDsBody(body), nullptr);
    host.Refresh();
    EXPECT_TRUE(vyrtest::SamePicture(host.Front(), shown));
    EXPECT_EQ(host.PickAt(SPAposition(0, 0, 10)).GetObjectPath(), host.PathOf(body));
    EXPECT_TRUE(VyrHideBody(&host.Context(), body, host.IdOf(body)));
    host.Refresh();
    EXPECT_FALSE(host.Front().Lit(kSize / 2, kSize / 2));
    EXPECT_TRUE(VyrShowBody(&host.Context(), body, host.IdOf(body), nullptr));
}

// Scenes of contexts as a host opens windows: a context made without a scene number shows a scene
// of its own, so two such windows each show their own body (even under the same item id) and
// hiding a body in one leaves the other as it was; contexts made with one number share its model
// part on purpose, and a context made with the number of a context of its own keeps that part (and
// its bodies) when the first goes. Bodies are shown through the host's body geometry, pictures
// read back from each window's front buffer.
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsPartStorage.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "HostFixture.h"
#include "VyrBodyGeometry.h"

#include "SpaBuilders.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <memory>

using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 100;
constexpr unsigned kOrange = 0x0080FF, kBlue = 0xFF4000;  // 0x00BBGGRR

// Every window's camera: looking down -z at a 100 x 100 model-unit field, one unit a pixel.
ViewSetup Camera() { return ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300); }

// Makes the host's view the current one (as a host does for the window it works in), draws its
// frame and reads one pixel of its front buffer (x, y from the bottom left).
Rgb Shown(vyrtest::Host& host, int x, int y)
{
    CDsView3dCdc::StSetCurrent(&host.View(), false);
    host.Refresh();
    return host.Front().ColorAt(x, y);
}

BODY* LeftBlock() { return make_block(-40, -10, -10, -10, 10, 10); }  // about pixels 10 to 40 across
BODY* RightBlock() { return make_block(10, -10, -10, 40, 10, 10); }   // about pixels 60 to 90 across

bool IsOrange(const Rgb& c) { return c.r > 100 && c.r > c.b + 60; }
bool IsBlue(const Rgb& c) { return c.b > 100 && c.b > c.r + 60; }
bool IsBlack(const Rgb& c) { return c.r + c.g + c.b < 40; }

class ContextScenesGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        left_ = LeftBlock();
        ASSERT_TRUE(left_);
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        wglMakeCurrent(nullptr, nullptr);
        if (left_) left_->lose();
    }

    vyrtest::ViewStaticsGuard statics_;
    // A block a test shows itself, past the hosts' own bodies.
    BODY* left_ = nullptr;
};

}  // namespace

TEST_F(ContextScenesGLTest, TwoContextsMadeWithoutANumberEachShowTheirOwnBody)
{
    int firstNumber = 0, secondNumber = 0;
    {
        vyrtest::Host one(kSize, kSize), two(kSize, kSize);
        firstNumber = one.Context().GetScene()->GetSceneNumber();
        secondNumber = two.Context().GetScene()->GetSceneNumber();
        EXPECT_NE(firstNumber, secondNumber);
        // Away from the documents' run-time numbers, which count up from 0.
        EXPECT_GE(firstNumber, 1 << 30);
        EXPECT_GE(secondNumber, 1 << 30);
        one.Look(Camera());
        two.Look(Camera());

        BODY* left = one.Show(LeftBlock(), kOrange);
        ASSERT_NE(left, nullptr);
        BODY* right = two.Show(RightBlock(), kBlue);  // the same item id, in its own model part
        ASSERT_NE(right, nullptr);
        Rgb c = Shown(one, 25, 50);
        EXPECT_TRUE(IsOrange(c)) << c;
        c = Shown(one, 75, 50);
        EXPECT_TRUE(IsBlack(c)) << "the second window's body in the first: " << c;
        c = Shown(two, 75, 50);
        EXPECT_TRUE(IsBlue(c)) << c;
        c = Shown(two, 25, 50);
        EXPECT_TRUE(IsBlack(c)) << "the first window's body in the second: " << c;

        // Hiding the second window's body leaves the first window's as it was.
        two.Hide(right);
        c = Shown(two, 75, 50);
        EXPECT_TRUE(IsBlack(c)) << c;
        c = Shown(one, 25, 50);
        EXPECT_TRUE(IsOrange(c)) << c;
        one.Hide(left);
    }
    // The model part of a context of its own goes with it.
    EXPECT_EQ(CDsPartStorage::instance()->GetPart(firstNumber), nullptr);
    EXPECT_EQ(CDsPartStorage::instance()->GetPart(secondNumber), nullptr);
    // And its number is not handed out again.
    CDsGlContext third;
    EXPECT_NE(third.GetScene()->GetSceneNumber(), firstNumber);
    EXPECT_NE(third.GetScene()->GetSceneNumber(), secondNumber);
}

TEST_F(ContextScenesGLTest, ContextsMadeWithOneNumberShareItsModelPartWhichOutlivesThem)
{
    constexpr int kDocument = 7;
    ASSERT_EQ(CDsPartStorage::instance()->GetPart(kDocument), nullptr);
    {
        vyrtest::Host one(kSize, kSize, kDocument), two(kSize, kSize, kDocument);
        EXPECT_EQ(two.Context().GetScene()->GetDbScene().GetPeerPartId(), kDocument);
        one.Look(Camera());
        two.Look(Camera());
        BODY* left = one.Show(LeftBlock(), kOrange);
        ASSERT_NE(left, nullptr);
        // The second context's view shows the document's body, though the body is the first's.
        Rgb c = Shown(two, 25, 50);
        EXPECT_TRUE(IsOrange(c)) << c;
        c = Shown(one, 25, 50);
        EXPECT_TRUE(IsOrange(c)) << c;
        one.Hide(left);
        c = Shown(two, 25, 50);
        EXPECT_TRUE(IsBlack(c)) << c;
    }
    // The document's part stays for the document.
    EXPECT_NE(CDsPartStorage::instance()->GetPart(kDocument), nullptr);
    EXPECT_TRUE(CDsPartStorage::instance()->RemovePart(kDocument));
}

// A context whose scene number a host filed a part under already passes over it.
TEST_F(ContextScenesGLTest, AContextOfItsOwnPassesOverNumbersWhosePartsExist)
{
    int next = 0;
    {
        CDsGlContext probe;
        next = probe.GetScene()->GetSceneNumber() - 1;
    }
    ASSERT_NE(CDsPartStorage::instance()->CreatePart(next), nullptr);
    ASSERT_NE(CDsPartStorage::instance()->CreatePart(~(next - 1)), nullptr);
    {
        CDsGlContext context;
        EXPECT_EQ(context.GetScene()->GetSceneNumber(), next - 2);
    }
    EXPECT_NE(CDsPartStorage::instance()->GetPart(next), nullptr);  // not the context's to remove
    EXPECT_TRUE(CDsPartStorage::instance()->RemovePart(next));
    EXPECT_TRUE(CDsPartStorage::instance()->RemovePart(~(next - 1)));
}

TEST_F(ContextScenesGLTest, AContextMadeWithTheNumberOfAContextOfItsOwnKeepsThePartWhenTheFirstGoes)
{
    const ViewSetup camera = Camera();
    auto first = std::make_unique<vyrtest::Host>(kSize, kSize);
    first->Look(camera);
    const int number = first->Context().GetScene()->GetSceneNumber();
    // The first window's body, under an id of its own in the part the windows share.
    CDsAttributes look;
    look.SetColor(kOrange);
    ASSERT_TRUE(VyrShowBody(&first->Context(), left_, 2, &look));
    {
        vyrtest::Host second(kSize, kSize, number);
        second.Look(camera);
        BODY* right = second.Show(RightBlock(), kBlue);
        ASSERT_NE(right, nullptr);
        second.Refresh();
        EXPECT_TRUE(second.Front().Lit(25, 50));  // the first window's body, in the shared part

        first.reset();  // closed with its body shown
        EXPECT_NE(CDsPartStorage::instance()->GetPart(number), nullptr);
        EXPECT_NE(CDsPartStorage::instance()->GetPart(~number), nullptr);
        const vyrtest::Picture picture = second.WholeFrame();
        const Rgb shown = picture.ColorAt(75, 50);
        EXPECT_TRUE(IsBlue(shown)) << shown;
        // The first window's body went with its context.
        EXPECT_FALSE(picture.Lit(25, 50));
        EXPECT_EQ(second.Pick(75, 50).GetObjectPath(), second.PathOf(right));
    }
    // The last context that showed it took the part with it.
    EXPECT_EQ(CDsPartStorage::instance()->GetPart(number), nullptr);
    EXPECT_EQ(CDsPartStorage::instance()->GetPart(~number), nullptr);
}

// Solids placed by a transformation that mirrors space (a reflection, alone, twice or with a
// scale) on every road a host places a body by, beside the moves, turns and scales that do not:
// in the shaded render modes, with display lists and without, the face towards the eye is lit as
// on the unplaced solid, frame after frame. So are a mirrored copy drawn from its body's meshes in
// the same frame as the body, a face mirrored on its own (with its body mirrored too: no mirror),
// vertex-coloured faces, and every shaded leaf of a figure under a mirroring placement.
#include "DsGlContext.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsManager.h"
#include "DsPalette.h"
#include "GlTestFixture.h"
#include "GmPosition.h"
#include "HostFixture.h"
#include "VyrBodyGeometry.h"
#include "VyrEntInstance.h"
#include "VyrIndexedMesh.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::Host;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

constexpr int kWide = 200, kHigh = 100;
// A curved mesh is met at another of its triangles where it is placed (lit by a few units more or
// less); a face lit from behind has lost three quarters of its light.
constexpr int kTolerance = 10;
const SPAposition kCentre(0.6, 0.4, 0.0);

// Display lists (display-manager flag 4) on or off for a scope.
class ListsScope {
public:
    explicit ListsScope(bool on) : m_was(CDsManager::GetInstance()->GetFlag(4))
    {
        CDsManager::GetInstance()->SetFlag(4, on);
    }
    ~ListsScope() { CDsManager::GetInstance()->SetFlag(4, m_was); }
    ListsScope(const ListsScope&) = delete;
    ListsScope& operator=(const ListsScope&) = delete;

private:
    bool m_was;
};

// A solid about kCentre, the normal (on the unplaced solid) of the point the test looks at, and
// the point of its surface with a given outward normal (for the normals the placements below give
// that point); where several points have it, the one furthest towards `side` (the torus).
struct Shape {
    std::string name;
    std::function<BODY*()> make;
    SPAunit_vector towardsEye;
    std::function<SPAposition(const SPAunit_vector& normal, const SPAunit_vector& side)> facing;
};

// On a cap (or a block's face) the middle of the face the normal leaves.
SPAposition CapFacing(const SPAunit_vector& n, double halfX, double halfY, double halfZ)
{
    return kCentre + SPAvector(halfX * std::round(n.x()), halfY * std::round(n.y()), halfZ * std::round(n.z()));
}

std::vector<Shape> Shapes()
{
    const SPAvector z(0, 0, 1);
    // A sphere is looked at off its pole, where its seam edge ends; a torus on its top circle
    // where the light does not change across the tube (towards y, the light coming from -x).
    return {
        {"block", [] { return make_block(-0.9, -0.6, -1, 2.1, 1.4, 1); }, SPAunit_vector(0, 0, 1),
         [](const SPAunit_vector& n, const SPAunit_vector&) { return CapFacing(n, 1.5, 1.0, 1.0); }},
        {"cylinder", [=] { return make_cylinder(kCentre - z, z, 1.2, 2.0); }, SPAunit_vector(0, 0, 1),
         [](const SPAunit_vector& n, const SPAunit_vector&) { return CapFacing(n, 0, 0, 1.0); }},
        {"cone", [=] { return make_cone(kCentre - z, z, 1.3, 0.6, 2.0); }, SPAunit_vector(0, 0, 1),
         [](const SPAunit_vector& n, const SPAunit_vector&) { return CapFacing(n, 0, 0, 1.0); }},
        {"sphere", [] { return make_sphere(kCentre, 1.3); }, normalise(SPAvector(0, 0.3, 1)),
         [](const SPAunit_vector& n, const SPAunit_vector&) { return kCentre + 1.3 * SPAvector(n.x(), n.y(), n.z()); }},
        {"torus", [=] { return make_torus(kCentre, z, 1.2, 0.5); }, SPAunit_vector(0, 0, 1),
         [](const SPAunit_vector& n, const SPAunit_vector& side) {
             const SPAvector around = normalise(SPAvector(side.x(), side.y(), 0));
             return kCentre + 1.2 * around + 0.5 * SPAvector(n.x(), n.y(), n.z());
         }},
    };
}

struct Placement {
    const char* name;
    SPAtransf transform;
};

std::vector<Placement> Placements()
{
    const SPAvector x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    return {
        {"moved", translate_transf(SPAvector(0.8, -0.5, 0.3))},
        {"turned upside down", rotate_transf(M_PI, x)},
        {"scaled", scale_transf(1.4)},
        {"mirrored in x", reflect_transf(x)},
        {"mirrored in y", reflect_transf(y)},
        {"mirrored in z", reflect_transf(z)},
        {"mirrored twice", reflect_transf(x) * reflect_transf(z)},
        {"mirrored and scaled", reflect_transf(y) * scale_transf(1.3) * translate_transf(SPAvector(-0.5, 0, 0))},
        // A mirror that shrinks: the model-view's determinant lies between -1 and 0.
        {"mirrored and shrunk", reflect_transf(z) * scale_transf(0.6)},
    };
}

// The roads by which a host places a body.
enum class ERoad { eModelerBeforeShow, eModelerAfterShow, eTransformId, eSetTransformation };
const char* Name(ERoad road)
{
    switch (road) {
    case ERoad::eModelerBeforeShow: return "a modeler transform before it is shown";
    case ERoad::eModelerAfterShow: return "set_body_transform and update_transform";
    case ERoad::eTransformId: return "a transform id";
    case ERoad::eSetTransformation: return "SetTransformation";
    }
    return "";
}

constexpr ERenderMode kShadedModes[] = {eRenderShade, eRenderMixed};

// A host of kWide x kHigh pixels looking down -z at the origin over 16 x 8 model units.
class MirroredPlacementsGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        MakeHost();
    }
    void MakeHost()
    {
        host_.reset();
        host_ = std::make_unique<Host>(kWide, kHigh);
        host_->Look(ViewSetup().Field(16, 8).Clip(1, 200));
    }
    // The colour of a whole new frame at the pixel of `point` (a test failure off the window).
    Rgb ColorOf(const SPAposition& point)
    {
        int x = 0, y = 0;
        EXPECT_TRUE(host_->PixelOf(point, x, y));
        return host_->WholeFrame().ColorAt(x, kHigh - 1 - y);
    }

    vyrtest::ViewStaticsGuard statics_;
    std::unique_ptr<Host> host_;
};

class EveryShapeGLTest : public MirroredPlacementsGLTest, public ::testing::WithParamInterface<int> {};

}  // namespace

TEST_P(EveryShapeGLTest, IsLitAsTheUnplacedSolidUnderEveryPlacementOnEveryRoad)
{
    const Shape shape = Shapes()[static_cast<size_t>(GetParam())];
    SCOPED_TRACE(shape.name);
    for (bool lists : {false, true}) {
        SCOPED_TRACE(lists ? "display lists" : "no display lists");
        const ListsScope scope(lists);
        MakeHost();
        // The unplaced solid, in each shaded mode.
        BODY* twin = host_->Show(shape.make());
        ASSERT_NE(twin, nullptr);
        Rgb expected[2];
        for (int m = 0; m < 2; ++m) {
            host_->View().SetRenderMode(kShadedModes[m]);
            expected[m] = ColorOf(shape.facing(shape.towardsEye, SPAunit_vector(0, 1, 0)));
            ASSERT_GT(expected[m].r, 150) << "the unplaced solid is lit: " << expected[m];
        }
        host_->Hide(twin);

        for (const Placement& placement : Placements()) {
            const SPAtransf& t = placement.transform;
            // The point that the placement turns towards the eye, as the unplaced solid's point is.
            const SPAunit_vector normal = normalise(SPAvector(shape.towardsEye) * t.inverse());
            const SPAunit_vector side = normalise(SPAvector(0, 1, 0) * t.inverse());
            const SPAposition looked = shape.facing(normal, side) * t;
            for (ERoad road : {ERoad::eModelerBeforeShow, ERoad::eModelerAfterShow, ERoad::eTransformId,
                               ERoad::eSetTransformation}) {
                SCOPED_TRACE(std::string(placement.name) + ", " + Name(road));
                BODY* body = shape.make();
                if (road == ERoad::eModelerBeforeShow) {
                    ASSERT_TRUE(set_body_transform(body, t).ok());
                }
                ASSERT_EQ(host_->Show(body), body);
                // Drawn unplaced first (its faces' lists recorded so), then placed.
                host_->View().SetRenderMode(eRenderShade);
                host_->WholeFrame();
                CDsGlContext& context = host_->Context();
                switch (road) {
                case ERoad::eModelerBeforeShow:
                    break;
                case ERoad::eModelerAfterShow:
                    ASSERT_TRUE(set_body_transform(body, t).ok());
                    context.update_transform(body->transform());
                    break;
                case ERoad::eTransformId: {
                    const unsigned short id = context.NewTransformId();
                    ASSERT_TRUE(context.SetTransformId(host_->PathOf(body), id));
                    ASSERT_TRUE(context.SetTransform(id, t));
                    break;
                }
                case ERoad::eSetTransformation: {
                    SPAtransf placed = t;
                    context.SetTransformation(body, placed);
                    break;
                }
                }
                for (int m = 0; m < 2; ++m) {
                    host_->View().SetRenderMode(kShadedModes[m]);
                    for (int frame = 0; frame < 2; ++frame) {
                        EXPECT_TRUE(ColorNear(ColorOf(looked), expected[m], kTolerance))
                            << "render mode " << kShadedModes[m] << ", frame " << frame;
                    }
                }
                host_->Hide(body);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(MirroredPlacementsGLTest, EveryShapeGLTest, ::testing::Range(0, 5),
                         [](const ::testing::TestParamInfo<int>& info) {
                             std::string name = Shapes()[static_cast<size_t>(info.param)].name;
                             name[0] = static_cast<char>(std::toupper(name[0]));
                             return name;
                         });

TEST_F(MirroredPlacementsGLTest, ABodyAndItsMirroredCopyShareTheirMeshesAndAreBothLitInEveryFrame)
{
    // The block alone, drawn from its meshes' lists (display lists off), then from its faces' own
    // lists (on), recorded while each mesh holds a list.
    BODY* block = host_->ShowBlock(SPAposition(1, -1, -1), SPAposition(3, 1, 1));
    ASSERT_NE(block, nullptr);
    Rgb expected;
    {
        const ListsScope off(false);
        expected = ColorOf(SPAposition(2, 0, 1));
        ASSERT_GT(expected.r, 150) << expected;
    }
    {
        const ListsScope on(true);
        EXPECT_TRUE(ColorNear(ColorOf(SPAposition(2, 0, 1)), expected, kTolerance));
    }
    // Then its copy mirrored in x: from here on every frame draws the meshes both ways, the body's
    // and the copy's middles of the tops seen in frames of their own.
    auto* instance = new CVyrEntInstance(block, reflect_transf(SPAvector(1, 0, 0)));
    ENTITY_LIST copies;
    instance->GetEntities(copies);
    ASSERT_EQ(copies.count(), 1);
    CDsAttributes look;
    look.SetColor(Host::kOrange);
    ASSERT_TRUE(VyrShowCopy(&host_->Context(), copies[0], 100, &look));
    const auto bothLit = [&](const char* when, const SPAposition& body, const SPAposition& copy) {
        SCOPED_TRACE(when);
        for (bool lists : {true, true, false, false, true}) {
            const ListsScope scope(lists);
            EXPECT_TRUE(ColorNear(ColorOf(body), expected, kTolerance)) << "the body, lists " << lists;
            EXPECT_TRUE(ColorNear(ColorOf(copy), expected, kTolerance)) << "the copy, lists " << lists;
        }
    };
    bothLit("the copy mirrored", SPAposition(2, 0, 1), SPAposition(-2, 0, 1));
    // The body mirrored in y, through its own item: the copy, mirrored after it, is mirrored twice.
    SPAtransf mirrorY = reflect_transf(SPAvector(0, 1, 0)) * translate_transf(SPAvector(0, 1.5, 0));
    host_->Context().SetTransformation(block, mirrorY);
    bothLit("the body mirrored too", SPAposition(2, 1.5, 1), SPAposition(-2, 1.5, 1));

    EXPECT_TRUE(VyrHideCopy(&host_->Context(), copies[0], 100));
    instance->lose();
}

TEST_F(MirroredPlacementsGLTest, AFaceMirroredOnItsOwnIsLitAndSoIsItWithItsBodyMirroredToo)
{
    // The top of the block mirrored in y onto itself by its own transformation: one mirror; then
    // the body mirrored in x as well: two. With the meshes drawn immediately too (document flag 1),
    // after which the front faces are counter-clockwise again.
    for (bool immediate : {false, true}) {
        SCOPED_TRACE(immediate ? "immediate meshes" : "meshes from lists");
        MakeHost();
        host_->Context().Set(eDsDocumentFlagImmediateMesh, immediate);
        BODY* block = host_->ShowBlock(SPAposition(1, -1, -1), SPAposition(3, 1, 1));
        ASSERT_NE(block, nullptr);
        const Rgb expected = ColorOf(SPAposition(2, 0, 1));
        ASSERT_GT(expected.r, 150) << expected;
        CDsItemsBody* item = host_->Context().FindDsBody(block);
        ASSERT_NE(item, nullptr);
        CDsItemsFace* top = nullptr;
        for (int i = 0; i < item->FacesCount(); ++i) {
            CGmPosition low, high;
            if (item->GetFaceItem(i)->GetBox(low, high, false) && low.z() > 0.9) top = item->GetFaceItem(i);
        }
        ASSERT_NE(top, nullptr);
        top->SetTransformation(reflect_transf(SPAvector(0, 1, 0)));
        for (bool lists : {false, true}) {
            const ListsScope scope(lists);
            EXPECT_TRUE(ColorNear(ColorOf(SPAposition(2, 0, 1)), expected, kTolerance)) << "lists " << lists;
            GLint frontFace = 0;
            glGetIntegerv(GL_FRONT_FACE, &frontFace);
            EXPECT_EQ(frontFace, GL_CCW);
        }
        SPAtransf mirrorX = reflect_transf(SPAvector(1, 0, 0));
        host_->Context().SetTransformation(block, mirrorX);
        for (bool lists : {false, true, true}) {
            const ListsScope scope(lists);
            EXPECT_TRUE(ColorNear(ColorOf(SPAposition(-2, 0, 1)), expected, kTolerance)) << "lists " << lists;
        }
    }
}

TEST_F(MirroredPlacementsGLTest, ATranslucentMirroredBodyIsBlendedAndABodyDrawnAloneCulledAsTheUnmirrored)
{
    // A translucent sphere about the origin seen obliquely, mirrored in y (the same sphere). In the
    // mixed mode its far side is blended first and its near side over it: the picture is the
    // unmirrored sphere's along a row through its middle. Drawn alone into the front buffer its
    // faces are one-sided, their back faces culled: the depths left there are those of its near
    // side, as the unmirrored sphere's.
    constexpr int kStep = 6;
    const auto row = [](const vyrtest::Picture& picture) {
        std::vector<Rgb> colours;
        for (int x = 70; x <= 130; x += kStep) colours.push_back(picture.ColorAt(x, kHigh / 2));
        return colours;
    };
    const auto depthsAlone = [&](BODY* body) {
        CDsGlContext& context = host_->Context();
        CDsItemsBody* item = context.FindDsBody(body);
        EXPECT_NE(item, nullptr);
        context.MakeCurrent(&host_->View());
        glDisable(GL_SCISSOR_TEST);
        glClear(GL_DEPTH_BUFFER_BIT);
        context.ExecuteToFrontBuffer(item, &host_->View(), rgb_color(), 0, eGlDrawingPhaseStart);
        context.ExecuteToFrontBuffer(nullptr, &host_->View(), rgb_color(), 0, eGlDrawingPhaseEnd);
        std::vector<float> depths;
        for (int x = 70; x <= 130; x += kStep) {
            float depth = 0.0f;
            glReadPixels(x, kHigh / 2, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
            depths.push_back(depth);
        }
        return depths;
    };
    std::vector<Rgb> blended[2];
    std::vector<float> alone[2];
    for (int mirrored = 0; mirrored < 2; ++mirrored) {
        MakeHost();
        host_->Look(ViewSetup().Eye(SPAposition(3, -4, 5)).Up(SPAvector(0, 0, 1)).Field(10, 5).Clip(1, 200));
        host_->View().SetRenderMode(eRenderMixed);
        BODY* sphere = host_->Show(make_sphere(SPAposition(0, 0, 0), 1.5), Host::kOrange, 128);
        ASSERT_NE(sphere, nullptr);
        if (mirrored) {
            SPAtransf mirrorY = reflect_transf(SPAvector(0, 1, 0));
            host_->Context().SetTransformation(sphere, mirrorY);
        }
        blended[mirrored] = row(host_->WholeFrame());
        alone[mirrored] = depthsAlone(sphere);
    }
    for (size_t i = 0; i < blended[0].size(); ++i) {
        EXPECT_TRUE(ColorNear(blended[1][i], blended[0][i], kTolerance)) << "blended, pixel " << i;
        EXPECT_NEAR(alone[1][i], alone[0][i], 0.002) << "drawn alone, pixel " << i;
    }
    EXPECT_LT(alone[0][5], 1.0f) << "the sphere is drawn alone";
}

TEST_F(MirroredPlacementsGLTest, VertexColouredFacesOfAMirroredBodyAreLitAsUnmirrored)
{
    BODY* block = host_->ShowBlock(SPAposition(1, -1, -1), SPAposition(3, 1, 1));
    ASSERT_NE(block, nullptr);
    CDsItemsBody* item = host_->Context().FindDsBody(block);
    ASSERT_NE(item, nullptr);
    for (int i = 0; i < item->FacesCount(); ++i) {
        CVyrIndexedMesh* mesh = item->GetFaceItem(i)->GetMesh();
        ASSERT_NE(mesh, nullptr);
        const std::vector<unsigned char> colours(static_cast<size_t>(mesh->GetNodeCapacity()), 1);
        mesh->SetVertexColors(colours.data(), false);
    }
    CDsPalette palette(2);
    palette.SetColor(1, CDsColorStorage(255, 255, 255));
    host_->Context().SetVertexColorPalette(&palette);
    host_->Context().Set(static_cast<EDsDocumentFlag>(21), true);
    const Rgb expected = ColorOf(SPAposition(2, 0, 1));
    ASSERT_GT(expected.g, 150) << "lit white: " << expected;
    SPAtransf mirrorX = reflect_transf(SPAvector(1, 0, 0));
    host_->Context().SetTransformation(block, mirrorX);
    EXPECT_TRUE(ColorNear(ColorOf(SPAposition(-2, 0, 1)), expected, kTolerance));
    host_->Context().Set(static_cast<EDsDocumentFlag>(21), false);
    host_->Context().SetVertexColorPalette(nullptr);
}

TEST_F(MirroredPlacementsGLTest, EveryShadedLeafOfAFigureIsLitUnderAMirroringPlacementAsWithoutIt)
{
    // Each leaf alone, drawn as placed by the generator's transformation: the mean colour of the
    // pixels it lights, mirrored in x (the flat leaves face the eye either way) and not.
    const auto meanColour = [](const vyrtest::Picture& picture, int& lit) {
        long sum[3] = {0, 0, 0};
        lit = 0;
        for (int y = 0; y < kHigh; ++y)
            for (int x = 0; x < kWide; ++x)
                if (picture.Lit(x, y, 30)) {
                    const Rgb c = picture.ColorAt(x, y);
                    sum[0] += c.r, sum[1] += c.g, sum[2] += c.b, ++lit;
                }
        return lit ? Rgb{int(sum[0] / lit), int(sum[1] / lit), int(sum[2] / lit)} : Rgb{};
    };
    const std::vector<vyrtest::LeafRecipe> plain = vyrtest::EveryLeafKind(translate_transf(SPAvector(0, 0, 0.5)));
    const std::vector<vyrtest::LeafRecipe> mirrored =
        vyrtest::EveryLeafKind(reflect_transf(SPAvector(1, 0, 0)) * translate_transf(SPAvector(0, 0, 0.5)));
    ASSERT_EQ(plain.size(), mirrored.size());
    const std::vector<std::string> shaded = {"STL mesh", "recorded triangles", "triangle strip", "quads",
                                             "triangle set", "sphere", "ItDrawPolyLine fill", "ItDrawTriangles fill"};
    for (bool lists : {false, true}) {
        const ListsScope scope(lists);
        for (ERenderMode mode : kShadedModes) {
            for (size_t i = 0; i < plain.size(); ++i) {
                if (std::find(shaded.begin(), shaded.end(), plain[i].name) == shaded.end()) continue;
                SCOPED_TRACE(plain[i].name + (lists ? ", display lists" : "") + ", render mode " +
                             std::to_string(mode));
                Rgb colours[2];
                int lit[2] = {0, 0};
                for (int k = 0; k < 2; ++k) {
                    MakeHost();
                    host_->Look(ViewSetup().Field(40, 20).Clip(1, 300));
                    host_->View().SetRenderMode(mode);
                    const auto figures = host_->Record({(k == 0 ? plain : mirrored)[i].define});
                    host_->WholeFrame();
                    colours[k] = meanColour(host_->WholeFrame(), lit[k]);
                }
                EXPECT_NEAR(lit[1], lit[0], lit[0] / 20 + 2);
                EXPECT_TRUE(ColorNear(colours[1], colours[0], 6));
            }
        }
    }
}

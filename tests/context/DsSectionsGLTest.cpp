// Sections on screen: a shaded block cut by a section plane and by a two-area stepped section, read
// back from the front buffer; how often and under which clip planes each item is drawn; picks at
// cut-away pixels; the view's IsSection; and the section plane's flips, items and reset.
#include "DsComplexSection.h"
#include "DsGeometryComputer.h"
#include "DsSectionPlane.h"
#include "GmTransformation.h"
#include "VyrComplexSection.h"

#include "SteppedSection.h"

#include "../picking/PickFixture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

using namespace picktest;
using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::SteppedSection;

namespace {

// One OpenGL draw of an item's faces: whether view flag 12 was set and which clip planes were on.
struct SDraw {
    bool sectionPass;
    std::vector<int> planes;
};

// A box of six faces, drawn in immediate mode, handed face by face as polygons, noting each draw
// of its faces.
class CBlockGeometry : public CDsGeometry {
public:
    CBlockGeometry(float x0, float y0, float z0, float x1, float y1, float z1, std::vector<SDraw>* draws)
        : m_low{x0, y0, z0}, m_high{x1, y1, z1}, m_draws(draws)
    {
        const float x[2] = {x0, x1}, y[2] = {y0, y1}, z[2] = {z0, z1};
        auto corner = [&](int k) { return std::array<float, 3>{x[k & 1], y[(k >> 1) & 1], z[(k >> 2) & 1]}; };
        // Front (+z), back, bottom, top, left, right; counter-clockwise seen from outside.
        const int faces[6][4] = {{4, 5, 7, 6}, {0, 2, 3, 1}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        const float normals[6][3] = {{0, 0, 1}, {0, 0, -1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
        for (int f = 0; f < 6; ++f) {
            for (int c = 0; c < 4; ++c)
                for (float v : corner(faces[f][c])) m_faces[f].push_back(v);
            std::copy(normals[f], normals[f] + 3, m_normals[f]);
        }
    }
    CDsGeometry* Clone() const override
    {
        return new CBlockGeometry(m_low[0], m_low[1], m_low[2], m_high[0], m_high[1], m_high[2], m_draws);
    }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox& box, int) const override
    {
        box = SPAbox(SPAposition(m_low[0], m_low[1], m_low[2]), SPAposition(m_high[0], m_high[1], m_high[2]));
        return true;
    }
    bool HasBoundBox(int) const override { return true; }
    int GetDrawPrimitives(int) const override { return eDpFaces; }
    int Draw(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { return 0; }
    void DrawGl(view3d& view, eDrawPrimitives kinds, int, int, const CDsDrawContext*) override
    {
        if (!(kinds & eDpFaces)) return;
        // Frames only: not the draws of a pick's selection.
        GLint mode = GL_RENDER;
        glGetIntegerv(GL_RENDER_MODE, &mode);
        if (m_draws && mode == GL_RENDER) {
            SDraw draw{view.GetFlag(eDsViewFlagSectionPass), {}};
            for (int i = 0; i < 8; ++i)
                if (glIsEnabled(static_cast<GLenum>(GL_CLIP_PLANE0 + i))) draw.planes.push_back(i);
            m_draws->push_back(draw);
        }
        glBegin(GL_QUADS);
        for (int f = 0; f < 6; ++f) {
            glNormal3fv(m_normals[f]);
            for (int c = 0; c < 4; ++c) glVertex3fv(&m_faces[f][static_cast<size_t>(3 * c)]);
        }
        glEnd();
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives kinds, int index, float*& vertices, int& count, int) override
    {
        if (!(kinds & eDpFaces) || index < 0 || index > 5) return -1;
        vertices = m_faces[index].data();
        count = 4;
        return index == 5 ? -1 : index + 1;
    }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

private:
    float m_low[3], m_high[3];
    std::vector<float> m_faces[6];
    float m_normals[6][3];
    std::vector<SDraw>* m_draws;
};

class DsSectionsGLTest : public PickTest {
protected:
    static constexpr unsigned kRed = 0x0000FF;
    // The block (item 1, 60 x 40 x 20 about the origin) and a slab right of it (item 2).
    void AddItems()
    {
        block_ = Add(1, kFaceType, new CBlockGeometry(-30, -20, -10, 30, 20, 10, &blockDraws_), kRed);
        slab_ = Add(2, kFaceType, new CBlockGeometry(35, -45, -5, 45, 45, 5, &slabDraws_), 0x00FF00);
    }
    // The front buffer's pixel over model point (x, y).
    static Rgb At(int x, int y) { return ReadPixel(GL_FRONT, 50 + x, 50 + y); }

    CVyrObjectPath block_, slab_;
    std::vector<SDraw> blockDraws_, slabDraws_;
};

// The lines of the warnings file that hold `text`.
int WarningsWith(const std::string& text)
{
    CDsGeometryComputer::FlushWarnings();
    std::ifstream in(CDsGeometryComputer::GetWarningsFilePath());
    int count = 0;
    for (std::string line; std::getline(in, line);) count += line.find(text) != std::string::npos;
    return count;
}

}  // namespace

TEST_F(DsSectionsGLTest, ASectionPlaneCutsTheWholeFrameAndTheViewKnowsIt)
{
    AddItems();
    Refresh();
    const Rgb face = At(-15, 0);
    ASSERT_GT(face.r, 100);
    ASSERT_TRUE(ColorNear(At(15, 0), face, 8));
    EXPECT_FALSE(view_->IsSection());

    // Keeping x >= 0: the block's left half goes; the slab stays.
    context_.GetScene()->SetSection(SPAposition(0, 0, 0), SPAvector(2, 0, 0));
    EXPECT_TRUE(view_->IsSection());
    Refresh();
    EXPECT_TRUE(ColorNear(At(-15, 0), Rgb{0, 0, 0}, 8));
    EXPECT_TRUE(ColorNear(At(15, 0), face, 8));
    EXPECT_GT(At(40, 0).g, 100);
    EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));

    // Flipped: the other half.
    context_.GetScene()->FlipSection();
    Refresh();
    EXPECT_TRUE(ColorNear(At(-15, 0), face, 8));
    EXPECT_TRUE(ColorNear(At(15, 0), Rgb{0, 0, 0}, 8));
    EXPECT_EQ(blockDraws_.back().planes, std::vector<int>{0});
    EXPECT_FALSE(blockDraws_.back().sectionPass);

    // Gone: whole again.
    context_.GetScene()->ResetSection();
    EXPECT_FALSE(view_->IsSection());
    Refresh();
    EXPECT_TRUE(ColorNear(At(-15, 0), face, 8));
    EXPECT_TRUE(ColorNear(At(15, 0), face, 8));
}

TEST_F(DsSectionsGLTest, ASteppedSectionDrawsItsItemsOncePerAreaAndTheRestOnceUnclipped)
{
    AddItems();
    Refresh();
    const Rgb face = At(-15, 0);
    ASSERT_GT(face.r, 100);

    context_.GetScene()->SetComplexSection(SteppedSection({block_}));
    CDsComplexSection* section = context_.GetScene()->GetComplexSection();
    ASSERT_NE(section, nullptr);
    ASSERT_EQ(section->GetGroupCount(), 2);
    EXPECT_TRUE(view_->IsSection());
    blockDraws_.clear();
    slabDraws_.clear();
    Refresh();

    // The block: once per area, view flag 12 on, the area's planes on; the slab once, unclipped.
    ASSERT_EQ(blockDraws_.size(), 2u);
    for (int group = 0; group < 2; ++group) {
        const SDraw& draw = blockDraws_[static_cast<size_t>(group)];
        EXPECT_TRUE(draw.sectionPass);
        std::vector<int> expected;
        for (int k = 0; k < static_cast<int>(section->GetGroup(group).size()); ++k) expected.push_back(k);
        EXPECT_EQ(draw.planes, expected);
    }
    ASSERT_EQ(slabDraws_.size(), 1u);
    EXPECT_FALSE(slabDraws_[0].sectionPass);
    EXPECT_TRUE(slabDraws_[0].planes.empty());
    EXPECT_FALSE(view_->GetFlag(eDsViewFlagSectionPass));
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(glIsEnabled(static_cast<GLenum>(GL_CLIP_PLANE0 + i)));

    // Kept: left of x = 0 above y = -5, and above y = 10. Cut away: below y = -5, and right of
    // x = 0 below y = 10: the background shows.
    for (auto kept : {std::make_pair(-15, 0), std::make_pair(-25, 15), std::make_pair(15, 15)})
        EXPECT_TRUE(ColorNear(At(kept.first, kept.second), face, 8)) << kept.first << ", " << kept.second;
    for (auto cut : {std::make_pair(15, 0), std::make_pair(-15, -12), std::make_pair(20, -15)})
        EXPECT_TRUE(ColorNear(At(cut.first, cut.second), Rgb{0, 0, 0}, 8)) << cut.first << ", " << cut.second;
    EXPECT_GT(At(40, -30).g, 100);  // the slab is not clipped

    // Two dirty rectangles: each is drawn three times (twice the block, once the rest).
    blockDraws_.clear();
    slabDraws_.clear();
    TDsLocationRects dirty(2);
    dirty[0].rect = RECT{30, 62, 92, 50};  // model x -20..42, y 0..12
    dirty[1].rect = RECT{30, 42, 92, 35};  // model y -15..-8
    context_.GetScene()->DrawFrame(view_.get(), dirty);
    EXPECT_EQ(blockDraws_.size(), 4u);
    EXPECT_EQ(slabDraws_.size(), 2u);
    for (const SDraw& draw : blockDraws_) EXPECT_TRUE(draw.sectionPass);
    for (const SDraw& draw : slabDraws_) EXPECT_FALSE(draw.sectionPass);

    // Dropped: the block is whole again.
    context_.GetScene()->SetComplexSection(nullptr);
    EXPECT_FALSE(view_->IsSection());
    Refresh();
    EXPECT_TRUE(ColorNear(At(15, 0), face, 8));
}

TEST_F(DsSectionsGLTest, APickAtACutAwayPixelFindsNothing)
{
    AddItems();
    context_.GetScene()->SetComplexSection(SteppedSection({block_}));
    Refresh();
    request_.m_sectionTest = 1;
    // Model (-15, 0) is kept: the block's front face; model (15, 0) is cut away: nothing there.
    CDsPickedItemList kept;
    const CDsPickedItem found = Pick(35, 50, kept);
    EXPECT_EQ(found.GetObjectPath(), block_);
    EXPECT_NEAR(found.GetPickedPosition()->z(), 10, 0.5);
    CDsPickedItemList cut;
    EXPECT_TRUE(Pick(65, 50, cut).GetObjectPath().IsEmpty());
    EXPECT_EQ(cut.GetSize(), 0);
    // The slab is not listed in the section: it is found wherever it shows.
    CDsPickedItemList slab;
    EXPECT_EQ(Pick(90, 80, slab).GetObjectPath(), slab_);

    // A section plane hides what lies behind it too (keeping x <= 0 here).
    context_.GetScene()->SetComplexSection(nullptr);
    context_.GetScene()->SetSection(SPAposition(0, 0, 0), SPAvector(-1, 0, 0));
    Refresh();
    CDsPickedItemList behind;
    EXPECT_TRUE(Pick(65, 50, behind).GetObjectPath().IsEmpty());
    CDsPickedItemList front;
    EXPECT_EQ(Pick(35, 50, front).GetObjectPath(), block_);
}

TEST_F(DsSectionsGLTest, AnAreaOfMorePlanesThanOpenGLClipsEnablesWhatItCanAndWarnsOnce)
{
    // A line turning left at every vertex along eleven sides of a polygon: one area of more than
    // eight planes.
    auto* record = new CVyrComplexSection;
    for (int i = 0; i <= 11; ++i) {
        const double a = 2.0 * M_PI * i / 12.0;
        record->m_vertices.push_back(SPAposition(20 * std::cos(a), 20 * std::sin(a), 0));
    }
    for (int i = 0; i < 11; ++i) {
        const SPAposition mid((record->m_vertices[i].x() + record->m_vertices[i + 1].x()) / 2,
                              (record->m_vertices[i].y() + record->m_vertices[i + 1].y()) / 2, 0);
        record->m_normals.push_back(SPAvector(-mid.x(), -mid.y(), 0));
    }
    record->m_depth = 10;
    CDsComplexSection section(context_.GetScene(), record);
    ASSERT_EQ(section.GetGroupCount(), 1);
    ASSERT_GT(section.GetGroup(0).size(), 8u);
    GLint supported = 0;
    glGetIntegerv(GL_MAX_CLIP_PLANES, &supported);
    const std::string warning = "more planes than OpenGL clips";
    const int before = WarningsWith(warning);
    while (glGetError() != GL_NO_ERROR) {
    }
    for (int round = 0; round < 2; ++round) {
        section.EnableClipPlanes(0);
        for (GLint i = 0; i < supported; ++i) EXPECT_TRUE(glIsEnabled(static_cast<GLenum>(GL_CLIP_PLANE0 + i)));
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        section.DisableClipPlanes(0);
        for (GLint i = 0; i < supported; ++i) EXPECT_FALSE(glIsEnabled(static_cast<GLenum>(GL_CLIP_PLANE0 + i)));
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    EXPECT_EQ(WarningsWith(warning), before + 1);
    // A group that does not exist switches nothing.
    section.EnableClipPlanes(5);
    EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));
}

TEST_F(DsSectionsGLTest, TheSectionPlaneFlipsBackDropsItsItemsOnANewPlaneAndResetsItsClipPlane)
{
    CDsSectionPlane plane(SPAposition(1, 2, 3), SPAvector(0, 0, 4));
    const std::vector<double> equation(plane.GetEquation(), plane.GetEquation() + 4);
    EXPECT_EQ(equation, (std::vector<double>{0, 0, 1, -3}));
    plane.Flip();
    EXPECT_TRUE(plane.IsFlipped());
    EXPECT_EQ(std::vector<double>(plane.GetEquation(), plane.GetEquation() + 4), (std::vector<double>{0, 0, -1, 3}));
    plane.Flip();
    EXPECT_FALSE(plane.IsFlipped());
    EXPECT_EQ(std::vector<double>(plane.GetEquation(), plane.GetEquation() + 4), equation);

    // The items the section placed into the part storage, and a transformation: a flip keeps both;
    // a new plane removes the items and forgets the transformation.
    Add(7, kFaceType, Rect(0, 0, 1, 1, 0));
    Add(8, kFaceType, Rect(0, 0, 1, 1, 0));
    plane.SetItems({CVyrObjectId(PeerPart(), 7), CVyrObjectId(PeerPart(), 8)});
    plane.SetTransformation(CGmTransformation(translate_transf(SPAvector(1, 0, 0))));
    plane.Flip();
    EXPECT_NE(plane.GetTransformation(), nullptr);
    EXPECT_EQ(plane.GetItems().size(), 2u);
    SItemInfo info;
    plane.SetPlane(SPAposition(0, 0, 0), SPAvector(1, 0, 0));
    EXPECT_EQ(plane.GetTransformation(), nullptr);
    EXPECT_TRUE(plane.GetItems().empty());
    EXPECT_FALSE(CDsPartStorage::instance()->GetItemInfo(PathOf(7), nullptr, info));
    EXPECT_FALSE(CDsPartStorage::instance()->GetItemInfo(PathOf(8), nullptr, info));
    // Moving it along its normal keeps the normal and moves the equation.
    plane.Translate(5);
    EXPECT_EQ(std::vector<double>(plane.GetEquation(), plane.GetEquation() + 4), (std::vector<double>{1, 0, 0, -5}));

    // Reset: the items go and GL_CLIP_PLANE0 is off.
    Add(9, kFaceType, Rect(0, 0, 1, 1, 0));
    plane.SetItems({CVyrObjectId(PeerPart(), 9)});
    glEnable(GL_CLIP_PLANE0);
    plane.Reset();
    EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));
    EXPECT_TRUE(plane.GetItems().empty());
    EXPECT_FALSE(CDsPartStorage::instance()->GetItemInfo(PathOf(9), nullptr, info));

    // A normal without length clips nothing.
    CDsSectionPlane flat(SPAposition(1, 1, 1), SPAvector(0, 0, 0));
    EXPECT_EQ(std::vector<double>(flat.GetEquation(), flat.GetEquation() + 4), (std::vector<double>{0, 0, 0, 0}));
}

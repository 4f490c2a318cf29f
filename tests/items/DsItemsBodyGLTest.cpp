// Body and face groups drawn and picked in a view, read back as pixels and selection hits: a
// shaded block filling its rectangle with its edges over it, a translated body, GL selection
// naming the body and the face under the cursor (and the back faces of a body whose section state
// is mixed), an edge between two faces drawn in each face's colour, display lists replayed instead
// of sent again, faces faceted anew, vertex-coloured faces, display curves and silhouettes, the
// flag gate of the body's passes, and reference points and edge picks under the body's placement.
#include "BodyTestSupport.h"
#include "ItemViewFixture.h"

#include "DsDriverExtrema.h"
#include "DsGlScene.h"
#include "DsHideLevel.h"
#include "DsItemEdge.h"
#include "DsItemSilhouette.h"
#include "DsRefPoint.h"
#include "DsTypeMask.h"
#include "DsSelectionNames.h"
#include "VyrIndexedMesh.h"

#include "DsPalette.h"
#include "EntityLists.h"
#include "GmPosition.h"
#include "SpaBuilders.h"
#include "UiPickEvent.h"
#include "VyrAttManager.h"
#include "view3d.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

using vyrtest::BodyPtr;
using vyrtest::ColorNear;
using vyrtest::FaceItem;
using vyrtest::MakeBodyItem;
using vyrtest::Rgb;

namespace {

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 255, 0};

CDsColorStorage Color(const Rgb& c)
{
    return CDsColorStorage(static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.b));
}

// One selection hit: the names from the outermost in.
struct Hit {
    std::vector<GLuint> names;
};

class DsItemsBodyGLTest : public vyrtest::ItemViewTest {
protected:
    void SetUp() override
    {
        vyrtest::ItemViewTest::SetUp();
        CDsManager::GetInstance()->SetFlag(4, true);  // display lists in use, as the preferences set
    }

    // A block of corners (-5, -5, -5) and (5, 5, 5) as a body group of the test's context: 40 x 40
    // pixels from (30, 30) seen from above.
    void MakeBlock()
    {
        block_.reset(make_block(-5, -5, -5, 5, 5, 5));
        body_ = MakeBodyItem(block_.get(), &context_);
        ASSERT_EQ(body_->FacesCount(), 6);
    }
    // Depth on, lit by one white light along the view, faces grey.
    static void Light()
    {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glClear(GL_DEPTH_BUFFER_BIT);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        const GLfloat direction[4] = {0, 0, 1, 0};
        glLightfv(GL_LIGHT0, GL_POSITION, direction);
        glPopMatrix();
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        glColor3f(0.8f, 0.8f, 0.8f);
    }
    // Lighting and depth off for lines.
    static void Unlight()
    {
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_DEPTH_TEST);
    }
    // The pixel at (x, y) from the bottom left.
    Rgb At(int x, int y) const
    {
        const auto rgb = Picture();
        const unsigned char* p = &rgb[static_cast<size_t>((y * kSize + x) * 3)];
        return Rgb{p[0], p[1], p[2]};
    }
    // How many pixels of the rectangle are brighter than 100 in every channel.
    int Bright(int x0, int y0, int x1, int y1) const
    {
        const auto rgb = Picture();
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const unsigned char* p = &rgb[static_cast<size_t>((y * kSize + x) * 3)];
                n += p[0] > 100 && p[1] > 100 && p[2] > 100;
            }
        return n;
    }
    // The columns of row `y` near `color`: first and last, -1 when none.
    std::pair<int, int> Columns(int y, const Rgb& color) const
    {
        const auto rgb = Picture();
        int first = -1, last = -1;
        for (int x = 0; x < kSize; ++x) {
            const unsigned char* p = &rgb[static_cast<size_t>((y * kSize + x) * 3)];
            if (!ColorNear(Rgb{p[0], p[1], p[2]}, color, 40)) continue;
            if (first < 0) first = x;
            last = x;
        }
        return {first, last};
    }
    // The hits of GL selection over 3 x 3 pixels about (x, y) while `draw` runs.
    std::vector<Hit> Select(int x, int y, const std::function<void()>& draw) const
    {
        std::vector<GLuint> buffer(1024);
        glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
        GLfloat projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        glRenderMode(GL_SELECT);
        glInitNames();
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        gluPickMatrix(x + 0.5, y + 0.5, 3, 3, viewport);
        glMultMatrixf(projection);
        glMatrixMode(GL_MODELVIEW);
        draw();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        const GLint count = glRenderMode(GL_RENDER);
        std::vector<Hit> hits;
        size_t at = 0;
        for (GLint i = 0; i < count && at < buffer.size(); ++i) {
            const GLuint names = buffer[at];
            Hit hit;
            for (GLuint k = 0; k < names; ++k) hit.names.push_back(buffer[at + 3 + k]);
            hits.push_back(hit);
            at += 3 + names;
        }
        return hits;
    }

    vyrtest::BodyStateGuard state_;
    BodyPtr block_;
    std::unique_ptr<CDsItemsBody> body_;
};

}  // namespace

TEST_F(DsItemsBodyGLTest, AShadedBlockFillsItsRectangleWithLitPixelsAndItsEdgesGoOverIt)
{
    MakeBlock();
    Light();
    body_->DrawGl(*view_);
    Unlight();
    EXPECT_EQ(Bright(31, 31, 68, 68), 38 * 38);
    EXPECT_GT(At(50, 50).r, 200);
    for (const auto& corner : {std::make_pair(27, 27), std::make_pair(72, 27), std::make_pair(27, 72),
                               std::make_pair(72, 72), std::make_pair(50, 20), std::make_pair(80, 50)})
        EXPECT_TRUE(ColorNear(At(corner.first, corner.second), kBlack, 10)) << corner.first << ", " << corner.second;

    // The edges in red over the faces: the outline of the rectangle, the inside still lit.
    for (int i = 0; i < body_->EdgesCount(); ++i) body_->GetEdgeItem(i)->SetColor(Color(kRed), false);
    body_->DrawEdgesAndFaces(*view_, 0);
    const auto row = Columns(50, kRed);
    EXPECT_NEAR(row.first, 30, 1);
    EXPECT_NEAR(row.second, 70, 1);
    EXPECT_GT(At(50, 50).g, 200);  // not red inside
    EXPECT_EQ(Columns(20, kRed).first, -1);
}

TEST_F(DsItemsBodyGLTest, ATranslatedBodyMovesItsPixelsAndItsBox)
{
    MakeBlock();
    body_->Transform(translate_transf(SPAvector(5, 0, 0)));
    EXPECT_NEAR(body_->GetBodyBox().GetMin()[0], 0, 1e-5);
    EXPECT_NEAR(body_->GetBodyBox().GetMax()[0], 10, 1e-5);

    // The faces under the body's placement, as a host draws them, and the body's own pass.
    Light();
    DsPushItemTransformation(view_.get(), body_.get());
    body_->DrawGl(*view_);
    DsPopItemTransformation(view_.get(), body_.get());
    Unlight();
    EXPECT_EQ(Bright(51, 31, 88, 68), 38 * 38);
    EXPECT_TRUE(ColorNear(At(40, 50), kBlack, 10));
    for (int i = 0; i < body_->EdgesCount(); ++i) body_->GetEdgeItem(i)->SetColor(Color(kRed), false);
    body_->DrawEdgesAndFaces(*view_, 0);
    const auto row = Columns(50, kRed);
    EXPECT_NEAR(row.first, 50, 1);
    EXPECT_NEAR(row.second, 90, 1);
    // The pass leaves the model-view matrix as it found it.
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(DsItemsBodyGLTest, GlSelectionAtAFacesPixelNamesTheBodyAndThatFace)
{
    MakeBlock();
    FACE* top = vyrtest::FaceAtHeight(block_.get(), 5);
    const auto hits = Select(50, 50, [this] { body_->OpenGlPick(view_.get()); });
    ASSERT_EQ(hits.size(), 1u);  // the bottom face looks away and is culled
    ASSERT_EQ(hits[0].names.size(), 2u);
    EXPECT_EQ(CDsSelectionNames::StFindItem(hits[0].names[0]), body_.get());
    EXPECT_EQ(CDsSelectionNames::StFindItem(hits[0].names[1]), FaceItem(*body_, top));
    EXPECT_EQ(body_->GetSectionState(), 2);
    EXPECT_TRUE(Select(10, 10, [this] { body_->OpenGlPick(view_.get()); }).empty());

    // A body with a see-through face is picked from both sides, even right after a body whose
    // faces of the same sides were picked from the front only.
    BodyPtr other(make_block(-5, -5, -5, 5, 5, 5));
    auto mixed = MakeBodyItem(other.get(), &context_);
    mixed->GetFaceItem(0)->SetTransparency(0.5f);
    EXPECT_EQ(Select(50, 50, [this] { body_->OpenGlPick(view_.get()); }).size(), 1u);
    const auto both = Select(50, 50, [&] { mixed->OpenGlPick(view_.get()); });
    EXPECT_EQ(mixed->GetSectionState(), 1);
    ASSERT_EQ(both.size(), 2u);
    std::vector<CDsItemBase*> faces;
    for (const Hit& hit : both) {
        ASSERT_EQ(hit.names.size(), 2u);
        EXPECT_EQ(CDsSelectionNames::StFindItem(hit.names[0]), mixed.get());
        faces.push_back(CDsSelectionNames::StFindItem(hit.names[1]));
    }
    EXPECT_NE(std::find(faces.begin(), faces.end(), FaceItem(*mixed, vyrtest::FaceAtHeight(other.get(), -5))),
              faces.end());

    // The name of an item that went names nothing.
    const GLuint name = both[0].names[0];
    mixed.reset();
    EXPECT_EQ(CDsSelectionNames::StFindItem(name), nullptr);
    EXPECT_EQ(CDsSelectionNames::StFindItem(0), nullptr);

    // The name stack and the matrices are left as found.
    GLint names = -1;
    glGetIntegerv(GL_NAME_STACK_DEPTH, &names);
    EXPECT_EQ(names, 0);
}

TEST_F(DsItemsBodyGLTest, TheFlagGateKeepsABodyOutOfOtherPasses)
{
    MakeBlock();
    for (int i = 0; i < body_->EdgesCount(); ++i) body_->GetEdgeItem(i)->SetColor(Color(kRed), false);
    body_->SetFlag(static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag));
    body_->DrawEdgesAndFaces(*view_, 0);
    EXPECT_EQ(LitCount(), 0);
    EXPECT_TRUE(Select(50, 50, [this] { body_->OpenGlPick(view_.get()); }).empty());
    view_->SetFlag(eDsViewFlagSectionPass, true);
    body_->DrawEdgesAndFaces(*view_, 0);
    EXPECT_GT(LitCount(), 0);
    EXPECT_EQ(Select(50, 50, [this] { body_->OpenGlPick(view_.get()); }).size(), 1u);
    view_->SetFlag(eDsViewFlagSectionPass, false);

    // A hidden body draws nothing either.
    vyrtest::Clear(kBlack);
    body_->ResetFlag(static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag));
    body_->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    body_->DrawEdgesAndFaces(*view_, 0);
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsItemsBodyGLTest, AnEdgeBetweenTwoFacesDrawsInTheColourOfEachFaceInTurn)
{
    MakeBlock();
    // The edge along x at y = -5 on the top: row 30 seen from above.
    EDGE* shared = nullptr;
    for (EDGE* e : vyrtest::Edges(block_.get())) {
        const SPAposition a = e->start_pos(), b = e->end_pos();
        if (a.y() == -5 && b.y() == -5 && a.z() == 5 && b.z() == 5) shared = e;
    }
    ASSERT_NE(shared, nullptr);
    const std::vector<FACE*> faces = vyrtest::Listed<FACE>(shared, get_faces);
    ASSERT_EQ(faces.size(), 2u);
    FaceItem(*body_, faces[0])->SetColor(Color(kRed), false);
    FaceItem(*body_, faces[1])->SetColor(Color(kBlue), false);
    for (int i = 0; i < body_->EdgesCount(); ++i) body_->GetEdgeItem(i)->SetColor(Color(kGreen), false);

    // Before the edges know their faces they draw in their own colour.
    body_->DrawEdgesAndFaces(*view_, 0);
    EXPECT_GT(LitRange(30, kGreen).second - LitRange(30, kGreen).first, 30);

    // Through its two faces: first in the first face's colour, then over it in the second's.
    body_->CompletePartialChangeUpdates(true);
    auto* item = dynamic_cast<CDsItemEdge*>(body_->FindDsItem(shared));
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(item->GetAdjacentFaceItem(0), FaceItem(*body_, faces[0]));
    vyrtest::Clear(kBlack);
    body_->DrawEdgesAndFaces(*view_, 0);
    EXPECT_EQ(LitRange(30, kGreen).first, -1);
    const auto blue = LitRange(30, kBlue);
    EXPECT_NEAR(blue.first, 30, 1);
    EXPECT_NEAR(blue.second, 70, 1);

    // With the second face hidden, the first face's colour stays.
    FaceItem(*body_, faces[1])->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    vyrtest::Clear(kBlack);
    body_->DrawEdgesAndFaces(*view_, 0);
    EXPECT_EQ(LitRange(30, kBlue).first, -1);
    EXPECT_NEAR(LitRange(30, kRed).first, 30, 1);
}

TEST_F(DsItemsBodyGLTest, ASecondDrawReplaysTheFacesDisplayListsInsteadOfSendingTheMeshes)
{
    MakeBlock();
    Light();
    body_->DrawGl(*view_);
    for (int i = 0; i < body_->FacesCount(); ++i) EXPECT_TRUE(body_->GetFaceItem(i)->GetUseGlList()) << i;

    // The meshes go; what the second draw shows can only come from the recorded lists.
    for (int i = 0; i < body_->FacesCount(); ++i) body_->GetFaceItem(i)->GetMeshEntry()->ClearMeshData();
    vyrtest::Clear(kBlack);
    glClear(GL_DEPTH_BUFFER_BIT);
    body_->DrawGl(*view_);
    EXPECT_EQ(Bright(31, 31, 68, 68), 38 * 38);

    // Printing neither replays nor records; nor does a face while display lists are off.
    CDsGlContext::sPrintMode = true;
    vyrtest::Clear(kBlack);
    body_->DrawGl(*view_);
    EXPECT_EQ(Bright(31, 31, 68, 68), 0);
    CDsGlContext::sPrintMode = false;
    CDsManager::GetInstance()->SetFlag(4, false);
    body_->DrawGl(*view_);
    EXPECT_EQ(Bright(31, 31, 68, 68), 0);
    body_->DeleteGlList();  // display lists off: the body leaves them alone
    EXPECT_TRUE(body_->GetFaceItem(0)->GetUseGlList());
    CDsManager::GetInstance()->SetFlag(4, true);
    body_->DeleteGlList();
    for (int i = 0; i < body_->FacesCount(); ++i) EXPECT_FALSE(body_->GetFaceItem(i)->GetUseGlList());
    Unlight();
}

TEST_F(DsItemsBodyGLTest, FacetingTheBodyAgainGivesTheFacesTheNewMeshes)
{
    MakeBlock();
    Light();
    body_->DrawGl(*view_);
    std::vector<CVyrMeshEntry*> old;
    for (int i = 0; i < body_->FacesCount(); ++i) old.push_back(body_->GetFaceItem(i)->GetMeshEntry());
    CVyrMeshInterface* active = CVyrMeshInterface::StGetActiveMeshManager();
    body_->ReFacetBody();
    EXPECT_EQ(CVyrMeshInterface::StGetActiveMeshManager(), active);
    for (int i = 0; i < body_->FacesCount(); ++i) {
        CDsItemsFace* face = body_->GetFaceItem(i);
        EXPECT_NE(face->GetMeshEntry(), old[static_cast<size_t>(i)]);
        EXPECT_EQ(face->GetMeshEntry(), body_->GetMeshInterface()->GetMeshEntry(face->GetEntity()).get());
        EXPECT_FALSE(face->GetUseGlList());
    }
    vyrtest::Clear(kBlack);
    glClear(GL_DEPTH_BUFFER_BIT);
    body_->DrawGl(*view_);
    Unlight();
    EXPECT_EQ(Bright(31, 31, 68, 68), 38 * 38);
}

TEST_F(DsItemsBodyGLTest, AVertexColouredFaceLeavesTheLightingAsItFoundIt)
{
    MakeBlock();
    CDsItemsFace* top = FaceItem(*body_, vyrtest::FaceAtHeight(block_.get(), 5));
    CVyrIndexedMesh* mesh = top->GetMesh();
    ASSERT_NE(mesh, nullptr);
    std::vector<unsigned char> colours(static_cast<size_t>(mesh->GetNodeCapacity()), 1);
    mesh->SetVertexColors(colours.data(), false);
    CDsPalette palette(2);
    palette.SetColor(1, Color(kGreen));
    CDsDriverGl::StSetActiveVertexColorPalette(&palette);
    EXPECT_FALSE(top->UsesVertexColours());  // the context does not allow them yet
    context_.Set(static_cast<EDsDocumentFlag>(21), true);
    ASSERT_TRUE(top->UsesVertexColours());

    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    top->DrawGl(*view_);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_TRUE(ColorNear(At(50, 50), kGreen, 10)) << At(50, 50);
    EXPECT_FALSE(top->GetUseGlList());  // vertex colours are not recorded

    Light();
    top->DrawGl(*view_);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    Unlight();
    context_.Set(static_cast<EDsDocumentFlag>(21), false);
    CDsDriverGl::StSetActiveVertexColorPalette(nullptr);
}

TEST_F(DsItemsBodyGLTest, DisplayCurvesDrawInDisplayCurvesModeOutOfFastRefreshes)
{
    block_.reset(make_block(-5, -5, -5, 5, 5, 5));
    FACE* top = vyrtest::FaceAtHeight(block_.get(), 5);
    CVyrAttManager::GetVyrAttManager()->SetDispCurves(top, 1, 1);
    body_ = MakeBodyItem(block_.get(), &context_);
    CDsItemsFace* face = FaceItem(*body_, top);
    ASSERT_NE(face->GetDisplayCurves(), nullptr);
    face->SetColor(Color(kGreen), false);
    for (int i = 0; i < body_->EdgesCount(); ++i) body_->GetEdgeItem(i)->SetColor(Color(kRed), false);

    CDsView3dCdc::sDisplayCurvesMode = false;
    body_->DrawEdgesAndFaces(*view_, 0);
    EXPECT_EQ(LitRange(50, kGreen).first, -1);

    // The two isolines cross in the middle of the top, in the face's colour.
    CDsView3dCdc::sDisplayCurvesMode = true;
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    body_->DrawEdgesAndFaces(*view_, 0);
    EXPECT_EQ(LitRange(50, kGreen).first, -1);
    view_->SetFlag(eDsViewFlagFastRefresh, false);
    body_->DrawEdgesAndFaces(*view_, 0);
    const auto across = LitRange(50, kGreen);
    EXPECT_NEAR(across.first, 31, 2);
    EXPECT_NEAR(across.second, 69, 2);
    int column = 0;
    for (int y = 32; y < 68; ++y) column += ColorNear(At(50, y), kGreen, 40) || ColorNear(At(49, y), kGreen, 40);
    EXPECT_GE(column, 34);

    // Highlighted, the face draws its display curves into the front-buffer pass as well.
    vyrtest::Clear(kBlack);
    body_->DrawToFrontBuffer(*view_);
    EXPECT_EQ(LitRange(50, kGreen).first, -1);
    face->SetVisibility(eVisibilityHighlight, true, false, nullptr);
    body_->DrawToFrontBuffer(*view_);
    EXPECT_NE(LitCount(), 0);
}

TEST_F(DsItemsBodyGLTest, SilhouettesTakeTheirAttributesAtTheirLevelOnly)
{
    BodyPtr cone(make_cone(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 2, 0, 3));
    BodyPtr sphere(make_sphere(SPAposition(0, 0, 0), 1));
    auto coneBody = MakeBodyItem(cone.get(), &context_);
    auto sphereBody = MakeBodyItem(sphere.get(), &context_);
    CDsItemSilhouette* coneSilhouette = nullptr;
    for (int i = 0; i < coneBody->FacesCount(); ++i)
        if (coneBody->GetFaceItem(i)->GetSilhouette()) coneSilhouette = coneBody->GetFaceItem(i)->GetSilhouette();
    ASSERT_NE(coneSilhouette, nullptr);
    coneSilhouette->GetParent()->SetColor(Color(kGreen), false);  // the face passes it on
    CDsItemSilhouette* sphereSilhouette = sphereBody->GetFaceItem(0)->GetSilhouette();
    ASSERT_NE(sphereSilhouette, nullptr);
    sphereBody->GetFaceItem(0)->SetColor(Color(kBlue), false);

    const auto current = [] {
        GLfloat c[4];
        glGetFloatv(GL_CURRENT_COLOR, c);
        return Rgb{static_cast<int>(c[0] * 255 + 0.5f), static_cast<int>(c[1] * 255 + 0.5f),
                   static_cast<int>(c[2] * 255 + 0.5f)};
    };
    const auto level = [this](EDsSilhouetteLevel l) { context_.SetSilhouetteLevel(l); };
    level(eDsSilhouetteNone);
    glColor3f(1, 1, 1);
    coneSilhouette->Refresh(*view_);
    sphereSilhouette->Refresh(*view_);
    EXPECT_TRUE(ColorNear(current(), Rgb{255, 255, 255}, 2));
    level(eDsSilhouetteCylinders);
    sphereSilhouette->Refresh(*view_);
    EXPECT_TRUE(ColorNear(current(), Rgb{255, 255, 255}, 2));
    coneSilhouette->Refresh(*view_);
    EXPECT_TRUE(ColorNear(current(), kGreen, 2)) << current();
    level(eDsSilhouetteAll);
    sphereSilhouette->Refresh(*view_);
    EXPECT_TRUE(ColorNear(current(), kBlue, 2)) << current();

    // Segments, when there are any, are separate lines.
    vyrtest::Clear(kBlack);
    glColor3f(1, 0, 0);
    sphereSilhouette->ClearSegments();  // those the refresh supplied from the mesh
    sphereSilhouette->AddSegment(SPAposition(-10, 0, 0), SPAposition(10, 0, 0));
    sphereSilhouette->DrawGl(*view_);
    EXPECT_NEAR(LitRange(50, kRed).first, 10, 1);
    EXPECT_EQ(sphereSilhouette->GetSegmentsCount(), 1);
}

TEST_F(DsItemsBodyGLTest, TheBodysOwnPassDrawsTheOutlineOfATurnedCylinderForTheView)
{
    // A cylinder of radius 4 along z, from z = -8 to 8, turned by its body a quarter about x: its
    // axis now runs along y, seen side-on from +z. The outline is the columns at x = +-4 (pixels 34
    // and 66) between the rows 18 and 82; computed for the mesh's own frame without the body's
    // turn, the camera would look along the axis and see no side at all.
    BodyPtr cylinder(make_cylinder(SPAposition(0, 0, -8), SPAvector(0, 0, 1), 4, 16));
    auto body = MakeBodyItem(cylinder.get(), &context_);
    body->Transform(rotate_transf(M_PI / 2, SPAvector(1, 0, 0)));
    CDsItemSilhouette* silhouette = nullptr;
    for (int i = 0; i < body->FacesCount(); ++i)
        if (body->GetFaceItem(i)->GetSilhouette()) silhouette = body->GetFaceItem(i)->GetSilhouette();
    ASSERT_NE(silhouette, nullptr);
    silhouette->GetParent()->SetColor(Color(kGreen), false);
    for (int i = 0; i < body->EdgesCount(); ++i) body->GetEdgeItem(i)->SetColor(Color(kRed), false);

    context_.SetSilhouetteLevel(eDsSilhouetteNone);
    vyrtest::Clear(kBlack);
    body->DrawEdgesAndFaces(*view_, 0);
    EXPECT_EQ(LitRange(50, kGreen).first, -1);
    EXPECT_EQ(silhouette->GetSegmentsCount(), 0);

    context_.SetSilhouetteLevel(eDsSilhouetteCylinders);
    vyrtest::Clear(kBlack);
    body->DrawEdgesAndFaces(*view_, 0);
    for (int y : {30, 50, 70}) {
        const auto row = LitRange(y, kGreen);
        EXPECT_NEAR(row.first, 34, 1) << y;
        EXPECT_NEAR(row.second, 66, 1) << y;
    }
    EXPECT_FALSE(ColorNear(At(50, 50), kGreen, 60));  // nothing between the two lines
    // Every segment lies on the outline: placed by the body, at x = +-4 (within the chords'
    // sag), z = 0.
    const auto onOutline = [&] {
        int off = 0;
        for (int i = 0; i < silhouette->GetSegmentsCount(); ++i)
            for (int end = 0; end < 2; ++end) {
                const SPAposition p = silhouette->GetSegment(i)[end] * body->GetTransformation();
                off += std::fabs(std::fabs(p.x()) - 4) > 0.1 || std::fabs(p.z()) > 1.1;
            }
        return off == 0;
    };
    const int segments = silhouette->GetSegmentsCount();
    EXPECT_GT(segments, 0);
    EXPECT_TRUE(onOutline());
    EXPECT_EQ(silhouette->GetSegment(segments), nullptr);
    // Drawn again for the same camera, the segments are kept (a marker added to them stays), not
    // computed anew.
    silhouette->AddSegment(SPAposition(0, 0, 0), SPAposition(0, 1, 0));
    body->DrawEdgesAndFaces(*view_, 0);
    EXPECT_EQ(silhouette->GetSegmentsCount(), segments + 1);

    // While plotting, the outline goes to the view (here one that measures what it is given),
    // computed for the view's camera and model transform: the two lines at x = +-4 from y = -8 to
    // 8, 16 and 32 pixels from the target, and nothing into OpenGL.
    vyrtest::Clear(kBlack);
    CDsDriverExtrema driver(view_.get());
    CDsViewExtrema* measuring = driver.GetExtView();
    ASSERT_NE(measuring, nullptr);
    measuring->SetSilhouetteLevel(eDsSilhouetteCylinders);
    measuring->SetModelTransform(body->GetTransformation());
    silhouette->ClearSegments();
    CDsView3dCdc::sPlotMode = ePlotModeColors;
    silhouette->Refresh(*measuring);
    CDsView3dCdc::sPlotMode = ePlotModeNone;
    measuring->ClearModelTransform();
    EXPECT_EQ(LitCount(), 0);
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    ASSERT_TRUE(driver.GetExtremaCoordinates(x0, x1, y0, y1));
    EXPECT_NEAR(x0, -16, 1);
    EXPECT_NEAR(x1, 16, 1);
    EXPECT_NEAR(std::min(y0, y1), -32, 1);
    EXPECT_NEAR(std::max(y0, y1), 32, 1);
    EXPECT_GT(silhouette->GetSegmentsCount(), 0);
    EXPECT_TRUE(onOutline());

    // Faceted anew, the face drops the segments of its old mesh.
    body->ReFacetBody();
    EXPECT_EQ(silhouette->GetSegmentsCount(), 0);
}

TEST_F(DsItemsBodyGLTest, ReferencePointsAndEdgePicksFollowTheBodysPlacement)
{
    MakeBlock();
    body_->Transform(translate_transf(SPAvector(5, 0, 0)));  // x from 0 to 10: pixels 50 to 90
    CDsTypeMask ends;
    ends.SetType(eDsPickPtStart, -1);
    CDsTypeMask middles;
    middles.SetType(eDsPickPtMid, -1);
    const int pickType = CDsRefPoint::sPickType;
    const CGmPosition lastPosition = CDsRefPoint::sLastPosition;

    // The corner at (10, 5): pixel 90, 30 counted from the top.
    CUiPickEvent corner(90, 30, 0, view_.get(), nullptr);
    view_->pick_mode(1, 90, 30, 5, 5);
    std::unique_ptr<CDsRefPoint> point(body_->PickRefPoint(corner, ends));
    ASSERT_NE(point, nullptr);
    EXPECT_TRUE(CDsRefPoint::sPickType == eDsPickPtStart || CDsRefPoint::sPickType == eDsPickPtEnd);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 10, 1e-4);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 5, 1e-4);
    EXPECT_EQ(view_->get_model_transform_depth(), 0);
    // With the middle as the only kind, the first edge through the corner snaps to its middle: an
    // edge along x at y = 5 or one along y at x = 10, or the upright edge.
    point.reset(body_->PickRefPoint(corner, middles));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, eDsPickPtMid);
    const SPAposition mid = CDsRefPoint::sLastPosition;
    const bool alongX = std::fabs(mid.x() - 5) < 1e-4 && std::fabs(mid.y() - 5) < 1e-4;
    const bool alongY = std::fabs(mid.x() - 10) < 1e-4 && std::fabs(mid.y()) < 1e-4;
    const bool upright = std::fabs(mid.x() - 10) < 1e-4 && std::fabs(mid.y() - 5) < 1e-4 && std::fabs(mid.z()) < 1e-4;
    EXPECT_TRUE(alongX || alongY || upright) << mid.x() << " " << mid.y() << " " << mid.z();

    // The middle of the top edge along x, at (5, 5): pixel 70, 30.
    CUiPickEvent middle(70, 30, 0, view_.get(), nullptr);
    view_->pick_mode(1, 70, 30, 5, 5);
    point.reset(body_->PickRefPoint(middle, middles));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, eDsPickPtMid);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 5, 1e-4);
    EXPECT_EQ(view_->get_model_transform_depth(), 0);

    // The edges under a point where only the moved body lies: the two edges along x at y = 5.
    view_->pick_mode(1, 80, 30, 5, 5);
    ENTITY_LIST picked;
    body_->PickEdges(view_.get(), picked, nullptr);
    EXPECT_EQ(picked.count(), 2);
    EXPECT_EQ(view_->get_model_transform_depth(), 0);
    body_->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    point.reset(body_->PickRefPoint(middle, middles));
    EXPECT_EQ(point, nullptr);
    view_->pick_mode(0, 0, 0, 0, 0);
    CDsRefPoint::sPickType = pickType;
    CDsRefPoint::sLastPosition = lastPosition;
}

namespace {

using ScreenRect = std::array<int, 4>;  // minimum x, maximum x, minimum y, maximum y

ScreenRect RectOf(const CDsBox& box)
{
    ScreenRect r;
    box.GetRectangle(r[0], r[1], r[2], r[3]);
    return r;
}

// Whether each shown face's screen rectangle is the one projecting its box into `view` now
// gives (hidden faces are left as they were, and not compared).
::testing::AssertionResult FacesAsProjectedInto(CDsItemsBody& body, view3d& view)
{
    for (int i = 0; i < body.FacesCount(); ++i) {
        CDsItemsFace* face = body.GetFaceItem(i);
        if (face->IsHidden()) continue;
        const CDsBox& box = face->GetFaceBox();
        if (box.IsNotComputed()) return ::testing::AssertionFailure() << "face " << i << " has no box";
        CDsBox fresh(box.GetMin(), box.GetMax());
        fresh.ComputeBounds2D(&view, true);
        if (box.GetScreenRectangle().GetView() != &view || RectOf(box) != RectOf(fresh))
            return ::testing::AssertionFailure() << "face " << i << " keeps a rectangle of another projection";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

// A body's pass over its faces' screen boxes (what a pick's pre-test reads) skips faces while
// nothing they depend on changed; whatever changes, every shown face ends the pass where a fresh
// projection puts it.
TEST_F(DsItemsBodyGLTest, TheFacesScreenBoxesFollowTheCameraTheFacesTheirHideLevelsAndOtherViews)
{
    MakeBlock();
    CDsItemsBody& body = *body_;
    view3d& view = *view_;
    const auto look = [&](double x) {
        vyrtest::ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(x, 0, 50)).Target(SPAposition(x, 0, 0)).Field(25, 25)
            .Clip(1, 100).ApplyTo(view);
    };
    body.ComputeBounds2D(&view);
    EXPECT_TRUE(FacesAsProjectedInto(body, view));
    CDsItemsFace* face = body.GetFaceItem(0);
    const ScreenRect first = RectOf(face->GetFaceBox());

    // The camera moved: 3 units, 12 pixels.
    look(3);
    body.ComputeBounds2D(&view);
    EXPECT_TRUE(FacesAsProjectedInto(body, view));
    EXPECT_EQ(RectOf(face->GetFaceBox())[0], first[0] - 12);

    // A face hidden while the camera moves keeps its rectangle; shown again, it is projected
    // again though the camera stays.
    face->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    const ScreenRect hidden = RectOf(face->GetFaceBox());
    look(-2);
    body.ComputeBounds2D(&view);
    EXPECT_EQ(RectOf(face->GetFaceBox()), hidden);
    face->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), false);
    body.ComputeBounds2D(&view);
    EXPECT_TRUE(FacesAsProjectedInto(body, view));
    EXPECT_EQ(RectOf(face->GetFaceBox())[0], first[0] + 8);

    // The same with the document flag that hides a face carrying its flag.
    face->SetFlag(eDsItemFlagHideByDocument4);
    context_.GetScene()->SetDisplayModeFlag(4, true);
    look(1);
    body.ComputeBounds2D(&view);
    EXPECT_TRUE(face->IsHidden());
    context_.GetScene()->SetDisplayModeFlag(4, false);
    body.ComputeBounds2D(&view);
    EXPECT_TRUE(FacesAsProjectedInto(body, view));
    face->ResetFlag(eDsItemFlagHideByDocument4);
    body.ComputeBounds2D(&view);

    // A face moved, then the body faceted anew.
    face->MultiplyTransformation(translate_transf(SPAvector(2, 0, 0)));
    body.ComputeBounds2D(&view);
    EXPECT_TRUE(FacesAsProjectedInto(body, view));
    body.ReFacetBody();
    body.ComputeBounds2D(&view);
    EXPECT_TRUE(FacesAsProjectedInto(body, view));

    // Another view's projection in between, of the whole body or of one face.
    view3d other;
    vyrtest::ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(50, 50).Clip(1, 100).ApplyTo(other);
    body.ComputeBounds2D(&other);
    EXPECT_TRUE(FacesAsProjectedInto(body, other));
    body.ComputeBounds2D(&view);
    EXPECT_TRUE(FacesAsProjectedInto(body, view));
    face->ComputeBounds2D(&other);
    body.ComputeBounds2D(&view);
    EXPECT_TRUE(FacesAsProjectedInto(body, view));

    // The window resized.
    view.set_viewport(0, 0, kSize, kSize / 2);
    body.ComputeBounds2D(&view);
    EXPECT_TRUE(FacesAsProjectedInto(body, view));
    view.set_viewport(0, 0, kSize, kSize);
}

// A face that a document flag hid is projected again at the body's next pass once it shows again,
// whether the document flag went off or the face stopped carrying the flag: a pick's pre-test at
// the face's pixels then finds it. Each document flag that may hide a face (4 and 5) in turn.
TEST_F(DsItemsBodyGLTest, AFaceShownAgainByTheDocumentOrByItsOwnFlagsIsProjectedAgain)
{
    MakeBlock();
    CDsItemsBody& body = *body_;
    view3d& view = *view_;
    CDsGlScene* scene = context_.GetScene();
    const auto look = [&](double x) {
        vyrtest::ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(x, 0, 50)).Target(SPAposition(x, 0, 0)).Field(25, 25)
            .Clip(1, 100).ApplyTo(view);
    };
    CDsItemsFace* face = body.GetFaceItem(0);
    // Whether a pick at the middle of where the face is seen now passes the face's pre-test.
    const auto pickedAtItsMiddle = [&]() {
        CDsBox fresh(face->GetFaceBox().GetMin(), face->GetFaceBox().GetMax());
        fresh.ComputeBounds2D(&view, true);
        const ScreenRect seen = RectOf(fresh);
        view.pick_mode(1, (seen[0] + seen[1]) / 2, (seen[2] + seen[3]) / 2, 2, 2);
        const bool found = face->CheckExtremesOverlap(&view);
        view.pick_mode(0, 0, 0, 0, 0);
        return found;
    };
    for (const int document : {4, 5}) {
        SCOPED_TRACE(document);
        const auto flag = document == 4 ? eDsItemFlagHideByDocument4 : eDsItemFlagHideByDocument5;
        const bool documentWas = scene->GetDisplayModeFlag(document);
        scene->SetDisplayModeFlag(document, false);
        look(5);
        body.ComputeBounds2D(&view);
        ASSERT_TRUE(FacesAsProjectedInto(body, view));

        // The document flag hides the face while the camera moves 10 units (40 pixels, the
        // block's width); it goes off and the face shows again where the camera sees it now.
        face->SetFlag(flag);
        scene->SetDisplayModeFlag(document, true);
        look(-5);
        body.ComputeBounds2D(&view);
        ASSERT_TRUE(face->IsHidden());
        scene->SetDisplayModeFlag(document, false);
        ASSERT_FALSE(face->IsHidden());
        body.ComputeBounds2D(&view);
        EXPECT_TRUE(FacesAsProjectedInto(body, view));
        EXPECT_TRUE(pickedAtItsMiddle());

        // The document flag on: the face hidden by taking the flag while the camera moves, shown
        // again by dropping it.
        face->ResetFlag(flag);
        scene->SetDisplayModeFlag(document, true);
        body.ComputeBounds2D(&view);
        ASSERT_TRUE(FacesAsProjectedInto(body, view));
        face->SetFlag(flag);
        look(5);
        body.ComputeBounds2D(&view);
        ASSERT_TRUE(face->IsHidden());
        face->ResetFlag(flag);
        body.ComputeBounds2D(&view);
        EXPECT_TRUE(FacesAsProjectedInto(body, view));
        EXPECT_TRUE(pickedAtItsMiddle());

        scene->SetDisplayModeFlag(document, documentWas);
    }
}

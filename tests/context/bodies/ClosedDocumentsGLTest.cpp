// Documents a host closes with their bodies still shown: the view and the context go (no
// VyrHideBody first), the host loses its bodies afterwards. What the context's items drew with goes
// with the context: the display lists of the faces are no lists in a later window, the heap stays
// where it was over many documents (also when each was picked, or picked a figure of display-list
// triangles), and another window of a document draws nothing of a window that was closed.
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsPartStorage.h"
#include "GlTestFixture.h"
#include "GmPosition.h"
#include "HostFixture.h"
#include "VyrIndexedMesh.h"
#include "VyrStlData.h"
#include "ZOVOvivavUrezezovovaza.h"

#include "SpaTopology.h"

#include <GL/gl.h>
#include <malloc.h>

#include <gtest/gtest.h>

#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's allocator serves every allocation of a sanitized program, and answers
// what it holds through its interface (not every compiler installs that interface's header).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

constexpr int kSize = 64;

vyrtest::ViewSetup Camera()
{
    return vyrtest::ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300);
}

// The bytes the process holds on its heap.
long long HeapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks + info.hblkhd);
#endif
}

// Opens a document showing a block, draws it and closes it with the block still shown (the window
// before the context when `windowFirst`); the display lists the block's faces were drawn from.
std::vector<GLuint> CloseADocumentShowingABlock(bool windowFirst)
{
    vyrtest::Host host(kSize, kSize);
    host.Look(Camera());
    BODY* block = host.ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
    host.Refresh();
    std::vector<GLuint> lists;
    CDsItemsBody* group = block ? host.Context().FindDsBody(block) : nullptr;
    for (int i = 0; group && i < group->FacesCount(); ++i) {
        const GLuint list = group->GetFaceItem(i)->GetMesh()->GetDisplayList();
        if (glIsList(list)) lists.push_back(list);  // drawn from a list that lives now
    }
    host.Close(windowFirst);
    return lists;  // the host loses the block after its context went
}

// Opens document `number` showing four blocks side by side, draws it, picks the first block where
// its top meets its right side (OpenGL selection of its faces, then feedback of the faces and
// edges under the cursor), highlights what the pick found and closes the document with the blocks
// shown; whether the pick found the first block.
bool CloseAPickedDocument(int number)
{
    vyrtest::Host host(kSize, kSize, number);
    host.Look(Camera());
    for (int i = 0; i < 4; ++i)
        if (!host.ShowBlock(SPAposition(-30 + 15 * i, -10, -10), SPAposition(-20 + 15 * i, 10, 10))) return false;
    host.Refresh();
    const CDsPickedItem picked = host.PickAt(SPAposition(-20, 0, 10));
    const bool found = picked.IsValid() && picked.GetObjectPath() == host.PathOf(host.Bodies().front());
    if (picked.IsValid()) host.Context().HighlightLocations({picked.GetObjectPath()}, eAttribSetHighlight);
    host.Close();
    return found;
}

// Opens document `number`, records a figure of a line and of the leaves the figure generator
// compiles into display lists (recorded triangles, a triangle strip, quads) or draws from vertex
// buffers (an STL mesh and a triangle set of 4,096 triangles each), all over the middle of the
// window, picks the figure there by OpenGL selection and by the pick ray, removes it and closes
// the document; whether both picks found the figure.
bool CloseADocumentThatPickedAFigureOfTriangles(int number)
{
    vyrtest::Host host(kSize, kSize, number);
    host.Look(Camera());
    host.Refresh();
    vyrtest::RecipeFigure figure([](CDsFigureGenerator& g) {
        const CGmPosition line[2] = {CGmPosition(-20, -20, 0), CGmPosition(20, -20, 0)};
        g.DrawPolyline(2, line);
        const double triangle[9] = {-10, -10, 2, 10, -10, 2, 0, 10, 2};
        g.DrawTriangles(1, triangle, nullptr);
        const double rows[12] = {-10, -10, 1, 10, -10, 1, -10, 10, 1, 10, 10, 1};
        g.DrawTriangles(2, 2, rows, nullptr);
        const double grid[12] = {-10, -10, 0, 10, -10, 0, -10, 10, 0, 10, 10, 0};
        g.DrawQuads(2, 2, grid, nullptr);
        g.EndPolygons();
        // A grid of 64 x 32 squares over [-16, 16] x [-8, 8], two triangles each.
        auto* mesh = new CVyrStlData;
        ZOVOvivavUrezezovovaza set;
        for (int i = 0; i < 64; ++i)
            for (int j = 0; j < 32; ++j) {
                const double x = -16 + 0.5 * i, y = -8 + 0.5 * j;
                const SPAposition a(x, y, -1), b(x + 0.5, y, -1), c(x + 0.5, y + 0.5, -1), d(x, y + 0.5, -1);
                mesh->AddTriangle(CVyrTriangle(a, b, c));
                mesh->AddTriangle(CVyrTriangle(a, c, d));
                const int p = set.AddVertex({float(x), float(y), -2.0f}), q = set.AddVertex({float(x + 0.5), float(y), -2.0f}),
                          r = set.AddVertex({float(x + 0.5), float(y + 0.5), -2.0f}),
                          t = set.AddVertex({float(x), float(y + 0.5), -2.0f});
                set.AddTriangle(p, q, r);
                set.AddTriangle(p, r, t);
            }
        g.DrawTrianglesStl(SPAtransf(), mesh);
        mesh->decRC();
        g.DrawTrigs(set, nullptr, true);
    });
    figure.Record(true, &host.View());
    const std::vector<CDsTypeMask> domain = vyrtest::Host::Domain({vyrtest::Host::kFigureType});
    bool found = true;
    for (const bool byRay : {false, true})
        found = host.PickAt(SPAposition(0, 0, 2), &domain, byRay).GetObjectPath() == vyrtest::Host::PathOf(figure) && found;
    figure.Remove();
    host.Close();
    return found;
}

// How many of `lists` are display lists in a window opened later.
int ListsAliveLater(const std::vector<GLuint>& lists)
{
    vyrtest::Host later(kSize, kSize);
    later.Refresh();
    later.Context().MakeCurrent(&later.View());
    int alive = 0;
    for (GLuint list : lists) alive += glIsList(list) == GL_TRUE;
    return alive;
}

class ClosedDocumentsGLTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(vyrtest::DisplayAvailable()); }

    vyrtest::ViewStaticsGuard statics_;
};

}  // namespace

TEST_F(ClosedDocumentsGLTest, TheFacesDisplayListsGoWithTheContext)
{
    for (bool windowFirst : {false, true}) {
        const std::vector<GLuint> lists = CloseADocumentShowingABlock(windowFirst);
        ASSERT_EQ(lists.size(), 6u);
        EXPECT_EQ(ListsAliveLater(lists), 0) << (windowFirst ? "the window destroyed first" : "");
    }
}

TEST_F(ClosedDocumentsGLTest, DocumentsClosedOneAfterAnotherLeaveTheHeapWhereItWas)
{
    // The first documents settle what OpenGL and the allocators keep for the process.
    constexpr int kSettling = 4, kDocuments = 24;
    long long before = 0;
    for (int i = 0; i < kSettling + kDocuments; ++i) {
        if (i == kSettling) before = HeapInUse();
        ASSERT_EQ(CloseADocumentShowingABlock(false).size(), 6u);
    }
    const long long growth = HeapInUse() - before;
    // A shown block's display lists hold about a megabyte of OpenGL memory: a leak of one of them
    // per document is far above this bound, the allocator's own bookkeeping far below it.
    EXPECT_LT(growth, 1 << 20) << growth / kDocuments << " bytes a document";
}

TEST_F(ClosedDocumentsGLTest, AnotherWindowOfTheDocumentDrawsNothingOfAClosedOne)
{
    constexpr int kDocument = 11;
    ASSERT_EQ(CDsPartStorage::instance()->GetPart(kDocument), nullptr);
    {
        vyrtest::Host host(kSize, kSize, kDocument);
        host.Look(Camera());
        ASSERT_NE(host.ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10)), nullptr);
        host.Refresh();
        EXPECT_GT(host.Front().LitCount(), 0);
        host.Close();
    }  // the block is lost; the document's part keeps the closed window's item
    {
        vyrtest::Host later(kSize, kSize, kDocument);
        later.Look(Camera());
        EXPECT_NE(CDsPartStorage::instance()->GetPart(kDocument), nullptr);
        EXPECT_EQ(later.WholeFrame().LitCount(), 0);
        EXPECT_FALSE(later.Pick(kSize / 2, kSize / 2).IsValid());
    }
    EXPECT_TRUE(CDsPartStorage::instance()->RemovePart(kDocument));
}

// Mesa keeps every buffer that OpenGL selection or feedback read from (a display list's vertex
// store, the buffer behind immediate mode) until the process ends, and the buffers behind a
// context's immediate mode go with the context: a pick in each document's own context, or of the
// document's display lists, would keep half a megabyte to a megabyte per document.
TEST_F(ClosedDocumentsGLTest, PickedDocumentsClosedOneAfterAnotherLeaveTheHeapWhereItWas)
{
    constexpr int kSettling = 4, kDocuments = 50, kDocument = 12;
    long long before = 0;
    for (int i = 0; i < kSettling + kDocuments; ++i) {
        if (i == kSettling) before = HeapInUse();
        ASSERT_TRUE(CloseAPickedDocument(kDocument)) << "document " << i;
        ASSERT_TRUE(CDsPartStorage::instance()->RemovePart(kDocument));
    }
    const long long growth = HeapInUse() - before;
    EXPECT_LT(growth / kDocuments, 64 << 10) << growth / kDocuments << " bytes a document";
}


// The same for a figure whose triangles, strip and quads live in display lists and whose meshes
// live in vertex buffers: the picks draw them from the triangles the leaves keep, not from their
// lists or buffers (which picks would keep in memory, a megabyte a document and more).
TEST_F(ClosedDocumentsGLTest, DocumentsThatPickedAFigureOfTrianglesLeaveTheHeapWhereItWas)
{
    constexpr int kSettling = 10, kDocuments = 20, kDocument = 13;
    long long before = 0;
    for (int i = 0; i < kSettling + kDocuments; ++i) {
        if (i == kSettling) before = HeapInUse();
        ASSERT_TRUE(CloseADocumentThatPickedAFigureOfTriangles(kDocument)) << "document " << i;
        ASSERT_TRUE(CDsPartStorage::instance()->RemovePart(kDocument));
    }
    const long long growth = HeapInUse() - before;
    EXPECT_LT(growth / kDocuments, 64 << 10) << growth / kDocuments << " bytes a document";
}

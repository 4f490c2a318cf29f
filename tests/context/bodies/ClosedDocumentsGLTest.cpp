// Documents a host closes with their bodies still shown: the view and the context go (no
// VyrHideBody first), the host loses its bodies afterwards. What the context's items drew with goes
// with the context: the display lists of the faces are no lists in a later window, the heap stays
// where it was over many documents, and another window of a document draws nothing of a window
// that was closed.
#include "DsGlContext.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsPartStorage.h"
#include "GlTestFixture.h"
#include "HostFixture.h"
#include "VyrIndexedMesh.h"

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

// Documents a host closes with their bodies still shown: the view and the context go (no
// VyrHideBody first), the host loses its bodies afterwards. What the context's items drew with goes
// with the context: the display lists of the faces are no lists in a later window, the heap stays
// where it was over many documents (also when each was picked, or picked a figure of display-list
// triangles, or was picked again and again over any kind of item a host shows), and another window
// of a document draws nothing of a window that was closed.
#include "DsAttributes.h"
#include "DsColorStorage.h"
#include "DsEllipseStorage.h"
#include "DsFigQuadric.h"
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsImage.h"
#include "DsItemToolpathPolyline.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsItemsHlView.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPickProccessor.h"
#include "DsPolyline.h"
#include "DsRectangle3d.h"
#include "DsRefPoint.h"
#include "GlTestFixture.h"
#include "GmPosition.h"
#include "HostFixture.h"
#include "VyrBodyGeometry.h"
#include "VyrEntInstance.h"
#include "VyrIndexedMesh.h"
#include "VyrStlData.h"
#include "ZOVOvivavUrezezovovaza.h"

#include "SpaBuilders.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"

#include <GL/gl.h>
#include <malloc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
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


// --- Hover picks over every kind of item ----------------------------------------------------------

// What a document shows of one kind of item, taken away again before the document closes.
struct SShown {
    std::vector<std::unique_ptr<CDsFigure>> figures;
    std::unique_ptr<CDsItemsHlView> filedView;
    std::vector<ENTITY*> copies, instances;

    void TakeAway(vyrtest::Host& host)
    {
        for (size_t i = 0; i < copies.size(); ++i) VyrHideCopy(&host.Context(), copies[i], kFirstCopyId + int(i));
        for (ENTITY* instance : instances) instance->lose();
        if (filedView) host.Context().Remove(filedView.get());
        for (auto& figure : figures) figure->Remove();
    }
    static constexpr int kFirstCopyId = 101;
};

// One kind of item a host shows, many times over one spot about the middle of the window: a pick
// that sent it to OpenGL's selection or feedback in immediate mode would send some ten kilobytes of
// vertices or more (which Mesa keeps, half a megabyte at a time).
struct SItemKind {
    std::string name;
    std::function<void(vyrtest::Host&, SShown&)> show;
    bool body = false;  // a body or its copies, which draw from display lists when they are on
    // The render modes whose frames draw it.
    std::vector<ERenderMode> modes = {eRenderShade, eRenderWireframe};
};

// A figure of one recipe drawn `times` times, recorded into the host's view.
void RecordFigure(vyrtest::Host& host, SShown& shown, const vyrtest::FigureRecipe& recipe, int times)
{
    auto figure = std::make_unique<vyrtest::RecipeFigure>([recipe, times](CDsFigureGenerator& g) {
        for (int i = 0; i < times; ++i) recipe(g);
    });
    figure->Record(true, &host.View());
    shown.figures.push_back(std::move(figure));
}

// 150 lines and 150 half circles of a hidden-line view across the middle of the window.
void AddViewSegments(CDsFigureGenerator& g)
{
    g.SetPenColor(CDsColorStorage(0, 255, 0));
    for (int i = 0; i < 150; ++i) {
        const double y = -20 + 40.0 * i / 150;
        CDsPolyline line({SPAposition(-25, y, 0), SPAposition(0, y + 1, 0), SPAposition(25, y, 0)});
        g.AddHlSegment(nullptr, &line, eDsHlSegmentFirst);
        const ellipse circle(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(5 + 20.0 * i / 150, 0, 0), 1.0, 0.0);
        g.AddHlSegment(nullptr, new CDsEllipseStorage(circle, 0.0, 3.0), eDsHlSegmentFirst);
    }
}

// A wire body zigzagging 10 units up and down from x = -30 to 0, 500 times.
BODY* Zigzag()
{
    std::vector<SPAposition> points;
    for (int i = 0; i <= 500; ++i) points.push_back(SPAposition(-30 + 0.06 * i, i % 2 ? 5 : -5, 0));
    return make_wire_body(points.data(), int(points.size()));
}

// Shows `copies` copies of `body` (shown), each 0.01 higher than the one before.
void ShowCopies(vyrtest::Host& host, SShown& shown, BODY* body, int copies)
{
    for (int i = 0; body && i < copies; ++i) {
        auto* instance = new CVyrEntInstance(body, translate_transf(SPAvector(0, 0, 0.01 * (i + 1))));
        shown.instances.push_back(instance);
        ENTITY_LIST made;
        instance->GetEntities(made);
        CDsAttributes look;
        look.SetColor(0x0000FF);
        if (made.count() == 1 && VyrShowCopy(&host.Context(), made[0], SShown::kFirstCopyId + i, &look))
            shown.copies.push_back(made[0]);
    }
}

std::vector<SItemKind> EveryItemKind()
{
    std::vector<SItemKind> kinds = {
        {"blocks", [](vyrtest::Host& host, SShown&) {
             for (int i = 0; i < 120; ++i) host.ShowBlock(SPAposition(-20, -10, -10 - 0.01 * i), SPAposition(20, 10, 10));
         }, true},
        {"a cylinder and copies of it", [](vyrtest::Host& host, SShown& shown) {
             ShowCopies(host, shown, host.Show(make_cylinder(SPAposition(0, 0, -10), SPAvector(0, 0, 1), 15, 20)), 40);
         }, true},
        {"a wire body", [](vyrtest::Host& host, SShown&) { host.Show(Zigzag()); }, true},
        {"a wire body and copies of it", [](vyrtest::Host& host, SShown& shown) {
             ShowCopies(host, shown, host.Show(Zigzag()), 2);
         }, true},
        {"a toolpath", [](vyrtest::Host& host, SShown& shown) {
             RecordFigure(host, shown, [](CDsFigureGenerator& g) {
                 g.StartToolpath(1, nullptr);
                 g.StartToolpathBranch(2, 0.0f);
                 for (int i = 0; i < 2000; ++i)
                     g.AddToolpathSegment(TDsNodeHeader::StCreatePoint(CDsUid(10 + i), 0, -30 + 0.015f * i, i % 2 ? 5.0f : -5.0f, 0.0f));
                 g.EndToolpathBranch();
                 g.EndToolpath();
             }, 1);
         }},
        {"a hidden-line view in a figure", [](vyrtest::Host& host, SShown& shown) {
             RecordFigure(host, shown, [](CDsFigureGenerator& g) {
                 g.StartHlView(nullptr, true);
                 AddViewSegments(g);
             }, 1);
         }},
        {"a hidden-line view filed in the context", [](vyrtest::Host& host, SShown& shown) {
             CDsFigureGenerator g(nullptr);
             g.StartHlView(nullptr, true);
             AddViewSegments(g);
             shown.filedView.reset(static_cast<CDsItemsHlView*>(g.DisplayListGroup(nullptr)));
             host.Context().Record(shown.filedView.get());
         }, false, {eRenderHiddenLines, eRenderPartialHiddenLines}},
        {"lamps", [](vyrtest::Host& host, SShown& shown) {
             for (const EDsQuadType type : {eDsQuadSphere, eDsQuadCylinder, eDsQuadCone}) {
                 auto lamp = std::make_unique<CDsFigQuadric>();
                 lamp->SetType(type);
                 const float target[3] = {0, 10, 0};
                 lamp->SetTarget(target);
                 lamp->Record(true, &host.View());
                 shown.figures.push_back(std::move(lamp));
             }
         }},
        {"pictures", [](vyrtest::Host& host, SShown& shown) {
             RecordFigure(host, shown, [](CDsFigureGenerator& g) {
                 auto* pixels = new uint32_t[16 * 8];
                 std::fill(pixels, pixels + 16 * 8, 0xFF20C0F0u);
                 g.DrawImage(CDsImage(16, 8, pixels, false),
                             CDsRectangle3d(SPAposition(-16, -8, 0), SPAposition(16, -8, 0), SPAposition(-16, 8, 0)));
             }, 150);
         }},
    };
    static int bitmap = -1, texture = -1;
    if (bitmap < 0) {
        const std::vector<BYTE> bits(2 * 16, 0xFF);
        HBITMAP handle = CreateBitmap(16, 16, 1, 1, bits.data());
        bitmap = CDsManager::GetInstance()->AddBitmap(handle);
        DeleteObject(handle);
        const std::vector<unsigned char> texels(16 * 16 / 8, 0xFF);
        texture = CDsManager::GetInstance()->AddTexture(texels.data(), 16, 16, SColor4ub(0, 0, 0, 0),
                                                        SColor4ub(255, 0, 0, 255), false);
    }
    kinds.push_back({"bitmaps", [](vyrtest::Host& host, SShown& shown) {
                         RecordFigure(host, shown, [](CDsFigureGenerator& g) {
                             g.DrawBitmap(CGmPosition(0, 0, 0), bitmap, eAlignCenter, false);
                             g.DrawBitmapColored(CGmPosition(0, 0, 0), texture, eAlignCenter, false);
                         }, 200);
                     }});
    // Every figure leaf: as many of them as make ten kilobytes of vertices a pick (fewer of the
    // leaves of many vertices, and of those that cost a pick much more than their vertices).
    const auto times = [](const std::string& leaf) {
        if (leaf == "sphere") return 5;
        if (leaf == "arc" || leaf == "dynamic ellipse") return 60;
        if (leaf == "2-D rectangle" || leaf == "relative 2-D polyline") return 600;
        if (leaf == "text") return 50;
        return 200;
    };
    for (const vyrtest::LeafRecipe& leaf : vyrtest::EveryLeafKind(SPAtransf())) {
        const vyrtest::FigureRecipe recipe = leaf.define;
        const int count = times(leaf.name);
        kinds.push_back({leaf.name, [recipe, count](vyrtest::Host& host, SShown& shown) {
                             RecordFigure(host, shown, recipe, count);
                         }});
    }
    return kinds;
}

// The drawable pixel (rows down) nearest to the window's middle that `frame` lights and `empty`
// does not; false when there is none.
bool LitPixel(const vyrtest::Picture& empty, const vyrtest::Picture& frame, int& x, int& y)
{
    int best = 1 << 30;
    for (int up = 0; up < kSize; ++up)
        for (int column = 0; column < kSize; ++column) {
            if (std::equal(empty.At(column, up), empty.At(column, up) + 3, frame.At(column, up))) continue;
            const int row = kSize - 1 - up, distance = std::abs(column - kSize / 2) + std::abs(row - kSize / 2);
            if (distance < best) best = distance, x = column, y = row;
        }
    return best < (1 << 30);
}

// Opens document `number` showing `kind`, and in the shaded and the wireframe mode picks
// `rounds` times where it shows as a host does while the cursor hovers and clicks: single picks by
// selection and by the pick ray, region picks over the window in selection modes 0 and 2, snaps to
// the ends and to the nearest point; then takes the items away and closes the document. The
// number of picks made.
int PickADocumentOver(const SItemKind& kind, int number, int rounds)
{
    const std::vector<CDsTypeMask> domain = vyrtest::Host::Domain({vyrtest::Host::kBodyType, vyrtest::Host::kFigureType});
    vyrtest::Host host(kSize, kSize, number);
    host.Look(Camera());
    const vyrtest::Picture empty = host.WholeFrame();
    SShown shown;
    kind.show(host, shown);
    CDsPickProccessor* picks = host.Context().GetPickProccessor();
    int made = 0;
    for (const ERenderMode mode : kind.modes) {
        host.View().SetRenderMode(mode);
        int x = 0, y = 0;
        EXPECT_TRUE(LitPixel(empty, host.WholeFrame(), x, y)) << kind.name << " shows nothing in render mode " << mode;
        for (int round = 0; round < rounds; ++round) {
            for (const bool byRay : {false, true}) host.Pick(x, y, &domain, nullptr, byRay);
            for (const EDsSelectionByBoxMode selection : {eDsSelectionByBoxDefault, eDsSelectionByBoxVisibleOnly}) {
                picks->SetSelectionMode(selection);
                host.Region(1, 1, kSize - 2, kSize - 2, &domain);
            }
            picks->SetSelectionMode(eDsSelectionByBoxDefault);
            host.Snap(x, y, {256, 257, 258, 259});
            host.Snap(x, y, {267});
            made += 6;
        }
    }
    shown.TakeAway(host);
    host.Close();
    return made;
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

// A host picks where the cursor hovers, again and again: whatever kind of item the document shows,
// with display lists on or off, neither the picks nor the documents may leave memory behind. Each
// kind lies many times over one spot, so that picks that sent it to selection or feedback in
// immediate mode, from a display list or from a vertex buffer (which Mesa keeps until the process
// ends, half a megabyte at a time) would leave a megabyte or more over the documents measured;
// what OpenGL and the allocators keep once for the process is settled by the first documents.
// The kinds of `bodies` (bodies and their copies) or the others.
namespace {
void ExpectPicksLeaveTheHeapWhereItWas(bool bodies)
{
    constexpr int kSettling = 2, kDocuments = 3, kRounds = 4, kDocument = 14;
    // Display lists in use or not (display-manager flag 4), put back as the test found it.
    struct SListsFlag {
        const bool was = CDsManager::GetInstance()->GetFlag(4);
        ~SListsFlag() { CDsManager::GetInstance()->SetFlag(4, was); }
    } listsFlag;
    for (const SItemKind& kind : EveryItemKind())
        for (const bool lists : {false, true}) {
            // Only bodies and their copies draw from display lists as the flag says.
            if (kind.body != bodies || (lists && !kind.body)) continue;
            CDsManager::GetInstance()->SetFlag(4, lists);
            long long before = 0;
            int picks = 0;
            for (int i = 0; i < kSettling + kDocuments; ++i) {
                if (i == kSettling) before = HeapInUse();
                const int made = PickADocumentOver(kind, kDocument, kRounds);
                if (i >= kSettling) picks += made;
                ASSERT_TRUE(CDsPartStorage::instance()->RemovePart(kDocument));
            }
            const long long growth = HeapInUse() - before;
            EXPECT_LT(growth, 128 << 10) << kind.name << (lists ? ", display lists on: " : ": ") << growth / picks
                                         << " bytes a pick, " << growth / kDocuments << " bytes a document";
        }
}
}  // namespace

TEST_F(ClosedDocumentsGLTest, DocumentsPickedOverAndOverLeaveTheHeapWhereItWasWhateverBodiesTheyShow)
{
    ExpectPicksLeaveTheHeapWhereItWas(true);
}

TEST_F(ClosedDocumentsGLTest, DocumentsPickedOverAndOverLeaveTheHeapWhereItWasWhateverFiguresTheyShow)
{
    ExpectPicksLeaveTheHeapWhereItWas(false);
}

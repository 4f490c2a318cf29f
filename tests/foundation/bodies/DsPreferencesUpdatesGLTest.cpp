// Preference updates of a rendering context: the faceting tolerances of the active document into
// the scene's refinement record, the background of a document type into the scene's background
// (the next frame's clear colour) and through a view into its own colour, the exclusive-or partner
// colour taken from that background, the geometry-curve colour read by the open-edges mode; asked
// to, a refinement update facets the context's bodies again with the new tolerances.
#include "DsAttributes.h"
#include "DsBackground.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemEdge.h"
#include "DsItemsBody.h"
#include "DsLineAttribStorage.h"
#include "DsPreferencesServices.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "VyrBodyGeometry.h"
#include "VyrMeshInterface.h"
#include "VyrPolylineEntry.h"
#include "VyrRefinement.h"

#include "SpaBuilders.h"
#include "SpaFaceter.h"
#include "SpaTopology.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"
#include "../PreferencesFixture.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <afxwin.h>

#include <array>
#include <memory>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 64;

class PreferencesUpdatesGLTest : public vyrtest::PreferencesTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        view_ = std::make_unique<CDsView3dCdc>(&window_.wnd);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(kSize, kSize).Clip(1, 100).ApplyTo(*view_);
        view_->SetRenderMode(eRenderWireframe);
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
    }
    CVyrRefinement& Refinement() { return *context_.GetScene()->GetRefinement(); }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::FrameworkWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    CDsPreferencesServices services_;
};

}  // namespace

TEST_F(PreferencesUpdatesGLTest, TheActiveDocumentsTolerancesReachTheScenesRefinementOnly)
{
    Store(7, L"Part", L"Surface_Tolerance_Data", 0.02);
    Store(7, L"Part", L"Max_Grid_Lines_Data", 64);
    Store(7, L"Drafting", L"Hl_Curve_Tolerance_Data", 0.03);  // stands for the absent curve key
    Store(8, L"Part", L"Surface_Tolerance_Data", 0.9);
    CVyrPrefManager::SetActiveDocumentId(7);
    const double normal = Refinement().GetNormalTol();
    Refinement().SetChangedFlag(false);

    services_.UpdateDocumentPreferences(&context_, false);
    EXPECT_DOUBLE_EQ(Refinement().GetSurfaceTol(), 0.02);
    EXPECT_EQ(Refinement().GetMaxGridLines(), 64);
    EXPECT_DOUBLE_EQ(Refinement().GetCurveTol(), 0.03);
    EXPECT_DOUBLE_EQ(Refinement().GetNormalTol(), normal);  // absent: the scene's value stays
    EXPECT_TRUE(Refinement().GetChangedFlag());

    // A second context updated while document 8 is active takes 8's value; the first keeps 7's,
    // and the store keeps both documents' values as they were.
    CDsGlContext second;
    CVyrPrefManager::SetActiveDocumentId(8);
    services_.UpdateRefinement(&second, false);
    EXPECT_DOUBLE_EQ(second.GetScene()->GetRefinement()->GetSurfaceTol(), 0.9);
    EXPECT_DOUBLE_EQ(Refinement().GetSurfaceTol(), 0.02);
    double surface = 0;
    int grid = 0;
    double n = 0, curve = 0;
    ASSERT_TRUE(services_.GetRefinement(surface, grid, n, curve, 7));
    EXPECT_DOUBLE_EQ(surface, 0.02);

    // No context given: the current view's.
    Refinement().SetChangedFlag(false);
    CDsView3dCdc::StSetCurrent(view_.get(), false);
    services_.UpdateRefinement(nullptr, false);
    EXPECT_DOUBLE_EQ(Refinement().GetSurfaceTol(), 0.9);
    EXPECT_TRUE(Refinement().GetChangedFlag());

    // An unknown document holds nothing of its own: the application's (absent) values leave the
    // refinement as it is.
    CVyrPrefManager::SetActiveDocumentId(4711);
    services_.UpdateRefinement(&context_, false);
    EXPECT_DOUBLE_EQ(Refinement().GetSurfaceTol(), 0.9);
}

TEST_F(PreferencesUpdatesGLTest, ABackgroundUpdateIsTheNextFramesClearColourAndTheExclusiveOrPartner)
{
    General(L"Modeler", CVyrRgbColor(0, 0, 255));
    General(L"ModelerGradientExist", 0);
    view_->refresh();
    const Rgb before = ReadPixel(GL_FRONT, kSize - 5, kSize - 5);

    services_.UpdateBackgroundColor(eDsDocumentTypeModeler, &context_);
    view_->refresh();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, kSize - 5, kSize - 5), Rgb{0, 0, 255}));
    EXPECT_FALSE(ColorNear(before, Rgb{0, 0, 255}));

    // Exclusive-or colours are taken against the scene's background, not the view's own colour.
    view_->set_background_rgb(rgb_color(0, 0, 0));
    CDsLineAttribStorage storage;
    storage.SetColor(CDsColorStorage(0, 255, 0));
    storage.SetXorMode(true);
    const rgb_color drawn = storage.SetAttributesToView(view_.get());
    EXPECT_EQ(drawn.windows_color() & 0xFFFFFFu, 0xFFFF00u);  // green ^ blue, red in the low byte

    // No context: nothing happens.
    General(L"Modeler", CVyrRgbColor(255, 0, 0));
    services_.UpdateBackgroundColor(eDsDocumentTypeModeler, nullptr);
    view_->refresh();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, kSize - 5, kSize - 5), Rgb{0, 0, 255}));
}

TEST_F(PreferencesUpdatesGLTest, TheViewTakesItsDocumentsBackgroundAndPaintsItAtTheNextFrame)
{
    General(L"Modeler", CVyrRgbColor(0, 0, 255));
    General(L"ModelerGradientExist", 0);
    view_->set_background_rgb(rgb_color(1.0, 0.0, 0.0));
    view_->refresh();
    context_.ValidateView(view_.get());
    view_->UpdateBackgroundColor(eDsDocumentTypeModeler);
    EXPECT_EQ(view_->get_background_rgb().windows_color() & 0xFFFFFFu, 0xFF0000u);  // blue, red in the low byte
    // The suspension that covered the change is over and left the window to be repainted.
    EXPECT_FALSE(context_.GetDisplaySuspensionMode());
    EXPECT_FALSE(context_.IsViewUpToDate(view_.get()));
    view_->refresh();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, kSize - 5, kSize - 5), Rgb{0, 0, 255}));

    // A view without a context keeps its colour.
    CDsView3dCdc lone;
    lone.set_background_rgb(rgb_color(1.0, 0.0, 0.0));
    lone.UpdateBackgroundColor(eDsDocumentTypeModeler);
    EXPECT_EQ(lone.get_background_rgb().windows_color() & 0xFFFFFFu, 0x0000FFu);
    CDsView3dCdc::StSetCurrent(view_.get(), false);
}

TEST_F(PreferencesUpdatesGLTest, OpenEdgesReadTheGeometryCurveColourWhenTheyGoOnAndWhenTheyGoOff)
{
    const CDsLineAttribStorage* curves = CDsLineAttribStorage::StGetSpecialAttributes(static_cast<EAttribSetIndex>(10));
    ASSERT_NE(curves, nullptr);
    General(L"GeomCurveClr", CVyrRgbColor(10, 20, 30));
    context_.SetOpenEdgesMode(true);
    EXPECT_EQ(curves->GetColor().GetColorRef(), CDsColorStorage(10, 20, 30).GetColorRef());
    EXPECT_FALSE(curves->GetInheritColorState());

    ASSERT_TRUE(Prefs()->SetValue(0, L"General", L"GeomCurveClr", CVyrRgbColor(40, 50, 60)));
    context_.SetOpenEdgesMode(true);  // on already: nothing is read
    EXPECT_EQ(curves->GetColor().GetColorRef(), CDsColorStorage(10, 20, 30).GetColorRef());
    context_.SetOpenEdgesMode(false);
    EXPECT_FALSE(context_.GetOpenEdgesMode());
    EXPECT_EQ(curves->GetColor().GetColorRef(), CDsColorStorage(40, 50, 60).GetColorRef());
}

namespace {

constexpr int kPlateSize = 96;

// Two documents, each with its context, its view and its own benchmark plate, looking straight
// down at the first hole of the plate (radius 1.87 at x = 8, y = 6.25) from close by, shaded.
class RefacetGLTest : public vyrtest::PreferencesTest {
protected:
    struct SDocument {
        int id = 0;
        std::unique_ptr<vyrtest::FrameworkWindow> window;
        std::unique_ptr<CDsGlContext> context;
        std::unique_ptr<CDsView3dCdc> view;
        BODY* plate = nullptr;
    };

    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        // Both documents start coarse: the hole's rim a polygon of a few sides.
        for (int id : {7, 8}) {
            Store(id, L"Part", L"Surface_Tolerance_Data", 0.6);
            Store(id, L"Part", L"Normal_Tolerance_Data", 90.0);
        }
        for (size_t i = 0; i < docs_.size(); ++i) {
            SDocument& doc = docs_[i];
            doc.id = 7 + static_cast<int>(i);
            CVyrPrefManager::SetActiveDocumentId(doc.id);
            doc.window = std::make_unique<vyrtest::FrameworkWindow>(kPlateSize, kPlateSize);
            doc.context = std::make_unique<CDsGlContext>(static_cast<int>(i));  // a scene per document
            doc.view = std::make_unique<CDsView3dCdc>(&doc.window->wnd);
            doc.view->SetGlContext(doc.context.get());
            doc.context->add_view(doc.view.get());
            ViewSetup()
                .Pixels(kPlateSize, kPlateSize)
                .Eye(SPAposition(8, 6.25, 100))
                .Target(SPAposition(8, 6.25, 0))
                .Field(6, 6)
                .Clip(1, 200)
                .ApplyTo(*doc.view);
            doc.view->SetRenderMode(eRenderShade);
            doc.plate = make_benchmark_plate();
            ASSERT_NE(doc.plate, nullptr);
            CDsAttributes look;
            look.SetColor(0xFFC000);
            ASSERT_TRUE(VyrShowBody(doc.context.get(), doc.plate, 1, &look));
        }
        ENTITY_LIST faces;
        get_faces(docs_[0].plate, faces);
        plateFaces_ = faces.count();
        ASSERT_GT(plateFaces_, 100);
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        for (SDocument& doc : docs_) {
            if (doc.plate && doc.context) VyrHideBody(doc.context.get(), doc.plate, 1);
            doc.view.reset();
            doc.context.reset();
            if (doc.plate) doc.plate->lose();
        }
        wglMakeCurrent(nullptr, nullptr);
    }

    // The document's view drawn anew; its front buffer, RGB rows from the bottom.
    std::vector<unsigned char> Frame(SDocument& doc)
    {
        CDsView3dCdc::StSetCurrent(doc.view.get(), false);
        doc.context->GetScene()->GetDbScene().InvalidateStates();
        doc.view->refresh();
        glFinish();
        std::vector<unsigned char> pixels(kPlateSize * kPlateSize * 3);
        glReadBuffer(GL_FRONT);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kPlateSize, kPlateSize, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    // Pixels of two frames that differ by more than a rounding step.
    static int Changed(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
    {
        int changed = 0;
        for (size_t i = 0; i + 2 < a.size(); i += 3) {
            bool differs = false;
            for (size_t c = 0; c < 3; ++c) differs |= std::abs(int(a[i + c]) - int(b[i + c])) > 3;
            changed += differs;
        }
        return changed;
    }
    // The lit pixels of a frame (the plate's top face, not the background seen through the hole).
    static int Lit(const std::vector<unsigned char>& p)
    {
        int lit = 0;
        for (size_t i = 0; i + 2 < p.size(); i += 3) lit += p[i] + p[i + 1] + p[i + 2] > 60;
        return lit;
    }
    static int Triangles(SDocument& doc)
    {
        CDsItemsBody* body = doc.context->FindDsBody(doc.plate);
        return body && body->GetMeshInterface() ? body->GetMeshInterface()->ComputeNumOfTriangles() : -1;
    }

    // The polyline entries the plate's edge items draw, in edge order; empty when one of them is
    // not the entry the body's mesh interface now holds for its edge.
    static std::vector<const CVyrPolylineEntry*> EdgeEntries(SDocument& doc)
    {
        CDsItemsBody* body = doc.context->FindDsBody(doc.plate);
        if (!body || !body->GetMeshInterface()) return {};
        std::vector<const CVyrPolylineEntry*> entries;
        for (int i = 0; i < body->EdgesCount(); ++i) {
            CDsItemEdge* edge = body->GetEdgeItem(i);
            CVyrPolylineEntry* held = edge->GetPolylineEntry();
            if (!held || held != body->GetMeshInterface()->GetPolylineEntry(edge->GetEntity()).get()) return {};
            entries.push_back(held);
        }
        return entries;
    }

    vyrtest::ViewStaticsGuard statics_;
    std::array<SDocument, 2> docs_;
    long plateFaces_ = 0;
    CDsPreferencesServices services_;
};

}  // namespace

TEST_F(RefacetGLTest, ARefinementUpdateFacetsThePlateOnceAndTheNextFrameShowsTheFinerMesh)
{
    SDocument& doc = docs_[0];
    const std::vector<unsigned char> coarse = Frame(doc);
    const int coarseTriangles = Triangles(doc);
    ASSERT_GT(coarseTriangles, 0);
    const int coarseLit = Lit(coarse);
    const std::vector<const CVyrPolylineEntry*> coarseEdges = EdgeEntries(doc);
    ASSERT_FALSE(coarseEdges.empty());
    ASSERT_GT(coarseLit, kPlateSize * kPlateSize / 4);   // the top face around the hole
    ASSERT_LT(coarseLit, kPlateSize * kPlateSize - 200); // and the hole

    // Without re-faceting the record changes and the picture does not.
    Store(7, L"Part", L"Surface_Tolerance_Data", 0.02);
    Store(7, L"Part", L"Normal_Tolerance_Data", 15.0);
    CVyrPrefManager::SetActiveDocumentId(7);
    long before = faceted_face_count();
    services_.UpdateRefinement(doc.context.get(), false);
    EXPECT_EQ(faceted_face_count(), before);
    EXPECT_DOUBLE_EQ(doc.context->GetRefinement()->GetSurfaceTol(), 0.02);
    EXPECT_EQ(Changed(Frame(doc), coarse), 0);

    // Re-faceting: every face of the plate once, under the wait cursor, which goes again.
    const HCURSOR cursor = GetCursor();
    before = faceted_face_count();
    services_.UpdateDocumentPreferences(doc.context.get(), true);
    EXPECT_EQ(faceted_face_count() - before, plateFaces_);
    EXPECT_EQ(GetCursor(), cursor);
    EXPECT_TRUE(doc.context->GetRefinementChangedFlag());
    EXPECT_GT(Triangles(doc), coarseTriangles * 3 / 2);
    // The edges are evaluated again and every edge item holds its edge's new polyline entry.
    const std::vector<const CVyrPolylineEntry*> fineEdges = EdgeEntries(doc);
    ASSERT_EQ(fineEdges.size(), coarseEdges.size());
    for (size_t i = 0; i < fineEdges.size(); ++i) EXPECT_NE(fineEdges[i], coarseEdges[i]) << "edge " << i;

    // The next frame shows the rounder rim: the hole's polygon gives way to a near circle, which
    // the coarse polygon lies inside, so the top face lights fewer pixels.
    const long afterRefacet = faceted_face_count();
    const std::vector<unsigned char> fine = Frame(doc);
    EXPECT_EQ(faceted_face_count(), afterRefacet);  // drawing facets nothing again
    EXPECT_GT(Changed(fine, coarse), 40);
    EXPECT_LT(Lit(fine), coarseLit);
}

TEST_F(RefacetGLTest, ARefinementUpdateInTheSecondDocumentLeavesTheFirstAsItWas)
{
    SDocument& first = docs_[0];
    SDocument& second = docs_[1];
    const std::vector<unsigned char> firstCoarse = Frame(first);
    const std::vector<unsigned char> secondCoarse = Frame(second);
    const int firstTriangles = Triangles(first);
    const int secondTriangles = Triangles(second);

    // The second document gets fine tolerances and is updated while the first document's view
    // is the current one: the second plate is faceted with the second document's tolerances.
    Store(8, L"Part", L"Surface_Tolerance_Data", 0.02);
    Store(8, L"Part", L"Normal_Tolerance_Data", 15.0);
    CVyrPrefManager::SetActiveDocumentId(8);
    CDsView3dCdc::StSetCurrent(first.view.get(), false);
    const long before = faceted_face_count();
    services_.UpdateRefinement(second.context.get(), true);
    EXPECT_EQ(faceted_face_count() - before, plateFaces_);  // the second plate only
    EXPECT_DOUBLE_EQ(second.context->GetRefinement()->GetSurfaceTol(), 0.02);
    EXPECT_GT(Triangles(second), secondTriangles * 3 / 2);
    EXPECT_GT(Changed(Frame(second), secondCoarse), 40);

    // The first keeps its tolerances, its meshes and its picture; its preferences stay stored.
    EXPECT_DOUBLE_EQ(first.context->GetRefinement()->GetSurfaceTol(), 0.6);
    EXPECT_EQ(Triangles(first), firstTriangles);
    EXPECT_EQ(Changed(Frame(first), firstCoarse), 0);
    double surface = 0, normal = 0, curve = 0;
    int grid = 0;
    ASSERT_TRUE(services_.GetRefinement(surface, grid, normal, curve, 7));
    EXPECT_DOUBLE_EQ(surface, 0.6);

    // No context and no current view: nothing is faceted.
    CDsView3dCdc::StSetCurrent(nullptr, false);
    const long idle = faceted_face_count();
    services_.UpdateRefinement(nullptr, true);
    EXPECT_EQ(faceted_face_count(), idle);
}

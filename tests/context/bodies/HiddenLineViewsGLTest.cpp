// Hidden-line views as a host shows a drawing's projections: filed in the context (Record), or
// held by a recorded figure. Their background is drawn in its own colour whatever was drawn
// before it; every state a host gives a view (hidden or shown again on its own item, highlighted,
// marked, moved; for a figure's view, hidden by its path or given a location state) is drawn by
// the next refresh as a whole frame and a fresh host draw that state, in every render mode; and
// the picks that reach a filed view answer its lines where the window draws them.
#include "DsColorStorage.h"
#include "DsEllipseStorage.h"
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsItemsHlView.h"
#include "DsLineAttribStorage.h"
#include "DsPickManager.h"
#include "DsPickProccessor.h"
#include "DsPolyline.h"
#include "DsRefPoint.h"
#include "HostFixture.h"
#include "UiPickEvent.h"

#include "DsAcisPick.h"
#include "SpaBuilders.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using vyrtest::Host;
using vyrtest::Picture;
using vyrtest::SamePicture;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 100;
constexpr double kPi = 3.14159265358979323846;
constexpr ERenderMode kModes[] = {eRenderWireframe, eRenderHiddenLines, eRenderPartialHiddenLines, eRenderShade,
                                  eRenderMixed};

// What a host did to a hidden-line view it filed.
struct SViewState {
    const CDsColorStorage* background = nullptr;  // SetBackground's colour; none without one
    bool hidden = false;                          // hidden on its own item
    bool byAttributes = false;                    // hidden and shown by a copy of its attributes given
                                                  // back whole (its segments take them too)
    EVisibilityLevel level = eVisibilityNormal;   // given to its segments (SetSegmentsVisibility)
    SPAtransf placement;                          // where the view was moved (SetTransformation)
    bool firstSetHidden = false;                  // its first set hidden on the set's own item alone
};

// A view of three green segments, both sets shown: set 0 a line at y = -25 and the upper half of a
// circle of radius 10 about the origin, set 1 a line at y = 25, the lines from x = -25 to 25. The
// segments stand for `edges` (three, or none), the view for `entity`; without `showSecondSet` set 1
// is made but not shown.
std::unique_ptr<CDsItemsHlView> MakeView(ENTITY* entity = nullptr, const std::vector<ENTITY*>& edges = {},
                                         bool showSecondSet = true)
{
    const auto edge = [&](size_t i) { return i < edges.size() ? edges[i] : nullptr; };
    CDsFigureGenerator generator(nullptr);
    generator.StartHlView(entity, showSecondSet);
    generator.SetPenColor(CDsColorStorage(0, 255, 0));
    CDsPolyline low({SPAposition(-25, -25, 0), SPAposition(25, -25, 0)});
    CDsPolyline high({SPAposition(-25, 25, 0), SPAposition(25, 25, 0)});
    generator.AddHlSegment(edge(0), &low, eDsHlSegmentFirst);
    generator.AddHlSegment(edge(1), &high, eDsHlSegmentSecond);
    const ellipse circle(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(10, 0, 0), 1.0, 0.0);
    generator.AddHlSegment(edge(2), new CDsEllipseStorage(circle, 0.0, kPi), eDsHlSegmentFirst);
    return std::unique_ptr<CDsItemsHlView>(static_cast<CDsItemsHlView*>(generator.DisplayListGroup(nullptr)));
}

// Gives `view` what `state` says, as a host gives it.
void Apply(CDsItemsHlView& view, const SViewState& state)
{
    if (state.background) view.SetBackground(true, state.background, 0.05f, 1.0f);
    if (state.byAttributes) vyrtest::HideOnItem(&view, true, true);
    if (state.hidden || state.byAttributes) vyrtest::HideOnItem(&view, state.hidden, state.byAttributes);
    if (state.level != eVisibilityNormal) view.SetSegmentsVisibility(state.level, true, false);
    if (!state.placement.identity()) view.SetTransformation(state.placement);
    if (state.firstSetHidden) view.Get(0)->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
}

// A host seen from above, one model unit a pixel, with a block in a corner unless told.
std::unique_ptr<Host> NewHost(ERenderMode mode, bool block = true)
{
    auto host = std::make_unique<Host>(kSize, kSize);
    host->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300));
    if (block) host->ShowBlock(SPAposition(30, 32, -5), SPAposition(45, 45, 5));
    host->View().SetRenderMode(mode);
    return host;
}

// What a fresh host (with the block, unless told) shows of a filed view in `state`.
Picture FreshPicture(ERenderMode mode, const SViewState& state, bool block = true)
{
    std::unique_ptr<Host> host = NewHost(mode, block);
    std::unique_ptr<CDsItemsHlView> view = MakeView();
    host->Context().Record(view.get());
    Apply(*view, state);
    const Picture picture = host->WholeFrame();
    host->Context().Remove(view.get());
    return picture;
}

// A figure that holds a hidden-line view.
vyrtest::FigureRecipe ViewFigure()
{
    return [](CDsFigureGenerator& g) {
        g.StartHlView(nullptr, true);
        g.SetPenColor(CDsColorStorage(0, 255, 0));
        CDsPolyline low({SPAposition(-25, -25, 0), SPAposition(25, -25, 0)});
        CDsPolyline high({SPAposition(-25, 25, 0), SPAposition(25, 25, 0)});
        g.AddHlSegment(nullptr, &low, eDsHlSegmentFirst);
        g.AddHlSegment(nullptr, &high, eDsHlSegmentSecond);
    };
}

// The location states a host gives a figure's view by its path.
struct SPathState {
    bool forcedHidden = false;
    EAttribSetIndex set = eAttribSetNormal;
};

void Apply(Host& host, const CVyrObjectPath& path, const SPathState& state)
{
    std::vector<CVyrObjectPath> paths{path};
    host.Context().ModifyLocations(paths, state.set);
    if (state.forcedHidden)
        host.Context().ForceHide(path);
    else
        host.Context().ResetHideShow(path);
}

Picture FreshPicture(ERenderMode mode, const SPathState& state)
{
    std::unique_ptr<Host> host = NewHost(mode);
    auto figures = host->Record({ViewFigure()});
    Apply(*host, Host::PathOf(*figures[0]), state);
    const Picture picture = host->WholeFrame();
    figures[0]->Remove(&host->View());
    return picture;
}

class HiddenLineViewsGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_ = NewHost(eRenderHiddenLines);
    }
    // The refresh's picture, which must be what a whole frame draws.
    Picture Refreshed()
    {
        host_->Refresh();
        const Picture refreshed = host_->Front();
        EXPECT_TRUE(SamePicture(refreshed, host_->WholeFrame()));
        return refreshed;
    }
};

}  // namespace

// A view's background is lit in its own colour: after frames of other render modes (faces lit,
// curves in other pens) the refresh draws it as a whole frame and a fresh host draw it, the same
// colour in every frame of hidden lines.
TEST_F(HiddenLineViewsGLTest, TheBackgroundKeepsItsOwnColourWhateverWasDrawnBefore)
{
    const CDsColorStorage blue(0, 0, 200), grey(128, 128, 128);
    for (const CDsColorStorage* colour : {&blue, &grey})
    for (const bool block : {false, true}) {
        SCOPED_TRACE(testing::Message() << (colour == &blue ? "blue" : "grey") << (block ? ", beside a block" : ""));
        host_ = NewHost(eRenderWireframe, block);
        SViewState state;
        state.background = colour;
        std::unique_ptr<CDsItemsHlView> view = MakeView();
        host_->Context().Record(view.get());
        Apply(*view, state);
        std::vector<unsigned char> shown;  // the background's colour in the frames of hidden lines
        // The frames one after another (a fresh host drawn between them would leave the live
        // host's OpenGL state as a frame of its own does not), then the fresh hosts.
        std::vector<std::pair<ERenderMode, Picture>> refreshed;
        for (const ERenderMode mode : {eRenderWireframe, eRenderHiddenLines, eRenderShade, eRenderPartialHiddenLines,
                                       eRenderMixed, eRenderHiddenLines, eRenderPartialHiddenLines}) {
            SCOPED_TRACE(testing::Message() << "render mode " << mode);
            host_->View().SetRenderMode(mode);
            refreshed.emplace_back(mode, Refreshed());
            if (mode != eRenderHiddenLines && mode != eRenderPartialHiddenLines) continue;
            // The middle of the view, off its curves.
            const unsigned char* middle = refreshed.back().second.At(50, 45);
            if (shown.empty()) shown.assign(middle, middle + 3);
            EXPECT_EQ(std::vector<unsigned char>(middle, middle + 3), shown);
        }
        for (const auto& [mode, picture] : refreshed)
            EXPECT_TRUE(SamePicture(picture, FreshPicture(mode, state, block))) << "render mode " << mode;
        ASSERT_EQ(shown.size(), 3u);
        if (colour == &blue) {
            EXPECT_GT(shown[2], 100);
            EXPECT_LT(shown[0] + shown[1], 20);
        } else {
            EXPECT_GT(shown[0], 60);
            EXPECT_EQ(shown[0], shown[1]);
            EXPECT_EQ(shown[1], shown[2]);
        }
        host_->Context().Remove(view.get());
    }
}

// A view's background stays behind the view's own curves in its plane wherever the view lies in
// depth: seen straight on, a view moved to one depth after another beside a block lights as many
// pixels of its lines over its background as without one, in both render modes of hidden lines.
TEST_F(HiddenLineViewsGLTest, TheBackgroundStaysBehindTheViewsCurvesAtEveryDepth)
{
    const CDsColorStorage blue(0, 0, 200);
    const auto green = [](const Picture& picture) {
        int count = 0;
        for (int x = 0; x < kSize; ++x)
            for (int y = 0; y < kSize; ++y) {
                const unsigned char* c = picture.At(x, y);
                count += c[1] > 150 && c[0] < 100 && c[2] < 100;
            }
        return count;
    };
    for (const ERenderMode mode : {eRenderHiddenLines, eRenderPartialHiddenLines}) {
        host_ = NewHost(mode, false);
        host_->ShowBlock(SPAposition(30, 32, -90), SPAposition(45, 45, 15));
        for (double z = 0.0; z > -90.0; z -= 2.5) {
            SCOPED_TRACE(testing::Message() << "render mode " << mode << ", z " << z);
            int lines[2] = {0, 0};
            for (const bool background : {false, true}) {
                std::unique_ptr<CDsItemsHlView> view = MakeView();
                if (background) view->SetBackground(true, &blue, 0.2f, 1.0f);
                view->SetTransformation(translate_transf(SPAvector(0, 0, z)));
                host_->Context().Record(view.get());
                lines[background] = green(Refreshed());
                host_->Context().Remove(view.get());
            }
            EXPECT_GT(lines[0], 100);
            EXPECT_GE(lines[1], lines[0] * 9 / 10);
        }
    }
}

// Segments a host gave the view's own attributes (a copy given back whole, its colour inherited)
// draw in the pen they inherit from the view, the colour inherited colours rest on, whatever the
// frame drew before them: beside blocks of two colours the view's lines come out alike in both
// render modes of hidden lines, in that colour, and the refresh draws what a whole frame draws.
TEST_F(HiddenLineViewsGLTest, SegmentsGivenTheViewsAttributesDrawInTheColourTheyInherit)
{
    const CDsLineAttribStorage* normal = CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetNormal);
    ASSERT_NE(normal, nullptr);
    const CDsColorStorage& inherited = normal->GetColor();
    const std::vector<unsigned char> expected = {inherited.GetRed(), inherited.GetGreen(), inherited.GetBlue()};
    for (const ERenderMode mode : {eRenderHiddenLines, eRenderPartialHiddenLines})
        for (const unsigned block : {0x0000C0u, 0x00C000u}) {
            SCOPED_TRACE(testing::Message() << "render mode " << mode << ", block " << std::hex << block);
            host_ = NewHost(mode, false);
            host_->ShowBlock(SPAposition(-45, -45, -5), SPAposition(-35, -35, 5), block);
            std::unique_ptr<CDsItemsHlView> view = MakeView();
            host_->Context().Record(view.get());
            host_->WholeFrame();
            vyrtest::HideOnItem(view.get(), true, true);
            Refreshed();
            vyrtest::HideOnItem(view.get(), false, true);
            const Picture shown = Refreshed();
            // A point of each set's line.
            for (const SPAposition& p : {SPAposition(-12, -25, 0), SPAposition(-12, 25, 0)}) {
                int x = 0, y = 0;
                ASSERT_TRUE(host_->PixelOf(p, x, y));
                const unsigned char* c = shown.At(x, kSize - 1 - y);
                EXPECT_EQ(std::vector<unsigned char>(c, c + 3), expected) << p.y();
            }
            host_->Context().Remove(view.get());
        }
}

// Every state a host gives a hidden-line view is drawn by the next refresh: a filed view (with a
// background and without) hidden and shown again on its own item (its hide level, or a copy of
// its attributes given back), its first set hidden and shown again on the set's own item,
// highlighted, marked and moved; a figure's view hidden by its path
// and shown again, dimmed, marked and highlighted. In every render mode the refresh shows what a
// whole frame and a fresh host given the same state show.
TEST_F(HiddenLineViewsGLTest, EveryStateOfAViewIsDrawnByTheNextRefresh)
{
    const CDsColorStorage blue(0, 0, 200);
    struct SStep {
        const char* name;
        std::function<void(CDsItemsHlView&, SViewState&)> apply;
    };
    const std::vector<SStep> steps = {
        {"hidden on its item", [](CDsItemsHlView& v, SViewState& s) { vyrtest::HideOnItem(&v, s.hidden = true); }},
        {"shown again", [](CDsItemsHlView& v, SViewState& s) { vyrtest::HideOnItem(&v, s.hidden = false); }},
        {"hidden by its attributes",
         [](CDsItemsHlView& v, SViewState& s) { vyrtest::HideOnItem(&v, s.hidden = true, s.byAttributes = true); }},
        {"shown by its attributes", [](CDsItemsHlView& v, SViewState& s) { vyrtest::HideOnItem(&v, s.hidden = false, true); }},
        // A set of the view, reached through the view's children, hidden alone (not its segments).
        {"first set hidden",
         [](CDsItemsHlView& v, SViewState& s) {
             v.Get(0)->SetAttribute(CDsHideLevel(eDsHideLevelBlank), s.firstSetHidden = true, false);
         }},
        {"first set shown again",
         [](CDsItemsHlView& v, SViewState& s) {
             v.Get(0)->SetAttribute(CDsHideLevel(eDsHideLevelShown), true, false);
             s.firstSetHidden = false;
         }},
        {"highlighted",
         [](CDsItemsHlView& v, SViewState& s) { v.SetSegmentsVisibility(s.level = eVisibilityHighlight, true, false); }},
        {"highlight off",
         [](CDsItemsHlView& v, SViewState& s) {
             v.SetSegmentsVisibility(eVisibilityHighlight, false, false);
             s.level = eVisibilityNormal;
         }},
        {"marked", [](CDsItemsHlView& v, SViewState& s) { v.SetSegmentsVisibility(s.level = eVisibilityMark, true, false); }},
        {"mark off",
         [](CDsItemsHlView& v, SViewState& s) {
             v.SetSegmentsVisibility(eVisibilityMark, false, false);
             s.level = eVisibilityNormal;
         }},
        {"moved", [](CDsItemsHlView& v, SViewState& s) { v.MultiplyTransformation(s.placement = translate_transf(SPAvector(12, 5, 0))); }},
        {"moved on", [](CDsItemsHlView& v, SViewState& s) {
             const SPAtransf by = translate_transf(SPAvector(-20, 0, 0));
             v.Transform(by);  // the segments themselves
             s.placement = s.placement * by;
         }},
        {"put back", [](CDsItemsHlView& v, SViewState& s) {
             v.Transform(translate_transf(SPAvector(20, 0, 0)));
             v.SetTransformation(s.placement = SPAtransf());
         }},
    };
    for (const CDsColorStorage* background : {static_cast<const CDsColorStorage*>(nullptr), &blue})
        for (const ERenderMode mode : kModes) {
            SCOPED_TRACE(testing::Message() << "render mode " << mode << (background ? ", background" : ""));
            host_->View().SetRenderMode(mode);
            SViewState state;
            state.background = background;
            std::unique_ptr<CDsItemsHlView> view = MakeView();
            host_->Context().Record(view.get());
            Apply(*view, state);
            host_->WholeFrame();
            // The steps one after another (a fresh host drawn between two of them would make the
            // live one draw its next frame whole), then the fresh hosts.
            std::vector<std::pair<SViewState, Picture>> refreshed;
            for (const SStep& step : steps) {
                SCOPED_TRACE(step.name);
                step.apply(*view, state);
                refreshed.emplace_back(state, Refreshed());
            }
            host_->Context().Remove(view.get());
            for (size_t i = 0; i < steps.size(); ++i)
                EXPECT_TRUE(SamePicture(refreshed[i].second, FreshPicture(mode, refreshed[i].first))) << steps[i].name;
        }

    // A view a figure holds is a location of the scene database.
    auto figures = host_->Record({ViewFigure()});
    const CVyrObjectPath path = Host::PathOf(*figures[0]);
    const std::vector<std::pair<const char*, SPathState>> states = {
        {"hidden by its path", {true, eAttribSetNormal}}, {"shown by its path", {false, eAttribSetNormal}},
        {"dimmed", {false, eAttribSetDim}},               {"marked", {false, eAttribSetMark}},
        {"highlighted", {false, eAttribSetHighlight}},    {"normal", {false, eAttribSetNormal}}};
    for (const ERenderMode mode : kModes) {
        SCOPED_TRACE(testing::Message() << "figure, render mode " << mode);
        host_->View().SetRenderMode(mode);
        host_->WholeFrame();
        std::vector<Picture> refreshed;
        for (const auto& [name, state] : states) {
            SCOPED_TRACE(name);
            Apply(*host_, path, state);
            refreshed.push_back(Refreshed());
        }
        for (size_t i = 0; i < states.size(); ++i)
            EXPECT_TRUE(SamePicture(refreshed[i], FreshPicture(mode, states[i].second))) << states[i].first;
    }
    figures[0]->Remove(&host_->View());
}

// The roads that reach a filed view answer its lines where the window draws them, before and after
// the view is moved: its segments stand for edges of a body that is not shown. Reference points of
// the segments' ends, middles and centres (the scene's reference-point pick), and with reference
// points by entity (processor state 1) the nearest point of the lines and the modeler's point and
// region picks. None of them answers where the window shows none of the view's lines: off them, and
// in the render modes whose frames leave the views out. The scene database's picks (single and
// region) and the region edge pick never visit a view the scene keeps apart from the database.
TEST_F(HiddenLineViewsGLTest, PicksReachAViewWhereTheWindowDrawsItsLines)
{
    BODY* body = make_block(-40, -40, -40, -30, -30, -30);
    ENTITY_LIST edges;
    get_edges(body, edges);
    ASSERT_GE(edges.count(), 3);
    {
        std::unique_ptr<CDsItemsHlView> view = MakeView(body, {edges[0], edges[1], edges[2]});
        host_->Context().Record(view.get());
        CDsGlContext& context = host_->Context();
        const std::vector<CDsTypeMask> anything = Host::Domain({vyrtest::Host::kFigureType, vyrtest::Host::kBodyType, 5, 6, 24, 25});
        const auto pixel = [&](const SPAposition& p, int& x, int& y) { return host_->PixelOf(p, x, y); };
        // The snap of `kinds` at the pixel of `p`: its position, or a far point for none.
        const auto snap = [&](const SPAposition& p, std::initializer_list<int> kinds) {
            const std::unique_ptr<CDsRefPoint> point = host_->SnapAt(p, kinds);
            return point ? SPAposition(CDsRefPoint::sLastPosition) : SPAposition(1e11, 1e11, 1e11);
        };
        const auto near = [](const SPAposition& a, const SPAposition& b, double within) { return (a - b).len() <= within; };
        // The modeler's point pick at the pixel of `p` (records made) and its region pick about it.
        const auto modelerPick = [&](const SPAposition& p) {
            int x = 0, y = 0;
            EXPECT_TRUE(pixel(p, x, y));
            CUiPickEvent event(x, y, 0, &host_->View(), nullptr);
            CDsPickManager manager(pick_method_point, 0, nullptr, &event, nullptr, std::vector<CDsTypeMask>{});
            return manager.do_pick();
        };
        const auto modelerRegion = [&](const SPAposition& low, const SPAposition& high) {
            int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            EXPECT_TRUE(pixel(low, x0, y1));
            EXPECT_TRUE(pixel(high, x1, y0));
            CUiPickEvent first(x0 - 3, y0 - 3, 0, &host_->View(), nullptr), second(x1 + 3, y1 + 3, 0, &host_->View(), nullptr);
            ENTITY_LIST out;
            CDsAcisPick::PickInRegion(first, second, CDsTypeMask(), out, nullptr);
            return out.lookup(body) >= 0;
        };
        for (const SPAvector& by : {SPAvector(0, 0, 0), SPAvector(15, 0, 0)}) {
            SCOPED_TRACE(testing::Message() << "moved by " << by.x());
            view->SetTransformation(translate_transf(by));
            host_->View().SetRenderMode(eRenderHiddenLines);
            const Picture shown = Refreshed();
            // Where the window lights the lines, and a place it lights none of them.
            const SPAposition onLow = SPAposition(-12, -25, 0) + by, onHigh = SPAposition(12, 25, 0) + by;
            const SPAposition onArc = SPAposition(0, 10, 0) + by, off = SPAposition(0, -12, 0) + by;
            for (const SPAposition& p : {onLow, onHigh, onArc}) {
                int x = 0, y = 0;
                ASSERT_TRUE(pixel(p, x, y));
                ASSERT_TRUE(shown.LitNear(x, kSize - 1 - y, 1)) << p.x() << ", " << p.y();
            }
            {
                int x = 0, y = 0;
                ASSERT_TRUE(pixel(off, x, y));
                ASSERT_FALSE(shown.LitNear(x, kSize - 1 - y, 3));
            }

            // The segments' points, each where the window draws it.
            const std::initializer_list<int> ends = {256, 257, 258, 259};
            for (const SPAposition& end : {SPAposition(25, -25, 0), SPAposition(-25, 25, 0), SPAposition(-10, 0, 0)})
                EXPECT_TRUE(near(snap(end + by, ends), end + by, 1e-3)) << end.x() << ", " << end.y();
            EXPECT_TRUE(near(snap(onLow, {258}), SPAposition(0, -25, 0) + by, 1e-3));
            EXPECT_TRUE(near(snap(onHigh, {256}), SPAposition(25, 25, 0) + by, 1e-3));
            EXPECT_TRUE(near(snap(onArc, {259}), SPAposition(0, 0, 0) + by, 1e-3));
            EXPECT_TRUE(near(snap(off, ends), SPAposition(1e11, 1e11, 1e11), 1.0));
            // Without reference points by entity the nearest point comes from the shown bodies' edges.
            EXPECT_TRUE(near(snap(onLow, {267}), SPAposition(1e11, 1e11, 1e11), 1.0));
            EXPECT_EQ(modelerPick(onLow), 0);

            context.SetPickProccessorFlag(eDsPickStateNoFacePickData, true);
            for (const SPAposition& p : {onLow, onHigh, onArc}) {
                EXPECT_TRUE(near(snap(p, {267}), p, 1.0)) << p.x() << ", " << p.y();
                EXPECT_GT(modelerPick(p), 0) << p.x() << ", " << p.y();
            }
            EXPECT_TRUE(near(snap(off, {267}), SPAposition(1e11, 1e11, 1e11), 1.0));
            EXPECT_EQ(modelerPick(off), 0);
            EXPECT_TRUE(modelerRegion(SPAposition(-25, -25, 0) + by, SPAposition(25, 25, 0) + by));
            EXPECT_FALSE(modelerRegion(SPAposition(-25, -20, 0) + by, SPAposition(25, -5, 0) + by));
            context.SetPickProccessorFlag(eDsPickStateNoFacePickData, false);

            // The scene database's picks and the region edge pick do not reach the view.
            EXPECT_FALSE(host_->PickAt(onLow, &anything).IsValid());
            EXPECT_TRUE(host_->RegionAround(SPAposition(-25, -25, 0) + by, SPAposition(25, 25, 0) + by, 3, &anything).empty());
            int x = 0, y = 0;
            ASSERT_TRUE(pixel(onLow, x, y));
            EXPECT_TRUE(host_->RegionEdges(x - 4, y - 4, x + 4, y + 4).empty());

            // Frames that leave the view out: nothing of it answers.
            for (const ERenderMode mode : {eRenderWireframe, eRenderShade, eRenderMixed}) {
                SCOPED_TRACE(testing::Message() << "render mode " << mode);
                host_->View().SetRenderMode(mode);
                host_->Refresh();
                ASSERT_FALSE(host_->Front().LitNear(x, kSize - 1 - y, 1));
                EXPECT_TRUE(near(snap(SPAposition(25, -25, 0) + by, ends), SPAposition(1e11, 1e11, 1e11), 1.0));
                context.SetPickProccessorFlag(eDsPickStateNoFacePickData, true);
                EXPECT_TRUE(near(snap(onLow, {267}), SPAposition(1e11, 1e11, 1e11), 1.0));
                EXPECT_EQ(modelerPick(onLow), 0);
                context.SetPickProccessorFlag(eDsPickStateNoFacePickData, false);
            }
        }
        host_->Context().Remove(view.get());
    }
    body->lose();
}

// A snap offers only a point the window shows: a filed view's lines run through two blocks, in both
// render modes of hidden lines. Its first set, drawn after the model's faces went into the depth
// buffer, answers its ends and its nearest point where the window draws it and nothing where a face
// in front hides it; its second set, drawn once before the faces too, shows through them and answers
// there. The window's pixels decide (a point the blocks' own edges answer is no point of the view).
TEST_F(HiddenLineViewsGLTest, SnapsOnAViewAnswerOnlyWhatNoFaceHides)
{
    BODY* body = make_block(-40, -40, -40, -30, -30, -30);
    ENTITY_LIST edges;
    get_edges(body, edges);
    ASSERT_GE(edges.count(), 3);
    // Whether the window lights the view's green at `p`.
    const auto green = [&](const Picture& picture, const SPAposition& p) {
        int x = 0, y = 0;
        EXPECT_TRUE(host_->PixelOf(p, x, y));
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                const unsigned char* c = picture.At(x + dx, kSize - 1 - y + dy);
                if (c[1] > 150 && c[0] < 100 && c[2] < 100) return true;
            }
        return false;
    };
    // The cursor's place, whether it asks for the nearest point (else for ends, middles and centres),
    // and whether the window shows the view's point there.
    const std::vector<std::tuple<SPAposition, bool, bool>> probes = {
        {SPAposition(-25, -25, 0), false, true},  {SPAposition(25, -25, 0), false, false},  // in a block
        {SPAposition(25, 25, 0), false, true},  // the second set, in a block
        {SPAposition(-12, -25, 0), true, true},   {SPAposition(22, -25, 0), true, false},
        {SPAposition(22, 25, 0), true, true},
    };
    for (const ERenderMode mode : {eRenderHiddenLines, eRenderPartialHiddenLines}) {
        SCOPED_TRACE(testing::Message() << "render mode " << mode);
        // The blocks reach below the view's plane, so that the clipping planes keep it.
        host_ = NewHost(mode, false);
        host_->ShowBlock(SPAposition(10, -40, -5), SPAposition(40, -10, 15), 0x0000C0);
        host_->ShowBlock(SPAposition(10, 10, -5), SPAposition(40, 40, 15), 0x0000C0);
        std::unique_ptr<CDsItemsHlView> view = MakeView(body, {edges[0], edges[1], edges[2]});
        host_->Context().Record(view.get());
        const Picture shown = Refreshed();
        for (const auto& [at, close, drawn] : probes) {
            SCOPED_TRACE(testing::Message() << at.x() << ", " << at.y());
            EXPECT_EQ(green(shown, at), drawn);
            host_->Context().SetPickProccessorFlag(eDsPickStateNoFacePickData, close);
            const std::unique_ptr<CDsRefPoint> point =
                close ? host_->SnapAt(at, {267}) : host_->SnapAt(at, {256, 257, 258, 259});
            EXPECT_EQ(point && (SPAposition(CDsRefPoint::sLastPosition) - at).len() <= 1.0, drawn);
        }
        host_->Context().SetPickProccessorFlag(eDsPickStateNoFacePickData, false);
        host_->Context().Remove(view.get());
    }
    body->lose();
}

// The clipping planes every refresh fits to the model take in the filed views where they are
// drawn: beside a block at z 5 to 15 only, a view at z = 0, or moved to z = -40, has its lines and
// its background drawn in both render modes of hidden lines, seen straight on and obliquely (the
// background reaches beyond the lines' box). A scene holding only a filed view zooms to it.
TEST_F(HiddenLineViewsGLTest, FramesAndZoomAllTakeInTheFiledViews)
{
    const CDsColorStorage blue(0, 0, 200);
    // Whether the window lights the view's green, or its blue background, at `p` (inside it).
    const auto lit = [&](const Picture& picture, const SPAposition& p, bool background) {
        int x = 0, y = 0;
        if (!host_->PixelOf(p, x, y)) return false;
        EXPECT_TRUE(x >= 1 && x < kSize - 1 && y >= 1 && y < kSize - 1) << p.x() << ", " << p.y();
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                const int px = std::min(std::max(x + dx, 0), kSize - 1);
                const int py = std::min(std::max(kSize - 1 - y + dy, 0), kSize - 1);
                const unsigned char* c = picture.At(px, py);
                if (background ? c[2] > 100 && c[0] + c[1] < 40 : c[1] > 150 && c[0] < 100 && c[2] < 100) return true;
            }
        return false;
    };
    for (const ERenderMode mode : {eRenderHiddenLines, eRenderPartialHiddenLines})
        for (const bool oblique : {false, true})
            for (const double z : {0.0, -40.0}) {
                SCOPED_TRACE(testing::Message() << "render mode " << mode << (oblique ? ", oblique" : "") << ", z " << z);
                host_ = NewHost(mode, false);
                if (oblique)
                    host_->Look(ViewSetup().Eye(SPAposition(60, -80, 100)).Up(SPAvector(0, 0, 1)).Field(kSize, kSize).Clip(1, 300));
                host_->ShowBlock(SPAposition(30, 32, 5), SPAposition(45, 45, 15));
                std::unique_ptr<CDsItemsHlView> view = MakeView();
                view->SetBackground(true, &blue, 0.2f, 1.0f);
                view->SetTransformation(translate_transf(SPAvector(0, 0, z)));
                host_->Context().Record(view.get());
                const Picture shown = Refreshed();
                for (const SPAposition& p : {SPAposition(-12, -25, z), SPAposition(12, 25, z), SPAposition(0, 10, z)})
                    EXPECT_TRUE(lit(shown, p, false)) << p.x() << ", " << p.y();
                // The background, inside the lines and beyond them, at its far corner in the
                // oblique view.
                for (const SPAposition& p : {SPAposition(0, -12, z), SPAposition(-31, 0, z), SPAposition(-33, 33, z)})
                    EXPECT_TRUE(lit(shown, p, true)) << p.x() << ", " << p.y();
                host_->Context().Remove(view.get());
            }

    // A scene of a filed view alone (its second set and its background drawn too), the camera
    // looking down elsewhere, far too wide.
    host_ = NewHost(eRenderHiddenLines, false);
    host_->Look(ViewSetup().Eye(SPAposition(300, 200, 100)).Target(SPAposition(300, 200, 0)).Field(4 * kSize, 4 * kSize).Clip(1, 300));
    std::unique_ptr<CDsItemsHlView> view = MakeView();
    view->SetBackground(true, &blue, 0.2f, 1.0f);
    view->SetTransformation(translate_transf(SPAvector(0, 0, -40)));
    host_->Context().Record(view.get());
    host_->View().ZoomAll(1.0f);
    const Picture shown = Refreshed();
    // Both sets' lines lit, the background's corners inside the window.
    for (const SPAposition& p : {SPAposition(-24, -25, -40), SPAposition(24, 25, -40), SPAposition(0, 10, -40)})
        EXPECT_TRUE(lit(shown, p, false)) << p.x() << ", " << p.y();
    for (const SPAposition& p : {SPAposition(-34, -34, -40), SPAposition(34, 34, -40)}) {
        int x = 0, y = 0;
        ASSERT_TRUE(host_->PixelOf(p, x, y));
        EXPECT_TRUE(x >= 0 && x < kSize && y >= 0 && y < kSize) << p.x() << ", " << p.y();
    }
    // Fitted to it, not merely holding it.
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    ASSERT_TRUE(host_->PixelOf(SPAposition(-35, 0, -40), x0, y0));
    ASSERT_TRUE(host_->PixelOf(SPAposition(35, 0, -40), x1, y1));
    EXPECT_GT(x1 - x0, kSize * 3 / 4);
    host_->Context().Remove(view.get());
}

// A set the frame leaves out offers nothing: a set hidden on its own item, the second set of a view
// made without the show flag, and the second set while the view refreshes fast. Neither its ends
// and middles, nor its nearest point, nor (for the second set) the modeler's point pick answer
// there, in both render modes of hidden lines; the set the frame draws still answers.
TEST_F(HiddenLineViewsGLTest, SetsTheFrameLeavesOutOfferNothing)
{
    BODY* body = make_block(-40, -40, -40, -30, -30, -30);
    ENTITY_LIST edges;
    get_edges(body, edges);
    ASSERT_GE(edges.count(), 3);
    enum ELeftOut { eFirstHidden, eSecondHidden, eNoShowFlag, eFast };
    const SPAposition onLow(-12, -25, 0), onHigh(12, 25, 0);
    for (const ERenderMode mode : {eRenderHiddenLines, eRenderPartialHiddenLines})
        for (const ELeftOut leftOut : {eFirstHidden, eSecondHidden, eNoShowFlag, eFast}) {
            SCOPED_TRACE(testing::Message() << "render mode " << mode << ", case " << leftOut);
            host_ = NewHost(mode, false);
            std::unique_ptr<CDsItemsHlView> view = MakeView(body, {edges[0], edges[1], edges[2]}, leftOut != eNoShowFlag);
            host_->Context().Record(view.get());
            if (leftOut == eFirstHidden || leftOut == eSecondHidden)
                view->Get(leftOut == eFirstHidden ? 0 : 1)->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
            if (leftOut == eFast) host_->View().SetFlag(eDsViewFlagFastRefresh, true);
            host_->Refresh();
            const Picture shown = host_->Front();
            const bool firstShown = leftOut != eFirstHidden;
            // The window's pixels first: the set left out is not lit, the other is.
            for (const auto& [at, drawn] : {std::make_pair(onLow, firstShown), std::make_pair(onHigh, !firstShown)}) {
                int x = 0, y = 0;
                ASSERT_TRUE(host_->PixelOf(at, x, y));
                ASSERT_EQ(shown.LitNear(x, kSize - 1 - y, 1), drawn) << at.x() << ", " << at.y();
            }
            const auto answers = [&](const SPAposition& at, std::initializer_list<int> kinds, const SPAposition& expected) {
                const std::unique_ptr<CDsRefPoint> point = host_->SnapAt(at, kinds);
                return point && (SPAposition(CDsRefPoint::sLastPosition) - expected).len() <= 1.0;
            };
            const auto modelerPick = [&](const SPAposition& at) {
                int x = 0, y = 0;
                EXPECT_TRUE(host_->PixelOf(at, x, y));
                CUiPickEvent event(x, y, 0, &host_->View(), nullptr);
                CDsPickManager manager(pick_method_point, 0, nullptr, &event, nullptr, std::vector<CDsTypeMask>{});
                return manager.do_pick() > 0;
            };
            const std::initializer_list<int> ends = {256, 257, 258, 259};
            EXPECT_EQ(answers(SPAposition(25, -25, 0), ends, SPAposition(25, -25, 0)), firstShown);
            EXPECT_EQ(answers(SPAposition(-25, 25, 0), ends, SPAposition(-25, 25, 0)), !firstShown);
            EXPECT_EQ(answers(onHigh, {258}, SPAposition(0, 25, 0)), !firstShown);
            host_->Context().SetPickProccessorFlag(eDsPickStateNoFacePickData, true);
            EXPECT_EQ(answers(onLow, {267}, onLow), firstShown);
            EXPECT_EQ(answers(onHigh, {267}, onHigh), !firstShown);
            EXPECT_EQ(modelerPick(onHigh), !firstShown);
            host_->Context().SetPickProccessorFlag(eDsPickStateNoFacePickData, false);
            host_->View().SetFlag(eDsViewFlagFastRefresh, false);
            host_->Context().Remove(view.get());
        }
    body->lose();
}

// A view's background hides for the snaps what it hides in the window: behind a view whose
// background reaches wide about its lines lie a second view (both its sets) and a block's corner,
// in both render modes of hidden lines. With the background drawn none of them answers (nor shows);
// without a background, or while the view refreshes fast (which draws no background), they answer.
// The front view's own lines, on its background, answer throughout.
TEST_F(HiddenLineViewsGLTest, ABackgroundHidesFromTheSnapsWhatLiesBehindIt)
{
    BODY* body = make_block(-40, -40, -40, -30, -30, -30);
    ENTITY_LIST edges;
    get_edges(body, edges);
    ASSERT_GE(edges.count(), 3);
    const CDsColorStorage blue(0, 0, 200);
    const SPAvector by(20, -8, -10);  // where the view behind lies
    enum EState { eBackground, eNoBackground, eFast };
    for (const ERenderMode mode : {eRenderHiddenLines, eRenderPartialHiddenLines})
        for (const EState state : {eBackground, eNoBackground, eFast}) {
            SCOPED_TRACE(testing::Message() << "render mode " << mode << ", state " << state);
            host_ = NewHost(mode, false);
            host_->ShowBlock(SPAposition(-15, -15, -20), SPAposition(-5, -5, -12));
            std::unique_ptr<CDsItemsHlView> front = MakeView(body, {edges[0], edges[1], edges[2]});
            std::unique_ptr<CDsItemsHlView> behind = MakeView(body, {edges[0], edges[1], edges[2]});
            if (state != eNoBackground) front->SetBackground(true, &blue, 0.4f, 1.0f);
            behind->SetTransformation(translate_transf(by));
            host_->Context().Record(behind.get());
            host_->Context().Record(front.get());
            if (state == eFast) host_->View().SetFlag(eDsViewFlagFastRefresh, true);
            host_->Refresh();
            const Picture shown = host_->Front();
            const bool hidden = state == eBackground;
            const auto lit = [&](const SPAposition& p) {
                int x = 0, y = 0;
                EXPECT_TRUE(host_->PixelOf(p, x, y));
                return shown.LitNear(x, kSize - 1 - y, 1) && !(shown.At(x, kSize - 1 - y)[2] > 150);
            };
            const auto answers = [&](const SPAposition& at, std::initializer_list<int> kinds, const SPAposition& expected) {
                const std::unique_ptr<CDsRefPoint> point = host_->SnapAt(at, kinds);
                return point && (SPAposition(CDsRefPoint::sLastPosition) - expected).len() <= 1.0;
            };
            const std::initializer_list<int> ends = {256, 257, 258, 259};
            // The view behind: its first set's end, middle and arc's centre, and its nearest point.
            const SPAposition onLow = SPAposition(-12, -25, 0) + by;
            EXPECT_EQ(lit(onLow), !hidden);
            EXPECT_EQ(answers(SPAposition(-25, -25, 0) + by, ends, SPAposition(-25, -25, 0) + by), !hidden);
            EXPECT_EQ(answers(onLow, {258}, SPAposition(0, -25, 0) + by), !hidden);
            EXPECT_EQ(answers(SPAposition(0, 10, 0) + by, {259}, SPAposition(0, 0, 0) + by), !hidden);
            host_->Context().SetPickProccessorFlag(eDsPickStateNoFacePickData, true);
            EXPECT_EQ(answers(onLow, {267}, onLow), !hidden);
            // Its second set, drawn before the model's faces too, not while refreshing fast.
            const SPAposition onHigh = SPAposition(12, 25, 0) + by;
            EXPECT_EQ(lit(onHigh), state == eNoBackground);
            EXPECT_EQ(answers(onHigh, {267}, onHigh), state == eNoBackground);
            host_->Context().SetPickProccessorFlag(eDsPickStateNoFacePickData, false);
            EXPECT_EQ(answers(onHigh, {258}, SPAposition(0, 25, 0) + by), state == eNoBackground);
            // The block's corner.
            const std::unique_ptr<CDsRefPoint> corner = host_->SnapAt(SPAposition(-15, -15, -12), ends);
            EXPECT_EQ(corner && std::hypot(CDsRefPoint::sLastPosition.x() + 15, CDsRefPoint::sLastPosition.y() + 15) < 1.0,
                      !hidden);
            // The front view's own lines, on its background (its second set not while refreshing fast).
            EXPECT_TRUE(answers(SPAposition(25, -25, 0), ends, SPAposition(25, -25, 0)));
            EXPECT_TRUE(answers(SPAposition(12, -25, 0), {258}, SPAposition(0, -25, 0)));
            EXPECT_EQ(answers(SPAposition(-12, 25, 0), {258}, SPAposition(0, 25, 0)), state != eFast);
            host_->View().SetFlag(eDsViewFlagFastRefresh, false);
            host_->Context().Remove(front.get());
            host_->Context().Remove(behind.get());
        }
    body->lose();
}

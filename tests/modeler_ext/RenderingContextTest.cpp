// rendering_context and its views: refresh reaching the context, membership, iteration while the
// list changes, saved drawing state, settings and rubber-band notices.
#include "driver_context.h"
#include "rendering_context.h"
#include "rubberband_driver.h"
#include "view3d.h"

#include "afx.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A context that records the refreshes it is asked for.
class RecordingContext : public rendering_context {
public:
    struct Refresh {
        view3d* view;
        const CRect* rect;
    };
    void get_entities(ENTITY_LIST&, entity_filter*, bool) override {}
    void update(ENTITY*) override {}
    void* make_figure(const ENTITY_LIST&, view3d*) override { return nullptr; }
    int CopyBackToFront(view3d*) override { return 1; }
    void refresh(view3d* view, const CRect* rect) override { refreshes.push_back({view, rect}); }
    std::vector<Refresh> refreshes;
};

std::vector<view3d*> Walk(const viewport_manager& views) {
    std::vector<view3d*> seen;
    viewport_iterator it(views);
    while (view3d* v = it.next()) seen.push_back(v);
    return seen;
}

TEST(RenderingContextTest, ViewRefreshReachesItsContextWithViewAndRectangle) {
    RecordingContext context;
    view3d a, b;
    a.refresh();  // no context yet: nothing happens
    context.add_view(&a);
    context.add_view(&b);
    EXPECT_EQ(a.get_rendering_context(), &context);

    const CRect rect(1, 2, 30, 40);
    a.refresh(&rect);
    ASSERT_EQ(context.refreshes.size(), 1u);
    EXPECT_EQ(context.refreshes[0].view, &a);
    EXPECT_EQ(context.refreshes[0].rect, &rect);

    context.refresh_all();
    ASSERT_EQ(context.refreshes.size(), 3u);
    EXPECT_EQ(context.refreshes[1].view, &a);
    EXPECT_EQ(context.refreshes[2].view, &b);
    EXPECT_EQ(context.refreshes[2].rect, nullptr);

    // Refresh by render mode only for the view's own mode.
    a.SetRenderMode(eRenderWireframe);
    a.Refresh(eRenderShade);
    EXPECT_EQ(context.refreshes.size(), 3u);
    a.Refresh(eRenderWireframe);
    EXPECT_EQ(context.refreshes.size(), 4u);
}

TEST(RenderingContextTest, RemovedViewIsNoLongerIteratedOrRefreshed) {
    RecordingContext context;
    view3d a, b, c;
    context.add_view(&a);
    context.add_view(&b);
    context.add_view(&c);
    context.add_view(&b);  // already there
    context.add_view(nullptr);
    EXPECT_EQ(Walk(context.views()), (std::vector<view3d*>{&a, &b, &c}));

    context.remove_view(&b);
    EXPECT_EQ(Walk(context.views()), (std::vector<view3d*>{&a, &c}));
    EXPECT_FALSE(context.views().find(&b));
    EXPECT_EQ(b.get_rendering_context(), nullptr);
    b.refresh();
    context.refresh_all();
    for (const auto& r : context.refreshes) EXPECT_NE(r.view, &b);

    // A view added to another context leaves this one.
    RecordingContext other;
    other.add_view(&c);
    EXPECT_EQ(Walk(context.views()), (std::vector<view3d*>{&a}));
    EXPECT_EQ(c.get_rendering_context(), &other);
}

TEST(RenderingContextTest, IterationSurvivesRemovalAndDestruction) {
    RecordingContext context;
    view3d a, b, c;
    auto* d = new view3d;
    for (view3d* v : {&a, &b, &c, d}) context.add_view(v);

    std::vector<view3d*> seen;
    viewport_iterator it(context.views());
    while (view3d* v = it.next()) {
        seen.push_back(v);
        if (v == &b) {
            context.remove_view(&a);  // before the walk's position
            context.remove_view(&b);  // the current one
            delete d;                 // ahead: a destroyed view leaves its context and All_Views
            d = nullptr;
        }
    }
    EXPECT_EQ(seen, (std::vector<view3d*>{&a, &b, &c}));
    EXPECT_EQ(context.view_count(), 1);

    EXPECT_TRUE(All_Views().find(&c));
    {
        auto* gone = new RecordingContext;
        gone->add_view(&c);
        delete gone;  // the view survives its context
    }
    EXPECT_EQ(c.get_rendering_context(), nullptr);
    c.refresh();  // no context: nothing to reach
}

TEST(RenderingContextTest, ContextDefaultsAndFirstView) {
    RecordingContext context;
    EXPECT_EQ(context.views().first(), nullptr);
    EXPECT_EQ(context.find_data(nullptr), nullptr);
    EXPECT_EQ(context.is_displayed(nullptr), 0);
    EXPECT_EQ(context.pick(nullptr), 0);
    EXPECT_STREQ(context.get_type(), "rendering_context");
    context.SetRenderToBitmap(1);
    EXPECT_EQ(context.GetRenderToBitmap(), 1);
    view3d v;
    context.add_view(&v);
    EXPECT_EQ(context.views().first(), &v);
    EXPECT_EQ(context.views().at(1), nullptr);
    EXPECT_EQ(context.views().at(-1), nullptr);
}

// A driver that counts the pen colours it is given.
class PenDriver : public driver_context {
public:
    void set_foreground_rgb(rgb_color c) override {
        driver_context::set_foreground_rgb(c);
        ++colour_changes;
    }
    int colour_changes = 0;
};

TEST(RenderingContextTest, SavedViewContextRestoresPenAndTransforms) {
    view3d view;
    auto* driver = new PenDriver;
    view.set_driver_context(driver);
    view.set_foreground_rgb(rgb_color(0, 1, 0));
    view.set_line_width(2);
    const ::view_context saved = view.view_context();

    view.set_foreground_rgb(rgb_color(1, 0, 0));
    view.set_line_style(line_style_dotted);
    view.SetModelTransform(translate_transf(SPAvector(1, 2, 3)));
    view.set_view_context(saved);

    EXPECT_EQ(view.get_foreground_rgb(), rgb_color(0, 1, 0));
    EXPECT_EQ(view.get_line_style(), line_style_solid);
    EXPECT_EQ(view.get_line_width(), 2);
    EXPECT_EQ(view.get_model_transform_depth(), 0);
    EXPECT_EQ(driver->get_foreground_rgb(), rgb_color(0, 1, 0));
    EXPECT_EQ(driver->get_line_style(), line_style_solid);
}

TEST(RenderingContextTest, DriverOwnershipAndViewport) {
    view3d view;
    view.set_viewport(5, 6, 70, 80);
    auto* first = new driver_context;
    EXPECT_EQ(view.set_driver_context(first), nullptr);
    int x, y, w, h;
    first->get_viewport(x, y, w, h);
    EXPECT_EQ(w, 70);  // the driver takes the view's viewport
    first->set_viewport(0, 0, 10, 20);
    view.get_viewport(x, y, w, h);
    EXPECT_EQ(h, 20);  // the installed driver's viewport is the view's

    driver_context* released = view.release_driver_context();
    EXPECT_EQ(released, first);
    EXPECT_EQ(first->get_view3d(), nullptr);
    view.get_viewport(x, y, w, h);
    EXPECT_EQ(h, 20);  // kept from the driver it had
    delete released;
    EXPECT_EQ(view.get_device_context(), nullptr);
    view.release_device_context(nullptr);
}

TEST(RenderingContextTest, SettingsAndFrameRates) {
    view3d view;
    EXPECT_LT(view.GetLastFPS(), 0.0f);
    EXPECT_LT(view.GetLastZprFPS(), 0.0f);
    view.SetLastFPS(25.0f);
    view.SetLastZprFPS(60.0f);
    EXPECT_EQ(view.GetLastFPS(), 25.0f);
    EXPECT_EQ(view.GetLastZprFPS(), 60.0f);

    view.SetFlag(eDsViewFlagFastRefresh, true);
    EXPECT_TRUE(view.GetFlag(eDsViewFlagFastRefresh));
    view.SetFlag(static_cast<EDsViewFlag>(17), true);
    EXPECT_FALSE(view.GetFlag(static_cast<EDsViewFlag>(17)));
    EXPECT_FALSE(view.GetFlag(static_cast<EDsViewFlag>(-1)));
    view.SetDocumentFlag(static_cast<EDsDocumentFlag>(4), true);
    EXPECT_TRUE(view.GetDocumentFlag(static_cast<EDsDocumentFlag>(4)));
    EXPECT_EQ(view.GetRenderMode(), eRenderShade);
    EXPECT_EQ(view.GetDrawPhase(), eDsDrawPhasePlot);
    view.set_drawing_switch(view_switch_edges, true);
    EXPECT_TRUE(view.get_drawing_switch(view_switch_edges));
    EXPECT_FALSE(view.get_drawing_switch(static_cast<view_switch>(9)));
}

// Keeps the view of the drag, as a real rubber band does.
class KeepingRubberBand : public rubberband_driver {
public:
    void repaint(view3d* view) override { kept = view; }
    void delete_view_notify(const view3d* view) override {
        if (kept == view) kept = nullptr;
    }
    view3d* kept = nullptr;
};

TEST(RenderingContextTest, RubberBandForgetsADestroyedView) {
    KeepingRubberBand band;
    EXPECT_TRUE(band.is_a("rubberband_driver"));
    EXPECT_FALSE(band.is_a(nullptr));
    band.init();
    EXPECT_TRUE(band.is_active());
    auto* view = new view3d;
    band.repaint(view);
    ASSERT_EQ(band.kept, view);
    delete view;
    EXPECT_EQ(band.kept, nullptr);
    band.end();
    EXPECT_FALSE(band.is_active());
}

}  // namespace

// Picking without OpenGL: pick managers (records, levels, entity filter, factory hook, the pick
// through a rendering context), pick rays, and the face and entity picks along them.
#include "UiPickEvent.h"
#include "afxwin.h"
#include "pick_manager.h"
#include "pick_ray.h"
#include "rendering_context.h"
#include "view3d.h"

#include "SpaBuilders.h"
#include "SpaFilters.h"
#include "SpaTopology.h"

#include "EntityDeleter.h"
#include "ViewSetup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

// A rendering context that shows a list of entities and lets a test pick.
class TestContext : public rendering_context {
public:
    void get_entities(ENTITY_LIST& list, entity_filter* filter, bool) override
    {
        for (int i = 0; i < shown.count(); ++i)
            if (filter == nullptr || filter->test(shown[i])) list.add(shown[i]);
    }
    int pick(pick_manager* manager) override
    {
        ++pickCalls;
        return onPick ? onPick(manager) : 0;
    }
    void update(ENTITY*) override {}
    void* make_figure(const ENTITY_LIST&, view3d*) override { return nullptr; }
    int CopyBackToFront(view3d*) override { return 0; }

    ENTITY_LIST shown;
    std::function<int(pick_manager*)> onPick;
    int pickCalls = 0;
};

// A view of 200 x 100 pixels looking down -z at the square of 20 x 10 model units around the
// origin: pixel (100, 50) lies over (0, 0) and one pixel is 0.1 units.
void LookDown(view3d& view, bool perspective = false)
{
    vyrtest::ViewSetup().Field(20.0, 10.0).Clip(1.0, 100.0).Perspective(perspective).ApplyTo(view);
}

using vyrtest::BodyPtr;

// A manager class of the application, made through the factory hook.
class AppPickManager : public pick_manager {
public:
    using pick_manager::pick_manager;
    static int made;
};
int AppPickManager::made = 0;

pick_manager* MakeApp5(pick_method m, int level, entity_filter* f, const pick_event* a, const pick_event* b)
{
    ++AppPickManager::made;
    return new AppPickManager(m, level, f, a, b);
}

pick_manager* MakeApp6(pick_method m, pick_entity_type t, int level, entity_filter* f, const pick_event* a,
                       const pick_event* b)
{
    ++AppPickManager::made;
    return new AppPickManager(m, t, level, f, a, b);
}

// Restores the factory hook after a test.
struct FactoryScope {
    FactoryScope() { set_pick_manager_factories(MakeApp5, MakeApp6); }
    ~FactoryScope() { set_pick_manager_factories(nullptr, nullptr); }
};

FACE* FirstFace(BODY* body)
{
    ENTITY_LIST faces;
    get_faces(body, faces);
    return faces.count() > 0 ? static_cast<FACE*>(faces[0]) : nullptr;
}

int IsFaceEntity(const ENTITY* e) { return is_FACE(e); }

}  // namespace

TEST(PickManagerTest, FactoryMadeManagerRecordsLevelsAndSavesOnlyWhatItsFilterAccepts) {
    FactoryScope factories;
    BodyPtr body(make_block(0, 0, 0, 1, 1, 1));
    ASSERT_TRUE(body);
    FACE* face = FirstFace(body.get());
    ASSERT_NE(nullptr, face);

    auto* onlyFaces = new entity_test_filter(IsFaceEntity);
    view3d view;
    const pick_event event(10, 20, &view);
    AppPickManager::made = 0;
    std::unique_ptr<pick_manager> pm(create_pick_manager(pick_method_point, 1, onlyFaces, &event, nullptr));
    ASSERT_EQ(1, AppPickManager::made);
    ASSERT_NE(nullptr, dynamic_cast<AppPickManager*>(pm.get()));
    EXPECT_EQ(2, onlyFaces->use_count()) << "the manager holds a reference to its filter";
    EXPECT_EQ(&view, pm->get_view());

    int bodyItem = 0, faceItem = 0;
    pm->push_level(&bodyItem, body.get());
    pm->push_level(&faceItem, face);
    EXPECT_EQ(2, pm->get_current_level());
    EXPECT_EQ(1, pm->save_current_if_ok()) << "level 1 holds a face";
    pm->pop_level();
    EXPECT_EQ(1, pm->get_current_level());
    EXPECT_EQ(0, pm->save_current_if_ok()) << "the record reports the body, which the filter refuses";
    pm->pop_level();
    pm->pop_level();  // more pops than pushes: harmless
    EXPECT_EQ(0, pm->get_current_level());
    EXPECT_EQ(0, pm->save_current_if_ok()) << "an empty record is not saved";

    // The same face again is accepted but not saved twice.
    pm->push_level(&bodyItem, body.get());
    pm->push_level(&faceItem, face);
    EXPECT_EQ(1, pm->save_current_if_ok());
    ASSERT_EQ(1, pm->get_record_count());
    const pick_record* record = pm->get_record(0);
    ASSERT_NE(nullptr, record);
    EXPECT_EQ(2, record->levels());
    EXPECT_EQ(&bodyItem, record->get_dl_item(0));
    EXPECT_EQ(body.get(), record->get_entity(0));
    EXPECT_EQ(&faceItem, record->get_dl_item(1));
    EXPECT_EQ(face, record->get_entity(1));
    EXPECT_EQ(face, record->get_entity());
    EXPECT_EQ(nullptr, record->get_entity(8));
    EXPECT_EQ(nullptr, record->get_dl_item(-1));
    EXPECT_EQ(nullptr, pm->get_record(1));

    // The six-argument form goes through its own factory; without factories managers are plain.
    std::unique_ptr<pick_manager> six(
        create_pick_manager(pick_method_entity, pick_entity_edge, 0, nullptr, &event, nullptr));
    EXPECT_EQ(2, AppPickManager::made);
    EXPECT_EQ(pick_entity_edge, six->get_pick_entity_type());
    set_pick_manager_factories(nullptr, nullptr);
    std::unique_ptr<pick_manager> plain(create_pick_manager(pick_method_point, 0, nullptr, &event, nullptr));
    EXPECT_EQ(nullptr, dynamic_cast<AppPickManager*>(plain.get()));
    EXPECT_EQ(2, AppPickManager::made);

    pm.reset();
    EXPECT_EQ(1, onlyFaces->use_count()) << "the manager gave its filter reference back";
    onlyFaces->lose();
}

TEST(PickManagerTest, LevelStackRestoresTheRecordWhateverHappenedInside) {
    pick_manager pm(pick_method_point, 0, nullptr, nullptr, nullptr);
    int group = 0, child = 0, grandChild = 0;
    pm.push_level(&group, nullptr);
    pm.push_level_stack(&child, nullptr);
    pm.push_level(&grandChild, nullptr);
    pm.push_level(&grandChild, nullptr);
    pm.pop_level_stack();
    ASSERT_EQ(1, pm.get_current_level());
    EXPECT_EQ(&group, pm.get_current_record().get_dl_item(0));

    pm.push_level_stack(&child, nullptr);
    pm.pop_level();
    pm.pop_level();  // pops below the stack mark
    pm.pop_level_stack();
    EXPECT_EQ(0, pm.get_current_level());
    pm.pop_level_stack();  // none left: nothing
    EXPECT_EQ(0, pm.get_current_level());

    // Without a filter every record, even one without entities, is saved.
    pm.push_level(&group, nullptr);
    EXPECT_EQ(1, pm.save_current_if_ok());
    EXPECT_EQ(1, pm.get_record_count());
}

TEST(PickManagerTest, RegionAndPointAreasAndCopies) {
    view3d view;
    const pick_event a(50, 40, &view), b(10, 60, &view);
    pick_manager region(pick_method_region, 0, nullptr, &a, &b);
    CRect area;
    ASSERT_TRUE(region.GetPickInRegionArea(area));
    EXPECT_EQ(CRect(10, 40, 51, 61), area) << "both corner pixels are inside";

    int w = 0, h = 0;
    get_pick_aperture(w, h);
    set_pick_aperture(6, 4);
    pick_manager point(pick_method_point, 0, nullptr, &a, nullptr);
    ASSERT_TRUE(point.GetPickInRegionArea(area));
    EXPECT_EQ(CRect(47, 38, 53, 42), area);
    set_pick_aperture(-3, -1);
    int nw = 1, nh = 1;
    get_pick_aperture(nw, nh);
    EXPECT_EQ(0, nw);
    EXPECT_EQ(0, nh);
    set_pick_aperture(w, h);

    pick_manager none(pick_method_point, 0, nullptr, nullptr, nullptr);
    CRect untouched(1, 2, 3, 4);
    EXPECT_FALSE(none.GetPickInRegionArea(untouched));
    EXPECT_EQ(CRect(1, 2, 3, 4), untouched);
    EXPECT_EQ(nullptr, none.get_view());
    EXPECT_EQ(0, none.do_pick()) << "no view: nothing to pick";

    // The manager keeps its own copies of the events.
    pick_event moving(1, 2, &view);
    pick_manager copyOf(pick_method_point, 0, nullptr, &moving, nullptr);
    moving.set_position(99, 99);
    int x = 0, y = 0;
    copyOf.get_pick_point(x, y);
    EXPECT_EQ(1, x);
    EXPECT_EQ(2, y);

    // Copies share the filter by reference count.
    auto* filter = new entity_filter();
    {
        pick_manager first(pick_method_point, 0, filter, &a, nullptr);
        pick_manager second(first);
        pick_manager third(pick_method_region, 0, nullptr, nullptr, nullptr);
        third = second;
        EXPECT_EQ(4, filter->use_count());
        EXPECT_EQ(filter, third.get_entity_filter());
        EXPECT_EQ(pick_method_point, third.get_pick_method());
    }
    EXPECT_EQ(1, filter->use_count());
    filter->lose();
}

TEST(PickManagerTest, DoPickPicksThroughTheContextInPickModeAndRestoresTheView) {
    view3d view;
    LookDown(view);
    TestContext context;
    context.add_view(&view);
    BodyPtr body(make_block(0, 0, 0, 1, 1, 1));
    BodyPtr other(make_block(2, 0, 0, 3, 1, 1));

    int seenMode = 0, seenCx = 0, seenCy = 0, seenW = 0, seenH = 0;
    int item = 0;
    context.onPick = [&](pick_manager* pm) {
        seenMode = view.get_pick_mode();
        view.get_pick_aperture(seenCx, seenCy, seenW, seenH);
        for (ENTITY* e : {static_cast<ENTITY*>(body.get()), static_cast<ENTITY*>(other.get())}) {
            pm->push_level(&item, e);
            pm->save_current_if_ok();
            pm->pop_level();
        }
        return 1;
    };

    const pick_event a(30, 20, &view), b(70, 60, &view);
    pick_manager region(pick_method_region, 0, nullptr, &a, &b);
    EXPECT_EQ(2, region.do_pick());
    EXPECT_EQ(1, context.pickCalls);
    EXPECT_EQ(1, seenMode);
    EXPECT_EQ(50, seenCx);
    EXPECT_EQ(40, seenCy);
    EXPECT_EQ(40, seenW);
    EXPECT_EQ(40, seenH);
    EXPECT_EQ(0, view.get_pick_mode()) << "the view left pick mode";

    // A second pick starts afresh unless asked to keep; a scope list keeps other entities out.
    EXPECT_EQ(0, region.do_pick(nullptr, true)) << "the same records again: none new";
    EXPECT_EQ(2, region.get_record_count());
    ENTITY_LIST scope;
    scope.add(other.get());
    EXPECT_EQ(1, region.do_pick(&scope));
    ASSERT_EQ(1, region.get_record_count());
    EXPECT_EQ(other.get(), region.get_record(0)->get_entity());

    // A point pick uses the process-wide aperture around the event, and a view that was picking
    // gets its pick mode back.
    view.pick_mode(1, 5, 6, 7, 8);
    pick_manager point(pick_method_point, 0, nullptr, &a, nullptr);
    point.do_pick();
    int w = 0, h = 0;
    get_pick_aperture(w, h);
    EXPECT_EQ(30, seenCx);
    EXPECT_EQ(20, seenCy);
    EXPECT_EQ(w, seenW);
    EXPECT_EQ(h, seenH);
    int cx = 0, cy = 0, pw = 0, ph = 0;
    view.get_pick_aperture(cx, cy, pw, ph);
    EXPECT_EQ(1, view.get_pick_mode());
    EXPECT_EQ(5, cx);
    EXPECT_EQ(6, cy);
    EXPECT_EQ(7, pw);
    EXPECT_EQ(8, ph);
    view.pick_mode(0, 0, 0, 0, 0);
    context.remove_view(&view);
}

TEST(PickRayTest, RaysOfViewsThatCannotProjectAreInvalid) {
    view3d view;
    LookDown(view);
    const pick_ray ray = get_pick_ray(pick_event(100, 50, &view), 3);
    ASSERT_TRUE(ray.valid());
    EXPECT_NEAR(3 * view.get_units_per_pixel(), ray.radius(), 1e-12);
    EXPECT_NEAR(-1.0, ray.direction().z(), 1e-12);
    EXPECT_NEAR(0.05, ray.root_point().x(), 1e-9) << "through the centre of pixel 100";
    EXPECT_NEAR(-0.05, ray.root_point().y(), 1e-9) << "y of the drawable runs down";
    EXPECT_NEAR(49.0, ray.root_point().z(), 1e-9) << "a parallel ray starts on the near plane";

    EXPECT_FALSE(get_pick_ray(pick_event(1, 1, nullptr)).valid());
    view3d empty;
    LookDown(empty);
    empty.set_viewport(0, 0, 0, 0);
    EXPECT_FALSE(get_pick_ray(pick_event(0, 0, &empty)).valid());
    view3d degenerate;
    LookDown(degenerate, true);
    degenerate.set_eye(SPAposition(0, 0, 0));
    EXPECT_FALSE(get_pick_ray(pick_event(10, 10, &degenerate)).valid());

    EXPECT_FALSE(pick_ray(SPAposition(), SPAvector(0, 0, 0)).valid());
    EXPECT_FALSE(pick_ray(SPAposition(NAN, 0, 0), SPAvector(1, 0, 0)).valid());
    EXPECT_EQ(0.0, pick_ray(SPAposition(), SPAvector(1, 0, 0), -2.0).radius());

    // Mapping without a view gives the origin; events compare flags and windows too.
    CUiPickEvent lost(5, 5, 1, nullptr, nullptr);
    const SPAposition origin = lost.GetMappedPosition(true);
    EXPECT_EQ(0.0, origin.x());
    CView window;
    CUiPickEvent a(5, 5, 1, &view, &window), b(5, 5, 1, &view, &window), c(5, 5, 2, &view, &window);
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a == c);
    EXPECT_EQ(&window, a.GetWindow());
}

TEST(PickRayTest, WorkingPlaneParallelToTheRayFallsBackToTheProjectedTargetPoint) {
    view3d view;
    LookDown(view);
    CUiPickEvent event(150, 25, 0, &view, nullptr);
    event.SetWorkPlane(SPAposition(0, 3, 0), SPAvector(0, 1, 0));  // contains the view direction
    const SPAposition mapped = event.GetMappedPosition(true);
    EXPECT_NEAR(3.0, mapped.y(), 1e-9);
    EXPECT_NEAR(5.05, mapped.x(), 1e-9);
    EXPECT_NEAR(0.0, mapped.z(), 1e-9);
}

TEST(PickRayTest, FacesAlongTheRayComeNearestFirstInEveryBodysSpace) {
    BodyPtr near(make_block(-1, -1, 0, 1, 1, 2));
    BodyPtr far(make_block(-1, -1, -10, 1, 1, -8));
    ASSERT_TRUE(near && far);
    ASSERT_TRUE(set_body_transform(far.get(), translate_transf(SPAvector(0, 0, -5))).ok());

    const pick_ray down(SPAposition(0.25, 0.5, 20), SPAvector(0, 0, -1));
    ENTITY_LIST entities;
    entities.add(far.get());
    entities.add(near.get());
    ENTITY_LIST faces;
    ASSERT_TRUE(api_gi_pick_faces(down, entities, faces).ok());
    ASSERT_EQ(4, faces.count()) << "top and bottom of both blocks";
    const double expectedZ[] = {2.0, 0.0, -13.0, -15.0};
    for (int i = 0; i < 4; ++i) {
        ENTITY* owner = nullptr;
        ASSERT_TRUE(api_get_owner(faces[i], owner).ok());
        EXPECT_EQ(i < 2 ? near.get() : far.get(), owner) << "face " << i;
        // The face lies at its expected height in model space: met by an upward ray from just
        // below it, missed from just above it.
        ENTITY_LIST single;
        single.add(faces[i]);
        ENTITY_LIST fromBelow, fromAbove;
        ASSERT_TRUE(api_gi_pick_faces(pick_ray(SPAposition(0.25, 0.5, expectedZ[i] - 0.5), SPAvector(0, 0, 1)),
                                      single, fromBelow)
                        .ok());
        ASSERT_TRUE(api_gi_pick_faces(pick_ray(SPAposition(0.25, 0.5, expectedZ[i] + 0.5), SPAvector(0, 0, 1)),
                                      single, fromAbove)
                        .ok());
        EXPECT_EQ(1, fromBelow.count()) << "face " << i;
        EXPECT_EQ(0, fromAbove.count()) << "face " << i;
    }

    // A ray beside both blocks meets nothing; a ray without direction is an error.
    ENTITY_LIST none;
    ASSERT_TRUE(api_gi_pick_faces(pick_ray(SPAposition(5, 5, 20), SPAvector(0, 0, -1)), entities, none).ok());
    EXPECT_EQ(0, none.count());
    const outcome bad = api_gi_pick_faces(pick_ray(), entities, none);
    EXPECT_EQ(DEGENERATE_RAY, bad.error_number());
}

TEST(PickRayTest, EntityPickReportsTheKindAskedForAndHonoursTheFilter) {
    view3d view;
    LookDown(view, true);
    TestContext context;
    context.add_view(&view);
    BodyPtr block(make_block(-2, -2, 0, 2, 2, 1));
    ASSERT_TRUE(block);
    context.shown.add(block.get());

    // Pixel (100, 50) looks at the middle of the block's top face.
    ENTITY* picked = nullptr;
    ASSERT_TRUE(api_gi_pick_entity(pick_event(100, 50, &view), pick_entity_face, picked).ok());
    ASSERT_NE(nullptr, picked);
    EXPECT_TRUE(is_FACE(picked));
    ENTITY_LIST vertices;
    get_vertices(picked, vertices);
    for (int i = 0; i < vertices.count(); ++i)
        EXPECT_NEAR(1.0, static_cast<VERTEX*>(vertices[i])->position().z(), 1e-9) << "the top face";

    ASSERT_TRUE(api_gi_pick_entity(pick_event(100, 50, &view), pick_entity_body, picked).ok());
    EXPECT_EQ(block.get(), picked);

    ASSERT_TRUE(api_gi_pick_entity(pick_event(10, 10, &view), pick_entity_any, picked).ok());
    EXPECT_EQ(nullptr, picked) << "nothing under a corner pixel";

    // Near the projection of the top face's edge x = 2 an edge pick finds that edge.
    float ex = 0, ey = 0;
    ASSERT_TRUE(view.world_to_drawable(SPAposition(2, 0, 1), ex, ey));
    ASSERT_TRUE(api_gi_pick_entity(pick_event(static_cast<int>(ex), static_cast<int>(ey), &view),
                                   pick_entity_edge, picked)
                    .ok());
    ASSERT_NE(nullptr, picked);
    ASSERT_TRUE(is_EDGE(picked));
    const EDGE* edge = static_cast<const EDGE*>(picked);
    EXPECT_NEAR(2.0, edge->start_pos().x(), 1e-9);
    EXPECT_NEAR(2.0, edge->end_pos().x(), 1e-9);
    EXPECT_NEAR(1.0, edge->start_pos().z(), 1e-9);

    // A filter refusing faces leaves nothing; the factory's manager gets the filter.
    {
        FactoryScope factories;
        AppPickManager::made = 0;
        auto* noFaces = new entity_test_filter([](const ENTITY* e) { return is_FACE(e) ? 0 : 1; });
        ASSERT_TRUE(api_gi_pick_entity(pick_event(100, 50, &view), pick_entity_face, picked, noFaces).ok());
        EXPECT_EQ(nullptr, picked);
        EXPECT_EQ(1, AppPickManager::made);
        EXPECT_EQ(1, noFaces->use_count());
        noFaces->lose();
    }

    // Bad input.
    EXPECT_EQ(BAD_ARGUMENT, api_gi_pick_entity(pick_event(1, 1, nullptr), pick_entity_any, picked).error_number());
    EXPECT_EQ(nullptr, picked);
    context.remove_view(&view);
}

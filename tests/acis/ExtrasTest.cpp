// Body copies keeping the topology order, and the WCS entity.
#include "SpaBuilders.h"
#include "SpaExtras.h"

#include "EntityDeleter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using vyrtest::EntityPtr;

}  // namespace

TEST(ExtrasTest, CopyBodyKeepsTopologyOrderAndGeometry) {
    EntityPtr plate(make_benchmark_plate());
    ASSERT_NE(nullptr, plate);
    ASSERT_TRUE(set_body_transform(static_cast<BODY*>(plate.get()), translate_transf(SPAvector(1, 2, 3))).ok());
    outcome made;
    EntityPtr copy(copy_body(static_cast<BODY*>(plate.get()), &made));
    ASSERT_NE(nullptr, copy);
    EXPECT_TRUE(made.ok());
    EXPECT_EQ(nullptr, static_cast<BODY*>(copy.get())->transform());

    ENTITY_LIST f0, f1, e0, e1, v0, v1;
    get_faces(plate.get(), f0);
    get_faces(copy.get(), f1);
    get_edges(plate.get(), e0);
    get_edges(copy.get(), e1);
    get_vertices(plate.get(), v0);
    get_vertices(copy.get(), v1);
    ASSERT_EQ(f0.count(), f1.count());
    ASSERT_EQ(e0.count(), e1.count());
    ASSERT_EQ(v0.count(), v1.count());
    for (int i = 0; i < f0.count(); ++i) {
        EXPECT_NE(f0[i], f1[i]);
        EXPECT_EQ(static_cast<FACE*>(f0[i])->geometry()->equation().type(),
                  static_cast<FACE*>(f1[i])->geometry()->equation().type());
        EXPECT_EQ(static_cast<FACE*>(f0[i])->sense(), static_cast<FACE*>(f1[i])->sense());
    }
    for (int i = 0; i < e0.count(); ++i) {
        const EDGE* a = static_cast<EDGE*>(e0[i]);
        const EDGE* b = static_cast<EDGE*>(e1[i]);
        EXPECT_TRUE(same_point(a->start_pos(), b->start_pos(), 1e-12));
        EXPECT_TRUE(same_point(a->end_pos(), b->end_pos(), 1e-12));
    }
    for (int i = 0; i < v0.count(); ++i)
        EXPECT_TRUE(same_point(static_cast<VERTEX*>(v0[i])->position(), static_cast<VERTEX*>(v1[i])->position(), 1e-12));

    // The copy outlives the original.
    plate.reset();
    EXPECT_EQ(f0.count(), [&] { ENTITY_LIST f; get_faces(copy.get(), f); return f.count(); }());
}

TEST(ExtrasTest, CopyBodyRejectsNullAndCopiesEmptyBodies) {
    outcome result;
    EXPECT_EQ(nullptr, copy_body(nullptr, &result));
    EXPECT_EQ(NULL_ENTITY, result.error_number());
    EntityPtr empty(new BODY());
    EntityPtr copy(copy_body(static_cast<BODY*>(empty.get()), &result));
    ASSERT_NE(nullptr, copy);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(nullptr, static_cast<BODY*>(copy.get())->lump());
}

TEST(ExtrasTest, WcsAxesAreOrthonormalAndRightHanded) {
    EntityPtr w(new WCS(SPAposition(1, 1, 1), SPAvector(1, 1, 0), SPAvector(0, 1, 0)));
    const WCS* wcs = static_cast<WCS*>(w.get());
    EXPECT_TRUE(is_WCS(wcs));
    EXPECT_EQ(WCS_TYPE, wcs->identity());
    const double r = std::sqrt(0.5);
    EXPECT_TRUE(same_vector(SPAvector(r, r, 0), wcs->x_axis(), 1e-12));
    EXPECT_TRUE(same_vector(SPAvector(-r, r, 0), wcs->y_axis(), 1e-12));
    EXPECT_TRUE(same_vector(SPAvector(0, 0, 1), wcs->z_axis(), 1e-12));

    // Degenerate input gives the model axes and origin.
    EntityPtr bad(new WCS(SPAposition(NAN, 0, 0), SPAvector(), SPAvector(0, 1, 0)));
    const WCS* b = static_cast<WCS*>(bad.get());
    EXPECT_TRUE(same_point(SPAposition(), b->origin()));
    EXPECT_TRUE(same_vector(SPAvector(1, 0, 0), b->x_axis()));
    EXPECT_TRUE(same_vector(SPAvector(0, 1, 0), b->y_axis()));
    EXPECT_FALSE(is_WCS(nullptr));
}

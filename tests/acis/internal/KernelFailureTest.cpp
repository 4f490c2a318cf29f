// Kernel failures reach callers as modeler errors: curves and surfaces whose kernel geometry
// always fails (made by the probe, inside the library) must raise, never answer the origin.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "ModelerErrors.h"
#include "OcctProbe.h"
#include "SpaErrors.h"
#include "SpaFaceter.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"

using vyrtest::RaisedError;

// When the kernel fails, a caller must see an error, never the origin, a zero vector, a zero
// parameter or a curve left where it was as if it had moved.
TEST(SpaGeometry, KernelFailuresRaiseInsteadOfAnsweringPlausibleValues)
{
    const std::unique_ptr<curve> broken(OcctProbeMakeFailingCurve());
    ASSERT_TRUE(broken);
    ASSERT_EQ(broken->type(), intcurve_type);

    // A point answer.
    EXPECT_EQ(RaisedError([&] { broken->eval_position(0.5); }), OCCT_FAILURE);
    int count = -1;
    SPAposition points[64];
    EXPECT_EQ(api_facet_curve(*broken, 0.0, 1.0, 0.01, 0.0, 0.0, 64, count, points, nullptr).error_number(),
              OCCT_FAILURE);
    EXPECT_EQ(count, 0);
    // A free edge on it is not made with made-up end vertices.
    EXPECT_EQ(RaisedError([&] { (new EDGE(*broken, SPAinterval(0.0, 1.0)))->lose(); }), OCCT_FAILURE);

    // A vector answer: positions evaluate, derivatives fail.
    const std::unique_ptr<curve> stiff(OcctProbeMakeFailingCurve(false));
    EXPECT_TRUE(same_point(stiff->eval_position(0.25), SPAposition(0.25, 0, 0)));
    EXPECT_EQ(RaisedError([&] { stiff->eval_deriv(0.5); }), OCCT_FAILURE);
    EXPECT_EQ(RaisedError([&] { stiff->eval_direction(0.5); }), OCCT_FAILURE);
    // Faceting with an angle tolerance needs the tangents.
    EXPECT_EQ(api_facet_curve(*stiff, 0.0, 1.0, 0.01, 0.1, 0.0, 64, count, points, nullptr).error_number(),
              OCCT_FAILURE);
    EXPECT_EQ(count, 0);

    // A parameter answer, on a curve and on a surface.
    EXPECT_EQ(RaisedError([&] { broken->param(SPAposition(0.5, 1, 0)); }), OCCT_FAILURE);
    const std::unique_ptr<surface> sheet(OcctProbeMakeFailingSurface());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(RaisedError([&] { sheet->param(SPAposition(0.5, 0.5, 1)); }), OCCT_FAILURE);
    EXPECT_EQ(RaisedError([&] { sheet->eval_position(SPApar_pos(0.5, 0.5)); }), OCCT_FAILURE);
    EXPECT_EQ(RaisedError([&] { sheet->eval_normal(SPApar_pos(0.5, 0.5)); }), OCCT_FAILURE);
    EXPECT_EQ(RaisedError([&] { sheet->point_normal(SPAposition(0.5, 0.5, 1)); }), OCCT_FAILURE);
    // What an error block makes of it: a failed outcome, not a parameter.
    {
        API_BEGIN
            sheet->param(SPAposition(0.5, 0.5, 1));
        API_END
        EXPECT_EQ(result.error_number(), OCCT_FAILURE);
    }

    // A transform, by a rotation and by a shear: the curve raises and stays as it was.
    const SPAtransf turn = rotate_transf(M_PI / 2, SPAvector(0, 0, 1));
    const SPAtransf shear = restore_transf(SPAmatrix(SPAvector(1, 0.5, 0), SPAvector(0, 1, 0), SPAvector(0, 0, 1)),
                                           SPAvector());
    ASSERT_TRUE(shear.shear());
    for (const SPAtransf& t : {turn, shear}) {
        EXPECT_EQ(RaisedError([&] { *stiff *= t; }), OCCT_FAILURE);
        EXPECT_TRUE(same_point(stiff->eval_position(0.25), SPAposition(0.25, 0, 0)));
    }
    {
        API_BEGIN
            *stiff *= turn;
        API_END
        EXPECT_EQ(result.error_number(), OCCT_FAILURE);
    }
}

// The usual caller's pattern: a fallback value set before an error block must still be there
// when the call inside fails.
TEST(SpaGeometry, AFallbackSetBeforeAFailedBlockSurvives)
{
    const std::unique_ptr<surface> sheet(OcctProbeMakeFailingSurface());
    ASSERT_TRUE(sheet);
    SPApar_pos uv(7, 7);
    API_BEGIN
        uv = sheet->param(SPAposition(0.5, 0.5, 1));
    API_END
    EXPECT_EQ(result.error_number(), OCCT_FAILURE);
    EXPECT_EQ(uv.u, 7);
    EXPECT_EQ(uv.v, 7);
}

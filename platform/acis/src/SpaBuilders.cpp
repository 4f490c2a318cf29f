// Body builders of the stand-in modeler, over OCCT's primitives, fillets and booleans.
#include <cmath>
#include <vector>

#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_Copy.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepFilletAPI_MakeFillet.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCone.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakeSphere.hxx>
#include <BRepPrimAPI_MakeTorus.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_ListOfShape.hxx>
#include <gp_Ax2.hxx>

#include "OcctAccess.h"
#include "SpaBuilders.h"

namespace {

bool is_finite(double v) { return std::isfinite(v); }

bool is_finite(const SPAposition& p) { return is_finite(p.x()) && is_finite(p.y()) && is_finite(p.z()); }

// A size that is positive and finite.
void check_size(double v)
{
    if (!is_finite(v) || !(v > SPAresabs)) sys_error(BAD_ARGUMENT);
}

void check_position(const SPAposition& p)
{
    if (!is_finite(p)) sys_error(BAD_ARGUMENT);
}

gp_Ax2 axis_frame(const SPAposition& origin, const SPAvector& axis)
{
    check_position(origin);
    gp_Dir dir;
    if (!is_finite(axis.x()) || !is_finite(axis.y()) || !is_finite(axis.z()) || !ToGpDir(axis, dir))
        sys_error(BAD_ARGUMENT);
    return gp_Ax2(ToGp(origin), dir);
}

// Runs `make` (which answers a shape or raises) and turns its shape into a body; failures of the
// kernel become OCCT_FAILURE. Answers null, with the error in `out` when given, on failure.
template <class Make>
BODY* build(outcome* out, Make make)
{
    BODY* body = nullptr;
    API_FUNCTION_BEGIN
    TopoDS_Shape shape;
    try {
        shape = make();
    } catch (const Standard_Failure& failure) {
        error_info info(OCCT_FAILURE, failure.GetMessageString());
        sys_error(OCCT_FAILURE, &info);
    }
    if (shape.IsNull()) sys_error(OCCT_FAILURE);
    try {
        body = SpaOcctAccess::MakeBody(shape);
    } catch (const Standard_Failure& failure) {
        error_info info(OCCT_FAILURE, failure.GetMessageString());
        sys_error(OCCT_FAILURE, &info);
    }
    API_FUNCTION_END
    if (out != nullptr) *out = result;
    return body;
}

// The shape of a body in model space (its transform applied); raises on a missing or empty body.
TopoDS_Shape model_shape(const BODY* body)
{
    if (body == nullptr) sys_error(NULL_ENTITY);
    const TopoDS_Shape& shape = OcctShape(body);
    if (shape.IsNull()) sys_error(BAD_ARGUMENT, body);
    return body->transform() ? TransformShape(shape, body->transform()->transform()) : shape;
}

// A copy of `shape` sharing no geometry or mesh with the shapes it was made from.
TopoDS_Shape fresh_copy(const TopoDS_Shape& shape)
{
    BRepBuilderAPI_Copy copy(shape, Standard_True, Standard_False);
    return copy.Shape();
}

// The boolean result, with faces on one surface merged back together.
template <class Op>
TopoDS_Shape boolean_result(Op& op)
{
    op.Build();
    if (!op.IsDone() || op.HasErrors()) sys_error(OCCT_FAILURE);
    ShapeUpgrade_UnifySameDomain unify(op.Shape(), Standard_True, Standard_True, Standard_False);
    unify.Build();
    return unify.Shape();
}

}  // namespace

BODY* make_block(double x0, double y0, double z0, double x1, double y1, double z1, outcome* result)
{
    return build(result, [&] {
        check_size(std::fabs(x1 - x0));
        check_size(std::fabs(y1 - y0));
        check_size(std::fabs(z1 - z0));
        const gp_Pnt low(std::fmin(x0, x1), std::fmin(y0, y1), std::fmin(z0, z1));
        const gp_Pnt high(std::fmax(x0, x1), std::fmax(y0, y1), std::fmax(z0, z1));
        return BRepPrimAPI_MakeBox(low, high).Shape();
    });
}

BODY* make_cylinder(const SPAposition& base, const SPAvector& axis, double radius, double height, outcome* result)
{
    return build(result, [&] {
        const gp_Ax2 frame = axis_frame(base, axis);
        check_size(radius);
        check_size(height);
        return BRepPrimAPI_MakeCylinder(frame, radius, height).Shape();
    });
}

BODY* make_cone(const SPAposition& base, const SPAvector& axis, double base_radius, double top_radius,
                double height, outcome* result)
{
    return build(result, [&] {
        const gp_Ax2 frame = axis_frame(base, axis);
        check_size(height);
        if (!is_finite(base_radius) || !is_finite(top_radius) || base_radius < 0.0 || top_radius < 0.0 ||
            std::fabs(base_radius - top_radius) <= SPAresabs)
            sys_error(BAD_ARGUMENT);
        return BRepPrimAPI_MakeCone(frame, base_radius, top_radius, height).Shape();
    });
}

BODY* make_sphere(const SPAposition& centre, double radius, outcome* result)
{
    return build(result, [&] {
        check_position(centre);
        check_size(radius);
        return BRepPrimAPI_MakeSphere(ToGp(centre), radius).Shape();
    });
}

BODY* make_torus(const SPAposition& centre, const SPAvector& axis, double major, double minor, outcome* result)
{
    return build(result, [&] {
        const gp_Ax2 frame = axis_frame(centre, axis);
        check_size(minor);
        check_size(major);
        if (!(minor < major)) sys_error(BAD_ARGUMENT);
        return BRepPrimAPI_MakeTorus(frame, major, minor).Shape();
    });
}

BODY* unite_bodies(const BODY* a, const BODY* b, outcome* result)
{
    return build(result, [&] {
        BRepAlgoAPI_Fuse op;
        TopTools_ListOfShape args, tools;
        args.Append(model_shape(a));
        tools.Append(model_shape(b));
        op.SetArguments(args);
        op.SetTools(tools);
        return fresh_copy(boolean_result(op));
    });
}

BODY* subtract_bodies(const BODY* a, const BODY* b, outcome* result)
{
    return build(result, [&] {
        BRepAlgoAPI_Cut op;
        TopTools_ListOfShape args, tools;
        args.Append(model_shape(a));
        tools.Append(model_shape(b));
        op.SetArguments(args);
        op.SetTools(tools);
        return fresh_copy(boolean_result(op));
    });
}

outcome set_body_transform(BODY* body, const SPAtransf& t)
{
    API_FUNCTION_BEGIN
    if (body == nullptr) sys_error(NULL_ENTITY);
    if (!t.valid()) sys_error(BAD_ARGUMENT);
    body->set_transform(new TRANSFORM(t));
    API_FUNCTION_END
    return result;
}

BODY* make_wire_body(const SPAposition* points, int count, bool closed, outcome* result)
{
    return build(result, [&] {
        if (points == nullptr || count < 2) sys_error(BAD_ARGUMENT);
        std::vector<SPAposition> distinct;
        for (int i = 0; i < count; ++i) {
            check_position(points[i]);
            if (distinct.empty() || !same_point(points[i], distinct.back())) distinct.push_back(points[i]);
        }
        if (closed && distinct.size() > 1 && same_point(distinct.front(), distinct.back())) distinct.pop_back();
        if (distinct.size() < (closed ? 3u : 2u)) sys_error(BAD_ARGUMENT);
        BRepBuilderAPI_MakePolygon polygon;
        for (const SPAposition& p : distinct) polygon.Add(ToGp(p));
        if (closed) polygon.Close();
        if (!polygon.IsDone()) sys_error(OCCT_FAILURE);
        return TopoDS_Shape(polygon.Wire());
    });
}

BODY* make_benchmark_plate(outcome* result)
{
    return build(result, [&] {
        constexpr double kLength = 120.0, kWidth = 80.0, kThickness = 20.0;
        constexpr double kFillet = 3.0, kHoleRadius = 1.87, kBossRadius = 15.0;
        const TopoDS_Shape box = BRepPrimAPI_MakeBox(kLength, kWidth, kThickness).Shape();
        BRepFilletAPI_MakeFillet fillet(box);
        for (TopExp_Explorer ex(box, TopAbs_EDGE); ex.More(); ex.Next())
            fillet.Add(kFillet, TopoDS::Edge(ex.Current()));
        fillet.Build();
        if (!fillet.IsDone()) sys_error(OCCT_FAILURE);

        // A 14 x 10 grid of holes, leaving out the 16 under the boss: 124 holes, all clear of
        // the fillets and the boss.
        const double cx = 0.5 * kLength, cy = 0.5 * kWidth;
        TopTools_ListOfShape holes;
        for (int i = 0; i < 14; ++i) {
            for (int j = 0; j < 10; ++j) {
                const double x = 8.0 + 8.0 * i;
                const double y = 6.25 + 7.5 * j;
                if (std::hypot(x - cx, y - cy) < kBossRadius + kHoleRadius + 1.0) continue;
                holes.Append(BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(x, y, -1.0), gp::DZ()), kHoleRadius,
                                                      kThickness + 2.0).Shape());
            }
        }
        BRepAlgoAPI_Cut cut;
        TopTools_ListOfShape args;
        args.Append(fillet.Shape());
        cut.SetArguments(args);
        cut.SetTools(holes);
        const TopoDS_Shape drilled = boolean_result(cut);

        BRepAlgoAPI_Fuse fuse;
        TopTools_ListOfShape plate, boss;
        plate.Append(drilled);
        boss.Append(BRepPrimAPI_MakeSphere(gp_Ax2(gp_Pnt(cx, cy, kThickness), gp::DZ()), kBossRadius, 0.0,
                                           0.5 * M_PI).Shape());
        fuse.SetArguments(plate);
        fuse.SetTools(boss);
        return boolean_result(fuse);
    });
}

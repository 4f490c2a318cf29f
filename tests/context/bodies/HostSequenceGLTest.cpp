// A host's ordinary actions in a random order, and after each the two promises a host relies on:
// the next refresh shows what a whole frame of the same state shows (also what a second, fresh
// host built with that state shows), and a single pick answers what the window shows, on both of
// its roads (faces by OpenGL selection, and by the pick ray).
//
// The scene: blocks (moved, hidden and shown in every way a host has, some flush with others or
// sunk into them by a fraction of a pixel, their meshes edited in place), figures of one leaf kind
// each (squares of every shaded leaf kind placed by the figure generator's transformation or their
// own, 2-D polygon fills of up to eight corners and now and then of many, some see-through, some
// shields across the line of sight over a block, grids of many small squares crowding the cursor
// over a block, basic surfaces, markers, polylines in window pixels), lines, a toolpath whose
// palette entries change, a figure of a few leaves of every kind, all at the origin or a million
// units from it, seen in windows of a pixel and up, from parallel and perspective eyes, some among
// the blocks, inside one or walking beside one along its longest side (its long edges reaching
// behind the eye, where the near plane cuts the model as it cuts the window). What a pick must
// answer comes from the model the test keeps: the thing (block, figure square, grid or basic
// surface) an exact ray through the pixel's centre meets first (two faces nearer each other than
// the frame's polygon offsets, a slope across a pixel or two, tie);
// where it meets nothing, whatever of the scene shows in the pick window. Another answer is fair
// only where its position lies on the thing it names, within the pick window, where nothing hides
// it and in front of what the ray meets (a thin face seen edge-on, an outline, a line). Where the
// render mode lets faces hide nothing (wireframe, partial hidden lines), a line that shows in the
// pick window (an edge, a figure's line up to where the section cuts a clip-able one) comes before
// any face: the answer is a thing whose line shows there, at a point of that line. A point answered
// on a line is that line's point nearest to the cursor within a pixel, not one of another line
// farther off.
// Figures' faces are drawn in every mode: they hide what lies behind them (in the line modes too)
// and, solid, may be answered where the ray meets them first; a figure's faces are solid at
// transparency 255 only (those of 192 to 254 are blended, hide nothing and come after solid hits),
// and the line modes draw an STL mesh as the outlines of its triangles, picked on them alone and
// hiding nothing. A figure's lines of three dimensions are drawn on top of every face: where one
// shows in the pick window it comes first in every mode; a toolpath's lines are drawn above the
// blocks' faces, and where another figure's face lies in front of one, the model does not judge it.
// A line's point behind a face by less than three twentieths of the face's depth slope across a
// pixel shows through it (the frame pushes faces back by their polygon offset), and a block's
// faces never hide the edges they meet at. Markers and pixel polylines (3 pixels wide: the pixels
// of each column or row whose centres lie within a pixel and a half) are drawn on top: where their
// pixels reach the pick window, they (or a figure's line shown there) are answered, and where they
// pass it by more than a pixel and three fifths, not. A basic surface is drawn in chords of 16
// slices and more, which leave its outline and its depth a band the model does not judge.
//
// Some blocks are see-through (transparency 90 or 191 of 255; 192, three quarters opaque, is
// solid), now and then about another: the mixed mode blends their faces, which then hide nothing,
// and solid hits come first (a block seen through one is picked and offers its points); the shaded
// mode draws them opaque.
//
// Region picks are checked at every third step, in selection mode 0 (what lies wholly inside the
// rectangle) and mode 2 (of that, what the window shows somewhere), over rectangles about a thing,
// anywhere, or wholly outside the window.
//
// Some blocks are cones standing in a cube: picked on their faces (the faceter's chords leave a
// band about their outlines and a depth the model does not judge), their outlines and bases drawn
// in lines the model knows only by where the cone lies.
//
// Snaps are checked too: a point a snap answers lies on an edge a seen block draws, inside the
// window and shown there, as its kind says (ends, middles, centres, each end asked alone, the
// nearest point, which lies under the cursor, a cone's apex where the cursor is over the cone or
// at the apex); where such a point shows at the cursor, a snap answers. Edges reaching behind a
// perspective eye are judged from the near plane on; samples over them are counted, and a run
// that falls behind in them steps back to an eye inside or beside a block (beside, far from the
// origin, where single precision decides whether a block's faces hide its edges seen from inside).
// Faces hidden on their own items leave holes in the model's blocks. One run draws from display
// lists.
//
// The host also hides and shows faces and edges through a copy of their attributes given back
// whole, takes bodies out of the context and puts them back, asks for hides under ids that hold
// nothing (refused, nothing changes), shows copies of blocks (one now and then with a placement
// that describes none, which is refused), changes document flags while copies are hidden on their
// items, records figures before the first frame and after another host's window went, and lets
// figures that inherit their pen follow figures of every leaf kind. The model knows a copy only by
// where it may draw: its picture is compared with a fresh host's, its picks and snaps unjudged.
// A run that falls behind in what it judges (a window of a few pixels, a view away from the scene,
// copies and figures of every kind over the scene) steps back at every tenth step to a window of
// 100 x 100 pixels, the scene fitted, the copies and such figures taken away.
//
// The runs are seeded: a failure names the seed and the step; VYR_HOST_SEQUENCE_SEED and
// VYR_HOST_SEQUENCE_STEPS repeat or lengthen one (the offset run with VYR_HOST_SEQUENCE_OFFSET=1,
// a run with display lists with VYR_HOST_SEQUENCE_LISTS=1),
// and VYR_HOST_SEQUENCE_TRACE prints its actions and the state at a wrong pick (with
// VYR_HOST_SEQUENCE_MAP, the window's lit pixels beside what the model sees; with
// VYR_HOST_SEQUENCE_ZOOM, the window's colours about the pixel, the lines the model knows there,
// and what it sees, pixel by pixel). A wrong pick also
// tells what a fresh host of the same state answers there, which says whether the fault needs the
// live host's history.
#include "DsAttributes.h"
#include "DsBasicSurface.h"
#include "DsAttributesPalette.h"
#include "DsBackground.h"
#include "DsFigPoly3D.h"
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsHideLevel.h"
#include "DsItemToolpathPolyline.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsItemsCopy.h"
#include "DsItemEdge.h"
#include "VyrEntInstance.h"
#include "DsLight.h"
#include "DsTrianglesCollector.h"
#include "DsLineAttribStorage.h"
#include "DsManager.h"
#include "DsPickProccessor.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "HostFixture.h"
#include "VyrIndexedMesh.h"
#include "VyrBodyGeometry.h"
#include "VyrStlData.h"
#include "ZOVOvivavUrezezovovaza.h"

#include "VyrWCS.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using vyrtest::Host;
using vyrtest::Picture;
using vyrtest::ViewSetup;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// One block a host shows: where it lies before its placement, its colour, its placement and
// whether it is shown, highlighted.
struct BlockState {
    SPAposition low, high;
    unsigned color = Host::kOrange;
    unsigned char transparency = 255;  // below 191.25 see-through where the mixed mode blends it
    bool cone = false;  // a cone standing in its box (a cube): its base on the floor, its apex at the top
    SPAtransf placement;
    bool placed = false;  // a placement was given (through the context or the item)
    bool shown = true;
    bool highlighted = false;
    bool hiddenOnItem = false;  // hidden through its own item (hide level), until ForceShowAll
    bool flipped = false;       // its mesh normals flipped
    bool hiddenByPath = false;  // hidden by its object path (ForceHide), until ResetHideShow
    unsigned short transformId = 0;  // the scene's transform id its path carries, 0 for none
    SPAtransf moved;                 // that id's transform, after the placement
    SPAvector meshMoved;  // its faces' meshes moved in place by this (its own coordinates), until faceted again
    std::vector<SPAvector> meshMoves;  // the moves that made it, in turn (single precision rounds each)
    // Faces hidden on their own items (until ForceShowAll, or shown again on the item): the items'
    // indexes and the faces' sides (axis, and whether the high one). A solid's edge shows while a
    // face beside it does.
    std::vector<int> hiddenFaces;
    std::vector<std::pair<int, bool>> hiddenSides;

    // The box its faces show (their meshes moved in place), and the box its edges keep.
    SPAposition FaceLow() const { return low + meshMoved; }
    SPAposition FaceHigh() const { return high + meshMoved; }
    // Whether the face on side `high` of `axis` is hidden on its item.
    bool SideHidden(int axis, bool high) const
    {
        return std::find(hiddenSides.begin(), hiddenSides.end(), std::make_pair(axis, high)) != hiddenSides.end();
    }
    // Whether the edge along `axis` from corner `c` of the box is hidden: both faces beside it are.
    bool EdgeHidden(int c, int axis) const
    {
        int hidden = 0;
        for (int b = 0; b < 3; ++b)
            if (b != axis && SideHidden(b, (c & (1 << b)) != 0)) ++hidden;
        return hidden == 2;
    }
    // Shown again on every item.
    void ShowAllItems()
    {
        hiddenOnItem = false;
        hiddenFaces.clear();
        hiddenSides.clear();
    }
    bool removed = false;  // taken out of the context (CDsGlContext::remove), its database item kept
};

// The shaded leaf kinds a figure square is made of.
enum ELeaf {
    eLeafStl,
    eLeafTriangles,
    eLeafTriangulation,
    eLeafStrip,
    eLeafQuads,
    eLeafTrigs,
    eLeafPolyLineFill,   // the 2-D polygon fill of ItDrawPolyLine
    eLeafTrianglesFill,  // the 2-D polygon fill of ItDrawTriangles
    eLeafCount
};

// A figure the host records.
struct FigureState {
    // A line, a square of one leaf kind, a toolpath, or a figure of a few leaves of every kind
    // (vyrtest::EveryLeafKind, each in a pen of its own) that the model knows only by where it lies;
    // a basic surface (DrawBasicSurface), a marker, a polyline of width 3 in window pixels, or a
    // grid of many small squares of one leaf kind each.
    enum EKind { eLine, eSquare, eToolpath, eMixed, eQuadric, eMarker, ePixels, eGrid } kind = eLine;
    int leaf = eLeafStl;      // a square's leaf kind; a quadric's EDsQuadType; pixels: 1 in fractions of the window
    int corners = 4;          // a 2-D polygon fill's corners: a square, else a regular polygon within it
    bool byGenerator = true;  // a square placed by the generator's transformation, else by the STL call's own
    double half = 5;          // a square's half side, in the plane z = 0 about its origin
    SPAtransf placement;      // where a square goes
    std::vector<SPAposition> points;  // a line's points; a toolpath's nodes; a marker's anchor; pixels (x, y up)
    std::vector<int> entries;         // a toolpath's palette entry of each segment
    std::vector<int> leaves;          // a mixed figure's leaf kinds, in the order drawn
    SPAtransf own;                    // a mixed figure's STL mesh's own transformation
    bool clipable = false;            // a line the section cuts, as it cuts the blocks
    bool ownPens = true;              // a mixed figure's leaves each in a pen of its own, else inheriting
    // A square figure's transparency (CDsFigure::SetTransparency; 255 opaque): a figure's faces are
    // drawn blended by it in every mode, and below 255 they hide nothing.
    unsigned char transparency = 255;
    // A grid's squares along each side, their pitch and side (its `half` reaches the outer squares'
    // sides): a 2-D polygon fill or DrawTriangles each (its `leaf`).
    int cells = 0;
    double pitch = 0, side = 0;
};

// What a host set, enough to build a second host that must show the same picture.
struct HostState {
    int width = 100, height = 100;
    ERenderMode mode = eRenderShade;
    float ambient = -1;  // unset
    std::optional<unsigned> background;
    bool gradient = false;
    std::optional<unsigned> light;  // light 0's colour
    bool ucs = false;               // a turned reference system
    std::vector<std::pair<int, bool>> flags;  // document flags in the order they were set
    EDsSilhouetteLevel silhouettes = eDsSilhouetteCylinders;
    bool section = false;
    SPAposition sectionPoint;
    SPAvector sectionNormal;
    std::vector<BlockState> blocks;
    std::vector<FigureState> figures;
    unsigned entryColor[2] = {0x00FFFF, 0xFFFF00};  // the palette entries the toolpaths use
    bool entryHidden[2] = {false, false};
};

// The ray's parameter interval inside the box [low, high] (a slab test) and the axis of the face
// it enters by; false when it misses.
bool RayBox(const SPAposition& start, const SPAvector& dir, const SPAposition& low, const SPAposition& high,
            double& t0, double& t1, int* entryAxis = nullptr, int* exitAxis = nullptr)
{
    t0 = -kInfinity;
    t1 = kInfinity;
    int axis = -1, out = -1;
    for (int i = 0; i < 3; ++i) {
        const double s = start.coordinate(i), d = dir.component(i);
        if (std::fabs(d) < 1e-12) {
            if (s < low.coordinate(i) || s > high.coordinate(i)) return false;
            continue;
        }
        double a = (low.coordinate(i) - s) / d, b = (high.coordinate(i) - s) / d;
        if (a > b) std::swap(a, b);
        if (a > t0) t0 = a, axis = i;
        if (b < t1) t1 = b, out = i;
    }
    if (entryAxis) *entryAxis = axis;
    if (exitAxis) *exitAxis = out;
    return t0 <= t1 && t1 > 0;
}

// The distance of `p` from the box [low, high] (0 inside).
double BoxDistance(const SPAposition& p, const SPAposition& low, const SPAposition& high)
{
    double sum = 0;
    for (int a = 0; a < 3; ++a) {
        const double d = std::max({low.coordinate(a) - p.coordinate(a), p.coordinate(a) - high.coordinate(a), 0.0});
        sum += d * d;
    }
    return std::sqrt(sum);
}

// The point a fraction `s` of the way from `a` to `b`.
SPAposition Between(double s, const SPAposition& a, const SPAposition& b) { return a + s * (b - a); }

// The point of the segment [a, b] whose picture in `view` lies a fraction `u` of the way along the
// segment's picture: in perspective a fraction of the picture is not that fraction of the segment.
SPAposition AlongPicture(const CDsView3dCdc& view, double u, const SPAposition& a, const SPAposition& b)
{
    if (!view.is_perspective()) return Between(u, a, b);
    const SPAvector out(view.get_direction().x(), view.get_direction().y(), view.get_direction().z());
    const double wa = (a - view.get_eye()) % out, wb = (b - view.get_eye()) % out;
    return Between(u * wa / (wb - u * (wb - wa)), a, b);
}

// The distance of `p` from the segment [a, b].
double SegmentDistance(const SPAposition& p, const SPAposition& a, const SPAposition& b)
{
    const SPAvector e = b - a;
    const double length = e % e;
    const double s = length > 0 ? std::max(0.0, std::min(1.0, ((p - a) % e) / length)) : 0.0;
    return (p - (a + s * e)).len();
}

// How far inside its surface a quadric figure's tessellation (16 slices and more) may lie.
double Chord(const FigureState& f) { return 0.05 * (f.leaf == eDsQuadTorus ? 1.6 * f.half : f.half); }

// The box a quadric figure's surface lies in, in its own coordinates.
void QuadricBox(const FigureState& f, SPAposition& low, SPAposition& high)
{
    const double r = f.half;
    const SPAvector half = f.leaf == eDsQuadBox ? SPAvector(r, 0.7 * r, 0.5 * r)
                           : f.leaf == eDsQuadTorus ? SPAvector(1.3 * r, 1.3 * r, 0.3 * r) : SPAvector(r, r, r);
    low = SPAposition(0, 0, 0) - half;
    high = SPAposition(0, 0, 0) + half;
    if (f.leaf == eDsQuadCone) low.set_z(0), high.set_z(2 * r);
    if (f.leaf == eDsQuadDisk) low.set_z(0), high.set_z(0);
}

// Points of the surface a quadric figure draws (its chords' corners), in its own coordinates.
std::vector<SPAposition> QuadricPoints(const FigureState& f)
{
    const double r = f.half;
    std::vector<SPAposition> points;
    for (int k = 0; k < 16; ++k) {
        const double c = std::cos(M_PI * k / 8), s = std::sin(M_PI * k / 8);
        switch (f.leaf) {
        case eDsQuadSphere:
            for (const double z : {-0.7, 0.0, 0.7}) points.emplace_back(r * c * std::sqrt(1 - z * z), r * s * std::sqrt(1 - z * z), r * z);
            break;
        case eDsQuadCone: points.emplace_back(r * c, r * s, 0); break;
        case eDsQuadTorus: points.emplace_back(1.3 * r * c, 1.3 * r * s, 0), points.emplace_back(r * c, r * s, 0.3 * r); break;
        case eDsQuadDisk: points.emplace_back(r * c, r * s, 0); break;
        default: break;
        }
    }
    SPAposition low, high;
    QuadricBox(f, low, high);
    if (f.leaf == eDsQuadSphere) points.emplace_back(0, 0, r), points.emplace_back(0, 0, -r);
    if (f.leaf == eDsQuadCone) points.emplace_back(0, 0, 2 * r);
    for (int c = 0; c < 8 && f.leaf == eDsQuadBox; ++c)
        points.emplace_back(c & 1 ? high.x() : low.x(), c & 2 ? high.y() : low.y(), c & 4 ? high.z() : low.z());
    for (SPAposition& p : points) p = p * f.placement;
    return points;
}

// Where the ray `start` + t `dir` (a unit direction, in the quadric figure's own coordinates) meets
// the surface `f` draws: into `t` the least t >= 0 at which what is drawn may stand (the exact
// surface, or its tessellation's chords, which lie inside it but about a torus's hole) and the
// exact surface's normal; what is drawn may stand up to `spread` farther along. False where the
// exact surface is missed; `unsure` where the exact surface and the band of its chords disagree
// whether the ray meets them (about the outline) or the ray grazes it.
bool RayQuadric(const FigureState& f, const SPAposition& start, const SPAvector& dir, double& t, double& spread,
                SPAvector& normal, bool& unsure, bool solid = false)
{
    // A solid cone (a body) has a base, and its faceter's chords (half a unit off by default) lie farther in.
    const double r = f.half, chord = solid ? 0.1 * r : Chord(f);
    // The least root t >= 0 of a t^2 + b t + c with `keep` true at it.
    const auto root = [&](double a, double b, double c, const std::function<bool(double)>& keep, double& at) {
        const double disc = b * b - 4 * a * c;
        if (std::fabs(a) < 1e-300 || disc < 0) return false;
        const double q = std::sqrt(disc), u0 = (-b - q) / (2 * a), u1 = (-b + q) / (2 * a);
        for (const double u : {std::min(u0, u1), std::max(u0, u1)})
            if (u >= 0 && keep(u)) return at = u, true;
        return false;
    };
    // The surface shrunk by `in`: its least t and normal.
    const auto meet = [&](double in, double& at, SPAvector& n) {
        const auto p = [&](double u) { return start + u * dir; };
        switch (f.leaf) {
        case eDsQuadSphere: {
            const SPAvector s = start - SPAposition(0, 0, 0);
            if (!root(1, 2 * (s % dir), s % s - (r - in) * (r - in), [](double) { return true; }, at)) return false;
            n = p(at) - SPAposition(0, 0, 0);
            return true;
        }
        case eDsQuadCone: {  // base radius r at z = 0, apex at z = 2r, open at the base
            const double base = r - in, k = -base / (2 * r);
            const double e = base + k * start.z();
            const auto inside = [&](double u) { return p(u).z() >= 0 && p(u).z() <= 2 * r; };
            if (!root(dir.x() * dir.x() + dir.y() * dir.y() - k * k * dir.z() * dir.z(),
                      2 * (start.x() * dir.x() + start.y() * dir.y() - e * k * dir.z()),
                      start.x() * start.x() + start.y() * start.y() - e * e, inside, at))
                at = kInfinity;
            if (!(at < kInfinity) && !solid) return false;
            if (!(at < kInfinity)) {  // the base alone
                double floor = 0;
                if (std::fabs(dir.z()) < 1e-12 || (floor = -start.z() / dir.z()) < 0 || std::hypot(p(floor).x(), p(floor).y()) > base)
                    return false;
                at = floor, n = SPAvector(0, 0, -1);
                return true;
            }
            const SPAposition q = p(at);
            n = SPAvector(q.x(), q.y(), -(base + k * q.z()) * k);
            double floor = 0;
            if (solid && std::fabs(dir.z()) > 1e-12 && (floor = -start.z() / dir.z()) >= 0 && floor < at &&
                std::hypot(p(floor).x(), p(floor).y()) <= base)
                at = floor, n = SPAvector(0, 0, -1);
            return true;
        }
        case eDsQuadTorus: {  // the tube of radius 0.3 r about the circle of radius r
            const double big = r, small = 0.3 * r - in;
            const auto g = [&](double u) {
                const SPAposition q = p(u);
                const double w = (q - SPAposition(0, 0, 0)) % (q - SPAposition(0, 0, 0)) + big * big - small * small;
                return w * w - 4 * big * big * (q.x() * q.x() + q.y() * q.y());
            };
            const SPAvector s = start - SPAposition(0, 0, 0);
            double t0 = 0, t1 = 0;
            const double reach = big + small, b = s % dir, disc = b * b - (s % s - reach * reach);
            if (disc < 0) return false;
            t0 = std::max(0.0, -b - std::sqrt(disc)), t1 = -b + std::sqrt(disc);
            if (t1 < 0) return false;
            const bool outside = g(t0) > 0;
            for (double u = t0; u < t1; u += small / 16) {
                if ((g(u + small / 16) > 0) == outside) continue;
                double lo = u, hi = u + small / 16;
                for (int i = 0; i < 50; ++i) ((g(0.5 * (lo + hi)) > 0) == outside ? lo : hi) = 0.5 * (lo + hi);
                at = hi;
                const SPAposition q = p(at);
                const double w = (q - SPAposition(0, 0, 0)) % (q - SPAposition(0, 0, 0)) + big * big - small * small;
                n = 4 * w * (q - SPAposition(0, 0, 0)) - 8 * big * big * SPAvector(q.x(), q.y(), 0);
                return true;
            }
            return false;
        }
        case eDsQuadDisk: {  // the ring between 0.3 r and r on z = 0; its outlines polygons of 16 sides and more
            if (std::fabs(dir.z()) < 1e-12) return false;
            at = -start.z() / dir.z();
            const double rho = std::hypot(p(at).x(), p(at).y()), cosine = std::cos(M_PI / 16);
            n = SPAvector(0, 0, 1);
            return at >= 0 && (in > 0 ? rho >= 0.3 * r && rho <= cosine * r : rho >= 0.3 * r * cosine && rho <= r);
        }
        default: {
            SPAposition low, high;
            QuadricBox(f, low, high);
            double t0 = 0, t1 = 0;
            int entry = -1, exit = -1;
            if (!RayBox(start, dir, low, high, t0, t1, &entry, &exit)) return false;
            at = t0 >= 0 ? t0 : t1;
            n = SPAvector(0, 0, 0);
            if ((t0 >= 0 ? entry : exit) >= 0) n.set_component(t0 >= 0 ? entry : exit, 1);
            return true;
        }
        }
    };
    // A torus's cells about its hole lie outside its tube: the chords round the axis cut toward it,
    // by up to the hole's radius times 1 - cos(pi / 16) at 16 slices. An eye inside the tube sees
    // them there beyond the surface.
    const double bulge = f.leaf == eDsQuadTorus ? 0.7 * r * (1 - std::cos(M_PI / 16)) : 0.0;
    SPAvector inner, outer;
    double tIn = 0, tOut = 0;
    const bool exact = meet(0, t, normal), drawn = meet(chord, tIn, inner);
    const bool grown = bulge > 0 ? meet(-bulge, tOut, outer) : exact;
    unsure = exact != drawn || exact != grown;
    if (!exact) return false;
    double first = t, last = t;
    if (drawn) first = std::min(first, tIn), last = std::max(last, tIn);
    if (grown && bulge > 0) first = std::min(first, tOut), last = std::max(last, tOut);
    t = first;
    spread = last - first;
    // A ray that grazes the surface meets the chords far from where it meets the surface.
    if (normal.len() > 0 && std::fabs(normal % dir) < 0.2 * normal.len()) unsure = true;
    return true;
}

// A square of half side `half` in the plane z = 0 about the origin, of one leaf kind; placed by
// the generator's transformation, or (an STL mesh) by the STL call's own.
class CSquareFigure : public CDsFigure {
public:
    explicit CSquareFigure(const FigureState& state) : m_state(state) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(CDsColorStorage(230, 230, 230));
        const bool own = m_state.leaf == eLeafStl && !m_state.byGenerator;
        if (!own) generator.SetTransformation(CGmTransformation(m_state.placement));
        const double h = m_state.half;
        const float f = static_cast<float>(h);
        switch (m_state.leaf) {
        case eLeafStl: {
            auto* square = new CVyrStlData;
            square->AddTriangle(CVyrTriangle(SPAposition(-h, -h, 0), SPAposition(h, -h, 0), SPAposition(h, h, 0)));
            square->AddTriangle(CVyrTriangle(SPAposition(-h, -h, 0), SPAposition(h, h, 0), SPAposition(-h, h, 0)));
            generator.DrawTrianglesStl(own ? m_state.placement : SPAtransf(), square);
            square->decRC();
            break;
        }
        case eLeafTriangles: {
            const double points[18] = {-h, -h, 0, h, -h, 0, h, h, 0, -h, -h, 0, h, h, 0, -h, h, 0};
            generator.DrawTriangles(2, points, nullptr);
            break;
        }
        case eLeafTriangulation:
        case eLeafTrigs: {
            ZOVOvivavUrezezovovaza set;
            const int a = set.AddVertex({-f, -f, 0}), b = set.AddVertex({f, -f, 0}), c = set.AddVertex({f, f, 0}),
                      d = set.AddVertex({-f, f, 0});
            set.AddTriangle(a, b, c);
            set.AddTriangle(a, c, d);
            if (m_state.leaf == eLeafTrigs)
                generator.DrawTrigs(set, nullptr, true);
            else
                generator.DrawTriangles(set);
            break;
        }
        case eLeafStrip: {
            const double rows[12] = {-h, -h, 0, h, -h, 0, -h, h, 0, h, h, 0};
            generator.DrawTriangles(2, 2, rows, nullptr);
            break;
        }
        case eLeafPolyLineFill: {
            float square[12] = {-f, -f, 0, f, -f, 0, f, f, 0, -f, f, 0};
            std::vector<float> polygon;
            for (int k = 0; k < m_state.corners; ++k)
                polygon.insert(polygon.end(), {f * std::cos(2 * float(M_PI) * k / m_state.corners),
                                               f * std::sin(2 * float(M_PI) * k / m_state.corners), 0.0f});
            CDsFigureGenerator::ItDrawPolyLine(&generator, m_state.corners, m_state.corners == 4 ? square : polygon.data(), true);
            break;
        }
        case eLeafTrianglesFill: {
            float triangles[18] = {-f, -f, 0, f, -f, 0, f, f, 0, -f, -f, 0, f, f, 0, -f, f, 0};
            CDsFigureGenerator::SetToCurrent(&generator);
            CDsFigureGenerator::ItDrawTriangles(triangles, 2, true);
            CDsFigureGenerator::SetToCurrent(nullptr);
            break;
        }
        case eLeafQuads: {
            double grid[27];
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j) {
                    grid[3 * (3 * i + j)] = -h + h * j;
                    grid[3 * (3 * i + j) + 1] = -h + h * i;
                    grid[3 * (3 * i + j) + 2] = 0;
                }
            generator.DrawQuads(3, 3, grid, nullptr);
            generator.EndPolygons();
            break;
        }
        }
        return 1;
    }

private:
    FigureState m_state;
};

// A toolpath of one branch through the state's nodes, each segment in its palette entry.
class CToolpathFigure : public CDsFigure {
public:
    explicit CToolpathFigure(const FigureState& state) : m_state(state) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.StartToolpath(1, nullptr);
        generator.StartToolpathBranch(2, 0.0f);
        for (size_t i = 0; i < m_state.points.size(); ++i) {
            const SPAposition& p = m_state.points[i];
            const int entry = m_state.entries[std::min(i, m_state.entries.size() - 1)];
            generator.AddToolpathSegment(TDsNodeHeader::StCreatePoint(
                CDsUid(10 + static_cast<int>(i)), static_cast<unsigned char>(entry), static_cast<float>(p.x()),
                static_cast<float>(p.y()), static_cast<float>(p.z())));
        }
        generator.EndToolpathBranch();
        generator.EndToolpath();
        return 1;
    }

private:
    FigureState m_state;
};

// A new figure object for `state` (recorded by the caller).
std::unique_ptr<CDsFigure> MakeFigure(const FigureState& state)
{
    switch (state.kind) {
    case FigureState::eLine: {
        std::vector<CGmPosition> points(state.points.begin(), state.points.end());
        auto line = std::make_unique<CDsFigPoly3D>(static_cast<int>(points.size()), points.data());
        line->SetClip_able(state.clipable);
        return line;
    }
    case FigureState::eSquare: return std::make_unique<CSquareFigure>(state);
    case FigureState::eToolpath: return std::make_unique<CToolpathFigure>(state);
    case FigureState::eMixed: {
        const std::vector<vyrtest::LeafRecipe> kinds = vyrtest::EveryLeafKind(state.placement, state.own, state.ownPens);
        std::vector<vyrtest::FigureRecipe> leaves;
        for (int leaf : state.leaves) leaves.push_back(kinds[static_cast<size_t>(leaf)].define);
        return std::make_unique<vyrtest::RecipeFigure>([leaves](CDsFigureGenerator& generator) {
            for (const vyrtest::FigureRecipe& leaf : leaves) leaf(generator);
        });
    }
    case FigureState::eQuadric:
        return std::make_unique<vyrtest::RecipeFigure>([state](CDsFigureGenerator& generator) {
            generator.SetPenColor(CDsColorStorage(200, 200, 255));
            generator.SetTransformation(CGmTransformation(state.placement));
            const float r = static_cast<float>(state.half);
            CDsSphere sphere(r);
            CDsCone cone(r, 0, 2 * r);
            CDsNBox box(2 * r, 1.4f * r, r);
            CDsTorus torus(0.3f * r, r);  // drawn with the second radius about the axis, the first the tube's
            CDsDisk disk(0.3f * r, r);
            CDsBasicSurface* surfaces[] = {&sphere, nullptr, &cone, &box, &torus, &disk};
            generator.DrawBasicSurface(surfaces[state.leaf], true);
        });
    case FigureState::eMarker:
        return std::make_unique<vyrtest::RecipeFigure>([state](CDsFigureGenerator& generator) {
            generator.SetPenColor(CDsColorStorage(255, 0, 255));
            generator.DrawPoint(CGmPosition(state.points[0]), EPointStyle(3), 9, false, CGmUnitVector(1, 0, 0), 0);
        });
    case FigureState::eGrid:
        return std::make_unique<vyrtest::RecipeFigure>([state](CDsFigureGenerator& generator) {
            generator.SetPenColor(CDsColorStorage(120, 255, 160));
            generator.SetTransformation(CGmTransformation(state.placement));
            const double a = 0.5 * state.side;
            for (int i = 0; i < state.cells; ++i)
                for (int j = 0; j < state.cells; ++j) {
                    const double x = -state.half + a + i * state.pitch, y = -state.half + a + j * state.pitch;
                    if (state.leaf == eLeafPolyLineFill) {
                        float square[12] = {float(x - a), float(y - a), 0, float(x + a), float(y - a), 0,
                                            float(x + a), float(y + a), 0, float(x - a), float(y + a), 0};
                        CDsFigureGenerator::ItDrawPolyLine(&generator, 4, square, true);
                    } else {
                        const double points[18] = {x - a, y - a, 0, x + a, y - a, 0, x + a, y + a, 0,
                                                   x - a, y - a, 0, x + a, y + a, 0, x - a, y + a, 0};
                        generator.DrawTriangles(2, points, nullptr);
                    }
                }
        });
    case FigureState::ePixels:
        return std::make_unique<vyrtest::RecipeFigure>([state](CDsFigureGenerator& generator) {
            generator.SetPenColor(CDsColorStorage(255, 255, 0));
            generator.SetPenWidth(3);
            std::vector<float> xy;
            for (const SPAposition& p : state.points) xy.insert(xy.end(), {float(p.x()), float(p.y())});
            if (state.leaf)
                generator.DrawPolyline2DRelative(static_cast<int>(state.points.size()), xy.data(), false);
            else
                generator.DrawPolyline2D(static_cast<int>(state.points.size()), xy.data());
        });
    }
    return nullptr;
}

// Records `figure` made for `state` into `view`, see-through as its state says.
void Record(CDsFigure& figure, const FigureState& state, CDsView3dCdc& view)
{
    figure.Record(true, &view);
    if (state.transparency != 255) figure.SetTransparency((state.transparency + 0.5f) / 255);
}

// Line attributes of colour `color` (0x00BBGGRR), hidden or shown.
CDsLineAttribStorage Entry(unsigned color, bool hidden)
{
    CDsLineAttribStorage entry;
    entry.SetColor(CDsColorStorage(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
    entry.SetAttribute(CDsHideLevel(hidden ? eDsHideLevelBlank : eDsHideLevelShown), true);
    return entry;
}

// What the test knows of a thing the window may show: a block (its index), a figure (1000 plus its
// index), nothing (-1) or a place it cannot judge (-2: the near plane cuts what shows there).
constexpr int kFigureThing = 1000;
constexpr int kNothing = -1;
constexpr int kUnsure = -2;
constexpr int kCopyThing = -4;  // a copy of a block (known only by where it may draw)

class HostSequenceGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        const char* seed = std::getenv("VYR_HOST_SEQUENCE_SEED");
        seedFromEnvironment_ = seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 0u;
        const char* steps = std::getenv("VYR_HOST_SEQUENCE_STEPS");
        steps_ = steps ? std::max(1, std::atoi(steps)) : 300;
        const char* offset = std::getenv("VYR_HOST_SEQUENCE_OFFSET");
        offsetFromEnvironment_ = offset && std::atoi(offset) != 0;
        const char* lists = std::getenv("VYR_HOST_SEQUENCE_LISTS");
        listsFromEnvironment_ = lists && std::atoi(lists) != 0;
        listsWere_ = CDsManager::GetInstance()->GetFlag(4);
    }
    void TearDown() override
    {
        while (!copies_.empty()) DropCopy(copies_.size() - 1);
        CDsManager::GetInstance()->SetFlag(4, listsWere_);
        for (std::unique_ptr<CDsFigure>& figure : figures_)
            if (figure && figure->IsRecorded()) figure->Remove(&host_->View());
        figures_.clear();
        HostTest::TearDown();
    }

    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    double Real(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
    // A model point `p` of the scene as it lies at the origin, moved to where the run's scene lies.
    SPAposition At(double x, double y, double z) const { return SPAposition(x, y, z) + offset_; }

    // --- The actions --------------------------------------------------------------------------
    // Each changes the live host and records what it did in `state_`; answers its name.
    std::string Act(int forced = -1)
    {
        CDsGlContext& context = host_->Context();
        CDsView3dCdc& view = host_->View();
        switch (forced >= 0 ? forced : Uniform(0, 35)) {
        case 0: {  // look from an exact axis view or a random direction
            static const SPAvector kAxes[] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
            SPAvector out = Uniform(0, 2) ? kAxes[Uniform(0, 5)]
                                          : SPAvector(Real(-1, 1), Real(-1, 1), Real(-1, 1) + 0.01);
            const SPAvector up = std::fabs(out.z()) > 0.9 * std::sqrt(out % out) ? SPAvector(0, 1, 0) : SPAvector(0, 0, 1);
            view.set_direction(-out, up);
            std::ostringstream name;
            name << "look along " << -out.x() << " " << -out.y() << " " << -out.z();
            return name.str();
        }
        case 1: {  // zoom, within a thousandth and a thousand units a pixel (a scene far from the
                   // origin no nearer than its single-precision meshes hold still)
            double factor = Uniform(0, 1) ? 1.4 : 0.7;
            const double upp = view.get_units_per_pixel();
            if ((factor > 1 && upp < LeastUnitsPerPixel()) || (factor < 1 && upp > 1e3)) factor = 1 / factor;
            view.zoom_scale(factor);
            return "zoom " + std::to_string(factor);
        }
        case 2: {
            const double upp = view.get_units_per_pixel();
            view.move(SPAvector(Real(-20, 20) * upp, Real(-20, 20) * upp, Real(-20, 20) * upp));
            return "pan";
        }
        case 3:
            view.ZoomAll(1.0f);
            return "ZoomAll";
        case 4: {
            view.set_perspective(!view.is_perspective());
            return view.is_perspective() ? "perspective" : "parallel";
        }
        case 5: {  // resize, to a window of a few pixels now and then
            static const int kSizes[][2] = {{100, 100}, {120, 90}, {90, 110}, {100, 100}, {1, 1}, {3, 2}, {6, 5}};
            const int* size = kSizes[Uniform(0, 6)];
            const double upp = view.get_units_per_pixel();
            host_->Resize(size[0], size[1]);
            view.set_width(upp * size[0]);
            view.set_height(upp * size[1]);
            state_.width = size[0];
            state_.height = size[1];
            return "resize to " + std::to_string(size[0]) + " x " + std::to_string(size[1]);
        }
        case 6: {
            static const ERenderMode kModes[] = {eRenderWireframe, eRenderHiddenLines, eRenderPartialHiddenLines,
                                                 eRenderShade, eRenderMixed};
            state_.mode = kModes[Uniform(0, 4)];
            view.SetRenderMode(state_.mode);
            return "render mode " + std::to_string(static_cast<int>(state_.mode));
        }
        case 7: {
            static const float kAmbient[] = {0.1f, 0.4f, 0.9f};
            state_.ambient = kAmbient[Uniform(0, 2)];
            context.SetAmbientLight(state_.ambient);
            return "ambient " + std::to_string(state_.ambient);
        }
        case 8: {
            static const unsigned kColors[] = {0x000000, 0x603020, 0x202060};
            state_.background = kColors[Uniform(0, 2)];
            state_.gradient = Uniform(0, 1) == 0;
            context.SetBackground(Background(state_));
            return state_.gradient ? "gradient background" : "background";
        }
        case 9: {
            static const int kFlags[] = {1, 2, 3, 8, 14};
            const int flag = kFlags[Uniform(0, 4)];
            const bool on = !context.Get(static_cast<EDsDocumentFlag>(flag));
            context.Set(static_cast<EDsDocumentFlag>(flag), on);
            state_.flags.emplace_back(flag, on);
            return "document flag " + std::to_string(flag) + (on ? " on" : " off");
        }
        case 10: {
            state_.silhouettes = static_cast<EDsSilhouetteLevel>(Uniform(0, 2));
            context.SetSilhouetteLevel(state_.silhouettes);
            return "silhouette level";
        }
        case 11: {
            if (state_.section) {
                context.ResetSection();
                state_.section = false;
                return "section off";
            }
            state_.section = true;
            state_.sectionPoint = At(Real(-20, 40), Real(-20, 40), Real(0, 20));
            static const SPAvector kNormals[] = {{1, 0, 0}, {0, -1, 0}, {0, 0, 1}};
            state_.sectionNormal = kNormals[Uniform(0, 2)];
            context.SetSection(state_.sectionPoint, state_.sectionNormal);
            return "section on";
        }
        case 12: {  // a new block, now and then a see-through one about another
            if (state_.blocks.size() >= 6) return "nothing";
            BlockState block;
            const double x = Real(-40, 60), y = Real(-40, 60), z = Real(-10, 20);
            block.low = At(x, y, z);
            block.high = At(x + Real(5, 30), y + Real(5, 30), z + Real(5, 30));
            if (Uniform(0, 3) == 0) {  // a cone in a cube
                block.cone = true;
                block.high = block.low + 2 * Real(3, 12) * SPAvector(1, 1, 1);
            } else if (Uniform(0, 2) == 0) {
                // Blended in the mixed mode below three quarters opaque (191.25), solid from 192.
                static const unsigned char kSeeThrough[] = {90, 191, 192};
                block.transparency = kSeeThrough[Uniform(0, 2)];
                const int i = AShownBlock();
                if (i >= 0 && Uniform(0, 1) && !state_.blocks[size_t(i)].transformId) {
                    const BlockState& inside = state_.blocks[size_t(i)];
                    const SPAvector grow(Real(1, 8), Real(1, 8), Real(1, 8));
                    block.low = inside.FaceLow() - grow;
                    block.high = inside.FaceHigh() + grow;
                    block.placed = inside.placed;
                    block.placement = inside.placement;
                }
            }
            NewBlock(block);
            if (block.placed) host_->Context().SetTransformation(host_->Bodies().back(), state_.blocks.back().placement);
            return std::string(block.cone ? "show cone " : block.transparency < 255 ? "show see-through block " : "show block ") +
                   std::to_string(state_.blocks.size());
        }
        case 13: {  // hide a block or show it again
            if (state_.blocks.empty()) return "nothing";
            const int i = Uniform(0, static_cast<int>(state_.blocks.size()) - 1);
            BlockState& block = state_.blocks[i];
            BODY* body = host_->Bodies()[i];
            if (block.shown) {
                if (block.highlighted || block.hiddenByPath || block.transformId) return "nothing";
                DropCopies(i);
                // Taken out of the database and the context, or (now and then) out of the context
                // alone, its database item left drawing nothing.
                block.removed = Uniform(0, 2) == 0;
                if (block.removed)
                    context.remove(body);
                else
                    host_->Hide(body);
            } else {
                ShowAgain(i);
            }
            block.shown = !block.shown;
            picksBeforeRefresh_ = true;
            return (block.shown ? "show again block " : block.removed ? "remove from the context block " : "hide block ") +
                   std::to_string(i + 1);
        }
        case 14:
        case 15: {  // move a block, through the context or through its own item
            std::vector<int> shown;
            for (size_t i = 0; i < state_.blocks.size(); ++i)
                if (state_.blocks[i].shown) shown.push_back(static_cast<int>(i));
            if (shown.empty()) return "nothing";
            const int i = shown[static_cast<size_t>(Uniform(0, static_cast<int>(shown.size()) - 1))];
            BlockState& block = state_.blocks[static_cast<size_t>(i)];
            // About the scene's origin, so that the blocks stay among each other.
            SPAtransf placement = translate_transf(SPAvector(Real(-30, 30), Real(-30, 30), Real(-10, 10)));
            if (Uniform(0, 1))
                placement = translate_transf(-offset_) * rotate_transf(Real(-1, 1), SPAvector(0, 0, 1)) *
                            translate_transf(offset_) * placement;
            block.placement = placement;
            block.placed = true;
            BODY* body = host_->Bodies()[static_cast<size_t>(i)];
            if (Uniform(0, 1)) {
                context.SetTransformation(body, placement);
                return "move block " + std::to_string(i + 1) + " through the context";
            }
            CDsItemsBody* item = context.FindDsBody(body);
            if (!item) return "nothing";
            item->SetTransformation(placement);
            return "move block " + std::to_string(i + 1) + " through its item";
        }
        case 16: {  // highlight some shown blocks, or none
            std::vector<CVyrObjectPath> paths;
            for (size_t i = 0; i < state_.blocks.size(); ++i) {
                BlockState& block = state_.blocks[i];
                block.highlighted = block.shown && Uniform(0, 2) == 0;
                if (block.highlighted) paths.push_back(host_->PathOf(host_->Bodies()[i]));
            }
            if (paths.empty())
                context.UnHighlightLocations();
            else
                context.HighlightLocations(paths, eAttribSetHighlight);
            return "highlight " + std::to_string(paths.size()) + " blocks";
        }
        case 17: {  // a recorded figure of some kind (see FigureState); or one erased
            if (!recordNext_ && !state_.figures.empty() && (state_.figures.size() >= 5 || Uniform(0, 2) == 0)) {
                const size_t i = static_cast<size_t>(Uniform(0, static_cast<int>(state_.figures.size()) - 1));
                figures_[i]->Remove(&view);
                figures_.erase(figures_.begin() + static_cast<long>(i));
                state_.figures.erase(state_.figures.begin() + static_cast<long>(i));
                return "figure " + std::to_string(i + 1) + " removed";
            }
            FigureState figure;
            int kind = Uniform(0, 9);
            // One figure of a few leaves of every kind at a time.
            if (kind == 4)
                for (const FigureState& other : state_.figures)
                    if (other.kind == FigureState::eMixed) kind = 2;
            // Where a figure goes: anywhere among the blocks, or (a quadric, a marker) now and then
            // inside a seen block.
            const auto where = [&](bool inside) {
                SPAtransf turn = rotate_transf(Real(0, 3), normalise(SPAvector(Real(-1, 1), Real(-1, 1), Real(0.2, 1))));
                SPAposition at = At(Real(-30, 50), Real(-30, 50), Real(-5, 30));
                const int i = inside && Uniform(0, 1) ? AShownBlock() : -1;
                if (i >= 0) {
                    const BlockState& block = state_.blocks[size_t(i)];
                    at = Between(Real(0.3, 0.7), block.FaceLow(), block.FaceHigh()) * Placement(block);
                }
                return turn * translate_transf(at - SPAposition(0, 0, 0));
            };
            if (kind == 4) {
                figure.kind = FigureState::eMixed;
                std::vector<int> all(vyrtest::EveryLeafKind(SPAtransf()).size());
                for (size_t k = 0; k < all.size(); ++k) all[k] = static_cast<int>(k);
                std::shuffle(all.begin(), all.end(), random_);
                figure.leaves.assign(all.begin(), all.begin() + Uniform(2, 4));
                figure.placement = where(false);
                figure.own = translate_transf(SPAvector(Real(-5, 5), Real(-5, 5), Real(-2, 2)));
                state_.figures.push_back(figure);
                figures_.push_back(MakeFigure(figure));
                figures_.back()->Record(true, &view);
                return "figure recorded: " + std::to_string(figure.leaves.size()) + " leaves of every kind";
            }
            if (kind == 0) {
                // A line, or a ladder of rungs a unit or so apart (lines of one figure a pixel or two
                // from each other at some zoom), now and then one the section cuts.
                figure.kind = FigureState::eLine;
                const SPAposition a = At(Real(-50, 0), Real(-50, 0), Real(0, 10)), b = At(Real(30, 80), Real(30, 70), Real(0, 10));
                const SPAvector apart = normalise(SPAvector(Real(-1, 1), Real(-1, 1), Real(-1, 1)) * (b - a)) * Real(0.3, 3);
                const int rungs = Uniform(0, 1) ? 1 : Uniform(2, 4);
                for (int r = 0; r < rungs; ++r) {
                    figure.points.push_back(r % 2 ? b + r * apart : a + r * apart);
                    figure.points.push_back(r % 2 ? a + r * apart : b + r * apart);
                }
                figure.clipable = Uniform(0, 1) == 0;
            } else if (kind == 1) {
                figure.kind = FigureState::eToolpath;
                double x = Real(-40, 40), y = Real(-40, 40);
                const double z = Real(-5, 25);
                for (int n = 0; n < 4; ++n) {
                    figure.points.push_back(At(x, y, z));
                    x += Real(-25, 25);
                    y += Real(-25, 25);
                    figure.entries.push_back(Uniform(0, 1));
                }
            } else if (kind <= 3) {
                figure.kind = FigureState::eSquare;
                // The 2-D polygon fill and the STL mesh twice as often, the fill mostly of more than
                // four corners.
                figure.leaf = Uniform(0, eLeafCount + 1);
                if (figure.leaf >= eLeafCount) figure.leaf = figure.leaf == eLeafCount ? eLeafPolyLineFill : eLeafStl;
                figure.byGenerator = figure.leaf != eLeafStl || Uniform(0, 1) == 0;
                figure.half = Real(3, 12);
                // A polygon fill of up to eight corners, now and then of many.
                if (figure.leaf == eLeafPolyLineFill) figure.corners = Uniform(0, 2) ? Uniform(4, 8) : Uniform(9, 32);
                // Now and then see-through: blended, a figure's face hides nothing below 255.
                if (Uniform(0, 4) == 0) figure.transparency = static_cast<unsigned char>(Uniform(192, 254));
                figure.placement = where(true);
                // Now and then a shield: across the line of sight in front of a seen block, over all of it.
                double reach = 0;
                if (Uniform(0, 3) == 0 && InFrontOfABlock(figure.placement, reach))
                    figure.half = reach * Real(1.05, 1.3) / std::cos(M_PI / figure.corners);
            } else if (kind <= 6) {
                static const EDsQuadType kQuadrics[] = {eDsQuadSphere, eDsQuadCone, eDsQuadBox, eDsQuadTorus, eDsQuadDisk};
                figure.kind = FigureState::eQuadric;
                figure.leaf = kQuadrics[Uniform(0, 4)];
                figure.half = Real(2, 10);
                figure.placement = where(true);
            } else if (kind == 9) {
                // A grid of small squares crowding the cursor over a seen block, each a fraction of
                // a pixel to a few pixels wide.
                double reach = 0;
                if (!InFrontOfABlock(figure.placement, reach)) figure.placement = where(true), reach = Real(5, 20);
                figure.kind = FigureState::eGrid;
                figure.leaf = Uniform(0, 1) ? eLeafPolyLineFill : eLeafTriangles;
                // A pixel where it lies (the view's where that is not in front of the eye); far from
                // the origin a few units, more than the model's rounding there.
                const SPAposition centre = SPAposition(0, 0, 0) * figure.placement;
                const double along = (centre - view.get_eye()) % view.get_direction();
                const double pixel = view.is_perspective() && along <= view.get_hither() ? view.get_units_per_pixel()
                                                                                       : UnitsPerPixelAt(centre);
                figure.pitch = std::max(pixel, offset_.len() > 0 ? 4.0 : LeastUnitsPerPixel()) * Real(0.6, 4);
                figure.side = figure.pitch * Real(0.3, 0.8);
                figure.cells = std::max(4, std::min(24, int(reach * Real(0.6, 2) / figure.pitch)));
                figure.half = 0.5 * ((figure.cells - 1) * figure.pitch + figure.side);
            } else if (kind == 7) {
                figure.kind = FigureState::eMarker;
                figure.points = {SPAposition(0, 0, 0) * where(true)};
            } else {
                figure.kind = FigureState::ePixels;
                figure.leaf = Uniform(0, 1);
                const double scale = figure.leaf ? 0.01 : 1.0;
                for (int n = Uniform(2, 3); n > 0; --n) figure.points.emplace_back(scale * Real(5, 95), scale * Real(5, 95), 0);
            }
            state_.figures.push_back(figure);
            figures_.push_back(MakeFigure(figure));
            Record(*figures_.back(), figure, view);
            static const char* kKinds[] = {"line", "toolpath", "square", "square", "", "quadric", "quadric", "marker", "pixel polyline", "grid"};
            return std::string("figure recorded: ") + kKinds[kind];
        }
        case 18: {  // hide a shown block through its own item
            const int i = AShownBlock();
            if (i < 0) return "nothing";
            CDsItemsBody* item = context.FindDsBody(host_->Bodies()[static_cast<size_t>(i)]);
            if (!item) return "nothing";
            item->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, true);
            state_.blocks[static_cast<size_t>(i)].hiddenOnItem = true;
            return "hide block " + std::to_string(i + 1) + " on its item";
        }
        case 19:
            context.ForceShowAll();
            for (BlockState& block : state_.blocks) block.ShowAllItems();
            return "ForceShowAll";
        case 20:
            context.ReFacetAll();
            // Faceted again from their bodies: the meshes' edits are gone.
            for (BlockState& block : state_.blocks)
                if (block.shown) {
                    block.meshMoved = SPAvector(0, 0, 0);
                    block.meshMoves.clear();
                }
            return "ReFacetAll";
        case 21: {
            static const unsigned kColors[] = {0xFFFFFF, 0x0000FF, 0x80FF80};
            state_.light = kColors[Uniform(0, 2)];
            context.GetLight(0)->SetProperties(*state_.light, 0.2f, 1.0f, 1.0f);
            return "light 0's colour";
        }
        case 22: {
            state_.ucs = !state_.ucs;
            SetUcs(context, state_.ucs, entities_);
            return state_.ucs ? "reference system turned" : "reference system back";
        }
        case 23: {  // flip a block's normals
            const int i = AShownBlock();
            if (i < 0) return "nothing";
            Flip(context, host_->Bodies()[static_cast<size_t>(i)]);
            state_.blocks[static_cast<size_t>(i)].flipped = !state_.blocks[static_cast<size_t>(i)].flipped;
            return "flip the normals of block " + std::to_string(i + 1);
        }
        case 24: {  // hide a shown block by its object path, or show one so hidden again
            const int i = Uniform(0, static_cast<int>(state_.blocks.size()) - 1);
            BlockState& block = state_.blocks[static_cast<size_t>(i)];
            if (!block.shown) return "nothing";
            const CVyrObjectPath path = host_->PathOf(host_->Bodies()[static_cast<size_t>(i)]);
            block.hiddenByPath = !block.hiddenByPath;
            if (block.hiddenByPath)
                context.ForceHide(path);
            else
                context.ResetHideShow(path);
            return (block.hiddenByPath ? "hide by path block " : "show by path block ") + std::to_string(i + 1);
        }
        case 25: {  // move a shown block by a transform id of the scene database
            const int i = Uniform(0, static_cast<int>(state_.blocks.size()) - 1);
            BlockState& block = state_.blocks[static_cast<size_t>(i)];
            if (!block.shown) return "nothing";
            if (!block.transformId) {
                block.transformId = context.NewTransformId();
                context.SetTransformId(host_->PathOf(host_->Bodies()[static_cast<size_t>(i)]), block.transformId);
            }
            block.moved = translate_transf(SPAvector(Real(-20, 20), Real(-20, 20), Real(-10, 10)));
            context.SetTransform(block.transformId, block.moved);
            return "move block " + std::to_string(i + 1) + " by a transform id";
        }
        case 26: {  // a perspective eye close to the blocks, or among them
            std::vector<const BlockState*> seen;
            SPAposition low(kInfinity, kInfinity, kInfinity), high(-kInfinity, -kInfinity, -kInfinity);
            for (const BlockState& block : state_.blocks) {
                if (!Seen(block)) continue;
                seen.push_back(&block);
                for (int c = 0; c < 8; ++c) {
                    const SPAposition p = Corner(block.FaceLow(), block.FaceHigh(), c) * Placement(block);
                    low = SPAposition(std::min(low.x(), p.x()), std::min(low.y(), p.y()), std::min(low.z(), p.z()));
                    high = SPAposition(std::max(high.x(), p.x()), std::max(high.y(), p.y()), std::max(high.z(), p.z()));
                }
            }
            if (seen.empty()) return "nothing";
            const BlockState& aim = *seen[static_cast<size_t>(Uniform(0, static_cast<int>(seen.size()) - 1))];
            const SPAposition target =
                Between(0.5, aim.FaceLow(), aim.FaceHigh()) * Placement(aim);
            SPAposition eye(Real(low.x() - 15, high.x() + 15), Real(low.y() - 15, high.y() + 15),
                            Real(low.z() - 15, high.z() + 15));
            if ((eye - target).len() < 2) eye = eye + SPAvector(3, -4, 5);
            const SPAvector out = normalise(eye - target);
            const SPAvector up = std::fabs(out.z()) > 0.9 ? SPAvector(0, 1, 0) : SPAvector(0, 0, 1);
            view.set_perspective(true);
            view.set_eye(eye);
            view.set_target(target);
            view.set_up(up);
            // Now and then in a window of a few pixels, where a block reaching behind the eye may
            // fill the viewport.
            const bool tiny = Uniform(0, 3) == 0;
            if (tiny) {
                state_.width = Uniform(2, 5), state_.height = Uniform(2, 5);
                host_->Resize(state_.width, state_.height);
            }
            // About sixty degrees across.
            const double distance = (eye - target).len();
            const double height = std::max(2 * distance * std::tan(M_PI / 6), 1e-3);
            view.set_height(height);
            view.set_width(height * state_.width / state_.height);
            view.set_hither(0.05);
            view.set_yon(2000);
            return tiny ? "perspective eye among the blocks, window " + std::to_string(state_.width) + " x " +
                              std::to_string(state_.height)
                        : "perspective eye among the blocks";
        }
        case 27: {  // a new block flush with a shown one: touching it, a face plane shared
            if (state_.blocks.size() >= 6) return "nothing";
            std::vector<int> sources;
            for (size_t i = 0; i < state_.blocks.size(); ++i)
                if (state_.blocks[i].shown && !state_.blocks[i].transformId && state_.blocks[i].meshMoved.len() == 0 &&
                    !state_.blocks[i].cone)
                    sources.push_back(static_cast<int>(i));
            if (sources.empty()) return "nothing";
            const BlockState& source = state_.blocks[static_cast<size_t>(sources[static_cast<size_t>(
                Uniform(0, static_cast<int>(sources.size()) - 1))])];
            BlockState block;
            const int touch = Uniform(0, 2), shared = (touch + 1 + Uniform(0, 1)) % 3;
            // Now and then sunk into it by a fraction of a pixel: the edges of its touching face lie
            // that far behind the other's face, which the frame's polygon offset lets them show through.
            const double sunk = Uniform(0, 2) == 0 ? Real(0.05, 0.5) * host_->View().get_units_per_pixel() : 0.0;
            double lo[3], hi[3];
            for (int a = 0; a < 3; ++a) {
                const double l = source.low.coordinate(a), h = source.high.coordinate(a), size = h - l;
                if (a == touch) {
                    const double length = Real(5, 25);
                    if (Uniform(0, 1)) lo[a] = h - sunk, hi[a] = h + length;
                    else lo[a] = l - length, hi[a] = l + sunk;
                } else if (a == shared) {
                    // The same face plane on one side; the other side anywhere.
                    if (Uniform(0, 1)) hi[a] = h, lo[a] = h - Real(0.3, 1.5) * size;
                    else lo[a] = l, hi[a] = l + Real(0.3, 1.5) * size;
                } else {
                    lo[a] = l + Real(-0.5, 0.5) * size;
                    hi[a] = lo[a] + Real(0.3, 1.2) * size;
                }
            }
            block.low = SPAposition(lo[0], lo[1], lo[2]);
            block.high = SPAposition(hi[0], hi[1], hi[2]);
            block.placed = source.placed;
            block.placement = source.placement;
            NewBlock(block);
            if (block.placed)
                host_->Context().SetTransformation(host_->Bodies().back(), state_.blocks.back().placement);
            return "show block " + std::to_string(state_.blocks.size()) + (sunk > 0 ? " sunk a little into another" : " flush with another");
        }
        case 28: {  // the meshes of a block's faces moved in place
            const int i = AShownBlock();
            if (i < 0) return "nothing";
            BlockState& block = state_.blocks[static_cast<size_t>(i)];
            const SPAvector by(Real(-15, 15), Real(-15, 15), Real(-5, 5));
            vyrtest::MoveFaceMeshesAbove(context.FindDsBody(host_->Bodies()[static_cast<size_t>(i)]), -kInfinity, by);
            block.meshMoved = block.meshMoved + by;
            block.meshMoves.push_back(by);
            // Picked before the next refresh as well, and drawn as a fresh host draws the edited mesh.
            picksBeforeRefresh_ = true;
            freshCheck_ = true;
            return "mesh of block " + std::to_string(i + 1) + " moved in place";
        }
        case 29: {  // a palette entry of the toolpaths recoloured, hidden or shown
            CDsAttributesPalette* palette = context.GetScene()->GetAttributesPalette();
            const int entry = Uniform(0, 1);
            if (Uniform(0, 1)) {
                static const unsigned kColors[] = {0x00FFFF, 0xFFFF00, 0xFF00FF, 0x40C0FF};
                state_.entryColor[entry] = kColors[Uniform(0, 3)];
            } else {
                state_.entryHidden[entry] = !state_.entryHidden[entry];
            }
            palette->SetAttributes(entry, Entry(state_.entryColor[entry], state_.entryHidden[entry]));
            return "palette entry " + std::to_string(entry) + (state_.entryHidden[entry] ? " hidden" : " shown");
        }
        case 30: {  // a host's call the context refuses, which must change nothing
            const int i = AShownBlock();
            if (i < 0) return "nothing";
            BODY* shownBody = host_->Bodies()[static_cast<size_t>(i)];
            const int id = host_->IdOf(shownBody);
            CDsAttributes look;
            look.SetColor(0xFF00FF);
            picksBeforeRefresh_ = true;
            freshCheck_ = true;
            switch (Uniform(0, 3)) {
            case 3:  // the shown block's hide under an id that holds nothing
                EXPECT_FALSE(VyrHideBody(&context, shownBody, 2000 + id));
                return "block " + std::to_string(i + 1) + "'s hide refused under an id that holds nothing";
            case 0: {  // a new body under the shown block's id; the host then frees it, as told
                BODY* stray = make_block(-5, -5, -5, 5, 5, 5);
                EXPECT_FALSE(VyrShowBody(&context, stray, id, &look));
                EXPECT_EQ(context.FindDsBody(stray), nullptr);
                stray->lose();
                context.ReFacetAll();  // it would reach the freed body had the refusal kept it
                // Faceted again from their bodies, as after "ReFacetAll".
                for (BlockState& block : state_.blocks)
                    if (block.shown) {
                        block.meshMoved = SPAvector(0, 0, 0);
                        block.meshMoves.clear();
                    }
                return "a new body refused under block " + std::to_string(i + 1) + "'s id";
            }
            case 1:  // the shown block again, under an id of its own
                EXPECT_FALSE(VyrShowBody(&context, shownBody, 1000 + id, &look));
                return "block " + std::to_string(i + 1) + " refused under a second id";
            default: {  // another body's hide under the shown block's id
                const int j = Uniform(0, static_cast<int>(state_.blocks.size()) - 1);
                if (j == i) return "nothing";
                EXPECT_FALSE(VyrHideBody(&context, host_->Bodies()[static_cast<size_t>(j)], id));
                return "block " + std::to_string(j + 1) + "'s hide refused under block " + std::to_string(i + 1) + "'s id";
            }
            }
        }
        case 31: {  // a face of a shown block hidden on its own item, or shown again
            const int i = AShownBlock();
            if (i < 0) return "nothing";
            BlockState& block = state_.blocks[static_cast<size_t>(i)];
            CDsItemsBody* item = context.FindDsBody(host_->Bodies()[static_cast<size_t>(i)]);
            if (!item || item->FacesCount() == 0 || block.cone) return "nothing";
            picksBeforeRefresh_ = true;
            freshCheck_ = true;
            // Now and then one shown again on its item.
            if (!block.hiddenFaces.empty() && Uniform(0, 2) == 0) {
                const size_t k = static_cast<size_t>(Uniform(0, static_cast<int>(block.hiddenFaces.size()) - 1));
                vyrtest::HideOnItem(item->GetFaceItem(block.hiddenFaces[k]), false, Uniform(0, 1) == 0);
                block.hiddenFaces.erase(block.hiddenFaces.begin() + static_cast<long>(k));
                block.hiddenSides.erase(block.hiddenSides.begin() + static_cast<long>(k));
                return "a face of block " + std::to_string(i + 1) + " shown again on its item";
            }
            const int k = Uniform(0, item->FacesCount() - 1);
            if (std::find(block.hiddenFaces.begin(), block.hiddenFaces.end(), k) != block.hiddenFaces.end()) return "nothing";
            CDsItemsFace* face = item->GetFaceItem(k);
            if (!face || !face->GetMesh()) return "nothing";
            // The box of its mesh, in the block's own coordinates.
            struct Box : CDsTrianglesCollector {
                SPAposition low{kInfinity, kInfinity, kInfinity}, high{-kInfinity, -kInfinity, -kInfinity};
                void AddTriangle(const SPAposition& a, const SPAposition& b, const SPAposition& c) override
                {
                    for (const SPAposition& p : {a, b, c}) {
                        low = SPAposition(std::min(low.x(), p.x()), std::min(low.y(), p.y()), std::min(low.z(), p.z()));
                        high = SPAposition(std::max(high.x(), p.x()), std::max(high.y(), p.y()), std::max(high.z(), p.z()));
                    }
                }
            } box;
            face->GetMesh()->CollectMeshTriangles(box);
            if (!(box.low.x() <= box.high.x())) return "nothing";
            const SPAposition low = box.low, high = box.high;
            // Its side: the axis it is flat along, at the block's low or high end.
            int axis = 0;
            for (int a = 1; a < 3; ++a)
                if (high.coordinate(a) - low.coordinate(a) < high.coordinate(axis) - low.coordinate(axis)) axis = a;
            const double middle = 0.5 * (low.coordinate(axis) + high.coordinate(axis));
            const bool highSide =
                std::fabs(middle - block.FaceHigh().coordinate(axis)) < std::fabs(middle - block.FaceLow().coordinate(axis));
            vyrtest::HideOnItem(face, true, Uniform(0, 1) == 0);
            block.hiddenFaces.push_back(k);
            block.hiddenSides.emplace_back(axis, highSide);
            return "face " + std::to_string(k) + " of block " + std::to_string(i + 1) + " hidden on its item";
        }
        case 32: {  // an edge of a shown block told to hide on its own item, or to show again
            const int i = AShownBlock();
            if (i < 0) return "nothing";
            BlockState& block = state_.blocks[static_cast<size_t>(i)];
            CDsItemsBody* item = context.FindDsBody(host_->Bodies()[static_cast<size_t>(i)]);
            if (!item || item->EdgesCount() == 0 || block.cone) return "nothing";
            picksBeforeRefresh_ = true;
            freshCheck_ = true;
            // A solid's edge shows while a face beside it does, whatever its own item is told (through
            // its hide level or its attributes given whole): the window changes nothing.
            const int k = Uniform(0, item->EdgesCount() - 1);
            const bool blank = Uniform(0, 1) == 0;
            vyrtest::HideOnItem(item->GetEdgeItem(k), blank, Uniform(0, 1) == 0);
            return "edge " + std::to_string(k) + " of block " + std::to_string(i + 1) + " told to " + (blank ? "hide" : "show");
        }
        case 33: {  // another host's document drawn and closed, its window first; then a figure recorded
            {
                Host other(40, 30);
                other.ShowBlock(At(-5, -5, -5), At(5, 5, 5));
                other.Refresh();
                other.Close(true);
            }
            recordNext_ = true;
            const std::string recorded = Act(17);
            recordNext_ = false;
            freshCheck_ = true;
            return "after another host's window went, " + recorded;
        }
        case 34: {  // a copy of a shown block, hidden or shown again on its own item, or taken away
            std::vector<int> sources;
            for (size_t i = 0; i < state_.blocks.size(); ++i) {
                const BlockState& block = state_.blocks[i];
                if (Seen(block) && !block.cone && !block.transformId) sources.push_back(static_cast<int>(i));
            }
            freshCheck_ = true;
            if (!copies_.empty() && Uniform(0, 1)) {
                const size_t c = static_cast<size_t>(Uniform(0, static_cast<int>(copies_.size()) - 1));
                CopyState& copy = copies_[c];
                if (Uniform(0, 3) == 0) {
                    DropCopy(c);
                    return "a copy taken away";
                }
                auto* group = dynamic_cast<CDsItemsCopy*>(context.FindDsItem(copy.copy));
                if (!group) return "nothing";
                copy.hidden = !copy.hidden;
                vyrtest::HideOnItem(group, copy.hidden, Uniform(0, 1) == 0);
                return copy.hidden ? "a copy hidden on its item" : "a copy shown again on its item";
            }
            if (sources.empty() || copies_.size() >= 3) return "nothing";
            CopyState copy;
            copy.block = sources[static_cast<size_t>(Uniform(0, static_cast<int>(sources.size()) - 1))];
            copy.moved = Uniform(0, 5) == 0 ? translate_transf(SPAvector(std::nan(""), 0, 0))
                                            : translate_transf(SPAvector(Real(-40, 40), Real(-40, 40), Real(-20, 20)));
            copy.id = nextCopyId_++;
            BODY* body = host_->Bodies()[static_cast<size_t>(copy.block)];
            copy.instance = new CVyrEntInstance(body, copy.moved);
            ENTITY_LIST bodies;
            copy.instance->GetEntities(bodies);
            copy.copy = bodies.count() == 1 ? bodies[0] : nullptr;
            CDsAttributes look;
            look.SetColor(0x40A0FF);
            if (!copy.moved.valid()) {
                // A placement that describes none is refused and changes nothing.
                EXPECT_FALSE(copy.copy && VyrShowCopy(&context, copy.copy, copy.id, &look));
                copy.instance->lose();
                picksBeforeRefresh_ = true;
                return "a copy refused for its placement";
            }
            if (!copy.copy || !VyrShowCopy(&context, copy.copy, copy.id, &look)) {
                ADD_FAILURE() << "a copy of block " << copy.block + 1 << " was refused";
                copy.instance->lose();
                return "nothing";
            }
            copies_.push_back(copy);
            return "a copy of block " + std::to_string(copy.block + 1) + " shown";
        }
        case 35: {  // a perspective eye inside a block or beside one, looking along its longest side
            // Of the blocks whose faces lie where their edges do (meshes not moved in place), if any.
            std::vector<int> seen, kept;
            for (size_t i = 0; i < state_.blocks.size(); ++i)
                if (Seen(state_.blocks[i]) && !state_.blocks[i].cone) {
                    seen.push_back(static_cast<int>(i));
                    if (state_.blocks[i].meshMoved.len() == 0) kept.push_back(static_cast<int>(i));
                }
            if (seen.empty()) return "nothing";
            if (!kept.empty()) seen = kept;
            const BlockState& block = state_.blocks[size_t(seen[size_t(Uniform(0, int(seen.size()) - 1))])];
            const SPAposition low = block.low, high = block.high;
            int axis = 0;
            for (int a = 1; a < 3; ++a)
                if (high.coordinate(a) - low.coordinate(a) > high.coordinate(axis) - low.coordinate(axis)) axis = a;
            // Inside (an interior view), or a little outside a side face (a walk along it): the
            // block's long edges reach behind the eye either way. Far from the origin, where single
            // precision decides whether a block's own faces hide its edges seen from inside, beside.
            const bool inside = Uniform(0, 1) == 0 && offset_.len() == 0;
            SPAposition eye = Between(0.5, low, high);
            for (int a = 0; a < 3; ++a) {
                const double l = low.coordinate(a), h = high.coordinate(a);
                eye.set_coordinate(a, a == axis ? l + Real(0.1, 0.4) * (h - l) : l + Real(0.2, 0.8) * (h - l));
            }
            if (!inside) {
                const int side = (axis + Uniform(1, 2)) % 3;
                const bool up = Uniform(0, 1) == 1;
                eye.set_coordinate(side, up ? high.coordinate(side) + Real(0.5, 6) : low.coordinate(side) - Real(0.5, 6));
            }
            SPAvector along(0, 0, 0);
            along.set_component(axis, 1);
            const SPAvector tilt(Real(-0.3, 0.3), Real(-0.3, 0.3), Real(-0.3, 0.3));
            // The target far enough along that a pixel there is no smaller than single precision holds
            // still (the picture does not depend on it).
            const double reach = std::max(high.coordinate(axis) - low.coordinate(axis), offset_.len() > 0 ? 150.0 : 0.0);
            const SPAposition target = eye + reach * normalise(along + tilt);
            const SPAtransf placement = Placement(block);
            const SPAvector out = normalise((eye - target) * placement);
            const SPAvector up = std::fabs(out.z()) > 0.9 ? SPAvector(0, 1, 0) : SPAvector(0, 0, 1);
            view.set_perspective(true);
            view.set_eye(eye * placement);
            view.set_target(target * placement);
            view.set_up(up);
            // Sixty to a hundred degrees across, the near plane close to the eye.
            const double distance = (target - eye).len();
            const double height = 2 * distance * std::tan(Real(30, 50) * M_PI / 180);
            view.set_height(height);
            view.set_width(height * state_.width / state_.height);
            view.set_hither(Real(0.05, 1));
            view.set_yon(2000);
            return inside ? "perspective eye inside block " + std::to_string(&block - state_.blocks.data() + 1)
                          : "perspective eye beside block " + std::to_string(&block - state_.blocks.data() + 1);
        }
        }
        return "nothing";
    }

    // A copy of a block the host shows (VyrShowCopy), which the model knows only by where it may
    // draw: its picks and snaps are left unjudged, its picture is compared with a fresh host's.
    struct CopyState {
        int block = 0;               // the block it copies
        SPAtransf moved;             // the instance's transform
        int id = 0;                  // its item id
        CVyrEntInstance* instance = nullptr;
        ENTITY* copy = nullptr;      // the copy body shown
        bool hidden = false;         // hidden on its own item
    };
    // Takes copy `c` away (hidden from the context, its instance lost).
    void DropCopy(size_t c)
    {
        VyrHideCopy(&host_->Context(), copies_[c].copy, copies_[c].id);
        copies_[c].instance->lose();
        copies_.erase(copies_.begin() + static_cast<long>(c));
    }
    // Takes away the copies of block `i` (before it leaves the context: they would draw nothing).
    void DropCopies(int i)
    {
        for (size_t c = copies_.size(); c-- > 0;)
            if (copies_[c].block == i) DropCopy(c);
    }
    // Whether drawable point (x, y) lies within `margin` pixels of where a copy may draw.
    bool NearCopy(double x, double y, double margin)
    {
        for (const CopyState& copy : copies_) {
            const BlockState& block = state_.blocks[static_cast<size_t>(copy.block)];
            std::vector<SPAposition> corners;
            // The copied body's items under the body's own placement (not a transform id's, which
            // places the body's database item alone), then the instance's transform.
            const SPAtransf placed = block.placed ? block.placement : SPAtransf();
            for (int c = 0; c < 8; ++c)
                for (const SPAposition& p : {Corner(block.low, block.high, c), Corner(block.FaceLow(), block.FaceHigh(), c)})
                    corners.push_back(p * placed * copy.moved);
            if (BoxNear(corners, static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), margin)) return true;
        }
        return false;
    }

    // Whether the view is one OpenGL's single precision cannot draw as the exact projection the
    // model judges by: a perspective wider than 150 degrees (a window made larger keeps its units
    // a pixel, which widens a near eye's field), towards whose edges it places things apart, or a
    // pixel smaller than two of its steps at the scene's size (ZoomAll of a scene of one point).
    bool Unjudged()
    {
        CDsView3dCdc& view = host_->View();
        const SPAposition t = view.get_target();
        const double size = std::max({1.0, std::fabs(t.x()), std::fabs(t.y()), std::fabs(t.z())});
        if (!(view.get_units_per_pixel() > 2 * std::numeric_limits<float>::epsilon() * size)) return true;
        if (!view.is_perspective()) return false;
        const double distance = (t - view.get_eye()).len();
        return !(0.5 * std::max(view.get_width(), view.get_height()) < std::tan(75 * M_PI / 180) * distance);
    }

    // Shows block `i`, hidden or taken out by the host, again (its `shown` left to the caller).
    void ShowAgain(size_t i)
    {
        BlockState& block = state_.blocks[i];
        BODY* body = host_->Bodies()[i];
        if (block.removed)
            host_->Context().add(body);
        else
            host_->ShowAgain(body);
        block.removed = false;
        if (block.placed) host_->Context().SetTransformation(body, block.placement);
        // Shown anew, the body has new items: nothing hides it, flips its normals or has moved its
        // meshes.
        block.ShowAllItems();
        block.flipped = false;
        block.meshMoved = SPAvector(0, 0, 0);
        block.meshMoves.clear();
    }

    // Whether the run judged fewer samples by step `step` than its end asks for (see Run): a run
    // whose window stays a few pixels wide, or looks away from the scene, for long.
    bool BehindInCoverage(int step) const
    {
        return picksChecked_ < step || thingsExpected_ < step / 15 || snapsAnswered_ < step / 4 || behindEyeSnaps_ < step / 10;
    }
    // The host's step back to a view of the scene when the run fell behind: a window of 100 x 100
    // pixels again, parallel, the scene fitted, the copies and the figures of every leaf kind, near
    // which samples go unjudged, taken away; when snaps or things under the cursor fell behind,
    // every block shown again. When only snaps over edges reaching behind a perspective eye fell
    // behind, an eye inside or beside a block instead of the fitted view.
    std::string Recover(int step)
    {
        CDsView3dCdc& view = host_->View();
        const bool onlyBehindTheEye =
            !(picksChecked_ < step || thingsExpected_ < step / 15 || snapsAnswered_ < step / 4);
        if (thingsExpected_ < step / 15 || snapsAnswered_ < step / 4) {
            // The blocks shown again, however the scene hid them (it may have hidden most).
            host_->Context().ForceShowAll();
            for (size_t i = 0; i < state_.blocks.size(); ++i) {
                BlockState& block = state_.blocks[i];
                block.ShowAllItems();
                if (block.hiddenByPath) host_->Context().ResetHideShow(host_->PathOf(host_->Bodies()[i]));
                block.hiddenByPath = false;
                if (!block.shown) ShowAgain(i);
                block.shown = true;
            }
        }
        while (!copies_.empty()) DropCopy(copies_.size() - 1);
        for (size_t i = state_.figures.size(); i-- > 0;)
            if (state_.figures[i].kind == FigureState::eMixed) {
                figures_[i]->Remove(&view);
                figures_.erase(figures_.begin() + static_cast<long>(i));
                state_.figures.erase(state_.figures.begin() + static_cast<long>(i));
            }
        if (state_.width < 60 || state_.height < 60) {
            const double upp = view.get_units_per_pixel();
            host_->Resize(100, 100);
            view.set_width(upp * 100);
            view.set_height(upp * 100);
            state_.width = state_.height = 100;
        }
        if (onlyBehindTheEye) {
            const std::string eye = Act(35);
            if (eye != "nothing") return "back to a view of the scene: " + eye;
        }
        view.set_perspective(false);
        view.ZoomAll(1.0f);
        // A scene that shows a point alone fits a window no single precision can draw: a unit a pixel.
        if (Unjudged()) {
            view.set_width(state_.width);
            view.set_height(state_.height);
        }
        return "back to a view of the scene";
    }

    // Files a new block into the state and shows it.
    void NewBlock(BlockState& block)
    {
        static const unsigned kColors[] = {Host::kOrange, 0x0000FF, 0x00FF00, 0xFF8000};
        block.color = kColors[state_.blocks.size() % 4];
        ShowShape(*host_, block);
        state_.blocks.push_back(block);
    }
    // The least zoom: a scene far from the origin no nearer than a tenth of a unit a pixel.
    double LeastUnitsPerPixel() const { return offset_.len() > 0 ? 0.5 : 1e-3; }

    static bool IsStl(const FigureState& figure) { return figure.kind == FigureState::eSquare && figure.leaf == eLeafStl; }
    // Whether a thing is a figure's line of three dimensions, drawn on top of every face.
    bool LineOnTop(int thing) const
    {
        return thing >= kFigureThing && thing - kFigureThing < int(state_.figures.size()) &&
               state_.figures[size_t(thing - kFigureThing)].kind == FigureState::eLine;
    }
    // An STL mesh outside the shaded and mixed modes, drawn as the outlines of its triangles.
    bool StlAsLines(const FigureState& figure) const
    {
        return IsStl(figure) && state_.mode != eRenderShade && state_.mode != eRenderMixed;
    }
    // A cone block's shape as the basic surface of the same cone (its faces' meshes moved in place).
    static FigureState ConeOf(const BlockState& block)
    {
        FigureState cone;
        cone.kind = FigureState::eQuadric;
        cone.leaf = eDsQuadCone;
        cone.half = 0.5 * (block.high.x() - block.low.x());
        const SPAposition base = Between(0.5, block.FaceLow(), block.FaceHigh());
        cone.placement = translate_transf(SPAvector(base.x(), base.y(), block.FaceLow().z())) * Placement(block);
        return cone;
    }
    // A cone block's apex, and the centre of its base's edge.
    static SPAposition Apex(const BlockState& block)
    {
        const SPAposition mid = Between(0.5, block.low, block.high);
        return SPAposition(mid.x(), mid.y(), block.high.z()) * Placement(block);
    }
    static SPAposition BaseCentre(const BlockState& block)
    {
        const SPAposition mid = Between(0.5, block.low, block.high);
        return SPAposition(mid.x(), mid.y(), block.low.z()) * Placement(block);
    }
    // Shows a block or a cone in `host`.
    static BODY* ShowShape(Host& host, const BlockState& block)
    {
        if (!block.cone) return host.ShowBlock(block.low, block.high, block.color, block.transparency);
        const double r = 0.5 * (block.high.x() - block.low.x());
        const SPAposition base(block.low.x() + r, block.low.y() + r, block.low.z());
        return host.Show(make_cone(base, SPAvector(0, 0, 1), r, 0, 2 * r), block.color, block.transparency);
    }
    // Whether the render mode blends a block's faces, which then hide nothing.
    bool Glass(const BlockState& block) const { return state_.mode == eRenderMixed && block.transparency < 191.25; }
    // Whether a block is shown and hidden by nothing.
    static bool Seen(const BlockState& block) { return block.shown && !block.hiddenOnItem && !block.hiddenByPath; }
    // Where a block's own coordinates go: its placement, then its transform id's transform.
    static SPAtransf Placement(const BlockState& block)
    {
        SPAtransf placement = block.placed ? block.placement : SPAtransf();
        if (block.transformId) placement = placement * block.moved;
        return placement;
    }
    static SPAposition Corner(const SPAposition& low, const SPAposition& high, int c)
    {
        return SPAposition(c & 1 ? high.x() : low.x(), c & 2 ? high.y() : low.y(), c & 4 ? high.z() : low.z());
    }
    // Where a figure across the line of sight in front of a seen block goes, over the block (`reach`,
    // half the block's diagonal); false when no block is seen.
    bool InFrontOfABlock(SPAtransf& placement, double& reach)
    {
        const int i = AShownBlock();
        if (i < 0 || state_.blocks[size_t(i)].cone) return false;
        const CDsView3dCdc& view = host_->View();
        const BlockState& block = state_.blocks[size_t(i)];
        const SPAposition centre = Between(0.5, block.FaceLow(), block.FaceHigh()) * Placement(block);
        reach = 0.5 * (block.FaceHigh() - block.FaceLow()).len();
        const SPAvector towards =
            view.is_perspective() ? normalise(view.get_eye() - centre)
                                  : -SPAvector(view.get_direction().x(), view.get_direction().y(), view.get_direction().z());
        const SPAvector axis = SPAvector(0, 0, 1) * towards;
        const SPAtransf turn =
            axis.len() > 1e-9 ? rotate_transf(std::acos(std::max(-1.0, std::min(1.0, towards.z()))), axis) : SPAtransf();
        placement = turn * translate_transf(centre + (reach + Real(1, 10)) * towards - SPAposition(0, 0, 0));
        return true;
    }
    // A shown block chosen at random, -1 when none is.
    int AShownBlock()
    {
        std::vector<int> shown;
        for (size_t i = 0; i < state_.blocks.size(); ++i)
            if (state_.blocks[i].shown && !state_.blocks[i].hiddenOnItem) shown.push_back(static_cast<int>(i));
        if (shown.empty()) return -1;
        return shown[static_cast<size_t>(Uniform(0, static_cast<int>(shown.size()) - 1))];
    }
    static CDsBackground Background(const HostState& state)
    {
        CDsBackground background;
        background.SetBackground(CDsColorStorage(state.background.value_or(0)));
        background.SetGradient(CDsColorStorage(0x808080), state.gradient, false);
        return background;
    }
    static void Flip(CDsGlContext& context, BODY* body)
    {
        ENTITY_LIST faces;
        get_faces(body, faces);
        context.FlipMeshNormals(&faces);
    }
    // Entities that go when the holder goes.
    struct Entities {
        std::vector<ENTITY*> held;
        Entities() = default;
        Entities(const Entities&) = delete;
        Entities& operator=(const Entities&) = delete;
        ~Entities()
        {
            for (ENTITY* entity : held) entity->lose();
        }
    };
    // Turns the reference system by 30 degrees about z (a new entity kept in `holder`), or back.
    static void SetUcs(CDsGlContext& context, bool turned, Entities& holder)
    {
        if (!turned) {
            context.SetUcsReference(nullptr);
            return;
        }
        const double a = M_PI / 6;
        auto* wcs = new CVyrWCS(SPAposition(0, 0, 0), SPAvector(std::cos(a), std::sin(a), 0),
                                SPAvector(-std::sin(a), std::cos(a), 0));
        holder.held.push_back(wcs);
        context.SetUcsReference(wcs);
    }
    static void SetPalette(CDsGlContext& context, const HostState& state)
    {
        CDsAttributesPalette* palette = context.GetScene()->GetAttributesPalette();
        for (int entry = 0; entry < 2; ++entry)
            palette->SetAttributes(entry, Entry(state.entryColor[entry], state.entryHidden[entry]));
    }

    // --- The second host ----------------------------------------------------------------------
    // A fresh host with the live one's state: its camera read off the live view, the rest replayed.
    Picture FreshPicture(const std::function<void(Host&, const std::vector<std::unique_ptr<CDsFigure>>&)>& also = nullptr)
    {
        CDsView3dCdc& live = host_->View();
        Entities entities;  // outlives the fresh host
        Host fresh(state_.width, state_.height);
        CDsGlContext& context = fresh.Context();
        CDsView3dCdc& view = fresh.View();
        view.set_perspective(live.is_perspective());
        view.set_eye(live.get_eye());
        view.set_target(live.get_target());
        view.set_up(live.get_up());
        view.set_width(live.get_width());
        view.set_height(live.get_height());
        view.set_hither(live.get_hither());
        view.set_yon(live.get_yon());
        view.SetRenderMode(state_.mode);
        if (state_.ambient >= 0) context.SetAmbientLight(state_.ambient);
        if (state_.background) context.SetBackground(Background(state_));
        if (state_.light) context.GetLight(0)->SetProperties(*state_.light, 0.2f, 1.0f, 1.0f);
        if (state_.ucs) SetUcs(context, true, entities);
        for (const auto& flag : state_.flags) context.Set(static_cast<EDsDocumentFlag>(flag.first), flag.second);
        context.SetSilhouetteLevel(state_.silhouettes);
        if (state_.section) context.SetSection(state_.sectionPoint, state_.sectionNormal);
        SetPalette(context, state_);
        std::vector<CVyrObjectPath> highlighted;
        for (const BlockState& block : state_.blocks) {
            BODY* body = ShowShape(fresh, block);
            if (block.placed) context.SetTransformation(body, const_cast<SPAtransf&>(block.placement));
            if (!block.shown) fresh.Hide(body);
            if (block.shown && block.flipped) Flip(context, body);
            if (block.shown)
                for (const SPAvector& by : block.meshMoves)
                    vyrtest::MoveFaceMeshesAbove(context.FindDsBody(body), -kInfinity, by);
            if (block.shown && block.hiddenOnItem)
                context.FindDsBody(body)->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, true);
            if (block.shown) {
                CDsItemsBody* item = context.FindDsBody(body);
                for (int k : block.hiddenFaces) item->GetFaceItem(k)->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, true);
            }
            if (block.highlighted) highlighted.push_back(fresh.PathOf(body));
            if (block.hiddenByPath) context.ForceHide(fresh.PathOf(body));
            if (block.transformId) {
                const unsigned short id = context.NewTransformId();
                context.SetTransformId(fresh.PathOf(body), id);
                context.SetTransform(id, block.moved);
            }
        }
        // The copies, as the live host shows them.
        std::vector<std::pair<CVyrEntInstance*, ENTITY*>> copies;
        for (const CopyState& copy : copies_) {
            auto* instance = new CVyrEntInstance(fresh.Bodies()[static_cast<size_t>(copy.block)], copy.moved);
            ENTITY_LIST bodies;
            instance->GetEntities(bodies);
            CDsAttributes look;
            look.SetColor(0x40A0FF);
            EXPECT_TRUE(bodies.count() == 1 && VyrShowCopy(&context, bodies[0], copy.id, &look));
            if (copy.hidden)
                if (auto* group = dynamic_cast<CDsItemsCopy*>(context.FindDsItem(bodies[0])))
                    group->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, true);
            copies.emplace_back(instance, bodies.count() == 1 ? bodies[0] : nullptr);
        }
        // The figures recorded in the other order: no figure's leaves may change another's.
        std::vector<std::unique_ptr<CDsFigure>> figures(state_.figures.size());
        for (size_t j = state_.figures.size(); j-- > 0;) {
            figures[j] = MakeFigure(state_.figures[j]);
            Record(*figures[j], state_.figures[j], view);
        }
        fresh.Refresh();
        if (!highlighted.empty()) context.HighlightLocations(highlighted, eAttribSetHighlight);
        Picture picture = fresh.Front();
        if (also) also(fresh, figures);
        for (std::unique_ptr<CDsFigure>& figure : figures) figure->Remove(&view);
        for (size_t c = 0; c < copies.size(); ++c) {
            if (copies[c].second) VyrHideCopy(&context, copies[c].second, copies_[c].id);
            copies[c].first->lose();
        }
        return picture;
    }

    // --- What a pick must answer ----------------------------------------------------------------
    // The surface a thing shows along a ray: the ray's parameter (infinity: none) and the normal
    // of the face it shows there.
    struct Surface {
        double t = kInfinity;
        SPAvector normal;
        bool glass = false;  // a see-through face: it hides nothing
        double spread = 0;   // how much farther along the ray the tessellation may draw it
        int face = 0;        // a block's side met: 2 axis + 1 for the high one
        bool maybe = false;  // met within rounding of its outline (a polygon's, a grid square's): it may be missed
    };

    // For each thing (blocks, then figures), the surface the ray through drawable point (x, y)
    // meets of what shows of it; false when there is no ray, and `unsure` when the near or far
    // plane cuts a thing there (what shows is the frame's business, its planes being fitted as it
    // draws). The ray's start and direction go to `start` and `direction` when asked for.
    // With `copies`, also where the ray meets each copy shown (infinity where it does not).
    bool SurfacesAlong(double x, double y, std::vector<Surface>& surfaces, bool& unsure, SPAposition* rayStart = nullptr,
                       SPAunit_vector* rayDirection = nullptr, std::vector<double>* copies = nullptr)
    {
        unsure = false;
        SPAposition start;
        SPAunit_vector direction;
        CDsView3dCdc& view = host_->View();
        if (!view.drawable_to_ray(x, y, start, direction)) return false;
        if (rayStart) *rayStart = start;
        if (rayDirection) *rayDirection = direction;
        // The distance in front of the eye along the view direction of the point at parameter t.
        const SPAunit_vector out = view.get_direction();
        const double along = direction.x() * out.x() + direction.y() * out.y() + direction.z() * out.z();
        const auto depth = [&](double t) { return t * along; };
        const SPAvector d(direction.x(), direction.y(), direction.z());
        const auto at = [&](double s) { return start + s * d; };
        const double nearPlane = view.get_hither(), farPlane = view.get_yon();
        surfaces.assign(state_.blocks.size() + state_.figures.size(), Surface());
        // A box placed by `placement`; `clipped`: the scene's section cuts it; `block`: the block
        // whose faces hidden on their items leave holes in it (null for a square).
        auto box = [&](const SPAposition& low, const SPAposition& high, const SPAtransf& placement, bool clipped,
                       const BlockState* block, Surface& surface) {
            const SPAtransf back = placement.inverse();
            const SPAposition localStart = start * back;
            const SPAvector localDir = d * back;
            double t0 = 0, t1 = 0;
            int axis = -1, out = -1;
            if (!RayBox(localStart, localDir, low, high, t0, t1, &axis, &out)) return;
            // The parameters along the local ray are those along the ray (a rigid placement). The
            // near plane cuts away what lies before it (behind the eye too): a box wholly before it
            // shows nothing along the ray, one the eye looks out of (from inside, or through its
            // near face cut away) shows the face the ray leaves by; within a band of the plane
            // (single precision far from the origin) the frame decides.
            const double nearBand = NearBand(nearPlane, at(std::max(t0, 0.0)));
            if (depth(t1) > farPlane * 0.95 || std::fabs(depth(t1) - nearPlane) <= nearBand) {
                unsure = true;
                return;
            }
            if (depth(t1) < nearPlane) return;
            const bool entryCut = t0 < 0 || depth(t0) < nearPlane - nearBand;
            if (!entryCut && depth(t0) <= nearPlane + nearBand) {
                unsure = true;
                return;
            }
            // The face the ray enters by shows its outside; where it is not drawn (behind the eye,
            // hidden on its item, cut away), the face it leaves by shows its inside.
            bool entryKept = !entryCut && !(block && axis >= 0 && block->SideHidden(axis, localDir.component(axis) < 0));
            bool exitKept = !(block && out >= 0 && block->SideHidden(out, localDir.component(out) > 0));
            // Where the ray passes by a side between a face hidden on its item and one shown, a
            // rounding decides which it meets.
            if (block && !block->hiddenSides.empty()) {
                for (const auto& end : {std::make_pair(t0, axis), std::make_pair(t1, out)}) {
                    if (end.second < 0 || (end.first < 0 && end.first == t0)) continue;
                    const SPAposition q = localStart + end.first * localDir;
                    const bool onHigh = q.coordinate(end.second) > 0.5 * (low.coordinate(end.second) + high.coordinate(end.second));
                    const bool hidden = block->SideHidden(end.second, onHigh);
                    const double near = Tolerance(start + end.first * d) + 0.5 * UnitsPerPixelAt(start + end.first * d);
                    for (int b = 0; b < 3; ++b)
                        for (const bool side : {false, true})
                            if (b != end.second &&
                                std::fabs(q.coordinate(b) - (side ? high.coordinate(b) : low.coordinate(b))) <= near &&
                                block->SideHidden(b, side) != hidden)
                                unsure = true;
                }
            }
            if (clipped && state_.section) {
                entryKept = entryKept && !host_->Context().IsPointClipped(at(t0 + 1e-6 * std::max(1.0, t0)));
                exitKept = exitKept && !host_->Context().IsPointClipped(at(t1 - 1e-6 * std::max(1.0, t1)));
                // A face that near the section plane may be cut or kept.
                for (const double t : {t0, t1}) {
                    const SPAposition p = at(t);
                    if (std::fabs((p - state_.sectionPoint) % state_.sectionNormal) <= SectionRounding(p)) unsure = true;
                }
            }
            if (!entryKept && !exitKept) return;
            surface.t = entryKept ? t0 : t1;
            surface.glass = block && Glass(*block);
            const int face = entryKept ? axis : out;
            if (face >= 0) surface.face = 2 * face + ((localDir.component(face) < 0) == entryKept ? 1 : 0);
            SPAvector local(0, 0, 0);
            if (face >= 0) local.set_component(face, 1);
            surface.normal = local * placement;
        };
        for (size_t i = 0; i < state_.blocks.size(); ++i) {
            const BlockState& block = state_.blocks[i];
            if (!Seen(block)) continue;
            if (!block.cone) {
                box(block.FaceLow(), block.FaceHigh(), Placement(block), true, &block, surfaces[i]);
                continue;
            }
            // A cone the section cuts is not judged where the ray meets its box.
            int clipped = 0;
            for (int c = 0; c < 8 && state_.section; ++c)
                clipped += host_->Context().IsPointClipped(Corner(block.FaceLow(), block.FaceHigh(), c) * Placement(block));
            if (clipped == 8) continue;
            const FigureState cone = ConeOf(block);
            const SPAtransf back = cone.placement.inverse();
            double t = 0, spread = 0;
            SPAvector normal;
            bool edge = false;
            if (!RayQuadric(cone, start * back, d * back, t, spread, normal, edge, true)) {
                unsure = unsure || edge;
                continue;
            }
            unsure = unsure || edge || clipped > 0 || depth(t) < nearPlane * 1.05 + 1e-3 || depth(t + spread) > farPlane * 0.95;
            surfaces[i].t = t, surfaces[i].spread = spread, surfaces[i].normal = normal * cone.placement;
            surfaces[i].glass = Glass(block), surfaces[i].face = normal.z() < 0 && normal.x() == 0 && normal.y() == 0;
        }
        for (size_t j = 0; j < state_.figures.size(); ++j) {
            const FigureState& figure = state_.figures[j];
            Surface& surface = surfaces[state_.blocks.size() + j];
            const SPAtransf back = figure.placement.inverse();
            // An STL mesh the line modes draw as the outlines of its triangles shows nothing inside them.
            if ((figure.kind == FigureState::eSquare && !StlAsLines(figure)) || figure.kind == FigureState::eGrid) {
                box(SPAposition(-figure.half, -figure.half, 0), SPAposition(figure.half, figure.half, 0), figure.placement,
                    false, nullptr, surface);
                surface.glass = figure.transparency != 255;
                if (surface.t < kInfinity && (figure.corners != 4 || figure.kind == FigureState::eGrid)) {
                    const SPAposition local = at(surface.t) * back;
                    const double tolerance = Tolerance(at(surface.t));
                    const int in = figure.kind == FigureState::eGrid ? InGrid(figure, local, tolerance)
                                                                     : InPolygon(figure, local, tolerance);
                    unsure = unsure || in < 0;
                    surface.maybe = in < 0;
                    if (in == 0) surface = Surface();
                }
            }
            double t = 0, spread = 0;
            SPAvector normal;
            bool edge = false;
            if (figure.kind == FigureState::eQuadric && RayQuadric(figure, start * back, d * back, t, spread, normal, edge)) {
                unsure = unsure || edge || depth(t) < nearPlane * 1.05 + 1e-3 || depth(t + spread) > farPlane * 0.95;
                surface.t = t;
                surface.spread = spread;
                surface.normal = normal * figure.placement;
            }
            unsure = unsure || edge;
        }
        if (copies) {
            copies->clear();
            // Where a copy's meshes lie after its block's were moved in place the model does not
            // know: the box of its body and that of its block's faces.
            for (const CopyState& copy : copies_) {
                const BlockState& block = state_.blocks[static_cast<size_t>(copy.block)];
                const SPAtransf placement = (block.placed ? block.placement : SPAtransf()) * copy.moved;
                Surface body, faces;
                if (!copy.hidden) {
                    box(block.low, block.high, placement, true, nullptr, body);
                    box(block.FaceLow(), block.FaceHigh(), placement, true, nullptr, faces);
                }
                copies->push_back(std::min(body.t, faces.t));
            }
        }
        return true;
    }

    // Whether a local point of a grid's plane lies inside one of its squares: 1, 0, or -1 within
    // `tolerance` of a side.
    static int InGrid(const FigureState& grid, const SPAposition& p, double tolerance)
    {
        const double a = 0.5 * grid.side;
        double worst = -kInfinity;
        for (const double c : {p.x(), p.y()}) {
            const double u = c + grid.half - a;  // from the first square's middle
            const double i = std::max(0.0, std::min(double(grid.cells - 1), std::round(u / grid.pitch)));
            worst = std::max(worst, std::fabs(u - i * grid.pitch) - a);
        }
        return worst < -tolerance ? 1 : worst > tolerance ? 0 : -1;
    }
    // Whether a local point of a square's plane lies inside its polygon: 1, 0, or -1 within
    // `tolerance` of a side.
    static int InPolygon(const FigureState& figure, const SPAposition& p, double tolerance)
    {
        const int n = figure.corners;
        const double apothem = figure.half * (n == 4 ? 1.0 : std::cos(M_PI / n));
        double worst = -kInfinity;
        for (int k = 0; k < n; ++k) {
            const double a = n == 4 ? M_PI / 2 * k : 2 * M_PI * k / n + M_PI / n;
            worst = std::max(worst, p.x() * std::cos(a) + p.y() * std::sin(a) - apothem);
        }
        return worst < -tolerance ? 1 : worst > tolerance ? 0 : -1;
    }

    // The thing the ray through drawable point (x, y) meets first (what the window shows there),
    // kNothing, or kUnsure (also where two things show at one place, as touching or flush blocks
    // do, the frame's depth test deciding between them, and where the thing is so small on the
    // screen that the pick's pre-filter may pass it over); its surface and the point the ray meets
    // into `surface` and `hit` when asked for.
    int ThingUnder(double x, double y, Surface* surface = nullptr, SPAposition* hit = nullptr)
    {
        const int thing = ThingAt(x, y, surface, hit);
        // A million units from the origin, single precision places outlines within a fraction of a
        // pixel, and so it does a perspective eye's outlines of faces it sees at a grazing angle
        // from close by: what lies that near an outline is not judged.
        const double near = offset_.len() > 0 ? 0.3 : host_->View().is_perspective() ? 0.5 : 0.0;
        if (near > 0 && thing != kUnsure)
            for (const double d : {-near, near})
                if (ThingAt(x + d, y, nullptr, nullptr) != thing || ThingAt(x, y + d, nullptr, nullptr) != thing)
                    return kUnsure;
        return thing;
    }
    int ThingAt(double x, double y, Surface* surface, SPAposition* hit, std::vector<Surface>* all = nullptr)
    {
        std::vector<Surface> local;
        std::vector<Surface>& surfaces = all ? *all : local;
        bool unsure = false;
        SPAposition start;
        SPAunit_vector direction;
        if (!SurfacesAlong(x, y, surfaces, unsure, &start, &direction) || unsure) return kUnsure;
        // The nearest solid surface, else the nearest see-through one: solid hits come first.
        int best = kNothing;
        for (size_t i = 0; i < surfaces.size(); ++i)
            if (surfaces[i].t < kInfinity &&
                (best < 0 || std::make_pair(surfaces[i].glass, surfaces[i].t) <
                                 std::make_pair(surfaces[size_t(best)].glass, surfaces[size_t(best)].t)))
                best = static_cast<int>(i);
        if (best < 0) return kNothing;
        const SPAvector d(direction.x(), direction.y(), direction.z());
        const SPAposition met = start + surfaces[static_cast<size_t>(best)].t * d;
        // The frame pushes each face back by its polygon offset, one to two times its depth slope
        // across a pixel: of two faces nearer each other than that, either may show.
        const auto slope = [&](const Surface& surface) {
            const double length = surface.normal.len();
            const double cosine = length > 0 ? std::fabs(d % surface.normal) / length : 1.0;
            return std::sqrt(std::max(0.0, 1 - cosine * cosine)) / std::max(cosine, 1e-3);
        };
        for (size_t i = 0; i < surfaces.size(); ++i)
            if (static_cast<int>(i) != best && surfaces[i].glass == surfaces[size_t(best)].glass &&
                std::fabs(surfaces[i].t - surfaces[static_cast<size_t>(best)].t) <=
                    Tolerance(met) + surfaces[i].spread + surfaces[size_t(best)].spread +
                        2 * UnitsPerPixelAt(met) * std::max(slope(surfaces[i]), slope(surfaces[size_t(best)])))
                return kUnsure;
        const size_t blocks = state_.blocks.size();
        const int thing = static_cast<size_t>(best) < blocks ? best : kFigureThing + best - static_cast<int>(blocks);
        if (SmallOnScreen(thing)) return kUnsure;
        if (surface) *surface = surfaces[static_cast<size_t>(best)];
        if (hit) *hit = met;
        return thing;
    }

    // Whether a thing may be so small on the screen that the single pick's pre-filter passes it
    // over: a window box under 6 pixels both ways and under 5 across (a container's children under
    // 5 pixels are not visited either), allowing a pixel for the box's rounding.
    bool SmallOnScreen(int thing)
    {
        std::vector<SPAposition> corners;
        if (thing >= 0 && thing < kFigureThing) {
            const BlockState& block = state_.blocks[static_cast<size_t>(thing)];
            for (int c = 0; c < 8; ++c) {
                corners.push_back(Corner(block.low, block.high, c) * Placement(block));
                corners.push_back(Corner(block.FaceLow(), block.FaceHigh(), c) * Placement(block));
            }
        } else if (thing >= kFigureThing) {
            const FigureState& figure = state_.figures[static_cast<size_t>(thing - kFigureThing)];
            // Leaves in window pixels are never that small.
            if (figure.kind == FigureState::eMarker || figure.kind == FigureState::ePixels) return false;
            corners = FigureCorners(figure);
            // A toolpath is as large as the segments its palette entries show.
            if (figure.kind == FigureState::eToolpath) {
                corners.clear();
                for (size_t i = 0; i + 1 < figure.points.size(); ++i)
                    if (!state_.entryHidden[figure.entries[i]]) corners.insert(corners.end(), {figure.points[i], figure.points[i + 1]});
            }
        }
        double x0 = kInfinity, y0 = kInfinity, x1 = -kInfinity, y1 = -kInfinity;
        for (const SPAposition& p : corners) {
            double px = 0, py = 0, depth = 0;
            if (!host_->View().world_to_drawable(p, px, py, depth) || depth <= 0) return false;
            x0 = std::min(x0, px), y0 = std::min(y0, py), x1 = std::max(x1, px), y1 = std::max(y1, py);
        }
        const double w = x1 - x0, h = y1 - y0;
        if (thing >= kFigureThing && std::max(w, h) < 6) return true;
        return w < 7 && h < 7 && std::pow(std::max(w - 1, 0.0), 2) + std::pow(std::max(h - 1, 0.0), 2) < 25;
    }

    // The largest depth a quadric figure's chords may take.
    double Chords() const
    {
        double most = 0;
        for (const FigureState& figure : state_.figures)
            if (figure.kind == FigureState::eQuadric) most = std::max(most, Chord(figure));
        return most;
    }
    // Model points whose box holds what a figure draws in the model (none for pixels).
    static std::vector<SPAposition> FigureCorners(const FigureState& figure)
    {
        if (figure.kind == FigureState::eMarker || figure.kind == FigureState::eLine || figure.kind == FigureState::eToolpath)
            return figure.points;
        if (figure.kind != FigureState::eSquare && figure.kind != FigureState::eQuadric && figure.kind != FigureState::eGrid) return {};
        SPAposition low(-figure.half, -figure.half, 0), high(figure.half, figure.half, 0);
        if (figure.kind == FigureState::eQuadric) QuadricBox(figure, low, high);
        std::vector<SPAposition> corners;
        for (int c = 0; c < 8; ++c) corners.push_back(Corner(low, high, c) * figure.placement);
        return corners;
    }

    // Whether two shown things meet the ray through drawable point (x, y) at one place (flush
    // blocks, blocks that touch): the depth test decides between them by a rounding.
    bool DepthTie(double x, double y)
    {
        std::vector<Surface> surfaces;
        std::vector<double> copies;
        bool unsure = false;
        SPAposition start;
        SPAunit_vector direction;
        if (!SurfacesAlong(x, y, surfaces, unsure, &start, &direction, &copies)) return false;
        // The things and the copies along the ray: the nearest (a copy past the things) and the next.
        const size_t none = surfaces.size() + copies.size();
        const auto tOf = [&](size_t i) { return i < surfaces.size() ? surfaces[i].t : copies[i - surfaces.size()]; };
        size_t nearest = none;
        double second = kInfinity;
        for (size_t i = 0; i < none; ++i) {
            if (!(tOf(i) < kInfinity)) continue;
            if (nearest == none || tOf(i) < tOf(nearest)) {
                if (nearest != none) second = tOf(nearest);
                nearest = i;
            } else {
                second = std::min(second, tOf(i));
            }
        }
        if (nearest == none) return false;
        const SPAposition first = start + tOf(nearest) * SPAvector(direction.x(), direction.y(), direction.z());
        const double pixel = UnitsPerPixelAt(first);
        if (second - tOf(nearest) <= 0.1 * pixel + Tolerance(first) + 2 * Chords()) return true;
        if (nearest >= surfaces.size()) return false;
        // An edge of another block drawn on the face the ray meets, a pixel from it: a block flush
        // with another lays its edges on the other's face.
        const double length = surfaces[nearest].normal.len();
        if (!(length > 0)) return false;
        const SPAvector n = surfaces[nearest].normal / length;
        const auto onFace = [&](const SPAposition& p) { return std::fabs((p - first) % n) <= 0.1 * pixel + Tolerance(first); };
        for (size_t b = 0; b < state_.blocks.size(); ++b) {
            const BlockState& block = state_.blocks[b];
            if (b == nearest || !Seen(block) || block.cone) continue;
            for (const auto& box : {std::make_pair(block.low, block.high), std::make_pair(block.FaceLow(), block.FaceHigh())})
                for (int c = 0; c < 8; ++c)
                    for (int a = 0; a < 3; ++a) {
                        if (c & (1 << a)) continue;
                        const SPAposition p = Corner(box.first, box.second, c) * Placement(block);
                        const SPAposition q = Corner(box.first, box.second, c | (1 << a)) * Placement(block);
                        if (onFace(p) && onFace(q) && SegmentDistance(first, p, q) <= 1.5 * pixel) return true;
                    }
        }
        return false;
    }
    // Whether an edge a seen block draws passes within `reach` pixels of drawable point (x, y).
    bool EdgeNear(double x, double y, double reach)
    {
        for (const BlockState& block : state_.blocks)
            for (const auto& edge : ShownEdges(block)) {
                double ax = 0, ay = 0, bx = 0, by = 0, depth = 0;
                if (!host_->View().world_to_drawable(edge.first, ax, ay, depth) || depth <= 0 ||
                    !host_->View().world_to_drawable(edge.second, bx, by, depth) || depth <= 0)
                    continue;
                const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
                const double t = length2 > 0 ? std::max(0.0, std::min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2)) : 0.0;
                if (std::hypot(ax + t * dx - x, ay + t * dy - y) <= reach) return true;
            }
        return false;
    }
    // The live picture against a fresh host's: the same but where two things meet the ray of a
    // pixel (or of a point a pixel beside its centre) at one place.
    ::testing::AssertionResult SameAsFresh(const Picture& live, const Picture& fresh)
    {
        if (live.width != fresh.width || live.height != fresh.height) return vyrtest::SamePicture(live, fresh);
        int differ = 0, firstX = -1, firstY = -1, nearFigures = 0;
        // Figures cross each other and the blocks at depths the model does not know (toolpaths
        // through the same nodes, a figure of every leaf kind in pens of its own): where they tie,
        // the order of recording decides a pixel or a few. A pen left behind for the next figure
        // changes whole lines, far more.
        constexpr int kFigureTies = 12;
        for (int y = 0; y < live.height; ++y)
            for (int x = 0; x < live.width; ++x) {
                const unsigned char* a = live.At(x, y);
                const unsigned char* b = fresh.At(x, y);
                if (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) continue;
                const double cx = x + 0.5, cy = live.height - 1 - y + 0.5;  // drawable, rows down
                bool tie = false;
                // A pixel away: the edges drawn where two faces lie flush light a pixel beside them.
                for (const double dx : {0.0, -1.0, 1.0})
                    for (const double dy : {0.0, -1.0, 1.0}) tie = tie || DepthTie(cx + dx, cy + dy);
                if (tie) continue;
                // On the window's border: an edge that ZoomAll lays along the border falls on the
                // pixels inside or outside it by a rounding of the camera.
                const bool border = x == 0 || y == 0 || x == live.width - 1 || y == live.height - 1;
                if (border && EdgeNear(cx, cy, 0.75)) continue;
                // Figures drawn on top cross each other in the order they were recorded.
                const OnTop onTop = OnTopInWindow(x, live.height - 1 - y);
                const std::vector<int>& over = onTop.sure.empty() ? onTop.maybe : onTop.sure;
                if (!over.empty() && NearAFigure(x, live.height - 1 - y, 2, over[0] - kFigureThing)) continue;
                // A figure of leaves of every kind crosses itself where the model cannot tell (its
                // leaves lie in one plane): what it draws the model leaves unjudged, as its picks.
                if (NearMixed(cx, cy, 2)) continue;
                // See-through figures over each other blend in the order they were recorded, and
                // blocks the mixed mode blends in the order the context keeps them, which a block's
                // hides and shows change (the fresh host shows them in the model's order).
                bool blended = false;
                for (const double dx : {0.0, -1.0, 1.0})
                    for (const double dy : {0.0, -1.0, 1.0})
                        blended = blended || SeeThroughFigures(cx + dx, cy + dy) >= 2 || SeeThroughBlocks(cx + dx, cy + dy) >= 2;
                if (blended) continue;
                if (NearAFigure(x, live.height - 1 - y, 2) && ++nearFigures <= kFigureTies) continue;
                if (differ++ == 0) firstX = x, firstY = y;
            }
        if (differ == 0) return ::testing::AssertionSuccess();
        if (std::getenv("VYR_HOST_SEQUENCE_TRACE")) TraceState(firstX, live.height - 1 - firstY, CDsPickedItem());
        const unsigned char* a = live.At(firstX, firstY);
        const unsigned char* b = fresh.At(firstX, firstY);
        return ::testing::AssertionFailure() << differ << " pixels differ where depth does not decide; the first at ("
                                             << firstX << ", " << firstY << ") from the bottom: (" << int(a[0]) << ", "
                                             << int(a[1]) << ", " << int(a[2]) << ") where (" << int(b[0]) << ", "
                                             << int(b[1]) << ", " << int(b[2]) << ") was expected";
    }

    // How many blocks the mixed mode blends (below wholly opaque, also those solid enough to hide)
    // the ray through drawable point (x, y) meets.
    int SeeThroughBlocks(double x, double y)
    {
        if (state_.mode != eRenderMixed) return 0;
        std::vector<Surface> surfaces;
        bool unsure = false;
        if (!SurfacesAlong(x, y, surfaces, unsure)) return 0;
        int count = 0;
        for (size_t i = 0; i < state_.blocks.size() && i < surfaces.size(); ++i)
            count += surfaces[i].t < kInfinity && state_.blocks[i].transparency < 255;
        return count;
    }
    // How many see-through figures the ray through drawable point (x, y) meets.
    int SeeThroughFigures(double x, double y)
    {
        std::vector<Surface> surfaces;
        bool unsure = false;
        if (!SurfacesAlong(x, y, surfaces, unsure)) return 0;
        int count = 0;
        for (size_t i = state_.blocks.size(); i < surfaces.size(); ++i) count += surfaces[i].t < kInfinity && surfaces[i].glass;
        return count;
    }

    // Model units a pixel at point `p`.
    double UnitsPerPixelAt(const SPAposition& p)
    {
        CDsView3dCdc& view = host_->View();
        const double upp = view.get_units_per_pixel();
        if (!view.is_perspective()) return upp;
        const double distance = (view.get_target() - view.get_eye()).len();
        const double depth = (p - view.get_eye()) % view.get_direction();
        return distance > 0 ? upp * std::max(depth, 1e-6) / distance : upp;
    }
    // Whether `position` lies on the ray through pixel (x, y) where single precision may place the
    // surface it meets at `rayHit`: the meshes hold their corners in floats, which move a face's
    // plane by up to a float's step at its size (a sixteenth of a unit a million units out), and a
    // ray that grazes the face meets the moved plane that much over the sine of its angle away.
    bool OnGrazedFace(int x, int y, const SPAposition& position, const SPAposition& rayHit, const Surface& surface)
    {
        SPAposition start;
        SPAunit_vector direction;
        if (!host_->View().drawable_to_ray(x + 0.5, y + 0.5, start, direction) || surface.normal.len() == 0) return false;
        const SPAvector d(direction.x(), direction.y(), direction.z());
        const SPAvector apart = position - rayHit;
        const double along = apart % d;
        if ((apart - along * d).len() > Tolerance(rayHit)) return false;  // off the ray
        const double size = std::max({1.0, std::fabs(rayHit.x()), std::fabs(rayHit.y()), std::fabs(rayHit.z())});
        const double step = 2 * size * std::numeric_limits<float>::epsilon();
        const double sine = std::fabs(d % surface.normal) / surface.normal.len();
        return std::fabs(along) <= Tolerance(rayHit) + step / std::max(sine, 1e-3);
    }

    // How far two positions may lie apart and still count as one: a millionth of their size, and
    // what single precision rounds far from the origin (OpenGL places lines so).
    double Tolerance(const SPAposition& p)
    {
        const double size = std::max({1.0, std::fabs(p.x()), std::fabs(p.y()), std::fabs(p.z())});
        return 1e-6 * size + (offset_.len() > 0 ? 0.3 : 0.02) * UnitsPerPixelAt(p);
    }

    // How near the section plane a point may be cut or kept by OpenGL's clipping, which rounds the
    // meshes' and the plane's places to a float step at the scene's size, and in perspective
    // measures in clip coordinates, where the plane's distance from the eye over the near distance
    // multiplies that rounding: a million units out with the eye among the blocks, units.
    double SectionRounding(const SPAposition& p)
    {
        const CDsView3dCdc& view = host_->View();
        const SPAposition eye = view.get_eye();
        const double size = std::max({1.0, std::fabs(p.x()), std::fabs(p.y()), std::fabs(p.z()), std::fabs(eye.x()),
                                      std::fabs(eye.y()), std::fabs(eye.z())});
        const double fromEye = std::fabs((eye - state_.sectionPoint) % normalise(state_.sectionNormal));
        const double lever = view.is_perspective() ? fromEye / std::max(view.get_hither(), 1e-9) : 0.0;
        return size * std::numeric_limits<float>::epsilon() * (4 + 2 * lever);
    }
    // How near the near plane (at `nearPlane`) OpenGL may cut or keep a point `p` of a face: a
    // twentieth of the plane's distance, and the float steps of the point's and the eye's size.
    double NearBand(double nearPlane, const SPAposition& p)
    {
        const SPAposition eye = host_->View().get_eye();
        const double size = std::max({1.0, std::fabs(p.x()), std::fabs(p.y()), std::fabs(p.z()), std::fabs(eye.x()),
                                      std::fabs(eye.y()), std::fabs(eye.z())});
        return 0.05 * nearPlane + 1e-3 + 8 * size * std::numeric_limits<float>::epsilon();
    }
    // The step along the section's normal within which the window may cut or keep `p`: OpenGL
    // clips in single precision, a quarter of a pixel, or its rounding far out.
    SPAvector SectionBand(const SPAposition& p)
    {
        return normalise(state_.sectionNormal) * std::max({Tolerance(p), 0.25 * UnitsPerPixelAt(p), SectionRounding(p)});
    }

    // Whether a model point shows in the window: not cut away, and nothing that shows lies in
    // front of it along its line of sight. A face seen edge-on in an exact axis view shows as a
    // line that no pixel's centre meets, yet its points show. A point of a line (`line`) is drawn
    // in front of faces pushed back by their polygon offset.
    bool Shows(const SPAposition& point, bool cutBySection, bool above = false, int self = -1, bool line = false)
    {
        if (cutBySection && state_.section) {
            // Cut away, also a little to either side (a point on the cut is shown).
            const SPAvector n = SectionBand(point);
            CDsGlContext& context = host_->Context();
            if (context.IsPointClipped(point) && context.IsPointClipped(point + n) && context.IsPointClipped(point - n))
                return false;
        }
        // Figures' lines are drawn in a depth layer above every face.
        if (above || !AnyHides()) return true;
        double px = 0, py = 0, depth = 0;
        if (!host_->View().world_to_drawable(point, px, py, depth)) return false;
        std::vector<Surface> surfaces;
        bool unsure = false;
        SPAposition start;
        SPAunit_vector direction;
        // Where the near or far plane cuts a thing along the line of sight, the others still tell.
        if (!SurfacesAlong(px, py, surfaces, unsure, &start, &direction)) return false;
        const double t = (point - start) % SPAvector(direction.x(), direction.y(), direction.z());
        // A face hides a point it lies in front of by more than a tenth of a pixel (the pick takes a
        // twentieth).
        const double tolerance = std::max(Tolerance(point), 0.1 * UnitsPerPixelAt(point));
        for (size_t i = 0; i < surfaces.size(); ++i) {
            if (int(i) == self || !Hides(i, surfaces[i]) || surfaces[i].maybe) continue;
            // A line's point is drawn in front of faces pushed back by their polygon offset, up to
            // twice their depth slope across a pixel.
            const double length = surfaces[i].normal.len();
            const double cosine = length > 0 ? std::fabs(SPAvector(direction.x(), direction.y(), direction.z()) % surfaces[i].normal) / length : 1.0;
            const double offset = line ? 2 * UnitsPerPixelAt(point) * std::sqrt(std::max(0.0, 1 - cosine * cosine)) / std::max(cosine, 1e-3) : 0.0;
            if (surfaces[i].t + surfaces[i].spread < t - tolerance - offset) return false;
        }
        return true;
    }

    // In the line modes, whether the ray through drawable point (x, y) meets block `b` where no face
    // that hides faces lies in front (a figure's; the model's too in the partial hidden-line mode,
    // which keeps them in the depth buffer): the face the window shows under the cursor, drawn or
    // not. True where the model cannot tell.
    bool FaceShownUnder(size_t b, double x, double y)
    {
        std::vector<Surface> surfaces;
        bool unsure = false;
        if (!SurfacesAlong(x, y, surfaces, unsure) || unsure) return true;
        if (!(surfaces[b].t < kInfinity)) return false;
        for (size_t i = 0; i < surfaces.size(); ++i) {
            const bool hides = i < state_.blocks.size() ? state_.mode == eRenderPartialHiddenLines && !surfaces[i].glass
                                                        : Hides(i, surfaces[i]);
            if (i != b && hides && surfaces[i].t < surfaces[b].t) return false;
        }
        return true;
    }

    // Whether a surface met along a ray hides what lies behind it: a figure's face in every mode
    // (the line modes draw figures' faces too) but an STL mesh's outside the shaded modes, a
    // block's where the mode draws it opaque.
    bool Hides(size_t index, const Surface& surface) const
    {
        if (surface.glass) return false;
        if (index < state_.blocks.size()) return FacesHide();
        // An STL mesh is drawn shaded in the shaded and mixed modes only, else as the outlines of
        // its triangles, which hide nothing.
        const FigureState& figure = state_.figures[index - state_.blocks.size()];
        return !IsStl(figure) || state_.mode == eRenderShade || state_.mode == eRenderMixed;
    }
    // Whether anything may hide a point.
    bool AnyHides() const
    {
        for (const FigureState& figure : state_.figures)
            if (figure.kind == FigureState::eSquare || figure.kind == FigureState::eQuadric || figure.kind == FigureState::eGrid)
                return true;
        return FacesHide();
    }

    // Whether the render mode lets faces hide what lies behind them.
    bool FacesHide() const { return state_.mode != eRenderWireframe && state_.mode != eRenderPartialHiddenLines; }

    // Whether a point lies on a thing: a block's faces or edges (its meshes may have moved from
    // them), a square, a line or a shown segment of a toolpath.
    bool OnThing(int thing, const SPAposition& p)
    {
        const double tolerance = Tolerance(p);
        if (thing >= 0 && thing < kFigureThing && state_.blocks[size_t(thing)].cone) {
            const BlockState& block = state_.blocks[size_t(thing)];
            const FigureState cone = ConeOf(block);
            const SPAposition q = p * cone.placement.inverse();
            const double r = cone.half, rho = std::hypot(q.x(), q.y()), off = 0.05 * r + tolerance;
            const bool side = q.z() >= -off && q.z() <= 2 * r + off && std::fabs(rho - r * (1 - q.z() / (2 * r))) <= off;
            const bool base = std::fabs(q.z()) <= tolerance && rho <= r + tolerance;
            // Its base's edge is drawn in chords too.
            return side || base || std::fabs((p - BaseCentre(block)).len() - r) <= off || (p - Apex(block)).len() <= tolerance;
        }
        if (thing >= 0 && thing < kFigureThing) {
            const BlockState& block = state_.blocks[static_cast<size_t>(thing)];
            const SPAposition local = p * Placement(block).inverse();
            return BoxDistance(local, block.FaceLow(), block.FaceHigh()) <= tolerance ||
                   BoxDistance(local, block.low, block.high) <= tolerance;
        }
        if (thing < kFigureThing || thing - kFigureThing >= static_cast<int>(state_.figures.size())) return false;
        const FigureState& figure = state_.figures[static_cast<size_t>(thing - kFigureThing)];
        if (figure.kind == FigureState::eMarker) return (p - figure.points[0]).len() <= tolerance;
        if (figure.kind == FigureState::eQuadric) {
            const SPAposition q = p * figure.placement.inverse();
            const double r = figure.half, rho = std::hypot(q.x(), q.y()), off = Chord(figure) + tolerance;
            SPAposition low, high;
            QuadricBox(figure, low, high);
            switch (figure.leaf) {
            case eDsQuadSphere: return std::fabs((q - SPAposition(0, 0, 0)).len() - r) <= off;
            case eDsQuadCone: return q.z() >= -off && q.z() <= 2 * r + off && std::fabs(rho - r * (1 - q.z() / (2 * r))) <= off;
            case eDsQuadTorus: return std::fabs(std::hypot(rho - r, q.z()) - 0.3 * r) <= off;
            default: return BoxDistance(q, low, high) <= tolerance;
            }
        }
        if (StlAsLines(figure)) return OnLine(thing, p);
        if (figure.kind == FigureState::eGrid) {
            const SPAposition local = p * figure.placement.inverse();
            return std::fabs(local.z()) <= tolerance && InGrid(figure, local, tolerance) != 0;
        }
        if (figure.kind == FigureState::eSquare) {
            const SPAposition local = p * figure.placement.inverse();
            return BoxDistance(local, SPAposition(-figure.half, -figure.half, 0), SPAposition(figure.half, figure.half, 0)) <=
                       tolerance &&
                   (figure.corners == 4 || InPolygon(figure, local, tolerance) != 0);
        }
        for (size_t i = 0; i + 1 < figure.points.size(); ++i) {
            if (figure.kind == FigureState::eToolpath && state_.entryHidden[figure.entries[i]]) continue;
            if (SegmentDistance(p, figure.points[i], figure.points[i + 1]) <= tolerance) return true;
        }
        return false;
    }

    // --- Leaves drawn on top --------------------------------------------------------------------
    // A marker is a hollow square 11 pixels wide about its anchor's pixel; a pixel polyline runs
    // through the middle of its 3 pixels. Faces hide neither.
    static constexpr double kMarkerReach = 5.5;
    // A pixel polyline's points in drawable coordinates (rows down).
    std::vector<std::pair<double, double>> PixelPoints(const FigureState& figure) const
    {
        std::vector<std::pair<double, double>> points;
        for (const SPAposition& p : figure.points)
            points.emplace_back((figure.leaf ? p.x() * state_.width : p.x()) - 0.5,
                                state_.height - (figure.leaf ? p.y() * state_.height : p.y()) + 0.5);
        return points;
    }
    // The distance of the segment (ax, ay)-(bx, by) from the box [x0, x1] x [y0, y1] (0 where they meet).
    static double SegmentBoxDistance(double ax, double ay, double bx, double by, double x0, double y0, double x1, double y1)
    {
        const auto inBox = [&](double x, double y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
        const auto toBox = [&](double x, double y) {
            return std::hypot(std::max({x0 - x, x - x1, 0.0}), std::max({y0 - y, y - y1, 0.0}));
        };
        const auto toSegment = [&](double x, double y) {
            const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
            const double u = length2 > 0 ? std::max(0.0, std::min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2)) : 0.0;
            return std::hypot(ax + u * dx - x, ay + u * dy - y);
        };
        if (inBox(ax, ay) || inBox(bx, by)) return 0;
        // Crossing a side of the box.
        const double corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
        for (int k = 0; k < 4; ++k) {
            const double* p = corners[k];
            const double* q = corners[(k + 1) % 4];
            const auto side = [](double px, double py, double qx, double qy, double rx, double ry) {
                return (qx - px) * (ry - py) - (qy - py) * (rx - px);
            };
            if (side(ax, ay, bx, by, p[0], p[1]) * side(ax, ay, bx, by, q[0], q[1]) <= 0 &&
                side(p[0], p[1], q[0], q[1], ax, ay) * side(p[0], p[1], q[0], q[1], bx, by) <= 0)
                return 0;
        }
        double least = std::min(toBox(ax, ay), toBox(bx, by));
        for (const auto& c : corners) least = std::min(least, toSegment(c[0], c[1]));
        return least;
    }
    // The figures drawn on top whose pixels reach the pick window about pixel (x, y): `sure` where
    // they do by a pixel and more (where they lie is known to a pixel), `maybe` where they may.
    struct OnTop {
        std::vector<int> sure, maybe;
        bool Has(int thing) const
        {
            return std::count(sure.begin(), sure.end(), thing) + std::count(maybe.begin(), maybe.end(), thing) > 0;
        }
    };
    OnTop OnTopInWindow(int x, int y)
    {
        OnTop seen;
        CDsView3dCdc& view = host_->View();
        const double cx = x + 0.5, cy = y + 0.5, w = state_.width, h = state_.height;
        for (size_t j = 0; j < state_.figures.size(); ++j) {
            const FigureState& figure = state_.figures[j];
            double reach = kInfinity;  // from the window's middle to its nearest pixel
            bool inside = true;        // drawn where the model says (an anchor in the view volume)
            if (figure.kind == FigureState::eMarker) {
                double px = 0, py = 0, depth = 0;
                const SPAposition& anchor = figure.points[0];
                const double along = (anchor - view.get_eye()) % view.get_direction();
                if (!view.world_to_drawable(anchor, px, py, depth)) continue;
                inside = along > view.get_hither() * 1.05 + 1e-3 && along < view.get_yon() * 0.95 && px > 1 && py > 1 &&
                         px < w - 1 && py < h - 1;
                reach = std::max(std::fabs(px - cx), std::fabs(py - cy)) - kMarkerReach;
            } else if (figure.kind == FigureState::ePixels) {
                // Three pixels wide: OpenGL lights the pixels of each column (of a line nearer the
                // rows; each row, of one nearer the columns) whose centres lie within a pixel and a
                // half of it, between its ends. Surely where a centre of the pick window lies within
                // nineteen twentieths of a pixel of it so, half a pixel inside its ends and a pixel
                // inside the viewport; surely not where it passes the pick window's pixels by more
                // than a pixel and three fifths.
                const auto points = PixelPoints(figure);
                bool sure = false;
                double apart = kInfinity;  // from the pick window's pixels
                for (size_t i = 0; i + 1 < points.size(); ++i) {
                    const double ax = points[i].first, ay = points[i].second, bx = points[i + 1].first, by = points[i + 1].second;
                    apart = std::min(apart, SegmentBoxDistance(ax, ay, bx, by, cx - 2.5, cy - 2.5, cx + 2.5, cy + 2.5));
                    const bool rows = std::fabs(bx - ax) >= std::fabs(by - ay);  // its major axis x
                    const double major = rows ? bx - ax : by - ay, minor = rows ? by - ay : bx - ax;
                    if (!(std::fabs(major) > 1)) continue;
                    for (int j = -2; j <= 2; ++j)
                        for (int k = -2; k <= 2; ++k) {
                            const double qx = cx + k, qy = cy + j;
                            if (qx < 1 || qy < 1 || qx > w - 1 || qy > h - 1) continue;
                            const double s = ((rows ? qx - ax : qy - ay)) / major;
                            const double off = (rows ? qy - ay : qx - ax) - s * minor;
                            sure = sure || (std::fabs(off) <= 0.95 && s * std::fabs(major) >= 0.5 && (1 - s) * std::fabs(major) >= 0.5);
                        }
                }
                reach = sure ? 0.0 : apart <= 1.6 ? 2.0 : kInfinity;
            } else {
                continue;
            }
            const int thing = kFigureThing + static_cast<int>(j);
            if (reach <= 1.0 && inside) seen.sure.push_back(thing);
            else if (reach <= 4.0) seen.maybe.push_back(thing);
        }
        return seen;
    }

    // --- Lines ------------------------------------------------------------------------------------
    // A line a thing draws: a block's edge, a segment of a figure's line or of a shown toolpath, a
    // side of an STL square's triangles where the line modes draw them as lines; `cut` where the
    // section cuts it; `above` where it is drawn above every face (a figure's).
    struct Line {
        int thing;
        SPAposition a, b;
        bool cut, above;
    };
    std::vector<Line> Lines()
    {
        std::vector<Line> lines;
        for (size_t i = 0; i < state_.blocks.size(); ++i)
            for (const auto& edge : ShownEdges(state_.blocks[i])) lines.push_back({int(i), edge.first, edge.second, true, false});
        for (size_t j = 0; j < state_.figures.size(); ++j) {
            const FigureState& figure = state_.figures[j];
            const int thing = kFigureThing + static_cast<int>(j);
            if (figure.kind == FigureState::eLine || figure.kind == FigureState::eToolpath)
                for (size_t i = 0; i + 1 < figure.points.size(); ++i)
                    if (figure.kind == FigureState::eLine || !state_.entryHidden[figure.entries[i]])
                        lines.push_back({thing, figure.points[i], figure.points[i + 1], figure.clipable, true});
            if (IsStl(figure) && state_.mode != eRenderShade &&
                state_.mode != eRenderMixed) {
                const double h = figure.half;
                const SPAposition c[4] = {SPAposition(-h, -h, 0) * figure.placement, SPAposition(h, -h, 0) * figure.placement,
                                          SPAposition(h, h, 0) * figure.placement, SPAposition(-h, h, 0) * figure.placement};
                for (int k = 0; k < 4; ++k) lines.push_back({thing, c[k], c[(k + 1) % 4], false, true});
                lines.push_back({thing, c[0], c[2], false, true});
            }
        }
        return lines;
    }
    // Whether `p` lies on a line of `thing` (anywhere on a cone, whose outlines the model does not know).
    bool OnLine(int thing, const SPAposition& p)
    {
        if (thing >= 0 && thing < kFigureThing && state_.blocks[size_t(thing)].cone) return OnThing(thing, p);
        for (const Line& line : Lines())
            if (line.thing == thing && SegmentDistance(p, line.a, line.b) <= Tolerance(p)) return true;
        return false;
    }

    // The things whose lines show in the pick window about pixel (x, y) (5 x 5 pixels, cut to the
    // viewport): `sure` where a shown point of theirs lies half a pixel inside it, with its least
    // distance in pixels from the cursor's centre; `maybe` where one may show within half a pixel of
    // its border, or where the test cannot tell whether the window shows it.
    struct WindowLines {
        std::vector<std::pair<int, double>> sure;
        std::vector<int> maybe;
        const std::pair<int, double>* Sure(int thing) const
        {
            for (const auto& s : sure)
                if (s.first == thing) return &s;
            return nullptr;
        }
        bool Any(int thing) const { return Sure(thing) || std::find(maybe.begin(), maybe.end(), thing) != maybe.end(); }
    };
    WindowLines LinesInWindow(int x, int y)
    {
        WindowLines seen;
        CDsView3dCdc& view = host_->View();
        const double cx = x + 0.5, cy = y + 0.5;
        // A million units out OpenGL's single precision places a line of a body turned by its
        // placement up to a pixel off, under the pick's narrowed projection as in the window.
        const double rounding = offset_.len() > 0 ? 1.0 : 0.0;
        const double gx0 = std::max(x - 2.5 - rounding, -0.5), gx1 = std::min(x + 3.5 + rounding, state_.width + 0.5);
        const double gy0 = std::max(y - 2.5 - rounding, -0.5), gy1 = std::min(y + 3.5 + rounding, state_.height + 0.5);
        const auto inner = [&](double px, double py) {
            return px >= std::max(x - 1.5, 0.5) + rounding && px <= std::min(x + 2.5, state_.width - 0.5) - rounding &&
                   py >= std::max(y - 1.5, 0.5) + rounding && py <= std::min(y + 2.5, state_.height - 0.5) - rounding;
        };
        const SPAvector out(view.get_direction().x(), view.get_direction().y(), view.get_direction().z());
        const double least = 0.5 * view.get_hither();
        for (const Line& line : Lines()) {
            // In front of the eye (what lies nearer than half the near plane is cut away anyway).
            const double da = (line.a - view.get_eye()) % out, db = (line.b - view.get_eye()) % out;
            if (da < least && db < least) continue;
            double s0 = 0, s1 = 1;
            if (da < least) s0 = (least - da) / (db - da);
            if (db < least) s1 = (least - da) / (db - da);
            const SPAposition a = Between(s0, line.a, line.b), b = Between(s1, line.a, line.b);
            double ax = 0, ay = 0, bx = 0, by = 0, depth = 0;
            if (!view.world_to_drawable(a, ax, ay, depth) || !view.world_to_drawable(b, bx, by, depth)) continue;
            // The part of its picture in the pick window grown by half a pixel (Liang-Barsky).
            double u0 = 0, u1 = 1;
            const double dx = bx - ax, dy = by - ay;
            bool meets = true;
            for (const auto& c : {std::make_pair(-dx, ax - gx0), std::make_pair(dx, gx1 - ax), std::make_pair(-dy, ay - gy0),
                                  std::make_pair(dy, gy1 - ay)}) {
                if (c.first == 0) {
                    meets = meets && c.second >= 0;
                    continue;
                }
                const double r = c.second / c.first;
                if (c.first < 0) u0 = std::max(u0, r);
                else u1 = std::min(u1, r);
            }
            if (!meets || u0 > u1) continue;
            // Points half a pixel apart along it, each mapped back onto the line (perspective-correct).
            const int n = 2 + static_cast<int>(std::hypot(dx, dy) * (u1 - u0) * 2);
            bool sure = false, maybe = false;
            double nearest = kInfinity;
            const double length2 = dx * dx + dy * dy;
            const double closest = length2 > 0 ? std::max(u0, std::min(u1, ((cx - ax) * dx + (cy - ay) * dy) / length2)) : u0;
            for (int k = 0; k <= n + 1; ++k) {
                const double u = k > n ? closest : u0 + (u1 - u0) * k / n;
                const SPAposition p = AlongPicture(view, u, a, b);
                const int shown = ShownState(p, line.cut, line.above ? line.thing : -1);
                if (shown == 0) continue;
                double px = 0, py = 0;
                view.world_to_drawable(p, px, py, depth);
                if (shown == 1 && inner(px, py)) {
                    sure = true;
                    nearest = std::min(nearest, std::hypot(px - cx, py - cy));
                } else {
                    maybe = true;
                }
            }
            // A thing that small on the screen the pick's pre-filter may pass over; a cone's base is
            // drawn in chords the model does not know.
            const bool cone = line.thing < kFigureThing && state_.blocks[size_t(line.thing)].cone;
            if (sure && (cone || SmallOnScreen(line.thing))) sure = false, maybe = true;
            // A line shorter on the screen than a pixel and a half may light no pixel at all.
            if (sure && std::hypot(dx, dy) < 1.5) sure = false, maybe = true;
            if (sure) {
                bool listed = false;
                for (auto& s : seen.sure)
                    if (s.first == line.thing) s.second = std::min(s.second, nearest), listed = true;
                if (!listed) seen.sure.emplace_back(line.thing, nearest);
            } else if (maybe) {
                seen.maybe.push_back(line.thing);
            }
        }
        // A cone's outlines (its silhouettes) may show anywhere on it.
        for (size_t i = 0; i < state_.blocks.size(); ++i)
            if (state_.blocks[i].cone && Seen(state_.blocks[i])) {
                Box2 outer, inner;
                if (Extent(int(i), outer, inner) != 0 && !(outer.x1 < gx0 || outer.x0 > gx1 || outer.y1 < gy0 || outer.y0 > gy1))
                    seen.maybe.push_back(int(i));
            }
        return seen;
    }

    // The thing a pick answered, kNothing for nothing (or an item of none of the things).
    int ThingOf(Host& host, const CDsPickedItem& hit, const std::vector<std::unique_ptr<CDsFigure>>* figures = nullptr)
    {
        if (!hit.IsValid()) return kNothing;
        if (BODY* body = host.BodyOf(hit.GetObjectPath())) return host.IdOf(body) - 1;
        const std::vector<std::unique_ptr<CDsFigure>>& recorded = figures ? *figures : figures_;
        for (size_t j = 0; j < recorded.size(); ++j) {
            CVyrObjectPath path;
            if (recorded[j]->GetPath(path) && path == hit.GetObjectPath()) return kFigureThing + static_cast<int>(j);
        }
        const CVyrObjectPath& path = hit.GetObjectPath();
        for (const CopyState& copy : copies_)
            if (path.GetSize() == 1 && path.GetId(0) == copy.id) return kCopyThing;
        return -3;
    }

    // Whether drawable point (x, y) lies within `margin` pixels of where a figure of leaves of every
    // kind may draw: the window rectangle of its placed leaves (the STL mesh moved by its own
    // transformation too), widened by the pixel-sized leaves (markers, texts, rectangles) about
    // their anchors, and the window-space polylines at their fixed pixels. The model knows no more
    // of it; a figure that reaches behind a perspective eye may draw anywhere.
    bool NearMixed(double x, double y, double margin)
    {
        const int w = state_.width, h = state_.height;
        for (const FigureState& figure : state_.figures) {
            if (figure.kind != FigureState::eMixed) continue;
            double x0 = kInfinity, y0 = kInfinity, x1 = -kInfinity, y1 = -kInfinity;
            for (int c = 0; c < 8; ++c) {
                const SPAposition p = SPAposition(c & 1 ? 17 : -17, c & 2 ? 17 : -17, c & 4 ? 9 : -9) * figure.placement;
                double px = 0, py = 0, depth = 0;
                if (!host_->View().world_to_drawable(p, px, py, depth) || depth <= 0) return true;
                x0 = std::min(x0, px), y0 = std::min(y0, py), x1 = std::max(x1, px), y1 = std::max(y1, py);
            }
            const double grow = 30 + margin;
            if (x >= x0 - grow && x <= x1 + grow && y >= y0 - grow && y <= y1 + grow) return true;
            // The window-space polylines, whichever way their rows count: the one in pixels moved
            // as the figure's placement moves its points (x and y of (x, y, 0) placed), the one in
            // fractions of the window where they say.
            double px0 = kInfinity, py0 = kInfinity, px1 = -kInfinity, py1 = -kInfinity;
            for (const auto& q : {std::make_pair(10.0, 10.0), std::make_pair(30.0, 25.0), std::make_pair(20.0, 40.0)}) {
                const SPAposition placed = SPAposition(q.first, q.second, 0) * figure.placement;
                px0 = std::min(px0, placed.x()), py0 = std::min(py0, placed.y());
                px1 = std::max(px1, placed.x()), py1 = std::max(py1, placed.y());
            }
            const double fixed[][4] = {{px0, py0, px1, py1}, {0.1 * w, 0.8 * h, 0.3 * w, 0.9 * h}};
            for (const auto& r : fixed)
                for (const bool up : {false, true}) {
                    const double top = up ? h - r[3] : r[1], bottom = up ? h - r[1] : r[3];
                    if (x >= r[0] - margin - 3 && x <= r[2] + margin + 3 && y >= top - margin - 3 && y <= bottom + margin + 3)
                        return true;
                }
        }
        return false;
    }

    // Whether the window box of `points` comes within `margin` pixels of drawable pixel (x, y), or
    // one of them does not project (behind a perspective eye).
    bool BoxNear(const std::vector<SPAposition>& points, int x, int y, double margin)
    {
        double x0 = kInfinity, y0 = kInfinity, x1 = -kInfinity, y1 = -kInfinity;
        for (const SPAposition& p : points) {
            double px = 0, py = 0, depth = 0;
            if (!host_->View().world_to_drawable(p, px, py, depth) || depth <= 0) return true;
            x0 = std::min(x0, px), y0 = std::min(y0, py), x1 = std::max(x1, px), y1 = std::max(y1, py);
        }
        return x0 <= x + 0.5 + margin && x1 >= x + 0.5 - margin && y0 <= y + 0.5 + margin && y1 >= y + 0.5 - margin;
    }

    // Whether a shown thing comes within `margin` pixels of drawable pixel (x, y), or does not project
    // whole (it reaches behind a perspective eye).
    bool NearAThing(int x, int y, double margin)
    {
        const auto near = [&](const std::vector<SPAposition>& points) { return BoxNear(points, x, y, margin); };
        for (const BlockState& block : state_.blocks) {
            if (!Seen(block)) continue;
            std::vector<SPAposition> corners;
            for (int c = 0; c < 8; ++c) {
                corners.push_back(Corner(block.low, block.high, c) * Placement(block));
                corners.push_back(Corner(block.FaceLow(), block.FaceHigh(), c) * Placement(block));
            }
            if (near(corners)) return true;
        }
        return NearAFigure(x, y, margin);
    }

    // Whether a shown figure (but figure `besides`) comes within `margin` pixels of drawable pixel
    // (x, y), or does not project whole; a figure of every leaf kind wherever its leaves may draw
    // (NearMixed).
    bool NearAFigure(int x, int y, double margin, int besides = -1)
    {
        const auto near = [&](const std::vector<SPAposition>& points) { return BoxNear(points, x, y, margin); };
        if (NearMixed(x + 0.5, y + 0.5, margin)) return true;
        for (const FigureState& figure : state_.figures) {
            if (&figure - state_.figures.data() == besides) continue;
            if (figure.kind == FigureState::eSquare || figure.kind == FigureState::eQuadric || figure.kind == FigureState::eGrid) {
                if (near(FigureCorners(figure))) return true;
                continue;
            }
            if (figure.kind == FigureState::eMarker) {
                if (BoxNear(figure.points, x, y, margin + kMarkerReach + 1)) return true;
                continue;
            }
            if (figure.kind == FigureState::ePixels) {
                double x0 = kInfinity, y0 = kInfinity, x1 = -kInfinity, y1 = -kInfinity;
                for (const auto& p : PixelPoints(figure))
                    x0 = std::min(x0, p.first), y0 = std::min(y0, p.second), x1 = std::max(x1, p.first), y1 = std::max(y1, p.second);
                if (x + 0.5 >= x0 - margin - 2 && x + 0.5 <= x1 + margin + 2 && y + 0.5 >= y0 - margin - 2 && y + 0.5 <= y1 + margin + 2)
                    return true;
                continue;
            }
            for (size_t i = 0; i + 1 < figure.points.size(); ++i) {
                if (figure.kind == FigureState::eToolpath && state_.entryHidden[figure.entries[i]]) continue;
                if (near({figure.points[i], figure.points[i + 1]})) return true;
            }
        }
        return false;
    }

    // A pixel over a point inside a seen thing (a block or a square), or on a shown line, drawn from
    // the pick samples' own generator (so the actions a seed runs stay the same); false when none is
    // seen or the point is off the window.
    bool PixelOverAThing(int& x, int& y, bool lines)
    {
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const auto within = [&](double low, double high) { return low + (high - low) * unit(pickRandom_); };
        std::vector<SPAposition> candidates;
        if (!lines) {
            std::vector<int> seen;
            for (size_t i = 0; i < state_.blocks.size(); ++i)
                if (Seen(state_.blocks[i])) seen.push_back(static_cast<int>(i));
            for (size_t j = 0; j < state_.figures.size(); ++j)
                if (state_.figures[j].kind != FigureState::eLine && state_.figures[j].kind != FigureState::eToolpath &&
                    state_.figures[j].kind != FigureState::eMixed)
                    seen.push_back(kFigureThing + static_cast<int>(j));
            if (seen.empty()) return false;
            const int thing = seen[std::uniform_int_distribution<size_t>(0, seen.size() - 1)(pickRandom_)];
            SPAposition l, h;
            SPAtransf placement;
            if (thing < kFigureThing) {
                const BlockState& block = state_.blocks[static_cast<size_t>(thing)];
                l = block.FaceLow(), h = block.FaceHigh(), placement = Placement(block);
            } else {
                const FigureState& figure = state_.figures[static_cast<size_t>(thing - kFigureThing)];
                l = SPAposition(-figure.half, -figure.half, 0), h = SPAposition(figure.half, figure.half, 0);
                placement = figure.placement;
                if (figure.kind == FigureState::eQuadric) QuadricBox(figure, l, h);
                if (figure.kind == FigureState::eMarker) l = h = figure.points[0], placement = SPAtransf();
                if (figure.kind == FigureState::ePixels) {
                    // On its band or up to a pixel beyond its edge, where the pick window meets the
                    // band's side alone.
                    const auto points = PixelPoints(figure);
                    const size_t i = std::uniform_int_distribution<size_t>(0, points.size() - 2)(pickRandom_);
                    const double s = within(0, 1), dx = points[i + 1].first - points[i].first, dy = points[i + 1].second - points[i].second;
                    const double length = std::max(std::hypot(dx, dy), 1e-9), across = within(-4, 4);
                    x = static_cast<int>(std::floor(points[i].first + s * dx - across * dy / length));
                    y = static_cast<int>(std::floor(points[i].second + s * dy + across * dx / length));
                    return x >= 0 && x < state_.width && y >= 0 && y < state_.height;
                }
            }
            candidates.push_back(SPAposition(within(l.x(), h.x()), within(l.y(), h.y()), within(l.z(), h.z())) * placement);
        } else {
            const std::vector<Line> segments = Lines();
            if (segments.empty()) return false;
            const Line& segment = segments[std::uniform_int_distribution<size_t>(0, segments.size() - 1)(pickRandom_)];
            candidates.push_back(Between(within(0.1, 0.9), segment.a, segment.b));
        }
        return host_->PixelOf(candidates.front(), x, y) && x >= 0 && x < state_.width && y >= 0 && y < state_.height;
    }

    // Checks picks on both roads at sampled pixels against what the window shows (see the header
    // comment). Ten samples fall anywhere in the window (every pixel of a window of a few pixels),
    // six more over points inside seen things and two on shown lines (uniform samples rarely find
    // a thing whole under the pick window). Answers the failures' text.
    std::string CheckPicks()
    {
        if (Unjudged()) return "";
        std::ostringstream failures;
        const int w = state_.width, h = state_.height;
        std::vector<std::pair<int, int>> samples;
        if (w * h <= 30) {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) samples.emplace_back(x, y);
        } else {
            for (int k = 0; k < 10; ++k) samples.emplace_back(Uniform(0, w - 1), Uniform(0, h - 1));
        }
        for (int k = 0; k < 8; ++k) {
            int x = 0, y = 0;
            if (PixelOverAThing(x, y, k >= 6)) samples.emplace_back(x, y);
        }
        const std::vector<CDsTypeMask> domain = Host::Domain({Host::kBodyType, Host::kFigureType});
        int traced = 0;
        for (const auto& sample : samples) {
            const int x = sample.first, y = sample.second;
            // What a figure of leaves of every kind draws near the pick window the model does not know.
            if (NearMixed(x + 0.5, y + 0.5, 4) || NearCopy(x + 0.5, y + 0.5, 4)) continue;
            Surface surface;
            SPAposition rayHit;
            const int expected = ThingUnder(x + 0.5, y + 0.5, &surface, &rayHit);
            if (expected == kUnsure) continue;
            // What the pick window's pixels show.
            bool seenInWindow = false, unsure = false;
            for (int j = -2; j <= 2 && !unsure; ++j)
                for (int i = -2; i <= 2 && !unsure; ++i) {
                    if (x + i < 0 || x + i >= w || y + j < 0 || y + j >= h) continue;
                    const int under = ThingUnder(x + i + 0.5, y + j + 0.5);
                    unsure = under == kUnsure;
                    seenInWindow = seenInWindow || under >= 0;
                }
            if (unsure) continue;
            // Where a line may show at the border of the pick window, the line modes' rule cannot
            // tell what must come.
            const WindowLines lines = LinesInWindow(x, y);
            if (!FacesHide() && lines.sure.empty() && !lines.maybe.empty()) continue;
            const OnTop onTop = OnTopInWindow(x, y);
            if (onTop.sure.empty() && !onTop.maybe.empty()) continue;
            const bool near = NearAThing(x, y, 3.5);
            ++picksChecked_;
            if (expected >= 0) ++thingsExpected_;
            for (const bool byRay : {false, true}) {
                const CDsPickedItem hit = host_->Pick(x, y, &domain, nullptr, byRay);
                const int answered = ThingOf(*host_, hit);
                const std::string verdict =
                    Judge(x, y, byRay, expected, surface, rayHit, seenInWindow, near, lines, onTop, hit, answered);
                if (verdict.empty()) continue;
                failures << " " << (byRay ? "ray" : "selection") << " pick at (" << x << ", " << y << ") " << verdict;
                // Whether the fault needs the live host's history: a fresh host of the same state
                // asked (at the first wrong pick of a step that is reported).
                if (!std::exchange(freshAsked_, true))
                    FreshPicture([&](Host& fresh, const std::vector<std::unique_ptr<CDsFigure>>& figures) {
                        const CDsPickedItem other = fresh.Pick(x, y, &domain, nullptr, byRay);
                        failures << " (a fresh host answers " << Name(ThingOf(fresh, other, &figures)) << ")";
                    });
                failures << ";";
                if (std::getenv("VYR_HOST_SEQUENCE_TRACE") && !traced++) TraceState(x, y, hit);
            }
        }
        return failures.str();
    }

    // Empty when the pick at (x, y) answered what the window shows; else what went wrong.
    std::string Judge(int x, int y, bool byRay, int expected, const Surface& surface, const SPAposition& rayHit,
                      bool seenInWindow, bool near, const WindowLines& lines, const OnTop& onTop, const CDsPickedItem& hit,
                      int answered)
    {
        std::ostringstream text;
        text.precision(10);
        const CGmPosition* at = hit.IsValid() ? hit.GetPickedPosition() : nullptr;
        const SPAposition position = at ? SPAposition(at->x(), at->y(), at->z()) : SPAposition();
        if (answered == kNothing) {
            // Nothing is right where nothing shows in the pick window; the ray road, which finds
            // faces only under the cursor, may miss a face that shows beside it, not a line.
            if (expected < 0 && lines.sure.empty() && onTop.sure.empty() && (!seenInWindow || byRay)) return "";
            text << "answered nothing where "
                 << Name(!onTop.sure.empty() ? onTop.sure[0] : expected >= 0 || lines.sure.empty() ? expected : lines.sure[0].first)
                 << (expected < 0 ? " (seen in the pick window)" : "") << " is seen";
            return text.str();
        }
        if (!at || !std::isfinite(position.x()) || !std::isfinite(position.y()) || !std::isfinite(position.z())) {
            text << "answered " << Name(answered) << " without a position";
            return text.str();
        }
        // What is drawn on top comes first where its pixels reach the pick window (a marker is
        // answered at its anchor), as do figures' lines drawn above every face.
        const FigureState* figure = answered >= kFigureThing ? &state_.figures[size_t(answered - kFigureThing)] : nullptr;
        const bool figureLine = figure && (figure->kind == FigureState::eLine || figure->kind == FigureState::eToolpath);
        if (figure && (figure->kind == FigureState::eMarker || figure->kind == FigureState::ePixels)) {
            if (onTop.Has(answered) && (figure->kind == FigureState::ePixels || (position - figure->points[0]).len() <= Tolerance(position)))
                return "";
            text << "answered " << Name(answered) << " drawn on top at (" << position.x() << ", " << position.y() << ", "
                 << position.z() << ") where its pixels do not reach the pick window or it lies elsewhere";
            return text.str();
        }
        if (!onTop.sure.empty() && !(figureLine && lines.Any(answered))) {
            text << "answered " << Name(answered) << " where " << Name(onTop.sure[0]) << " drawn on top shows in the pick window";
            return text.str();
        }
        double px = 0, py = 0, depth = 0;
        const bool projects = host_->View().world_to_drawable(position, px, py, depth);
        // OpenGL places what it draws in single precision: far from the origin, a few of its steps
        // at the point's size may be a pixel or more where the view is near.
        const double rounding = 4 * std::numeric_limits<float>::epsilon() *
                                std::max({1.0, std::fabs(position.x()), std::fabs(position.y()), std::fabs(position.z())}) /
                                UnitsPerPixelAt(position);
        const double slack = (offset_.len() > 0 ? 0.5 : 0.02) + rounding;
        const bool inWindow = projects && std::fabs(px - (x + 0.5)) <= 2.5 + slack && std::fabs(py - (y + 0.5)) <= 2.5 + slack;
        // A point of a line is the line's point nearest to the cursor (within rounding): not one of
        // another of its lines farther off.
        const bool onLine = OnLine(answered, position);
        const std::pair<int, double>* line = lines.Sure(answered);
        if (onLine && line && (figureLine || !FacesHide()) && std::hypot(px - (x + 0.5), py - (y + 0.5)) > line->second + 1.0 + rounding) {
            text << "answered " << Name(answered) << " at (" << position.x() << ", " << position.y() << ", " << position.z()
                 << "), " << std::hypot(px - (x + 0.5), py - (y + 0.5)) << " pixels from the cursor's centre where its line shows "
                 << line->second << " pixels from it";
            return text.str();
        }
        // A figure's lines of three dimensions are drawn on top of every face, in every mode: where
        // one shows in the pick window, a line drawn on top comes first (a highlighted block's lines
        // lie nearer still).
        for (const auto& shown : lines.sure) {
            if (!LineOnTop(shown.first) || (LineOnTop(answered) && lines.Any(answered) && onLine && inWindow)) continue;
            bool highlighted = false;
            for (size_t b = 0; b < state_.blocks.size(); ++b)
                highlighted = highlighted || (state_.blocks[b].highlighted && lines.Any(int(b)));
            if (highlighted) break;
            text << "answered " << Name(answered) << " at (" << position.x() << ", " << position.y() << ", " << position.z()
                 << ") where a line of " << Name(shown.first) << " drawn on top shows in the pick window";
            return text.str();
        }
        // Where the ray meets the surface it shows; a tessellated quadric as far as its chords reach.
        SPAposition rayStart;
        SPAunit_vector rayDirection;
        host_->View().drawable_to_ray(x + 0.5, y + 0.5, rayStart, rayDirection);
        const SPAvector ray(rayDirection.x(), rayDirection.y(), rayDirection.z());
        const SPAposition rayFar = rayHit + surface.spread * ray;
        // Where faces hide nothing, a line that shows in the pick window comes before any face: the
        // answer is a thing whose line shows there, at a point of that line.
        if (!FacesHide() && !lines.sure.empty()) {
            if (lines.Any(answered) && onLine && inWindow) return "";
            // A figure's face is drawn in these modes too: solid, it may come first where the ray
            // meets it before anything that hides it (a block's faces, kept in the depth buffer of
            // the partial hidden-line mode).
            std::vector<Surface> met;
            bool cut = false;
            const size_t index = figure ? state_.blocks.size() + size_t(answered - kFigureThing) : 0;
            if (figure && SurfacesAlong(x + 0.5, y + 0.5, met, cut) && met[index].t < kInfinity) {
                bool first = true;
                for (size_t i = 0; i < met.size(); ++i)
                    first = first && (i == index || (i < state_.blocks.size() && state_.mode == eRenderWireframe) ||
                                      met[i].t > met[index].t + met[index].spread + Tolerance(rayHit));
                const double along = (position - rayStart) % ray - met[index].t;
                if (first && (position - rayStart - ((position - rayStart) % ray) * ray).len() <= Tolerance(rayHit) &&
                    along >= -Tolerance(rayHit) - 3.6 * UnitsPerPixelAt(rayHit) && along <= met[index].spread + Tolerance(rayHit))
                    return "";
            }
            text << "answered " << Name(answered) << " at (" << position.x() << ", " << position.y() << ", " << position.z()
                 << ")" << (onLine ? "" : ", on none of its lines,") << (inWindow ? "" : " outside the pick window,")
                 << " where a line of " << Name(lines.sure[0].first) << " shows in the pick window";
            return text.str();
        }
        if (answered == expected) {
            // Where the ray meets it; an STL square that the wireframe and hidden-line modes draw
            // as lines is picked on its lines.
            // The selection places a quadric, which it meets in no mesh of its own, at the nearest
            // depth the pick window shows of it: nearer by as much as its slope over the window.
            const double along = (position - rayHit) % ray, length = surface.normal.len();
            const double cosine = length > 0 ? std::max(0.2, std::fabs(surface.normal % ray) / length) : 1.0;
            // A cone block's faceted side, like a quadric's chords, may stand either side of the
            // surface by the band the faceter leaves.
            const bool quadric = (figure && figure->kind == FigureState::eQuadric) ||
                                 (expected >= 0 && expected < kFigureThing && state_.blocks[size_t(expected)].cone);
            const double nearer = quadric && !byRay ? 3.6 * UnitsPerPixelAt(rayHit) * std::sqrt(1 - cosine * cosine) / cosine : 0.0;
            // The ray road meets a quadric's chords as the frame drew them, within a fraction of a
            // pixel, and in front of its surface where it curves away (a torus about its hole).
            const double beside = quadric ? 0.25 * UnitsPerPixelAt(rayHit) : 0.0;
            if ((position - rayHit - along * ray).len() <= Tolerance(rayHit) + beside &&
                along >= -Tolerance(rayHit) - nearer - (quadric ? surface.spread : 0.0) && along <= surface.spread + Tolerance(rayHit))
                return "";
            if (OnGrazedFace(x, y, position, rayHit, surface)) return "";
            // Where faces are not drawn, the lines of the thing that show in the pick window come
            // before its faces: a point of it there is judged as any other answer is (below); so is
            // a point of a see-through block's edge (solid, unlike its faces).
            if (FacesHide() && !(surface.glass && OnLine(answered, position))) {
                text << "answered " << Name(answered) << " at (" << position.x() << ", " << position.y() << ", "
                     << position.z() << "), not where the ray meets it, (" << rayHit.x() << ", " << rayHit.y() << ", "
                     << rayHit.z() << "): " << (position - rayHit - along * ray).len() / UnitsPerPixelAt(rayHit)
                     << " pixels beside the ray, " << along / UnitsPerPixelAt(rayHit) << " along it";
                return text.str();
            }
        }
        // Another thing: fair where its position lies on it, in the pick window, shown, and (where the
        // ray meets a surface) in front of that surface's plane.
        const bool on = answered >= 0 && OnThing(answered, position);
        // Blocks and the clip-able lines are cut by the section.
        const bool cut = answered >= 0 && (answered < kFigureThing || state_.figures[size_t(answered - kFigureThing)].clipable);
        // A cone's outlines and base are drawn in chords the model does not know, off its own faces.
        const bool cone = answered >= 0 && answered < kFigureThing && state_.blocks[size_t(answered)].cone;
        bool shows = Shows(position, cut, figureLine, cone ? answered : -1, answered >= 0 && OnLine(answered, position));
        if (!shows && offset_.len() > 0) {
            // A million units out the pick places a point seen at a grazing angle within a few float
            // steps of the face the window shows (the window's depth turned back into the model).
            const double size = std::max({1.0, std::fabs(position.x()), std::fabs(position.y()), std::fabs(position.z())});
            const double step = 4 * size * std::numeric_limits<float>::epsilon();
            for (int axis = 0; axis < 3 && !shows; ++axis)
                for (const double sign : {-1.0, 1.0}) {
                    SPAvector nudge(0, 0, 0);
                    nudge.set_component(axis, sign * step);
                    if (Shows(position + nudge, cut)) {
                        shows = true;
                        break;
                    }
                }
        }
        // Solid hits come before see-through faces: behind a see-through face under the cursor
        // whatever shows; in front of a solid one a see-through block only by its edges.
        const bool glass = answered >= 0 && (answered < kFigureThing ? Glass(state_.blocks[size_t(answered)])
                                                                     : figure && figure->transparency != 255);
        // (The line modes draw no block's face: none is solid there.)
        const bool solidExpected = expected >= 0 && !surface.glass && (expected >= kFigureThing || FacesHide());
        bool inFront = !(solidExpected && glass && !OnLine(answered, position));
        // Where faces hide nothing, lines come before faces whatever their depth; so do the lines
        // of figures, drawn in a nearer depth layer, where they show, and a block's edges (solid)
        // behind a see-through face.
        const bool solidBehindGlass = surface.glass && (!glass || OnLine(answered, position));
        if (expected >= 0 && answered != expected && FacesHide() && !figureLine && !solidBehindGlass) {
            SPAvector normal = surface.normal;
            const SPAvector towardsViewer = host_->View().is_perspective() ? host_->View().get_eye() - rayHit : -ray;
            if (normal % towardsViewer < 0) normal = -normal;
            const double length = normal.len();
            // In front by more than a hundredth of a pixel (the pick takes a twentieth).
            inFront = inFront && length > 0 && ((position - rayFar) % normal) / length > 0.01 * UnitsPerPixelAt(rayHit);
        }
        if (on && inWindow && shows && inFront) return "";
        if (expected < 0 && !seenInWindow && !near && !on) {
            text << "answered " << Name(answered) << " where nothing shows near";
        } else {
            text << "answered " << Name(answered) << " at (" << position.x() << ", " << position.y() << ", " << position.z()
                 << ") where " << Name(expected) << " is seen:" << (on ? "" : " not on it;") << (inWindow ? "" : " outside the window;")
                 << (shows ? "" : " not shown;") << (inFront ? "" : " not in front of what the ray meets;");
        }
        return text.str();
    }

    // --- Region picks -----------------------------------------------------------------------------
    // A window box (drawable): x0, y0 to x1, y1.
    struct Box2 {
        double x0 = kInfinity, y0 = kInfinity, x1 = -kInfinity, y1 = -kInfinity;
        void Add(double x, double y, double grow)
        {
            x0 = std::min(x0, x - grow), y0 = std::min(y0, y - grow), x1 = std::max(x1, x + grow), y1 = std::max(y1, y + grow);
        }
        bool Within(double a0, double b0, double a1, double b1) const { return x0 >= a0 && y0 >= b0 && x1 <= a1 && y1 <= b1; }
    };
    // Where a thing draws in the window: a box that holds all of it (`outer`) and one its drawn points
    // surely reach (`inner`). 0 where it draws nothing; -1 where the test cannot tell (a figure of
    // every leaf kind, a thing reaching past the near or far plane, one the section cuts).
    int Extent(int thing, Box2& outer, Box2& inner)
    {
        std::vector<SPAposition> all, drawn;
        double grow = 0;
        bool cut = thing < kFigureThing;
        if (thing < kFigureThing) {
            const BlockState& block = state_.blocks[size_t(thing)];
            if (!Seen(block)) return 0;
            for (int c = 0; c < 8; ++c) {
                all.push_back(Corner(block.low, block.high, c) * Placement(block));
                all.push_back(Corner(block.FaceLow(), block.FaceHigh(), c) * Placement(block));
            }
            for (const auto& edge : ShownEdges(block)) drawn.push_back(edge.first), drawn.push_back(edge.second);
        } else {
            const FigureState& figure = state_.figures[size_t(thing - kFigureThing)];
            if (figure.kind == FigureState::eMixed) return -1;
            if (figure.kind == FigureState::ePixels) {
                for (const auto& p : PixelPoints(figure)) outer.Add(p.first, p.second, 2.5), inner.Add(p.first, p.second, 0);
                return 1;
            }
            cut = figure.clipable;
            all = FigureCorners(figure);
            drawn = figure.kind == FigureState::eQuadric ? QuadricPoints(figure) : all;
            if (figure.kind == FigureState::eSquare && figure.corners != 4)
                for (int k = 0; k < figure.corners; ++k)
                    drawn.push_back(SPAposition(figure.half * std::cos(2 * M_PI * k / figure.corners),
                                                figure.half * std::sin(2 * M_PI * k / figure.corners), 0) * figure.placement);
            if (figure.kind == FigureState::eToolpath) {
                all.clear();
                for (size_t i = 0; i + 1 < figure.points.size(); ++i)
                    if (!state_.entryHidden[figure.entries[i]]) all.push_back(figure.points[i]), all.push_back(figure.points[i + 1]);
                if (all.empty()) return 0;
                drawn = all;
            }
            if (figure.kind == FigureState::eMarker) grow = kMarkerReach + 1;
        }
        CDsView3dCdc& view = host_->View();
        for (const SPAposition& p : all) {
            double px = 0, py = 0, depth = 0;
            const double along = (p - view.get_eye()) % view.get_direction();
            if (along < view.get_hither() * 1.05 + 1e-3 || along > view.get_yon() * 0.95 || !view.world_to_drawable(p, px, py, depth))
                return -1;
            if (cut && state_.section && host_->Context().IsPointClipped(p)) return -1;
            outer.Add(px, py, grow);
        }
        for (const SPAposition& p : drawn) {
            double px = 0, py = 0, depth = 0;
            if (view.world_to_drawable(p, px, py, depth)) inner.Add(px, py, 0);
        }
        return 1;
    }

    // Whether the window shows a block, square or basic surface somewhere in the rectangle
    // [x0, x1] x [y0, y1] (drawable), as the visible-only region pick counts it (a face whose drawn
    // pixels keep a share of their own): 1 where a quarter of one side's pixels shows (half of a
    // basic surface's or a polygon's of more than four corners), 0 where the rays of its pixels and
    // their corners meet a face drawn solid in front of it all over (or, a figure's, a block's in
    // the partial hidden-line mode), else -1.
    int ShownIn(int thing, double x0, double y0, double x1, double y1)
    {
        const size_t index = thing < kFigureThing ? size_t(thing) : state_.blocks.size() + size_t(thing - kFigureThing);
        int met[6] = {0}, shown[6] = {0};
        bool unsure = false;
        // Whether the ray through (x, y) meets it where nothing solid lies in front: 1, 0, or -1
        // where it meets it and a tie or a plane of the frame decides; its side into `face`.
        const auto sample = [&](double x, double y, int& face) {
            std::vector<Surface> surfaces;
            bool cut = false;
            SPAposition start;
            SPAunit_vector direction;
            if (!SurfacesAlong(x, y, surfaces, cut, &start, &direction)) return -1;
            const Surface& mine = surfaces[index];
            if (!(mine.t < kInfinity)) return 0;
            face = mine.face;
            int state = cut ? -1 : 1;
            const SPAposition met = start + mine.t * SPAvector(direction.x(), direction.y(), direction.z());
            for (size_t i = 0; i < surfaces.size(); ++i) {
                // The partial hidden-line mode keeps the blocks' faces in the depth buffer, where
                // they hide the figures' faces behind them.
                const bool depthOnly = state_.mode == eRenderPartialHiddenLines && thing >= kFigureThing &&
                                       i < state_.blocks.size();
                if (i == index || !(depthOnly || Hides(i, surfaces[i])) || !(surfaces[i].t < kInfinity)) continue;
                const double tie = Tolerance(met) + 0.1 * UnitsPerPixelAt(met) + mine.spread + surfaces[i].spread;
                if (mine.t - surfaces[i].t > tie) return surfaces[i].maybe ? -1 : 0;
                if (mine.t - surfaces[i].t > -tie) state = -1;
            }
            return state;
        };
        const double step = std::max(1.0, std::ceil(std::max(x1 - x0, y1 - y0) / 40));
        for (double y = std::floor(y0) + 0.5; y < y1; y += step)
            for (double x = std::floor(x0) + 0.5; x < x1; x += step) {
                int face = 0;
                const int state = sample(x, y, face);
                unsure = unsure || state < 0;
                // Met there at all (hidden or not): the pixels its side draws.
                std::vector<Surface> surfaces;
                bool cut = false;
                if (state != 0 || (SurfacesAlong(x, y, surfaces, cut) && surfaces[index].t < kInfinity)) {
                    met[state != 0 ? face : surfaces[index].face] += 1;
                    if (state > 0) shown[face] += 1;
                }
            }
        const FigureState* figure = thing >= kFigureThing ? &state_.figures[size_t(thing - kFigureThing)] : nullptr;
        const double share = figure && (figure->kind == FigureState::eQuadric || figure->corners != 4) ? 0.5 : 0.25;
        bool any = unsure;
        for (int f = 0; f < 6; ++f) {
            if (met[f] >= 3 && shown[f] >= share * met[f]) return 1;
            any = any || shown[f] > 0;
        }
        // Shown nowhere: also not about the pixels' corners, of a thing small enough to look at so
        // (and large enough that its edges, drawn a pixel wide, are not all that shows).
        if (any || step > 1 || x1 - x0 > 24 || y1 - y0 > 24 || x1 - x0 < 3 || y1 - y0 < 3) return -1;
        for (double y = std::floor(y0); y <= y1; y += 0.5)
            for (double x = std::floor(x0); x <= x1; x += 0.5) {
                int face = 0;
                if (sample(x, y, face) != 0) return -1;
            }
        return 0;
    }

    // Checks the region picks of both selection modes over one rectangle: about a thing, anywhere
    // in the window, or wholly outside it. Selection mode 0 answers what lies wholly inside the
    // rectangle (judged where that lies in the window), mode 2 only those of them the window shows
    // somewhere: figures' lines, markers and pixel polylines wherever they are, blocks, squares and
    // basic surfaces where a share of them shows (ShownIn). Answers the failures' text.
    std::string CheckRegions()
    {
        if (Unjudged()) return "";
        const int w = state_.width, h = state_.height;
        std::uniform_int_distribution<int> any(0, 3);
        const auto number = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(pickRandom_); };
        const int things = static_cast<int>(state_.blocks.size() + state_.figures.size());
        int x0 = number(0, w - 1), y0 = number(0, h - 1), x1 = number(x0, w + 2), y1 = number(y0, h + 2);
        const int kind = any(pickRandom_);
        if (kind == 0) {  // wholly outside the window, to a side
            const int side = number(0, 3), far = number(1, 8), size = number(2, 40);
            x0 = side == 0 ? w + far : side == 1 ? -far - size : number(-20, w);
            y0 = side == 2 ? h + far : side == 3 ? -far - size : number(-20, h);
            x1 = x0 + size, y1 = y0 + number(2, 40);
            if (side >= 2) x1 = x0 + number(2, 40), y1 = y0 + size;
        } else if (kind >= 2) {  // about a thing the window shows whole
            std::vector<Box2> boxes;
            for (int i = 0; i < things; ++i) {
                Box2 outer, inner;
                if (Extent(i < int(state_.blocks.size()) ? i : kFigureThing + i - int(state_.blocks.size()), outer, inner) > 0 &&
                    outer.Within(0, 0, w, h))
                    boxes.push_back(outer);
            }
            if (!boxes.empty()) {
                const Box2& outer = boxes[size_t(number(0, int(boxes.size()) - 1))];
                const int margin = number(-1, 6);
                x0 = int(std::floor(outer.x0)) - margin, y0 = int(std::floor(outer.y0)) - margin;
                x1 = int(std::floor(outer.x1)) + margin, y1 = int(std::floor(outer.y1)) + margin;
            }
        }
        x1 = std::max(x1, x0 + 2), y1 = std::max(y1, y0 + 2);
        // The rectangle covers the pixels x0 to x1 and y0 to y1.
        const double rx0 = x0, ry0 = y0, rx1 = x1 + 1, ry1 = y1 + 1;
        const std::vector<CDsTypeMask> domain = Host::Domain({Host::kBodyType, Host::kFigureType});
        CDsPickProccessor* picks = host_->Context().GetPickProccessor();
        std::ostringstream failures;
        for (const bool visibleOnly : {false, true}) {
            picks->SetSelectionMode(visibleOnly ? eDsSelectionByBoxVisibleOnly : eDsSelectionByBoxDefault);
            const std::vector<CVyrObjectPath> paths = host_->Region(x0, y0, x1, y1, &domain);
            std::vector<int> answered;
            for (const CVyrObjectPath& path : paths) answered.push_back(ThingOf(*host_, CDsPickedItem(path, SPAposition(), -1)));
            for (int i = 0; i < things; ++i) {
                const int thing = i < int(state_.blocks.size()) ? i : kFigureThing + i - int(state_.blocks.size());
                Box2 outer, inner;
                const int extent = Extent(thing, outer, inner);
                int must = -1;  // 1 answered, 0 not, -1 not judged
                const char* why = ", which lies wholly inside it";
                if (extent == 0 || (extent > 0 && !inner.Within(rx0 - 1.5, ry0 - 1.5, rx1 + 1.5, ry1 + 1.5))) {
                    must = 0;
                    why = extent == 0 ? ", which draws nothing" : ", which does not lie wholly inside it";
                } else if (extent > 0 && outer.Within(rx0 + 1.5, ry0 + 1.5, rx1 - 1.5, ry1 - 1.5)) {
                    // Wholly inside: inside the window too, or (visible only) wholly outside it.
                    if (outer.Within(0.5, 0.5, w - 0.5, h - 0.5)) {
                        const FigureState* figure = thing >= kFigureThing ? &state_.figures[size_t(thing - kFigureThing)] : nullptr;
                        // An STL square outside the shaded and mixed modes is drawn as lines, which
                        // the visible-only test passes as it passes every item of lines.
                        const bool faces = !figure || figure->kind == FigureState::eGrid || (figure->kind == FigureState::eSquare &&
                                                       (!IsStl(*figure) || state_.mode == eRenderShade || state_.mode == eRenderMixed)) ||
                                           figure->kind == FigureState::eQuadric;
                        must = !visibleOnly || !faces ? 1 : ShownIn(thing, std::max(outer.x0, 0.0), std::max(outer.y0, 0.0),
                                                                    std::min(outer.x1, double(w)), std::min(outer.y1, double(h)));
                        // A figure of leaves of every kind, or a copy of a block, may cover it where
                        // the model cannot tell.
                        const double cx = 0.5 * (outer.x0 + outer.x1), cy = 0.5 * (outer.y0 + outer.y1);
                        const double reach = 0.5 * std::hypot(outer.x1 - outer.x0, outer.y1 - outer.y0);
                        if (visibleOnly && faces && (NearMixed(cx, cy, reach) || NearCopy(cx, cy, reach))) must = -1;
                        why = must ? ", which lies wholly inside it and shows" : ", which lies wholly inside it and shows nowhere";
                    } else if (visibleOnly && (outer.x1 < -0.5 || outer.y1 < -0.5 || outer.x0 > w + 0.5 || outer.y0 > h + 0.5)) {
                        must = 0;
                        why = ", which lies wholly outside the window";
                    }
                }
                const bool was = std::find(answered.begin(), answered.end(), thing) != answered.end();
                if (must < 0 || was == (must == 1)) continue;
                failures << " region (" << x0 << ", " << y0 << ")-(" << x1 << ", " << y1 << ") of selection mode "
                         << (visibleOnly ? 2 : 0) << (was ? " answered " : " did not answer ") << Name(thing) << why << ";";
                if (std::getenv("VYR_HOST_SEQUENCE_TRACE")) {
                    TraceState(x0, y0, CDsPickedItem());
                    for (const int a : answered) std::printf("  the region answered %s\n", Name(a).c_str());
                }
            }
            if (std::count(answered.begin(), answered.end(), -3) > 0) failures << " region answered an unknown item;";
        }
        picks->SetSelectionMode(eDsSelectionByBoxDefault);
        return failures.str();
    }

    // --- What a snap must answer -------------------------------------------------------------------
    // The edges a seen block draws: its box's twelve (where its edges stay while its meshes move),
    // placed, less those whose faces are both hidden on their items.
    std::vector<std::pair<SPAposition, SPAposition>> ShownEdges(const BlockState& block) const
    {
        std::vector<std::pair<SPAposition, SPAposition>> edges;
        if (!Seen(block)) return edges;
        const double r = 0.5 * (block.high.x() - block.low.x());
        for (int k = 0; k < 48 && block.cone; ++k) {
            const auto at = [&](int i) {
                return BaseCentre(block) + SPAvector(r * std::cos(M_PI * i / 24), r * std::sin(M_PI * i / 24), 0) * Placement(block);
            };
            edges.emplace_back(at(k), at(k + 1));
        }
        for (int c = 0; c < 8 && !block.cone; ++c)
            for (int a = 0; a < 3; ++a) {
                if (c & (1 << a)) continue;
                if (block.EdgeHidden(c, a)) continue;
                edges.emplace_back(Corner(block.low, block.high, c) * Placement(block),
                                   Corner(block.low, block.high, c | (1 << a)) * Placement(block));
            }
        return edges;
    }

    // Whether the window shows a point of a line (cut by the section unless told): 1 surely, 0 surely
    // not, -1 where the test cannot tell (a face through or just in front of it, a ray through a
    // face's plane, a plane of the frame near it). Asked along the point's line of sight, four
    // lines a quarter of a pixel beside it and the line through the centre of the pixel it falls in
    // (where the window decides whether a line's fragment passes the faces there), which must agree.
    int ShownState(const SPAposition& point, bool cutBySection = true, int figureLine = -1)
    {
        CDsView3dCdc& view = host_->View();
        double px = 0, py = 0, depth = 0;
        if (!view.world_to_drawable(point, px, py, depth)) return -1;
        // Inside the window, between the near and far planes.
        const double along = (point - view.get_eye()) % view.get_direction();
        const double slack = 1e-6 * std::max(1.0, std::fabs(along));
        if (along < view.get_hither() + slack || along > view.get_yon() - slack) return -1;
        if (px < 0.5 || py < 0.5 || px > state_.width - 0.5 || py > state_.height - 0.5) return -1;
        if (NearMixed(px, py, 1)) return -1;
        if (cutBySection && state_.section) {
            // Cut away, also a little to either side.
            const SPAvector n = SectionBand(point);
            CDsGlContext& context = host_->Context();
            const int cut = int(context.IsPointClipped(point)) + int(context.IsPointClipped(point + n)) +
                            int(context.IsPointClipped(point - n));
            if (cut == 3) return 0;
            if (cut > 0) return -1;
        }
        // A figure's line of three dimensions is drawn on top of every face.
        if (!AnyHides() || LineOnTop(figureLine)) return 1;
        const double pixel = UnitsPerPixelAt(point);
        const double hides = std::max(Tolerance(point), 0.2 * pixel), surely = 0.02 * pixel;
        int state = -2;
        const std::pair<double, double> centre(std::floor(px) + 0.5 - px, std::floor(py) + 0.5 - py);
        for (const auto& d : {std::make_pair(0.0, 0.0), std::make_pair(0.25, 0.0), std::make_pair(-0.25, 0.0),
                              std::make_pair(0.0, 0.25), std::make_pair(0.0, -0.25), centre}) {
            std::vector<Surface> surfaces;
            bool unsure = false;
            SPAposition start;
            SPAunit_vector direction;
            if (!SurfacesAlong(px + d.first, py + d.second, surfaces, unsure, &start, &direction) || unsure) return -1;
            // Where this line reaches the point's depth.
            const SPAunit_vector out = view.get_direction();
            const double rate = direction.x() * out.x() + direction.y() * out.y() + direction.z() * out.z();
            if (!(rate > 0)) return -1;
            const double t = (along - (start - view.get_eye()) % out) / rate;
            int here = 1;
            const double size = std::max({1.0, std::fabs(point.x()), std::fabs(point.y()), std::fabs(point.z())});
            const double step = 4 * size * std::numeric_limits<float>::epsilon();
            // A figure's line (`figureLine`, the thing) is drawn above the blocks' faces; whether a
            // nearer face of another figure hides it depends on how the frame orders and offsets
            // them, which the model does not know.
            const size_t first = figureLine >= kFigureThing ? state_.blocks.size() : 0;
            for (size_t i = first; i < surfaces.size(); ++i) {
                const Surface& surface = surfaces[i];
                if (!Hides(i, surface)) continue;
                if (figureLine >= kFigureThing) {
                    if (surface.t < t + hides && here == 1) here = -1;
                    continue;
                }
                // Single precision moves a face's plane by a float step or so, which a line of sight
                // grazing the face meets that much over the sine of its angle away.
                const double length = surface.normal.len();
                const double sine = length > 0 ? std::fabs(SPAvector(direction.x(), direction.y(), direction.z()) %
                                                           surface.normal) / length
                                               : 1.0;
                const double grazing = step / std::max(sine, 1e-3);
                // The frame pushes faces back behind the lines by their polygon offset, up to twice
                // their depth slope across a pixel: a face nearer by less may or may not hide a line.
                const double offset = 2 * pixel * std::sqrt(std::max(0.0, 1 - sine * sine)) / std::max(sine, 1e-3);
                // A face in front by a fraction of that (a tenth and a half of its slope across a
                // pixel along the point's own line of sight, two fifths a quarter pixel beside it,
                // for the slope between) lets the line through surely.
                const double through = (d.first == 0 && d.second == 0 ? 0.15 : 0.4) * offset / 2 - grazing;
                // A block's own face whose plane holds the point (at an edge of its own, seen from
                // inside beside it) is drawn behind the point (far from the origin single precision
                // decides, which the test cannot tell).
                const SPAposition met = start + surface.t * SPAvector(direction.x(), direction.y(), direction.z());
                if (i < state_.blocks.size() && length > 0 &&
                    std::fabs((point - met) % surface.normal) / length <= Tolerance(point) && OnOwnFace(state_.blocks[i], point)) {
                    if (offset_.len() > 0 && here == 1) here = -1;
                    continue;
                }
                if (surface.t + surface.spread < t - hides - grazing - offset) here = 0;
                else if (surface.spread == 0 && t - surface.t <= through) continue;
                else if (surface.t + surface.spread < t - hides - grazing) here = -1;
                else if (surface.t < t - surely && here == 1) here = -1;
            }
            if (state == -2) state = here;
            else if (state != here) return -1;
        }
        return state;
    }

    // Whether `point` lies on the box of a block's faces, where they lie as its edges do.
    bool OnOwnFace(const BlockState& block, const SPAposition& point) const
    {
        if (block.cone || block.meshMoved.len() > 0) return false;
        const SPAposition local = point * Placement(block).inverse();
        const double size = std::max({1.0, std::fabs(point.x()), std::fabs(point.y()), std::fabs(point.z())});
        double outside = 0, inside = kInfinity;
        for (int a = 0; a < 3; ++a) {
            const double low = block.low.coordinate(a) - local.coordinate(a), high = local.coordinate(a) - block.high.coordinate(a);
            outside = std::max({outside, low, high});
            inside = std::min({inside, -low, -high});
        }
        return outside <= 1e-9 * size && inside <= 1e-9 * size;
    }

    // Checks snaps (CDsAcisPick::StPickRefPoint) at sampled pixels: edge ends, middles and centres
    // ({256, 257, 258, 259}), middles alone (258, which snaps from anywhere on an edge under the
    // cursor), and the nearest point (267). A point answered must lie on a shown edge of a seen
    // block (an end, a middle, any point, as its kind says), inside the window and shown there
    // (under the cursor's pick window but for the middles alone); where an end of a shown edge or
    // a point of one shows within a pixel and a half of the cursor, an answer must come. Answers
    // the failures' text.
    std::string CheckSnaps()
    {
        if (Unjudged()) return "";
        std::ostringstream failures;
        const int w = state_.width, h = state_.height;
        std::uniform_int_distribution<int> jitter(-1, 1);
        std::vector<std::pair<int, int>> samples;
        for (int k = 0; k < 3; ++k)
            samples.emplace_back(std::uniform_int_distribution<int>(0, w - 1)(pickRandom_),
                                 std::uniform_int_distribution<int>(0, h - 1)(pickRandom_));
        // The blocks' edges, and the pieces of the cones' bases; samples at the cones' apexes too.
        std::vector<std::pair<SPAposition, SPAposition>> edges, pieces;
        for (const BlockState& block : state_.blocks) {
            const auto shown = ShownEdges(block);
            (block.cone ? pieces : edges).insert((block.cone ? pieces : edges).end(), shown.begin(), shown.end());
            int x = 0, y = 0;
            if (block.cone && Seen(block) && host_->PixelOf(Apex(block), x, y) && x >= 0 && x < w && y >= 0 && y < h)
                samples.emplace_back(x + jitter(pickRandom_), y + jitter(pickRandom_));
        }
        std::vector<std::pair<SPAposition, SPAposition>> all = edges;
        all.insert(all.end(), pieces.begin(), pieces.end());
        for (int k = 0; k < 5 && !all.empty(); ++k) {
            const auto& edge = all[std::uniform_int_distribution<size_t>(0, all.size() - 1)(pickRandom_)];
            // Three about an end, two about a point along the edge.
            const double s = k < 3 ? (k % 2 ? 1.0 : 0.0) : std::uniform_real_distribution<double>(0.1, 0.9)(pickRandom_);
            int x = 0, y = 0;
            if (!host_->PixelOf(Between(s, edge.first, edge.second), x, y)) continue;
            x += jitter(pickRandom_);
            y += jitter(pickRandom_);
            if (x >= 0 && x < w && y >= 0 && y < h) samples.emplace_back(x, y);
        }
        // Two more on the parts in front of a perspective eye of edges that reach behind it, where
        // their pictures cross the window.
        if (host_->View().is_perspective()) {
            CDsView3dCdc& view = host_->View();
            const SPAvector out(view.get_direction().x(), view.get_direction().y(), view.get_direction().z());
            std::vector<std::pair<SPAposition, SPAposition>> behind;
            std::vector<std::pair<double, double>> across;  // the picture's fractions inside the window
            for (const auto& edge : edges) {
                const double da = (edge.first - view.get_eye()) % out, db = (edge.second - view.get_eye()) % out;
                const double nearPlane = view.get_hither();
                if ((da < nearPlane) == (db < nearPlane)) continue;
                const SPAposition cut = Between((nearPlane - da) / (db - da), edge.first, edge.second);
                const SPAposition& kept = da < nearPlane ? edge.second : edge.first;
                double ax = 0, ay = 0, bx = 0, by = 0, depth = 0;
                if (!view.world_to_drawable(cut, ax, ay, depth) || !view.world_to_drawable(kept, bx, by, depth)) continue;
                double u0 = 0, u1 = 1;
                const double dx = bx - ax, dy = by - ay;
                for (const auto& c : {std::make_pair(-dx, ax - 0.5), std::make_pair(dx, w - 0.5 - ax), std::make_pair(-dy, ay - 0.5),
                                      std::make_pair(dy, h - 0.5 - ay)}) {
                    if (c.first < 0) u0 = std::max(u0, c.second / c.first);
                    else if (c.first > 0) u1 = std::min(u1, c.second / c.first);
                    else if (c.second < 0) u1 = -1;
                }
                if (u0 >= u1) continue;
                behind.emplace_back(cut, kept);
                across.emplace_back(u0, u1);
            }
            for (int k = 0; k < 2 && !behind.empty(); ++k) {
                const size_t i = std::uniform_int_distribution<size_t>(0, behind.size() - 1)(pickRandom_);
                const double u = std::uniform_real_distribution<double>(across[i].first, across[i].second)(pickRandom_);
                int x = 0, y = 0;
                if (host_->PixelOf(AlongPicture(view, u, behind[i].first, behind[i].second), x, y) && x >= 0 && x < w && y >= 0 &&
                    y < h)
                    samples.emplace_back(x, y);
            }
        }
        static const std::initializer_list<int> kKinds[] = {{256, 257, 258, 259}, {258}, {267}, {256}, {257}};
        static const char* kNames[] = {"256-259", "258", "267", "256", "257"};
        int traced = 0;
        for (const auto& sample : samples) {
            const int x = sample.first, y = sample.second;
            if (x < 0 || x >= w || y < 0 || y >= h || NearMixed(x + 0.5, y + 0.5, 4) || NearCopy(x + 0.5, y + 0.5, 4))
                continue;
            behindEyeSnaps_ += BehindTheEyeUnder(x + 0.5, y + 0.5, edges) ? 1 : 0;
            for (int set = 0; set < 5; ++set) {
                const std::unique_ptr<CDsRefPoint> point = host_->Snap(x, y, kKinds[set]);
                const std::string verdict = JudgeSnap(x, y, set, point != nullptr, edges, pieces);
                if (verdict.empty()) continue;
                failures << " snap {" << kNames[set] << "} at (" << x << ", " << y << ") " << verdict << ";";
                if (std::getenv("VYR_HOST_SEQUENCE_TRACE") && !traced++) TraceState(x, y, CDsPickedItem());
            }
        }
        return failures.str();
    }

    // Whether an edge that reaches behind a perspective eye (its near plane cuts it) passes within a
    // pixel of drawable point (x, y) where the window shows it: a snap there is judged on it.
    bool BehindTheEyeUnder(double x, double y, const std::vector<std::pair<SPAposition, SPAposition>>& edges)
    {
        CDsView3dCdc& view = host_->View();
        if (!view.is_perspective()) return false;
        const SPAvector out(view.get_direction().x(), view.get_direction().y(), view.get_direction().z());
        const double nearPlane = view.get_hither();
        for (const auto& edge : edges) {
            const double da = (edge.first - view.get_eye()) % out, db = (edge.second - view.get_eye()) % out;
            if ((da < nearPlane) == (db < nearPlane)) continue;
            // The part in front of the near plane, on the screen.
            const SPAposition cut = Between((nearPlane - da) / (db - da), edge.first, edge.second);
            const SPAposition& kept = da < nearPlane ? edge.second : edge.first;
            double ax = 0, ay = 0, bx = 0, by = 0, depth = 0;
            if (!view.world_to_drawable(cut, ax, ay, depth) || !view.world_to_drawable(kept, bx, by, depth)) continue;
            const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
            if (!(length2 > 0)) continue;
            const double u = std::max(0.0, std::min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2));
            if (std::hypot(ax + u * dx - x, ay + u * dy - y) <= 1.0 && ShownState(AlongPicture(view, u, cut, kept)) == 1)
                return true;
        }
        return false;
    }

    // Empty when the snap of kind set `set` at (x, y) answered (`answered`, the point in
    // CDsRefPoint's statics) what the window shows; else what went wrong.
    std::string JudgeSnap(int x, int y, int set, bool answered, const std::vector<std::pair<SPAposition, SPAposition>>& edges,
                          const std::vector<std::pair<SPAposition, SPAposition>>& pieces)
    {
        std::ostringstream text;
        text.precision(10);
        const double slack = offset_.len() > 0 ? 0.5 : 0.05;
        // Where the part of an edge the window can show lies on the screen: in perspective cut at
        // the near plane (`shown`, the part's model ends), its ends' drawable points; false when
        // none of it lies in front of the near plane.
        const auto onScreen = [&](const std::pair<SPAposition, SPAposition>& edge, double& ax, double& ay, double& bx,
                                  double& by, std::pair<SPAposition, SPAposition>* shown = nullptr) {
            CDsView3dCdc& view = host_->View();
            std::pair<SPAposition, SPAposition> part = edge;
            if (view.is_perspective()) {
                const SPAvector out(view.get_direction().x(), view.get_direction().y(), view.get_direction().z());
                const double nearest = view.get_hither() > 0 ? view.get_hither() : 0.001;
                const double da = (edge.first - view.get_eye()) % out, db = (edge.second - view.get_eye()) % out;
                if (da < nearest && db < nearest) return false;
                if (da < nearest) part.first = Between((nearest - da) / (db - da), edge.first, edge.second);
                if (db < nearest) part.second = Between((nearest - da) / (db - da), edge.first, edge.second);
            }
            if (shown) *shown = part;
            double depth = 0;
            return view.world_to_drawable(part.first, ax, ay, depth) && depth > 0 &&
                   view.world_to_drawable(part.second, bx, by, depth) && depth > 0;
        };
        const double cx = x + 0.5, cy = y + 0.5;
        if (!answered) {
            // Nothing is wrong unless what it looks for shows near the cursor's centre: an end
            // within a pixel and a half (ends and middles), an edge within a pixel whose nearest
            // point lies well inside it and shows there and a pixel to either side (the nearest
            // point; a segment the cursor lies beyond the ends of is not the nearest point's).
            if (set == 1 || set == 4) return "";
            // A cone's apex is an end (a start) too.
            std::vector<std::pair<SPAposition, SPAposition>> ends = edges;
            for (const BlockState& block : state_.blocks)
                // Not while its faces' meshes are moved in place: the cone drawn reaches it no more.
                if (block.cone && Seen(block) && set != 2 && block.meshMoved.len() == 0) ends.emplace_back(Apex(block), Apex(block));
            if (set == 2) ends.insert(ends.end(), pieces.begin(), pieces.end());
            for (const auto& whole : ends) {
                double ax = 0, ay = 0, bx = 0, by = 0;
                std::pair<SPAposition, SPAposition> edge;
                if (!onScreen(whole, ax, ay, bx, by, &edge)) continue;
                if (set != 2) {
                    // An end cut at the near plane is no end.
                    for (const auto& end : {std::make_pair(edge.first, std::make_pair(ax, ay)),
                                            std::make_pair(edge.second, std::make_pair(bx, by))}) {
                        if ((end.first - whole.first).len() > 0 && (end.first - whole.second).len() > 0) continue;
                        if (std::hypot(end.second.first - cx, end.second.second - cy) > 1.5) continue;
                        if (ShownState(end.first) != 1) continue;
                        text << "answered nothing where " << ((edge.first - edge.second).len() == 0 ? "a cone's apex " : "") << "("
                             << end.first.x() << ", " << end.first.y() << ", " << end.first.z() << ") shows at ("
                             << end.second.first << ", " << end.second.second << ")";
                        return text.str();
                    }
                    continue;
                }
                const double dx = bx - ax, dy = by - ay, length = std::hypot(dx, dy);
                if (length < 4) continue;
                const double t = ((cx - ax) * dx + (cy - ay) * dy) / (length * length);
                // Well inside its ends; where the near plane cut it, the picture goes on beyond the
                // window (its real end three pixels away is enough then: the picture is long).
                const bool cutFirst = (edge.first - whole.first).len() > 0, cutSecond = (edge.second - whole.second).len() > 0;
                const double inside = cutFirst || cutSecond ? std::min(0.15, 3 / length) : 0.15;
                if (t < (cutFirst ? 0.0 : inside) || t > (cutSecond ? 1.0 : 1 - inside) ||
                    std::fabs((cx - ax) * dy - (cy - ay) * dx) / length > 1.0)
                    continue;
                const double step = 1.0 / length;
                bool shows = true;
                for (const double u : {t, t - step, t + step})
                    shows = shows && ShownState(AlongPicture(host_->View(), u, edge.first, edge.second)) == 1;
                if (!shows) continue;
                const SPAposition p = AlongPicture(host_->View(), t, edge.first, edge.second);
                text << "answered nothing where (" << p.x() << ", " << p.y() << ", " << p.z() << ") shows under the cursor";
                return text.str();
            }
            return "";
        }
        ++snapsAnswered_;
        const SPAposition position = CDsRefPoint::sLastPosition;
        const int kind = CDsRefPoint::sPickType;
        if (!std::isfinite(position.x()) || !std::isfinite(position.y()) || !std::isfinite(position.z()))
            return "answered a point that is not finite";
        // On a shown edge, as its kind says; the nearest point on one that passes under the pick
        // window (found from the event's position, the pixel's corner a row lower as its
        // projection counts, within the window's half diagonal of it).
        const double tolerance = Tolerance(position);
        bool on = false, edgeUnder = false;
        // A cone offers its apex (a start) where the cursor is over it, and the points of its base's
        // edge: any as an end or the middle (where the curve starts the model does not know), the
        // centre (from anywhere on the edge under the cursor), the nearest.
        bool apex = false, centre = false;
        for (size_t b = 0; b < state_.blocks.size(); ++b) {
            const BlockState& block = state_.blocks[b];
            if (!block.cone || !Seen(block)) continue;
            const double r = 0.5 * (block.high.x() - block.low.x());
            const SPAvector fromCentre = position - BaseCentre(block), axis = SPAvector(0, 0, 1) * Placement(block);
            const bool onCircle = std::fabs(fromCentre % axis) <= tolerance && std::fabs(fromCentre.len() - r) <= tolerance;
            double ax = 0, ay = 0, depth = 0;
            const int under = ThingUnder(cx, cy);
            apex = apex || (kind == 256 && (position - Apex(block)).len() <= tolerance &&
                            (under == int(b) || under == kUnsure || (!FacesHide() && FaceShownUnder(b, cx, cy)) ||
                             (host_->View().world_to_drawable(Apex(block), ax, ay, depth) && std::fabs(ax - cx) <= 2.5 + slack &&
                              std::fabs(ay - cy) <= 2.5 + slack)));
            centre = centre || (kind == 259 && fromCentre.len() <= tolerance);
            on = on || apex || centre || (onCircle && kind >= 256 && kind <= 258);
        }
        std::vector<std::pair<SPAposition, SPAposition>> near = edges;
        if (kind == 267 || centre) near.insert(near.end(), pieces.begin(), pieces.end());
        for (const auto& edge : near) {
            if (centre) {  // the edge under the pick window
                double ax = 0, ay = 0, bx = 0, by = 0;
                if (!onScreen(edge, ax, ay, bx, by)) continue;
                const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
                const double t = length2 > 0 ? std::max(0.0, std::min(1.0, ((cx - ax) * dx + (cy - ay) * dy) / length2)) : 0.0;
                edgeUnder = edgeUnder || std::hypot(ax + t * dx - cx, ay + t * dy - cy) <= std::hypot(3.0, 3.0) + 1.0 + slack;
                continue;
            }
            if (kind == 256 || kind == 257)
                on = on || (position - edge.first).len() <= tolerance || (position - edge.second).len() <= tolerance;
            else if (kind == 258)
                on = on || (position - Between(0.5, edge.first, edge.second)).len() <= tolerance;
            else if (kind == 267 && SegmentDistance(position, edge.first, edge.second) <= tolerance + 0.02 * (edge.first - edge.second).len()) {
                on = true;
                double ax = 0, ay = 0, bx = 0, by = 0;
                if (!onScreen(edge, ax, ay, bx, by)) continue;
                const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
                const double t = length2 > 0 ? std::max(0.0, std::min(1.0, ((cx - ax) * dx + (cy - ay) * dy) / length2)) : 0.0;
                edgeUnder = edgeUnder || std::hypot(ax + t * dx - cx, ay + t * dy - cy) <= std::hypot(3.0, 3.0) + 1.0 + slack;
            }
        }
        const bool kindAsked = set == 0 ? (kind >= 256 && kind <= 259)
                               : set == 1 ? kind == 258 : set == 2 ? kind == 267 : set == 3 ? (kind == 256 || kind == 257) : kind == 257;
        double px = 0, py = 0, depth = 0;
        const bool projects = host_->View().world_to_drawable(position, px, py, depth);
        const bool inWindow = projects && px >= -0.5 - slack && py >= -0.5 - slack && px <= state_.width + 0.5 + slack &&
                              py <= state_.height + 0.5 + slack;
        // Ends and middles in the pick window (an end or a middle asked alone from anywhere on an
        // edge under the cursor); the nearest point on an edge under it, and near the cursor itself.
        const bool pickWindow = projects && std::fabs(px - cx) <= 2.5 + slack && std::fabs(py - cy) <= 2.5 + slack;
        const bool underCursor = set == 1 || set >= 3 || apex || (centre && edgeUnder) ||
                                 (set == 2 && edgeUnder && projects && std::hypot(px - cx, py - cy) <= std::hypot(3.0, 3.0) + 1.0 + slack) ||
                                 (set == 0 && pickWindow);
        const int shown = ShownState(position);
        if (on && kindAsked && inWindow && underCursor && shown != 0) return "";
        text << "answered kind " << kind << " at (" << position.x() << ", " << position.y() << ", " << position.z()
             << "), shown at (" << px << ", " << py << "):"
             << (on ? "" : " on no shown edge as its kind says;") << (kindAsked ? "" : " a kind not asked for;")
             << (inWindow ? "" : " outside the window;") << (underCursor ? "" : " not under the cursor;")
             << (shown != 0 ? "" : " not shown;");
        return text.str();
    }

    // Prints what a wrong pick at drawable pixel (x, y) met: the camera, the things, the window's
    // colour there.
    void TraceState(int x, int y, const CDsPickedItem& hit)
    {
        const int w = state_.width, h = state_.height;
        CDsView3dCdc& v = host_->View();
        std::printf("  camera eye (%.10g %.10g %.10g) target (%.10g %.10g %.10g) up (%g %g %g) size %.10g x %.10g persp %d clip %g %g; mode %d, "
                    "window %d x %d, section %d at (%.10g %.10g %.10g) normal (%g %g %g)\n",
                    v.get_eye().x(), v.get_eye().y(), v.get_eye().z(), v.get_target().x(), v.get_target().y(),
                    v.get_target().z(), v.get_up().x(), v.get_up().y(), v.get_up().z(), v.get_width(), v.get_height(),
                    int(v.is_perspective()), v.get_hither(), v.get_yon(), int(state_.mode), w, h, int(state_.section),
                    state_.sectionPoint.x(), state_.sectionPoint.y(), state_.sectionPoint.z(), state_.sectionNormal.x(),
                    state_.sectionNormal.y(), state_.sectionNormal.z());
        for (size_t b = 0; b < state_.blocks.size(); ++b) {
            const BlockState& e = state_.blocks[b];
            const SPAposition o = SPAposition(0, 0, 0) * Placement(e);
            const SPAvector ex = SPAvector(1, 0, 0) * Placement(e);
            for (size_t k = 0; k < e.hiddenSides.size(); ++k)
                std::printf("  block %d face item %d hidden: axis %d, %s side\n", int(b) + 1, e.hiddenFaces[k],
                            e.hiddenSides[k].first, e.hiddenSides[k].second ? "high" : "low");
            if (e.transparency != 255) std::printf("  block %d of transparency %d\n", int(b) + 1, int(e.transparency));
            if (e.cone) std::printf("  block %d is a cone\n", int(b) + 1);
            std::printf("  block %d (%.10g %.10g %.10g)-(%.10g %.10g %.10g), meshes moved (%g %g %g), origin to (%.10g %.10g %.10g), x to (%g %g %g), "
                        "shown %d, hidden on its item %d (faces %d), by its path %d, transform id %d, highlighted %d, flipped %d\n",
                        int(b) + 1, e.low.x(), e.low.y(), e.low.z(), e.high.x(), e.high.y(), e.high.z(), e.meshMoved.x(),
                        e.meshMoved.y(), e.meshMoved.z(), o.x(), o.y(), o.z(), ex.x(), ex.y(), ex.z(), int(e.shown),
                        int(e.hiddenOnItem), int(e.hiddenFaces.size()), int(e.hiddenByPath), int(e.transformId), int(e.highlighted), int(e.flipped));
        }
        for (size_t f = 0; f < state_.figures.size(); ++f) {
            const FigureState& figure = state_.figures[f];
            const SPAposition o = SPAposition(0, 0, 0) * figure.placement;
            std::printf("  figure %d kind %d leaf %d by generator %d half %g at (%g %g %g)", int(f) + 1, int(figure.kind),
                        figure.leaf, int(figure.byGenerator), figure.half, o.x(), o.y(), o.z());
            for (int leaf : figure.leaves) std::printf(" [%s]", vyrtest::EveryLeafKind(SPAtransf())[size_t(leaf)].name.c_str());
            for (const SPAposition& p : figure.points) std::printf(" (%.10g %.10g %.10g)", p.x(), p.y(), p.z());
            if (figure.clipable) std::printf(" clip-able");
            if (figure.transparency != 255) std::printf(" transparency %d", int(figure.transparency));
            const SPAvector n = SPAvector(0, 0, 1) * figure.placement;
            if (figure.kind == FigureState::eSquare || figure.kind == FigureState::eGrid) std::printf(" normal (%g %g %g)", n.x(), n.y(), n.z());
            if (figure.corners != 4) std::printf(" corners %d", figure.corners);
            if (figure.kind == FigureState::eGrid) std::printf(" %d x %d squares of %g, %g apart", figure.cells, figure.cells, figure.side, figure.pitch);
            for (int e : figure.entries) std::printf(" entry %d%s", e, state_.entryHidden[e] ? " hidden" : "");
            double px = 0, py = 0, depth = 0;
            if (host_->View().world_to_drawable(o, px, py, depth)) std::printf(" shown at (%g, %g) depth %g", px, py, depth);
            std::printf("\n");
        }
        const Picture front = host_->Front();
        const unsigned char* c = front.At(x, h - 1 - y);
        const CGmPosition* at = hit.IsValid() ? hit.GetPickedPosition() : nullptr;
        {
            std::vector<Surface> surfaces;
            bool unsure = false;
            if (SurfacesAlong(x + 0.5, y + 0.5, surfaces, unsure)) {
                std::printf("  along the cursor's ray:");
                for (size_t i = 0; i < surfaces.size(); ++i)
                    if (surfaces[i].t < kInfinity) std::printf(" thing %d at %g,", int(i), surfaces[i].t);
                std::printf(" unsure %d\n", int(unsure));
            }
        }
        if (std::getenv("VYR_HOST_SEQUENCE_ZOOM")) {
            // The lines the model knows that pass within four pixels of the pixel's centre.
            for (const Line& line : Lines()) {
                double ax = 0, ay = 0, bx = 0, by = 0, depth = 0;
                if (!host_->View().world_to_drawable(line.a, ax, ay, depth) || !host_->View().world_to_drawable(line.b, bx, by, depth))
                    continue;
                const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
                const double s = length2 > 0 ? std::max(0.0, std::min(1.0, ((x + 0.5 - ax) * dx + (y + 0.5 - ay) * dy) / length2)) : 0;
                if (std::hypot(ax + s * dx - x - 0.5, ay + s * dy - y - 0.5) > 4) continue;
                std::printf("  line of %s (%.10g %.10g %.10g)-(%.10g %.10g %.10g): (%.4f, %.4f)-(%.4f, %.4f), shown state at its "
                            "nearest point %d\n",
                            Name(line.thing).c_str(), line.a.x(), line.a.y(), line.a.z(), line.b.x(), line.b.y(), line.b.z(), ax, ay,
                            bx, by, ShownState(AlongPicture(host_->View(), s, line.a, line.b), line.cut, line.above ? line.thing : -1));
            }
            // The window's colours about the pixel, then what the model sees there.
            for (int j = -4; j <= 4; ++j) {
                std::printf("   ");
                for (int i = -6; i <= 4; ++i) {
                    const bool inside = x + i >= 0 && x + i < w && y + j >= 0 && y + j < h;
                    const unsigned char* q = inside ? front.At(x + i, h - 1 - (y + j)) : nullptr;
                    if (q) std::printf(" %02x%02x%02x", q[0], q[1], q[2]);
                    else std::printf(" ------");
                }
                std::printf("\n");
            }
            for (int j = -4; j <= 4; ++j) {
                std::printf("   ");
                for (int i = -6; i <= 4; ++i) {
                    const int under = ThingUnder(x + i + 0.5, y + j + 0.5);
                    const int at = ThingAt(x + i + 0.5, y + j + 0.5, nullptr, nullptr);
                    std::printf(" %c%c", under == kNothing ? '.' : under == kUnsure ? '?' : char('1' + under), at == kNothing ? '.' : at == kUnsure ? '?' : char('1' + at));
                }
                std::printf("\n");
            }
        }
        if (std::getenv("VYR_HOST_SEQUENCE_MAP")) {
            // The window and the model about the pixel: lit or not, and the thing the model sees.
            for (int j = -y; j < h - y; j += 3) {
                std::printf("   ");
                for (int i = -x; i < w - x; i += 2) std::printf("%c", front.Lit(x + i, h - 1 - (y + j), 10) ? '#' : '.');
                std::printf("   ");
                for (int i = -x; i < w - x; i += 2) {
                    const int under = ThingUnder(x + i + 0.5, y + j + 0.5);
                    std::printf("%c", under == kNothing ? '.' : under == kUnsure ? '?' : under >= kFigureThing ? 'F' : char('1' + under));
                }
                std::printf("\n");
            }
        }
        std::printf("  window (%d, %d, %d); answered %s", c[0], c[1], c[2], Name(ThingOf(*host_, hit)).c_str());
        if (at) {
            const SPAposition p(at->x(), at->y(), at->z());
            double px = 0, py = 0, depth = 0;
            v.world_to_drawable(p, px, py, depth);
            std::printf(" at (%g %g %g), shown at (%g, %g); along its line of sight:", at->x(), at->y(), at->z(), px, py);
            std::vector<Surface> surfaces;
            bool unsure = false;
            SPAposition start;
            SPAunit_vector direction;
            if (SurfacesAlong(px, py, surfaces, unsure, &start, &direction)) {
                std::printf(" it at %g,", (p - start) % SPAvector(direction.x(), direction.y(), direction.z()));
                for (size_t i = 0; i < surfaces.size(); ++i)
                    if (surfaces[i].t < kInfinity) std::printf(" thing %d at %g,", int(i), surfaces[i].t);
                std::printf(" unsure %d", int(unsure));
            }
        }
        std::printf("\n");
    }

    std::string Name(int thing) const
    {
        static const char* kKinds[] = {"line", "square", "toolpath", "of every kind", "quadric", "marker", "pixel polyline", "grid"};
        if (thing >= 0 && thing < static_cast<int>(state_.blocks.size()) && state_.blocks[size_t(thing)].cone)
            return "block " + std::to_string(thing + 1) + " (cone)";
        if (thing == kUnsure) return "something unsure";
        if (thing == -3) return "an unknown item";
        if (thing == kCopyThing) return "a copy";
        if (thing < 0) return "nothing";
        if (thing >= kFigureThing && thing - kFigureThing < static_cast<int>(state_.figures.size())) {
            const FigureState& figure = state_.figures[size_t(thing - kFigureThing)];
            return "figure " + std::to_string(thing - kFigureThing + 1) + " (" +
                   (figure.corners != 4 ? "a fill of " + std::to_string(figure.corners) + " corners" : kKinds[figure.kind]) + ")";
        }
        if (thing >= kFigureThing) return "figure " + std::to_string(thing - kFigureThing + 1);
        return "block " + std::to_string(thing + 1) +
               (thing < static_cast<int>(state_.blocks.size()) && state_.blocks[size_t(thing)].transparency < 255 ? " (see-through)" : "");
    }

    void Run(unsigned seed, bool farFromTheOrigin, bool displayLists = false);

    unsigned seed_ = 0;
    unsigned seedFromEnvironment_ = 0;  // 0: none named
    bool offsetFromEnvironment_ = false;
    bool listsFromEnvironment_ = false;
    bool listsWere_ = false;  // display-manager flag 4 before the test
    int steps_ = 0;
    SPAvector offset_;       // where the scene lies: the origin, or a million units from it
    int picksChecked_ = 0;   // samples whose picks were compared with the model
    int thingsExpected_ = 0; // of those, the ones where the model shows a thing under the cursor
    int snapsAnswered_ = 0;  // snaps that answered a point
    int behindEyeSnaps_ = 0;  // snap samples over an edge that reaches behind a perspective eye
    bool freshAsked_ = false;  // a fresh host was asked about a wrong pick of this step (or need not be)
    std::vector<CopyState> copies_;  // the copies shown
    int nextCopyId_ = 500;           // the item id of the next copy
    bool recordNext_ = false;        // the figure action records a new figure (never removes one)
    bool picksBeforeRefresh_ = false;  // the last action wants its picks checked before the refresh
    bool freshCheck_ = false;          // the last action wants its picture compared with a fresh host's
    std::mt19937 random_;
    std::mt19937 pickRandom_;  // the pick samples aimed at things
    HostState state_;
    std::vector<std::unique_ptr<CDsFigure>> figures_;  // as state_.figures
    Entities entities_;  // goes after the host (torn down first)
};

// Runs `steps_` actions from `seed`, checking after each (see the header comment); with
// `displayLists`, the faces draw from display lists (display-manager flag 4), as a host that loads
// its preferences has them.
void HostSequenceGLTest::Run(unsigned seed, bool farFromTheOrigin, bool displayLists)
{
    CDsManager::GetInstance()->SetFlag(4, displayLists);
    seed_ = seed;
    random_.seed(seed);
    pickRandom_.seed(seed ^ 0x9e3779b9u);
    offset_ = farFromTheOrigin ? SPAvector(1e6, 1e6, 1e6) : SPAvector(0, 0, 0);
    const bool trace = std::getenv("VYR_HOST_SEQUENCE_TRACE") != nullptr;
    host_->Look(ViewSetup().Eye(At(150, -200, 250)).Target(At(0, 0, 0)).Up(SPAvector(0, 0, 1)).Field(100, 100).Clip(1, 1000));
    SetPalette(host_->Context(), state_);
    // Two blocks to start with.
    for (int i = 0; i < 2; ++i) {
        BlockState block;
        block.low = i ? At(30, 20, 0) : At(-20, -10, -10);
        block.high = i ? At(50, 45, 25) : At(20, 10, 10);
        block.color = i ? 0x0000FF : Host::kOrange;
        state_.blocks.push_back(block);
    }
    for (const BlockState& block : state_.blocks) host_->ShowBlock(block.low, block.high, block.color);
    host_->View().ZoomAll(1.0f);
    // Now and then a figure recorded before the host's first frame.
    if (Uniform(0, 2) == 0) {
        recordNext_ = true;
        const std::string recorded = Act(17);
        recordNext_ = false;
        if (trace) std::printf("before the first frame: %s\n", recorded.c_str());
    }
    host_->Refresh();

    int stale = 0, unlike = 0, wrongPicks = 0, wrongSnaps = 0, wrongRegions = 0;
    constexpr int kReported = 5;
    for (int step = 0; step < steps_; ++step) {
        picksBeforeRefresh_ = false;
        freshCheck_ = false;
        const std::string action = step % 10 == 8 && BehindInCoverage(step) ? Recover(step) : Act();
        if (trace) std::printf("step %d: %s (snaps answered %d, picks %d, behind the eye %d)\n", step, action.c_str(), snapsAnswered_, picksChecked_, behindEyeSnaps_);
        const std::string where = "seed " + std::to_string(seed_) + (farFromTheOrigin ? " far from the origin" : "") +
                                  (displayLists ? " with display lists" : "") +
                                  ", step " + std::to_string(step) + " (" + action + ")";
        if (picksBeforeRefresh_) {
            freshAsked_ = wrongPicks >= kReported;
            const std::string picks = CheckPicks();
            if (!picks.empty() && ++wrongPicks <= kReported) ADD_FAILURE() << where << ", before the refresh:" << picks;
        }
        host_->Refresh();
        const Picture refreshed = host_->Front();
        const ::testing::AssertionResult same = vyrtest::SamePicture(refreshed, host_->WholeFrame());
        if (!same && ++stale <= kReported) ADD_FAILURE() << where << ": the refresh is not the whole frame: " << same.message();
        if (step % 10 == 9 || step == steps_ - 1 || freshCheck_) {
            // The highlight the live host keeps is drawn after its frame, as the fresh host's is.
            const ::testing::AssertionResult fresh = SameAsFresh(host_->Front(), FreshPicture());
            if (!fresh && ++unlike <= 5) {
                ADD_FAILURE() << where << ": a fresh host shows otherwise: " << fresh.message();
                if (trace) TraceState(0, 0, CDsPickedItem());
            }
        }
        freshAsked_ = wrongPicks >= kReported;
        const std::string picks = CheckPicks();
        if (!picks.empty() && ++wrongPicks <= kReported) ADD_FAILURE() << where << ":" << picks;
        const std::string snaps = CheckSnaps();
        if (!snaps.empty() && ++wrongSnaps <= kReported) ADD_FAILURE() << where << ":" << snaps;
        // Region picks at every third step.
        const std::string regions = step % 3 == 2 ? CheckRegions() : std::string();
        if (!regions.empty() && ++wrongRegions <= kReported) ADD_FAILURE() << where << ":" << regions;
    }
    EXPECT_EQ(stale, 0);
    EXPECT_EQ(unlike, 0);
    EXPECT_EQ(wrongPicks, 0);
    EXPECT_EQ(wrongSnaps, 0);
    EXPECT_EQ(wrongRegions, 0);
    // The picks were really asked: most samples qualify, and some of them over a thing; the snaps
    // answered points, and were asked over edges reaching behind a perspective eye.
    // Figures of every leaf kind keep the picks and snaps about them unjudged: a seed whose views
    // show them most of the time judges fewer. A run steps back at every tenth step only: the
    // last ten may fall behind.
    const int judged = std::max(steps_ - 10, 0);
    EXPECT_GE(picksChecked_, judged * 4 / 5);
    EXPECT_GE(thingsExpected_, judged / 15);
    EXPECT_GE(snapsAnswered_, judged / 4);
    // Far from the origin single precision leaves the points of those edges, seen from beside a
    // block within a unit or so of the near plane's rounding, unjudged in some runs altogether.
    // Elsewhere the steps back keep them coming, though a run now and then judges only a
    // handful in 300 steps (10 in one of 250 seeds).
    if (!farFromTheOrigin) {
        EXPECT_GE(behindEyeSnaps_, judged / 32);
    }
    if (std::getenv("VYR_HOST_SEQUENCE_TRACE"))
        std::printf("picks judged %d, over a thing %d, snaps answered %d, over an edge reaching behind the eye %d\n", picksChecked_,
                    thingsExpected_, snapsAnswered_, behindEyeSnaps_);
    // Nothing changed: a refresh draws no frame (the first may: the second host just drew).
    host_->Refresh();
    const long frames = host_->Context().GetRefreshCounter();
    const Picture kept = host_->Front();
    host_->Refresh();
    EXPECT_EQ(host_->Context().GetRefreshCounter(), frames);
    EXPECT_TRUE(vyrtest::SamePicture(host_->Front(), kept));
}

}  // namespace

// Two runs of the default length at the origin, one with display lists and one far from it, unless
// the environment names one seed. Their seeds between them meet a case of every kind of wrong answer
// the judges look for: a face before a line in the line modes, a see-through face before a solid
// one, a marker or pixel polyline passed over, a basic surface on the ray road, a figure's line near
// the section's cut or a pixel off, a visible-only region, a nearest point away from the cursor, a
// cone's apex, a point a figure's face hides.
TEST_F(HostSequenceGLTest, AfterEveryHostActionTheRefreshShowsTheWholeFrameAndPicksAnswerWhatIsShown)
{
    Run(seedFromEnvironment_ ? seedFromEnvironment_ : 25u, seedFromEnvironment_ && offsetFromEnvironment_,
        seedFromEnvironment_ && listsFromEnvironment_);
}

TEST_F(HostSequenceGLTest, AnotherRunOfHostActions)
{
    if (seedFromEnvironment_) GTEST_SKIP() << "the environment names one seed";
    Run(39u, false);
}

TEST_F(HostSequenceGLTest, ARunOfHostActionsWithDisplayLists)
{
    if (seedFromEnvironment_) GTEST_SKIP() << "the environment names one seed";
    Run(6u, false, true);
}

TEST_F(HostSequenceGLTest, ARunOfHostActionsAMillionUnitsFromTheOrigin)
{
    if (seedFromEnvironment_) GTEST_SKIP() << "the environment names one seed";
    Run(55u, true);
}

// A host as a program that shows solid bodies has one, for the tests that try the display from a
// host's side: a window known to the framework, the core's view on it, a rendering context, a
// camera, bodies shown through the context and filed into the scene database by the host's body
// geometry, the window's front buffer read back, and single picks at a pixel.
//
//     vyrtest::Host host(100, 100);
//     host.Look(vyrtest::ViewSetup().Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
//     BODY* block = host.ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
//     host.Refresh();
//     const vyrtest::Picture picture = host.Front();
//
// Pixels: `Front` answers rows from the bottom, as OpenGL counts; pick pixels and `PixelOf`
// count rows down from the viewport's top, as pick events do.
#pragma once

#include "DsGlContext.h"
#include "DsPickedItem.h"
#include "DsRefPoint.h"
#include "DsTypeMask.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "ViewSetup.h"
#include "ViewStaticsGuard.h"
#include "ViewWindow.h"
#include "VyrObjectPath.h"

#include "SpaValues.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "DsFigure.h"

#include <functional>
#include <string>

class BODY;
class CDsFigureGenerator;

namespace vyrtest {

// A window's picture: `width` x `height` RGB pixels, rows from the bottom.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;

    bool operator==(const Picture& other) const
    {
        return width == other.width && height == other.height && rgb == other.rgb;
    }
    bool operator!=(const Picture& other) const { return !(*this == other); }
    // The colour at (x, y), y counted up from the bottom row; black outside.
    const unsigned char* At(int x, int y) const;
    // Whether the pixel at (x, y) (rows up) has a channel sum above `threshold`.
    bool Lit(int x, int y, int threshold = 60) const;
    // How many pixels have a channel sum above `threshold`.
    int LitCount(int threshold = 60) const;
    // The colour at (x, y) (rows up), to compare with ColorNear.
    Rgb ColorAt(int x, int y) const;
    // Whether a pixel within `reach` pixels each way of (x, y) (rows up) is lit.
    bool LitNear(int x, int y, int reach, int threshold = 60) const;
    // How many pixels are lit in the columns `left` to `right` and the rows `bottom` to `top`.
    int LitIn(int left, int right, int bottom, int top, int threshold = 60) const;
};
// How many pixels of two pictures of one size differ in any channel (all of them when the sizes
// differ).
int DifferingPixels(const Picture& a, const Picture& b);
// A gtest failure naming how many pixels differ and the first of them, or success when none does.
::testing::AssertionResult SamePicture(const Picture& actual, const Picture& expected);

// A sphere of radius `r` about the origin as an STL mesh (the caller owns it): 12 bands of 24 quads,
// two triangles each; its extremes are exactly +-r on every axis.
class CVyrStlData* StlSphere(double r);
// Edits in place the meshes of `body`'s faces whose box starts at height `z` or above: every node
// moved by `by` (a new revision of each mesh's shape).
void MoveFaceMeshesAbove(class CDsItemsBody* body, double z, const SPAvector& by);
// Hides `item` on its own item (`blank`) or shows it again: through its hide level, or
// (`byStorage`) a copy of its attributes with the level changed, given back whole.
void HideOnItem(class CDsItemBase* item, bool blank, bool byStorage = false);

// A figure defined by a recipe: a function that draws it through the figure generator.
using FigureRecipe = std::function<void(CDsFigureGenerator&)>;
class RecipeFigure : public CDsFigure {
public:
    explicit RecipeFigure(FigureRecipe recipe) : m_recipe(std::move(recipe)) {}
    int DefineFig(CDsFigureGenerator& generator) override;

private:
    FigureRecipe m_recipe;
};

// A named recipe of one kind of figure leaf.
struct LeafRecipe {
    std::string name;
    FigureRecipe define;
};
// One recipe per kind of figure leaf, each about the origin within half size 10 and drawn in a pen
// of its own (colour, and for lines a width and a style): a polyline, an arc, a dynamic ellipse, a
// marker, a 2-D polyline, a relative 2-D polyline, a 2-D rectangle, a text, an STL mesh (placed by
// its own transformation `own`), recorded triangles, a triangle strip, quads with computed normals,
// a triangle set, a sphere, and the fills of ItDrawPolyLine and ItDrawTriangles. Each is placed by
// the generator's transformation `placement` (SetTransformation) unless it is the identity; the
// pixel items keep their size in pixels wherever they are anchored. Without `ownPens` no recipe
// sets a pen: each leaf takes what the generator gives it by default (the figure's colour where it
// inherits one).
std::vector<LeafRecipe> EveryLeafKind(const SPAtransf& placement, const SPAtransf& own = SPAtransf(),
                                      bool ownPens = true);

// One host: window, view, context, bodies. Made current on the view as it goes.
class Host {
public:
    // The object type the host's body geometry files bodies with.
    static constexpr unsigned char kBodyType = 1;
    // The object type recorded figures are filed with.
    static constexpr unsigned char kFigureType = 59;
    // Orange (0x00BBGGRR), the colour bodies are shown in unless told.
    static constexpr unsigned kOrange = 0x00C0FF;

    // A window of `width` x `height` pixels, a view on it and a context of a scene of its own,
    // shaded, seen as ViewSetup's default camera over the whole viewport.
    Host(int width, int height);
    // The same with a context of document number `number` (contexts of one number share a part).
    Host(int width, int height, int number);
    // Takes the bodies still shown out of the context, drops the view, the context and the
    // window, and loses every body the host owns.
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    // Drops the view and the context as a host closing a document does, with the bodies still
    // shown in them (the host keeps the bodies; the destructor loses them); with `windowFirst` the
    // window goes between the two. Only destruction follows.
    void Close(bool windowFirst = false);

    CDsView3dCdc& View() { return *view_; }
    CDsGlContext& Context() { return *context_; }
    FrameworkWindow& Window() { return *window_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Gives the view `setup`'s camera over its whole viewport.
    void Look(ViewSetup setup);
    // Resizes the window and tells the view, as a host does after a resize.
    void Resize(int width, int height);

    // Shows `body` (owned by the host from now on) as the next item id, in `color` and of
    // `transparency` (0 to 255, 255 opaque); null when the context refuses it (a test failure).
    BODY* Show(BODY* body, unsigned color = kOrange, int transparency = 255);
    // Shows the block [low, high] as the next item.
    BODY* ShowBlock(const SPAposition& low, const SPAposition& high, unsigned color = kOrange, int transparency = 255);
    // Takes an owned body out of the context and the database (kept, to show again).
    void Hide(BODY* body);
    // Shows again a body taken out by Hide, under its old id and colour.
    void ShowAgain(BODY* body);
    // Whether an owned body is shown.
    bool Shown(BODY* body) const;
    // The owned bodies, in the order they were first shown (ids 1, 2, ...).
    const std::vector<BODY*>& Bodies() const { return bodies_; }
    // The item id and object path of an owned body (0 and an empty path for another).
    int IdOf(BODY* body) const;
    CVyrObjectPath PathOf(BODY* body) const;
    // The path a recorded figure is filed under (a test failure and an empty path when it is not).
    static CVyrObjectPath PathOf(const CDsFigure& figure);
    // The body under a path (null for none of the host's).
    BODY* BodyOf(const CVyrObjectPath& path) const;

    // The view's refresh.
    void Refresh();
    // The window's front buffer, at the window's present size (also when a test resized the window
    // itself).
    Picture Front();
    // What a whole new frame of the present state shows: the context told that everything
    // changed, the view refreshed, the front buffer read.
    Picture WholeFrame();
    // The drawable pixel (rows down) of a model point; false when it projects nowhere.
    bool PixelOf(const SPAposition& point, int& x, int& y);
    // The scene's box.
    SPAbox Box() const;

    // The single pick at drawable pixel (x, y) (rows down), bodies only unless `domain` is given;
    // the other candidates go to `list` when given. With `byRay` faces are tested by the pick ray
    // and hit points against the sections.
    CDsPickedItem Pick(int x, int y, const std::vector<CDsTypeMask>* domain = nullptr,
                       CDsPickedItemList* list = nullptr, bool byRay = false);
    // The single pick at the pixel of a model point.
    CDsPickedItem PickAt(const SPAposition& point, const std::vector<CDsTypeMask>* domain = nullptr,
                         bool byRay = false);
    // The region pick between drawable pixels (x1, y1) and (x2, y2), bodies only unless told.
    std::vector<CVyrObjectPath> Region(int x1, int y1, int x2, int y2,
                                       const std::vector<CDsTypeMask>* domain = nullptr);
    // The region pick over the pixels of the model box [low, high], `margin` pixels wider on every
    // side.
    std::vector<CVyrObjectPath> RegionAround(const SPAposition& low, const SPAposition& high, int margin,
                                             const std::vector<CDsTypeMask>* domain = nullptr);
    // The snap to a reference point of the kinds `kinds` (CDsAcisPick::StPickRefPoint) at drawable
    // pixel (x, y); null when it answers none. The point's position is CDsRefPoint::sLastPosition.
    std::unique_ptr<CDsRefPoint> Snap(int x, int y, std::initializer_list<int> kinds);
    // The same at the pixel of a model point.
    std::unique_ptr<CDsRefPoint> SnapAt(const SPAposition& point, std::initializer_list<int> kinds);
    // What the region edge pick (CDsAcisPick::StPickEdgesInRegion) between drawable pixels
    // (x1, y1) and (x2, y2) gathers, in its order.
    std::vector<ENTITY*> RegionEdges(int x1, int y1, int x2, int y2);

    // A domain of the listed object types.
    static std::vector<CDsTypeMask> Domain(std::initializer_list<int> types);

    // Records each recipe as a figure of its own into the view, in the order given (each shown at
    // once when nothing else is pending); the figures are the caller's. Failures are test failures.
    std::vector<std::unique_ptr<RecipeFigure>> Record(const std::vector<FigureRecipe>& recipes);

private:
    void Make(int number, bool numbered);

    int width_, height_;
    std::unique_ptr<FrameworkWindow> window_;
    std::unique_ptr<CDsGlContext> context_;
    std::unique_ptr<CDsView3dCdc> view_;
    std::vector<BODY*> bodies_;
    std::vector<unsigned> colors_;
    std::vector<int> transparencies_;
    std::vector<bool> shown_;
};

// A test with one host of `kHostSize` x `kHostSize` pixels, the view statics put back after it,
// and the display manager's frame counting switched on (so that GetRefreshCounter counts).
class HostTest : public ::testing::Test {
protected:
    static constexpr int kHostSize = 100;
    void SetUp() override;
    void TearDown() override;

    ViewStaticsGuard statics_;
    std::unique_ptr<Host> host_;
    bool countFrames_ = false;
};

}  // namespace vyrtest

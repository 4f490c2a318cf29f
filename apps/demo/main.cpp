// The demo host: opens a window, makes the display core's view on it (CDsView3dCdc, with its
// device-context driver on the window) and a rendering context (CDsGlContext) that gives the view
// its OpenGL context, sets up the view's parallel camera and projection, draws, reads the back
// buffer into a bitmap through the driver statics (CDsDriverGl::Buffer2Bitmap), writes each
// picture as a PNG and presents it through the context:
//   triangle.png  a coloured triangle
//   plate.png     a filleted plate with holes and a boss, built and faceted by the modeler
//   polylines.png display items: a star of coloured polylines in a turned group over a gradient
//                 background item, labelled by a 3-D text block
//   stl-quadrics.png  polygon items: the faceted plate as a shaded STL mesh beside a sphere, a
//                 cylinder, a cone and a torus drawn as quadric items, labelled by a 2-D text
// and then the plate and three primitive bodies shown through the rendering context (bodies as
// display items, filed into the scene database by the host's body geometry), drawn by the
// context's refresh in each render mode:
//   wireframe.png, hidden-lines.png, partial-hidden-lines.png   with the outlines of the curved
//                         faces (silhouettes of every level)
//   shaded.png            lit by the default lights, with the outlines of cylinders and cones
//   highlight.png         the wireframe picture with the plate highlighted in the front buffer
//   shaded-red-blue.png   shaded under a red light and a blue one
//   lamps.png             the same with the lamps of the two lights shown
//   bitmap.png            shaded, drawn by the context into the view's bitmap (draw_to_bitmap)
//   figures.png           shaded, with a ring and a zigzag figure recorded over the bodies
//   figure-classes.png    shaded, with a reference plane and its grid, a circle, an arrow and a
//                         text figure over the plate
//   section-plane.png     shaded, cut by a section plane through the middle
//   stepped-section.png   shaded, the plate cut by a stepped section of two areas
//   saved.jpg, saved.png, saved.bmp, saved.tif   the same view saved by the core's image formats
//   mixed.png             mixed mode, the plate half transparent over the rest
//   reopened.png          shaded, the plate shown again from its saved meshes (loaded, not faceted)
// and last picks the shown bodies at a few pixels (the sphere's face, the plate's outline in
// wireframe, the background) through the context's pick processor and prints what it picked, and
// snaps to the end of one of the plate's edges, printing the kind and position of the point.
//
//   vyr_demo [output folder]      (default: out)
#include "DemoModel.h"
#include "DemoPng.h"

#include <acis.h>

#include <afxwin.h>
#include <windows.h>
#include <GL/gl.h>

#include "DsAttributes.h"
#include "DsImageFormatsConvertor.h"
#include "VyrString.h"
#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemsBody.h"
#include "DsFigArrow3DFixed.h"
#include "DsFigPoly3D.h"
#include "DsFigReferencePlane.h"
#include "DsFigText3D.h"
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsLight.h"
#include "DsPartStorage.h"
#include "DsGeometryComputer.h"
#include "DsAcisPick.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "DsTypeMask.h"
#include "UiPickEvent.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "SpaBuilders.h"
#include "SpaFaceter.h"
#include "VyrBodyGeometry.h"
#include "VyrComplexSection.h"
#include "VyrMeshInterface.h"
#include "DsItemBackground.h"
#include "DsItemPolygonsStl.h"
#include "DsItemQuadric.h"
#include "DsItemPolyline3D.h"
#include "DsItemNText2D.h"
#include "DsItemsFigure.h"
#include "DsItemToolpathPolyline.h"
#include "UiCharFormat.h"
#include "DsItemsEntity.h"
#include "DsItemsCopy.h"
#include "DsItemsUcs.h"
#include "DsGlSketch.h"
#include "DsView3dCdc.h"
#include "VyrStlData.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

// The host's window, known to the framework, with the core's view on it in a rendering context.
struct DemoWindow {
    HWND window = nullptr;
    CWnd wnd;
    std::unique_ptr<CDsGlContext> context;
    std::unique_ptr<CDsView3dCdc> view;

    bool Open(const wchar_t* title) {
        window = CreateWindowExW(0, L"VyrDemo", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                 nullptr, nullptr, nullptr, nullptr);
        if (!window || !wnd.Attach(window)) return false;
        view = std::make_unique<CDsView3dCdc>(&wnd);  // the newest view is the current view
        context = std::make_unique<CDsGlContext>();
        view->SetGlContext(context.get());
        context->add_view(view.get());  // the view gets its OpenGL context on the window
        return CDsView3dCdc::StGetCurrent() == view.get() && wglGetCurrentContext() != nullptr;
    }

    HDC Dc() const { return static_cast<const gl_context_data*>(view->get_rendering_context_data())->get_DC(); }

    ~DemoWindow() {
        view.reset();  // leaves the context and deletes its OpenGL context
        context.reset();
        if (window) {
            wnd.Detach();
            DestroyWindow(window);
        }
    }
};

// A parallel camera looking at `target` from `direction`, its picture `width` x `height` model
// units, the clipping planes `depth` away on either side.
void ParallelCamera(view3d& view, const SPAposition& target, const SPAvector& direction, const SPAvector& up,
                    double width, double height, double depth) {
    view.set_perspective(false);
    view.set_target(target);
    view.set_eye(target + normalise(direction) * (2.0 * depth));
    view.set_up(up);
    view.set_width(width);
    view.set_height(height);
    view.set_hither(depth);
    view.set_yon(3.0 * depth);
}

void DrawTriangle(CDsView3dCdc& view) {
    ParallelCamera(view, SPAposition(0, 0, 0), SPAvector(0, 0, 1), SPAvector(0, 1, 0), 2.0 * kWidth / kHeight, 2.0,
                   1.0);
    view.SetupRenderingTransforms(false, true, false, nullptr);
    glClearColor(0.1f, 0.1f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glBegin(GL_TRIANGLES);
    glColor3ub(255, 160, 0);
    glVertex2f(-0.8f, -0.8f);
    glVertex2f(0.8f, -0.8f);
    glVertex2f(0.0f, 0.8f);
    glEnd();
}

// The plate seen from above at an angle, fitted into the viewport.
void DrawPlate(CDsView3dCdc& view, const vyrdemo::TriangleSoup& soup) {
    float low[3], high[3];
    vyrdemo::Bounds(soup, low, high);
    const SPAposition centre((low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2);
    const double radius = 0.5 * std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});
    const double aspect = double(kWidth) / kHeight;
    ParallelCamera(view, centre, SPAvector(0.5, -0.866, 1.2), SPAvector(0, 0, 1), 2.2 * radius * aspect,
                   2.2 * radius, 4.0 * radius);
    view.SetupRenderingTransforms(false, true, false, nullptr);
    glClearColor(0.92f, 0.93f, 0.95f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    vyrdemo::DrawLit(soup);
}

// The host's group of items: an entity group that places its children by its transformation.
class DemoGroup : public CDsItemsEntity {
public:
    DemoGroup() : CDsItemsEntity(nullptr) {}
    using CDsItemsGroup::Add;
    void Refresh(view3d& view) override {
        PushMatrix();
        CDsItemsEntity::Refresh(view);
        PopMatrix();
    }
};

// Twelve spokes and a closed ring of polylines in a group turned by 15 degrees, over a vertical
// gradient.
void DrawPolylines(CDsView3dCdc& view) {
    ParallelCamera(view, SPAposition(0, 0, 0), SPAvector(0, 0, 1), SPAvector(0, 1, 0), 24.0 * kWidth / kHeight, 24.0,
                   1.0);
    view.SetupRenderingTransforms(false, true, false, nullptr);
    CDsItemBackground background(
        CDsBackground(CDsColorStorage(20, 30, 70), CDsColorStorage(150, 170, 210), true, false));
    background.Refresh(view);

    // Children without a colour of their own draw in the group's; the spokes with their own colour
    // come last, since a leaf that sets its colour leaves it in force for what follows.
    DemoGroup group;
    group.SetColor(CDsColorStorage(255, 230, 120), false);
    const double pi = 3.14159265358979;
    std::vector<SPAposition> ring;
    for (int i = 0; i < 48; ++i) ring.emplace_back(9.5 * cos(2 * pi * i / 48), 9.5 * sin(2 * pi * i / 48), 0);
    group.Add(new CDsItemPolyline3D(static_cast<int>(ring.size()), ring.data(), true, nullptr));
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < 12; ++i) {
            if ((i % 3 == 0) != (pass == 1)) continue;
            const double a = 2 * pi * i / 12;
            const SPAposition spoke[2] = {SPAposition(2 * cos(a), 2 * sin(a), 0),
                                          SPAposition(9 * cos(a), 9 * sin(a), 0)};
            auto* line = new CDsItemPolyline3D(2, spoke, false, nullptr);
            if (pass == 1) line->SetColor(CDsColorStorage(240, 90, 60), false);
            group.Add(line);
        }
    group.SetWidth(2, true);
    group.SetTransformation(rotate_transf(15 * pi / 180, SPAvector(0, 0, 1)));
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    group.Refresh(view);

    // A white 3-D text block under the ring, made by the figure generator: one centred line of
    // two runs, the second bold (one model unit high: 57 twips of a text control's format).
    CDsFigureGenerator generator(nullptr);
    generator.StartTextBlock(CGmPosition(0.0, -10.6, 0.0), 0.0f, eDsTextBlockTopCenter);
    generator.StartTextLine(eDsTextLineCenter);
    CUiCharFormat format;
    format.SetFaceName(L"Arial");
    format.SetHeight(57);
    generator.AddTextItem(CVyrString(L"Polylines in "), format);
    format.SetMask(CUiCharFormat::eBold);
    format.SetEffects(CUiCharFormat::eBold);
    generator.AddTextItem(CVyrString(L"a turned group"), format);
    std::unique_ptr<CDsItemsFigure> labels(generator.DisplayList(nullptr));
    labels->SetColor(CDsColorStorage(255, 255, 255), true);
    labels->Refresh(view);
}

// The faceted plate as an STL mesh, fitted to 10 units wide and centred at (-5.5, 0, 0), and to
// its right a green sphere, an orange cylinder, a red cone and a yellow torus as quadric items, all
// shaded under one white light from the viewer's upper left, on a light grey background.
bool DrawStlAndQuadrics(CDsView3dCdc& view, const vyrdemo::TriangleSoup& soup) {
    float low[3], high[3];
    if (!vyrdemo::Bounds(soup, low, high)) return false;
    CVyrStlData* data = new CVyrStlData;  // the creator's reference, given back below
    for (int t = 0; t < soup.Triangles(); ++t) {
        const float* c = soup.corners.data() + 18 * static_cast<size_t>(t);
        data->AddTriangle(CVyrTriangle(SPAposition(c[0], c[1], c[2]), SPAposition(c[6], c[7], c[8]),
                                       SPAposition(c[12], c[13], c[14])));
    }
    const double scale = 10.0 / std::max(1e-9, double(high[0] - low[0]));
    const SPAvector centre((low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2);
    SPAtransf place = translate_transf(-centre);  // then scaled, then moved left
    place *= scale_transf(scale);
    place *= translate_transf(SPAvector(-5.5, 0, 0));
    CDsItemPolygonsStl mesh(data, place);
    data->decRC();
    mesh.SetColor(CDsColorStorage(90, 140, 210), false);

    CDsSphere sphere(1.5f);
    CDsCylinder cylinder(1.0f, 2.5f);
    CDsCone cone(1.5f, 0.0f, 3.0f);
    CDsTorus torus(0.4f, 1.4f);
    const struct {
        CDsBasicSurface* surface;
        SPAvector at;
        CDsColorStorage color;
    } shapes[] = {{&sphere, SPAvector(3.5, 2.5, 1.5), CDsColorStorage(60, 190, 70)},
                  {&cylinder, SPAvector(7.5, 2.5, 0), CDsColorStorage(240, 140, 30)},
                  {&cone, SPAvector(3.5, -2.5, 0), CDsColorStorage(210, 50, 50)},
                  {&torus, SPAvector(7.5, -2.5, 0.4), CDsColorStorage(230, 210, 40)}};
    std::vector<std::unique_ptr<CDsItemQuadric>> quadrics;
    for (const auto& shape : shapes) {
        quadrics.push_back(std::make_unique<CDsItemQuadric>(shape.surface));
        quadrics.back()->Transform(translate_transf(shape.at));
        quadrics.back()->SetColor(shape.color, false);
    }

    ParallelCamera(view, SPAposition(0, 0, 0), SPAvector(0.3, -0.8, 1.2), SPAvector(0, 0, 1),
                   22.0, 22.0 * kHeight / kWidth, 20.0);
    view.SetRenderMode(eRenderShade);
    view.SetupRenderingTransforms(false, true, false, nullptr);
    glClearColor(0.92f, 0.93f, 0.95f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const float light[4] = {-0.3f, 0.5f, 1.0f, 0.0f}, white[4] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glEnable(GL_LIGHT0);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    mesh.Refresh(view);
    for (auto& quadric : quadrics) quadric->Refresh(view);
    glDisable(GL_DEPTH_TEST);

    // A dark 2-D label in the lower left corner, 14 pixels high.
    glDisable(GL_LIGHTING);
    CDsItemNText2D label(CVyrString(L"STL mesh and quadric items"), CVyrString(L"Arial"), 14, 0, 0);
    label.SetPosition(12, 12);
    label.SetColor(CDsColorStorage(30, 30, 40), false);
    label.Refresh(view);
    return true;
}

// A block's body group and a copy of it (mode 5: the group drawn again under the copy's
// translation), a coordinate-system triad at the block's corner, and the scene's reference triad
// in the lower-left corner, shaded.
bool DrawTriadsAndACopy(DemoWindow& demo) {
    CDsView3dCdc& view = *demo.view;
    BODY* block = make_block(-2, -2, -2, 2, 2, 2);
    if (!block) return false;
    CVyrMeshInterface* meshes = CDsGlSketch(nullptr).BuildBody(block, true);
    bool drawn = false;
    {
        CDsItemsBody body(block, demo.context.get(), meshes);
        body.SetColor(CDsColorStorage(90, 140, 210), true);
        CDsItemsCopy copy(&body, nullptr, demo.context.get());
        copy.SetTransformation(translate_transf(SPAvector(7, 0, 0)));
        const CGmUnitVector axes[3] = {CGmUnitVector(1, 0, 0), CGmUnitVector(0, 1, 0), CGmUnitVector(0, 0, 1)};
        CDsItemsUcs triad(CGmPosition(-2, -2, 2), CVyrString(L""), CVyrString(L"O"), axes, false, false, 60, 60, 3);

        ParallelCamera(view, SPAposition(3.5, 0, 0), SPAvector(0.3, -0.8, 1.2), SPAvector(0, 0, 1), 22.0,
                       22.0 * kHeight / kWidth, 20.0);
        view.SetRenderMode(eRenderShade);
        view.SetupRenderingTransforms(false, true, false, nullptr);
        glClearColor(0.92f, 0.93f, 0.95f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        const float light[4] = {-0.3f, 0.5f, 1.0f, 0.0f}, white[4] = {1, 1, 1, 1};
        glLightfv(GL_LIGHT0, GL_POSITION, light);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glEnable(GL_LIGHT0);
        glPopMatrix();
        glEnable(GL_LIGHTING);
        glEnable(GL_DEPTH_TEST);
        body.Refresh(view);
        copy.Refresh(view);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        view.SetDrawPhase(eDsDrawPhaseOnTop);
        glColor3ub(200, 30, 30);
        triad.DrawGeometry(view);
        view.SetDrawPhase(eDsDrawPhasePlot);
        demo.context->GetScene()->DrawReferenceUcs(&view);
        drawn = true;
    }
    block->lose();
    return drawn;
}

// The back buffer as the window shows it, as RGB rows from the top: read into a bitmap by the
// driver statics (32-bit pixels, blue, green, red and one unused byte each). Empty on failure.
std::vector<unsigned char> ReadBack(const DemoWindow& demo, GLenum buffer = GL_BACK) {
    CDC memDC;
    CBitmap bitmap;
    if (!CDsDriverGl::Buffer2Bitmap(demo.Dc(), 0, 0, kWidth, kHeight, buffer, &memDC, bitmap)) return {};
    std::vector<unsigned char> bgrx(static_cast<size_t>(kWidth) * kHeight * 4);
    if (bitmap.GetBitmapBits(static_cast<DWORD>(bgrx.size()), bgrx.data()) != bgrx.size()) return {};
    std::vector<unsigned char> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    for (size_t i = 0, n = static_cast<size_t>(kWidth) * kHeight; i < n; ++i) {
        rgb[3 * i] = bgrx[4 * i + 2];
        rgb[3 * i + 1] = bgrx[4 * i + 1];
        rgb[3 * i + 2] = bgrx[4 * i];
    }
    return rgb;
}

// Writes the back buffer to `path`, then presents it (the back buffer copied to the front).
bool Present(const DemoWindow& demo, const std::string& path) {
    glFinish();
    const std::vector<unsigned char> rgb = ReadBack(demo);
    if (rgb.empty() || !vyrdemo::WritePngRgb(path, kWidth, kHeight, rgb)) {
        std::fprintf(stderr, "demo: cannot write %s\n", path.c_str());
        return false;
    }
    demo.context->RestoreBackBuffer(demo.view.get());
    std::printf("demo: wrote %s\n", path.c_str());
    return true;
}

// Writes the picture a refresh presented (the front buffer) to `path`.
bool WriteShown(const DemoWindow& demo, const std::string& path) {
    glFinish();
    const std::vector<unsigned char> rgb = ReadBack(demo, GL_FRONT);
    if (rgb.empty() || !vyrdemo::WritePngRgb(path, kWidth, kHeight, rgb)) {
        std::fprintf(stderr, "demo: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("demo: wrote %s\n", path.c_str());
    return true;
}

// Draws every shown entity into the view's bitmap (the context in bitmap mode, draw_to_bitmap) and
// writes the bitmap to `path`; the window's OpenGL context is current again afterwards.
bool WriteBitmapPicture(DemoWindow& demo, const std::string& path) {
    demo.context->SetRenderToBitmap(1);
    demo.context->draw_to_bitmap(demo.view.get());
    gl_context_data* record = demo.context->Get_gl_context_data(demo.view.get());
    std::vector<unsigned char> rgb;
    if (record && record->get_Bitmap() && record->make_current(demo.view.get())) {
        std::vector<unsigned char> rows(static_cast<size_t>(kWidth) * kHeight * 3);
        glFinish();
        glReadBuffer(GL_FRONT);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
        // OpenGL's rows count up; the picture's count down.
        rgb.resize(rows.size());
        const size_t row = static_cast<size_t>(kWidth) * 3;
        for (int y = 0; y < kHeight; ++y)
            std::copy_n(rows.data() + static_cast<size_t>(kHeight - 1 - y) * row, row, rgb.data() + y * row);
    }
    demo.context->SetRenderToBitmap(0);
    CDsGlContext::sCurrentView = nullptr;  // the window's record is made current anew
    demo.context->MakeCurrent(demo.view.get());
    if (rgb.empty() || !vyrdemo::WritePngRgb(path, kWidth, kHeight, rgb)) {
        std::fprintf(stderr, "demo: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("demo: wrote %s\n", path.c_str());
    return true;
}

// A ring figure: a yellow circle of `radius` about `centre`'s vertical at height `z`.
class CDemoRing : public CDsFigure {
public:
    CDemoRing(const SPAposition& centre, double radius, double z) : m_centre(centre.x(), centre.y(), z), m_radius(radius) {}
    int DefineFig(CDsFigureGenerator& generator) override {
        generator.SetPenColor(CDsColorStorage(255, 230, 40));
        generator.SetPenWidth(3);
        generator.DrawArc(m_centre, m_radius, CGmTransformation(), 0.0, 2 * 3.14159265358979, 3.14159265358979 / 48);
        return 1;
    }

private:
    CGmPosition m_centre;
    double m_radius;
};

// A zigzag figure of white segments from `start` along +x.
class CDemoZigzag : public CDsFigure {
public:
    CDemoZigzag(const SPAposition& start, double step) : m_start(start), m_step(step) {}
    int DefineFig(CDsFigureGenerator& generator) override {
        generator.SetPenColor(CDsColorStorage(255, 255, 255));
        generator.SetPenWidth(2);
        CGmPosition points[9];
        for (int i = 0; i < 9; ++i)
            points[i] = CGmPosition(m_start.x() + i * m_step, m_start.y() + (i % 2 ? -m_step : 0.0), m_start.z());
        generator.DrawPolyline(9, points);
        return 1;
    }

private:
    SPAposition m_start;
    double m_step;
};
// A toolpath figure: one branch of single-point nodes zigzagging from `start` along +x, its first
// half in entry 1 of the scene's attributes palette (green) and its second half in entry 2 (red),
// so that the colour changes at the middle node.
class CDemoToolpath : public CDsFigure {
public:
    CDemoToolpath(const SPAposition& start, double step) : m_start(start), m_step(step) {}
    int DefineFig(CDsFigureGenerator& generator) override {
        generator.StartToolpath(1, nullptr);
        generator.StartToolpathBranch(1, 0.0f);
        for (int i = 0; i < 13; ++i) {
            const float x = static_cast<float>(m_start.x() + i * m_step);
            const float y = static_cast<float>(m_start.y() + (i % 2 ? m_step : 0.0));
            generator.AddToolpathSegment(
                TDsNodeHeader::StCreatePoint(i, i < 6 ? 1 : 2, x, y, static_cast<float>(m_start.z())));
        }
        generator.EndToolpathBranch();
        generator.EndToolpath();
        return 1;
    }

private:
    SPAposition m_start;
    double m_step;
};

// Picks at the pixel where `model` shows (or at `pixel` when it is given) and prints what the pick
// chose and how many other candidates it listed.
void PickAndPrint(DemoWindow& demo, const char* what, const SPAposition* model, const int* pixel)
{
    int x = pixel ? pixel[0] : 0, y = pixel ? pixel[1] : 0;
    if (model) {
        float px = 0.0f, py = 0.0f;
        if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(CGmPosition(*model), demo.view.get(), px, py))
            return;
        x = static_cast<int>(std::lround(px));
        y = static_cast<int>(std::lround(py));
    }
    // Every object type, then the free point on the working plane.
    std::vector<CDsTypeMask> domain(2);
    for (int type = 0; type < eDsPickPtFirst; ++type) domain[0].SetType(type, -1);
    domain[1].SetType(eDsPickPtWorkingPlane, -1);
    const CUiPickEvent event(x, y, 0, demo.view.get(), nullptr);
    CDsPickContext request;
    request.m_ownerContext = demo.context.get();
    request.m_domain = &domain;
    request.m_event = &event;
    CDsPickedItemList others;
    const CDsPickedItem picked = demo.context->GetPickProccessor()->PickSingle(request, others);
    const CGmPosition* at = picked.GetPickedPosition();
    const CVyrObjectPath& path = picked.GetObjectPath();
    std::printf("demo: pick at pixel (%d, %d), %s: ", x, y, what);
    if (!picked.IsValid()) {
        std::printf("nothing\n");
        return;
    }
    std::printf("item %d of part %d, object type %d, point type %d, at (%.2f, %.2f, %.2f); %d more candidates\n",
                path.GetLastId(), path.GetPartId(), static_cast<int>(picked.GetObjectType()),
                static_cast<int>(picked.GetPickedPointType()), at->x(), at->y(), at->z(), others.GetSize());
}

// Snaps to the end of one of the body's edges: the first edge whose end lies inside the window,
// the reference-point search with the edge kinds (ends, middles, centres) at that end's pixel;
// prints the kind and position it found.
void SnapAndPrint(DemoWindow& demo, BODY* body)
{
    ENTITY_LIST edges;
    api_get_edges(body, edges);
    int width = 0, height = 0, left = 0, top = 0;
    demo.view->get_viewport(left, top, width, height);
    for (int i = 0; i < edges.count(); ++i) {
        const SPAposition end = static_cast<EDGE*>(edges[i])->end_pos();
        float px = 0.0f, py = 0.0f;
        if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(CGmPosition(end), demo.view.get(), px, py))
            continue;
        const int x = static_cast<int>(px), y = static_cast<int>(py);
        if (x < 0 || y < 0 || x >= width || y >= height) continue;
        CDsTypeMask kinds;
        for (int kind = eDsPickPtStart; kind <= eDsPickPtStart + 3; ++kind) kinds.SetType(kind, -1);
        CUiPickEvent event(x, y, 0, demo.view.get(), nullptr);
        std::unique_ptr<CDsRefPoint> point(CDsAcisPick::StPickRefPoint(event, kinds));
        std::printf("demo: snap at pixel (%d, %d) by the end (%.3f, %.3f, %.3f) of a plate edge: ", x, y, end.x(),
                    end.y(), end.z());
        if (!point) {
            std::printf("nothing\n");
            return;
        }
        const CGmPosition at = CDsRefPoint::PickPosition();
        std::printf("kind %d at (%.3f, %.3f, %.3f)\n", static_cast<int>(CDsRefPoint::PickType()), at.x(), at.y(),
                    at.z());
        return;
    }
    std::printf("demo: snap: no edge end of the plate inside the window\n");
}

// Region-picks the left half of the window (every object type), in selection mode 0 or, with
// `visibleOnly`, in mode 2 (visible items only), and prints how many items it listed.
void RegionPickAndPrint(DemoWindow& demo, bool visibleOnly)
{
    int x0 = 0, y0 = 0, width = 0, height = 0;
    demo.view->get_viewport(x0, y0, width, height);
    std::vector<CDsTypeMask> domain(1);
    for (int type = 0; type < eDsPickPtFirst; ++type) domain[0].SetType(type, -1);
    const CUiPickEvent event(0, 0, 0, demo.view.get(), nullptr);
    const int corner[2] = {width / 2, height - 1};
    CDsPickContext request;
    request.m_ownerContext = demo.context.get();
    request.m_domain = &domain;
    request.m_event = &event;
    request.m_secondCorner = corner;
    request.m_regionSelector = 1;
    CDsPickProccessor* processor = demo.context->GetPickProccessor();
    const EDsSelectionByBoxMode mode = processor->GetSelectionMode();
    processor->SetSelectionMode(visibleOnly ? eDsSelectionByBoxVisibleOnly : eDsSelectionByBoxDefault);
    CDsPickedItemList picked;
    const int count = processor->PickInRegion(request, picked);
    processor->SetSelectionMode(mode);
    std::printf("demo: region pick of the left half, selection mode %d: %d items\n", visibleOnly ? 2 : 0, count);
}

// The plate cut by a stepped section of two areas, written to `path`: the section line runs across
// the plate below its middle, up through the middle and across again above it, keeping the left
// half above the lower run and everything above the upper run. Only the plate (item 1 of the model
// part) is listed in the section; its body takes part in the section passes.
bool ShowSteppedSection(DemoWindow& demo, BODY* plate, const float low[3], const float high[3], const std::string& path)
{
    CDsItemsBody* group = demo.context->FindDsBody(plate);
    if (!group) return false;
    const double cx = (low[0] + high[0]) / 2, cy = (low[1] + high[1]) / 2, step = 0.15 * (high[1] - low[1]);
    const double margin = high[0] - low[0];
    auto* section = new CVyrComplexSection;
    section->m_vertices = {SPAposition(low[0] - margin, cy - step, 0), SPAposition(cx, cy - step, 0),
                           SPAposition(cx, cy + step, 0), SPAposition(high[0] + margin, cy + step, 0)};
    section->m_normals = {SPAvector(0, 1, 0), SPAvector(-1, 0, 0), SPAvector(0, 1, 0)};
    section->m_depth = high[2] - low[2];
    const double box[6] = {low[0], low[1], low[2], high[0], high[1], high[2]};
    std::copy(box, box + 6, section->m_box);
    const int plateItem = 1;
    section->m_paths.push_back(
        CVyrObjectPath(&plateItem, 1, 1, demo.context->GetScene()->GetDbScene().GetPeerPartId()));
    group->SetFlag(static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag));
    demo.context->GetScene()->SetComplexSection(section);
    demo.view->refresh();
    const bool written = WriteShown(demo, path);
    demo.context->GetScene()->SetComplexSection(nullptr);
    group->ResetFlag(static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag));
    return written;
}

// The plate and three primitive bodies shown through the rendering context (its entity operations
// make their display items; the host's body geometry files them into the scene database),
// refreshed in each render mode; then shaded under a red and a blue light.
bool RefreshInEveryMode(DemoWindow& demo, const std::string& folder) {
    BODY* plate = make_benchmark_plate();
    if (!plate) return false;
    float low[3], high[3];
    {
        // The plate's extent places the primitives on its top.
        CGmPosition a, b;
        demo.context->add(plate);
        CDsItemsBody* group = demo.context->FindDsBody(plate);
        if (!group || !group->GetBox(a, b, true)) return false;
        demo.context->remove(plate);
        low[0] = float(a.x()), low[1] = float(a.y()), low[2] = float(a.z());
        high[0] = float(b.x()), high[1] = float(b.y()), high[2] = float(b.z());
    }
    const double size = std::min(high[0] - low[0], high[1] - low[1]);
    const double top = high[2];
    struct SShown {
        BODY* body;
        unsigned color;  // 0x00BBGGRR
    };
    std::vector<SShown> bodies = {
        {plate, 0xD28C5A},  // steel blue
        {make_cylinder(SPAposition(low[0] + 0.2 * size, low[1] + 0.2 * size, top), SPAvector(0, 0, 1), 0.08 * size,
                       0.3 * size),
         0x2090F0},  // orange
        {make_sphere(SPAposition(high[0] - 0.2 * size, low[1] + 0.2 * size, top + 0.1 * size), 0.1 * size), 0x40C040},
        {make_cone(SPAposition(high[0] - 0.2 * size, high[1] - 0.2 * size, top), SPAvector(0, 0, 1), 0.1 * size, 0.0,
                   0.3 * size),
         0x3030D0}};  // red
    int id = 1;
    for (const SShown& shown : bodies) {
        CDsAttributes look;
        look.SetColor(shown.color);
        if (!shown.body || !VyrShowBody(demo.context.get(), shown.body, id++, &look)) {
            std::fprintf(stderr, "demo: cannot show body %d\n", id - 1);
            return false;
        }
        // The body's items carry its colour too: what the context draws of them outside a frame
        // (into its bitmap) has the look the frame gives them.
        demo.context->FindDsBody(shown.body)
            ->SetColor(CDsColorStorage(uint8_t(shown.color & 0xFF), uint8_t((shown.color >> 8) & 0xFF),
                                       uint8_t((shown.color >> 16) & 0xFF)),
                       true);
    }
    std::printf("demo: %zu bodies shown through the rendering context\n", bodies.size());
    const SPAposition centre((low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2);
    const double radius = 0.5 * std::max({double(high[0] - low[0]), double(high[1] - low[1]), high[2] - low[2] + 0.3 * size});
    const double aspect = double(kWidth) / kHeight;
    ParallelCamera(*demo.view, centre, SPAvector(0.5, -0.866, 1.2), SPAvector(0, 0, 1), 2.2 * radius * aspect,
                   2.2 * radius, 4.0 * radius);

    const struct {
        ERenderMode mode;
        const char* file;
    } modes[] = {{eRenderWireframe, "wireframe.png"},
                 {eRenderHiddenLines, "hidden-lines.png"},
                 {eRenderPartialHiddenLines, "partial-hidden-lines.png"},
                 {eRenderShade, "shaded.png"}};
    for (const auto& m : modes) {
        // The line pictures outline every curved face (the sphere's too); the shaded one keeps the
        // document's default, the outlines of cylinders and cones.
        demo.view->SetSilhouetteLevel(m.mode == eRenderShade ? eDsSilhouetteCylinders : eDsSilhouetteAll);
        demo.view->SetRenderMode(m.mode);
        demo.view->refresh();
        if (!WriteShown(demo, folder + "/" + m.file)) return false;
        if (m.mode != eRenderWireframe) continue;
        // The plate highlighted over the wireframe picture, in the front buffer only.
        const int plateItem = 1;
        demo.context->ValidateView(demo.view.get());
        demo.context->HighlightLocations(
            {CVyrObjectPath(&plateItem, 1, 1, demo.context->GetScene()->GetDbScene().GetPeerPartId())},
            eAttribSetHighlight);
        if (!WriteShown(demo, folder + "/highlight.png")) return false;
        demo.context->UnHighlightLocations();
    }

    // Light 0 red from the upper left, light 1 blue from the right.
    CDsLight* red = demo.context->GetLight(0);
    CDsLight* blue = demo.context->GetLight(1);
    if (!red || !blue) return false;
    red->SetProperties(0x0000FF, 0.1f, 0.9f, 0.3f);
    const float fromRight[3] = {100, 0, 30};
    blue->SetProperties(0xFF0000, 0.1f, 0.9f, 0.3f);
    blue->SetPosition(fromRight);
    blue->TurnOn(true);
    demo.context->OnPicturePropsChanged();  // the saved picture no longer shows the scene
    demo.view->refresh();
    bool written = WriteShown(demo, folder + "/shaded-red-blue.png");
    // The lamps of the two lights over the shaded plate: a cylinder for the directional red light
    // (fitted to the scene's box), a sphere for the blue point light at its position.
    // The camera steps back to see them, the scene's box having placed them around it.
    demo.context->SetDrawLightFiguresMode(true);
    ParallelCamera(*demo.view, centre, SPAvector(0.5, -0.866, 1.2), SPAvector(0, 0, 1), 5.0 * radius * aspect,
                   5.0 * radius, 8.0 * radius);
    demo.view->refresh();
    written = written && WriteShown(demo, folder + "/lamps.png");
    demo.context->SetDrawLightFiguresMode(false);
    ParallelCamera(*demo.view, centre, SPAvector(0.5, -0.866, 1.2), SPAvector(0, 0, 1), 2.2 * radius * aspect,
                   2.2 * radius, 4.0 * radius);
    red->SetProperties(0xFFFFFF, 0.2f, 0.8f, 0.3f);
    blue->TurnOn(false);

    // Figures over the bodies: a yellow ring about the boss, a white zigzag along the plate and a
    // two-colour toolpath near its front edge, recorded into the scene database's temporary part.
    CDemoRing ring(centre, 0.25 * size, top + 0.02 * size);
    CDemoZigzag zigzag(SPAposition(low[0] + 0.1 * size, high[1] - 0.1 * size, top + 0.02 * size), 0.15 * size);
    CDemoToolpath toolpath(SPAposition(low[0] + 0.1 * size, low[1] + 0.1 * size, top + 0.02 * size), 0.06 * size);
    ring.Record();
    zigzag.Record();
    toolpath.Record();
    demo.view->SetRenderMode(eRenderShade);
    demo.context->OnPicturePropsChanged();
    demo.view->refresh();
    written = written && WriteShown(demo, folder + "/figures.png");
    // The same view saved by the core in each of its picture formats.
    const char* saved[] = {"saved.jpg", "saved.png", "saved.bmp", "saved.tif"};
    for (int format = eDsImageFormatJpeg; format <= eDsImageFormatTiff; ++format) {
        const std::string path = folder + "/" + saved[format];
        if (!CDsImageFormatsConvertor::Instance()->SaveImage(demo.view.get(), EDsImageFormat(format),
                                                             CVyrString(path.c_str()), 1.0, false, nullptr, false)) {
            std::fprintf(stderr, "vyr_demo: cannot save %s\n", path.c_str());
            written = false;
        }
    }
    ring.Remove();
    zigzag.Remove();
    toolpath.Remove();
    // The shaded bodies drawn by the context into the view's bitmap instead of its window.
    written = written && WriteBitmapPicture(demo, folder + "/bitmap.png");
    demo.context->OnPicturePropsChanged();

    // The figure classes over the plate: a reference plane with its grid on the plate's top face,
    // a circle about the boss, an arrow standing up from the plate's corner and a text label.
    {
        const CUiPlanePositionMapper onTop(SPAposition(centre.x(), centre.y(), top + 0.01 * size), SPAvector(0, 0, 1));
        CDsFigReferencePlane plane(onTop, 0.9 * size, 0.9 * size, true, false);
        CDsFigCircle3D circle(CGmPosition(0, 0, 0), 0.3 * size,
                              CGmTransformation(translate_transf(SPAvector(centre.x(), centre.y(), top + 0.03 * size))));
        circle.SetColor(CDsColorStorage(255, 255, 0), false);
        CDsFigArrow3DFixed arrow(CGmPosition(low[0] + 0.1 * size, low[1] + 0.1 * size, top), CGmVector(0, 0, 1), 60,
                                 0);
        arrow.SetColor(CDsColorStorage(255, 0, 255), false);
        CDsFigText2D label(12, kHeight - 28, "Reference plane, circle, arrow", nullptr, 18.0f);
        label.SetColor(CDsColorStorage(255, 255, 255), false);
        for (CDsFigure* figure : std::initializer_list<CDsFigure*>{&plane, &circle, &arrow, &label}) figure->Record();
        demo.context->OnPicturePropsChanged();
        demo.view->refresh();
        written = written && WriteShown(demo, folder + "/figure-classes.png");
        for (CDsFigure* figure : std::initializer_list<CDsFigure*>{&plane, &circle, &arrow, &label}) figure->Remove();
    }

    // Sections, shaded: a plane through the middle that keeps what lies ahead of it, then a stepped
    // section of two areas through the plate alone (the rest drawn whole).
    demo.context->GetScene()->SetSection(centre, SPAvector(1, 0.4, 0));
    demo.view->refresh();
    written = written && WriteShown(demo, folder + "/section-plane.png");
    demo.context->GetScene()->ResetSection();
    written = written && ShowSteppedSection(demo, plate, low, high, folder + "/stepped-section.png");

    // Mixed mode: the plate half transparent over the rest.
    CDsAttributes half;
    half.SetTransparency(128);
    CDsPartStorage::instance()->UpdateAttributes(CVyrObjectId(demo.context->GetScene()->GetDbScene().GetPeerPartId(), 1),
                                                 half, nullptr);
    demo.view->SetRenderMode(eRenderMixed);
    demo.view->refresh();
    written = written && WriteShown(demo, folder + "/mixed.png");

    // Picks: the sphere's face (body 3), the plate's lower left edge in wireframe, the background.
    const SPAposition sphereTop(high[0] - 0.2 * size, low[1] + 0.2 * size, top + 0.2 * size);
    PickAndPrint(demo, "the sphere's face", &sphereTop, nullptr);
    demo.view->SetRenderMode(eRenderWireframe);
    demo.view->refresh();
    const SPAposition plateEdge(low[0], low[1] + 0.8 * (high[1] - low[1]), low[2]);
    PickAndPrint(demo, "the plate's lower left edge, wireframe", &plateEdge, nullptr);
    SnapAndPrint(demo, plate);
    const int corner[2] = {3, 3};
    PickAndPrint(demo, "the background", nullptr, corner);
    RegionPickAndPrint(demo, false);
    RegionPickAndPrint(demo, true);

    // The plate reopened from its saved meshes: its body record written into memory, the plate
    // taken away, and shown again from the loaded record without faceting.
    CMemFile record;
    {
        CArchive out(&record, CArchive::store);
        demo.context->FindDsBody(plate)->GetMeshInterface()->Save(&out, false);
        out.Close();
    }
    VyrHideBody(demo.context.get(), plate, 1);
    record.SeekToBegin();
    CVyrMeshInterface reopened;
    {
        CArchive in(&record, CArchive::load);
        written = written && reopened.Load(&in, false);
    }
    const long facetedBefore = faceted_face_count();
    demo.context->AddBody(plate, &reopened);
    CDsAttributes plateLook;
    plateLook.SetColor(bodies[0].color);
    written = written && VyrShowBody(demo.context.get(), plate, 1, &plateLook);
    demo.view->SetRenderMode(eRenderShade);
    demo.view->refresh();
    written = written && WriteShown(demo, folder + "/reopened.png");
    std::printf("demo: the plate reopened from its saved meshes (%llu bytes, %ld faces faceted)\n",
                static_cast<unsigned long long>(record.GetLength()), faceted_face_count() - facetedBefore);
    id = 1;
    for (const SShown& shown : bodies) {
        VyrHideBody(demo.context.get(), shown.body, id++);
        shown.body->lose();
    }
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    // The demo owns its process and draws much: it asks for the C allocator's drawing thresholds
    // before the display opens (the display core leaves the allocator's policy to the program).
    VyrSettleAllocatorForDrawing();
    std::string folder = argc > 1 ? argv[1] : "out";
    mkdir(folder.c_str(), 0755);

    DemoWindow demo;
    if (!demo.Open(L"Display core demo")) {
        std::fprintf(stderr, "demo: cannot open a GL window (error %u)\n", GetLastError());
        return 1;
    }
    std::printf("demo: %s / %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));

    DrawTriangle(*demo.view);
    if (!Present(demo, folder + "/triangle.png")) return 1;

    BODY* plate = make_benchmark_plate();
    vyrdemo::TriangleSoup soup;
    if (!plate || !vyrdemo::FacetBody(plate, 0.1, soup)) {
        std::fprintf(stderr, "demo: cannot build or facet the plate\n");
        return 1;
    }
    std::printf("demo: plate faceted into %d triangles\n", soup.Triangles());
    DrawPlate(*demo.view, soup);
    plate->lose();
    if (!Present(demo, folder + "/plate.png")) return 1;

    DrawPolylines(*demo.view);
    if (!Present(demo, folder + "/polylines.png")) return 1;

    if (!DrawStlAndQuadrics(*demo.view, soup) || !Present(demo, folder + "/stl-quadrics.png")) return 1;

    if (!DrawTriadsAndACopy(demo) || !Present(demo, folder + "/triads-copy.png")) return 1;

    return RefreshInEveryMode(demo, folder) ? 0 : 1;
}

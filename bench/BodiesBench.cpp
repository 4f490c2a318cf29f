// Bodies on screen through the whole road, milliseconds per frame (the median frame, glFinish
// included) in a 1024 x 768 window: a core view on a framework window in a rendering context,
// bodies shown as a host shows them (the context's add makes each body's display items, the
// host's body geometry files the body into the scene database), and every frame drawn by the
// context's refresh (change query, synchronisation, renderer walk, presentation), made to draw the
// whole picture each time.
//
// Two scenes: the benchmark plate faceted at the finer tolerances (about 89 thousand triangles),
// and 1,000 separate unit boxes, each its own body, on a 10 x 10 x 10 grid of pitch 2. Each mode
// is timed beside its floor: the same triangles and edge points as vertex buffers (one per face
// and per edge), drawn in a plain loop under the same camera and lights and presented by a buffer
// swap (the refresh presents through the view's off-screen buffer where pbuffers are used, which
// the floor leaves out: that road is part of what the ratio measures); after the floor's run both
// pictures are compared.
//
// Modes. The shade renderer (render mode 3) offers every item the line kind as well as faces, so
// a shaded body shows its edges: "shaded with edges" is mode 3 as it is. "shaded" alone is mode 3
// with every edge item of the bodies blanked (hide level 2), which the host's geometry leaves
// out. Mode 4 (mixed) draws the same opaque faces and edges in its opaque pass and then walks
// again for partly transparent faces; it is timed too. Wireframe is mode 0, hidden lines mode 1
// (faces into the depth buffer only, then the edges: the z-buffer road).
//
// Beside the whole frames: an idle refresh (nothing changed: the saved picture presented again)
// of the view, while a second document of another material, in a small window of its own, has an
// idle refresh of its own between two of ours, as two open documents have; and the presentation
// of the saved picture alone (the off-screen buffer's picture drawn into the window and the
// buffers swapped, or without it the back buffer copied to the front; the view made current for
// it and the other one again afterwards, as a refresh does), which is what an idle refresh should
// cost. Printed: the idle refresh, the whole frame of "shaded with edges" and the presentation,
// with the ratios; the aim is an idle refresh of at most the presentation (1.1 x, for the change
// query and the measurement's spread). Through the off-screen buffer, the frame's configuration
// also copies that buffer's back buffer to its front before presenting, which the presentation
// alone leaves out: that copy is part of what the ratio shows there.
//
// Silhouettes. The plate is timed in wireframe and hidden lines with the outlines of every curved
// face (silhouette level 2) beside none (level 0), the outlines kept from frame to frame as they
// are while the camera stands; and at level 2 with the outlines computed anew for every frame, as
// after every turn of the camera. The aim: level 2 at most 1.3 x level 0.
//
// Camera. The peer viewers' scenes are framed as the peers frame them: a perspective camera with a
// vertical field of 45 degrees looking at the centre of the bounding box from direction (1, -1, 1),
// its up the picture's y axis turned the shortest way onto that direction, at r + r / atan(45
// degrees) from the centre, where r is the radius of the sphere about the box (the box's half
// diagonal), with the near and far planes touching that sphere. Both sides then draw about the same
// pixels (the model fills about a quarter of the window), so that the ratios compare roads, not
// how much of the window is filled. The peers also roll their camera a little between frames;
// that moves the picture, not its size. The library's own framing is not touched.
//
// With --peers=FILE (repeatable) the benchmark reads the timing output of the two peer viewers
// taken in the same sitting (their "== <peer>, <scene>" headers and "<mode> frame: median <ms>
// ms" lines) and prints each peer's figure beside ours with the ratio to the faster one. Arguments
// that start with '/' are switches of the display core (it reads the process's command line
// itself), for instance /NoPBuffer. Since the core reads a switch once per process, the program
// runs itself again with /NoPBuffer (no shell between; the argument --medians-only makes that run
// time only the shaded rows and the presentation and print their medians) and prints our frames
// beside those of the road without pbuffers.
//
// The aims printed against the figures: every mode within 1.2 x its floor; on the plate every mode
// within 1.2 x the faster peer, on the 1,000 boxes within 2 x; the pbuffer road within 1.1 x the
// road without. Under a missed aim, "held back by:" lines name the causes measured: the faces'
// floor with back faces culled (as a peer may draw solid shapes; timed here beside the floor), the
// share of the window the model covers (the faster peer frames the plate at 23.5 %), our floor's
// own drawing time against a peer, what each body adds beyond the floor (named where it is at
// least a tenth of the excess), lighting switched per body for its edges, and the presentation
// through the off-screen buffer. Last, shaded frames after GDI wrote once into the window, beside shaded frames: a write
// into the window must not slow the frames that follow it.
#include "BenchMeshBuffers.h"
#include "BenchWindow.h"
#include "DsAttributes.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsHideLevel.h"
#include "DsItemEdge.h"
#include "DsItemSilhouette.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsLineAttribStorage.h"
#include "DsManager.h"
#include "DsMaterialStorage.h"
#include "DsPBuffer.h"
#include "DsPartStorage.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "VyrBodyGeometry.h"
#include "VyrRefinement.h"
#include "gl_context.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <afxwin.h>
#include <windows.h>
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kBoxes = 1000;
constexpr uint32_t kPlateColor = 0xB0B0B0;  // grey (0x00BBGGRR)
constexpr uint32_t kBoxColor = 0x2090F0;    // orange

// The peers' framing of `box` (see the header comment) on `view`, `width` x `height` pixels.
void PeerFraming(view3d& view, const SPAbox& box, int width, int height)
{
    const double pi = std::acos(-1.0);
    const double heightAngle = pi / 4;
    const SPAposition centre = box.mid();
    const double radius = (box.high() - box.low()).len() / 2;
    const double aspectRadius = radius / std::min(1.0, double(width) / height);
    const double distance = aspectRadius + aspectRadius / std::atan(heightAngle);
    // The rotation taking +z onto the direction, applied to +y: the picture's up.
    const SPAunit_vector direction = normalise(SPAvector(1, -1, 1));
    const SPAvector axis = SPAvector(0, 0, 1) * direction;  // sin(angle) long
    const double cosine = direction.z(), sine = axis.len();
    const SPAvector k = axis / sine, y(0, 1, 0);
    const SPAvector up = y * cosine + (k * y) * sine + k * ((k % y) * (1 - cosine));
    view.set_perspective(true);
    view.set_target(centre);
    view.set_eye(centre + direction * distance);
    view.set_up(up);
    view.set_height(2 * distance * std::tan(heightAngle / 2));
    view.set_width(view.get_height() * width / height);
    view.set_hither(distance - radius);
    view.set_yon(distance + radius);
    view.adjust_aspect();
}

// What a floor frame draws.
enum class EFloor { Faces, FacesAndEdges, Edges, HiddenLines };

// A timed mode of the display core and the floor it is set beside.
struct SMode {
    const char* name;
    ERenderMode mode;
    bool edgesBlanked;
    EFloor floor;
    const char* peerKey;  // the peers' name of the same picture
};

const SMode kPlateModes[] = {
    {"shaded", eRenderShade, true, EFloor::Faces, "shaded"},
    {"shaded with edges", eRenderShade, false, EFloor::FacesAndEdges, "shaded+edges"},
    {"mixed", eRenderMixed, false, EFloor::FacesAndEdges, "shaded+edges"},
    {"wireframe", eRenderWireframe, false, EFloor::Edges, "wireframe"},
    {"hidden lines", eRenderHiddenLines, false, EFloor::HiddenLines, "hidden lines"},
};
const SMode kBoxModes[] = {
    {"shaded", eRenderShade, true, EFloor::Faces, "shaded"},
    {"shaded with edges", eRenderShade, false, EFloor::FacesAndEdges, "shaded+edges"},
    {"wireframe", eRenderWireframe, false, EFloor::Edges, "wireframe"},
};

const char* FloorName(EFloor floor)
{
    switch (floor) {
    case EFloor::Faces:
        return "faces";
    case EFloor::FacesAndEdges:
        return "faces and edges";
    case EFloor::Edges:
        return "edges";
    default:
        return "depth-only faces, edges";
    }
}

// A core view of a 1024 x 768 framework window in its own rendering context, the bodies it shows
// through the host's body geometry, and the floor's buffers of the same meshes.
class CBodiesScene {
public:
    CBodiesScene()
    {
        window_ = CreateWindowExW(0, L"VyrBench", L"bodies", WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                  nullptr, nullptr);
        if (!window_ || !wnd_.Attach(window_)) return;
        view_ = std::make_unique<CDsView3dCdc>(&wnd_);
        view_->set_viewport(0, 0, kWidth, kHeight);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        if (CDsView3dCdc::StGetCurrent() != view_.get() || !wglGetCurrentContext()) return;
        CDsManager::GetInstance()->InitExtensions();
        // The faceting preferences are read once, at the first body; then the finer tolerances.
        context_.GetScene()->UpdateRefinement(true);
        context_.GetScene()->GetRefinement()->SetSurfaceTol(bench::kSurfaceTol);
        context_.GetScene()->GetRefinement()->SetNormalTol(bench::kNormalTolDegrees);
        open_ = true;
    }
    ~CBodiesScene()
    {
        if (view_) {
            CDsView3dCdc::StGetCurrent();
            floor_.Release();
            for (size_t i = 0; i < bodies_.size(); ++i) VyrHideBody(&context_, bodies_[i], int(i) + 1);
            context_.remove_view(view_.get());
            view_.reset();
        }
        for (BODY* body : bodies_) body->lose();
        if (window_) {
            wnd_.Detach();
            DestroyWindow(window_);
        }
    }
    CBodiesScene(const CBodiesScene&) = delete;
    CBodiesScene& operator=(const CBodiesScene&) = delete;

    // Shows `body` (owned from here on) in `color`; false when the context cannot show it.
    bool Show(BODY* body, uint32_t color)
    {
        if (!open_ || !body) {
            if (body) body->lose();
            return false;
        }
        bodies_.push_back(body);
        color_ = color;
        CDsAttributes look;
        look.SetColor(color);
        return VyrShowBody(&context_, body, int(bodies_.size()), &look);
    }
    // After the last Show: the camera fitted to the bodies, the floor's buffers, one frame.
    bool Finish()
    {
        if (!open_) return false;
        SPAbox box;
        for (BODY* body : bodies_) {
            CDsItemsBody* group = context_.FindDsBody(body);
            CGmPosition low, high;
            if (!group || !group->GetBox(low, high, true)) return false;
            box |= SPAbox(SPAposition(low.x(), low.y(), low.z()), SPAposition(high.x(), high.y(), high.z()));
        }
        PeerFraming(*view_, box, kWidth, kHeight);
        for (BODY* body : bodies_) {
            CDsItemsBody* group = context_.FindDsBody(body);
            if (!group->GetMeshInterface() || !floor_.Add(*group->GetMeshInterface(), view_.get())) return false;
        }
        ready_ = true;
        Frame();
        // The material of lit faces, as the scene's light list gave it to the database by now.
        CDsPartStorage::instance()->GetDefaultMaterial(material_[0], material_[1], material_[2], material_[3],
                                                       material_[4]);
        return true;
    }

    bool Ready() const { return ready_; }
    long Triangles() const { return floor_.Triangles(); }
    size_t Faces() const { return floor_.Faces().size(); }
    size_t Edges() const { return floor_.Edges().size(); }
    long EdgePoints() const { return floor_.EdgePoints(); }
    size_t Bodies() const { return bodies_.size(); }

    // The render mode and the edges' blanking of the frames that follow.
    void SetMode(const SMode& mode)
    {
        CDsView3dCdc::StGetCurrent();
        BlankEdges(mode.edgesBlanked);
        view_->SetRenderMode(mode.mode);
    }
    // The silhouette level of the frames that follow.
    void SetSilhouetteLevel(EDsSilhouetteLevel level)
    {
        CDsView3dCdc::StGetCurrent();
        context_.SetSilhouetteLevel(level);
    }
    // Drops the outlines every curved face keeps, so that the next frame computes them anew.
    void ForgetSilhouettes()
    {
        for (BODY* body : bodies_) {
            CDsItemsBody* group = context_.FindDsBody(body);
            for (int i = 0; group && i < group->FacesCount(); ++i)
                if (CDsItemSilhouette* silhouette = group->GetFaceItem(i)->GetSilhouette()) silhouette->ClearSegments();
        }
    }
    // One whole frame through the context's refresh.
    void Frame()
    {
        context_.OnPicturePropsChanged();
        view_->refresh();
        glFinish();
    }
    // A refresh with nothing changed.
    void IdleFrame()
    {
        view_->refresh();
        glFinish();
    }
    // The saved picture presented again and nothing else, as an idle refresh's configuration
    // presents it: from the off-screen buffer when that holds the picture, else from the back
    // buffer; the view made current for it and the view current before made current again, as a
    // refresh does.
    void PresentFrame()
    {
        CDsView3dCdc* const previous = CDsView3dCdc::StGetCurrent();
        CDsView3dCdc::StSetCurrent(view_.get(), false);
        CDsPBuffer* pbuffer = view_->IsPBufferValid(true) ? view_->GetPBuffer() : nullptr;
        if (pbuffer && pbuffer->DrawAsTexture(Dc())) {
            context_.SwapCurrentViewBuffers();
        } else {
            wglMakeCurrent(Dc(), wglGetCurrentContext());
            context_.RestoreBackBuffer(view_.get());
        }
        CDsView3dCdc::StSetCurrent(previous, false);
        glFinish();
    }
    // One floor frame: the view's transforms and lights as a refresh sets them, a cleared
    // picture, the buffers, presented by a buffer swap.
    void FloorFrame(EFloor kind, bool cullBackFaces = false)
    {
        CDsView3dCdc::StGetCurrent();
        view_->SetupRenderingTransforms(false, true, false, nullptr);
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnableClientState(GL_VERTEX_ARRAY);
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);
        glDisable(GL_LINE_STIPPLE);
        glLineWidth(1.0f);
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(1, 1);
        if (kind == EFloor::HiddenLines) {
            glDisable(GL_LIGHTING);
            glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
            floor_.DrawFaces();
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        } else if (kind != EFloor::Edges) {
            glEnable(GL_LIGHTING);
            bench::SetDefaultMaterial(color_, material_);
            if (cullBackFaces) {
                glEnable(GL_CULL_FACE);
                glCullFace(GL_BACK);
            }
            floor_.DrawFaces();
            glDisable(GL_CULL_FACE);
        }
        glDisable(GL_POLYGON_OFFSET_FILL);
        if (kind != EFloor::Faces) {
            glDisable(GL_LIGHTING);
            glColor3ub(GLubyte(color_ & 0xFF), GLubyte((color_ >> 8) & 0xFF), GLubyte((color_ >> 16) & 0xFF));
            floor_.DrawEdges();
        }
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        bench::CMeshBuffers::Unbind();
        SwapBuffers(Dc());
        glFinish();
    }
    // Whether the view presents its pictures through an off-screen buffer (pbuffer).
    bool ThroughPBuffer() const { return view_ && view_->IsPBufferValid(true); }
    // GDI text written over the picture in the window, as a host writes 2-D annotations over a
    // view: through the window's DC, while the view's context is current.
    void GdiWrite()
    {
        CDsView3dCdc::StGetCurrent();
        HDC dc = GetDC(window_);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutW(dc, 20, 20, L"GDI over the view", 17);
        ReleaseDC(window_, dc);
        glFinish();
    }
    // The picture last drawn, as RGB rows from the bottom.
    std::vector<unsigned char> Picture() const
    {
        std::vector<unsigned char> rgb(size_t(kWidth) * kHeight * 3);
        glReadBuffer(GL_FRONT);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }

private:
    HDC Dc() const { return static_cast<const gl_context_data*>(view_->get_rendering_context_data())->get_DC(); }
    void BlankEdges(bool blank)
    {
        const CDsHideLevel blanked(eDsHideLevelBlank);
        for (BODY* body : bodies_) {
            CDsItemsBody* group = context_.FindDsBody(body);
            for (int i = 0; group && i < group->EdgesCount(); ++i)
                if (CDsItemEdge* edge = group->GetEdgeItem(i)) edge->GetAttributes()->SetAttribute(blanked, blank);
        }
    }

    HWND window_ = nullptr;
    CWnd wnd_;
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    std::vector<BODY*> bodies_;
    bench::CMeshBuffers floor_;
    uint32_t color_ = 0;
    float material_[5] = {0, 0, 0, 0, 0};
    bool open_ = false;
    bool ready_ = false;
};

std::unique_ptr<CBodiesScene> gScene;
std::string gSceneName;

// A second open document: an empty scene in a small window of its own, lit with another material
// than the bodies' scene, refreshed between the idle refreshes of the bodies' view.
class CSecondDocument {
public:
    CSecondDocument() : window_(L"second document", 64, 64, 2)
    {
        if (!window_.Ready()) return;
        window_.context.SetMaterial(CDsMaterialStorage(90, 120, 40, 30, 0));
        window_.view->SetRenderMode(eRenderShade);
    }
    // An idle refresh of its view.
    void Refresh()
    {
        if (window_.Ready()) window_.view->refresh();
    }

private:
    BenchContextWindow window_;
};
std::unique_ptr<CSecondDocument> gSecond;

// The results' row of shaded frames after GDI wrote into the window once.
const char* const kAfterGdi = "shaded after a GDI write";

// The mode of the idle refreshes and of the whole frame set beside them.
const SMode& IdleMode() { return kPlateModes[1]; }

// What a scene holds, kept for the summary after the scene has gone.
struct SSceneFacts {
    size_t bodies = 0, faces = 0, edges = 0;
    long triangles = 0, edgePoints = 0;
    bool throughPBuffer = false;
};
std::map<std::string, SSceneFacts> gFacts;

// The scene `name` ("plate" or "boxes"), made on first use; the other one is deleted first.
CBodiesScene& Scene(const std::string& name)
{
    if (gScene && gSceneName == name) return *gScene;
    gScene.reset();
    gSceneName = name;
    gScene = std::make_unique<CBodiesScene>();
    if (name == "plate") {
        if (gScene->Show(make_benchmark_plate(), kPlateColor)) gScene->Finish();
    } else {
        const int side = static_cast<int>(std::lround(std::cbrt(double(kBoxes))));
        bool shown = true;
        for (int i = 0; i < side && shown; ++i)
            for (int j = 0; j < side && shown; ++j)
                for (int k = 0; k < side && shown; ++k)
                    shown = gScene->Show(make_block(2.0 * i, 2.0 * j, 2.0 * k, 2.0 * i + 1, 2.0 * j + 1, 2.0 * k + 1),
                                         kBoxColor);
        if (shown) gScene->Finish();
    }
    if (gScene->Ready())
        gFacts[name] = {gScene->Bodies(),    gScene->Faces(),      gScene->Edges(),
                        gScene->Triangles(), gScene->EdgePoints(), gScene->ThroughPBuffer()};
    return *gScene;
}

// The median milliseconds per frame by scene, then by row name ("<mode>" or "<mode> floor"): the
// median, as the peers report it, since other work on the machine lengthens single frames.
std::map<std::string, std::map<std::string, double>>& Results()
{
    static std::map<std::string, std::map<std::string, double>> results;
    return results;
}

// By scene and mode: the share of the window a mode's picture covers, and the share of pixels in
// which it differs from its floor's.
struct SComparison {
    double drawn = 0.0;
    double differing = 0.0;
};
std::map<std::string, std::map<std::string, SComparison>>& Comparisons()
{
    static std::map<std::string, std::map<std::string, SComparison>> comparisons;
    return comparisons;
}

// The share of pixels in which two pictures differ by more than 8 in a channel, and in `drawn` the
// share that the first one covers.
double DifferingShare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, double& drawn)
{
    long differing = 0, lit = 0;
    for (size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 3) {
        differing += std::abs(a[i] - b[i]) > 8 || std::abs(a[i + 1] - b[i + 1]) > 8 || std::abs(a[i + 2] - b[i + 2]) > 8;
        lit += (a[i] | a[i + 1] | a[i + 2]) > 8;
    }
    const double pixels = double(a.size() / 3);
    drawn = pixels > 0 ? double(lit) / pixels : 0.0;
    return pixels > 0 ? double(differing) / pixels : 0.0;
}

// Times `frame` once per iteration (glFinish included) after one frame unmeasured, `between` run
// untimed before each; keeps the median frame.
template <class F, class G>
void RunFrames(benchmark::State& state, const std::string& scene, const std::string& row, const SMode& mode, F frame,
               G between)
{
    CBodiesScene& s = Scene(scene);
    if (!s.Ready()) {
        state.SkipWithError("no scene (is an X server running, and did the bodies build?)");
        return;
    }
    s.SetMode(mode);
    frame(s);
    std::vector<double> frames;
    for (auto _ : state) {
        state.PauseTiming();
        between();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        frame(s);
        frames.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["triangles"] = double(s.Triangles());
    state.counters["edge_points"] = double(s.EdgePoints());
    state.counters["bodies"] = double(s.Bodies());
    if (frames.empty()) return;
    std::nth_element(frames.begin(), frames.begin() + frames.size() / 2, frames.end());
    Results()[scene][row] = frames[frames.size() / 2];
    state.counters["median_ms"] = frames[frames.size() / 2];
}

template <class F>
void RunFrames(benchmark::State& state, const std::string& scene, const std::string& row, const SMode& mode, F frame)
{
    RunFrames(state, scene, row, mode, frame, [] {});
}

// The floor must draw what the mode draws: both pictures compared.
void Compare(const std::string& scene, const SMode& mode)
{
    CBodiesScene& s = Scene(scene);
    if (!s.Ready()) return;
    s.SetMode(mode);
    s.Frame();
    const std::vector<unsigned char> a = s.Picture();
    s.FloorFrame(mode.floor);
    const std::vector<unsigned char> b = s.Picture();
    SComparison& c = Comparisons()[scene][mode.name];
    c.differing = DifferingShare(a, b, c.drawn);
}

// The idle refresh of one scene beside its whole frame and the presentation alone.
void PrintIdle(const std::string& scene)
{
    const auto found = Results().find(scene);
    if (found == Results().end()) return;
    const std::map<std::string, double>& r = found->second;
    const auto idle = r.find("idle refresh"), present = r.find("present"), whole = r.find(IdleMode().name);
    if (idle == r.end() || present == r.end() || whole == r.end() || present->second <= 0.0 || whole->second <= 0.0)
        return;
    const double toPresent = idle->second / present->second;
    std::printf("  %-18s %7.2f ms  whole frame (%s) %7.2f ms: x %.3f; presenting the saved picture %7.2f ms: "
                "x %.2f (aim 1.1: %s)\n",
                "idle refresh", idle->second, IdleMode().name, whole->second, idle->second / whole->second,
                present->second, toPresent, toPresent <= 1.1 ? "met" : "missed");
}

// --- The peers' figures -------------------------------------------------------------------------

// Milliseconds per frame by scene, peer and picture ("shaded", "shaded+edges", "wireframe",
// "hidden lines"), read from the peers' timing output.
using TPeerFigures = std::map<std::string, std::map<std::string, std::map<std::string, double>>>;

// The key under which a peer's exact hidden-line removal is kept: a frame after a view change,
// which is when it computes the lines again.
const char* const kExactHiddenLines = "hidden lines, exact, after a view change";

// Reads one file of the peers' output into `figures`; false when it cannot be opened.
bool ReadPeers(const std::string& path, TPeerFigures& figures)
{
    std::ifstream in(path);
    if (!in) return false;
    std::string line, peer, scene;
    while (std::getline(in, line)) {
        if (line.rfind("== ", 0) == 0) {
            const size_t comma = line.find(',');
            peer = line.substr(3, comma == std::string::npos ? std::string::npos : comma - 3);
            scene = line.find("boxes") != std::string::npos ? "boxes" : "plate";
            continue;
        }
        if (peer.empty()) continue;
        const size_t at = line.find(" frame: median ");
        if (at != std::string::npos) {
            const std::string what = line.substr(0, at);
            const double ms = std::atof(line.c_str() + at + std::strlen(" frame: median "));
            std::string key;
            if (what == "shaded" || what == "shaded+edges")
                key = what;
            else if (what.rfind("wireframe", 0) == 0)
                key = "wireframe";
            else if (what.rfind("hidden-line via z-buffer", 0) == 0)
                key = "hidden lines";
            if (!key.empty() && ms > 0.0) figures[scene][peer][key] = ms;  // the last (warm) figure wins
            continue;
        }
        // A peer that removes hidden lines exactly computes them once per view change: its frame
        // after a view change is its hidden-line frame (the faster of its algorithms).
        const std::string recompute = "after the orbit + redraw ";
        const size_t r = line.find(recompute);
        if (line.rfind("HLR: explicit", 0) == 0 && r != std::string::npos) {
            const double ms = std::atof(line.c_str() + r + recompute.size());
            auto& slot = figures[scene][peer][kExactHiddenLines];
            if (ms > 0.0 && (slot == 0.0 || ms < slot)) slot = ms;
        }
    }
    return true;
}

// --- The road without pbuffers ------------------------------------------------------------------

// The argument that makes this program a run for another one: only the rows of kChildRows, their
// medians printed as "median<TAB><scene><TAB><row><TAB><ms>" lines, and no summary.
const char* const kMediansOnly = "--medians-only";
const char* const kChildRows = "--benchmark_filter=^(plate|boxes)/(shaded|shaded with edges|present)$";

// Milliseconds per frame by scene and row, of the run with /NoPBuffer.
using TRowFigures = std::map<std::string, std::map<std::string, double>>;

// Runs this program again (no shell between) with /NoPBuffer beside our own `switches`, for the
// rows of kChildRows, and reads its medians into `figures`. False, with the reason in `why`, when
// it did not run through or printed no figure.
bool RunWithoutPBuffer(const char* program, const std::vector<std::string>& switches, TRowFigures& figures,
                       std::string& why)
{
    int out[2];
    if (pipe(out) != 0) {
        why = std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> arguments = {program, "/NoPBuffer", kMediansOnly, kChildRows};
    arguments.insert(arguments.end(), switches.begin(), switches.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        why = std::strerror(spawned);
        return false;
    }
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t n = read(out[0], chunk, sizeof chunk);
        if (n > 0)
            text.append(chunk, size_t(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(out[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        why = WIFEXITED(status) ? "it ended with status " + std::to_string(WEXITSTATUS(status)) : "it was killed";
        return false;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const size_t a = line.find('\t'), b = line.find('\t', a + 1), c = line.find('\t', b + 1);
        if (line.rfind("median\t", 0) != 0 || b == std::string::npos || c == std::string::npos) continue;
        const double ms = std::atof(line.c_str() + c + 1);
        if (ms > 0.0) figures[line.substr(a + 1, b - a - 1)][line.substr(b + 1, c - b - 1)] = ms;
    }
    if (figures.empty()) why = "it printed no figure";
    return !figures.empty();
}

// Our medians as a run for another one prints them.
void PrintMedians()
{
    for (const auto& scene : Results())
        for (const auto& row : scene.second)
            std::printf("median\t%s\t%s\t%.4f\n", scene.first.c_str(), row.first.c_str(), row.second);
}

// --- The summary --------------------------------------------------------------------------------

constexpr double kFloorAim = 1.2;      // every mode within this times its floor
constexpr double kNoPBufferAim = 1.1;  // the pbuffer road within this times the road without

// The results' row of the shaded floor with back faces culled, as a viewer may draw solid shapes.
const char* const kCulledFloor = "shaded floor, back faces culled";

// The culled floor's picture beside the whole floor's (culling must not change the picture).
void CompareCulled(const std::string& scene)
{
    CBodiesScene& s = Scene(scene);
    if (!s.Ready()) return;
    s.FloorFrame(EFloor::Faces);
    const std::vector<unsigned char> a = s.Picture();
    s.FloorFrame(EFloor::Faces, true);
    const std::vector<unsigned char> b = s.Picture();
    SComparison& c = Comparisons()[scene][kCulledFloor];
    c.differing = DifferingShare(a, b, c.drawn);
}

// The display core's switches of this run, lower case, each with a leading space.
std::string gSwitches;
bool HasSwitch(const char* name) { return gSwitches.find(std::string(" /") + name) != std::string::npos; }

// What a missed aim is set against.
enum class EAim { Floor, Peer, NoPBuffer };

// The measured causes that keep `mode` of `scene` from an aim, one short line each.
// `excess` is how many milliseconds the row is over its aim: a cause estimated at less than a tenth
// of it is left out.
std::vector<std::string> Causes(const std::string& scene, const SMode& mode, EAim aim, double excess,
                                const TRowFigures& noPBuffer)
{
    std::vector<std::string> causes;
    char line[200];
    const std::map<std::string, double>& r = Results()[scene];
    const SSceneFacts& facts = gFacts[scene];
    const bool faces = mode.floor != EFloor::Edges;
    const auto present = r.find("present");
    if (aim == EAim::NoPBuffer) {
        const auto found = noPBuffer.find(scene);
        if (present != r.end() && found != noPBuffer.end() && found->second.count("present")) {
            std::snprintf(line, sizeof line, "presenting through the off-screen buffer: %.2f ms, without it %.2f ms",
                          present->second, found->second.at("present"));
            causes.push_back(line);
        }
        return causes;
    }
    if (aim == EAim::Peer) {
        // How much of the row is the drawing itself, which no walk or presentation of ours adds to.
        const auto floor = r.find(std::string(mode.name) + " floor");
        if (floor != r.end()) {
            std::snprintf(line, sizeof line,
                          "the drawing itself: our floor (the same meshes as vertex buffers, no walk, no presenting) "
                          "%.2f ms",
                          floor->second);
            causes.push_back(line);
        }
        if (facts.throughPBuffer && present != r.end() && present->second >= 0.1 * excess) {
            const auto found = noPBuffer.find(scene);
            if (found != noPBuffer.end() && found->second.count("present"))
                std::snprintf(line, sizeof line, "presenting through the off-screen buffer: %.2f ms, without it %.2f ms",
                              present->second, found->second.at("present"));
            else
                std::snprintf(line, sizeof line, "presenting through the off-screen buffer: %.2f ms", present->second);
            causes.push_back(line);
        }
    }
    if (aim == EAim::Peer && faces) {
        const auto whole = r.find("shaded floor"), culled = r.find(kCulledFloor);
        if (whole != r.end() && culled != r.end() && culled->second > 0.0) {
            std::snprintf(line, sizeof line, "back faces of solid shapes drawn; the floor culling them: x %.2f faster",
                          whole->second / culled->second);
            causes.push_back(line);
        }
        const auto compared = Comparisons()[scene].find("shaded");
        // A cause only while we fill clearly more of the window than the peer (the same framing
        // leaves the two within a few per cent).
        if (scene == "plate" && compared != Comparisons()[scene].end() && compared->second.drawn > 1.1 * 0.235) {
            std::snprintf(line, sizeof line, "the model framed at %.1f %% of the window; the faster peer at 23.5 %%",
                          100.0 * compared->second.drawn);
            causes.push_back(line);
        }
    }
    // What each body adds over the floor, which draws every body's meshes in one run: its
    // transformation, material and face lists sent one body at a time (the time goes to the
    // driver; faces from vertex buffers, /UseVBO, measured the same as from display lists).
    const auto ours = r.find(mode.name), floor = r.find(std::string(mode.name) + " floor");
    if (aim != EAim::NoPBuffer && facts.bodies > 1 && ours != r.end() && floor != r.end()) {
        double perBody = ours->second - floor->second;
        if (facts.throughPBuffer && present != r.end()) perBody -= present->second;
        perBody /= double(facts.bodies);
        if (perBody > 0.0 && perBody * double(facts.bodies) >= 0.1 * excess) {
            std::snprintf(line, sizeof line,
                          "each body's transformation, material and lists sent apart: ~%.1f us a body beyond the "
                          "floor (%zu bodies)",
                          1e3 * perBody, facts.bodies);
            causes.push_back(line);
        }
    }
    if (mode.floor == EFloor::FacesAndEdges && facts.bodies > 1) {
        std::snprintf(line, sizeof line, "lighting switched off and on for each body's edges (%zu bodies)", facts.bodies);
        causes.push_back(line);
    }
    if (aim == EAim::Floor && facts.throughPBuffer && present != r.end() && present->second >= 0.1 * excess) {
        std::snprintf(line, sizeof line, "presenting through the off-screen buffer, which the floor leaves out: %.2f ms",
                      present->second);
        causes.push_back(line);
    }
    return causes;
}

// Every aim missed, for the last lines.
std::vector<std::string> gMissed;

// "met" or "missed" for `ours` against `limit` x `reference`; a missed one is noted for the last
// lines and its causes given in `causes`.
const char* Verdict(const std::string& scene, const SMode& mode, EAim aim, double ours, double reference,
                    double limit, const TRowFigures& noPBuffer, std::vector<std::string>& causes)
{
    const double ratio = ours / reference;
    if (ratio <= limit) return "met";
    static const char* const against[] = {"floor", "faster peer", "road with /NoPBuffer"};
    char line[160];
    std::snprintf(line, sizeof line, "%s %s: x %.2f the %s (aim %.1f)", scene.c_str(), mode.name, ratio,
                  against[int(aim)], limit);
    gMissed.push_back(line);
    causes = Causes(scene, mode, aim, ours - limit * reference, noPBuffer);
    if (causes.empty()) causes.push_back("no cause measured yet");
    return "missed";
}

void PrintCauses(const std::vector<std::string>& causes)
{
    for (const std::string& cause : causes) std::printf("  %-18s   held back by: %s\n", "", cause.c_str());
}

// The table of one scene: ours, the floor, the peers, the road without pbuffers, the ratios and
// the aims, with what holds back a row that misses one.
void PrintScene(const std::string& scene, const SMode* modes, size_t count, double peerAim, const TPeerFigures& peers,
                const TRowFigures& noPBuffer)
{
    const auto found = Results().find(scene);
    if (found == Results().end()) return;
    const std::map<std::string, double>& r = found->second;
    const auto compared = Comparisons().find(scene);
    const SSceneFacts& s = gFacts[scene];
    std::printf("\n%s: %zu bod%s, %ld triangles in %zu faces, %zu edges of %ld points%s\n", scene.c_str(), s.bodies,
                s.bodies == 1 ? "y" : "ies", s.triangles, s.faces, s.edges, s.edgePoints,
                s.throughPBuffer ? ", presented through an off-screen buffer" : "");
    const auto peerFigures = peers.find(scene);
    const auto withoutPBuffer = noPBuffer.find(scene);
    for (size_t m = 0; m < count; ++m) {
        const SMode& mode = modes[m];
        const auto ours = r.find(mode.name);
        const auto floor = r.find(std::string(mode.name) + " floor");
        if (ours == r.end() || floor == r.end() || floor->second <= 0.0) continue;
        SComparison c;
        if (compared != Comparisons().end() && compared->second.count(mode.name)) c = compared->second.at(mode.name);
        const double toFloor = ours->second / floor->second;
        std::vector<std::string> causes;
        const char* verdict = Verdict(scene, mode, EAim::Floor, ours->second, floor->second, kFloorAim, noPBuffer, causes);
        std::printf("  %-18s %7.2f ms  floor (%s) %7.2f ms: x %.2f (aim %.1f: %s)  [%.1f %% of the window drawn, "
                    "%.2f %% differing from the floor]\n",
                    mode.name, ours->second, FloorName(mode.floor), floor->second, toFloor, kFloorAim, verdict,
                    100.0 * c.drawn, 100.0 * c.differing);
        PrintCauses(causes);
        if (withoutPBuffer != noPBuffer.end() && withoutPBuffer->second.count(mode.name)) {
            const double other = withoutPBuffer->second.at(mode.name), toOther = ours->second / other;
            causes.clear();
            verdict = Verdict(scene, mode, EAim::NoPBuffer, ours->second, other, kNoPBufferAim, noPBuffer, causes);
            std::printf("  %-18s %7.2f ms  with /NoPBuffer: ours x %.2f (aim %.1f: %s)\n", "", other, toOther,
                        kNoPBufferAim, verdict);
            PrintCauses(causes);
        }
        if (peerFigures == peers.end()) continue;
        std::string fastest;
        double best = 0.0;
        for (const auto& peer : peerFigures->second) {
            auto figure = peer.second.find(mode.peerKey);
            if (figure == peer.second.end() && std::strcmp(mode.peerKey, "hidden lines") == 0)
                figure = peer.second.find(kExactHiddenLines);
            if (figure == peer.second.end()) continue;
            std::printf("  %-18s %7.2f ms  %s (%s)\n", "", figure->second, peer.first.c_str(), figure->first.c_str());
            if (fastest.empty() || figure->second < best) fastest = peer.first, best = figure->second;
        }
        if (!fastest.empty()) {
            const double toPeer = ours->second / best;
            causes.clear();
            verdict = Verdict(scene, mode, EAim::Peer, ours->second, best, peerAim, noPBuffer, causes);
            std::printf("  %-18s ours / %s: x %.2f (aim %.1f: %s)\n", "", fastest.c_str(), toPeer, peerAim, verdict);
            PrintCauses(causes);
        }
    }
    const auto shaded = r.find(modes[0].name), afterGdi = r.find(kAfterGdi);
    if (shaded != r.end() && afterGdi != r.end() && shaded->second > 0.0)
        std::printf("  %-18s %7.2f ms  (%s): x %.2f\n", kAfterGdi, afterGdi->second, modes[0].name,
                    afterGdi->second / shaded->second);
    const auto whole = r.find("shaded floor"), culled = r.find(kCulledFloor);
    if (whole != r.end() && culled != r.end() && culled->second > 0.0 && compared != Comparisons().end() &&
        compared->second.count(kCulledFloor))
        std::printf("  %-18s %7.2f ms  (shaded floor %.2f ms: x %.2f; %.2f %% differing)\n", "floor, culled",
                    culled->second, whole->second, whole->second / culled->second,
                    100.0 * compared->second.at(kCulledFloor).differing);
}

// --- Silhouettes --------------------------------------------------------------------------------

// The plate's modes timed with and without the outlines of its curved faces.
const SMode kSilhouetteModes[] = {
    {"wireframe", eRenderWireframe, false, EFloor::Edges, "wireframe"},
    {"hidden lines", eRenderHiddenLines, false, EFloor::HiddenLines, "hidden lines"},
};

// The results' row of `mode` at silhouette `level`, computed anew each frame or not.
std::string SilhouetteRow(const SMode& mode, EDsSilhouetteLevel level, bool anew)
{
    return std::string(mode.name) + ", silhouette level " + std::to_string(int(level)) + (anew ? ", computed anew" : "");
}

// Frames of the plate in `mode` at silhouette `level`; with `anew` the outlines are dropped before
// every frame. The document's default level (1) is put back afterwards.
void RunSilhouetteFrames(benchmark::State& state, const SMode& mode, EDsSilhouetteLevel level, bool anew)
{
    CBodiesScene& s = Scene("plate");
    if (s.Ready()) s.SetSilhouetteLevel(level);
    RunFrames(state, "plate", SilhouetteRow(mode, level, anew), mode, [anew](CBodiesScene& scene) {
        if (anew) scene.ForgetSilhouettes();
        scene.Frame();
    });
    if (s.Ready()) s.SetSilhouetteLevel(eDsSilhouetteCylinders);
}

void RegisterSilhouetteBenchmarks()
{
    for (const SMode& mode : kSilhouetteModes)
        for (const auto& run : {std::make_pair(eDsSilhouetteNone, false), std::make_pair(eDsSilhouetteAll, false),
                                std::make_pair(eDsSilhouetteAll, true)})
            benchmark::RegisterBenchmark(("plate/" + SilhouetteRow(mode, run.first, run.second)).c_str(),
                                         [mode, run](benchmark::State& state) {
                                             RunSilhouetteFrames(state, mode, run.first, run.second);
                                         })
                ->Unit(benchmark::kMillisecond);
}

// The silhouette figures and the ratio of level 2 to level 0.
void PrintSilhouettes()
{
    const auto found = Results().find("plate");
    if (found == Results().end()) return;
    const std::map<std::string, double>& r = found->second;
    bool header = false;
    for (const SMode& mode : kSilhouetteModes) {
        const auto none = r.find(SilhouetteRow(mode, eDsSilhouetteNone, false));
        const auto all = r.find(SilhouetteRow(mode, eDsSilhouetteAll, false));
        const auto anew = r.find(SilhouetteRow(mode, eDsSilhouetteAll, true));
        if (none == r.end() || all == r.end() || none->second <= 0.0) continue;
        if (!header) std::printf("\nplate, silhouettes (level 0: none, level 2: every curved face):\n");
        header = true;
        const double ratio = all->second / none->second;
        std::printf("  %-18s level 0 %7.2f ms  level 2 %7.2f ms: x %.2f (aim 1.3: %s)", mode.name, none->second,
                    all->second, ratio, ratio <= 1.3 ? "met" : "missed");
        if (anew != r.end()) std::printf("  level 2 computed anew %7.2f ms: x %.2f", anew->second, anew->second / none->second);
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // Our own switches first: the benchmark library refuses what it does not know.
    std::vector<std::string> peerFiles, switches;
    bool mediansOnly = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--peers=", 8) == 0) {
            peerFiles.emplace_back(argv[i] + 8);
        } else if (std::strcmp(argv[i], kMediansOnly) == 0) {
            mediansOnly = true;
        } else if (argv[i][0] == '/') {
            switches.emplace_back(argv[i]);  // the display core reads the command line itself
            gSwitches += " ";
            for (const char* c = argv[i]; *c; ++c) gSwitches += char(std::tolower(static_cast<unsigned char>(*c)));
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    TPeerFigures peers;
    for (const std::string& file : peerFiles)
        if (!ReadPeers(file, peers)) {
            std::fprintf(stderr, "cannot read the peers' figures from %s\n", file.c_str());
            return 1;
        }

    const struct {
        const char* scene;
        const SMode* modes;
        size_t count;
        double peerAim;  // ours at most this times the faster peer
    } scenes[] = {{"plate", kPlateModes, std::size(kPlateModes), 1.2}, {"boxes", kBoxModes, std::size(kBoxModes), 2.0}};
    for (const auto& scene : scenes) {
        const std::string name = scene.scene;
        for (size_t m = 0; m < scene.count; ++m) {
            const SMode mode = scene.modes[m];
            benchmark::RegisterBenchmark((name + "/" + mode.name).c_str(),
                                         [name, mode](benchmark::State& state) {
                                             RunFrames(state, name, mode.name, mode,
                                                       [](CBodiesScene& s) { s.Frame(); });
                                         })
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((name + "/" + mode.name + " floor").c_str(),
                                         [name, mode](benchmark::State& state) {
                                             RunFrames(state, name, std::string(mode.name) + " floor", mode,
                                                       [&mode](CBodiesScene& s) { s.FloorFrame(mode.floor); });
                                             Compare(name, mode);
                                         })
                ->Unit(benchmark::kMillisecond);
        }
        // The faces' floor with back faces culled, which a cause of a missed aim may name.
        benchmark::RegisterBenchmark((name + "/" + kCulledFloor).c_str(),
                                     [name, mode = scene.modes[0]](benchmark::State& state) {
                                         RunFrames(state, name, kCulledFloor, mode,
                                                   [](CBodiesScene& s) { s.FloorFrame(EFloor::Faces, true); });
                                         CompareCulled(name);
                                     })
            ->Unit(benchmark::kMillisecond);
        // The idle refresh and the presentation alone, each with the second document refreshed
        // before every frame.
        for (const auto& [row, frame] : {std::pair{"idle refresh", &CBodiesScene::IdleFrame},
                                         std::pair{"present", &CBodiesScene::PresentFrame}}) {
            benchmark::RegisterBenchmark((name + "/" + row).c_str(),
                                         [name, row = std::string(row), frame = frame](benchmark::State& state) {
                                             if (!gSecond) gSecond = std::make_unique<CSecondDocument>();
                                             RunFrames(state, name, row, IdleMode(),
                                                       [frame](CBodiesScene& s) { (s.*frame)(); },
                                                       [] { gSecond->Refresh(); });
                                         })
                ->Unit(benchmark::kMillisecond);
        }
        // Shaded frames once GDI has written into the window (last: whatever the write leaves in
        // the view's context stays with this scene).
        benchmark::RegisterBenchmark((name + "/" + kAfterGdi).c_str(),
                                     [name, mode = scene.modes[0]](benchmark::State& state) {
                                         Scene(name).GdiWrite();
                                         RunFrames(state, name, kAfterGdi, mode, [](CBodiesScene& s) { s.Frame(); });
                                     })
            ->Unit(benchmark::kMillisecond);
    }

    RegisterSilhouetteBenchmarks();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    gSecond.reset();
    gScene.reset();
    if (mediansOnly) {
        PrintMedians();
        return 0;
    }
    // The same rows through the road without pbuffers, from a run of this program in the same
    // sitting (the switch is read once per process).
    TRowFigures noPBuffer;
    std::string why;
    const bool compared = !HasSwitch("nopbuffer") && Results().count("plate") + Results().count("boxes") > 0;
    if (compared && !RunWithoutPBuffer(argv[0], switches, noPBuffer, why))
        std::fprintf(stderr, "the run with /NoPBuffer gave no figures: %s\n", why.c_str());
    std::string shown;
    for (const std::string& name : switches) shown += " " + name;
    std::printf("\ndisplay core switches:%s\n", shown.empty() ? " none" : shown.c_str());
    for (const auto& scene : scenes) {
        PrintScene(scene.scene, scene.modes, scene.count, scene.peerAim, peers, noPBuffer);
        PrintIdle(scene.scene);
    }
    PrintSilhouettes();
    if (peerFiles.empty()) std::printf("\n(no peers' figures: give their output of this sitting with --peers=FILE)\n");
    std::printf("\naims missed: %zu\n", gMissed.size());
    for (const std::string& missed : gMissed) std::printf("  %s\n", missed.c_str());
    return 0;
}

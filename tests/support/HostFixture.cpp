#include "HostFixture.h"

#include "DsAcisPick.h"
#include "DsAttributes.h"
#include "DsBasicSurface.h"
#include "DsEllipseStorage.h"
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "GmTransformation.h"
#include "ZOVOvivavUrezezovovaza.h"
#include "DsGlScene.h"
#include "DsHideLevel.h"
#include "DsLineAttribStorage.h"
#include "DsManager.h"
#include "DsPickProccessor.h"
#include "DsScene.h"
#include "GlTestFixture.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "GmPosition.h"
#include "VyrIndexedMesh.h"
#include "VyrStlData.h"
#include "UiPickEvent.h"
#include "VyrBodyGeometry.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace vyrtest {

// === Figures =======================================================================================

int RecipeFigure::DefineFig(CDsFigureGenerator& generator)
{
    if (m_recipe) m_recipe(generator);
    return 1;
}

namespace {

// The pen of recipe `k`: a colour of its own, and for lines a width of 1 to 3 and a style.
void Pen(CDsFigureGenerator& g, int k)
{
    static const unsigned char colours[6][3] = {{255, 0, 0}, {0, 255, 0}, {0, 128, 255},
                                                {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};
    const unsigned char* c = colours[k % 6];
    g.SetPenColor(CDsColorStorage(c[0], c[1], c[2]));
    g.SetPenWidth(1 + k % 3);
    g.SetPenStyle(k % 4 == 3 ? 2 : 0);
}

// The generator's static entry points need it current for their call.
struct CurrentGenerator {
    explicit CurrentGenerator(CDsFigureGenerator& g) { CDsFigureGenerator::SetToCurrent(&g); }
    ~CurrentGenerator() { CDsFigureGenerator::SetToCurrent(nullptr); }
};

}  // namespace

std::vector<LeafRecipe> EveryLeafKind(const SPAtransf& placement, const SPAtransf& own, bool ownPens)
{
    using G = CDsFigureGenerator;
    std::vector<LeafRecipe> kinds = {
        {"polyline", [](G& g) {
             const CGmPosition points[3] = {CGmPosition(-10, -10, 0), CGmPosition(0, 10, 2), CGmPosition(10, -5, -2)};
             g.DrawPolyline(3, points);
         }},
        {"arc", [](G& g) { g.DrawArc(CGmPosition(0, 0, 0), 8, CGmTransformation(), 0, 6.28, 0.1); }},
        {"dynamic ellipse", [](G& g) {
             const bool saved = CDsEllipseStorage::StGetDynamicEllipses();
             CDsEllipseStorage::StSetDynamicEllipses(true);
             g.DrawElipse(CGmPosition(0, 0, 0), CGmUnitVector(0, 0, 1), CGmVector(9, 0, 0), 0.5, 0, 6.28, 0.1);
             CDsEllipseStorage::StSetDynamicEllipses(saved);
         }},
        {"marker", [](G& g) { g.DrawPoint(CGmPosition(0, 0, 0), EPointStyle(3), 9, false, CGmUnitVector(1, 0, 0), 0); }},
        {"2-D polyline", [](G& g) {
             const float pixels[6] = {10, 10, 30, 25, 20, 40};
             g.DrawPolyline2D(3, pixels);
         }},
        {"relative 2-D polyline", [](G& g) {
             const float relative[4] = {0.1f, 0.8f, 0.3f, 0.9f};
             g.DrawPolyline2DRelative(2, relative, false);
         }},
        {"2-D rectangle", [](G& g) { g.DrawRectangle2D(CGmPosition(0, 0, 0), 24, 14, eAlignCenter); }},
        {"text", [](G& g) {
             g.MoveTo(CGmPosition(-10, 0, 0));
             g.DrawTextW("AB", "", 12.0f, true);
         }},
        {"STL mesh", [own](G& g) {
             auto* data = new CVyrStlData;
             data->AddTriangle(CVyrTriangle(SPAposition(-10, -10, 0), SPAposition(10, -10, 0), SPAposition(0, 10, 0)));
             g.DrawTrianglesStl(own, data);
             data->decRC();
         }},
        {"recorded triangles", [](G& g) {
             const double points[9] = {-10, -10, 1, 10, -10, 1, 0, 10, 1};
             g.DrawTriangles(1, points, nullptr);
         }},
        {"triangle strip", [](G& g) {
             const double rows[12] = {-10, -10, 0, 10, -10, 0, -10, 10, 0, 10, 10, 0};
             g.DrawTriangles(2, 2, rows, nullptr);
         }},
        {"quads", [](G& g) {
             const double grid[12] = {-10, -10, 0, 10, -10, 0, -10, 10, 0, 10, 10, 0};
             g.DrawQuads(2, 2, grid, nullptr);
             g.EndPolygons();
         }},
        {"triangle set", [](G& g) {
             ZOVOvivavUrezezovovaza set;
             const int a = set.AddVertex({-10, -10, 0}), b = set.AddVertex({10, -10, 0}), c = set.AddVertex({0, 10, 0});
             set.AddTriangle(a, b, c);
             g.DrawTrigs(set, nullptr, true);
         }},
        {"sphere", [](G& g) {
             CDsSphere sphere(6.0f);
             g.DrawBasicSurface(&sphere, true);
         }},
        {"ItDrawPolyLine fill", [](G& g) {
             float square[12] = {-6, -6, 0, 6, -6, 0, 6, 6, 0, -6, 6, 0};
             CDsFigureGenerator::ItDrawPolyLine(&g, 4, square, true);
         }},
        {"ItDrawTriangles fill", [](G& g) {
             float triangle[9] = {-6, -6, 0, 6, -6, 0, 0, 6, 0};
             CurrentGenerator current(g);
             CDsFigureGenerator::ItDrawTriangles(triangle, 1, true);
         }},
    };
    for (size_t k = 0; k < kinds.size(); ++k) {
        FigureRecipe leaf = std::move(kinds[k].define);
        kinds[k].define = [leaf, placement, k, ownPens](G& g) {
            if (ownPens) Pen(g, static_cast<int>(k));
            if (!placement.identity()) g.SetTransformation(CGmTransformation(placement));
            leaf(g);
        };
    }
    return kinds;
}

// === Pictures ======================================================================================

const unsigned char* Picture::At(int x, int y) const
{
    static const unsigned char kBlack[3] = {0, 0, 0};
    if (x < 0 || y < 0 || x >= width || y >= height) return kBlack;
    return &rgb[(static_cast<size_t>(y) * width + x) * 3];
}

bool Picture::Lit(int x, int y, int threshold) const
{
    const unsigned char* p = At(x, y);
    return p[0] + p[1] + p[2] > threshold;
}

int Picture::LitCount(int threshold) const
{
    int lit = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) lit += rgb[i] + rgb[i + 1] + rgb[i + 2] > threshold;
    return lit;
}

Rgb Picture::ColorAt(int x, int y) const
{
    const unsigned char* p = At(x, y);
    return Rgb{p[0], p[1], p[2]};
}

bool Picture::LitNear(int x, int y, int reach, int threshold) const
{
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            if (Lit(x + dx, y + dy, threshold)) return true;
    return false;
}

int Picture::LitIn(int left, int right, int bottom, int top, int threshold) const
{
    int lit = 0;
    for (int y = bottom; y <= top; ++y)
        for (int x = left; x <= right; ++x) lit += Lit(x, y, threshold);
    return lit;
}

int DifferingPixels(const Picture& a, const Picture& b)
{
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size())
        return std::max(a.width * a.height, b.width * b.height);
    int differing = 0;
    for (size_t i = 0; i + 2 < a.rgb.size(); i += 3)
        differing += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
    return differing;
}

::testing::AssertionResult SamePicture(const Picture& actual, const Picture& expected)
{
    const int differing = DifferingPixels(actual, expected);
    if (differing == 0) return ::testing::AssertionSuccess();
    std::ostringstream out;
    out << differing << " pixels differ";
    if (actual.width == expected.width && actual.height == expected.height) {
        for (int y = 0; y < actual.height; ++y)
            for (int x = 0; x < actual.width; ++x) {
                const unsigned char* p = actual.At(x, y);
                const unsigned char* q = expected.At(x, y);
                if (p[0] == q[0] && p[1] == q[1] && p[2] == q[2]) continue;
                out << "; the first at (" << x << ", " << y << ") from the bottom: (" << int(p[0]) << ", "
                    << int(p[1]) << ", " << int(p[2]) << ") where (" << int(q[0]) << ", " << int(q[1]) << ", "
                    << int(q[2]) << ") was expected";
                return ::testing::AssertionFailure() << out.str();
            }
    } else {
        out << " (sizes " << actual.width << " x " << actual.height << " and " << expected.width << " x "
            << expected.height << ")";
    }
    return ::testing::AssertionFailure() << out.str();
}

// === Meshes ======================================================================================

CVyrStlData* StlSphere(double r)
{
    auto* data = new CVyrStlData;
    constexpr int kBands = 12, kSectors = 24;
    const auto at = [r](int band, int sector) {
        const double polar = M_PI * band / kBands, azimuth = 2 * M_PI * sector / kSectors;
        return SPAposition(r * std::sin(polar) * std::cos(azimuth), r * std::sin(polar) * std::sin(azimuth),
                           r * std::cos(polar));
    };
    for (int b = 0; b < kBands; ++b)
        for (int s = 0; s < kSectors; ++s) {
            data->AddTriangle(CVyrTriangle(at(b, s), at(b + 1, s), at(b + 1, s + 1)));
            data->AddTriangle(CVyrTriangle(at(b, s), at(b + 1, s + 1), at(b, s + 1)));
        }
    return data;
}

void HideOnItem(CDsItemBase* item, bool blank, bool byStorage)
{
    const CDsHideLevel level(blank ? eDsHideLevelBlank : eDsHideLevelShown);
    if (!byStorage) {
        item->SetAttribute(level, true, true);
        return;
    }
    CDsLineAttribStorage storage(*item->GetAttributes());
    storage.SetAttribute(level, true);
    item->SetAttributes(storage, true);
}

void MoveFaceMeshesAbove(CDsItemsBody* body, double z, const SPAvector& by)
{
    for (int i = 0; body && i < body->FacesCount(); ++i) {
        CGmPosition low, high;
        CDsItemsFace* face = body->GetFaceItem(i);
        if (!face->GetBox(low, high, false) || low.z() < z) continue;
        CVyrIndexedMesh* mesh = face->GetMesh();
        for (int v = 0; mesh && v < mesh->get_num_vertex(); ++v) {
            SPAposition p;
            SPAunit_vector n;
            mesh->get_vertex(v)->GetPosition(p);
            mesh->get_vertex(v)->GetNormal(n);
            const SPApar_pos uv = mesh->get_uv(v);
            mesh->get_vertex_for_edit(v)->set_data(p + by, n, uv);
        }
    }
}

// === The host ======================================================================================

Host::Host(int width, int height) : width_(width), height_(height) { Make(0, false); }

Host::Host(int width, int height, int number) : width_(width), height_(height) { Make(number, true); }

void Host::Make(int number, bool numbered)
{
    window_ = std::make_unique<FrameworkWindow>(width_, height_);
    context_ = numbered ? std::make_unique<CDsGlContext>(number) : std::make_unique<CDsGlContext>();
    view_ = std::make_unique<CDsView3dCdc>(&window_->wnd);
    view_->SetGlContext(context_.get());
    context_->add_view(view_.get());
    Look(ViewSetup());
    view_->SetRenderMode(eRenderShade);
}

Host::~Host()
{
    if (context_)
        for (size_t i = 0; i < bodies_.size(); ++i)
            if (shown_[i]) VyrHideBody(context_.get(), bodies_[i], static_cast<int>(i) + 1);
    view_.reset();
    context_.reset();
    window_.reset();
    for (BODY* body : bodies_) body->lose();
    wglMakeCurrent(nullptr, nullptr);
}

void Host::Close(bool windowFirst)
{
    view_.reset();
    if (windowFirst) window_.reset();
    context_.reset();
    std::fill(shown_.begin(), shown_.end(), false);
}

void Host::Look(ViewSetup setup)
{
    setup.Pixels(width_, height_).ApplyTo(*view_);
}

void Host::Resize(int width, int height)
{
    width_ = width;
    height_ = height;
    MoveWindow(window_->plain.window, 0, 0, width, height, FALSE);
    view_->resize(width, height);
}

BODY* Host::Show(BODY* body, unsigned color, int transparency)
{
    EXPECT_NE(body, nullptr);
    if (!body) return nullptr;
    bodies_.push_back(body);
    colors_.push_back(color);
    transparencies_.push_back(transparency);
    shown_.push_back(false);
    ShowAgain(body);
    return shown_.back() ? body : nullptr;
}

BODY* Host::ShowBlock(const SPAposition& low, const SPAposition& high, unsigned color, int transparency)
{
    return Show(make_block(low.x(), low.y(), low.z(), high.x(), high.y(), high.z()), color, transparency);
}

void Host::Hide(BODY* body)
{
    const int id = IdOf(body);
    if (id == 0 || !shown_[static_cast<size_t>(id - 1)]) return;
    VyrHideBody(context_.get(), body, id);
    shown_[static_cast<size_t>(id - 1)] = false;
}

void Host::ShowAgain(BODY* body)
{
    const int id = IdOf(body);
    if (id == 0 || shown_[static_cast<size_t>(id - 1)]) return;
    CDsAttributes look;
    look.SetColor(colors_[static_cast<size_t>(id - 1)]);
    // Left unset when opaque, as a host that never speaks of transparency leaves it.
    const int transparency = transparencies_[static_cast<size_t>(id - 1)];
    if (transparency != 255) look.SetTransparency(static_cast<unsigned char>(transparency));
    const bool shown = VyrShowBody(context_.get(), body, id, &look);
    EXPECT_TRUE(shown);
    shown_[static_cast<size_t>(id - 1)] = shown;
}

bool Host::Shown(BODY* body) const
{
    const int id = IdOf(body);
    return id != 0 && shown_[static_cast<size_t>(id - 1)];
}

int Host::IdOf(BODY* body) const
{
    const auto found = std::find(bodies_.begin(), bodies_.end(), body);
    return found == bodies_.end() ? 0 : static_cast<int>(found - bodies_.begin()) + 1;
}

CVyrObjectPath Host::PathOf(BODY* body) const
{
    const int id = IdOf(body);
    if (id == 0) return CVyrObjectPath();
    return CVyrObjectPath(&id, 1, 1, context_->GetScene()->GetDbScene().GetPeerPartId());
}

CVyrObjectPath Host::PathOf(const CDsFigure& figure)
{
    CVyrObjectPath path;
    EXPECT_TRUE(figure.GetPath(path));
    return path;
}

BODY* Host::BodyOf(const CVyrObjectPath& path) const
{
    for (BODY* body : bodies_)
        if (PathOf(body) == path) return body;
    return nullptr;
}

void Host::Refresh() { view_->refresh(); }

Picture Host::Front()
{
    context_->MakeCurrent(view_.get());
    RECT client{0, 0, width_, height_};
    GetClientRect(window_->plain.window, &client);
    Picture picture;
    picture.width = client.right - client.left;
    picture.height = client.bottom - client.top;
    picture.rgb.assign(static_cast<size_t>(picture.width) * picture.height * 3, 0);
    glFinish();
    GLint readBuffer = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, picture.width, picture.height, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    glReadBuffer(static_cast<GLenum>(readBuffer));
    return picture;
}

Picture Host::WholeFrame()
{
    context_->OnPicturePropsChanged();
    view_->refresh();
    return Front();
}

bool Host::PixelOf(const SPAposition& point, int& x, int& y)
{
    float fx = -1, fy = -1;
    if (!view_->world_to_drawable(point, fx, fy)) return false;
    x = static_cast<int>(std::floor(fx));
    y = static_cast<int>(std::floor(fy));
    return true;
}

SPAbox Host::Box() const
{
    SPAposition low, high;
    context_->GetBox(low, high);
    return SPAbox(low, high);
}

CDsPickedItem Host::Pick(int x, int y, const std::vector<CDsTypeMask>* domain, CDsPickedItemList* list, bool byRay)
{
    const std::vector<CDsTypeMask> bodies = Domain({kBodyType});
    CUiPickEvent event(x, y, 0, view_.get(), nullptr);
    CDsPickContext request;
    request.m_ownerContext = context_.get();
    request.m_domain = domain ? domain : &bodies;
    request.m_event = &event;
    request.m_sectionTest = byRay ? 1 : 0;
    CDsPickedItemList others;
    return context_->GetPickProccessor()->PickSingle(request, list ? *list : others);
}

CDsPickedItem Host::PickAt(const SPAposition& point, const std::vector<CDsTypeMask>* domain, bool byRay)
{
    int x = 0, y = 0;
    EXPECT_TRUE(PixelOf(point, x, y));
    return Pick(x, y, domain, nullptr, byRay);
}

std::vector<CVyrObjectPath> Host::Region(int x1, int y1, int x2, int y2, const std::vector<CDsTypeMask>* domain)
{
    const std::vector<CDsTypeMask> bodies = Domain({kBodyType});
    CUiPickEvent event(x1, y1, 0, view_.get(), nullptr);
    int corner[2] = {x2, y2};
    CDsPickContext request;
    request.m_ownerContext = context_.get();
    request.m_domain = domain ? domain : &bodies;
    request.m_event = &event;
    request.m_secondCorner = corner;
    request.m_regionSelector = 1;
    CDsPickedItemList list;
    context_->GetPickProccessor()->PickInRegion(request, list);
    std::vector<CVyrObjectPath> paths;
    for (const CDsPickedItem* item : list.GetItems()) paths.push_back(item->GetObjectPath());
    return paths;
}

std::unique_ptr<CDsRefPoint> Host::Snap(int x, int y, std::initializer_list<int> kinds)
{
    CUiPickEvent event(x, y, 0, view_.get(), nullptr);
    CDsTypeMask mask;
    for (int kind : kinds) mask.SetType(kind, -1);
    return std::unique_ptr<CDsRefPoint>(CDsAcisPick::StPickRefPoint(event, mask));
}

std::unique_ptr<CDsRefPoint> Host::SnapAt(const SPAposition& point, std::initializer_list<int> kinds)
{
    int x = 0, y = 0;
    EXPECT_TRUE(PixelOf(point, x, y));
    return Snap(x, y, kinds);
}

std::vector<ENTITY*> Host::RegionEdges(int x1, int y1, int x2, int y2)
{
    CUiPickEvent first(x1, y1, 0, view_.get(), nullptr), second(x2, y2, 0, view_.get(), nullptr);
    CDsAcisPickData data;
    CDsAcisPick::StBeginPickMode(first, second, data);
    ENTITY_LIST out;
    CDsAcisPick::StPickEdgesInRegion(first, out, nullptr, nullptr);
    CDsAcisPick::StEndPickMode(first, data);
    std::vector<ENTITY*> edges;
    for (int i = 0; i < out.count(); ++i) edges.push_back(out[i]);
    return edges;
}

std::vector<CVyrObjectPath> Host::RegionAround(const SPAposition& low, const SPAposition& high, int margin,
                                               const std::vector<CDsTypeMask>* domain)
{
    int x0 = 1 << 20, y0 = 1 << 20, x1 = -x0, y1 = -y0;
    for (int corner = 0; corner < 8; ++corner) {
        int x = 0, y = 0;
        EXPECT_TRUE(PixelOf(SPAposition(corner & 1 ? high.x() : low.x(), corner & 2 ? high.y() : low.y(),
                                        corner & 4 ? high.z() : low.z()),
                            x, y));
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
    return Region(x0 - margin, y0 - margin, x1 + margin, y1 + margin, domain);
}

std::vector<CDsTypeMask> Host::Domain(std::initializer_list<int> types)
{
    CDsTypeMask mask;
    for (int type : types) mask.SetType(type, -1);
    return {mask};
}

std::vector<std::unique_ptr<RecipeFigure>> Host::Record(const std::vector<FigureRecipe>& recipes)
{
    std::vector<std::unique_ptr<RecipeFigure>> figures;
    for (const FigureRecipe& recipe : recipes) {
        figures.push_back(std::make_unique<RecipeFigure>(recipe));
        figures.back()->Record(true, view_.get());
        EXPECT_TRUE(figures.back()->IsRecorded());
    }
    return figures;
}

// === The test ======================================================================================

void HostTest::SetUp()
{
    ASSERT_TRUE(DisplayAvailable());
    countFrames_ = CDsManager::GetInstance()->GetFlag(3);
    CDsManager::GetInstance()->SetFlag(3, true);  // the scene counts the frames it draws
    host_ = std::make_unique<Host>(kHostSize, kHostSize);
}

void HostTest::TearDown()
{
    if (host_) {
        host_->Context().MakeCurrent(&host_->View());
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        EXPECT_EQ(host_->View().get_pick_mode(), 0);
    }
    host_.reset();
    CDsManager::GetInstance()->SetFlag(3, countFrames_);
}

}  // namespace vyrtest

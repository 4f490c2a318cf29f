// Shared pieces of the pick tests: a geometry of lines or one polygon, a region's geometry that
// answers for each of its items by id, and a core view of 100 x 100 pixels in a rendering context
// whose scene database the tests fill. The view looks down -z from (0, 0, 100) at a field of
// 100 x 100 model units: one unit a pixel, the model point (x, y) under the pixel (50 + x, 50 - y)
// counted down from the top.
#pragma once

#include "DsGeometry.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsPartStorage.h"
#include "DsPickProccessor.h"
#include "DsPickedItem.h"
#include "DsScene.h"
#include "DsTypeMask.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "UiPickEvent.h"
#include "ViewSetup.h"
#include "VyrObjectId.h"
#include "view3d.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include "SpaValues.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <memory>
#include <vector>

namespace picktest {

constexpr int kSize = 100;
// Object types of the test items (leaves: the type table's default category).
constexpr unsigned char kLineType = 150;
constexpr unsigned char kFaceType = 151;
constexpr unsigned char kOtherType = 152;
// While a RegionTypesScope lives: a region (category 3), and a container (category 5) to hold
// regions, which the walks meet only inside containers.
constexpr unsigned char kRegionType = 155;
constexpr unsigned char kHolderType = 156;

// Enters kRegionType and kHolderType in the type table for its lifetime.
class RegionTypesScope {
public:
    RegionTypesScope()
    {
        CDsPartStorage::sm_Type2Cat[kRegionType] = eVyrCatRegion;
        CDsPartStorage::sm_Type2Cat[kHolderType] = eVyrCatTransformed;
    }
    ~RegionTypesScope()
    {
        CDsPartStorage::sm_Type2Cat[kRegionType] = m_saved[0];
        CDsPartStorage::sm_Type2Cat[kHolderType] = m_saved[1];
    }
    RegionTypesScope(const RegionTypesScope&) = delete;
    RegionTypesScope& operator=(const RegionTypesScope&) = delete;

private:
    unsigned char m_saved[2] = {CDsPartStorage::sm_Type2Cat[kRegionType], CDsPartStorage::sm_Type2Cat[kHolderType]};
};

// A line strip (kind 2) or one polygon (kind 4) of float points, with a counter of the times it
// was asked to draw through OpenGL.
class CShapeGeometry : public CDsGeometry {
public:
    CShapeGeometry(int kind, std::vector<float> points, int extraKinds = 0)
        : m_kind(kind), m_points(std::move(points)), m_extraKinds(extraKinds)
    {
    }
    CDsGeometry* Clone() const override { return new CShapeGeometry(m_kind, m_points, m_extraKinds); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox& box, int) const override
    {
        if (m_points.empty()) return false;
        SPAposition low(m_points[0], m_points[1], m_points[2]), high = low;
        for (size_t i = 0; i + 2 < m_points.size(); i += 3) {
            low = SPAposition(std::min<double>(low.x(), m_points[i]), std::min<double>(low.y(), m_points[i + 1]),
                              std::min<double>(low.z(), m_points[i + 2]));
            high = SPAposition(std::max<double>(high.x(), m_points[i]), std::max<double>(high.y(), m_points[i + 1]),
                               std::max<double>(high.z(), m_points[i + 2]));
        }
        box = SPAbox(low, high);
        return true;
    }
    bool HasBoundBox(int) const override { return !m_points.empty(); }
    int GetDrawPrimitives(int) const override { return m_kind | m_extraKinds; }
    int Draw(view3d& view, eDrawPrimitives kinds, int, int, const CDsDrawContext*) override
    {
        if (!(kinds & m_kind)) return 0;
        return view.draw_polyline_3d(Count(), m_points.data(), m_kind == eDpFaces ? 1 : 0);
    }
    void DrawGl(view3d&, eDrawPrimitives kinds, int, int, const CDsDrawContext*) override
    {
        if (!(kinds & m_kind)) return;
        ++glDraws;
        glBegin(m_kind == eDpFaces ? GL_POLYGON : GL_LINE_STRIP);
        if (m_kind == eDpFaces) glNormal3f(0, 0, 1);
        for (int i = 0; i < Count(); ++i) glVertex3fv(&m_points[static_cast<size_t>(3 * i)]);
        glEnd();
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives kinds, int index, float*& vertices, int& count, int) override
    {
        // One polygon or polyline, handed with the answer -1 as item groups hand their last one.
        if ((kinds & m_kind) && index == 0) {
            vertices = m_points.data();
            count = Count();
        }
        return -1;
    }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

    int glDraws = 0;

private:
    int Count() const { return static_cast<int>(m_points.size() / 3); }

    int m_kind;
    std::vector<float> m_points;
    int m_extraKinds;
};

// A line from (x0, y0) to (x1, y1) at height z.
inline CShapeGeometry* Line(float x0, float y0, float x1, float y1, float z)
{
    return new CShapeGeometry(CDsGeometry::eDpLines, {x0, y0, z, x1, y1, z});
}
// The rectangle [x0, x1] x [y0, y1] at height z, facing the viewer.
inline CShapeGeometry* Rect(float x0, float y0, float x1, float y1, float z)
{
    return new CShapeGeometry(CDsGeometry::eDpFaces, {x0, y0, z, x1, y0, z, x1, y1, z, x0, y1, z});
}

// The geometry of a region, which answers every call for the item id it is given: item `id` of the
// region is the shape filed under that id; the region itself (id 0) draws the kinds of them all
// but holds no box, polygon or line of its own.
class CRegionGeometry : public CDsGeometry {
public:
    using Shapes = std::map<int, std::shared_ptr<CShapeGeometry>>;
    explicit CRegionGeometry(Shapes shapes) : m_shapes(std::move(shapes)) {}
    CDsGeometry* Clone() const override { return new CRegionGeometry(m_shapes); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox& box, int id) const override { return Shape(id) && Shape(id)->GetBoundBox(box, 0); }
    bool HasBoundBox(int id) const override { return Shape(id) != nullptr; }
    int GetDrawPrimitives(int id) const override
    {
        int kinds = 0;
        for (const auto& entry : m_shapes)
            if (id == 0 || entry.first == id) kinds |= entry.second->GetDrawPrimitives(0);
        return kinds;
    }
    // Items `first` to `last` (only `first` when `last` is -1).
    int Draw(view3d& view, eDrawPrimitives kinds, int first, int last, const CDsDrawContext* context) override
    {
        int drawn = 0;
        for (int id = first; id <= std::max(first, last); ++id)
            if (CShapeGeometry* shape = Shape(id)) drawn += shape->Draw(view, kinds, 0, -1, context);
        return drawn;
    }
    void DrawGl(view3d& view, eDrawPrimitives kinds, int first, int last, const CDsDrawContext* context) override
    {
        for (int id = first; id <= std::max(first, last); ++id)
            if (CShapeGeometry* shape = Shape(id)) shape->DrawGl(view, kinds, 0, -1, context);
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives kinds, int index, float*& vertices, int& count, int id) override
    {
        CShapeGeometry* shape = Shape(id);
        return shape ? shape->GetVertices(kinds, index, vertices, count, 0) : -1;
    }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

private:
    CShapeGeometry* Shape(int id) const
    {
        const auto found = m_shapes.find(id);
        return found == m_shapes.end() ? nullptr : found->second.get();
    }

    Shapes m_shapes;
};

// Whether `p` is exactly (x, y, z).
inline bool At(const SPAposition& p, double x, double y, double z)
{
    return p.x() == x && p.y() == y && p.z() == z;
}

// A mask of the listed types.
inline CDsTypeMask MaskOf(std::initializer_list<int> types)
{
    CDsTypeMask mask;
    for (int type : types) mask.SetType(type, -1);
    return mask;
}

// A core view of 100 x 100 pixels in a rendering context, its scene's model part emptied after the
// test.
class PickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        view_ = std::make_unique<CDsView3dCdc>(&window_.wnd);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        vyrtest::ViewSetup()
            .Pixels(kSize, kSize)
            .Eye(SPAposition(0, 0, 100))
            .Field(kSize, kSize)
            .Clip(1, 300)
            .ApplyTo(*view_);
        view_->SetRenderMode(eRenderShade);
        domain_ = {MaskOf({kLineType, kFaceType, kOtherType})};
    }
    void TearDown() override
    {
        if (view_) {
            EXPECT_EQ(view_->get_pick_mode(), 0);
        }
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        CDsPartStorage::instance()->RemovePart(PeerPart());
        CDsPartStorage::instance()->RemovePart(Scene().GetTempPartId());
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
    }

    CDsScene& Scene() { return context_.GetScene()->GetDbScene(); }
    int PeerPart() { return Scene().GetPeerPartId(); }
    // The path of the model part's item `id`.
    CVyrObjectPath PathOf(int id) { return CVyrObjectPath(&id, 1, 1, PeerPart()); }
    // Files `geometry` as the model part's item `id` of `type`; its path.
    CVyrObjectPath Add(int id, unsigned char type, CDsGeometry* geometry, unsigned color = 0x0000FF)
    {
        CDsAttributes look;
        look.SetColor(color);
        EXPECT_TRUE(CDsPartStorage::instance()->AddItem(CVyrObjectId(PeerPart(), id), type, geometry, nullptr, &look,
                                                        nullptr, nullptr, true));
        return PathOf(id);
    }
    // Draws the view (which gives the locations their window boxes).
    void Refresh() { view_->refresh(); }
    // The single pick at drawable pixel (x, y), y down from the top.
    CDsPickedItem Pick(int x, int y, CDsPickedItemList& list, const std::vector<CDsTypeMask>* domain = nullptr)
    {
        event_ = CUiPickEvent(x, y, 0, view_.get(), nullptr);
        request_.m_ownerContext = &context_;
        request_.m_domain = domain ? domain : &domain_;
        request_.m_event = &event_;
        return context_.GetPickProccessor()->PickSingle(request_, list);
    }
    // The paths of a list's items.
    static std::vector<CVyrObjectPath> Paths(const CDsPickedItemList& list)
    {
        std::vector<CVyrObjectPath> paths;
        for (const CDsPickedItem* item : list.GetItems()) paths.push_back(item->GetObjectPath());
        return paths;
    }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::FrameworkWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    std::vector<CDsTypeMask> domain_;
    CUiPickEvent event_;
    CDsPickContext request_;
};

}  // namespace picktest

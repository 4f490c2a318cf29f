// What the edge item's tests stand in for its neighbours: persistent ids that stay the same for an
// entity, a body group that owns its face and edge items as children and says how many faces it
// has, face items as plain groups (a face item is a group), and modeler edges the tests own.
#pragma once

#include "DsGlSketch.h"
#include "DsItemEdge.h"
#include "DsItemsGroup.h"
#include "DsQueryIDInt.h"
#include "VyrMeshInterface.h"
#include "VyrPolylineEntry.h"

#include "EntityDeleter.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"

#include <map>

namespace vyrtest {

// Persistent ids 1, 2, 3... by entity, the same id each time an entity is asked; installed while
// it lives.
class StablePids : public CDsQueryIDInt {
public:
    StablePids() { StSetActiveQueryIDInt(this); }
    int QueryPID(ENTITY* entity) override
    {
        if (!entity) return 0;
        auto found = ids_.find(entity);
        if (found != ids_.end()) return found->second;
        return ids_[entity] = static_cast<int>(ids_.size()) + 1;
    }

private:
    std::map<ENTITY*, int> ids_;
};

// A body group as an edge sees it.
class FakeBody : public CDsItemsGroup {
public:
    explicit FakeBody(CDsGlContext* context = nullptr) : CDsItemsGroup(context, nullptr) {}

    // A face item of `face` (a plain group in the body's context) coloured `color`, owned.
    CDsItemsGroup* AddFace(FACE* face, const CDsColorStorage& color)
    {
        auto* item = new CDsItemsGroup(GetGlContext(), face);
        item->SetParent(this);
        item->SetColor(color, false);
        Add(item);
        ++faces_;
        return item;
    }
    // An edge item of `edge` in the body's context, owned, its polyline taken from `meshes` when
    // given.
    CDsItemEdge* AddEdge(ENTITY* edge, CVyrMeshInterface* meshes = nullptr)
    {
        auto* item = new CDsItemEdge;
        item->SetGlContext(GetGlContext());
        item->SetParent(this);
        Add(item);
        item->SetEntity(edge);
        if (meshes) item->ReconnectPolyline(meshes);
        return item;
    }
    // The number of face items.
    int FacesCount() override { return faces_; }
    // Pretends to have `count` faces.
    void SetFacesCount(int count) { faces_ = count; }

private:
    int faces_ = 0;
};

// A free edge along a straight line from `a` to `b`, owned by the test.
inline EntityPtr StraightEdge(const SPAposition& a, const SPAposition& b)
{
    const SPAvector d = b - a;
    return EntityPtr(new EDGE(straight(a, SPAunit_vector(d)), SPAinterval(0.0, d.len())));
}

// A free edge on the whole circle of `radius` about `centre` in the xy plane, owned by the test.
inline EntityPtr CircleEdge(const SPAposition& centre, double radius)
{
    return EntityPtr(new EDGE(ellipse(centre, SPAunit_vector(0, 0, 1), SPAvector(radius, 0, 0), 1.0, 0.0),
                              SPAinterval(0.0, 2.0 * 3.14159265358979323846)));
}

// The edge's polyline sketched into `meshes` (the entry kept under the edge's id).
inline void Sketch(EDGE* edge, CVyrMeshInterface& meshes)
{
    CDsGlSketch(nullptr).BuildEdgeFast(edge, &meshes);
}

}  // namespace vyrtest

// CDsItemsIdBuffer: the buffer of PickClosest. A triangle collector over a software z-buffer of a
// window rectangle of a view (CVyrZBuffer, mapped by CDsZBufferProjection as the frame draws: the
// view's own projection, a perspective one included, nothing nearer than the near plane nor beyond
// the far one, each triangle taking the pixels whose centres it covers): the items rasterise
// their faces' meshes into it, and each cell keeps the face item nearest to the viewer there,
// with the copy item it is seen through. A body's PickClosest pushes its transformation on the
// buffer's owner stack and asks each face; a face pushes its own, names itself the current item,
// hands its mesh's triangles to AddTriangle and pops; a copy names itself the current copy around
// its body's. A triangle's corners go through the owner stack's transformations, the last pushed
// first, and then into the buffer.
//
// Choices where the behaviour was open:
// - A triangle that arrives while no item is current is not rasterised: it would name nothing.
// - Cells name an entry per (item, copy) pair, made the first time the pair sends a triangle;
//   equal depth keeps the first item drawn there.
// - PopOwner on an empty owner stack does nothing; PushOwner with null pushes nothing.
// - The rectangle is cut to the viewport; one with no pixel inside has no cells and finds
//   nothing (see CDsZBufferProjection). The buffer forgets no item it names: the items must
//   outlive its queries.
#pragma once

#include <afx.h>

#include "DsTrianglesCollector.h"
#include "DsZBufferProjection.h"
#include "VyrZBuffer.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

class CDsItemBase;
class CDsView3dCdc;

// The buffer of PickClosest.
class AFX_EXT_CLASS CDsItemsIdBuffer : public CDsTrianglesCollector {
public:
    // What a cell names.
    struct SEntry {
        CDsItemBase* item = nullptr;  // the face item seen there
        CDsItemBase* copy = nullptr;  // the copy item it is seen through (null when none)
    };

    // A buffer over the rectangle between drawable pixels (x1, y1) and (x2, y2) of `view`
    // (counted down from the top, the corners in either order), all cells empty.
    CDsItemsIdBuffer(CDsView3dCdc* view, int x1, int y1, int x2, int y2);
    // Frees the cells and entries.
    ~CDsItemsIdBuffer() override;
    CDsItemsIdBuffer(const CDsItemsIdBuffer&) = delete;
    CDsItemsIdBuffer& operator=(const CDsItemsIdBuffer&) = delete;

    // True when the rectangle has cells.
    bool IsValid() const { return m_buffer != nullptr; }
    // Pushes `transform` on the owner stack (nothing for null).
    void PushOwner(const SPAtransf* transform);
    // Drops the owner stack's last entry (nothing when it is empty).
    void PopOwner();
    // The number of transformations on the owner stack.
    int GetOwnerCount() const { return static_cast<int>(m_owners.size()); }
    // Sets the item whose triangles come next (null: none).
    void SetCurrentItem(CDsItemBase* item) { m_item = item; }
    // The item whose triangles come now.
    CDsItemBase* GetCurrentItem() const { return m_item; }
    // Sets the copy item through which the next triangles are seen (null: none).
    void SetCurrentCopy(CDsItemBase* copy) { m_copy = copy; }
    // The current copy item.
    CDsItemBase* GetCurrentCopy() const { return m_copy; }

    // Rasterises one triangle of the current item (corners in its mesh's space).
    void AddTriangle(const SPAposition& a, const SPAposition& b, const SPAposition& c) override;

    // What the cell under drawable pixel (x, y) names; null outside the rectangle or where nothing
    // was drawn.
    const SEntry* GetEntryAt(int x, int y) const;
    // The face item nearest to the viewer at drawable pixel (x, y); null when none.
    CDsItemBase* GetItemAt(int x, int y) const;
    // Appends every entry that owns at least one cell, in the order the entries were made.
    void CollectSeenItems(std::vector<SEntry>& entries) const;
    // Triangles rasterised so far.
    long GetTriangleCount() const { return m_triangles; }

private:
    CDsZBufferProjection m_projection;
    std::unique_ptr<CVyrZBuffer<SEntry*>> m_buffer;
    std::vector<std::unique_ptr<SEntry>> m_entries;
    std::map<std::pair<CDsItemBase*, CDsItemBase*>, SEntry*> m_entryOf;
    SEntry* m_last = nullptr;
    std::vector<SPAtransf> m_owners;  // each entry: the pushed transformation followed by those below it
    std::vector<SVyrZSubVertex> m_cells;  // scratch: a mapped triangle
    CDsItemBase* m_item = nullptr;
    CDsItemBase* m_copy = nullptr;
    long m_triangles = 0;
};

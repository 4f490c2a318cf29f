// CDsScene: views and their locations, change tracking, boxes, attribute cache, special sets,
// transform ids and per-path flags.
#include "DsScene.h"

#include "DsGeometry.h"
#include "DsItems.h"
#include "DsLocation.h"
#include "DsPartStorage.h"
#include "DsSceneInternal.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>

namespace {

CDsAttributes g_specialAttributes[eAttribSetCount];
TDsViewStateReader g_viewStateReader = nullptr;

// The state of `view`, when a reader is installed and gives one.
bool ReadViewState(const view3d* view, SDsViewState& state)
{
    return g_viewStateReader && view && g_viewStateReader(view, state);
}

// Most changed paths listed for one view before the change counts as total.
constexpr size_t kMaxListedPaths = 64;
// Deepest nesting the scene's own walks follow.
constexpr int kMaxDepth = 100;

// A float box, empty while a minimum exceeds its maximum.
struct SBox {
    float m[6] = {1, 0, 0, 0, 0, 0};

    bool IsEmpty() const { return m[0] > m[3] || m[1] > m[4] || m[2] > m[5]; }
    void Add(float x, float y, float z)
    {
        if (IsEmpty()) {
            m[0] = m[3] = x;
            m[1] = m[4] = y;
            m[2] = m[5] = z;
            return;
        }
        m[0] = std::min(m[0], x);
        m[1] = std::min(m[1], y);
        m[2] = std::min(m[2], z);
        m[3] = std::max(m[3], x);
        m[4] = std::max(m[4], y);
        m[5] = std::max(m[5], z);
    }
    void Unite(const SBox& other)
    {
        if (other.IsEmpty()) return;
        Add(other.m[0], other.m[1], other.m[2]);
        Add(other.m[3], other.m[4], other.m[5]);
    }
    // Adds the eight corners of `box` mapped by `transform`.
    void AddMapped(const SPAbox& box, const CDsTransform& transform)
    {
        if (box.empty()) return;
        const SPAposition lo = box.low(), hi = box.high();
        for (int corner = 0; corner < 8; ++corner) {
            float p[3] = {static_cast<float>(corner & 1 ? hi.x() : lo.x()),
                          static_cast<float>(corner & 2 ? hi.y() : lo.y()),
                          static_cast<float>(corner & 4 ? hi.z() : lo.z())};
            transform.TransformPoint(p);
            if (std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2])) Add(p[0], p[1], p[2]);
        }
    }
};

// The transform an item brings below its parent when no transform id replaces it: none for
// leaves of categories 0 and 1, else its own.
const CDsTransform* OwnTransform(const CDsItemVariant* item)
{
    if (!item || CDsRegion::IsLeafEntry(item)) return nullptr;
    if (item->GetCategory() == eVyrCatLeaf || item->GetCategory() == eVyrCatOpenLeaf) return nullptr;
    return item->GetTransform();
}

}  // namespace

// The scene's own walks over items and locations: synchronisation, location boxes, scene box.
struct SDsSceneWalker {
    CDsScene* m_scene;
    CDsPartStorage* m_storage;
    SDsLocationTree* m_tree;

    // Brings the locations below `location` in step with the part's instances and items.
    void SyncPart(CDsLocation* location, const CDsPart* part, int depth)
    {
        if (!part || depth > kMaxDepth) {
            location->ClipChildren(0);
            return;
        }
        int index = 0;
        for (const auto& instance : part->GetPartInstances()) {
            CDsLocation* child = location->SynchronizeChild(index++, instance.first, instance.second);
            SyncPart(child, m_storage->GetPart(instance.second->GetPartId()), depth + 1);
        }
        for (const auto& item : part->GetItems()) {
            CDsLocation* child = location->SynchronizeChild(index++, item.first, item.second);
            SyncItem(child, item.second, depth + 1);
        }
        location->ClipChildren(index);
    }

    // Brings the locations below `location` in step with the item's children.
    void SyncItem(CDsLocation* location, CDsItemVariant* item, int depth)
    {
        int index = 0;
        if (depth > kMaxDepth) {
            location->ClipChildren(0);
            return;
        }
        if (const CDsRegion* region = item->AsRegion()) {
            for (const auto& child : region->GetChildren()) {
                CDsLocation* childLocation = location->SynchronizeChild(index++, child.first, child.second);
                if (!CDsRegion::IsLeafEntry(child.second)) SyncItem(childLocation, child.second, depth + 1);
            }
            location->ClipChildren(index);
            return;
        }
        for (const auto& child : item->AsGroup()->GetChildren()) {
            CDsLocation* childLocation = location->SynchronizeChild(index++, child.first, child.second);
            SyncItem(childLocation, child.second, depth + 1);
        }
        if (CDsComplex* complex = item->AsComplex()) {
            const std::vector<int>& ids = complex->GetSlaveIds();
            for (size_t s = 0; s < ids.size(); ++s) {
                CDsLocation* slave = location->SynchronizeChild(index++, ids[s], complex->GetSlaves()[s].m_pItem);
                SyncItem(slave, complex->GetSlaves()[s].m_pItem, depth + 1);
            }
        }
        location->ClipChildren(index);
    }

    // The transform a location brings below its parent.
    const CDsTransform* LocationTransform(const CDsLocation* location, const CDsItemVariant* item) const
    {
        if (const CDsTransform* byId = location->GetTransform(m_scene)) return byId;
        return OwnTransform(item);
    }

    // The item of a child location, when the location still stands for it: looked up by id in
    // `part` (or among the leaf entries of `region`) and compared by identity and stamp, so that
    // locations of items that went are never read through.
    const CDsItemVariant* MatchChild(const CDsLocation* child, const CDsPart* part, const CDsRegion* region,
                                     bool& leaf) const
    {
        leaf = false;
        if (CDsRegion::IsLeafEntry(static_cast<const CDsItemVariant*>(child->m_variant))) {
            if (!region) return nullptr;
            for (const auto& entry : region->GetChildren()) {
                if (entry.first == child->m_id && entry.second == child->m_variant) {
                    leaf = true;
                    return region;
                }
            }
            return nullptr;
        }
        const CDsItemVariant* item = part ? part->FindItem(child->m_id) : nullptr;
        if (!item || item != child->m_variant || item->GetStamp() != child->m_stamp) return nullptr;
        return item;
    }

    // Computes the model box of `location` (standing for `item`, null for a root) and below, where
    // not valid. `part` holds the ids of its children; `transform` maps the item's space to the
    // root part's.
    void ComputeBox(CDsLocation* location, const CDsItemVariant* item, const CDsPart* part,
                    const CDsTransform& transform, int depth)
    {
        if (location->IsBoxValid()) return;
        SBox box;
        bool has = false;
        const CDsGeometry* geometry = item ? item->GetGeometry() : nullptr;
        SPAbox own;
        if (geometry && geometry->GetBoundBox(own, 0)) {
            has = true;
            box.AddMapped(own, transform);
        }
        const CDsRegion* region = item ? item->AsRegion() : nullptr;
        for (CDsLocation* child : location->m_children) {
            if (!child || depth > kMaxDepth) continue;
            bool leaf = false;
            const CDsItemVariant* childItem = MatchChild(child, part, region, leaf);
            if (!childItem) continue;
            if (leaf) {
                // A leaf entry: the region's geometry bounds it by its id.
                const CDsTransform* byId = child->GetTransform(m_scene);
                const CDsTransform leafTransform = byId ? transform * *byId : transform;
                SBox leafBox;
                SPAbox b;
                const bool leafHas = geometry && geometry->GetBoundBox(b, child->m_id);
                if (leafHas) leafBox.AddMapped(b, leafTransform);
                Store(child, leafBox, leafHas);
            } else {
                const CDsTransform* own = LocationTransform(child, childItem);
                const CDsTransform childTransform = own ? transform * *own : transform;
                const CDsPartInstance* instance = childItem->AsPartInstance();
                const CDsPart* childPart = instance ? m_storage->GetPart(instance->GetPartId()) : part;
                ComputeBox(child, childItem, childPart, childTransform, depth + 1);
            }
            if (child->HasBoundBox()) {
                has = true;
                SBox childBox;
                std::copy(child->m_box, child->m_box + 6, childBox.m);
                box.Unite(childBox);
            }
        }
        Store(location, box, has);
    }

    void Store(CDsLocation* location, const SBox& box, bool has)
    {
        std::copy(box.m, box.m + 6, location->m_box);
        if (has)
            location->m_flags |= CDsLocation::kHasBox;
        else
            location->m_flags &= ~CDsLocation::kHasBox;
        location->m_boxGeneration = m_tree->m_boxGeneration;
    }

    // The path of the item a box walk is at, from the root part: ids from the root and the root's
    // part id. A location's transform id is kept by path, so the walk names every item it passes.
    struct SPathTrail {
        int m_partId = 0;
        std::vector<int> m_ids;
        bool m_anyTransform = false;  // some path of the scene has a transform id
    };

    // The transform id's transform that the path `trail` carries, or null (none, or no transform
    // id anywhere in the scene).
    const CDsTransform* PathTransform(const SPathTrail& trail) const
    {
        if (!trail.m_anyTransform || trail.m_ids.empty()) return nullptr;
        return m_scene->FindTransform(m_scene->GetTransformId(
            CVyrObjectPath(trail.m_ids.data(), static_cast<int>(trail.m_ids.size()), 0, trail.m_partId)));
    }

    // Adds what the root part `partId` shows to `box`, each item under the transforms of its path
    // (a location's transform id, else the item's or part instance's own); `anyTransform` tells
    // whether some path of the scene has a transform id.
    void BoundRoot(int partId, bool anyTransform, SBox& box) const
    {
        SPathTrail trail;
        trail.m_partId = partId;
        trail.m_anyTransform = anyTransform;
        BoundPart(m_storage->GetPart(partId), CDsTransform(), box, 0, trail);
    }

    // Adds what the part shows to `box`; `trail` names the part's location.
    void BoundPart(const CDsPart* part, const CDsTransform& transform, SBox& box, int depth, SPathTrail& trail) const
    {
        if (!part || depth > kMaxDepth) return;
        for (const auto& instance : part->GetPartInstances()) {
            if (!Shown(instance.second)) continue;
            trail.m_ids.push_back(instance.first);
            const CDsTransform* own = PathTransform(trail);
            if (!own) own = instance.second->GetTransform();
            BoundPart(m_storage->GetPart(instance.second->GetPartId()), own ? transform * *own : transform, box,
                      depth + 1, trail);
            trail.m_ids.pop_back();
        }
        for (const auto& item : part->GetItems()) {
            trail.m_ids.push_back(item.first);
            BoundItem(item.second, transform, box, depth + 1, trail);
            trail.m_ids.pop_back();
        }
    }

    // Adds what the item shows to `box`; `trail` names the item's location.
    void BoundItem(const CDsItemVariant* item, const CDsTransform& parentTransform, SBox& box, int depth,
                   SPathTrail& trail) const
    {
        if (!Shown(item) || depth > kMaxDepth) return;
        const CDsTransform* own = PathTransform(trail);
        if (!own) own = OwnTransform(item);
        const CDsTransform transform = own ? parentTransform * *own : parentTransform;
        SPAbox b;
        const CDsGeometry* geometry = item->GetGeometry();
        if (geometry && geometry->GetBoundBox(b, 0)) box.AddMapped(b, transform);
        if (const CDsRegion* region = item->AsRegion()) {
            for (const auto& child : region->GetChildren()) {
                trail.m_ids.push_back(child.first);
                if (!CDsRegion::IsLeafEntry(child.second)) {
                    BoundItem(child.second, transform, box, depth + 1, trail);
                } else if (const CDsTransform* leaf = PathTransform(trail)) {
                    // A leaf moved by its own transform id: the region's geometry bounds it by id.
                    if (geometry && geometry->GetBoundBox(b, child.first)) box.AddMapped(b, transform * *leaf);
                }
                trail.m_ids.pop_back();
            }
            return;
        }
        for (const auto& child : item->AsGroup()->GetChildren()) {
            trail.m_ids.push_back(child.first);
            BoundItem(child.second, transform, box, depth + 1, trail);
            trail.m_ids.pop_back();
        }
        if (const CDsComplex* complex = item->AsComplex()) {
            const std::vector<int>& ids = complex->GetSlaveIds();
            const auto& slaves = complex->GetSlaves();
            for (size_t s = 0; s < slaves.size(); ++s) {
                trail.m_ids.push_back(s < ids.size() ? ids[s] : 0);
                BoundItem(slaves[s].m_pItem, transform, box, depth + 1, trail);
                trail.m_ids.pop_back();
            }
        }
    }

    bool Shown(const CDsItemVariant* item) const
    {
        const CDsAttributes* own = item->GetAttributes();
        return !(own && own->IsHidden()) && !m_scene->IsHidden(item->GetType());
    }

    // Changes the flags of `path` in the scene's table and in every view's location.
    static bool ChangePathFlags(CDsScene* scene, CDsScene::SImpl& impl, const CVyrObjectPath& path, unsigned set,
                                unsigned clear, const unsigned short* transformId, bool flagged)
    {
        if (path.IsEmpty() || (path.GetPartId() != impl.m_peerPartId && path.GetPartId() != impl.m_tempPartId))
            return false;
        CDsPartStorage* storage = CDsPartStorage::instance();
        if (!storage->GetObjectIdByPath(path).IsValid()) return false;
        const CVyrObjectPath key(path.GetIds().GetData(), path.GetSize(), 0, path.GetPartId());
        SDsPathFlags& entry = impl.m_pathFlags[key];
        entry.m_flags = (entry.m_flags | set) & ~clear;
        if (transformId) entry.m_transformId = *transformId;
        if (entry.m_flags == 0 && entry.m_transformId == 0) impl.m_pathFlags.erase(key);
        for (const auto& tree : impl.m_trees) {
            if (CDsLocation* location = tree->Find(path)) location->ApplyPathFlags();
        }
        impl.AttributesChanged();
        if (transformId) scene->InvalidateBoundBox();
        storage->m_journal->Add(CDsPartStorage::SJournal::ePath, scene, CVyrObjectId(), &key, flagged);
        return true;
    }
};

// ---------------------------------------------------------------------------------------------
// SImpl and change log

SDsLocationTree* CDsScene::SImpl::Tree(CDsScene* scene, view3d* view)
{
    for (const auto& tree : m_trees) {
        if (tree->m_view == view) return tree.get();
    }
    m_trees.emplace_back(new SDsLocationTree(scene, view));
    return m_trees.back().get();
}

void CDsScene::SChangeLog::Record(const std::vector<CVyrObjectPath>& paths)
{
    if (m_used >= kSlotCount) {
        m_base += kSlotCount;
        m_used = 0;
        for (auto& slot : m_slots) std::vector<std::pair<CVyrObjectPath, unsigned char>>().swap(slot);
    }
    if (paths.empty()) return;
    auto& slot = m_slots[m_used++];
    slot.clear();
    slot.reserve(paths.size());
    for (const CVyrObjectPath& path : paths) slot.emplace_back(path, static_cast<unsigned char>(0));
}

// ---------------------------------------------------------------------------------------------
// Construction, parts and views

CDsScene::CDsScene(int number) : m_impl(new SImpl())
{
    CDsPartStorage* storage = CDsPartStorage::instance();
    m_impl->m_peerPartId = number;
    m_impl->m_tempPartId = ~number;
    if (!storage->GetPart(m_impl->m_peerPartId)) storage->CreatePart(m_impl->m_peerPartId);
    if (!storage->GetPart(m_impl->m_tempPartId)) m_impl->m_ownsTempPart = storage->CreatePart(m_impl->m_tempPartId);
    m_impl->m_transforms.resize(1);
    m_impl->m_transformUsed.resize(1, 0);
    storage->RegisterScene(this);
    m_impl->m_current = m_impl->Tree(this, nullptr);
}

CDsScene::~CDsScene()
{
    CDsPartStorage* storage = CDsPartStorage::instance();
    storage->UnregisterScene(this);
    m_impl->m_current = nullptr;
    m_impl->m_trees.clear();
    if (!m_impl->m_ownsTempPart) return;
    for (CDsScene* other : storage->m_scenes)
        if (other->m_impl->m_tempPartId == m_impl->m_tempPartId) {
            other->m_impl->m_ownsTempPart = true;  // a scene of the same number still shows it
            return;
        }
    storage->RemovePart(m_impl->m_tempPartId);
}

int CDsScene::GetPeerPartId() const { return m_impl->m_peerPartId; }

int CDsScene::GetTempPartId() const { return m_impl->m_tempPartId; }

CDsLocation* CDsScene::GetMainLocation() { return m_impl->m_current->m_main; }

CDsLocation* CDsScene::GetTempLocation() { return m_impl->m_current->m_temp; }

CDsLocation* CDsScene::FindLocation(const CVyrObjectPath& path) const { return m_impl->m_current->Find(path); }

void CDsScene::SetCurrentView(view3d* view)
{
    if (m_impl->m_current->m_view != view) m_impl->m_current = m_impl->Tree(this, view);
}

view3d* CDsScene::GetCurrentView() const { return m_impl->m_current->m_view; }

void CDsScene::RemoveView(view3d* view)
{
    auto& trees = m_impl->m_trees;
    for (size_t i = 0; i < trees.size(); ++i) {
        if (trees[i]->m_view != view) continue;
        const bool wasCurrent = trees[i].get() == m_impl->m_current;
        trees.erase(trees.begin() + static_cast<std::ptrdiff_t>(i));
        if (wasCurrent) m_impl->m_current = m_impl->Tree(this, nullptr);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Changes

bool SDsViewState::operator==(const SDsViewState& other) const
{
    return std::equal(std::begin(m_camera), std::end(m_camera), std::begin(other.m_camera)) &&
           std::equal(std::begin(m_viewport), std::end(m_viewport), std::begin(other.m_viewport));
}

void CDsScene::SetViewStateReader(TDsViewStateReader reader) { g_viewStateReader = reader; }

EChangeStatus CDsScene::GetChanges(TChangedPaths& paths, TChangedIds& ids, int& logNumber, int& dbNumber,
                                   view3d* view)
{
    const EChangeStatus status = GetStoreChanges(paths, ids, logNumber, dbNumber, view);
    if (status == eTotallyChanged) return status;
    const SDsViewState& seen = m_impl->m_current->m_seenState;
    SDsViewState now;
    const bool moved = ReadViewState(view, now) && (!m_impl->m_current->m_seenStateKnown || now != seen);
    if (!moved) return status;
    // A partial change would be drawn in the rectangles the changed locations had under the old
    // camera: the whole picture is drawn instead.
    return status == eNoChange ? eCameraChanged : eTotallyChanged;
}

EChangeStatus CDsScene::GetStoreChanges(TChangedPaths& paths, TChangedIds& ids, int& logNumber, int& dbNumber,
                                        view3d* view)
{
    SetCurrentView(view);
    SDsLocationTree* tree = m_impl->m_current;
    CDsPartStorage::SJournal& journal = *CDsPartStorage::instance()->m_journal;
    SChangeLog& log = m_impl->m_log;
    if (log.m_flag == 0) {
        // A modification too large to list: every view of this scene draws everything.
        journal.Add(CDsPartStorage::SJournal::eTotal, this, CVyrObjectId(), nullptr, true);
        log.m_flag = 1;
    }
    logNumber = log.m_base + log.m_used;
    dbNumber = static_cast<int>(journal.m_serial);
    if (!tree->m_synced || tree->m_seenJournal < journal.m_dropped || tree->m_seenLog < log.m_base)
        return eTotallyChanged;

    TChangedPaths newPaths;
    TChangedIds newIds;
    auto addPath = [&newPaths](const CVyrObjectPath& path, bool flag) {
        for (auto& known : newPaths) {
            if (known.first == path) {
                known.second = known.second || flag;
                return;
            }
        }
        newPaths.emplace_back(path, flag);
    };
    // Entries of the journal the view has not seen, oldest first.
    auto first = journal.m_entries.end();
    while (first != journal.m_entries.begin() && std::prev(first)->m_serial > tree->m_seenJournal) --first;
    for (auto entry = first; entry != journal.m_entries.end(); ++entry) {
        if (entry->m_scene && entry->m_scene != this) continue;
        if (entry->m_kind == CDsPartStorage::SJournal::eTotal) return eTotallyChanged;
        if (entry->m_kind == CDsPartStorage::SJournal::ePath) {
            addPath(entry->m_path, entry->m_flag);
        } else {
            bool known = false;
            for (auto& id : newIds) {
                if (id.first == entry->m_id) {
                    id.second = id.second || entry->m_flag;
                    known = true;
                }
            }
            if (!known) newIds.emplace_back(entry->m_id, entry->m_flag);
        }
        if (newPaths.size() > kMaxListedPaths || newIds.size() > kMaxListedPaths) return eTotallyChanged;
    }
    // Entries of the change log the view has not seen.
    for (int number = tree->m_seenLog; number < logNumber; ++number) {
        for (const auto& record : log.m_slots[number - log.m_base]) addPath(record.first, record.second != 0);
        if (newPaths.size() > kMaxListedPaths) return eTotallyChanged;
    }
    if (newPaths.empty() && newIds.empty()) return eNoChange;
    paths.insert(paths.end(), newPaths.begin(), newPaths.end());
    ids.insert(ids.end(), newIds.begin(), newIds.end());
    return ePartiallyChanged;
}

void CDsScene::SyncNumbers(int logNumber, int dbNumber, view3d* view)
{
    SetCurrentView(view);
    SDsLocationTree* tree = m_impl->m_current;
    const SChangeLog& log = m_impl->m_log;
    const unsigned serial = CDsPartStorage::instance()->m_journal->m_serial;
    tree->m_seenLog = std::min(std::max(logNumber, 0), log.m_base + log.m_used);
    tree->m_seenJournal = std::min(static_cast<unsigned>(std::max(dbNumber, 0)), serial);
    tree->m_synced = true;
    tree->m_seenStateKnown = ReadViewState(view, tree->m_seenState);
}

CDsScene::SChangeLog& CDsScene::GetChangeLog() { return m_impl->m_log; }

// ---------------------------------------------------------------------------------------------
// Boxes

bool CDsScene::GetLocationRect(const CVyrObjectPath& path, RECT* rect) const
{
    const CDsLocation* location = rect ? m_impl->m_current->Find(path) : nullptr;
    int left, top, right, bottom;
    if (!location || location->Is2dBoundBoxEmpty() || !location->Get2dBoundBox(left, top, right, bottom)) return false;
    rect->left = left;
    rect->top = top;
    rect->right = right;
    rect->bottom = bottom;
    return true;
}

void CDsScene::ValidateLocationsBB()
{
    SDsSceneWalker walker{this, CDsPartStorage::instance(), m_impl->m_current};
    const CDsTransform identity;
    walker.ComputeBox(m_impl->m_current->m_main, nullptr, walker.m_storage->GetPart(GetPeerPartId()), identity, 0);
    walker.ComputeBox(m_impl->m_current->m_temp, nullptr, walker.m_storage->GetPart(GetTempPartId()), identity, 0);
}

bool CDsScene::AreLocationBoxesValid() const
{
    const SDsLocationTree* tree = m_impl->m_current;
    if (!tree) return true;
    for (const CDsLocation* root : {tree->m_main, tree->m_temp})
        if (root && !root->IsBoxValid()) return false;
    return true;
}

SPAbox CDsScene::GetBoundsBox()
{
    CDsPartStorage* storage = CDsPartStorage::instance();
    if (m_impl->m_boundsSerial != storage->GetItemsSerial()) {
        SDsSceneWalker walker{this, storage, m_impl->m_current};
        SBox box;
        const bool anyTransform =
            std::any_of(m_impl->m_pathFlags.begin(), m_impl->m_pathFlags.end(),
                        [](const auto& entry) { return entry.second.m_transformId != 0; });
        walker.BoundRoot(GetPeerPartId(), anyTransform, box);
        walker.BoundRoot(GetTempPartId(), anyTransform, box);
        m_impl->m_bounds = box.IsEmpty() ? SPAbox()
                                         : SPAbox(SPAposition(box.m[0], box.m[1], box.m[2]),
                                                  SPAposition(box.m[3], box.m[4], box.m[5]));
        m_impl->m_boundsSerial = storage->GetItemsSerial();
    }
    return m_impl->m_bounds;
}

void CDsScene::InvalidateBoundBox()
{
    m_impl->m_boundsSerial = 0;
    for (const auto& tree : m_impl->m_trees) {
        if (++tree->m_boxGeneration == 0) ++tree->m_boxGeneration;
    }
}

void CDsPartStorage::SynchronizeLocations(CDsScene* scene, bool allViews)
{
    if (!scene) return;
    for (const auto& tree : scene->m_impl->m_trees) {
        if (!allViews && tree.get() != scene->m_impl->m_current) continue;
        SDsSceneWalker walker{scene, this, tree.get()};
        walker.SyncPart(tree->m_main, GetPart(scene->GetPeerPartId()), 0);
        walker.SyncPart(tree->m_temp, GetPart(scene->GetTempPartId()), 0);
    }
}

// ---------------------------------------------------------------------------------------------
// Attributes

bool CDsScene::IsAttributesValid() const { return m_impl->m_attributesValid; }

void CDsScene::InvalidateAttributesCache()
{
    for (const auto& tree : m_impl->m_trees) {
        if (++tree->m_attributeGeneration == 0) ++tree->m_attributeGeneration;
    }
    m_impl->m_attributesValid = true;
}

const CDsAttributes& CDsScene::GetSpecialAttrs(int index)
{
    static const CDsAttributes none;
    return index >= 0 && index < eAttribSetCount ? g_specialAttributes[index] : none;
}

void DsResetSpecialAttrs()
{
    for (CDsAttributes& set : g_specialAttributes) set = CDsAttributes();
}

void CDsScene::SetSpecialAttrs(int index, const CDsAttributes& attributes)
{
    if (index < 0 || index >= eAttribSetCount) return;
    g_specialAttributes[index] = attributes;
    CDsPartStorage::instance()->NoteAttributesChange();
}

// ---------------------------------------------------------------------------------------------
// Temporary items and transform ids

int CDsScene::NextTempItemId()
{
    const CDsPart* temp = CDsPartStorage::instance()->GetPart(GetTempPartId());
    for (;;) {
        const int id = m_impl->m_nextTempId;
        m_impl->m_nextTempId = id == INT_MAX ? 1 : id + 1;
        if (!temp || !temp->FindItem(id)) return id;
    }
}

unsigned short CDsScene::NewTransformId()
{
    auto& used = m_impl->m_transformUsed;
    for (size_t id = 1; id < used.size(); ++id) {
        if (!used[id]) {
            used[id] = 1;
            m_impl->m_transforms[id] = CDsTransform();
            return static_cast<unsigned short>(id);
        }
    }
    if (used.size() > 0xFFFF) return 0;
    used.push_back(1);
    m_impl->m_transforms.emplace_back();
    return static_cast<unsigned short>(used.size() - 1);
}

void CDsScene::ReleaseTransformId(unsigned short id)
{
    if (id == 0 || id >= m_impl->m_transformUsed.size() || !m_impl->m_transformUsed[id]) return;
    m_impl->m_transformUsed[id] = 0;
    m_impl->m_transforms[id] = CDsTransform();
    InvalidateBoundBox();
    CDsPartStorage::instance()->m_journal->Add(CDsPartStorage::SJournal::eTotal, this, CVyrObjectId(), nullptr, true);
}

bool CDsScene::SetTransform(unsigned short id, const CDsTransform& transform)
{
    if (id == 0 || id >= m_impl->m_transformUsed.size() || !m_impl->m_transformUsed[id]) return false;
    m_impl->m_transforms[id] = transform;
    InvalidateBoundBox();
    // The locations that carry the id move: each is a change by rectangle, which the view draws
    // where the location was and where it now is (its boxes are no longer valid).
    CDsPartStorage::SJournal& journal = *CDsPartStorage::instance()->m_journal;
    for (const auto& entry : m_impl->m_pathFlags) {
        if (entry.second.m_transformId == id)
            journal.Add(CDsPartStorage::SJournal::ePath, this, CVyrObjectId(), &entry.first, false);
    }
    return true;
}

bool CDsScene::SetTransform(unsigned short id, const SPAtransf& transform)
{
    return SetTransform(id, CDsTransform(transform));
}

const CDsTransform* CDsScene::FindTransform(unsigned short id) const
{
    if (id == 0 || id >= m_impl->m_transformUsed.size() || !m_impl->m_transformUsed[id]) return nullptr;
    return &m_impl->m_transforms[id];
}

bool CDsScene::GetTransform(unsigned short id, CDsTransform& transform) const
{
    const CDsTransform* found = FindTransform(id);
    if (!found) return false;
    transform = *found;
    return true;
}

bool CDsScene::GetTransform(unsigned short id, SPAtransf& transform) const
{
    const CDsTransform* found = FindTransform(id);
    if (!found) return false;
    transform = found->Convert2SPA();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Per-path flags


bool CDsScene::SetOnTop(const CVyrObjectPath& path)
{
    return SDsSceneWalker::ChangePathFlags(this, *m_impl, path, kDsPathOnTop, 0, nullptr, false);
}

bool CDsScene::ClearOnTop(const CVyrObjectPath& path)
{
    return SDsSceneWalker::ChangePathFlags(this, *m_impl, path, 0, kDsPathOnTop, nullptr, false);
}

bool CDsScene::SetOrgAttrs(const CVyrObjectPath& path)
{
    return SDsSceneWalker::ChangePathFlags(this, *m_impl, path, kDsPathOrgAttrs, 0, nullptr, false);
}

bool CDsScene::ClearOrgAttrs(const CVyrObjectPath& path)
{
    return SDsSceneWalker::ChangePathFlags(this, *m_impl, path, 0, kDsPathOrgAttrs, nullptr, false);
}

bool CDsScene::ForceHide(const CVyrObjectPath& path)
{
    return SDsSceneWalker::ChangePathFlags(this, *m_impl, path, kDsPathHide, kDsPathShow, nullptr, true);
}

bool CDsScene::ForceShow(const CVyrObjectPath& path)
{
    return SDsSceneWalker::ChangePathFlags(this, *m_impl, path, kDsPathShow, kDsPathHide, nullptr, true);
}

bool CDsScene::ResetHideShow(const CVyrObjectPath& path)
{
    return SDsSceneWalker::ChangePathFlags(this, *m_impl, path, 0, kDsPathHide | kDsPathShow, nullptr, true);
}

bool CDsScene::SetTransformId(const CVyrObjectPath& path, unsigned short id)
{
    if (id != 0 && !FindTransform(id)) return false;
    return SDsSceneWalker::ChangePathFlags(this, *m_impl, path, 0, 0, &id, true);
}

unsigned short CDsScene::GetTransformId(const CVyrObjectPath& path) const
{
    const auto found = m_impl->m_pathFlags.find(path);
    return found == m_impl->m_pathFlags.end() ? 0 : found->second.m_transformId;
}

// ---------------------------------------------------------------------------------------------
// Types and states

void CDsScene::SwitchShowByType(int type, bool show)
{
    if (type < 0 || type > 255 || m_impl->m_hiddenTypes[static_cast<size_t>(type)] == !show) return;
    m_impl->m_hiddenTypes[static_cast<size_t>(type)] = !show;
    m_impl->AttributesChanged();
    m_impl->m_boundsSerial = 0;
    CDsPartStorage::instance()->m_journal->Add(CDsPartStorage::SJournal::eTotal, this, CVyrObjectId(), nullptr, true);
}

bool CDsScene::IsHidden(int type) const
{
    return type >= 0 && type <= 255 && m_impl->m_hiddenTypes[static_cast<size_t>(type)];
}

void CDsScene::InvalidateStates()
{
    for (const auto& tree : m_impl->m_trees) {
        for (CDsLocation* root : {tree->m_main, tree->m_temp}) {
            root->m_state = 0;
            root->m_flags &= ~CDsLocation::kTempState;
            root->InvalidateChildrenState();
        }
    }
    m_impl->AttributesChanged();
    CDsPartStorage::instance()->m_journal->Add(CDsPartStorage::SJournal::eTotal, this, CVyrObjectId(), nullptr, true);
}

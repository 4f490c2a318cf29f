// CDsLocation, the location trees of a view and the walk window.
#include "DsLocation.h"

#include "DsItems.h"
#include "DsSceneInternal.h"
#include "VyrObjectPath.h"

#include <algorithm>
#include <cstring>

namespace {

int g_openWalks = 0;
unsigned g_windowSerial = 1;
std::vector<CDsLocation*> g_pending;

// The stamp of a walk's item value: 0 for a region's leaf entry, which is never read through.
unsigned StampOf(const CDsItemVariant* variant)
{
    return CDsRegion::IsLeafEntry(variant) ? 0u : variant->GetStamp();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The walk window

void NDsWalkWindow::Enter()
{
    if (g_openWalks++ == 0) ++g_windowSerial;
}

void NDsWalkWindow::Leave()
{
    if (g_openWalks <= 0 || --g_openWalks > 0) return;
    // The window closes: changes still not undone are lasting. Commit may not add to the list.
    std::vector<CDsLocation*> pending;
    pending.swap(g_pending);
    for (CDsLocation* location : pending) {
        if (location) CDsLocation::CommitPending(location);
    }
    ++g_windowSerial;
}

bool NDsWalkWindow::IsOpen() { return g_openWalks > 0; }

void NDsWalkWindow::Reset()
{
    g_openWalks = 0;
    g_windowSerial = 1;
    std::vector<CDsLocation*>().swap(g_pending);
}

unsigned NDsWalkWindow::Serial() { return g_windowSerial; }

void NDsWalkWindow::AddPending(CDsLocation* location) { g_pending.push_back(location); }

void NDsWalkWindow::RemovePending(CDsLocation* location)
{
    for (CDsLocation*& entry : g_pending) {
        if (entry == location) entry = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// SDsLocationTree

SDsLocationTree::SDsLocationTree(CDsScene* scene, view3d* view) : m_scene(scene), m_view(view)
{
    m_main = Allocate();
    m_main->m_id = scene->GetPeerPartId();
    m_main->m_flags = CDsLocation::kRoot;
    m_temp = Allocate();
    m_temp->m_id = scene->GetTempPartId();
    m_temp->m_flags = CDsLocation::kRoot;
}

SDsLocationTree::~SDsLocationTree()
{
    for (size_t c = 0; c < m_chunks.size(); ++c) {
        const size_t used = c + 1 == m_chunks.size() ? m_chunkUsed : kChunkSize;
        for (size_t i = 0; i < used; ++i) {
            if (m_chunks[c][i].m_flags & CDsLocation::kPending) NDsWalkWindow::RemovePending(&m_chunks[c][i]);
        }
        delete[] m_chunks[c];
    }
}

CDsLocation* SDsLocationTree::Allocate()
{
    CDsLocation* location;
    if (!m_free.empty()) {
        location = m_free.back();
        m_free.pop_back();
    } else {
        if (m_chunkUsed == kChunkSize) {
            m_chunks.push_back(new CDsLocation[kChunkSize]);
            m_chunkUsed = 0;
        }
        location = &m_chunks.back()[m_chunkUsed++];
    }
    location->m_tree = this;
    return location;
}

void SDsLocationTree::Release(CDsLocation* location)
{
    for (CDsLocation* child : location->m_children) {
        if (child) Release(child);
    }
    if (location->m_flags & CDsLocation::kPending) NDsWalkWindow::RemovePending(location);
    location->ResetForReuse();
    m_free.push_back(location);
}

CDsLocation* SDsLocationTree::Root(int partId) const
{
    if (partId == m_scene->GetPeerPartId()) return m_main;
    if (partId == m_scene->GetTempPartId()) return m_temp;
    return nullptr;
}

CDsLocation* SDsLocationTree::Find(const CVyrObjectPath& path) const
{
    CDsLocation* location = Root(path.GetPartId());
    for (int i = 0; location && i < path.GetSize(); ++i) {
        const int id = path.GetId(i);
        CDsLocation* found = nullptr;
        for (CDsLocation* child : location->m_children) {
            if (child && child->m_id == id) {
                found = child;
                break;
            }
        }
        location = found;
    }
    return location;
}

// ---------------------------------------------------------------------------------------------
// CDsLocation

CDsLocation::~CDsLocation() { delete[] m_cache; }

void CDsLocation::ResetForReuse()
{
    std::vector<CDsLocation*>().swap(m_children);
    delete[] m_cache;
    m_cache = nullptr;
    m_cacheSize = 0;
    m_cacheCapacity = 0;
    m_parent = nullptr;
    m_variant = nullptr;
    m_id = 0;
    m_stamp = 0;
    m_flags = 0;
    m_tempSerial = 0;
    m_cachedGeneration = 0;
    m_boxGeneration = 0;
    m_state = 0;
    m_prevState = 0;
    m_transformId = 0;
    m_cachedStateWord = 0;
    m_cachedAttributes = CDsAttributes();
    const float emptyBox[6] = {1, 0, 0, 0, 0, 0};
    std::memcpy(m_box, emptyBox, sizeof m_box);
    m_box2d[0] = 1;
    m_box2d[1] = 0;
    m_box2d[2] = 0;
    m_box2d[3] = 1;
}

void CDsLocation::SetState(unsigned char state)
{
    if (state == m_state) return;
    if (!NDsWalkWindow::IsOpen()) {
        m_state = state;
        m_flags &= ~kTempState;
        CommitStateChange();
        return;
    }
    const unsigned serial = NDsWalkWindow::Serial();
    if ((m_flags & kTempState) && m_tempSerial == serial) {
        m_state = state;
        if (state == m_prevState) m_flags &= ~kTempState;  // undone by the same walk: temporary
        return;
    }
    m_prevState = m_state;
    m_state = state;
    m_flags |= kTempState;
    m_tempSerial = serial;
    if (!(m_flags & kPending)) {
        m_flags |= kPending;
        NDsWalkWindow::AddPending(this);
    }
}

void CDsLocation::CommitPending(CDsLocation* location)
{
    location->m_flags &= ~kPending;
    if (location->m_flags & kTempState) {
        location->m_flags &= ~kTempState;
        location->CommitStateChange();
    }
}

void CDsLocation::CommitStateChange()
{
    m_flags &= ~kCachedData;
    m_tree->m_scene->m_impl->AttributesChanged();
}

void CDsLocation::InvalidateChildrenState()
{
    for (CDsLocation* child : m_children) {
        if (!child) continue;
        child->m_state = 0;
        child->m_flags &= ~(kTempState | kCachedData);
        child->InvalidateChildrenState();
    }
    m_tree->m_scene->m_impl->AttributesChanged();
}

bool CDsLocation::IsCachedDataValid() const
{
    return (m_flags & kCachedData) && m_cachedGeneration == m_tree->m_attributeGeneration;
}

void CDsLocation::GetCachedData(CDsAttributes& attributes, int& stateWord) const
{
    attributes = m_cachedAttributes;
    stateWord = m_cachedStateWord;
}

void CDsLocation::SetCachedData(const CDsAttributes& attributes, int stateWord)
{
    m_cachedAttributes = attributes;
    m_cachedStateWord = stateWord;
    m_cachedGeneration = m_tree->m_attributeGeneration;
    m_flags |= kCachedData;
}

void CDsLocation::PrepareCache(int count, bool keep)
{
    if (count <= 0) {
        InvalidateCache();
        return;
    }
    if (count > m_cacheCapacity) {
        // Room to grow, as region run lists are extended a few ints at a time.
        const int capacity = std::max(count, m_cacheCapacity * 2);
        int* block = new int[static_cast<size_t>(capacity)]();
        if (keep && m_cacheSize > 0) std::memcpy(block, m_cache, sizeof(int) * std::min(m_cacheSize, count));
        delete[] m_cache;
        m_cache = block;
        m_cacheCapacity = capacity;
        if (!keep) m_cacheSize = 0;
    }
    const int from = keep ? std::min(m_cacheSize, count) : 0;
    std::fill(m_cache + from, m_cache + count, 0);
    m_cacheSize = count;
}

void CDsLocation::InvalidateCache() { m_cacheSize = 0; }

bool CDsLocation::IsBoxValid() const { return m_boxGeneration == m_tree->m_boxGeneration; }

bool CDsLocation::HasBoundBox() const { return (m_flags & kHasBox) && IsBoxValid(); }

bool CDsLocation::IsBoundBoxEmpty() const
{
    return !HasBoundBox() || m_box[0] > m_box[3] || m_box[1] > m_box[4] || m_box[2] > m_box[5];
}

bool CDsLocation::GetBoundBox(float& minX, float& minY, float& minZ, float& maxX, float& maxY, float& maxZ) const
{
    if (!HasBoundBox()) return false;
    minX = m_box[0];
    minY = m_box[1];
    minZ = m_box[2];
    maxX = m_box[3];
    maxY = m_box[4];
    maxZ = m_box[5];
    return true;
}

void CDsLocation::Set2dBoundBox(int left, int top, int right, int bottom)
{
    m_box2d[0] = left;
    m_box2d[1] = top;
    m_box2d[2] = right;
    m_box2d[3] = bottom;
    m_flags |= kHas2dBox;
}

bool CDsLocation::Get2dBoundBox(int& left, int& top, int& right, int& bottom) const
{
    if (!(m_flags & kHas2dBox)) return false;
    left = m_box2d[0];
    top = m_box2d[1];
    right = m_box2d[2];
    bottom = m_box2d[3];
    return true;
}

bool CDsLocation::Is2dBoundBoxEmpty() const
{
    return !(m_flags & kHas2dBox) || (m_box2d[0] > m_box2d[2] && m_box2d[3] > m_box2d[1]);
}

const CDsTransform* CDsLocation::GetTransform(const CDsScene* scene) const
{
    return m_transformId != 0 && scene ? scene->FindTransform(m_transformId) : nullptr;
}

void CDsLocation::ClipChildren(int count)
{
    if (count < 0) count = 0;
    if (static_cast<size_t>(count) < m_children.size()) FreeChildren(static_cast<size_t>(count));
}

void CDsLocation::FreeChildren(size_t from)
{
    for (size_t i = from; i < m_children.size(); ++i) {
        if (m_children[i]) m_tree->Release(m_children[i]);
    }
    m_children.resize(from);
    InvalidateBoxUp();
}

CDsLocation* CDsLocation::GetChild(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_children.size() ? m_children[index] : nullptr;
}

CVyrObjectPath CDsLocation::GetPath() const
{
    std::vector<int> ids;
    int depth = 0;
    bool counting = true;
    const CDsLocation* location = this;
    for (; location && !(location->m_flags & kRoot); location = location->m_parent) {
        ids.push_back(location->m_id);
        if (location->m_flags & kInstance) counting = false;
        if (counting) ++depth;
    }
    std::reverse(ids.begin(), ids.end());
    const int partId = location ? location->m_id : CVyrObjectPath::kNoPart;
    return CVyrObjectPath(ids.data(), static_cast<int>(ids.size()), depth, partId);
}

void CDsLocation::InvalidateBoxUp()
{
    m_boxGeneration = 0;
    const unsigned generation = m_tree->m_boxGeneration;
    for (CDsLocation* parent = m_parent; parent && parent->m_boxGeneration == generation; parent = parent->m_parent) {
        parent->m_boxGeneration = 0;
    }
}

void CDsLocation::ApplyPathFlags()
{
    static_assert(kOnTop == kDsPathOnTop && kOrgAttrs == kDsPathOrgAttrs && kForceHide == kDsPathHide &&
                      kForceShow == kDsPathShow,
                  "path flags are location flags");
    const auto& flags = m_tree->m_scene->m_impl->m_pathFlags;
    m_flags &= ~kPathFlags;
    m_transformId = 0;
    if (flags.empty()) return;
    const auto found = flags.find(GetPath());
    if (found != flags.end()) {
        m_flags |= found->second.m_flags & kPathFlags;
        m_transformId = found->second.m_transformId;
    }
}

void CDsLocation::Bind(int id, const CDsItemVariant* variant, unsigned stamp)
{
    m_id = id;
    m_variant = variant;
    m_stamp = stamp;
    if (!CDsRegion::IsLeafEntry(variant) && variant->AsPartInstance()) m_flags |= kInstance;
    ApplyPathFlags();
}

void CDsLocation::Rebind(const CDsItemVariant* variant, unsigned stamp)
{
    m_variant = variant;
    m_stamp = stamp;
    m_flags &= ~(kCachedData | kHas2dBox | kInstance);
    if (!CDsRegion::IsLeafEntry(variant) && variant->AsPartInstance()) m_flags |= kInstance;
    m_cacheSize = 0;
    InvalidateBoxUp();
}

CDsLocation* CDsLocation::SynchronizeChild(int index, int id, const CDsItemVariant* variant)
{
    if (index < 0) return nullptr;
    const size_t i = static_cast<size_t>(index);
    const unsigned stamp = StampOf(variant);
    if (i < m_children.size()) {
        CDsLocation* child = m_children[i];
        if (child && child->m_id == id && child->m_variant == variant && child->m_stamp == stamp) return child;
    }
    return SynchronizeSlow(i, id, variant, stamp);
}

CDsLocation* CDsLocation::SynchronizeSlow(size_t index, int id, const CDsItemVariant* variant, unsigned stamp)
{
    const size_t count = m_children.size();
    if (index < count) {
        CDsLocation* child = m_children[index];
        if (child && child->m_id == id) {
            // The same item, made again or changed in structure: keep the state, drop the caches.
            child->Rebind(variant, stamp);
            return child;
        }
        for (size_t j = index + 1; j < count; ++j) {
            CDsLocation* later = m_children[j];
            if (!later || later->m_id != id) continue;
            // The items of the locations in between went.
            for (size_t k = index; k < j; ++k) {
                if (m_children[k]) m_tree->Release(m_children[k]);
            }
            m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(index),
                             m_children.begin() + static_cast<std::ptrdiff_t>(j));
            if (later->m_variant != variant || later->m_stamp != stamp) later->Rebind(variant, stamp);
            InvalidateBoxUp();
            return later;
        }
    }
    CDsLocation* child = m_tree->Allocate();
    child->m_parent = this;
    if (index >= count) {
        m_children.resize(index + 1, nullptr);
        m_children[index] = child;
    } else if (!m_children[index]) {
        m_children[index] = child;
    } else {
        m_children.insert(m_children.begin() + static_cast<std::ptrdiff_t>(index), child);
    }
    child->Bind(id, variant, stamp);
    InvalidateBoxUp();
    return child;
}

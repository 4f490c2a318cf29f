#include "DsCglEntList.h"

#include "DsGlContext.h"
#include "DsItemBase.h"
#include "DsItemsMap.h"
#include "DsPickManager.h"
#include "DsView3dCdc.h"

#include "SpaEntity.h"
#include "SpaTopology.h"
#include "VyrAsExt.h"
#include "VyrAttrBase.h"
#include "VyrDiagTimeReport.h"
#include "VyrString.h"
#include "pick_manager.h"

#include <algorithm>

GLint (*gDsGlSelectRenderMode)(GLenum mode) = &glRenderMode;

SDsGlPickCache SDsGlPickCache::sCache;

namespace {

// The master entity of `entity`'s slave attribute, else `entity`.
ENTITY* MasterOf(ENTITY* entity)
{
    if (!entity) return nullptr;
    auto* slave = dynamic_cast<CVyrEntSlave*>(find_attrib(entity, CVyrAttrBase_TYPE, CVyrEntSlave_TYPE, -1, -1));
    ENTITY* master = slave ? slave->GetMaster() : nullptr;
    return master ? master : entity;
}

// The owner of `entity` (itself when it has none), or null.
ENTITY* OwnerOf(ENTITY* entity)
{
    if (!entity) return nullptr;
    ENTITY* owner = nullptr;
    if (!api_get_owner(entity, owner).ok()) return nullptr;
    return owner;
}

}  // namespace

CDsCglEntList::~CDsCglEntList() = default;

// === Sorted list ==================================================================================

CDsCglSortEntList::~CDsCglSortEntList()
{
    for (SDsCglEntNode* node = m_first; node;) {
        SDsCglEntNode* next = node->next;
        delete node;
        node = next;
    }
}

int CDsCglSortEntList::GetCount() const
{
    int count = 0;
    for (const SDsCglEntNode* node = m_first; node; node = node->next) ++count;
    return count;
}

void CDsCglSortEntList::Add(ENTITY* entity, ENTITY* owner, CDsItemBase* item, float depth)
{
    auto* node = new SDsCglEntNode;
    node->entity = entity;
    node->owner = owner;
    node->item = item;
    node->depth = depth;
    SDsCglEntNode* before = m_first;
    while (before && !(before->depth < depth)) before = before->next;
    if (!before) {
        node->previous = m_last;
        if (m_last) m_last->next = node;
        m_last = node;
        if (!m_first) m_first = node;
        return;
    }
    node->next = before;
    node->previous = before->previous;
    if (before->previous)
        before->previous->next = node;
    else
        m_first = node;
    before->previous = node;
}

int CDsCglSortEntList::ReplayToPickManager(pick_manager* manager)
{
    auto* ds = dynamic_cast<CDsPickManager*>(manager);
    if (!ds) return 0;
    auto* view = dynamic_cast<CDsView3dCdc*>(ds->get_view());
    CDsGlContext* context = view ? view->GetGlContext() : nullptr;
    const bool ownerLevels = ds->TestDisplayItem(0);
    int accepted = 0;
    for (const SDsCglEntNode* node = m_first; node; node = node->next) {
        int pushed = 0;
        if (ownerLevels) {
            ENTITY* owner = MasterOf(node->owner ? node->owner : OwnerOf(node->entity));
            if (node->item && ds->TestDisplayItem(node->item->GetItemType())) {
                ds->push_level(node->item, owner);
                ++pushed;
            }
        }
        if (node->item && node->item->GetItemType() == eDsItemsCopy) {
            if (context) {
                CDsItemsMap* map = context->GetItemsMap();
                CDsItemBase* found = nullptr;
                if (node->entity && map) {
                    ENTITY* real = CVyrAsExt::GetRealEntity(node->entity);
                    found = map->Find(real ? real : node->entity);
                }
                if (found && ds->TestDisplayItem(found->GetItemType())) {
                    ds->push_level(found, node->entity);
                    ++pushed;
                }
            } else if (ds->TestDisplayItem(node->item->GetItemType())) {
                ds->push_level(node->item, node->entity);
                ++pushed;
            }
        } else if (node->item && ds->TestDisplayItem(node->item->GetItemType())) {
            ds->push_level(node->item, node->entity);
            ++pushed;
        }
        if (ds->save_current_if_ok()) ++accepted;
        for (int i = 0; i < pushed; ++i) ds->pop_level();
    }
    return accepted;
}

// === By-body list =================================================================================

CDsCglByBoxEntList::~CDsCglByBoxEntList() = default;

void CDsCglByBoxEntList::Add(ENTITY* entity, ENTITY* owner, CDsItemBase*, float)
{
    if (!owner && entity && !is_BODY(entity)) {
        ENTITY* found = OwnerOf(entity);
        if (found != entity) owner = found;
    }
    for (SBucket& bucket : m_buckets)
        if (bucket.owner == owner) {
            bucket.entities.push_back(entity);
            return;
        }
    m_buckets.push_back(SBucket{owner, {entity}});
}

int CDsCglByBoxEntList::ReplayToPickManager(pick_manager* manager)
{
    if (!manager) return 0;
    int accepted = 0;
    for (const SBucket& bucket : m_buckets) {
        bool ownerPushed = false;
        if (manager->get_current_level() == 0) {
            if (!bucket.owner) continue;
            manager->push_level(nullptr, MasterOf(bucket.owner));
            ownerPushed = true;
        }
        for (ENTITY* entity : bucket.entities) {
            if (!entity || is_BODY(entity)) continue;
            manager->push_level(nullptr, entity);
            if (manager->save_current_if_ok()) ++accepted;
            manager->pop_level();
        }
        if (ownerPushed) manager->pop_level();
    }
    return accepted;
}

void CDsCglByBoxEntList::GetCopies()
{
    const CVyrDiagTimeReport timing(CVyrString(L"GetCopies"));
    for (SBucket& bucket : m_buckets) {
        if (!bucket.owner) continue;
        ENTITY_LIST faces, copies;
        for (ENTITY* entity : bucket.entities)
            if (entity) faces.add(entity);
        if (CVyrAsExt::GetCopyFaces(bucket.owner, faces, copies) > 0) {
            bucket.entities.clear();
            for (int i = 0; i < copies.count(); ++i) bucket.entities.push_back(copies[i]);
        }
    }
}

// === Cache ========================================================================================

SDsGlPickCache::~SDsGlPickCache()
{
    delete hits;
}

bool SDsGlPickCache::Matches(const pick_event& other) const
{
    return valid != 0 && hits && event.x() == other.x() && event.y() == other.y();
}

void SDsGlPickCache::Clear()
{
    delete hits;
    hits = nullptr;
    valid = 0;
    eventSet = 0;
}

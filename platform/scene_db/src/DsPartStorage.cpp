// CDsPartStorage: parts and items, the item information queries and the change journal.
#include "DsPartStorage.h"

#include "DsGeometry.h"
#include "DsLocation.h"
#include "DsSceneInternal.h"
#include "VyrObjectPath.h"

#include <algorithm>
#include <iterator>

unsigned char CDsPartStorage::sm_Type2Cat[256];

namespace {

// Figure and point geometry draw as category 2 from the start; every other type has category 0
// until set.
void SetTypeTableDefaults()
{
    CDsPartStorage::sm_Type2Cat[eVyrObjTypeFigure] = eVyrCatGeometry;
    CDsPartStorage::sm_Type2Cat[eVyrObjTypeParamPoint] = eVyrCatGeometry;
}

struct STypeTableDefaults {
    STypeTableDefaults() { SetTypeTableDefaults(); }
} s_typeTableDefaults;

// The default material: ambient, diffuse, specular, shininess, emission.
constexpr float kDefaultMaterial[5] = {0.2f, 0.8f, 0.3f, 20.0f, 0.0f};

// Deepest nesting of part instances the store follows.
constexpr int kMaxPartDepth = 100;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Journal

unsigned CDsPartStorage::SJournal::Add(EKind kind, const CDsScene* scene, const CVyrObjectId& id,
                                       const CVyrObjectPath* path, bool flag)
{
    SEntry entry;
    entry.m_serial = ++m_serial;
    entry.m_scene = scene;
    entry.m_kind = kind;
    entry.m_id = id;
    if (path) entry.m_path = *path;
    entry.m_flag = flag;
    m_entries.push_back(std::move(entry));
    while (m_entries.size() > kMaxEntries) {
        m_dropped = m_entries.front().m_serial;
        m_entries.pop_front();
    }
    return m_serial;
}

void CDsPartStorage::SJournal::ForgetScene(const CDsScene* scene)
{
    // A pointer no scene can have, so that a new scene at the same address sees nothing old.
    const CDsScene* nobody = reinterpret_cast<const CDsScene*>(this);
    for (SEntry& entry : m_entries) {
        if (entry.m_scene == scene) entry.m_scene = nobody;
    }
}

// ---------------------------------------------------------------------------------------------
// Store

CDsPartStorage* CDsPartStorage::instance()
{
    static CDsPartStorage* const storage = new CDsPartStorage();
    return storage;
}

CDsPartStorage::CDsPartStorage() : m_journal(new SJournal())
{
    std::copy(std::begin(kDefaultMaterial), std::end(kDefaultMaterial), m_material);
}

bool CDsPartStorage::ResetForTests()
{
    CDsPartStorage* store = instance();
    if (!store->m_scenes.empty() || NDsWalkWindow::IsOpen()) return false;
    store->m_parts.clear();
    store->m_journal.reset(new SJournal());
    std::copy(std::begin(kDefaultMaterial), std::end(kDefaultMaterial), store->m_material);
    store->m_itemsSerial = 1;
    std::fill(std::begin(sm_Type2Cat), std::end(sm_Type2Cat), 0);
    SetTypeTableDefaults();
    DsResetSpecialAttrs();
    DsResetItemStamps();
    NDsWalkWindow::Reset();
    return true;
}

VYR_REGISTER_TEST_RESET(CDsPartStorage::ResetForTests, [] { return CDsPartStorage::ResetForTests(); });

CDsPartStorage::~CDsPartStorage() = default;

CDsPart* CDsPartStorage::GetPart(int partId) const
{
    const auto found = m_parts.find(partId);
    return found == m_parts.end() ? nullptr : found->second.get();
}

CDsPart* CDsPartStorage::CreatePart(int partId)
{
    if (partId == CVyrObjectId::kNoPart || m_parts.count(partId)) return nullptr;
    CDsPart* part = new CDsPart(partId);
    m_parts.emplace(partId, std::unique_ptr<CDsPart>(part));
    NoteItemChange(CVyrObjectId(partId, 0), true, false);
    return part;
}

bool CDsPartStorage::RemovePart(int partId)
{
    const auto found = m_parts.find(partId);
    if (found == m_parts.end()) return false;
    m_parts.erase(found);
    NoteItemChange(CVyrObjectId(partId, 0), true, false);
    m_journal->Add(SJournal::eTotal, nullptr, CVyrObjectId(), nullptr, true);
    return true;
}

CDsItemVariant* CDsPartStorage::MakeItem(int id, unsigned char type, CDsGeometry* geometry,
                                         const CDsTransform* transform, const CDsAttributes* attributes) const
{
    const int category = sm_Type2Cat[type];
    CDsItemVariant* item;
    if (category == eVyrCatRegion)
        item = new CDsRegion(id, type, category);
    else if (category == eVyrCatComplex)
        item = new CDsComplex(id, type, category);
    else
        item = new CDsItemGroup(CDsItemVariant::eKindGroup, id, type, category);
    item->m_geometry = geometry;
    if (transform && !transform->IsIdentity()) item->m_transform.reset(new CDsTransform(*transform));
    if (attributes) {
        item->m_attributes = *attributes;
        item->m_hasAttributes = true;
    }
    return item;
}

CDsItemVariant* CDsPartStorage::FindVariant(const CVyrObjectId& id, CDsPart** part) const
{
    CDsPart* holder = GetPart(id.GetPartId());
    if (part) *part = holder;
    return holder && id.GetItemId() != 0 ? holder->FindItem(id.GetItemId()) : nullptr;
}

void CDsPartStorage::IndexTree(CDsPart* part, CDsItemVariant* item) { part->m_index[item->m_id] = item; }

void CDsPartStorage::UnindexTree(CDsPart* part, CDsItemVariant* item)
{
    part->m_index.erase(item->m_id);
    if (const CDsRegion* region = item->AsRegion()) {
        for (const auto& child : region->GetChildren()) {
            if (!CDsRegion::IsLeafEntry(child.second)) UnindexTree(part, child.second);
        }
        return;
    }
    if (CDsComplex* complex = item->AsComplex()) {
        for (const CDsComplex::TItemData& slave : complex->GetSlaves()) UnindexTree(part, slave.m_pItem);
    }
    for (const auto& child : item->AsGroup()->GetChildren()) UnindexTree(part, child.second);
}

bool CDsPartStorage::AddItem(const CVyrObjectId& id, unsigned char type, CDsGeometry* geometry,
                             const CDsTransform* transform, const CDsAttributes* attributes, CDsItemCallback*,
                             CDsRestoreData*, bool changed)
{
    CDsPart* part = GetPart(id.GetPartId());
    if (!part || id.GetItemId() == 0 || part->m_index.count(id.GetItemId())) return false;
    CDsItemVariant* item = MakeItem(id.GetItemId(), type, geometry, transform, attributes);
    part->m_items.emplace_back(id.GetItemId(), item);
    IndexTree(part, item);
    NoteItemChange(id, true, changed);
    return true;
}

bool CDsPartStorage::AddChildItem(const CVyrObjectId& parentId, int childId, unsigned char type,
                                  CDsGeometry* geometry, const CDsTransform* transform,
                                  const CDsAttributes* attributes, bool changed)
{
    CDsPart* part = nullptr;
    CDsItemVariant* parent = FindVariant(parentId, &part);
    if (!parent || childId == 0 || part->m_index.count(childId) || parent->AsPartInstance()) return false;
    CDsRegion* region = parent->AsRegion();
    if (region) {
        if (sm_Type2Cat[type] != eVyrCatRegion) return false;
        if (!region->m_children.empty() && !region->HasChildRegions()) return false;
    }
    CDsItemVariant* child = MakeItem(childId, type, geometry, transform, attributes);
    child->m_parent = parent;
    if (region)
        region->m_children.emplace_back(childId, child);
    else
        static_cast<CDsItemGroup*>(parent)->m_children.emplace_back(childId, child);
    if (CDsComplex* complex = parent->AsComplex()) complex->m_dependenciesValid = false;
    parent->m_stamp = DsNextItemStamp();
    IndexTree(part, child);
    NoteItemChange(CVyrObjectId(part->GetId(), childId), true, changed);
    return true;
}

bool CDsPartStorage::AddSlaveItem(const CVyrObjectId& complexId, int slaveId, unsigned char type,
                                  CDsGeometry* geometry, const CDsTransform* transform,
                                  const CDsAttributes* attributes, bool changed)
{
    CDsPart* part = nullptr;
    CDsItemVariant* parent = FindVariant(complexId, &part);
    CDsComplex* complex = parent ? parent->AsComplex() : nullptr;
    if (!complex || slaveId == 0 || part->m_index.count(slaveId)) return false;
    CDsItemVariant* slave = MakeItem(slaveId, type, geometry, transform, attributes);
    slave->m_parent = complex;
    CDsComplex::TItemData record;
    record.m_pItem = slave;
    complex->m_slaves.push_back(record);
    complex->m_slaveIds.push_back(slaveId);
    complex->m_dependenciesValid = false;
    complex->m_stamp = DsNextItemStamp();
    IndexTree(part, slave);
    NoteItemChange(CVyrObjectId(part->GetId(), slaveId), true, changed);
    return true;
}

bool CDsPartStorage::AddRegionLeaf(const CVyrObjectId& regionId, int leafId, unsigned char objectType, bool changed)
{
    CDsPart* part = nullptr;
    CDsItemVariant* parent = FindVariant(regionId, &part);
    CDsRegion* region = parent ? parent->AsRegion() : nullptr;
    if (!region || leafId == 0 || region->HasChildRegions() || part->m_index.count(leafId)) return false;
    region->m_children.emplace_back(leafId, CDsRegion::MakeLeafEntry(objectType));
    region->m_stamp = DsNextItemStamp();
    NoteItemChange(CVyrObjectId(part->GetId(), leafId), true, changed);
    return true;
}

bool CDsPartStorage::ReachesPart(int fromPartId, int targetPartId, int depth) const
{
    if (fromPartId == targetPartId || depth > kMaxPartDepth) return true;
    const CDsPart* part = GetPart(fromPartId);
    if (!part) return false;
    for (const auto& instance : part->GetPartInstances()) {
        if (ReachesPart(instance.second->GetPartId(), targetPartId, depth + 1)) return true;
    }
    return false;
}

bool CDsPartStorage::AddPartInstance(const CVyrObjectId& id, int instancedPartId, const CDsTransform* transform,
                                     const CDsAttributes* attributes, bool changed)
{
    CDsPart* part = GetPart(id.GetPartId());
    if (!part || id.GetItemId() == 0 || part->m_index.count(id.GetItemId())) return false;
    if (instancedPartId == CVyrObjectId::kNoPart || ReachesPart(instancedPartId, part->GetId(), 0)) return false;
    CDsPartInstance* instance = new CDsPartInstance(id.GetItemId(), instancedPartId);
    if (transform && !transform->IsIdentity()) instance->m_transform.reset(new CDsTransform(*transform));
    if (attributes) {
        instance->m_attributes = *attributes;
        instance->m_hasAttributes = true;
    }
    part->m_instances.emplace_back(id.GetItemId(), instance);
    IndexTree(part, instance);
    NoteItemChange(id, true, changed);
    return true;
}

bool CDsPartStorage::RemoveItem(const CVyrObjectId& id, CDsRestoreData*)
{
    CDsPart* part = nullptr;
    CDsItemVariant* item = FindVariant(id, &part);
    if (!item) return false;
    if (CDsItemVariant* parent = item->m_parent) {
        auto dropFrom = [item](TDsItemList& list) {
            list.erase(std::remove_if(list.begin(), list.end(), [item](const auto& e) { return e.second == item; }),
                       list.end());
        };
        if (CDsRegion* region = parent->AsRegion()) {
            dropFrom(region->m_children);
        } else {
            dropFrom(static_cast<CDsItemGroup*>(parent)->m_children);
            if (CDsComplex* complex = parent->AsComplex()) {
                for (size_t s = 0; s < complex->m_slaves.size(); ++s) {
                    if (complex->m_slaves[s].m_pItem != item) continue;
                    complex->m_slaves.erase(complex->m_slaves.begin() + static_cast<std::ptrdiff_t>(s));
                    complex->m_slaveIds.erase(complex->m_slaveIds.begin() + static_cast<std::ptrdiff_t>(s));
                    break;
                }
                complex->m_dependenciesValid = false;
            }
        }
        parent->m_stamp = DsNextItemStamp();
    } else if (item->AsPartInstance()) {
        auto& list = part->m_instances;
        list.erase(std::remove_if(list.begin(), list.end(), [item](const auto& e) { return e.second == item; }),
                   list.end());
    } else {
        auto& list = part->m_items;
        list.erase(std::remove_if(list.begin(), list.end(), [item](const auto& e) { return e.second == item; }),
                   list.end());
    }
    UnindexTree(part, item);
    delete item;
    NoteItemChange(id, true, true);
    return true;
}

bool CDsPartStorage::UpdateAttributes(const CVyrObjectId& id, const CDsAttributes& attributes, CDsRestoreData*)
{
    CDsItemVariant* item = FindVariant(id, nullptr);
    if (!item) return false;
    const bool wasHidden = item->m_hasAttributes && item->m_attributes.IsHidden();
    if (!item->m_hasAttributes) item->m_attributes = CDsAttributes();
    item->m_attributes *= attributes;
    item->m_hasAttributes = true;
    NoteItemChange(id, wasHidden != item->m_attributes.IsHidden(), true);
    return true;
}

bool CDsPartStorage::UpdateTransform(const CVyrObjectId& id, const CDsTransform& transform, CDsRestoreData*)
{
    CDsItemVariant* item = FindVariant(id, nullptr);
    if (!item) return false;
    if (transform.IsIdentity())
        item->m_transform.reset();
    else
        item->m_transform.reset(new CDsTransform(transform));
    NoteItemChange(id, true, true);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Paths

namespace {

// The attributes a walk pushes for an item of `type` with own attributes `own` below `top`,
// as CDsTraverseFunctor::PushAttributes combines them.
CDsAttributes Combine(const CDsAttributes& top, const CDsAttrPalette* palette, int type, const CDsAttributes* own,
                      unsigned pathFlags, const CDsScene* scene)
{
    CDsAttributes result = top;
    const CDsAttributes* entry = palette && type >= 0 ? palette->Get(type) : nullptr;
    if (entry && !entry->IsEmpty()) result *= *entry;
    if (own) result *= *own;
    unsigned hide = result.GetHideLevel();
    if (top.GetHideLevel() > hide) hide = top.GetHideLevel();
    if (pathFlags & kDsPathHide) {
        if (hide < 2) hide = 2;
    } else if (pathFlags & kDsPathShow) {
        if (hide < CDsAttributes::kSpecialHideLevel) hide = 0;
    } else if (scene && type >= 0 && scene->IsHidden(type) && hide < 2) {
        hide = 2;
    }
    if (hide != result.GetHideLevel()) result.SetHideLevel(hide);
    return result;
}

}  // namespace

bool CDsPartStorage::Resolve(const CVyrObjectPath& path, const CDsScene* scene, bool accumulate, SItemInfo* info,
                             CVyrObjectId* id) const
{
    const CDsPart* part = GetPart(path.GetPartId());
    const int n = path.GetSize();
    if (!part || n == 0) return false;
    const bool usePathFlags = scene && !scene->m_impl->m_pathFlags.empty();
    CVyrObjectPath prefix(path.GetPartId());
    CDsTransform transform;
    CDsAttributes attributes;
    const CDsItemVariant* item = nullptr;
    const CDsPart* holder = part;
    int type = -1;
    bool leaf = false;

    // Applies one level: its transform and, when accumulating, its attributes.
    auto enter = [&](const CDsItemVariant* level, int levelType, const CDsAttrPalette* palette) {
        unsigned flags = 0;
        const CDsTransform* own = nullptr;
        if (usePathFlags) {
            const auto found = scene->m_impl->m_pathFlags.find(prefix);
            if (found != scene->m_impl->m_pathFlags.end()) {
                flags = found->second.m_flags;
                if (found->second.m_transformId) own = scene->FindTransform(found->second.m_transformId);
            }
        }
        if (!own && level && level->GetCategory() != eVyrCatLeaf && level->GetCategory() != eVyrCatOpenLeaf)
            own = level->GetTransform();
        if (own) transform = transform * *own;
        if (accumulate)
            attributes = Combine(attributes, palette, levelType, level ? level->GetAttributes() : nullptr, flags, scene);
    };

    int i = 0;
    // Part instances first.
    while (i < n) {
        const CDsItemVariant* level = part ? part->FindItem(path.GetId(i)) : nullptr;
        if (!level || !level->AsPartInstance()) break;
        prefix.AddId(path.GetId(i));
        enter(level, level->GetType(), part->GetPalette());
        holder = part;
        item = level;
        type = level->GetType();
        part = GetPart(level->AsPartInstance()->GetPartId());
        ++i;
    }
    if (i < n) {
        if (!part) return false;
        // Then the items of the last part reached, each a child of the one before.
        holder = part;
        for (; i < n; ++i) {
            const int levelId = path.GetId(i);
            prefix.AddId(levelId);
            const CDsItemVariant* level = nullptr;
            if (item && !item->AsPartInstance() && item->AsRegion()) {
                const CDsRegion* region = item->AsRegion();
                const CDsItemVariant* value = nullptr;
                bool found = false;
                for (const auto& child : region->GetChildren()) {
                    if (child.first == levelId) {
                        value = child.second;
                        found = true;
                        break;
                    }
                }
                if (!found) return false;
                if (CDsRegion::IsLeafEntry(value)) {
                    if (i + 1 != n) return false;  // a leaf entry has nothing below it
                    leaf = true;
                    type = CDsRegion::GetLeafType(value);
                    enter(nullptr, type, part->GetPalette());
                    continue;
                }
                level = value;
            } else {
                level = part->FindItem(levelId);
                const CDsItemVariant* expectedParent = item && !item->AsPartInstance() ? item : nullptr;
                if (!level || level->AsPartInstance() || level->GetParent() != expectedParent) return false;
            }
            enter(level, level->GetType(), part->GetPalette());
            item = level;
            type = level->GetType();
        }
    }
    if (info) {
        info->m_pGeometry = item ? item->GetGeometry() : nullptr;
        info->m_transform = transform;
        if (accumulate) {
            info->m_attributes = attributes;
        } else {
            const CDsAttributes* own = !leaf && item ? item->GetAttributes() : nullptr;
            info->m_attributes = own ? *own : CDsAttributes();
        }
        info->m_bVisible = !info->m_attributes.IsHidden();
        info->m_objectType = static_cast<char>(type);
    }
    if (id) *id = CVyrObjectId(holder->GetId(), path.GetLastId());
    return true;
}

bool CDsPartStorage::GetItemInfo(const CVyrObjectPath& path, const CDsScene* scene, SItemInfo& info) const
{
    SItemInfo result;
    if (!Resolve(path, scene, false, &result, nullptr)) return false;
    info = result;
    return true;
}

bool CDsPartStorage::GetPathInfo(const CVyrObjectPath& path, const CDsScene* scene, SItemInfo& info) const
{
    SItemInfo result;
    if (!Resolve(path, scene, true, &result, nullptr)) return false;
    info = result;
    return true;
}

CVyrObjectId CDsPartStorage::GetObjectIdByPath(const CVyrObjectPath& path) const
{
    CVyrObjectId id;
    return Resolve(path, nullptr, false, nullptr, &id) ? id : CVyrObjectId();
}

bool CDsPartStorage::GetObjectIdByPath(const CVyrObjectPath& path, CVyrObjectId& id) const
{
    CVyrObjectId result;
    if (!Resolve(path, nullptr, false, nullptr, &result)) return false;
    id = result;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Changes, scenes, material

void CDsPartStorage::NoteItemChange(const CVyrObjectId& id, bool flagged, bool report)
{
    if (++m_itemsSerial == 0) ++m_itemsSerial;
    for (CDsScene* scene : m_scenes) {
        scene->m_impl->AttributesChanged();
        scene->InvalidateBoundBox();
    }
    if (report) m_journal->Add(SJournal::eItem, nullptr, id, nullptr, flagged);
}

void CDsPartStorage::NoteAttributesChange()
{
    if (++m_itemsSerial == 0) ++m_itemsSerial;
    for (CDsScene* scene : m_scenes) scene->m_impl->AttributesChanged();
    m_journal->Add(SJournal::eTotal, nullptr, CVyrObjectId(), nullptr, true);
}

void CDsPartStorage::RegisterScene(CDsScene* scene) { m_scenes.push_back(scene); }

void CDsPartStorage::UnregisterScene(CDsScene* scene)
{
    m_scenes.erase(std::remove(m_scenes.begin(), m_scenes.end(), scene), m_scenes.end());
    m_journal->ForgetScene(scene);
}

void CDsPartStorage::SetDefaultMaterial(float ambient, float diffuse, float specular, float shininess, float emission)
{
    const float material[5] = {ambient, diffuse, specular, shininess, emission};
    // The same material again changes no picture.
    if (std::equal(std::begin(material), std::end(material), m_material)) return;
    std::copy(std::begin(material), std::end(material), m_material);
    m_journal->Add(SJournal::eTotal, nullptr, CVyrObjectId(), nullptr, true);
}

void CDsPartStorage::SetDefaultMaterialForDrawing(float ambient, float diffuse, float specular, float shininess,
                                                  float emission)
{
    const float material[5] = {ambient, diffuse, specular, shininess, emission};
    std::copy(std::begin(material), std::end(material), m_material);
}

void CDsPartStorage::GetDefaultMaterial(float& ambient, float& diffuse, float& specular, float& shininess,
                                        float& emission) const
{
    ambient = m_material[0];
    diffuse = m_material[1];
    specular = m_material[2];
    shininess = m_material[3];
    emission = m_material[4];
}

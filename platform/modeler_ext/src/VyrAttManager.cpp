// The attribute manager: persistent ids, assembly nodes, visibility levels, display curves.
#include "VyrAttManager.h"

#include <climits>
#include <unordered_map>

// ---------------------------------------------------------------------------------------------
// Attributes kept by the manager

// An entity's persistent id; registered with the manager while it lives.
class CVyrPidAtt : public CVyrAttrBase {
    SPA_ENTITY_TYPE(CVyrPidAtt, CVyrAttrBase, CVyrPidAtt_TYPE, "vyr_pid_attrib")

public:
    CVyrPidAtt(ENTITY* owner, int pid);

    int GetAttType() const override { return eVyrAttPid; }
    int GetPid() const { return m_pid; }

    static CVyrPidAtt* Find(const ENTITY* entity)
    {
        return static_cast<CVyrPidAtt*>(find_attrib(entity, CVyrAttrBase_TYPE, CVyrPidAtt_TYPE));
    }

protected:
    ~CVyrPidAtt() override;

private:
    int m_pid;
};

namespace {

// A visibility level.
class CVyrVisibilityAtt : public CVyrAttrBase {
    SPA_ENTITY_TYPE(CVyrVisibilityAtt, CVyrAttrBase, CVyrVisibilityAtt_TYPE, "vyr_visibility_attrib")

public:
    CVyrVisibilityAtt(ENTITY* owner, int level) : CVyrAttrBase(owner), m_level(level) {}

    int GetAttType() const override { return eVyrAttVisibility; }

    int m_level;

protected:
    ~CVyrVisibilityAtt() override = default;
};

CVyrVisibilityAtt* find_visibility(const ENTITY* entity)
{
    return static_cast<CVyrVisibilityAtt*>(find_attrib(entity, CVyrAttrBase_TYPE, CVyrVisibilityAtt_TYPE));
}

}  // namespace

struct CVyrAttManager::Data {
    // Live holders of each id.
    std::unordered_map<int, CVyrPidAtt*> holders;
    // The next fresh id.
    int next = 1;
};

CVyrPidAtt::CVyrPidAtt(ENTITY* owner, int pid) : CVyrAttrBase(owner), m_pid(pid)
{
    CVyrAttManager::GetVyrAttManager()->m_data->holders[pid] = this;
}

CVyrPidAtt::~CVyrPidAtt()
{
    auto& holders = CVyrAttManager::GetVyrAttManager()->m_data->holders;
    auto it = holders.find(m_pid);
    if (it != holders.end() && it->second == this) holders.erase(it);
}

// ---------------------------------------------------------------------------------------------
// CVyrAsNode

CVyrAsNode::CVyrAsNode(ENTITY* entity, int componentId, int generation)
    : CVyrAttrBase(entity), m_componentId(componentId), m_generation(generation)
{
}

CVyrAsNode::~CVyrAsNode() = default;

// ---------------------------------------------------------------------------------------------
// CVyrAttManager

CVyrAttManager::CVyrAttManager() : m_data(new Data) {}

CVyrAttManager::~CVyrAttManager()
{
    delete m_data;
}

CVyrAttManager* CVyrAttManager::GetVyrAttManager()
{
    // Never destroyed: entities freed during program exit still unregister their ids.
    static CVyrAttManager* const manager = new CVyrAttManager;
    return manager;
}

bool CVyrAttManager::GetPid(const ENTITY* entity, int& pid)
{
    pid = 0;
    if (entity == nullptr) return false;
    if (const CVyrPidAtt* att = CVyrPidAtt::Find(entity)) {
        pid = att->GetPid();
        return true;
    }
    if (m_data->next <= 0) return false;  // every positive id has been handed out
    const int fresh = m_data->next;
    m_data->next = fresh == INT_MAX ? 0 : fresh + 1;
    // The attribute chain is bookkeeping: giving a const entity its id does not change the model.
    new CVyrPidAtt(const_cast<ENTITY*>(entity), fresh);
    pid = fresh;
    return true;
}

bool CVyrAttManager::SetPid(ENTITY* entity, int pid)
{
    if (entity == nullptr || pid <= 0) return false;
    CVyrPidAtt* own = CVyrPidAtt::Find(entity);
    if (own != nullptr && own->GetPid() == pid) return true;
    auto it = m_data->holders.find(pid);
    if (it != m_data->holders.end()) it->second->lose();  // the other holder gives the id up
    if (own != nullptr) own->lose();
    new CVyrPidAtt(entity, pid);
    // Fresh ids stay above every id given out, so they never meet a chosen one.
    if (m_data->next > 0 && pid >= m_data->next) m_data->next = pid == INT_MAX ? 0 : pid + 1;
    return true;
}

ENTITY* CVyrAttManager::FindEntity(int pid) const
{
    auto it = m_data->holders.find(pid);
    return it != m_data->holders.end() ? it->second->entity() : nullptr;
}

CVyrAsNode* CVyrAttManager::GetAssNode(const ENTITY* entity) const
{
    return static_cast<CVyrAsNode*>(find_attrib(entity, CVyrAttrBase_TYPE, CVyrAsNode_TYPE));
}

CVyrAsNode* CVyrAttManager::SetAssNode(ENTITY* entity, int componentId, int generation)
{
    if (entity == nullptr) return nullptr;
    CVyrAsNode* node = GetAssNode(entity);
    if (node == nullptr) return new CVyrAsNode(entity, componentId, generation);
    node->SetComponentId(componentId);
    node->SetGenerationNumber(generation);
    return node;
}

bool CVyrAttManager::GetVisibility(const ENTITY* entity, int& level) const
{
    const CVyrVisibilityAtt* att = find_visibility(entity);
    if (att == nullptr) return false;
    level = att->m_level;
    return true;
}

bool CVyrAttManager::SetVisibility(ENTITY* entity, int level)
{
    if (entity == nullptr) return false;
    if (CVyrVisibilityAtt* att = find_visibility(entity))
        att->m_level = level;
    else
        new CVyrVisibilityAtt(entity, level);
    return true;
}

bool CVyrAttManager::ClearVisibility(ENTITY* entity)
{
    CVyrVisibilityAtt* att = find_visibility(entity);
    if (att == nullptr) return false;
    att->lose();
    return true;
}

CVyrAttrBase* CVyrAttManager::GetAttribute(const ENTITY* entity, int kind) const
{
    for (ATTRIB* a = find_attrib(entity, CVyrAttrBase_TYPE); a != nullptr;
         a = find_next_attrib(a, CVyrAttrBase_TYPE)) {
        CVyrAttrBase* att = static_cast<CVyrAttrBase*>(a);
        if (att->GetAttType() == kind) return att;
    }
    return nullptr;
}

CVyrDispCurveAtt* CVyrAttManager::SetDispCurves(ENTITY* face, int nu, int nv)
{
    if (face == nullptr) return nullptr;
    CVyrDispCurveAtt* att = static_cast<CVyrDispCurveAtt*>(find_attrib(face, CVyrAttrBase_TYPE, CVyrDispCurveAtt_TYPE));
    if (att == nullptr) return new CVyrDispCurveAtt(face, nu, nv);
    att->SetCounts(nu, nv);
    return att;
}

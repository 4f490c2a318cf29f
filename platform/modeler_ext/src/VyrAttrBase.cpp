// The extension's attribute base, the slave and display-curve attributes, and the watch
// attribute behind CVyrEntRef.
#include "VyrAttrBase.h"

#include <algorithm>
#include <vector>

#include "VyrEntRef.h"

// ---------------------------------------------------------------------------------------------
// Watch attribute: the references that point at its owner.

class CVyrWatchAtt : public CVyrAttrBase {
    SPA_ENTITY_TYPE(CVyrWatchAtt, CVyrAttrBase, CVyrWatchAtt_TYPE, "vyr_watch_attrib")

public:
    explicit CVyrWatchAtt(ENTITY* target) : CVyrAttrBase(target), m_target(target) {}

    int GetAttType() const override { return eVyrAttWatch; }

    static CVyrWatchAtt* Find(const ENTITY* target)
    {
        return static_cast<CVyrWatchAtt*>(find_attrib(target, CVyrAttrBase_TYPE, CVyrWatchAtt_TYPE));
    }

    void AddRef(CVyrEntRef* ref) { m_refs.push_back(ref); }

    void RemoveRef(CVyrEntRef* ref)
    {
        auto it = std::find(m_refs.begin(), m_refs.end(), ref);
        if (it != m_refs.end()) m_refs.erase(it);
    }

protected:
    // The owner is being freed (or the watch was removed): every reference lets go. The owner is
    // only compared here, never used: it may be half destroyed already.
    ~CVyrWatchAtt() override
    {
        for (CVyrEntRef* ref : m_refs)
            if (ref->m_target == m_target) ref->m_target = nullptr;
    }

private:
    ENTITY* m_target;
    std::vector<CVyrEntRef*> m_refs;
};

void CVyrEntRef::Set(ENTITY* target)
{
    if (target == m_target) return;
    if (m_target != nullptr) {
        if (CVyrWatchAtt* watch = CVyrWatchAtt::Find(m_target)) watch->RemoveRef(this);
    }
    m_target = target;
    if (target != nullptr) {
        CVyrWatchAtt* watch = CVyrWatchAtt::Find(target);
        if (watch == nullptr) watch = new CVyrWatchAtt(target);
        watch->AddRef(this);
    }
}

// ---------------------------------------------------------------------------------------------
// CVyrAttrBase

CVyrAttrBase::CVyrAttrBase(ENTITY* owner) : ATTRIB(owner) {}

CVyrAttrBase::~CVyrAttrBase() = default;

int is_CVyrAttrBase(const ENTITY* entity)
{
    return entity != nullptr && entity->identity(CVyrAttrBase::derivation_level) == CVyrAttrBase_TYPE ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// CVyrEntSlave

CVyrEntSlave::CVyrEntSlave(ENTITY* slave, ENTITY* master)
    : CVyrAttrBase(slave), m_master(std::make_unique<CVyrEntRef>())
{
    SetMaster(master);
}

CVyrEntSlave::~CVyrEntSlave() = default;

ENTITY* CVyrEntSlave::GetMaster() const
{
    return m_master->Get();
}

bool CVyrEntSlave::SetMaster(ENTITY* master)
{
    if (master != nullptr && master == entity()) return false;
    m_master->Set(master);
    return true;
}

int is_CVyrEntSlave(const ENTITY* entity)
{
    return entity != nullptr && entity->identity(CVyrEntSlave::derivation_level) == CVyrEntSlave_TYPE ? 1 : 0;
}

ENTITY* GetSlaveMaster(const ENTITY* entity)
{
    ATTRIB* a = find_attrib(entity, CVyrAttrBase_TYPE, CVyrEntSlave_TYPE);
    return a != nullptr ? static_cast<CVyrEntSlave*>(a)->GetMaster() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// CVyrDispCurveAtt

CVyrDispCurveAtt::CVyrDispCurveAtt(ENTITY* face, int nu, int nv) : CVyrAttrBase(face)
{
    SetCounts(nu, nv);
}

CVyrDispCurveAtt::~CVyrDispCurveAtt() = default;

void CVyrDispCurveAtt::SetCounts(int nu, int nv)
{
    m_nu = std::max(nu, 0);
    m_nv = std::max(nv, 0);
}

int is_CVyrDispCurveAtt(const ENTITY* entity)
{
    return entity != nullptr && entity->identity(CVyrDispCurveAtt::derivation_level) == CVyrDispCurveAtt_TYPE ? 1 : 0;
}

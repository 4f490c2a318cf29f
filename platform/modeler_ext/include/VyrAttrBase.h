// The extension's attribute classes: CVyrAttrBase (base of all of them, with a kind number the
// attribute manager looks attributes up by), the slave attribute (CVyrEntSlave) and the
// display-curve counts of a face (CVyrDispCurveAtt).
//
// Attributes are entities on their owner's attribute chain (see SpaEntity.h): made with new on
// an owner, freed with lose() or with the owner.
#pragma once

#include "VyrModelerExtApi.h"

#include <memory>

#include "VyrEntityTypes.h"

class CVyrEntRef;

// Kind numbers of the extension's attributes (CVyrAttrBase::GetAttType).
enum EVyrAttType {
    // Not one of the kinds below.
    eVyrAttOther = 0,
    // Persistent id.
    eVyrAttPid = 1,
    // Assembly node.
    eVyrAttAssNode = 2,
    // Visibility level of a hidden-line view's entity.
    eVyrAttVisibility = 3,
    // Slave of a master entity.
    eVyrAttSlave = 4,
    // Pickable and hatchable marks.
    eVyrAttDisplayMark = 5,
    // Copy record of a body copy.
    eVyrAttCopy = 6,
    // Lifetime watch (internal).
    eVyrAttWatch = 7,
    // Display-curve counts of a face.
    eVyrAttDispCurve = 33
};

// Base of the extension's attributes.
class VYR_MODELER_EXT_API CVyrAttrBase : public ATTRIB {
    SPA_ENTITY_TYPE(CVyrAttrBase, ATTRIB, CVyrAttrBase_TYPE, "vyr_attrib")

public:
    // The attribute's kind (EVyrAttType).
    virtual int GetAttType() const = 0;

protected:
    // An attribute appended to the chain of `owner`.
    explicit CVyrAttrBase(ENTITY* owner);
    ~CVyrAttrBase() override;
};

// Marks its owner (the slave) as belonging to a master entity: picking the slave may stand for
// picking the master. The master is referred to, not owned; once it is freed the attribute
// answers a null master.
class VYR_MODELER_EXT_API CVyrEntSlave : public CVyrAttrBase {
    SPA_ENTITY_TYPE(CVyrEntSlave, CVyrAttrBase, CVyrEntSlave_TYPE, "vyr_slave_attrib")

public:
    // A slave attribute on `slave` naming `master` (null: none yet).
    CVyrEntSlave(ENTITY* slave, ENTITY* master);

    // eVyrAttSlave.
    int GetAttType() const override { return eVyrAttSlave; }
    // The master entity, or null (none set, or freed since).
    ENTITY* GetMaster() const;
    // Names another master (null: none). A master equal to the slave itself is refused (false).
    bool SetMaster(ENTITY* master);

protected:
    ~CVyrEntSlave() override;

private:
    std::unique_ptr<CVyrEntRef> m_master;
};

// The display-curve counts of a face: how many u and v parameter lines the display draws on it.
class VYR_MODELER_EXT_API CVyrDispCurveAtt : public CVyrAttrBase {
    SPA_ENTITY_TYPE(CVyrDispCurveAtt, CVyrAttrBase, CVyrDispCurveAtt_TYPE, "vyr_disp_curve_attrib")

public:
    // Counts nu and nv on `face` (negative counts are taken as 0).
    CVyrDispCurveAtt(ENTITY* face, int nu, int nv);

    // eVyrAttDispCurve.
    int GetAttType() const override { return eVyrAttDispCurve; }
    // Number of u parameter lines.
    int GetNu() const { return m_nu; }
    // Number of v parameter lines.
    int GetNv() const { return m_nv; }
    // Sets both counts (negative counts are taken as 0).
    void SetCounts(int nu, int nv);

protected:
    ~CVyrDispCurveAtt() override;

private:
    int m_nu = 0;
    int m_nv = 0;
};

// 1 for an attribute of the extension (any CVyrAttrBase).
VYR_MODELER_EXT_API int is_CVyrAttrBase(const ENTITY* entity);
// 1 for a CVyrEntSlave.
VYR_MODELER_EXT_API int is_CVyrEntSlave(const ENTITY* entity);
// 1 for a CVyrDispCurveAtt.
VYR_MODELER_EXT_API int is_CVyrDispCurveAtt(const ENTITY* entity);
// The master of `entity`'s slave attribute, or null when it has none.
VYR_MODELER_EXT_API ENTITY* GetSlaveMaster(const ENTITY* entity);

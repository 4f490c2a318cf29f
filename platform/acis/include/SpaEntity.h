// Modeler entities: the ENTITY base with its type codes and attribute chain, attributes (with
// entity-valued named attributes) and ENTITY_LIST.
//
// Type scheme: every entity class has a type code (the *_TYPE constants) and a derivation level
// (ENTITY is level 0, a class derived directly from ENTITY level 1, and so on).
// identity(0) answers the code of the most derived class; identity(n) for n > 0 answers the code
// of the object's class at level n, or -1 when the object's class is not that deep.
//
// Lifetime: entities are made with new and freed with lose(), never with delete. An entity owned
// by another one (a FACE of a BODY, a body's TRANSFORM) is freed with its owner; lose() on it does
// nothing. Predicates answer int (1 or 0) so that they fit entity_test_filter.
#pragma once

#include "VyrAcisApi.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "SpaErrors.h"
#include "SpaValues.h"

class ATTRIB;
struct SpaOcctAccess;

// Type codes of the modeler's own entity classes.
constexpr int ENTITY_TYPE = 1;
// A BODY.
constexpr int BODY_TYPE = 2;
// A LUMP.
constexpr int LUMP_TYPE = 3;
// A SHELL.
constexpr int SHELL_TYPE = 4;
// A FACE.
constexpr int FACE_TYPE = 5;
// A LOOP.
constexpr int LOOP_TYPE = 6;
// A COEDGE.
constexpr int COEDGE_TYPE = 7;
// An EDGE.
constexpr int EDGE_TYPE = 8;
// A VERTEX.
constexpr int VERTEX_TYPE = 9;
// A WIRE.
constexpr int WIRE_TYPE = 10;
// A TRANSFORM.
constexpr int TRANSFORM_TYPE = 11;
// A SURFACE (geometry entity of a FACE).
constexpr int SURFACE_TYPE = 12;
// A CURVE (geometry entity of an EDGE).
constexpr int CURVE_TYPE = 13;
// An ATTRIB (level 1 of every attribute).
constexpr int ATTRIB_TYPE = 14;
// A named attribute (level 2).
constexpr int ATTRIB_GEN_NAME_TYPE = 15;
// A named attribute holding an entity (level 3).
constexpr int ATTRIB_GEN_ENTITY_TYPE = 16;
// Extension libraries number their own entity classes from here up.
constexpr int SPA_FIRST_EXTENSION_TYPE = 1000;

// Declares the type members of an entity class derived from `Base`, with type code `code` and
// type name `name`: the class's type_code and derivation_level, and its identity() and
// type_name(). Put it first in the class body; it leaves the access at public.
#define SPA_ENTITY_TYPE(Class, Base, code, name)                                                   \
public:                                                                                            \
    static constexpr int type_code = (code);                                                       \
    static constexpr int derivation_level = Base::derivation_level + 1;                            \
    int identity(int level = 0) const override                                                     \
    {                                                                                              \
        return level == 0 || level == derivation_level ? type_code : Base::identity(level);        \
    }                                                                                              \
    const char* type_name() const override { return name; }

// The base of every modeler object: type identity, owner, attribute chain, lose().
class VYR_ACIS_API ENTITY {
public:
    // ENTITY's own code and level.
    static constexpr int type_code = ENTITY_TYPE;
    // ENTITY is level 0.
    static constexpr int derivation_level = 0;

    // Entities are not copied.
    ENTITY(const ENTITY&) = delete;
    // Entities are not assigned.
    ENTITY& operator=(const ENTITY&) = delete;

    // Type code at derivation level `level` (0 = most derived; -1 when too deep or negative).
    virtual int identity(int level = 0) const;
    // Name of the most derived class ("face", "edge", ...).
    virtual const char* type_name() const;
    // The entity that owns this one, or null for a top-level entity.
    virtual ENTITY* owner() const { return nullptr; }
    // Frees the entity with everything it owns. Does nothing while another entity owns it.
    virtual void lose();

    // First attribute of the chain, or null.
    ATTRIB* attrib() const { return m_attrib; }

protected:
    // An entity without attributes.
    ENTITY() = default;
    // Frees the attribute chain.
    virtual ~ENTITY();
    // Deletes `entity` regardless of its owner (for owners freeing what they own).
    static void destroy(ENTITY* entity);

private:
    friend class ATTRIB;
    friend struct SpaOcctAccess;

    ATTRIB* m_attrib = nullptr;
};

// An attribute: an entity attached to an owner entity's attribute chain.
class VYR_ACIS_API ATTRIB : public ENTITY {
    SPA_ENTITY_TYPE(ATTRIB, ENTITY, ATTRIB_TYPE, "attrib")

public:
    // An attribute appended to the chain of `owner` (none when null; see attach()).
    explicit ATTRIB(ENTITY* owner = nullptr);

    // The entity whose chain holds this attribute, or null.
    ENTITY* entity() const { return m_owner; }
    // Same as entity().
    ENTITY* owner() const override { return m_owner; }
    // Next attribute of the chain, or null.
    ATTRIB* next() const { return m_next; }
    // Previous attribute of the chain, or null.
    ATTRIB* previous() const { return m_previous; }
    // Appends this attribute to the chain of `owner`, leaving any chain it was on; null detaches.
    void attach(ENTITY* owner);
    // Leaves the owner's chain and frees the attribute.
    void lose() override;

protected:
    // Leaves the owner's chain.
    ~ATTRIB() override;

private:
    ENTITY* m_owner = nullptr;
    ATTRIB* m_next = nullptr;
    ATTRIB* m_previous = nullptr;
};

// A named attribute (the base of named attributes of any value type).
class VYR_ACIS_API ATTRIB_GEN_NAME : public ATTRIB {
    SPA_ENTITY_TYPE(ATTRIB_GEN_NAME, ATTRIB, ATTRIB_GEN_NAME_TYPE, "named_attrib")

public:
    // The attribute's name (never null).
    const char* name() const { return m_name.c_str(); }

protected:
    // A named attribute on `owner` called `name` (null = "").
    ATTRIB_GEN_NAME(ENTITY* owner, const char* name);
    ~ATTRIB_GEN_NAME() override;

private:
    std::string m_name;
};

// A named attribute whose value is an entity. The value is referred to, not owned: the caller
// keeps it alive while the attribute may be read.
class VYR_ACIS_API ATTRIB_GEN_ENTITY : public ATTRIB_GEN_NAME {
    SPA_ENTITY_TYPE(ATTRIB_GEN_ENTITY, ATTRIB_GEN_NAME, ATTRIB_GEN_ENTITY_TYPE, "named_entity_attrib")

public:
    // An attribute on `owner` called `name` holding `value`.
    ATTRIB_GEN_ENTITY(ENTITY* owner, const char* name, ENTITY* value);

    // The entity held (may be null).
    ENTITY* value() const { return m_value; }
    // Replaces the entity held.
    void set_value(ENTITY* value) { m_value = value; }

protected:
    ~ATTRIB_GEN_ENTITY() override;

private:
    ENTITY* m_value;
};

// The first attribute of `owner` whose type codes at levels 2, 3, 4 and 5 are `type`, `subtype`,
// `subsubtype` and `subsubsubtype` (-1 matches any code); null when none or `owner` is null.
VYR_ACIS_API ATTRIB* find_attrib(const ENTITY* owner, int type, int subtype = -1, int subsubtype = -1,
                                 int subsubsubtype = -1);
// The next attribute after `previous` on the same chain that matches as in find_attrib.
VYR_ACIS_API ATTRIB* find_next_attrib(const ATTRIB* previous, int type, int subtype = -1,
                                      int subsubtype = -1, int subsubsubtype = -1);

// Finds the named attribute `name` of `owner`: `attr` is set to it, or to null when the entity
// has none of that name (still a success). Errors: NULL_ENTITY, BAD_ARGUMENT (null name).
VYR_ACIS_API outcome api_find_named_attribute(const ENTITY* owner, const char* name,
                                              ATTRIB_GEN_NAME*& attr);
// Sets the named attribute `name` of `owner` to the entity `value`, replacing an attribute of that
// name. Errors: NULL_ENTITY (null owner), BAD_ARGUMENT (null or empty name).
VYR_ACIS_API outcome api_add_generic_named_attribute(ENTITY* owner, const char* name, ENTITY* value);

// 1 when `entity` has no owner, 0 otherwise (and for null).
VYR_ACIS_API int is_toplevel(const ENTITY* entity);

// ---------------------------------------------------------------------------------------------

// An ordered list of entities that refers to them (never frees them).
class VYR_ACIS_API ENTITY_LIST {
public:
    // An empty list.
    ENTITY_LIST() = default;

    // Appends `entity` and answers its index. With `check` non-zero an entity already listed is
    // not added again (its existing index is answered). A null entity is not added (-1).
    int add(ENTITY* entity, int check = 1);
    // Appends every entity of `other` with the duplicate check.
    void add(const ENTITY_LIST& other);
    // Index of the first occurrence of `entity`, or -1.
    int lookup(const ENTITY* entity) const;
    // Number of entries.
    int count() const { return static_cast<int>(m_items.size()); }
    // Number of entries (the bound of an index loop).
    int iteration_count() const { return count(); }
    // Entry `index`, or null outside 0..count()-1.
    ENTITY* operator[](int index) const;
    // Restarts the init()/next() walk at the first entry.
    void init() { m_cursor = 0; }
    // The next entry of the walk, or null at the end.
    ENTITY* next();
    // Removes every entry (the entities are untouched).
    void clear();

private:
    std::vector<ENTITY*> m_items;
    std::unordered_map<const ENTITY*, int> m_index;
    int m_cursor = 0;
};

// Entity filters: reference-counted tests that accept or reject entities.
//
// A filter is made with new and starts with one reference, held by its creator. add() takes one
// more; lose() gives one back and deletes the filter when none is left. Calling lose() more often
// than references were taken is a caller error (the filter is already gone).
#pragma once

#include "VyrAcisApi.h"
#include "SpaErrors.h"

class ENTITY;

// The base filter: accepts every entity.
class VYR_ACIS_API entity_filter {
public:
    // A filter holding its creator's reference.
    entity_filter() = default;
    // Not copyable: shared by reference count.
    entity_filter(const entity_filter&) = delete;
    entity_filter& operator=(const entity_filter&) = delete;

    // Deletes the filter; use lose() instead for filters that others may hold.
    virtual ~entity_filter();
    // Non-zero when `entity` passes the filter. The base filter accepts everything, even null.
    virtual int test(ENTITY* entity) const;

    // Takes one more reference.
    void add();
    // Gives back one reference; deletes the filter when the last one goes.
    void lose();
    // Number of references held.
    int use_count() const { return m_useCount; }

private:
    int m_useCount = 1;
};

// The test function of an entity_test_filter: non-zero accepts. It takes a const entity so that
// the modeler's predicates (is_toplevel, is_BODY, ...) fit as they are.
typedef int (*entity_test_proc)(const ENTITY* entity);

// Accepts the entities for which a function answers non-zero.
class VYR_ACIS_API entity_test_filter : public entity_filter {
public:
    // A filter calling `test_fn`; a null function accepts every entity.
    explicit entity_test_filter(entity_test_proc test_fn);

    // Non-zero when the function accepts `entity`. A null entity is rejected without calling it.
    int test(ENTITY* entity) const override;

private:
    entity_test_proc m_test;
};

// Accepts the entities that both of two filters accept.
class VYR_ACIS_API entity_and_filter : public entity_filter {
public:
    // Takes a reference to each part (the caller keeps its own); a null part accepts everything.
    entity_and_filter(entity_filter* first, entity_filter* second);
    // Gives back the references to the parts.
    ~entity_and_filter() override;

    // Non-zero when both parts accept `entity` (the second is asked only if the first accepts).
    int test(ENTITY* entity) const override;

private:
    entity_filter* m_first;
    entity_filter* m_second;
};

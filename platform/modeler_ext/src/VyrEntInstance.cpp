// Instances: copy bodies with their copy records.
#include "VyrEntInstance.h"

#include <vector>

#include "SpaBuilders.h"
#include "SpaExtras.h"
#include "VyrCopyAtt.h"
#include "VyrEntRef.h"

struct CVyrEntInstance::Data {
    SPAtransf transform;
    // The copies, in the order of the real bodies (null once a copy has been freed elsewhere).
    std::vector<CVyrEntRef> copies;
};

CVyrEntInstance::CVyrEntInstance(const ENTITY_LIST& bodies, const SPAtransf& transform)
    : m_data(std::make_unique<Data>())
{
    m_data->transform = transform;
    for (int i = 0; i < bodies.count(); ++i)
        if (is_BODY(bodies[i])) AddCopy(static_cast<BODY*>(bodies[i]));
}

CVyrEntInstance::CVyrEntInstance(BODY* body, const SPAtransf& transform) : m_data(std::make_unique<Data>())
{
    m_data->transform = transform;
    if (body != nullptr) AddCopy(body);
}

CVyrEntInstance::~CVyrEntInstance()
{
    for (CVyrEntRef& ref : m_data->copies) {
        ENTITY* copy = ref.Get();
        ref.Set(nullptr);
        if (copy != nullptr) copy->lose();
    }
}

void CVyrEntInstance::AddCopy(BODY* real)
{
    if (GetCopy(real) != nullptr) return;
    BODY* copy = copy_body(real);
    if (copy == nullptr) return;
    SPAtransf placement = m_data->transform;
    if (real->transform() != nullptr) placement = real->transform()->transform() * m_data->transform;
    if (!placement.identity()) set_body_transform(copy, placement);
    new CVyrCopyAtt(copy, real, m_data->transform);
    m_data->copies.emplace_back(copy);
}

const SPAtransf& CVyrEntInstance::GetTransform() const
{
    return m_data->transform;
}

void CVyrEntInstance::GetEntities(ENTITY_LIST& list) const
{
    for (const CVyrEntRef& ref : m_data->copies)
        if (ref.Get() != nullptr) list.add(ref.Get());
}

int CVyrEntInstance::GetCount() const
{
    int n = 0;
    for (const CVyrEntRef& ref : m_data->copies)
        if (ref.Get() != nullptr) ++n;
    return n;
}

BODY* CVyrEntInstance::GetCopy(const BODY* real) const
{
    if (real == nullptr) return nullptr;
    for (const CVyrEntRef& ref : m_data->copies) {
        CVyrCopyAtt* record = CVyrCopyAtt::Of(ref.Get());
        if (record != nullptr && record->Real() == real) return record->Copy();
    }
    return nullptr;
}

BODY* CVyrEntInstance::GetReal(const BODY* copy) const
{
    if (copy == nullptr) return nullptr;
    for (const CVyrEntRef& ref : m_data->copies) {
        if (ref.Get() != copy) continue;
        CVyrCopyAtt* record = CVyrCopyAtt::Of(copy);
        return record != nullptr ? record->Real() : nullptr;
    }
    return nullptr;
}

int is_CVyrEntInstance(const ENTITY* entity)
{
    return entity != nullptr && entity->identity(CVyrEntInstance::derivation_level) == CVyrEntInstance_TYPE ? 1 : 0;
}

// CDsTraverseFunctor: the stacks and location synchronisation of every walk.
#include "DsTraverseFunctor.h"

#include "DsItems.h"
#include "DsLocation.h"
#include "DsScene.h"
#include "DsSceneInternal.h"

namespace {

const CDsAttributes kNoAttributes;
const CDsTransform kIdentity;

}  // namespace

CDsTraverseFunctor::CDsTraverseFunctor() { NDsWalkWindow::Enter(); }

CDsTraverseFunctor::~CDsTraverseFunctor() { NDsWalkWindow::Leave(); }

void CDsTraverseFunctor::PushLocationState(const CDsLocation* location)
{
    if (m_stateCount < kMaxDepth) m_states[m_stateCount] = location ? location->GetState() : 0;
    ++m_stateCount;
}

unsigned char CDsTraverseFunctor::GetTopLocationState() const
{
    if (m_stateCount <= 0) return 0;
    return m_states[(m_stateCount < kMaxDepth ? m_stateCount : kMaxDepth) - 1];
}

void CDsTraverseFunctor::PushAttributes(const CDsItemVariant* variant, const CDsLocation* location,
                                        const CDsScene* scene)
{
    const CDsAttributes& top = GetTopAttributes();
    CDsAttributes attributes = top;
    int type = -1;
    const CDsAttributes* own = nullptr;
    if (CDsRegion::IsLeafEntry(variant)) {
        if (variant) type = CDsRegion::GetLeafType(variant);
    } else {
        type = variant->GetType();
        own = variant->GetAttributes();
    }
    const CDsAttributes* entry = m_pPalette && type >= 0 ? m_pPalette->Get(type) : nullptr;
    if (entry && !entry->IsEmpty()) attributes *= *entry;
    if (own) attributes *= *own;
    // A location in a special state (marked, highlighted, dimmed, a visibility level...) is shown
    // with that state's special set laid over its own attributes: this is what turns a forced
    // highlight into the highlight colour for geometry that takes its colour from the walk.
    const unsigned char state = location ? location->GetState() : GetTopLocationState();
    if (state >= eAttribSetDim && state <= eAttribSetMonochrome) attributes *= CDsScene::GetSpecialAttrs(state);
    unsigned hide = attributes.GetHideLevel();
    if (top.GetHideLevel() > hide) hide = top.GetHideLevel();
    if (location && location->IsHidden()) {
        if (hide < 2) hide = 2;
    } else if (location && location->IsShown()) {
        if (hide < CDsAttributes::kSpecialHideLevel) hide = 0;
    } else if (scene && type >= 0 && scene->IsHidden(type) && hide < 2) {
        hide = 2;
    }
    if (hide != attributes.GetHideLevel()) attributes.SetHideLevel(hide);

    if (m_attributeCount < kMaxDepth) m_attributes[m_attributeCount] = attributes;
    ++m_attributeCount;
    if (m_stateCount < kMaxDepth) m_states[m_stateCount] = state;
    ++m_stateCount;
}

void CDsTraverseFunctor::PushAttributes(const CDsAttributes& attributes)
{
    const unsigned char state = GetTopLocationState();
    if (m_attributeCount < kMaxDepth) m_attributes[m_attributeCount] = attributes;
    ++m_attributeCount;
    if (m_stateCount < kMaxDepth) m_states[m_stateCount] = state;
    ++m_stateCount;
}

const CDsAttributes& CDsTraverseFunctor::GetTopAttributes() const
{
    if (m_attributeCount <= 0) return kNoAttributes;
    return m_attributes[(m_attributeCount < kMaxDepth ? m_attributeCount : kMaxDepth) - 1];
}

void CDsTraverseFunctor::PopAttributes()
{
    if (m_attributeCount > 0) --m_attributeCount;
    if (m_stateCount > 0) --m_stateCount;
}

void CDsTraverseFunctor::PushTransform(const CDsItemVariant* variant, const CDsLocation* location,
                                       const CDsScene* scene)
{
    const CDsTransform* own = location ? location->GetTransform(scene) : nullptr;
    if (!own && !CDsRegion::IsLeafEntry(variant) && variant->GetCategory() != eVyrCatLeaf &&
        variant->GetCategory() != eVyrCatOpenLeaf)
        own = variant->GetTransform();
    if (own) {
        PushTransform(*own);
        return;
    }
    // The top again: on an empty stack that is the identity, never whatever an earlier, popped
    // push left in the slot.
    if (m_transformCount < kMaxDepth) m_transforms[m_transformCount] = GetTopTransform();
    ++m_transformCount;
}

void CDsTraverseFunctor::PushTransform(const CDsTransform& transform)
{
    if (m_transformCount < kMaxDepth) {
        m_transforms[m_transformCount] = m_transformCount > 0 ? GetTopTransform() * transform : transform;
    }
    ++m_transformCount;
}

const CDsTransform& CDsTraverseFunctor::GetTopTransform() const
{
    if (m_transformCount <= 0) return kIdentity;
    return m_transforms[(m_transformCount < kMaxDepth ? m_transformCount : kMaxDepth) - 1];
}

void CDsTraverseFunctor::PopTransform()
{
    if (m_transformCount > 0) --m_transformCount;
}

CDsLocation* CDsTraverseFunctor::SynchronizeLocation(CDsLocation* parent, int index, int id,
                                                     const CDsItemVariant* variant)
{
    return parent ? parent->SynchronizeChild(index, id, variant) : nullptr;
}

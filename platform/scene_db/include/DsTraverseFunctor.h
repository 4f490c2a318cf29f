// CDsTraverseFunctor: the base of every walk functor over the scene database: the current
// palette, the stacks of location states, attributes and transforms, location synchronisation,
// and default hooks that a functor class hides with its own.
#pragma once

#include "DsAttributes.h"
#include "DsTransform.h"
#include "VyrObjectTypes.h"
#include "VyrSceneDbApi.h"

class CDsItemVariant;
class CDsItemGroup;
class CDsLocation;
class CDsObjectPath;
class CDsScene;

// The walk state. The stacks hold kMaxDepth entries each; pushes beyond that are counted (so that
// pops stay balanced) but not stored, and the top then stays the deepest stored entry. A walk's
// temporary location states (see CDsLocation) are those undone before the functor is destroyed.
class VYR_SCENE_DB_API CDsTraverseFunctor {
public:
    // Entries per stack.
    static constexpr int kMaxDepth = 100;

    // Empty stacks, no palette.
    CDsTraverseFunctor();
    // Makes lasting the location state changes the walk did not undo.
    ~CDsTraverseFunctor();
    // Not copyable.
    CDsTraverseFunctor(const CDsTraverseFunctor&) = delete;
    // Not copyable.
    CDsTraverseFunctor& operator=(const CDsTraverseFunctor&) = delete;

    // The palette of the part being walked (the walk sets it from CDsPart::GetPalette), or null.
    const CDsAttrPalette* m_pPalette = nullptr;

    // Pushes the location's state (0 for a null location) on the state stack.
    void PushLocationState(const CDsLocation* location);
    // The top of the state stack; 0 when it is empty.
    unsigned char GetTopLocationState() const;

    // Pushes the attributes that apply at the item: the top attributes, overridden by the
    // palette entry of the item's type, then by the item's own attributes, then, for a location
    // state from 2 to 12, by that state's special set (CDsScene::GetSpecialAttrs); hidden when the
    // top is hidden, the location is forced hidden, or (unless the location is forced shown) the
    // scene hides the type; a forced show clears any hiding but special hiding. Also pushes the
    // location's state (the top state without a location). `variant` may be a region's leaf entry.
    void PushAttributes(const CDsItemVariant* variant, const CDsLocation* location, const CDsScene* scene);
    // Pushes attributes as they are (and the top state again).
    void PushAttributes(const CDsAttributes& attributes);
    // The top attributes; empty ones when the stack is empty.
    const CDsAttributes& GetTopAttributes() const;
    // Pops the top attributes and the state pushed with them.
    void PopAttributes();

    // Pushes the top transform followed by the item's: the location's transform id in `scene`
    // when it has one, else the item's own transform (not for leaves of categories 0 and 1, which
    // only a transform id places). Without either the top is pushed again.
    void PushTransform(const CDsItemVariant* variant, const CDsLocation* location, const CDsScene* scene);
    // Pushes the top transform followed by `transform` (`transform` itself on an empty stack).
    void PushTransform(const CDsTransform& transform);
    // The top transform; the identity when the stack is empty.
    const CDsTransform& GetTopTransform() const;
    // Pops the top transform.
    void PopTransform();

    // The child location of `parent` at `index` in step with the item (`id`, `variant`); null
    // without a parent or for a negative index. `variant` may be a region's leaf entry.
    CDsLocation* SynchronizeLocation(CDsLocation* parent, int index, int id, const CDsItemVariant* variant);

    // Default hooks; a functor class declares its own of the same name to replace them.
    // After a node's location is synchronised and the path advanced: nothing.
    void OnPushLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*) {}
    // Whether to go into the node: true.
    bool VisitItem(CDsLocation*, const CDsObjectPath&, const CDsItemVariant*) { return true; }
    // After the node and its subtree: nothing.
    void OnPopLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*) {}
    // After a group's children: nothing.
    void OnCompleteGroup(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*) {}
    // Before a complex's masters: the slave mode (recount).
    ESlaveTraverseMode OnBeginMasters() { return eSlavesRecount; }
    // Before a complex's slaves: nothing.
    void OnBeginSlaves() {}
    // After a complex's slaves: nothing.
    void OnEndSlaves() {}
    // For a visited slave with a geometry: whether it was drawn (false).
    bool OnVisitSlave(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*) { return false; }
    // The thinning factor of child regions: 0 (every child).
    unsigned RegionsHideFactor() { return 0; }
    // After a region's children: nothing.
    void OnCompleteRegion(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant*) {}
    // At the end of a complex, in every slave mode: nothing.
    void OnEndComplex() {}
    // For each leaf entry of a region (its location, id and object type): whether to go on (true).
    bool OnRegionLeaf(CDsLocation*, const CDsObjectPath&, int, int) { return true; }
    // The functor whose stacks, palette and locations a walk keeps: this one (a functor that wraps
    // another answers the inner one).
    CDsTraverseFunctor& WalkState() { return *this; }

private:
    unsigned char m_states[kMaxDepth];
    int m_stateCount = 0;
    CDsAttributes m_attributes[kMaxDepth];
    int m_attributeCount = 0;
    CDsTransform m_transforms[kMaxDepth];
    int m_transformCount = 0;
};

// NHideShowServices: hiding and showing many objects of the scene database in one step.
//
// Visibility here is the hide level that the attribute interface of an object's document keeps
// (CDsAttrInterface::ApplyHideLevel): level 2 (blanked) hides, level 0 shows. HideShownShowHidden
// hides every object of one list of object paths that a walk below a root path reaches, then shows
// every object of a second list, and every document whose objects it touched is marked changed
// (CAttrNumberIncrementer: change kind 8, once per document, in ascending order).
//
// - The hide walk (CDsHideShownFunctor) passes regions and objects whose own attributes are
//   specially hidden by, without going below them. A listed object gets hide level 2; a listed part
//   instance (object type 23) with no object to show inside it is hidden together with every part
//   instance below it, reached through part instances only (CDsHideSubtreeFunctor, whose
//   applications mark their documents at once); with an object to show inside it, the walk goes on
//   below it and hides only the listed objects there.
// - The show pass gives each listed object hide level 0, and every item above it up to and
//   including the part instance that holds it; showing a part instance with `showSubtrees` also
//   shows the part instances inside it (CDsShowSubtreeFunctor). A path in both lists ends shown.
// - The scene's bound box is invalidated afterwards.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A null scene changes nothing (the lists still come back sorted): without the scene there is
//   no part to walk from and no bound box to invalidate.
// - A path to show that names no object (its ids lead nowhere) shows nothing, not even the items
//   above where it ends: the show step starts only from an object that exists.
// - Complexes hand every slave once to the walk's functor (a slave is an object of its own that a
//   list may name); regions are never gone into.
#pragma once

#include <afx.h>

#include "DsTraverseFunctor.h"
#include "VyrObjectPath.h"

#include <vector>

class CAttrNumberIncrementer;
class CDsLocation;
class CDsObjectPath;
class CDsScene;

// Hide and show of listed objects.
namespace NHideShowServices {

// Sorts both lists (CVyrObjectPath order); hides the objects of `pathsToHide` that the walk below
// `root` reaches, shows those of `pathsToShow` (with the part instances inside a shown part
// instance when `showSubtrees`), invalidates the scene's bound box and marks the touched documents.
AFX_EXT_API void HideShownShowHidden(std::vector<CVyrObjectPath>& pathsToHide,
                                     std::vector<CVyrObjectPath>& pathsToShow, CDsScene* scene,
                                     CVyrObjectPath& root, bool showSubtrees);

}  // namespace NHideShowServices

// The functor of the hide walk: hides the listed objects it reaches (see the header comment).
class CDsHideShownFunctor : public CDsTraverseFunctor {
public:
    // Over the sorted lists and the operation's incrementer, in `scene` (all kept by reference).
    CDsHideShownFunctor(const std::vector<CVyrObjectPath>& pathsToShow, const std::vector<CVyrObjectPath>& pathsToHide,
                        const CAttrNumberIncrementer& incrementer, CDsScene* scene);
    // Keeps the node the walk stepped into.
    void OnPushLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant* variant)
    {
        m_variant = variant;
    }
    // The node's visit: whether to go below it.
    bool VisitItem(CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*);
    // Every slave of a complex, once.
    ESlaveTraverseMode OnBeginMasters() { return eSlavesAll; }
    // A slave gets the visit of a node (it has nothing below it).
    bool OnVisitSlave(CDsScene*, CDsLocation*, const CDsObjectPath& path, const CDsItemVariant* variant);

private:
    bool Visit(const CDsObjectPath& path, const CDsItemVariant* variant);

    const std::vector<CVyrObjectPath>& m_show;
    const std::vector<CVyrObjectPath>& m_hide;
    const CAttrNumberIncrementer& m_incrementer;
    CDsScene* m_scene;
    const CDsItemVariant* m_variant = nullptr;
};

// The functor that hides the part instances of a hidden part instance's subtree.
class CDsHideSubtreeFunctor : public CDsTraverseFunctor {
public:
    // Keeps the node the walk stepped into.
    void OnPushLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant* variant)
    {
        m_variant = variant;
    }
    // A part instance gets hide level 2 (its document marked at once) and is gone into; any
    // other node is left as it is, and nothing below it is visited.
    bool VisitItem(CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*);
    // No slave is visited.
    ESlaveTraverseMode OnBeginMasters() { return eSlavesNone; }

private:
    const CDsItemVariant* m_variant = nullptr;
};

// The functor that shows the part instances of a shown part instance's subtree.
class CDsShowSubtreeFunctor : public CDsTraverseFunctor {
public:
    // Keeps the node the walk stepped into.
    void OnPushLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant* variant)
    {
        m_variant = variant;
    }
    // A part instance with attributes of its own that are not specially hidden gets hide level 0
    // (its document marked at once); every node is gone into.
    bool VisitItem(CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*);
    // No slave is visited.
    ESlaveTraverseMode OnBeginMasters() { return eSlavesNone; }

private:
    const CDsItemVariant* m_variant = nullptr;
};

// The show pass: the show step of one listed path (see the header comment).
class AFX_EXT_CLASS CDsShowHiddenFunctor {
public:
    // The show step over `scene` (not owned), recording documents in `incrementer`.
    CDsShowHiddenFunctor(CDsScene* scene, const CAttrNumberIncrementer& incrementer)
        : m_scene(scene), m_incrementer(incrementer)
    {
    }
    // Shows the object of `path` (hide level 0, `withSubtree` handed on) and, for a part
    // instance with `withSubtree`, the part instances inside it; for an item inside a part, the
    // items above it up to the part instance that holds it (without subtrees). Nothing for a path
    // without ids or one that names no object.
    void ShowPath(const CVyrObjectPath& path, bool withSubtree) const;

    // The switch the show pass reads: whether showing a part instance shows the part instances
    // inside it. HideShownShowHidden sets it; it keeps its last value afterwards.
    static bool sWithSubtree;

private:
    void Step(const CVyrObjectPath& path, bool withSubtree) const;

    CDsScene* m_scene;
    const CAttrNumberIncrementer& m_incrementer;
};

// NHideShowServices: hide and show of listed objects through walks of the scene database.
#include "HideShowServices.h"

#include "AttrNumberIncrementer.h"
#include "DsAttrInterface.h"
#include "DsWalkFromPath.h"

#include "DsHideLevel.h"
#include "DsItems.h"
#include "DsObjectPath.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "VyrObjectId.h"

#include <algorithm>

bool CDsShowHiddenFunctor::sWithSubtree = false;

namespace {

// The hide level the hide walk applies, made once and kept.
const CDsHideLevel& HiddenLevel()
{
    static const CDsHideLevel* level = new CDsHideLevel(eDsHideLevelBlank);
    return *level;
}

// The hide level of a shown object.
const CDsHideLevel& ShownLevel()
{
    static const CDsHideLevel* level = new CDsHideLevel(eDsHideLevelShown);
    return *level;
}

// Gives the object that `path` names the hide level, recording its document in `incrementer`.
void Apply(const CVyrObjectPath& path, const CDsHideLevel& level, bool second, const CAttrNumberIncrementer& incrementer)
{
    static const CDsAttrInterface attributes;
    attributes.ApplyHideLevel(CDsPartStorage::instance()->GetObjectIdByPath(path), level, true, second, incrementer);
}

// Whether the node's own attributes are specially hidden.
bool SpecialHidden(const CDsItemVariant* variant)
{
    const CDsAttributes* own = variant ? variant->GetAttributes() : nullptr;
    return own && own->IsSpecialHidden();
}

}  // namespace

// --- The hide walk -----------------------------------------------------------------------------------

CDsHideShownFunctor::CDsHideShownFunctor(const std::vector<CVyrObjectPath>& pathsToShow,
                                         const std::vector<CVyrObjectPath>& pathsToHide,
                                         const CAttrNumberIncrementer& incrementer, CDsScene* scene)
    : m_show(pathsToShow), m_hide(pathsToHide), m_incrementer(incrementer), m_scene(scene)
{
}

bool CDsHideShownFunctor::VisitItem(CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*)
{
    return Visit(path, m_variant);
}

bool CDsHideShownFunctor::OnVisitSlave(CDsScene*, CDsLocation*, const CDsObjectPath& path,
                                       const CDsItemVariant* variant)
{
    Visit(path, variant);
    return false;
}

bool CDsHideShownFunctor::Visit(const CDsObjectPath& path, const CDsItemVariant* variant)
{
    if (!variant || variant->GetCategory() == eVyrCatRegion) return false;
    if (SpecialHidden(variant)) return false;
    const CVyrObjectPath item = path.ToVyrObjectPath();
    if (!std::binary_search(m_hide.begin(), m_hide.end(), item)) return true;
    Apply(item, HiddenLevel(), true, m_incrementer);
    if (variant->GetType() != eVyrObjTypePartInstance) return true;
    // Objects to show inside the part instance: go on below and hide only what is listed there.
    const auto next = std::lower_bound(m_show.begin(), m_show.end(), item);
    if (next != m_show.end() && path.IsPrefixOf(*next)) return true;
    CDsHideSubtreeFunctor subtree;
    CDsWalkFromPath(CDsPartStorage::instance(), subtree, m_scene, item);
    return false;
}

bool CDsHideSubtreeFunctor::VisitItem(CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*)
{
    if (!m_variant || m_variant->GetType() != eVyrObjTypePartInstance) return false;
    const CAttrNumberIncrementer incrementer;
    Apply(path.ToVyrObjectPath(), HiddenLevel(), true, incrementer);
    return true;
}

// --- The show pass -----------------------------------------------------------------------------------

bool CDsShowSubtreeFunctor::VisitItem(CDsLocation*, const CDsObjectPath& path, const CDsItemVariant*)
{
    if (m_variant && m_variant->GetAttributes() && !SpecialHidden(m_variant) &&
        m_variant->GetType() == eVyrObjTypePartInstance) {
        const CAttrNumberIncrementer incrementer;
        Apply(path.ToVyrObjectPath(), ShownLevel(), true, incrementer);
    }
    return true;
}

void CDsShowHiddenFunctor::ShowPath(const CVyrObjectPath& path, bool withSubtree) const
{
    if (path.IsEmpty()) return;
    CVyrObjectId id;
    if (!CDsPartStorage::instance()->GetObjectIdByPath(path, id)) return;
    Step(path, withSubtree);
}

void CDsShowHiddenFunctor::Step(const CVyrObjectPath& path, bool withSubtree) const
{
    if (path.IsEmpty()) return;
    Apply(path, ShownLevel(), withSubtree, m_incrementer);
    if (path.GetDepth() == 0) {
        if (withSubtree) {
            CDsShowSubtreeFunctor subtree;
            CDsWalkFromPath(CDsPartStorage::instance(), subtree, m_scene, path);
        }
        return;
    }
    CVyrObjectPath parent(path);
    parent.GetIds().RemoveLast();
    parent.SetDepth(path.GetDepth() - 1);
    Step(parent, false);
}

// --- The operation -----------------------------------------------------------------------------------

void NHideShowServices::HideShownShowHidden(std::vector<CVyrObjectPath>& pathsToHide,
                                            std::vector<CVyrObjectPath>& pathsToShow, CDsScene* scene,
                                            CVyrObjectPath& root, bool showSubtrees)
{
    std::sort(pathsToHide.begin(), pathsToHide.end());
    std::sort(pathsToShow.begin(), pathsToShow.end());
    if (!scene) return;
    {
        const CAttrNumberIncrementer incrementer;
        CDsHideShownFunctor hide(pathsToShow, pathsToHide, incrementer, scene);
        CDsWalkFromPath(CDsPartStorage::instance(), hide, scene, root);
        CDsShowHiddenFunctor::sWithSubtree = showSubtrees;
        const CDsShowHiddenFunctor show(scene, incrementer);
        for (const CVyrObjectPath& path : pathsToShow) show.ShowPath(path, CDsShowHiddenFunctor::sWithSubtree);
        scene->InvalidateBoundBox();
    }
}

// CDsStateStorage: one display state of a rendering context's history: the camera (a picture)
// and which objects were shown and which were hidden, each named by its object path.
//
// Paths are appended as they come; the two lists are sorted (CVyrObjectPath order) when first
// read after an addition, so that readers can search them.
#pragma once

#include <afx.h>

#include "DsPictureStorage.h"
#include "VyrObjectPath.h"

#include <deque>

// One display state (see the header comment).
class AFX_EXT_CLASS CDsStateStorage {
public:
    // The default picture, no paths.
    CDsStateStorage();
    // Copies the picture, both lists and whether they are sorted.
    CDsStateStorage(const CDsStateStorage& other);
    // Copies the picture, both lists and whether they are sorted.
    CDsStateStorage& operator=(const CDsStateStorage& other);
    // Nothing to free beyond the members.
    virtual ~CDsStateStorage();

    // Appends an object shown in this state.
    void AddShownEntity(const CVyrObjectPath& path);
    // Appends an object hidden in this state.
    void AddHiddenEntity(const CVyrObjectPath& path);
    // The shown objects, sorted ascending.
    std::deque<CVyrObjectPath>& ShowContainer();
    // The hidden objects, sorted ascending.
    std::deque<CVyrObjectPath>& HideContainer();

    // Copies `picture` in as the camera of this state.
    void SavePicture(const CDsPictureStorage& picture);
    // Copies the camera of this state into `picture`.
    void GetPicture(CDsPictureStorage& picture) const;

private:
    // Sorts both lists unless they are sorted already.
    void SortContainers();

    CDsPictureStorage m_picture;
    std::deque<CVyrObjectPath> m_shown;
    std::deque<CVyrObjectPath> m_hidden;
    bool m_sorted = false;
};

// CDsPictureList: named pictures kept for the host (saved views, and the picture of the view as
// it was last left, under "_AutoSave_"), with a conversion to and from plain number lists for
// storing them in a document.
//
// The list owns its pictures: it deletes a picture when it is removed, replaced under its name, or
// when the list goes. One picture is never held twice, so copies of a list take copies of its
// pictures. Names are ordered by plain string comparison; new names are "Pic-" followed by a
// fresh UUID.
#pragma once

#include <afx.h>

#include <map>
#include <string>
#include <vector>

class CDsPictureStorage;
class view3d;

// Named pictures (see the header comment).
class AFX_EXT_CLASS CDsPictureList {
public:
    // The name under which SaveLastPicture keeps the view's picture.
    static const wchar_t* const kAutoSaveName;

    // An empty list.
    CDsPictureList();
    // A list holding copies of the other's pictures under the same names.
    CDsPictureList(const CDsPictureList& other);
    // Replaces every picture by copies of the other's pictures under the same names.
    CDsPictureList& operator=(const CDsPictureList& other);
    // Deletes every picture.
    virtual ~CDsPictureList();

    // Stores `picture` (the list takes it) under `name`; a picture held under that name before is
    // deleted. False, with nothing taken, for a null picture or one the list already holds under
    // another name (the caller keeps it then).
    bool Add(const std::wstring& name, CDsPictureStorage* picture);
    // Stores `picture` under a new name and answers the name; an empty name, with nothing taken,
    // for a null picture or one the list already holds.
    std::wstring Add(CDsPictureStorage* picture);
    // Deletes the picture of `name` and forgets the name; nothing when there is none.
    void Remove(const std::wstring& name);
    // True without pictures.
    bool IsEmpty() const;
    // Number of pictures.
    int GetPicturesCount() const;
    // The name of entry `index` in name order (an index of 0 or below gives the first); an empty
    // name when `index` is not below the count.
    std::wstring GetPictureName(int index) const;
    // The picture of `name` (still owned by the list), or null.
    CDsPictureStorage* GetPicture(const std::wstring& name) const;

    // Adds name -> the 15 numbers of its picture (direction, up, eye, target, scale, width,
    // height) for every picture; names already in `out` keep their numbers.
    void GetData(std::map<std::wstring, std::vector<double>>& out) const;
    // Stores a picture for every entry of `in`, made from its first 15 numbers, as Add(name, p)
    // does. An entry with fewer than 15 numbers, or whose numbers make no camera (see
    // CDsPictureStorage::SetData), is skipped and leaves any picture of that name as it was.
    // True when every entry was taken.
    bool SetData(const std::map<std::wstring, std::vector<double>>& in);

    // Keeps the camera of `view` under "_AutoSave_" (updating the picture there or storing a new
    // one). Nothing unless `view` is a display-core view.
    void SaveLastPicture(view3d* view);

private:
    // "Pic-" and a new UUID; empty when no UUID could be had.
    static std::wstring GenerateNewName();
    // True when `picture` is held under any name.
    bool Holds(const CDsPictureStorage* picture) const;
    // Deletes every picture and empties the map.
    void DeleteAll();
    // Copies of the other's pictures under the same names (this list is empty).
    void CopyFrom(const CDsPictureList& other);

    std::map<std::wstring, CDsPictureStorage*> m_pictures;
};

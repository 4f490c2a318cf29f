// CDsAttributesPalette: an indexed table of line attributes (a scene has one of 16 entries;
// toolpaths and other items keep an index into one, CDsAttributesIndex), shared by the holders
// that registered with it through a use count.
//
// Entry i starts with colour red = (i mod 3) x 127, green = ((i + 1) mod 3) x 127, blue =
// ((i + 2) mod 3) x 127 (of its own), style i mod 3, and width 2 x (i mod 3) where that is a valid
// width (entries with i mod 3 = 0 keep width 1).
//
// Choices where the behaviour was open or the plain rule would go wrong:
// - Indexing by palette index reads the index as unsigned, modulo the number of entries (so -1
//   with 16 entries is entry 15). A palette without entries has nothing to index: applying an
//   entry applies nothing (the enclosing attributes stay in force) and IsHidden answers false.
// - Sharing: a holder that keeps the palette registers with IncrementUse and releases it with
//   Loose; the release that takes the use count from 1 to 0 deletes the palette. A palette that
//   no holder registered (use count 0) belongs to whoever made it: Loose then changes nothing,
//   instead of deleting a palette its owner still holds.
// - Revision: every change of the entries (SetAttributes within range, SetDefaults, assignment)
//   gives the palette a new revision, drawn from one process-wide counter, as a new palette gets
//   one. A holder that keeps something that depends on the entries (a picture, a box) compares
//   the number instead of copying the entries: no two palettes and no two states of one palette
//   share a revision.
#pragma once

#include <afx.h>

#include "DsAttribute.h"

#include <cstdint>
#include <vector>

class CDsLineAttribStorage;
class view3d;

// An indexed table of line attributes.
class AFX_EXT_CLASS CDsAttributesPalette : public CDsAttribute {
public:
    // `count` entries (none for a count below 1) with their default attributes; use count 0.
    explicit CDsAttributesPalette(int count = 256);
    // Copies of the other's entries; use count 0.
    CDsAttributesPalette(const CDsAttributesPalette& other);
    // Replaces the entries by copies of the other's (a new revision) and takes the other's use
    // count.
    CDsAttributesPalette& operator=(const CDsAttributesPalette& other);
    // Deletes the entries.
    ~CDsAttributesPalette() override;

    // eDsAttributePalette (4).
    EDsAttributeType GetType() const override { return eDsAttributePalette; }
    // Does nothing.
    void SetData(unsigned int value, bool on) override;
    // Only compares the kinds: true for another attributes palette, which is left as it is.
    bool SetData(const CDsAttribute& other, bool on) override;
    // 0.
    unsigned int GetData() const override;
    // Only compares the kinds: true for another attributes palette, which is left as it is.
    bool GetData(CDsAttribute& other) const override;

    // Number of entries.
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    // Gives every entry its default attributes (a new revision).
    void SetDefaults();
    // Copies `attributes` into entry `index` (a new revision); false (nothing changed) outside
    // 0..count-1.
    bool SetAttributes(int index, const CDsLineAttribStorage& attributes);
    // Copies entry `index` into `attributes`; false (unchanged) outside 0..count-1.
    bool GetAttributes(int index, CDsLineAttribStorage& attributes) const;
    // True when `index` lies outside 0..count-1.
    bool IsOutOfRange(int index) const;
    // Applies entry `index` (read as unsigned, modulo the count) to the view and OpenGL
    // (CDsLineAttribStorage::SetAttributesToView); nothing without entries.
    void SetAttributesToView(view3d& view, int index);
    // Whether the hide level of entry `index` (read as unsigned, modulo the count) hides; false
    // without entries.
    bool IsHidden(int index) const;

    // Registers one more holder.
    void IncrementUse();
    // Releases one holder: the count goes down by one when above 0, and the palette is deleted
    // when that release was the last. Nothing when no holder is registered.
    void Loose();
    // Number of registered holders.
    int GetUseCount() const { return m_useCount; }
    // The revision of the entries: it changes with every change of them (see the header comment).
    uint64_t GetRevision() const { return m_revision; }

private:
    void CopyObject(const CDsAttributesPalette& other);
    void FreeEntries();
    CDsLineAttribStorage* Entry(int index) const;
    // Takes the next revision of the process.
    void Revise();

    int m_useCount = 0;
    uint64_t m_revision = 0;
    std::vector<CDsLineAttribStorage*> m_entries;
};

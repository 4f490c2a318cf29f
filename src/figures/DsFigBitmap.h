// The picture figures: CDsFigBitmap (a bitmap of the display manager's table at a model point) and
// CDsFigColoredBitmap (a texture image of the table drawn as an icon at a model point, with a
// highlight frame of the icon's size as its impersonal part that draws only while the figure's
// location is marked or highlighted). Both are shared by use count: IncrementUse for every holder,
// Loose as each lets go; the last Loose deletes the figure.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The frame's size is the size of the texture image of the index (the size the icon item takes),
//   read without a GL context; an index the table does not hold gives a frame of 0 x 0.
// - Not copyable: a copy would share its holders' count.
#pragma once

#include <afx.h>

#include "DsFigure.h"
#include "GmPosition.h"

class ENTITY;

// A bitmap of the display manager's table at a model point.
class AFX_EXT_CLASS CDsFigBitmap : public CDsFigure {
public:
    // At the origin, bitmap -1 (none); use count 1; pending until first used.
    CDsFigBitmap();
    // Bitmap `bitmapIndex` at `position` (`flag` is kept for the item); use count 1; defined at
    // once.
    CDsFigBitmap(const CGmPosition& position, int bitmapIndex, bool flag, bool activeTransformation);
    // Not copyable (see the header comment).
    CDsFigBitmap(const CDsFigBitmap&) = delete;
    // Not copyable.
    CDsFigBitmap& operator=(const CDsFigBitmap&) = delete;

    // DrawBitmap(position, index, centred, true). 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // Subtracts one from the use count; deletes the figure when it reaches 0.
    virtual void Loose();

    // Adds one to the use count.
    void IncrementUse() { ++m_useCount; }
    // The use count.
    int GetUseCount() const { return m_useCount; }
    // The position; redefines.
    void SetPosition(const CGmPosition& position);
    // Position and index (shows at the next definition).
    void SetBitmapData(const CGmPosition& position, int bitmapIndex);
    // The position.
    const CGmPosition& GetPosition() const { return m_position; }
    // The bitmap index.
    int GetBitmapIndex() const { return m_index; }
    // The host's entity the figure stands for (not owned; null).
    void SetRefEntity(ENTITY* entity) { m_entity = entity; }
    // The host's entity.
    ENTITY* GetRefEntity() const { return m_entity; }

protected:
    // The values stored; defined at once only when `define` (a derived figure defines itself once
    // it is whole).
    CDsFigBitmap(const CGmPosition& position, int bitmapIndex, bool flag, bool activeTransformation, bool define);

    ENTITY* m_entity = nullptr;
    CGmPosition m_position;
    int m_index = -1;
    bool m_flag = false;
    int m_useCount = 1;
};

// A texture image drawn as an icon at a model point, framed while marked or highlighted.
class AFX_EXT_CLASS CDsFigColoredBitmap : public CDsFigBitmap {
public:
    // As CDsFigBitmap().
    CDsFigColoredBitmap();
    // Texture image `bitmapIndex` at `position`; use count 1; defined at once.
    CDsFigColoredBitmap(const CGmPosition& position, int bitmapIndex, bool flag, bool activeTransformation);

    // DrawBitmapColored(position, index, centred, true). 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // A billboard frame of the image's size, centred on the position; true.
    bool DefineImpersonalPart(CDsFigureGenerator& generator) override;
    // True for attribute sets 3, 4 and 5 only (marked or highlighted).
    bool OnImpPartDraw(EAttribSetIndex set) const override;
};

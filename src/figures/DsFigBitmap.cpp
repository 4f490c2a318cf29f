#include "DsFigBitmap.h"

#include "DsFigureGenerator.h"
#include "DsManager.h"
#include "DsTextureData.h"

// === CDsFigBitmap ===============================================================================

CDsFigBitmap::CDsFigBitmap() : CDsFigure(true, true, false) {}

CDsFigBitmap::CDsFigBitmap(const CGmPosition& position, int bitmapIndex, bool flag, bool activeTransformation)
    : CDsFigBitmap(position, bitmapIndex, flag, activeTransformation, true)
{
}

CDsFigBitmap::CDsFigBitmap(const CGmPosition& position, int bitmapIndex, bool flag, bool activeTransformation,
                           bool define)
    : CDsFigure(activeTransformation, true, false), m_position(position), m_index(bitmapIndex), m_flag(flag)
{
    if (define) ReDefineFig();
}

int CDsFigBitmap::DefineFig(CDsFigureGenerator& generator)
{
    generator.DrawBitmap(m_position, m_index, eAlignCenter, true);
    return 1;
}

void CDsFigBitmap::Loose()
{
    if (--m_useCount == 0) delete this;
}

void CDsFigBitmap::SetPosition(const CGmPosition& position)
{
    m_position = position;
    ReDefineFig();
}

void CDsFigBitmap::SetBitmapData(const CGmPosition& position, int bitmapIndex)
{
    m_position = position;
    m_index = bitmapIndex;
}

// === CDsFigColoredBitmap ========================================================================

CDsFigColoredBitmap::CDsFigColoredBitmap() = default;

CDsFigColoredBitmap::CDsFigColoredBitmap(const CGmPosition& position, int bitmapIndex, bool flag,
                                         bool activeTransformation)
    : CDsFigBitmap(position, bitmapIndex, flag, activeTransformation, false)
{
    ReDefineFig();
}

int CDsFigColoredBitmap::DefineFig(CDsFigureGenerator& generator)
{
    generator.DrawBitmapColored(m_position, m_index, eAlignCenter, true);
    return 1;
}

bool CDsFigColoredBitmap::DefineImpersonalPart(CDsFigureGenerator& generator)
{
    int width = 0, height = 0;
    SDsTextureData image;
    if (CDsManager::GetInstance()->GetTextureData(m_index, image)) {
        width = image.width;
        height = image.height;
    }
    generator.DrawRectangle2D(m_position, width, height, eAlignCenter);
    return true;
}

bool CDsFigColoredBitmap::OnImpPartDraw(EAttribSetIndex set) const
{
    return set == eAttribSetMark || set == eAttribSetHighlight || set == eAttribSetHighlightMarked;
}

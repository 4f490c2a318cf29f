// CDsHatchPattern: one hatch stipple and its textures.
#include "DsHatchPattern.h"

#include "DsDriverGl.h"
#include "DsManager.h"
#include "DsTextureData.h"

#include <GL/gl.h>

#include <cstring>

namespace {

uint16_t RotateRight16(uint16_t value, int bits)
{
    bits &= 15;
    return bits ? static_cast<uint16_t>((value >> bits) | (value << (16 - bits))) : value;
}

uint16_t RotateLeft16(uint16_t value, int bits)
{
    bits &= 15;
    return bits ? static_cast<uint16_t>((value << bits) | (value >> (16 - bits))) : value;
}

uint8_t RotateRight8(uint8_t value, int bits)
{
    bits &= 7;
    return bits ? static_cast<uint8_t>((value >> bits) | (value << (8 - bits))) : value;
}

uint8_t RotateLeft8(uint8_t value, int bits)
{
    bits &= 7;
    return bits ? static_cast<uint8_t>((value << bits) | (value >> (8 - bits))) : value;
}

uint8_t ReverseBits(uint8_t value)
{
    uint8_t reversed = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (value & (1u << bit)) reversed = static_cast<uint8_t>(reversed | (0x80u >> bit));
    return reversed;
}

// The four stipples as words whose memory holds the rows' bytes in order.
struct SStippleTable {
    unsigned int words[CDsHatchPattern::kStippleCount][32];

    SStippleTable()
    {
        for (int r = 0; r < 32; ++r) {
            uint8_t row[4][4];
            const uint16_t p0 = RotateRight16(0xF000, r / 2), p1 = RotateLeft16(0x000F, r / 2);
            const uint8_t p2 = RotateRight8(0xF0, r / 2), p3 = RotateLeft8(0x0F, r / 2);
            for (int half = 0; half < 2; ++half) {
                row[0][2 * half] = static_cast<uint8_t>(p0 >> 8);
                row[0][2 * half + 1] = static_cast<uint8_t>(p0 & 0xFF);
                row[1][2 * half] = static_cast<uint8_t>(p1 >> 8);
                row[1][2 * half + 1] = static_cast<uint8_t>(p1 & 0xFF);
            }
            for (int b = 0; b < 4; ++b) {
                row[2][b] = p2;
                row[3][b] = p3;
            }
            for (int pattern = 0; pattern < CDsHatchPattern::kStippleCount; ++pattern)
                std::memcpy(&words[pattern][r], row[pattern], 4);
        }
    }
};

const SStippleTable& Stipples()
{
    static const SStippleTable table;
    return table;
}

}  // namespace

const unsigned int* CDsHatchPattern::StGetStipple(int index)
{
    if (index < 0 || index >= kStippleCount) return nullptr;
    return Stipples().words[index];
}

CDsHatchPattern::CDsHatchPattern(int index)
{
    SetHatch(StGetStipple(index));
}

void CDsHatchPattern::SetHatch(const unsigned int* stipple)
{
    unsigned char* const mask = m_masks + kMaskBytes;
    std::memcpy(mask, stipple ? stipple : StGetStipple(0), kMaskBytes);
    unsigned char textureMask[kMaskBytes], textureInverse[kMaskBytes];
    for (int j = 0; j < kMaskBytes; ++j) {
        m_masks[j] = static_cast<unsigned char>(~mask[j]);
        textureMask[j] = ReverseBits(mask[j]);
        textureInverse[j] = ReverseBits(m_masks[j]);
    }
    const SColor4ub background(255, 255, 255, 0), foreground(0, 0, 0, 255);
    CDsManager* manager = CDsManager::GetInstance();
    m_inverseTextureId = static_cast<uint32_t>(manager->AddTexture(textureInverse, 32, 32, background, foreground, true));
    m_maskTextureId = static_cast<uint32_t>(manager->AddTexture(textureMask, 32, 32, background, foreground, true));
}

void CDsHatchPattern::SetToView(view3d* view, const std::pair<std::vector<SPAposition>, unsigned>& polygon,
                                const SPAunit_vector& direction, const SPAunit_vector& normal, bool)
{
    if (!view) return;
    CDsDriverGl::DrawHatchedPolygon(*view, polygon, direction, normal, GetMaskTextureId());
}

void CDsHatchPattern::ResetToView(view3d*)
{
    glDisable(GL_POLYGON_STIPPLE);
}

// Logical fonts (creation, the stock fonts, selection, descriptions, deletion) and the faces
// that draw them: fontconfig finds the installed face nearest to a logical font, FreeType sizes
// it and renders its glyphs.
#include "GdiFontInternal.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwctype>
#include <map>
#include <memory>
#include <new>
#include <unordered_set>

namespace vyrwin {
namespace gdi {

// A face that fontconfig found: the FreeType face and what was asked of it.
struct FontFace {
    FT_Face face = nullptr;
    std::string family;     // UTF-8 family name of the face
    bool bold = false;      // the face itself is bold
    bool italic = false;    // the face itself is italic or oblique
    bool fixedPitch = false;
    double sizeSet = -1.0;  // the em size the FreeType face holds now
};

namespace {

// The process's FreeType library and faces; made on first use and kept for the process (the
// faces are shared by every font that resolves to them).
struct FontSystem {
    bool tried = false;
    bool ready = false;
    FT_Library library = nullptr;
    std::map<std::pair<std::string, int>, std::unique_ptr<FontFace>> faces;  // by file and index
    std::map<std::wstring, FontFace*> matches;                               // by request

    bool Start() {
        if (tried) return ready;
        tried = true;
        if (!FcInit()) {
            LogLine("fontconfig could not start: text cannot be drawn");
            return false;
        }
        if (FT_Init_FreeType(&library) != 0) {
            LogLine("FreeType could not start: text cannot be drawn");
            return false;
        }
        ready = true;
        return true;
    }
};

FontSystem& Fonts() {
    static FontSystem* system = new FontSystem();  // lives for the process: faces stay valid at exit
    return *system;
}

// The generic family that stands for an empty face name.
const char* GenericFamily(BYTE pitchAndFamily) {
    const int family = pitchAndFamily & 0xF0;
    if ((pitchAndFamily & 3) == FIXED_PITCH || family == FF_MODERN) return "monospace";
    if (family == FF_ROMAN) return "serif";
    return "sans-serif";
}

std::wstring FaceName(const LOGFONTW& font) {
    size_t length = 0;
    while (length < LF_FACESIZE && font.lfFaceName[length]) ++length;
    return std::wstring(font.lfFaceName, length);
}

// The face nearest to a logical font; null when none can be loaded.
FontFace* FindFace(const LOGFONTW& font) {
    FontSystem& system = Fonts();
    if (!system.Start()) return nullptr;
    const int weight = font.lfWeight <= 0 ? FW_NORMAL : std::min<LONG>(font.lfWeight, 1000);
    std::wstring name = FaceName(font);
    std::wstring key = name;
    for (wchar_t& c : key) c = wchar_t(std::towlower(wint_t(c)));
    key += L'|' + std::to_wstring(weight) + L'|' + std::to_wstring(font.lfItalic ? 1 : 0) + L'|' +
           std::to_wstring(font.lfPitchAndFamily);
    auto known = system.matches.find(key);
    if (known != system.matches.end()) return known->second;

    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    const std::string family = name.empty() ? GenericFamily(font.lfPitchAndFamily) : Utf8FromWide(name);
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, font.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    if (name.empty() && (font.lfPitchAndFamily & 3) == FIXED_PITCH) FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    FontFace* found = nullptr;
    if (match) {
        FcChar8* file = nullptr;
        int index = 0, matchWeight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN, spacing = FC_PROPORTIONAL;
        FcChar8* matchFamily = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            FcPatternGetInteger(match, FC_WEIGHT, 0, &matchWeight);
            FcPatternGetInteger(match, FC_SLANT, 0, &slant);
            FcPatternGetInteger(match, FC_SPACING, 0, &spacing);
            FcPatternGetString(match, FC_FAMILY, 0, &matchFamily);
            const auto fileKey = std::make_pair(std::string(reinterpret_cast<const char*>(file)), index);
            auto& slot = system.faces[fileKey];
            if (!slot) {
                FT_Face face = nullptr;
                if (FT_New_Face(system.library, fileKey.first.c_str(), index, &face) == 0) {
                    slot.reset(new FontFace());
                    slot->face = face;
                    slot->family = matchFamily ? reinterpret_cast<const char*>(matchFamily) : "";
                    slot->bold = matchWeight >= FC_WEIGHT_DEMIBOLD;
                    slot->italic = slant != FC_SLANT_ROMAN;
                    slot->fixedPitch = spacing == FC_MONO || FT_IS_FIXED_WIDTH(face);
                } else {
                    LogLine("FreeType cannot load the font file %s", fileKey.first.c_str());
                    system.faces.erase(fileKey);
                }
            }
            auto loaded = system.faces.find(fileKey);
            if (loaded != system.faces.end()) found = loaded->second.get();
        }
        FcPatternDestroy(match);
    }
    if (found) system.matches[key] = found;
    return found;
}

// Rounds to the nearest whole pixel.
int Round(double v) { return int(std::floor(v + 0.5)); }

std::unordered_set<HFONT>& LiveFonts() {
    static std::unordered_set<HFONT> fonts;
    return fonts;
}

HFONT__ StockFontOf(LONG height, LONG weight, BYTE pitchAndFamily, const wchar_t* face) {
    HFONT__ font;
    font.logFont.lfHeight = height;
    font.logFont.lfWeight = weight;
    font.logFont.lfCharSet = DEFAULT_CHARSET;
    font.logFont.lfPitchAndFamily = pitchAndFamily;
    std::wcsncpy(font.logFont.lfFaceName, face, LF_FACESIZE - 1);
    font.stock = true;
    return font;
}

HFONT__& SystemFont() {
    static HFONT__ font = StockFontOf(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, L"System");
    return font;
}

HFONT__& GuiFont() {
    static HFONT__ font = StockFontOf(-11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, L"MS Shell Dlg");
    return font;
}

}  // namespace

// --- Sized fonts ---------------------------------------------------------------------------------

bool SizedFont::Load(HDC dc) {
    const LOGFONTW& logical = DcFont(dc)->logFont;
    m_logical = logical;
    m_face = FindFace(logical);
    if (!m_face) return false;
    const DeviceMap map = MapOf(dc);
    m_scaleX = std::fabs(map.sx);
    m_scaleY = std::fabs(map.sy);
    m_angle = double(logical.lfEscapement) / 10.0 * M_PI / 180.0;
    m_mono = logical.lfQuality != ANTIALIASED_QUALITY && logical.lfQuality != CLEARTYPE_QUALITY &&
             logical.lfQuality != CLEARTYPE_NATURAL_QUALITY;
    m_makeBold = logical.lfWeight >= FW_SEMIBOLD && !m_face->bold;
    m_makeItalic = logical.lfItalic && !m_face->italic;

    FT_Face face = m_face->face;
    const double unitsPerEm = face->units_per_EM ? face->units_per_EM : 1000.0;
    double winAscent = face->ascender, winDescent = -face->descender;
    double lineGap = 0.0;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const TT_HoriHeader* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        winAscent = os2->usWinAscent;
        winDescent = os2->usWinDescent;
    }
    if (hhea) lineGap = std::max(0.0, double(hhea->Line_Gap) - ((winAscent + winDescent) - (hhea->Ascender - hhea->Descender)));
    const double cell = std::max(1.0, winAscent + winDescent);
    const double height = std::fabs(double(logical.lfHeight) * m_scaleY);
    if (logical.lfHeight < 0)
        m_em = height;
    else if (logical.lfHeight > 0)
        m_em = height * unitsPerEm / cell;
    else
        m_em = 16.0 * unitsPerEm / cell;
    m_em = std::clamp(m_em, 1.0, 4096.0);
    const double scale = m_em / unitsPerEm;
    m_ascent = Round(winAscent * scale);
    m_descent = Round(winDescent * scale);
    m_internalLeading = std::max(0, m_ascent + m_descent - Round(m_em));
    m_externalLeading = Round(lineGap * scale);
    m_maximumWidth = std::max(1, Round(face->max_advance_width * scale));
    m_underlineOffset = face->underline_position ? -face->underline_position * scale : m_descent / 2.0;
    m_underlineThickness = std::max(1.0, std::round(face->underline_thickness * scale));
    m_strikeOffset = os2 && os2->yStrikeoutPosition ? -os2->yStrikeoutPosition * scale : -m_ascent / 3.0;
    m_strikeThickness = std::max(1.0, std::round((os2 ? os2->yStrikeoutSize : 0) * scale));
    if (os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0)
        m_averageWidth = std::max(1, Round(os2->xAvgCharWidth * scale));
    else
        m_averageWidth = std::max(1, Advance(U'x'));
    return true;
}

void SizedFont::Size() {
    if (m_face->sizeSet == m_em) return;
    FT_Set_Char_Size(m_face->face, 0, FT_F26Dot6(std::lround(m_em * 64.0)), 72, 72);
    m_face->sizeSet = m_em;
}

bool SizedFont::Bold() const { return m_face && (m_face->bold || m_makeBold); }
bool SizedFont::Italic() const { return m_face && (m_face->italic || m_makeItalic); }
bool SizedFont::FixedPitch() const { return m_face && m_face->fixedPitch; }

char32_t SizedFont::FirstChar() const {
    const TT_OS2* os2 = m_face ? static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(m_face->face, FT_SFNT_OS2)) : nullptr;
    return os2 && os2->version != 0xFFFF ? os2->usFirstCharIndex : 0x20;
}

char32_t SizedFont::LastChar() const {
    const TT_OS2* os2 = m_face ? static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(m_face->face, FT_SFNT_OS2)) : nullptr;
    return os2 && os2->version != 0xFFFF ? os2->usLastCharIndex : 0xFFFF;
}

std::wstring SizedFont::Family() const { return m_face ? WideFromUtf8(m_face->family) : std::wstring(); }

int SizedFont::Advance(char32_t c) {
    if (!m_face) return 0;
    Size();
    FT_Face face = m_face->face;
    FT_Set_Transform(face, nullptr, nullptr);
    const FT_Int32 flags = FT_LOAD_DEFAULT | (m_mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Char(face, FT_ULong(c), flags) != 0) return 0;
    int advance = int((face->glyph->advance.x + 32) >> 6);
    if (m_makeBold) advance += std::max(1, Round(m_em / 24.0));
    return advance;
}

void SizedFont::AbcWidths(char32_t c, double& a, double& b, double& cWidth) {
    a = b = cWidth = 0.0;
    if (!m_face) return;
    const int advance = Advance(c);  // sizes the face and leaves the glyph loaded untransformed
    FT_Face face = m_face->face;
    const FT_Int32 flags = FT_LOAD_DEFAULT | (m_mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Char(face, FT_ULong(c), flags) == 0) {
        a = double(face->glyph->metrics.horiBearingX) / 64.0;
        b = double(face->glyph->metrics.width) / 64.0;
        if (m_makeBold && b > 0.0) b += std::max(1, Round(m_em / 24.0));
    }
    cWidth = double(advance) - a - b;
}

void SizedFont::DrawGlyph(char32_t c, double x, double y, uint32_t color, const DeviceBox& clip, PixelBlock& block) {
    if (!m_face) return;
    Size();
    FT_Face face = m_face->face;
    // FreeType counts y up: the baseline turns counter-clockwise by the angle, and a made-up
    // italic leans the glyph before it turns.
    const double cosA = std::cos(m_angle), sinA = std::sin(m_angle);
    const double shear = m_makeItalic ? 0.2 : 0.0;
    FT_Matrix matrix;
    matrix.xx = FT_Fixed(std::lround(cosA * 65536.0));
    matrix.xy = FT_Fixed(std::lround((shear * cosA - sinA) * 65536.0));
    matrix.yx = FT_Fixed(std::lround(sinA * 65536.0));
    matrix.yy = FT_Fixed(std::lround((shear * sinA + cosA) * 65536.0));
    const double baseX = std::floor(x), baseY = std::floor(y);
    FT_Vector delta;
    delta.x = FT_Pos(std::lround((x - baseX) * 64.0));
    delta.y = FT_Pos(-std::lround((y - baseY) * 64.0));
    FT_Set_Transform(face, &matrix, &delta);
    const FT_Int32 flags = FT_LOAD_DEFAULT | (m_mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    const FT_Error loaded = FT_Load_Char(face, FT_ULong(c), flags);
    FT_Set_Transform(face, nullptr, nullptr);
    if (loaded != 0) return;
    FT_GlyphSlot slot = face->glyph;
    if (m_makeBold && slot->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_Outline_Embolden(&slot->outline, FT_Pos(std::max(1, Round(m_em / 24.0)) * 64));
    if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
        FT_Render_Glyph(slot, m_mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
        return;
    const FT_Bitmap& bitmap = slot->bitmap;
    const DeviceBox area = clip.Intersect(block.Box());
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const int64_t py = int64_t(baseY) - slot->bitmap_top + int64_t(row);
        if (py < area.top || py >= area.bottom) continue;
        const unsigned char* bits = bitmap.buffer + int64_t(row) * bitmap.pitch;
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const int64_t px = int64_t(baseX) + slot->bitmap_left + int64_t(column);
            if (px < area.left || px >= area.right) continue;
            unsigned coverage;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                coverage = (bits[column >> 3] >> (7 - (column & 7)) & 1) ? 255 : 0;
            else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
                coverage = bitmap.num_grays > 1 ? bits[column] * 255u / unsigned(bitmap.num_grays - 1) : 0;
            else
                continue;
            if (coverage == 0) continue;
            if (!block.Blend(px, py, color, coverage)) return;
        }
    }
}

}  // namespace gdi

// --- Logical font objects -------------------------------------------------------------------------

bool IsLiveFont(HGDIOBJ object) {
    HFONT font = static_cast<HFONT>(object);
    return font && (font == &gdi::SystemFont() || font == &gdi::GuiFont() || gdi::LiveFonts().count(font) != 0);
}

BOOL DeleteFontObject(HFONT font) {
    if (!IsLiveFont(font)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (font->stock) return TRUE;
    if (font->selectedCount > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);  // still selected into a DC
        return FALSE;
    }
    gdi::LiveFonts().erase(font);
    delete font;
    return TRUE;
}

HFONT StockFont(int index) {
    if (index == SYSTEM_FONT) return &gdi::SystemFont();
    if (index == DEFAULT_GUI_FONT) return &gdi::GuiFont();
    return nullptr;
}

HFONT DcFont(HDC dc) { return dc->font ? dc->font : &gdi::SystemFont(); }

HFONT SelectFont(HDC dc, HFONT font) {
    HFONT previous = DcFont(dc);
    if (font == previous) return previous;
    ReleaseDcFont(dc);
    if (font != &gdi::SystemFont()) {
        dc->font = font;
        if (!font->stock) ++font->selectedCount;
    }
    return previous;
}

void ReleaseDcFont(HDC dc) {
    if (!dc || !dc->font) return;
    if (IsLiveFont(dc->font) && !dc->font->stock) --dc->font->selectedCount;
    dc->font = nullptr;
}

int DescribeFont(HFONT font, int size, LPVOID buffer) {
    if (!IsLiveFont(font)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!buffer) return int(sizeof(LOGFONTW));
    if (size < int(sizeof(LOGFONTW))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::memcpy(buffer, &font->logFont, sizeof(LOGFONTW));
    return int(sizeof(LOGFONTW));
}

}  // namespace vyrwin

using namespace vyrwin;

HFONT CreateFontIndirectW(const LOGFONTW* description) {
    if (!description) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HFONT font = new (std::nothrow) HFONT__;
    if (!font) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    font->logFont = *description;
    font->logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    try {
        gdi::LiveFonts().insert(font);
    } catch (const std::bad_alloc&) {
        delete font;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return font;
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR faceName) {
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfEscapement = escapement;
    font.lfOrientation = orientation;
    font.lfWeight = weight;
    font.lfItalic = BYTE(italic);
    font.lfUnderline = BYTE(underline);
    font.lfStrikeOut = BYTE(strikeOut);
    font.lfCharSet = BYTE(charSet);
    font.lfOutPrecision = BYTE(outPrecision);
    font.lfClipPrecision = BYTE(clipPrecision);
    font.lfQuality = BYTE(quality);
    font.lfPitchAndFamily = BYTE(pitchAndFamily);
    if (faceName) std::wcsncpy(font.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

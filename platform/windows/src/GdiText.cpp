// Text: metrics and extents of the DC's font, text alignment, and text output (TextOutW,
// ExtTextOutW, DrawTextW) into the DC's pixels.
#include "GdiFontInternal.h"

#include <fribidi.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <new>
#include <string>

namespace vyrwin {
namespace gdi {
namespace {

BOOL FailWith(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// Logical units from device pixels.
LONG Logical(double device, double scale) { return LONG(std::lround(device / (scale > 0 ? scale : 1.0))); }

// A run of characters laid out along the baseline: each character's advance in device pixels
// (x along the baseline, y across it, y counting down before the baseline turns).
struct Run {
    std::u32string chars;
    std::vector<double> ax, ay;
    double totalX = 0.0, totalY = 0.0;
};

// Puts a right-to-left run in visual order (the bidirectional algorithm with a right-to-left
// paragraph), each advance following its character; mirrored brackets come from the visual
// string. Code points FriBidi cannot take (above U+10FFFF) stay as they are where they land. When
// the analysis cannot run, the whole run is reversed.
void VisualOrder(Run& run) {
    const size_t n = run.chars.size();
    if (n == 0) return;
    if (n > size_t(INT32_MAX)) {
        std::reverse(run.chars.begin(), run.chars.end());
        std::reverse(run.ax.begin(), run.ax.end());
        std::reverse(run.ay.begin(), run.ay.end());
        return;
    }
    std::vector<FriBidiChar> logical(n), visual(n);
    for (size_t i = 0; i < n; ++i)
        logical[i] = run.chars[i] <= 0x10FFFF ? FriBidiChar(run.chars[i]) : FriBidiChar(0xFFFD);
    std::vector<FriBidiStrIndex> visualToLogical(n);
    FriBidiParType base = FRIBIDI_PAR_RTL;
    if (!fribidi_log2vis(logical.data(), FriBidiStrIndex(n), &base, visual.data(), nullptr, visualToLogical.data(),
                         nullptr)) {
        std::reverse(run.chars.begin(), run.chars.end());
        std::reverse(run.ax.begin(), run.ax.end());
        std::reverse(run.ay.begin(), run.ay.end());
        return;
    }
    Run ordered;
    ordered.chars.resize(n);
    ordered.ax.resize(n);
    ordered.ay.resize(n);
    for (size_t v = 0; v < n; ++v) {
        const size_t l = size_t(visualToLogical[v]) < n ? size_t(visualToLogical[v]) : v;
        ordered.chars[v] = run.chars[l] <= 0x10FFFF ? char32_t(visual[v]) : run.chars[l];
        ordered.ax[v] = run.ax[l];
        ordered.ay[v] = run.ay[l];
    }
    run.chars.swap(ordered.chars);
    run.ax.swap(ordered.ax);
    run.ay.swap(ordered.ay);
}

Run Layout(SizedFont& font, const WCHAR* text, size_t count, const INT* dx, bool pairs, bool rightToLeft) {
    Run run;
    run.chars.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        double advanceX, advanceY = 0.0;
        if (dx && pairs) {
            advanceX = dx[2 * i] * font.ScaleX();
            advanceY = dx[2 * i + 1] * font.ScaleY();
        } else if (dx) {
            advanceX = dx[i] * font.ScaleX();
        } else {
            advanceX = font.Advance(char32_t(text[i]));
        }
        run.chars.push_back(char32_t(text[i]));
        run.ax.push_back(advanceX);
        run.ay.push_back(advanceY);
        run.totalX += advanceX;
        run.totalY += advanceY;
    }
    if (rightToLeft) VisualOrder(run);
    return run;
}

// Where a run goes: its baseline origin and the directions along and below the baseline.
struct Placement {
    double x = 0.0, y = 0.0;      // origin of the first glyph on the baseline
    double ux = 1.0, uy = 0.0;    // along the baseline
    double nx = 0.0, ny = 1.0;    // below the baseline
};

// Device position of distance `along` on the baseline and `below` under it.
void PointOf(const Placement& p, double along, double below, double& x, double& y) {
    x = p.x + p.ux * along + p.nx * below;
    y = p.y + p.uy * along + p.ny * below;
}

// The corners of the band from `below0` to `below1` under the baseline along [0, length].
std::vector<double> Band(const Placement& p, double length, double below0, double below1) {
    std::vector<double> corners(8);
    PointOf(p, 0.0, below0, corners[0], corners[1]);
    PointOf(p, length, below0, corners[2], corners[3]);
    PointOf(p, length, below1, corners[4], corners[5]);
    PointOf(p, 0.0, below1, corners[6], corners[7]);
    return corners;
}

// The device box a run can draw into.
DeviceBox RunBounds(const SizedFont& font, const Placement& p, const Run& run) {
    const double margin = font.Em() + font.Height() + 4.0;
    double minX = p.x, maxX = p.x, minY = p.y, maxY = p.y;
    double along = 0.0, across = 0.0;
    for (size_t i = 0; i <= run.chars.size(); ++i) {
        double x, y;
        PointOf(p, along, across, x, y);
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        if (i < run.chars.size()) {
            along += run.ax[i];
            across += run.ay[i];
        }
    }
    return DeviceBox{DevicePixel(minX - margin), DevicePixel(minY - margin), DevicePixel(maxX + margin) + 1,
                     DevicePixel(maxY + margin) + 1};
}

// Paints a run into the block: its cell in the background colour when `opaque`, its glyphs,
// then its underline and strike-out.
void PaintRun(HDC dc, SizedFont& font, const Placement& p, const Run& run, bool opaque, const DeviceBox& clip,
              PixelBlock& block) {
    if (opaque && run.totalX > 0) {
        Mask cell(clip.Intersect(block.Box()));
        FillPolygonMask(Band(p, run.totalX, -font.Ascent(), font.Descent()), ALTERNATE, cell);
        PaintMask(block, cell, PixelOf(dc->bkColor), R2_COPYPEN);
    }
    const uint32_t color = PixelOf(dc->textColor);
    double along = 0.0, across = 0.0;
    for (size_t i = 0; i < run.chars.size(); ++i) {
        double x, y;
        PointOf(p, along, across, x, y);
        font.DrawGlyph(run.chars[i], x, y, color, clip, block);
        along += run.ax[i];
        across += run.ay[i];
    }
    const LOGFONTW& logical = font.Logical();
    auto line = [&](double offset, double thickness) {
        Mask mask(clip.Intersect(block.Box()));
        const double top = std::floor(offset - thickness / 2.0 + 0.5);
        FillPolygonMask(Band(p, run.totalX, top, top + thickness), ALTERNATE, mask);
        PaintMask(block, mask, color, R2_COPYPEN);
    };
    if (logical.lfUnderline) line(font.UnderlineOffset(), font.UnderlineThickness());
    if (logical.lfStrikeOut) line(font.StrikeOffset(), font.StrikeThickness());
}

// The placement of a run at device reference point (x, y) by the alignment flags.
Placement Place(const SizedFont& font, double x, double y, double totalX, UINT align) {
    Placement p;
    p.ux = std::cos(font.Angle());
    p.uy = -std::sin(font.Angle());
    p.nx = std::sin(font.Angle());
    p.ny = std::cos(font.Angle());
    double along = 0.0, below = 0.0;
    if ((align & TA_CENTER) == TA_CENTER)
        along = -totalX / 2.0;
    else if (align & TA_RIGHT)
        along = -totalX;
    if ((align & TA_BASELINE) == TA_BASELINE)
        below = 0.0;
    else if (align & TA_BOTTOM)
        below = -font.Descent();
    else
        below = font.Ascent();
    PointOf(p, along, below, p.x, p.y);
    // PointOf started from (0, 0): move to the reference point.
    p.x += x;
    p.y += y;
    return p;
}

// The device box of a logical rectangle.
DeviceBox DeviceRect(const DeviceMap& map, const RECT& rect) {
    const double x0 = map.X(rect.left), x1 = map.X(rect.right), y0 = map.Y(rect.top), y1 = map.Y(rect.bottom);
    return DeviceBox{DevicePixel(std::min(x0, x1)), DevicePixel(std::min(y0, y1)), DevicePixel(std::max(x0, x1)),
                     DevicePixel(std::max(y0, y1))};
}

const DeviceBox kEverywhere{INT64_MIN / 4, INT64_MIN / 4, INT64_MAX / 4, INT64_MAX / 4};

// One line of DrawTextW: its characters and its width in device pixels.
struct Line {
    std::wstring text;
    double width = 0.0;
};

double WidthOf(SizedFont& font, const std::wstring& text) {
    double width = 0.0;
    for (wchar_t c : text) width += font.Advance(char32_t(c));
    return width;
}

// Splits DrawTextW's text into lines by its format.
std::vector<Line> BreakLines(SizedFont& font, const std::wstring& text, UINT format, double maxWidth) {
    std::vector<std::wstring> paragraphs;
    if (format & DT_SINGLELINE) {
        std::wstring one;
        for (wchar_t c : text)
            if (c != L'\r' && c != L'\n') one += c;
        paragraphs.push_back(one);
    } else {
        std::wstring current;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
            if (text[i] == L'\n' || text[i] == L'\r') {
                paragraphs.push_back(current);
                current.clear();
            } else {
                current += text[i];
            }
        }
        paragraphs.push_back(current);
    }
    std::vector<Line> lines;
    for (const std::wstring& paragraph : paragraphs) {
        if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE) || WidthOf(font, paragraph) <= maxWidth) {
            lines.push_back({paragraph, WidthOf(font, paragraph)});
            continue;
        }
        // Greedy breaks between words; a word wider than the line stands alone.
        std::wstring line;
        size_t i = 0;
        while (i < paragraph.size()) {
            size_t end = paragraph.find(L' ', i);
            if (end == std::wstring::npos) end = paragraph.size();
            const std::wstring word = paragraph.substr(i, end - i);
            const std::wstring candidate = line.empty() ? word : line + L' ' + word;
            if (!line.empty() && WidthOf(font, candidate) > maxWidth) {
                lines.push_back({line, WidthOf(font, line)});
                line = word;
            } else {
                line = candidate;
            }
            i = end + 1;
        }
        lines.push_back({line, WidthOf(font, line)});
    }
    return lines;
}

// The text without its "&" marks: "&x" shows x, "&&" shows "&", a last "&" shows nothing.
std::wstring WithoutPrefixes(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'&') {
            out += text[i];
        } else if (i + 1 < text.size()) {
            out += text[i + 1];
            ++i;
        }
    }
    return out;
}

}  // namespace
}  // namespace gdi
}  // namespace vyrwin

using namespace vyrwin;
using namespace vyrwin::gdi;

BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (!metrics) return FailWith(ERROR_INVALID_PARAMETER);
    SizedFont font;
    if (!font.Load(dc)) return FailWith(ERROR_NOT_SUPPORTED);
    const LOGFONTW& logical = font.Logical();
    const double sx = font.ScaleX(), sy = font.ScaleY();
    TEXTMETRICW m{};
    m.tmAscent = Logical(font.Ascent(), sy);
    m.tmDescent = Logical(font.Descent(), sy);
    m.tmHeight = m.tmAscent + m.tmDescent;
    m.tmInternalLeading = Logical(font.InternalLeading(), sy);
    m.tmExternalLeading = Logical(font.ExternalLeading(), sy);
    m.tmAveCharWidth = Logical(font.AverageWidth(), sx);
    m.tmMaxCharWidth = Logical(font.MaximumWidth(), sx);
    m.tmWeight = font.Bold() ? std::max<LONG>(logical.lfWeight, FW_BOLD) : (logical.lfWeight ? logical.lfWeight : FW_NORMAL);
    m.tmOverhang = 0;
    m.tmDigitizedAspectX = dc->dpiX;
    m.tmDigitizedAspectY = dc->dpiY;
    m.tmFirstChar = WCHAR(font.FirstChar());
    m.tmLastChar = WCHAR(font.LastChar());
    m.tmDefaultChar = WCHAR(font.FirstChar());
    m.tmBreakChar = L' ';
    m.tmItalic = logical.lfItalic ? 1 : 0;
    m.tmUnderlined = logical.lfUnderline ? 1 : 0;
    m.tmStruckOut = logical.lfStrikeOut ? 1 : 0;
    m.tmPitchAndFamily = BYTE((font.FixedPitch() ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE |
                              (logical.lfPitchAndFamily & 0xF0));
    m.tmCharSet = logical.lfCharSet;
    *metrics = m;
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (!size || count < 0 || (count > 0 && !text)) return FailWith(ERROR_INVALID_PARAMETER);
    SizedFont font;
    if (!font.Load(dc)) return FailWith(ERROR_NOT_SUPPORTED);
    double width = 0.0;
    for (int i = 0; i < count; ++i) width += font.Advance(char32_t(text[i]));
    size->cx = Logical(width, font.ScaleX());
    size->cy = Logical(font.Height(), font.ScaleY());
    return TRUE;
}

BOOL GetCharABCWidthsFloatW(HDC dc, UINT first, UINT last, LPABCFLOAT abc) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (!abc || last < first) return FailWith(ERROR_INVALID_PARAMETER);
    SizedFont font;
    if (!font.Load(dc)) return FailWith(ERROR_NOT_SUPPORTED);
    const double scale = font.ScaleX() > 0 ? font.ScaleX() : 1.0;
    for (UINT c = first;; ++c) {
        double a = 0.0, b = 0.0, rest = 0.0;
        font.AbcWidths(char32_t(c), a, b, rest);
        ABCFLOAT& out = abc[c - first];
        out.abcfA = FLOAT(a / scale);
        out.abcfB = FLOAT(b / scale);
        out.abcfC = FLOAT(rest / scale);
        if (c == last) break;
    }
    return TRUE;
}

int GetTextFaceW(HDC dc, int count, LPWSTR faceName) {
    if (!IsLiveDc(dc)) return int(FailWith(ERROR_INVALID_HANDLE));
    SizedFont font;
    if (!font.Load(dc)) return int(FailWith(ERROR_NOT_SUPPORTED));
    const std::wstring family = font.Family();
    if (!faceName) return int(family.size()) + 1;
    if (count < 1) return int(FailWith(ERROR_INVALID_PARAMETER));
    const size_t copied = std::min(family.size(), size_t(count - 1));
    std::wmemcpy(faceName, family.data(), copied);
    faceName[copied] = 0;
    return int(copied);
}

UINT SetTextAlign(HDC dc, UINT align) {
    if (!IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return GDI_ERROR;
    }
    const UINT previous = dc->textAlign;
    dc->textAlign = align & TA_MASK;
    return previous;
}

UINT GetTextAlign(HDC dc) {
    if (!IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return GDI_ERROR;
    }
    return dc->textAlign;
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const INT* dx) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if ((count > 0 && !text) || count > 0x7FFFFFFF) return FailWith(ERROR_INVALID_PARAMETER);
    const DeviceMap map = MapOf(dc);
    SizedFont font;
    const bool haveFont = font.Load(dc);
    if (count > 0 && !haveFont) return FailWith(ERROR_NOT_SUPPORTED);
    try {
        const bool updateCp = dc->textAlign & TA_UPDATECP;
        const POINT reference = updateCp ? dc->position : POINT{x, y};
        const double rx = map.X(reference.x), ry = map.Y(reference.y);
        Run run;
        Placement place;
        DeviceBox box{0, 0, 0, 0};
        if (count > 0) {
            const bool rightToLeft = (options & ETO_RTLREADING) || (dc->textAlign & TA_RTLREADING);
            run = Layout(font, text, count, dx, (options & ETO_PDY) != 0, rightToLeft);
            place = Place(font, rx, ry, run.totalX, dc->textAlign);
            box = RunBounds(font, place, run);
        }
        DeviceBox clip = kEverywhere;
        if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED))) {
            const DeviceBox area = DeviceRect(map, *rect);
            if (options & ETO_CLIPPED) clip = area;
            if (options & ETO_OPAQUE) {
                box = box.Empty() ? area
                                  : DeviceBox{std::min(box.left, area.left), std::min(box.top, area.top),
                                              std::max(box.right, area.right), std::max(box.bottom, area.bottom)};
            }
        }
        PixelBlock block;
        DWORD error = 0;
        if (!block.Open(dc, box.Intersect(clip), error)) return FailWith(error);
        if (rect && (options & ETO_OPAQUE)) {
            Mask fill(DeviceRect(map, *rect).Intersect(block.Box()));
            for (int64_t row = fill.box.top; row < fill.box.bottom; ++row) fill.SetRun(row, fill.box.left, fill.box.right);
            PaintMask(block, fill, PixelOf(dc->bkColor), R2_COPYPEN);
        }
        if (count > 0) PaintRun(dc, font, place, run, dc->bkMode == OPAQUE, clip, block);
        if (!block.Close()) return FailWith(ERROR_INVALID_HANDLE);
        if (updateCp && count > 0) {
            // The current position moves to the far end of the text from where it was.
            double ex = rx, ey = ry;
            if ((dc->textAlign & TA_CENTER) != TA_CENTER) {
                const double sign = (dc->textAlign & TA_RIGHT) ? -1.0 : 1.0;
                ex += sign * (place.ux * run.totalX + place.nx * run.totalY);
                ey += sign * (place.uy * run.totalX + place.ny * run.totalY);
            }
            dc->position = POINT{LONG(DevicePixel(map.LogicalX(ex))), LONG(DevicePixel(map.LogicalY(ey)))};
        }
        return TRUE;
    } catch (const std::bad_alloc&) {
        return FailWith(ERROR_NOT_ENOUGH_MEMORY);
    }
}

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int count) {
    if (count < 0) return FailWith(ERROR_INVALID_PARAMETER);
    return ExtTextOutW(dc, x, y, 0, nullptr, text, UINT(count), nullptr);
}

int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    if (!IsLiveDc(dc)) return int(FailWith(ERROR_INVALID_HANDLE));
    if (!text || !rect || count < -1) return int(FailWith(ERROR_INVALID_PARAMETER));
    SizedFont font;
    if (!font.Load(dc)) return int(FailWith(ERROR_NOT_SUPPORTED));
    try {
        std::wstring all(text, count == -1 ? std::wcslen(text) : size_t(count));
        if (!(format & DT_NOPREFIX)) all = WithoutPrefixes(all);
        const DeviceMap map = MapOf(dc);
        const DeviceBox area = DeviceRect(map, *rect);
        const std::vector<Line> lines = BreakLines(font, all, format, double(area.right - area.left));
        const double lineHeight = font.Height();
        const double textHeight = lineHeight * double(lines.size());
        double widest = 0.0;
        for (const Line& line : lines) widest = std::max(widest, line.width);
        double top = double(area.top);
        if (format & DT_SINGLELINE) {
            if (format & DT_VCENTER)
                top = double(area.top) + std::floor((double(area.bottom - area.top) - lineHeight) / 2.0);
            else if (format & DT_BOTTOM)
                top = double(area.bottom) - lineHeight;
        }
        const LONG height = Logical(textHeight, font.ScaleY());
        if (format & DT_CALCRECT) {
            rect->right = rect->left + Logical(widest, font.ScaleX());
            rect->bottom = rect->top + (map.sy < 0 ? -height : height);
            return int(height);
        }
        PixelBlock block;
        DWORD error = 0;
        const DeviceBox clip = (format & DT_NOCLIP) ? kEverywhere : area;
        DeviceBox reach{area.left - DevicePixel(widest + font.Em()) - 4, DevicePixel(top - font.Em()) - 4,
                        area.right + DevicePixel(widest + font.Em()) + 4,
                        DevicePixel(top + textHeight + font.Em()) + 4};
        if (!block.Open(dc, reach.Intersect(clip), error)) return int(FailWith(error));
        for (size_t i = 0; i < lines.size(); ++i) {
            double left = double(area.left);
            if (format & DT_CENTER)
                left = double(area.left) + std::floor((double(area.right - area.left) - lines[i].width) / 2.0);
            else if (format & DT_RIGHT)
                left = double(area.right) - lines[i].width;
            const Run run = Layout(font, lines[i].text.data(), lines[i].text.size(), nullptr, false,
                                   (format & DT_RTLREADING) != 0);
            const Placement place = Place(font, left, top + lineHeight * double(i), run.totalX, TA_LEFT | TA_TOP);
            PaintRun(dc, font, place, run, dc->bkMode == OPAQUE, clip, block);
        }
        if (!block.Close()) return int(FailWith(ERROR_INVALID_HANDLE));
        if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)))
            return int(Logical(top + lineHeight - double(area.top), font.ScaleY()));
        return int(height);
    } catch (const std::bad_alloc&) {
        return int(FailWith(ERROR_NOT_ENOUGH_MEMORY));
    }
}

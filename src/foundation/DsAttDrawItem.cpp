// The sample items of the attribute pickers.
#include "DsAttDrawItem.h"

#include "DsStylePalette.h"

#include <algorithm>
#include <vector>

namespace {

// The pen runs of a style pattern (see the header) and how far right the rows start. False when
// the pattern has no dash.
bool StyleRuns(uint16_t pattern, int factor, std::vector<DWORD>& runs, int& start)
{
    runs.clear();
    start = 0;
    if (pattern == 0) return false;
    factor = std::max(factor, 1);
    bool dash = true;
    int count = 0;
    for (int bit = 15; bit >= 0; --bit) {
        const bool set = (pattern >> bit & 1u) != 0;
        if (set != dash) {
            runs.push_back(DWORD(count * factor));
            dash = !dash;
            count = 0;
        }
        ++count;
    }
    runs.push_back(DWORD(count * factor));
    if (runs.size() > 1 && runs[0] == 0) {
        const DWORD gap = runs[1];
        start = int(gap);
        runs.erase(runs.begin(), runs.begin() + 2);
        if (runs.size() % 2 == 0)
            runs.back() += gap;  // ends with a gap
        else
            runs.push_back(gap);
    }
    return !runs.empty();
}

// The two sample rows of a style with a pen of `width` in `color`.
void DrawStyleRows(CDC* dc, const CRect& cell, int width, int style, COLORREF color)
{
    if (!dc) return;
    uint16_t pattern = 0;
    int factor = 1;
    CDsStylePalette* palette = CDsStylePalette::StGetActive();
    if (!palette || !palette->GetStyle(style, pattern, factor)) return;
    std::vector<DWORD> runs;
    int start = 0;
    if (!StyleRuns(pattern, factor, runs, start)) return;

    CPen pen;
    if (runs.size() == 1) {
        if (!pen.CreatePen(PS_SOLID, width, color)) return;
    } else {
        LOGBRUSH brush{BS_SOLID, color, 0};
        if (!pen.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, std::max(width, 1), &brush, int(runs.size()), runs.data()))
            return;
    }
    CPen* old = dc->SelectObject(&pen);
    const int y = cell.bottom - cell.Height() / 2;
    const int x0 = cell.left + start + 4;
    const int x1 = cell.right - 4;
    for (int row = y; row <= y + 1; ++row) {
        dc->MoveTo(x0, row);
        dc->LineTo(x1, row);
    }
    dc->SelectObject(old);
}

}  // namespace

void CDsAttDrawItem::DrawColorItem(CDC* dc, CRect& cell, COLORREF color)
{
    if (!dc) return;
    CBrush fill;
    CBrush frame;
    if (fill.CreateSolidBrush(color)) dc->FillRect(&cell, &fill);
    if (frame.CreateSolidBrush(RGB(0, 0, 0))) dc->FrameRect(&cell, &frame);
}

void CDsAttDrawItem::DrawStyleItem(CDC* dc, CRect& cell, int style)
{
    DrawStyleRows(dc, cell, 1, style, RGB(0, 0, 0));
}

void CDsAttDrawItem::DrawPreviewItem(CDC* dc, CRect& cell, int width, int style, COLORREF color)
{
    DrawStyleRows(dc, cell, width, style, color);
}

void CDsAttDrawItem::DrawWidthItem(CDC* dc, CRect& cell, int width)
{
    if (!dc) return;
    const int n = std::max(0, std::min(width + 1, cell.Height()));
    CStringW text;
    text.Format(L"%d pxl", n);
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const CSize extent = dc->GetTextExtent(text, text.GetLength());
    const int room = cell.Width() - 8;
    if (extent.cx == room) {
        dc->DrawTextW(text, text.GetLength(), &cell, 0);
    } else if (extent.cx < room) {
        dc->TextOutW(cell.left + 4, cell.top, text, text.GetLength());
        CPen pen;
        if (pen.CreatePen(PS_SOLID, 1, RGB(0, 0, 0))) {
            CPen* old = dc->SelectObject(&pen);
            const int y0 = (cell.top - n + cell.bottom) / 2;
            for (int i = 0; i < n; ++i) {
                dc->MoveTo(cell.left + extent.cx + 8, y0 + i);
                dc->LineTo(cell.right - 4, y0 + i);
            }
            dc->SelectObject(old);
        }
    } else {
        text.Format(L"%d", n);
        dc->DrawTextW(text, text.GetLength(), &cell, 0);
    }
    if (oldMode) dc->SetBkMode(oldMode);
}

void CDsAttDrawItem::DrawTextItem(CDC* dc, CRect& cell, const CStringW& text)
{
    if (!dc) return;
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    CStringW face;
    dc->GetTextFaceW(face);
    TEXTMETRICW metrics{};
    BYTE charSet = 0;
    BYTE pitchAndFamily = 32;
    if (dc->GetTextMetricsW(&metrics)) {
        charSet = metrics.tmCharSet;
        pitchAndFamily = metrics.tmPitchAndFamily;
    }
    LOGFONTW description{};
    description.lfHeight = cell.Height();
    description.lfWeight = 400;
    description.lfCharSet = charSet;
    description.lfPitchAndFamily = pitchAndFamily;
    const int length = std::min(face.GetLength(), LF_FACESIZE - 1);
    std::copy_n(static_cast<LPCWSTR>(face), length, description.lfFaceName);
    description.lfFaceName[length] = L'\0';

    CFont font;
    if (font.CreateFontIndirectW(&description)) {
        CFont* old = dc->SelectObject(&font);
        dc->TextOutW(cell.left, cell.top, text, text.GetLength());
        dc->SelectObject(old);
    } else {
        CRect box(cell);
        dc->DrawTextW(text, text.GetLength(), &box, 0);
    }
    if (oldMode) dc->SetBkMode(oldMode);
}

// The resource module "VyrGuiRc": the images and texts of the user interface that the display
// system loads by resource number, registered with the Windows layer when this library loads.
//
// The point markers. The points palette of the display system draws a point as a one-bit bitmap
// of 5, 11 or 17 pixels, one per marker style and size. Each picture here is the vector marker of
// that style (the polylines that print a point) drawn at that size: h = size / 2 pixels around
// the centre pixel, vertices rounded to whole pixels (halves away from the centre) and the
// segments between them set pixel by pixel along their longer axis, a half pixel going toward the
// centre, so that every marker is as symmetric as its polylines. Style 2's and style 8's strokes
// end at the bitmap's edge. Two styles have no polyline of that kind: style 9, which prints as a
// dot as wide as the marker, is a filled disc of radius h; style 0 is a small dot, a filled disc of
// radius h / 2. Style 10 shares style 3's bitmaps. Rows run from the top; '#' is a set bit (white
// in the monochrome bitmap, the pixel that OpenGL draws).
//
// The module joins the framework's chain of resource modules as it loads, so that a resource
// lookup along the chain (AfxFindResourceHandle) finds these pictures whichever module's
// resources are current; it leaves the chain and the Windows layer's registry when it unloads.
#include <afx.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// One marker: its resource number, its side in pixels and its rows, top first.
struct SMarker {
    UINT id;
    int size;
    const char* rows;
};

constexpr SMarker kMarkers[] = {
    // Style 0, 5 x 5: a small dot.
    {581, 5,
     "....."
     "..#.."
     ".###."
     "..#.."
     "....."},
    // Style 0, 11 x 11: a small dot.
    {583, 11,
     "..........."
     "..........."
     "..........."
     "....###...."
     "...#####..."
     "...#####..."
     "...#####..."
     "....###...."
     "..........."
     "..........."
     "..........."},
    // Style 0, 17 x 17: a small dot.
    {582, 17,
     "................."
     "................."
     "................."
     "................."
     ".......###......."
     ".....#######....."
     ".....#######....."
     "....#########...."
     "....#########...."
     "....#########...."
     ".....#######....."
     ".....#######....."
     ".......###......."
     "................."
     "................."
     "................."
     "................."},
    // Style 1, 5 x 5: hourglass.
    {572, 5,
     "#####"
     ".#.#."
     "..#.."
     ".#.#."
     "#####"},
    // Style 1, 11 x 11: hourglass.
    {574, 11,
     "###########"
     ".#.......#."
     "..#.....#.."
     "...#...#..."
     "....#.#...."
     ".....#....."
     "....#.#...."
     "...#...#..."
     "..#.....#.."
     ".#.......#."
     "###########"},
    // Style 1, 17 x 17: hourglass.
    {573, 17,
     "#################"
     ".#.............#."
     "..#...........#.."
     "...#.........#..."
     "....#.......#...."
     ".....#.....#....."
     "......#...#......"
     ".......#.#......."
     "........#........"
     ".......#.#......."
     "......#...#......"
     ".....#.....#....."
     "....#.......#...."
     "...#.........#..."
     "..#...........#.."
     ".#.............#."
     "#################"},
    // Style 2, 5 x 5: plus.
    {551, 5,
     "..#.."
     "..#.."
     "#####"
     "..#.."
     "..#.."},
    // Style 2, 11 x 11: plus.
    {550, 11,
     ".....#....."
     ".....#....."
     ".....#....."
     ".....#....."
     ".....#....."
     "###########"
     ".....#....."
     ".....#....."
     ".....#....."
     ".....#....."
     ".....#....."},
    // Style 2, 17 x 17: plus.
    {549, 17,
     "........#........"
     "........#........"
     "........#........"
     "........#........"
     "........#........"
     "........#........"
     "........#........"
     "........#........"
     "#################"
     "........#........"
     "........#........"
     "........#........"
     "........#........"
     "........#........"
     "........#........"
     "........#........"
     "........#........"},
    // Style 3, 5 x 5: square.
    {554, 5,
     "#####"
     "#...#"
     "#...#"
     "#...#"
     "#####"},
    // Style 3, 11 x 11: square.
    {553, 11,
     "###########"
     "#.........#"
     "#.........#"
     "#.........#"
     "#.........#"
     "#.........#"
     "#.........#"
     "#.........#"
     "#.........#"
     "#.........#"
     "###########"},
    // Style 3, 17 x 17: square.
    {552, 17,
     "#################"
     "#...............#"
     "#...............#"
     "#...............#"
     "#...............#"
     "#...............#"
     "#...............#"
     "#...............#"
     "#...............#"
     "#...............#"
     "#...............#"
     "#...............#"
     "#...............#"
     "#...............#"
     "#...............#"
     "#...............#"
     "#################"},
    // Style 4, 5 x 5: diamond.
    {590, 5,
     "..#.."
     ".#.#."
     "#...#"
     ".#.#."
     "..#.."},
    // Style 4, 11 x 11: diamond.
    {592, 11,
     ".....#....."
     "....#.#...."
     "...#...#..."
     "..#.....#.."
     ".#.......#."
     "#.........#"
     ".#.......#."
     "..#.....#.."
     "...#...#..."
     "....#.#...."
     ".....#....."},
    // Style 4, 17 x 17: diamond.
    {591, 17,
     "........#........"
     ".......#.#......."
     "......#...#......"
     ".....#.....#....."
     "....#.......#...."
     "...#.........#..."
     "..#...........#.."
     ".#.............#."
     "#...............#"
     ".#.............#."
     "..#...........#.."
     "...#.........#..."
     "....#.......#...."
     ".....#.....#....."
     "......#...#......"
     ".......#.#......."
     "........#........"},
    // Style 5, 5 x 5: hexagon.
    {584, 5,
     ".###."
     ".#.#."
     "#...#"
     ".#.#."
     ".###."},
    // Style 5, 11 x 11: hexagon.
    {586, 11,
     "..#######.."
     "..#.....#.."
     ".#.......#."
     ".#.......#."
     "#.........#"
     "#.........#"
     "#.........#"
     ".#.......#."
     ".#.......#."
     "..#.....#.."
     "..#######.."},
    // Style 5, 17 x 17: hexagon.
    {585, 17,
     "....#########...."
     "....#.......#...."
     "...#.........#..."
     "...#.........#..."
     "..#...........#.."
     "..#...........#.."
     ".#.............#."
     ".#.............#."
     "#...............#"
     ".#.............#."
     ".#.............#."
     "..#...........#.."
     "..#...........#.."
     "...#.........#..."
     "...#.........#..."
     "....#.......#...."
     "....#########...."},
    // Style 6, 5 x 5: circle.
    {579, 5,
     "..#.."
     ".#.#."
     "#...#"
     ".#.#."
     "..#.."},
    // Style 6, 11 x 11: circle.
    {561, 11,
     ".....#....."
     "...##.##..."
     "..#.....#.."
     ".#.......#."
     ".#.......#."
     "#.........#"
     ".#.......#."
     ".#.......#."
     "..#.....#.."
     "...##.##..."
     ".....#....."},
    // Style 6, 17 x 17: circle.
    {559, 17,
     "........#........"
     "......##.##......"
     "....##.....##...."
     "...#.........#..."
     "..#...........#.."
     "..#...........#.."
     ".#.............#."
     ".#.............#."
     "#...............#"
     ".#.............#."
     ".#.............#."
     "..#...........#.."
     "..#...........#.."
     "...#.........#..."
     "....##.....##...."
     "......##.##......"
     "........#........"},
    // Style 7, 5 x 5: circle around a small octagon.
    {566, 5,
     ".###."
     "##.##"
     "#...#"
     "##.##"
     ".###."},
    // Style 7, 11 x 11: circle around a small octagon.
    {565, 11,
     ".....#....."
     "...##.##..."
     "..#.....#.."
     ".#..###..#."
     ".#.#...#.#."
     "#..#...#..#"
     ".#.#...#.#."
     ".#..###..#."
     "..#.....#.."
     "...##.##..."
     ".....#....."},
    // Style 7, 17 x 17: circle around a small octagon.
    {568, 17,
     "........#........"
     "......##.##......"
     "....##.....##...."
     "...#.........#..."
     "..#...........#.."
     "..#...........#.."
     ".#.....###.....#."
     ".#....#...#....#."
     "#.....#...#.....#"
     ".#....#...#....#."
     ".#.....###.....#."
     "..#...........#.."
     "..#...........#.."
     "...#.........#..."
     "....##.....##...."
     "......##.##......"
     "........#........"},
    // Style 8, 5 x 5: flattened circle with a vertical stroke.
    {593, 5,
     "..#.."
     ".###."
     "#####"
     ".###."
     "..#.."},
    // Style 8, 11 x 11: flattened circle with a vertical stroke.
    {595, 11,
     ".....#....."
     ".....#....."
     "....###...."
     "..##.#.##.."
     ".#...#...#."
     "#....#....#"
     ".#...#...#."
     "..##.#.##.."
     "....###...."
     ".....#....."
     ".....#....."},
    // Style 8, 17 x 17: flattened circle with a vertical stroke.
    {594, 17,
     "........#........"
     "........#........"
     "........#........"
     "......#####......"
     "...###..#..###..."
     "...#....#....#..."
     "..#.....#.....#.."
     ".#......#......#."
     "#.......#.......#"
     ".#......#......#."
     "..#.....#.....#.."
     "...#....#....#..."
     "...###..#..###..."
     "......#####......"
     "........#........"
     "........#........"
     "........#........"},
    // Style 9, 5 x 5: a filled dot.
    {580, 5,
     ".###."
     "#####"
     "#####"
     "#####"
     ".###."},
    // Style 9, 11 x 11: a filled dot.
    {562, 11,
     "....###...."
     "..#######.."
     ".#########."
     ".#########."
     "###########"
     "###########"
     "###########"
     ".#########."
     ".#########."
     "..#######.."
     "....###...."},
    // Style 9, 17 x 17: a filled dot.
    {560, 17,
     "......#####......"
     "....#########...."
     "...###########..."
     "..#############.."
     ".###############."
     ".###############."
     "#################"
     "#################"
     "#################"
     "#################"
     "#################"
     ".###############."
     ".###############."
     "..#############.."
     "...###########..."
     "....#########...."
     "......#####......"},
};

// The texts, by resource number.
constexpr VYR_STRING_RESOURCE kStrings[] = {
    // Shown with a line feed and the path when a lights or material file cannot be opened.
    {2241, L"The lights or material file cannot be opened or written:"},
    // Shown when a view cannot be rendered into a picture larger than the screen.
    {865, L"The picture cannot be made at this size. Choose a smaller scale or resolution."},
};

// What the framework keeps about this module. Constant-initialised: the load hook below may run
// before the library's dynamic initialisers.
AFX_EXTENSION_MODULE sGuiRcModule = {FALSE, nullptr, nullptr};
HMODULE sGuiRcInstance = nullptr;

// The markers as bitmap resources: one bit per pixel, rows padded to whole WORDs.
bool RegisterMarkers(HMODULE module) {
    std::vector<std::vector<BYTE>> rows;
    std::vector<VYR_BITMAP_RESOURCE> table;
    for (const SMarker& marker : kMarkers) {
        const int stride = (marker.size + 15) / 16 * 2;
        std::vector<BYTE> bits(size_t(stride) * marker.size, 0);
        for (int y = 0; y < marker.size; ++y)
            for (int x = 0; x < marker.size; ++x)
                if (marker.rows[y * marker.size + x] == '#') bits[size_t(y) * stride + x / 8] |= BYTE(0x80 >> (x % 8));
        rows.push_back(std::move(bits));
        table.push_back({marker.id, marker.size, marker.size, 1, rows.back().data()});
    }
    return VyrRegisterBitmapTable(module, table.data(), UINT(table.size())) != FALSE;
}

__attribute__((constructor)) void GuiRcLoaded() {
    static_assert(sizeof kMarkers / sizeof kMarkers[0] == 30, "ten styles at three sizes");
    sGuiRcInstance = VyrModuleFromAddress(&sGuiRcModule);
    if (!sGuiRcInstance || !VyrRegisterModule(sGuiRcInstance, L"VyrGuiRc") || !RegisterMarkers(sGuiRcInstance) ||
        !VyrRegisterStringTable(sGuiRcInstance, kStrings, UINT(sizeof kStrings / sizeof kStrings[0]))) {
        std::fprintf(stderr, "vyr_host: the resource module VyrGuiRc cannot register its images and texts\n");
        return;
    }
    // The chain owns the object: AfxTermExtensionModule deletes it.
    if (AfxInitExtensionModule(sGuiRcModule, sGuiRcInstance)) new CDynLinkLibrary(sGuiRcModule);
}

__attribute__((destructor)) void GuiRcUnloading() {
    AfxTermExtensionModule(sGuiRcModule);
    VyrUnregisterModule(sGuiRcInstance);
}

}  // namespace

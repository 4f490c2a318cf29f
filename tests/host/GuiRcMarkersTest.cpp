// The point markers of the resource module: every marker the points palette asks for loads at 5,
// 11 and 17 pixels through the framework's resource lookup, and its set pixels lie where the vector
// marker of its style draws (vertices set, insides and outsides clear).
#include <afx.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

// The resource numbers by point style 0..10 and size class 0..2 (5, 11, 17 pixels).
const UINT kIds[11][3] = {{581, 583, 582}, {572, 574, 573}, {551, 550, 549}, {554, 553, 552},
                          {590, 592, 591}, {584, 586, 585}, {579, 561, 559}, {566, 565, 568},
                          {593, 595, 594}, {580, 562, 560}, {554, 553, 552}};
const int kSizes[3] = {5, 11, 17};

// A loaded marker: its bits, one per pixel, rows from the top.
class Marker {
public:
    Marker(UINT id, int expectedSize) {
        HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_BITMAP);
        HBITMAP bitmap = LoadBitmapW(module, MAKEINTRESOURCEW(id));
        if (!bitmap) return;
        BITMAP description{};
        GetObjectW(bitmap, sizeof description, &description);
        if (description.bmWidth == expectedSize && description.bmHeight == expectedSize && description.bmBitsPixel == 1) {
            size_ = expectedSize;
            stride_ = description.bmWidthBytes;
            bits_.resize(size_t(stride_) * size_);
            if (GetBitmapBits(bitmap, LONG(bits_.size()), bits_.data()) != LONG(bits_.size())) size_ = 0;
        }
        DeleteObject(bitmap);
    }
    bool Loaded() const { return size_ > 0; }
    // The pixel at marker offset (a, b) from the centre, b counted upward as the vector markers do;
    // false outside the bitmap.
    bool Set(int a, int b) const {
        const int c = size_ / 2;
        const int column = c + a, row = c - b;
        if (column < 0 || row < 0 || column >= size_ || row >= size_) return false;
        return (bits_[size_t(row) * stride_ + column / 8] >> (7 - column % 8)) & 1;
    }
    int Count() const {
        int count = 0;
        const int c = size_ / 2;
        for (int b = -c; b <= c; ++b)
            for (int a = -c; a <= c; ++a) count += Set(a, b);
        return count;
    }

private:
    int size_ = 0;
    int stride_ = 0;
    std::vector<BYTE> bits_;
};

typedef std::vector<std::pair<int, int>> Points;

// The vertices of the vector marker of a style at half size h (whole-pixel vertices only).
Points Vertices(int style, int h) {
    const int a = int(h * 9.0f / 11), b = int(h * 6.0f / 11);
    const Points circle{{h, 0}, {a, b}, {b, a}, {0, h}, {-b, a}, {-a, b}, {-h, 0}, {-a, -b}, {-b, -a}, {0, -h}, {b, -a}, {a, -b}};
    switch (style) {
        case 1: return {{-h, -h}, {h, h}, {-h, h}, {h, -h}};
        case 2: return {{-h, 0}, {h, 0}, {0, -h}, {0, h}, {0, 0}};
        case 3:
        case 10: return {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
        case 4: return {{-h, 0}, {0, -h}, {h, 0}, {0, h}};
        case 5: return {{-h, 0}, {h, 0}};
        case 6: return circle;
        case 7: {
            Points points{{2, 1}, {1, 2}, {-1, 2}, {-2, 1}, {-2, -1}, {-1, -2}, {1, -2}, {2, -1}};
            points.insert(points.end(), circle.begin(), circle.end());
            return points;
        }
        case 8: {
            const int k1 = int(h * 9.0f / 11), k2 = int(h * 7.0f / 11), k3 = int(h * 6.0f / 11),
                      k4 = int(h * 4.0f / 11), k5 = int(h * 8.0f / 11);
            return {{h, 0}, {k1, k4}, {k2, k3}, {0, k5}, {-k2, k3}, {-k1, k4}, {-h, 0}, {-k1, -k4},
                    {-k2, -k3}, {0, -k5}, {k2, -k3}, {k1, -k4}, {0, h}, {0, -h}, {0, 0}};
        }
        default: return {};
    }
}

TEST(GuiRcMarkersTest, TheResourceModuleIsKnownByNameAndInTheChain) {
    const HMODULE module = GetModuleHandleW(L"VyrGuiRc.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(LoadLibraryW(L"VyrGuiRc"), module);
    EXPECT_TRUE(FreeLibrary(module));
    bool inChain = false;
    for (CDynLinkLibrary* library = AfxGetModuleState()->m_pFirstLibrary; library; library = library->m_pNextDLL)
        inChain = inChain || library->m_hResource == module;
    EXPECT_TRUE(inChain);
    // Found whichever module's resources are current.
    EXPECT_EQ(AfxGetResourceHandle(), AfxGetInstanceHandle());
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(572), RT_BITMAP), module);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(571), RT_BITMAP), AfxGetResourceHandle());
}

TEST(GuiRcMarkersTest, EveryStyleLoadsAtEverySize) {
    for (int style = 0; style <= 10; ++style)
        for (int sizeClass = 0; sizeClass < 3; ++sizeClass) {
            const Marker marker(kIds[style][sizeClass], kSizes[sizeClass]);
            ASSERT_TRUE(marker.Loaded()) << "style " << style << ", " << kSizes[sizeClass] << " pixels";
            EXPECT_GT(marker.Count(), 0);
        }
}

TEST(GuiRcMarkersTest, MarkersLightTheVerticesOfTheirVectorMarkers) {
    for (int style = 1; style <= 10; ++style)
        for (int sizeClass = 0; sizeClass < 3; ++sizeClass) {
            const Marker marker(kIds[style][sizeClass], kSizes[sizeClass]);
            ASSERT_TRUE(marker.Loaded());
            const int h = kSizes[sizeClass] / 2;
            for (const auto& vertex : Vertices(style, h))
                EXPECT_TRUE(marker.Set(vertex.first, vertex.second))
                    << "style " << style << ", " << kSizes[sizeClass] << " pixels, vertex (" << vertex.first << ", "
                    << vertex.second << ")";
        }
}

TEST(GuiRcMarkersTest, OutlinesAreHollowAndShapesKeepTheirCorners) {
    for (int sizeClass = 0; sizeClass < 3; ++sizeClass) {
        const int size = kSizes[sizeClass], h = size / 2;
        auto marker = [&](int style) { return Marker(kIds[style][sizeClass], size); };
        const std::string at = std::to_string(size) + " pixels";
        // Hourglass: the crossing and the corners; not the middle of the left and right sides.
        EXPECT_TRUE(marker(1).Set(0, 0)) << at;
        EXPECT_FALSE(marker(1).Set(-h, 0)) << at;
        EXPECT_FALSE(marker(1).Set(h, 0)) << at;
        // Plus: the centre, never a corner.
        EXPECT_TRUE(marker(2).Set(0, 0)) << at;
        EXPECT_FALSE(marker(2).Set(h, h)) << at;
        EXPECT_FALSE(marker(2).Set(-1, -1)) << at;
        // Square: the whole border, nothing inside.
        for (int i = -h; i <= h; ++i) {
            EXPECT_TRUE(marker(3).Set(i, h) && marker(3).Set(i, -h) && marker(3).Set(h, i) && marker(3).Set(-h, i))
                << at << ", border " << i;
        }
        EXPECT_EQ(marker(3).Count(), 8 * h) << at;
        // Diamond, hexagon and circles: hollow, with clear corners.
        for (int style : {4, 5, 6, 7}) {
            if (style == 7 && h <= 2) continue;  // at 5 pixels the small octagon fills the circle
            EXPECT_FALSE(marker(style).Set(0, 0)) << "style " << style << ", " << at;
            EXPECT_FALSE(marker(style).Set(h, h) || marker(style).Set(-h, -h)) << "style " << style << ", " << at;
        }
        // Hexagon: its top and bottom edges are horizontal, between the vertices at h / 2.
        for (int i = -h / 2; i <= h / 2; ++i) {
            EXPECT_TRUE(marker(5).Set(i, h) && marker(5).Set(i, -h)) << at;
        }
        // Style 7 is style 6 with a small octagon inside.
        const Marker circle = marker(6), ringed = marker(7);
        EXPECT_GE(ringed.Count(), circle.Count()) << at;
        for (int b = -h; b <= h; ++b) {
            for (int a = -h; a <= h; ++a) {
                if (circle.Set(a, b)) {
                    EXPECT_TRUE(ringed.Set(a, b)) << at << " (" << a << ", " << b << ")";
                }
            }
        }
        // Style 8: the stroke runs through, the flattened circle is lower than it is wide.
        for (int b = -h; b <= h; ++b) {
            EXPECT_TRUE(marker(8).Set(0, b)) << at;
        }
        if (h > 2) {
            EXPECT_FALSE(marker(8).Set(h / 2, h - 1)) << at;
        }
        // Style 10 is style 3.
        EXPECT_EQ(marker(10).Count(), marker(3).Count()) << at;
    }
}

TEST(GuiRcMarkersTest, DotsAreFilledDiscs) {
    for (int sizeClass = 0; sizeClass < 3; ++sizeClass) {
        const int size = kSizes[sizeClass], h = size / 2;
        const Marker dot(kIds[9][sizeClass], size), small(kIds[0][sizeClass], size);
        ASSERT_TRUE(dot.Loaded() && small.Loaded());
        for (int b = -h; b <= h; ++b)
            for (int a = -h; a <= h; ++a) {
                const double r = std::sqrt(double(a * a + b * b));
                const std::string at = std::to_string(size) + " pixels (" + std::to_string(a) + ", " + std::to_string(b) + ")";
                if (r <= h - 0.5) {
                    EXPECT_TRUE(dot.Set(a, b)) << at;
                }
                if (r >= h + 0.75) {
                    EXPECT_FALSE(dot.Set(a, b)) << at;
                }
                if (r <= h / 2 - 0.5) {
                    EXPECT_TRUE(small.Set(a, b)) << at;
                }
                if (r >= h / 2 + 0.75) {
                    EXPECT_FALSE(small.Set(a, b)) << at;
                }
            }
    }
}

}  // namespace

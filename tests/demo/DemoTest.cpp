// The demo host, run as a user runs it: it must write a picture of its triangle.
#include "DemoPng.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

int RunDemo(const std::string& folder) {
    pid_t child = fork();
    if (child == 0) {
        execl(VYR_DEMO_EXECUTABLE, VYR_DEMO_EXECUTABLE, folder.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Pixel {
    int r, g, b;
};

Pixel At(const std::vector<unsigned char>& rgb, int width, int x, int y) {
    const unsigned char* p = rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
    return Pixel{p[0], p[1], p[2]};
}

}  // namespace

TEST(DemoTest, WritesAPngOfTheTriangle) {
    std::string folder = vyrtest::ScratchDir();
    ASSERT_EQ(RunDemo(folder), 0);
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/triangle.png", width, height, rgb));
    ASSERT_EQ(width, 400);
    ASSERT_EQ(height, 300);
    // Inside the triangle: its orange; in a corner: the dark blue background.
    Pixel inside = At(rgb, width, 200, 180);
    EXPECT_NEAR(inside.r, 255, 3);
    EXPECT_NEAR(inside.g, 160, 3);
    EXPECT_NEAR(inside.b, 0, 3);
    Pixel corner = At(rgb, width, 5, 5);
    EXPECT_NEAR(corner.r, 26, 3);
    EXPECT_NEAR(corner.g, 26, 3);
    EXPECT_NEAR(corner.b, 77, 3);
    // The picture stands the right way up: the triangle's wide base is at the bottom, so a point
    // near its lower left corner is orange and its mirror near the top is background.
    const Pixel lowerLeft = At(rgb, width, 100, 250);
    EXPECT_NEAR(lowerLeft.r, 255, 3);
    EXPECT_NEAR(lowerLeft.g, 160, 3);
    const Pixel upperLeft = At(rgb, width, 100, 49);
    EXPECT_NEAR(upperLeft.r, 26, 3);
    EXPECT_NEAR(upperLeft.b, 77, 3);
}

TEST(DemoTest, WritesAPngOfTheFacetedPlateLitFromTheFront) {
    std::string folder = vyrtest::ScratchDir();
    ASSERT_EQ(RunDemo(folder), 0);
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/plate.png", width, height, rgb));
    // The middle shows the lit blue boss (outward normals light it); the corner the background.
    Pixel middle = At(rgb, width, width / 2, height / 2);
    EXPECT_GT(middle.b, middle.r + 60);
    EXPECT_GT(middle.b, 150);
    Pixel corner = At(rgb, width, 3, 3);
    EXPECT_NEAR(corner.r, 235, 3);
    EXPECT_NEAR(corner.b, 242, 3);
}

TEST(DemoTest, WritesAPngOfPolylineItemsInATurnedGroupOverAGradient) {
    std::string folder = vyrtest::ScratchDir();
    ASSERT_EQ(RunDemo(folder), 0);
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/polylines.png", width, height, rgb));
    // The gradient: dark blue at the bottom, light at the top.
    const Pixel bottom = At(rgb, width, 5, height - 1), top = At(rgb, width, 5, 0);
    EXPECT_NEAR(bottom.r, 20, 4);
    EXPECT_NEAR(bottom.b, 70, 4);
    EXPECT_NEAR(top.r, 150, 4);
    EXPECT_NEAR(top.b, 210, 4);
    // The ring in the group's yellow crosses the middle column near its top.
    bool ring = false;
    for (int y = 25; y <= 38; ++y) {
        const Pixel p = At(rgb, width, width / 2, y);
        ring = ring || (p.r > 200 && p.g > 190 && p.b < 160);
    }
    EXPECT_TRUE(ring);
    // The white label under the ring, centred: as much ink left of the middle as right of it.
    int left = 0, right = 0;
    for (int y = height - 30; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Pixel p = At(rgb, width, x, y);
            if (p.r > 235 && p.g > 235 && p.b > 235) (x < width / 2 ? left : right)++;
        }
    EXPECT_GT(left + right, 150);
    EXPECT_NEAR(double(left) / std::max(1, left + right), 0.5, 0.15);
}

namespace {

// Counts of a picture's pixels: not black, bluish (blue well above red), reddish (red well above
// green: a red light on a blue body).
struct Census {
    int lit = 0, bluish = 0, reddish = 0, greenish = 0;
};

Census Count(const std::string& path) {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    Census c;
    if (!vyrdemo::ReadPngRgb(path, width, height, rgb)) return c;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Pixel p = At(rgb, width, x, y);
            c.lit += p.r + p.g + p.b > 30;
            c.bluish += p.b > p.r + 40 && p.b > 80;
            c.reddish += p.r > p.g + 60 && p.r > 80;
            c.greenish += p.g > p.r + 60 && p.g > p.b + 60;
        }
    return c;
}

}  // namespace

TEST(DemoTest, RefreshesTheSceneInEveryRenderMode) {
    std::string folder = vyrtest::ScratchDir();
    ASSERT_EQ(RunDemo(folder), 0);
    const Census wire = Count(folder + "/wireframe.png");
    const Census hidden = Count(folder + "/hidden-lines.png");
    const Census partial = Count(folder + "/partial-hidden-lines.png");
    const Census shaded = Count(folder + "/shaded.png");
    const Census coloured = Count(folder + "/shaded-red-blue.png");
    // Lines only: a few percent of the picture; hidden lines leave out the edges behind faces.
    EXPECT_GT(wire.lit, 2000);
    EXPECT_LT(wire.lit, 400 * 300 / 5);
    EXPECT_LT(hidden.lit, wire.lit);
    EXPECT_GT(hidden.lit, wire.lit / 3);
    EXPECT_GE(partial.lit, hidden.lit);
    // Shaded: the lit blue plate covers a large part of the picture.
    EXPECT_GT(shaded.bluish, 400 * 300 / 4);
    // Under a red and a blue light both colours show.
    EXPECT_GT(coloured.reddish, 1000);
    EXPECT_GT(coloured.bluish, 2000);
}

TEST(DemoTest, HighlightsThePlateOverTheWireframePictureInTheHighlightColour) {
    std::string folder = vyrtest::ScratchDir();
    ASSERT_EQ(RunDemo(folder), 0);
    const Census wire = Count(folder + "/wireframe.png");
    const Census highlight = Count(folder + "/highlight.png");
    // The plate's edges turn green; the primitives keep their colours (the green of the picture
    // without the highlight is the sphere's outline).
    EXPECT_LT(wire.greenish, 250);
    EXPECT_GT(highlight.greenish, wire.greenish + 1000);
    EXPECT_GT(highlight.lit, wire.lit / 2);
}

TEST(DemoTest, OutlinesTheCylinderConeAndSphereInTheLinePictures) {
    std::string folder = vyrtest::ScratchDir();
    ASSERT_EQ(RunDemo(folder), 0);
    // Each primitive has a colour of its own: the cylinder orange, the cone red, the sphere green.
    // Without their outlines the line pictures show only the cylinder's two rims (about 150
    // orange pixels in wireframe, 120 with hidden lines) and the cone's base (90, 60), and
    // nothing of the sphere (no seam down any of them); the outlines add both sides of the
    // cylinder and the cone and the sphere's circle.
    const struct {
        const char* file;
        int orange, red, green;
    } pictures[] = {{"wireframe.png", 178, 121, 90}, {"hidden-lines.png", 147, 92, 75}};
    for (const auto& picture : pictures) {
        int width = 0, height = 0;
        std::vector<unsigned char> rgb;
        ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/" + picture.file, width, height, rgb));
        int orange = 0, red = 0, green = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Pixel p = At(rgb, width, x, y);
                orange += p.r > p.b + 100 && p.g > p.b + 40 && p.r > p.g + 20;
                red += p.r > p.g + 100 && p.r > p.b + 100 && p.g < 90;
                green += p.g > p.r + 60 && p.g > p.b + 60;
            }
        EXPECT_GT(orange, picture.orange) << picture.file;
        EXPECT_GT(red, picture.red) << picture.file;
        EXPECT_GT(green, picture.green) << picture.file;
    }
}

TEST(DemoTest, DrawsFiguresOverTheBodiesAndAHalfTransparentPlateInMixedMode) {
    std::string folder = vyrtest::ScratchDir();
    ASSERT_EQ(RunDemo(folder), 0);
    int width = 0, height = 0;
    std::vector<unsigned char> figures, shaded, mixed;
    ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/figures.png", width, height, figures));
    ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/shaded.png", width, height, shaded));
    ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/mixed.png", width, height, mixed));
    int yellow = 0, white = 0, changed = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Pixel p = At(figures, width, x, y);
            yellow += p.r > 200 && p.g > 180 && p.b < 100;
            white += p.r > 230 && p.g > 230 && p.b > 230;
            const Pixel s = At(shaded, width, x, y), m = At(mixed, width, x, y);
            changed += std::abs(s.r - m.r) + std::abs(s.g - m.g) + std::abs(s.b - m.b) > 30;
        }
    EXPECT_GT(yellow, 200);  // the ring
    EXPECT_GT(white, 100);   // the zigzag
    EXPECT_GT(changed, 5000);  // the plate seen through
}

TEST(DemoTest, CutsTheSceneWithASectionPlaneAndThePlateWithASteppedSection) {
    std::string folder = vyrtest::ScratchDir();
    ASSERT_EQ(RunDemo(folder), 0);
    // Orange: the cylinder on the plate (red and green well above blue).
    auto orange = [](const std::string& path) {
        int width = 0, height = 0, count = 0;
        std::vector<unsigned char> rgb;
        if (!vyrdemo::ReadPngRgb(path, width, height, rgb)) return -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Pixel p = At(rgb, width, x, y);
                count += p.r > p.g + 40 && p.g > p.b + 40;
            }
        return count;
    };
    const Census shaded = Count(folder + "/shaded.png");
    const Census plane = Count(folder + "/section-plane.png");
    const Census stepped = Count(folder + "/stepped-section.png");
    // The plane takes away part of the plate and the cylinder standing on that part.
    EXPECT_LT(plane.bluish, shaded.bluish * 9 / 10);
    EXPECT_GT(plane.bluish, shaded.bluish / 4);
    EXPECT_LT(orange(folder + "/section-plane.png"), orange(folder + "/shaded.png") / 10);
    // The stepped section cuts the plate alone: the cylinder stays whole (and shows a little more of
    // itself where the plate in front of it is cut away).
    EXPECT_LT(stepped.bluish, shaded.bluish * 9 / 10);
    EXPECT_GT(stepped.bluish, shaded.bluish / 4);
    EXPECT_GT(orange(folder + "/shaded.png"), 500);
    EXPECT_GE(orange(folder + "/stepped-section.png"), orange(folder + "/shaded.png") * 9 / 10);
}

TEST(DemoTest, ShowsAShadedStlMeshBesideQuadricItems) {
    std::string folder = vyrtest::ScratchDir();
    ASSERT_EQ(RunDemo(folder), 0);
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/stl-quadrics.png", width, height, rgb));
    ASSERT_EQ(width, 400);
    // The mesh fills the left half in shades of its blue (lit, so not one flat colour); the
    // sphere, the cone and the torus show in their colours in the right half; the corner is the
    // background.
    int blue = 0, green = 0, red = 0, yellow = 0, darkBlue = 0, lightBlue = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Pixel p = At(rgb, width, x, y);
            const bool isBlue = p.b > p.r + 40 && p.b > 80 && p.b > p.g;
            if (x < width / 2) {
                blue += isBlue;
                darkBlue += isBlue && p.b < 170;
                lightBlue += isBlue && p.b > 220;
                continue;
            }
            green += p.g > p.r + 60 && p.g > p.b + 60;
            red += p.r > p.g + 80 && p.r > p.b + 80;
            yellow += p.r > 180 && p.g > 160 && p.b < 90;
        }
    EXPECT_GT(blue, 200 * 300 / 4);
    EXPECT_GT(darkBlue, 300);
    EXPECT_GT(lightBlue, 300);
    EXPECT_GT(green, 1000);
    EXPECT_GT(red, 800);
    EXPECT_GT(yellow, 800);
    // The dark grey label in the lower left corner (grey, unlike the shaded blue), on its baseline
    // 12 rows above the bottom.
    int dark = 0, darkBelow = 0;
    for (int y = height - 40; y < height; ++y)
        for (int x = 0; x < width / 2; ++x) {
            const Pixel p = At(rgb, width, x, y);
            const bool grey = p.r < 90 && p.g < p.r + 25 && p.b < p.r + 25;
            dark += grey;
            darkBelow += grey && y > height - 1 - 12 + 4;  // deeper than a descender
        }
    EXPECT_GT(dark, 100);
    EXPECT_EQ(darkBelow, 0);
    const Pixel corner = At(rgb, width, 3, 3);
    EXPECT_NEAR(corner.r, 235, 3);
    EXPECT_NEAR(corner.b, 242, 3);
}

TEST(DemoTest, SavesTheFiguresViewInEachPictureFormat) {
    std::string folder = vyrtest::ScratchDir();
    ASSERT_EQ(RunDemo(folder), 0);
    int width = 0, height = 0, savedWidth = 0, savedHeight = 0;
    std::vector<unsigned char> figures, saved;
    ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/figures.png", width, height, figures));
    ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/saved.png", savedWidth, savedHeight, saved));
    EXPECT_EQ(savedWidth, width);
    EXPECT_EQ(savedHeight, height);
    int yellow = 0;
    for (int y = 0; y < savedHeight; ++y)
        for (int x = 0; x < savedWidth; ++x) {
            const Pixel p = At(saved, savedWidth, x, y);
            yellow += p.r > 200 && p.g > 180 && p.b < 100;
        }
    EXPECT_GT(yellow, 200);  // the ring
    const std::string magic[] = {"\xFF\xD8\xFF", "\x89PNG", "BM", "II*"};
    const char* names[] = {"saved.jpg", "saved.png", "saved.bmp", "saved.tif"};
    for (int i = 0; i < 4; ++i) {
        const std::string bytes = vyrtest::ReadFileBytes(folder + "/" + names[i]);
        EXPECT_EQ(bytes.compare(0, magic[i].size(), magic[i]), 0) << names[i];
        EXPECT_GT(bytes.size(), 1000u) << names[i];
    }
}

TEST(DemoTest, ShowsTheLampsOfItsLightsAndDrawsTheShadedBodiesIntoABitmap) {
    std::string folder = vyrtest::ScratchDir();
    ASSERT_EQ(RunDemo(folder), 0);
    int width = 0, height = 0;
    std::vector<unsigned char> lamps, bitmap, shaded;
    ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/lamps.png", width, height, lamps));
    ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/bitmap.png", width, height, bitmap));
    ASSERT_TRUE(vyrdemo::ReadPngRgb(folder + "/shaded.png", width, height, shaded));
    // The lamps stand left and right of the plate, each in its light's colour: the red light's on
    // the left, the blue light's on the right, with the background between them and the plate.
    int red = 0, blue = 0;
    for (int y = 120; y < 170; ++y) {
        for (int x = 40; x < 110; ++x) {
            const Pixel p = At(lamps, width, x, y);
            red += p.r > p.g + 60 && p.r > 80;
        }
        for (int x = 330; x < 390; ++x) {
            const Pixel p = At(lamps, width, x, y);
            blue += p.b > p.r + 40 && p.b > 80;
        }
    }
    EXPECT_GT(red, 500);
    EXPECT_GT(blue, 500);
    const Pixel between = At(lamps, width, 120, 150);
    EXPECT_LT(between.r + between.g + between.b, 30);
    // The bitmap shows the shaded bodies where the window's frame shows them (the frame adds the
    // reference triad in its corner), the plate in its blue.
    int same = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Pixel p = At(bitmap, width, x, y), q = At(shaded, width, x, y);
            same += (p.r + p.g + p.b > 30) == (q.r + q.g + q.b > 30);
        }
    EXPECT_GT(same, width * height * 97 / 100);
    const Census drawn = Count(folder + "/bitmap.png"), frame = Count(folder + "/shaded.png");
    EXPECT_GT(drawn.bluish, frame.bluish * 8 / 10);
    EXPECT_LT(drawn.bluish, frame.bluish * 12 / 10);
}

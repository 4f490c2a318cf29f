// Views rendered into pictures and image files: figures showing pictures (image items made by the
// figure generator) rendered at a scale into a bitmap, saved in each format and decoded again with
// the format libraries, crops, refused sizes and failed saves that leave the target as it was.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "DsImage.h"
#include "DsImageFormatsConvertor.h"
#include "DsManager.h"
#include "DsRectangle3d.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "VyrString.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <afxwin.h>

#include <GL/gl.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_JPEG
#include <stb_image.h>
#include <tiffio.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0};

uint32_t Word(const Rgb& c)
{
    return uint32_t(c.r) | uint32_t(c.g) << 8 | uint32_t(c.b) << 16 | 0xFF000000u;
}

// A w x h picture of four quadrants, bottom row first: red bottom left, green bottom right, blue
// top left, yellow top right; or of one colour.
CDsImage Picture(int w, int h, bool quadrants, const Rgb& one = kRed)
{
    auto* pixels = new uint32_t[size_t(w) * size_t(h)];
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[size_t(y) * size_t(w) + size_t(x)] =
                !quadrants ? Word(one) : Word(y < h / 2 ? (x < w / 2 ? kRed : kGreen) : (x < w / 2 ? kBlue : kYellow));
    return CDsImage(w, h, pixels, false);
}

// A figure showing a picture on a rectangle of the xy plane, centred on the origin.
class CPictureFigure : public CDsFigure {
public:
    CPictureFigure(CDsImage image, double width, double height)
        : CDsFigure(true, true, false), m_image(std::move(image)), m_width(width), m_height(height)
    {
    }
    int DefineFig(CDsFigureGenerator& generator) override
    {
        const double x = m_width / 2, y = m_height / 2;
        generator.DrawImage(m_image, CDsRectangle3d(SPAposition(-x, -y, 0), SPAposition(x, -y, 0), SPAposition(-x, y, 0)));
        return 1;
    }

private:
    CDsImage m_image;
    double m_width, m_height;
};

// A figure of two triangles filling a rectangle of the xy plane from (x0, y0) to (x1, y1) in one
// colour: the generator compiles them into a display list when the figure is recorded.
class CFilledRectFigure : public CDsFigure {
public:
    CFilledRectFigure(double x0, double y0, double x1, double y1, const CDsColorStorage& color)
        : m_points{x0, y0, 0, x1, y0, 0, x1, y1, 0, x0, y0, 0, x1, y1, 0, x0, y1, 0}, m_color(color)
    {
    }
    int DefineFig(CDsFigureGenerator& generator) override
    {
        generator.SetPenColor(m_color);
        generator.DrawTriangles(2, m_points, nullptr);
        return 1;
    }

private:
    double m_points[18];
    CDsColorStorage m_color;
};

// A decoded file: RGB rows from the top.
struct Decoded {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    Rgb At(int x, int yFromTop) const
    {
        const unsigned char* p = &rgb[(size_t(yFromTop) * size_t(width) + size_t(x)) * 3];
        return Rgb{p[0], p[1], p[2]};
    }
};

Decoded Decode(const std::string& path, EDsImageFormat format)
{
    Decoded d;
    if (format == eDsImageFormatTiff) {
        TIFFSetErrorHandler(nullptr);
        TIFF* tiff = TIFFOpen(path.c_str(), "r");
        if (!tiff) return d;
        uint32_t w = 0, h = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &h);
        std::vector<uint32_t> raster(size_t(w) * h);
        if (TIFFReadRGBAImageOriented(tiff, w, h, raster.data(), ORIENTATION_TOPLEFT, 0)) {
            d.width = int(w);
            d.height = int(h);
            for (uint32_t v : raster) {
                d.rgb.push_back(static_cast<unsigned char>(TIFFGetR(v)));
                d.rgb.push_back(static_cast<unsigned char>(TIFFGetG(v)));
                d.rgb.push_back(static_cast<unsigned char>(TIFFGetB(v)));
            }
        }
        TIFFClose(tiff);
        return d;
    }
    int channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &d.width, &d.height, &channels, 3);
    if (!data) return Decoded{};
    d.rgb.assign(data, data + size_t(d.width) * size_t(d.height) * 3);
    stbi_image_free(data);
    return d;
}

// The bitmap's pixels through a picture (rows from the bottom).
CDsImage Read(CBitmap& bitmap)
{
    CDsImage image;
    image.SetBitmap(bitmap);
    return image;
}

Rgb Pixel(const CDsImage& image, int x, int y)
{
    uint32_t p = 0;
    image.GetPixel(x, y, p);
    return Rgb{int(p & 0xFF), int(p >> 8 & 0xFF), int(p >> 16 & 0xFF)};
}

class DsImageFormatsGLTest : public ::testing::Test {
protected:
    void Show(int width, int height, CDsImage picture, double pictureWidth, double pictureHeight)
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        window_ = std::make_unique<vyrtest::FrameworkWindow>(width, height);
        view_ = std::make_unique<CDsView3dCdc>(&window_->wnd);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        // One model unit a pixel, the origin in the middle of the window.
        ViewSetup().Pixels(width, height).Eye(SPAposition(0, 0, 50)).Field(width, height).Clip(1, 100).ApplyTo(*view_);
        view_->SetRenderMode(eRenderWireframe);
        figure_ = std::make_unique<CPictureFigure>(std::move(picture), pictureWidth, pictureHeight);
        figure_->Record(true, view_.get());
        view_->refresh();
    }
    void TearDown() override
    {
        EXPECT_FALSE(CDsManager::GetInstance()->GetFlag(8));
        figure_.reset();
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
        VyrClearMessageBoxes();
    }
    bool Save(EDsImageFormat format, const std::string& path, double scale = 1.0, CRect* crop = nullptr)
    {
        return CDsImageFormatsConvertor::Instance()->SaveImage(view_.get(), format, CVyrString(path.c_str()), scale,
                                                               false, crop, false);
    }

    std::string dir_ = vyrtest::ScratchDir();
    vyrtest::ScopedEnv tmp_{"TMPDIR", dir_.c_str()};
    vyrtest::ViewStaticsGuard statics_;
    CDsGlContext context_;
    std::unique_ptr<vyrtest::FrameworkWindow> window_;
    std::unique_ptr<CDsView3dCdc> view_;
    std::unique_ptr<CPictureFigure> figure_;
};

}  // namespace

TEST_F(DsImageFormatsGLTest, AViewRenderedAtTwiceItsSizeKeepsItsSquareInPlaceAndTheScreenAsItWas)
{
    Show(200, 150, Picture(8, 8, false), 40, 40);  // a red square of 40 pixels in the middle
    ASSERT_TRUE(ColorNear(ReadPixel(GL_FRONT, 100, 75), kRed, 8));
    const Rgb corner = ReadPixel(GL_FRONT, 10, 10);
    ASSERT_FALSE(ColorNear(corner, kRed, 60));
    // (75, 75) as the screen shows it before (the reference triad's marker lies there).
    const Rgb beside = ReadPixel(GL_FRONT, 75, 75);

    CBitmap bitmap;
    ASSERT_TRUE(CDsImageFormatsConvertor::Instance()->CreateImage(view_.get(), bitmap, 2.0, true, nullptr, false));
    EXPECT_FALSE(CDsManager::GetInstance()->GetFlag(8));
    BITMAP description{};
    ASSERT_NE(bitmap.GetBitmap(&description), 0);
    EXPECT_EQ(description.bmWidth, 400);
    EXPECT_EQ(description.bmHeight, 300);
    const CDsImage picture = Read(bitmap);
    // The square covers pixels 160 to 239 and rows 110 to 189, crisp to its edges (the picture's
    // background may differ from the screen's: a picture is printed on white).
    const Rgb background = Pixel(picture, 20, 20);
    EXPECT_FALSE(ColorNear(background, kRed, 60));
    EXPECT_TRUE(ColorNear(Pixel(picture, 200, 150), kRed, 8));
    EXPECT_TRUE(ColorNear(Pixel(picture, 163, 113), kRed, 8));
    EXPECT_TRUE(ColorNear(Pixel(picture, 236, 186), kRed, 8));
    EXPECT_TRUE(ColorNear(Pixel(picture, 156, 150), background, 8));
    EXPECT_TRUE(ColorNear(Pixel(picture, 243, 150), background, 8));
    EXPECT_TRUE(ColorNear(Pixel(picture, 200, 106), background, 8));
    EXPECT_TRUE(ColorNear(Pixel(picture, 200, 193), background, 8));
    EXPECT_TRUE(ColorNear(Pixel(picture, 380, 280), background, 8));

    // The screen and the viewport are as they were.
    int x = 0, y = 0, w = 0, h = 0;
    view_->get_viewport(x, y, w, h);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 150);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 100, 75), kRed, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 75, 75), beside, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 10, 10), corner, 8));
    EXPECT_EQ(VyrGetMessageBoxCount(), 0u);
}

TEST_F(DsImageFormatsGLTest, ARenderingTooLargeAnswersFalseWithOneMessageAndClearsTheFlag)
{
    Show(200, 150, Picture(8, 8, false), 40, 40);
    VyrClearMessageBoxes();
    CBitmap bitmap;
    EXPECT_FALSE(CDsImageFormatsConvertor::Instance()->CreateImage(view_.get(), bitmap, 30.0, true, nullptr, false));
    EXPECT_FALSE(CDsManager::GetInstance()->GetFlag(8));
    EXPECT_EQ(bitmap.GetSafeHandle(), nullptr);
    ASSERT_EQ(VyrGetMessageBoxCount(), 1u);
    EXPECT_NE(std::wstring(VyrGetMessageBoxText(0)).find(L"cannot be made"), std::wstring::npos);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 100, 75), kRed, 8));

    // A file that exists is left as it was by a save that fails, and so by a format that is not.
    const std::string path = dir_ + "/kept.png";
    std::ofstream(path, std::ios::binary) << "old picture";
    EXPECT_FALSE(Save(eDsImageFormatPng, path, 30.0));
    EXPECT_FALSE(Save(EDsImageFormat(4), path));
    EXPECT_EQ(vyrtest::ReadFileBytes(path), "old picture");
    EXPECT_FALSE(Save(EDsImageFormat(4), dir_ + "/new.png"));
    EXPECT_FALSE(std::ifstream(dir_ + "/new.png").good());
    EXPECT_FALSE(Save(eDsImageFormatPng, dir_ + "/missing/folder.png"));

    // Through a link the picture replaces the file the link leads to, and the link stays; a folder
    // at the path is no file to replace.
    ASSERT_EQ(symlink("kept.png", (dir_ + "/link.png").c_str()), 0);
    EXPECT_TRUE(Save(eDsImageFormatPng, dir_ + "/link.png"));
    EXPECT_EQ(Decode(path, eDsImageFormatPng).width, 200);
    struct stat info{};
    ASSERT_EQ(lstat((dir_ + "/link.png").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(mkdir((dir_ + "/folder.png").c_str(), 0755), 0);
    EXPECT_FALSE(Save(eDsImageFormatPng, dir_ + "/folder.png"));
    ASSERT_EQ(lstat((dir_ + "/folder.png").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(DsImageFormatsGLTest, EachFormatKeepsTheSizeAndColoursOfTheQuadrants)
{
    Show(100, 50, Picture(100, 50, true), 100, 50);
    ASSERT_TRUE(ColorNear(ReadPixel(GL_FRONT, 25, 12), kRed, 8));
    const struct {
        EDsImageFormat format;
        const char* name;
        int tolerance;
    } formats[] = {{eDsImageFormatJpeg, "q.jpg", 8}, {eDsImageFormatPng, "q.png", 0}, {eDsImageFormatBmp, "q.bmp", 0},
                   {eDsImageFormatTiff, "q.tif", 0}};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        const std::string path = dir_ + "/" + f.name;
        ASSERT_TRUE(Save(f.format, path));
        const Decoded d = Decode(path, f.format);
        ASSERT_EQ(d.width, 100);
        ASSERT_EQ(d.height, 50);
        // Rows from the top: blue and yellow above, red and green below.
        EXPECT_TRUE(ColorNear(d.At(25, 37), kRed, f.tolerance));
        EXPECT_TRUE(ColorNear(d.At(75, 37), kGreen, f.tolerance));
        EXPECT_TRUE(ColorNear(d.At(25, 12), kBlue, f.tolerance));
        EXPECT_TRUE(ColorNear(d.At(75, 12), kYellow, f.tolerance));
        EXPECT_TRUE(ColorNear(d.At(5, 45), kRed, f.tolerance));
        EXPECT_TRUE(ColorNear(d.At(94, 4), kYellow, f.tolerance));
    }

    // Loads read JPEG: its quadrants come back in rows from the bottom; a PNG is refused.
    CDsImage jpeg;
    ASSERT_TRUE(CDsImageFormatsConvertor::Instance()->LoadImageW(CVyrString((dir_ + "/q.jpg").c_str()), jpeg));
    int w = 0, h = 0;
    jpeg.GetOriginalDimensions(w, h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    EXPECT_TRUE(ColorNear(Pixel(jpeg, 25, 12), kRed, 8));
    EXPECT_TRUE(ColorNear(Pixel(jpeg, 75, 37), kYellow, 8));
    CDsImage png;
    EXPECT_FALSE(CDsImageFormatsConvertor::Instance()->LoadImageW(CVyrString((dir_ + "/q.png").c_str()), png));
    EXPECT_TRUE(png.IsEmpty());

    // A crop reaching beyond the viewport is limited to it: the right half.
    CRect crop(50, 0, 500, 500);
    ASSERT_TRUE(Save(eDsImageFormatPng, dir_ + "/half.png", 1.0, &crop));
    const Decoded half = Decode(dir_ + "/half.png", eDsImageFormatPng);
    EXPECT_EQ(half.width, 50);
    EXPECT_EQ(half.height, 50);
    if (half.width == 50 && half.height == 50) {
        EXPECT_TRUE(ColorNear(half.At(25, 37), kGreen, 0));
        EXPECT_TRUE(ColorNear(half.At(25, 12), kYellow, 0));
    }
}

TEST_F(DsImageFormatsGLTest, APictureMadeAfterTheContextDrewIntoItsBitmapShowsWhatTheWindowShows)
{
    Show(200, 150, Picture(8, 8, false), 40, 40);  // a red square of 40 pixels in the middle
    // The context draws its (empty) scene into the view's bitmap first: the bitmap then holds a
    // picture of the background alone.
    context_.SetRenderToBitmap(1);
    context_.draw_to_bitmap(view_.get());
    context_.SetRenderToBitmap(0);
    CDsGlContext::sCurrentView = nullptr;
    ASSERT_TRUE(context_.MakeCurrent(view_.get()));

    // A green rectangle recorded afterwards, drawn from the display list it was compiled into in
    // the window's context: pixels 30 to 59 and rows 60 to 89.
    CFilledRectFigure green(-70, -15, -40, 15, CDsColorStorage(0, 255, 0));
    green.Record(true, view_.get());
    view_->refresh();
    const Rgb shown = ReadPixel(GL_FRONT, 45, 75);  // green, as the figure is lit
    ASSERT_TRUE(ColorNear(shown, kGreen, 40));
    ASSERT_TRUE(ColorNear(ReadPixel(GL_FRONT, 100, 75), kRed, 8));
    const Rgb corner = ReadPixel(GL_FRONT, 10, 10);

    // The picture is drawn anew, as the window shows the scene now, twice in a row (the second
    // time into the bitmap the first one left).
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        CBitmap bitmap;
        ASSERT_TRUE(CDsImageFormatsConvertor::Instance()->CreateImage(view_.get(), bitmap, 1.0, false, nullptr, false));
        const CDsImage picture = Read(bitmap);
        const Rgb background = Pixel(picture, 10, 10);
        EXPECT_FALSE(ColorNear(background, kGreen, 60));
        EXPECT_FALSE(ColorNear(background, kRed, 60));
        EXPECT_TRUE(ColorNear(Pixel(picture, 100, 75), kRed, 8));
        EXPECT_TRUE(ColorNear(Pixel(picture, 45, 75), shown, 8));
        EXPECT_TRUE(ColorNear(Pixel(picture, 32, 62), shown, 8));
        EXPECT_TRUE(ColorNear(Pixel(picture, 57, 87), shown, 8));
        EXPECT_TRUE(ColorNear(Pixel(picture, 45, 95), background, 8));
        EXPECT_TRUE(ColorNear(Pixel(picture, 25, 75), background, 8));
    }
    // And so is a saved file.
    const std::string path = dir_ + "/after-bitmap.png";
    ASSERT_TRUE(Save(eDsImageFormatPng, path));
    const Decoded d = Decode(path, eDsImageFormatPng);
    ASSERT_EQ(d.width, 200);
    ASSERT_EQ(d.height, 150);
    EXPECT_TRUE(ColorNear(d.At(100, 75), kRed, 0));
    EXPECT_TRUE(ColorNear(d.At(45, 74), shown, 8));

    // The window still shows its picture.
    ASSERT_TRUE(context_.MakeCurrent(view_.get()));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 45, 75), shown, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 100, 75), kRed, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 10, 10), corner, 8));
    green.Remove();
}

// A save that cannot give the picture asked for answers false and writes nothing: a crop wholly
// outside the viewport, and the view of a window of no size.
TEST_F(DsImageFormatsGLTest, ACropOutsideTheViewOrAWindowOfNoSizeSavesNothing)
{
    Show(100, 50, Picture(100, 50, true), 100, 50);
    for (CRect crop : {CRect(150, 0, 300, 40), CRect(0, -60, 100, -10), CRect(40, 10, 40, 30)}) {
        SCOPED_TRACE(crop.left);
        const std::string path = dir_ + "/outside.png";
        EXPECT_FALSE(Save(eDsImageFormatPng, path, 1.0, &crop));
        EXPECT_FALSE(std::ifstream(path).good());
    }
    figure_.reset();
    view_.reset();

    // A host's window made with no width and height: its view has an empty viewport.
    window_ = std::make_unique<vyrtest::FrameworkWindow>(0, 0);
    RECT client{1, 1, 1, 1};
    ASSERT_TRUE(GetClientRect(window_->plain.window, &client));
    EXPECT_EQ(client.right - client.left, 0);
    EXPECT_EQ(client.bottom - client.top, 0);
    view_ = std::make_unique<CDsView3dCdc>(&window_->wnd);
    view_->SetGlContext(&context_);
    context_.add_view(view_.get());
    view_->refresh();
    int x = 0, y = 0, w = -1, h = -1;
    view_->get_viewport(x, y, w, h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    const std::string empty = dir_ + "/empty.png";
    EXPECT_FALSE(Save(eDsImageFormatPng, empty));
    EXPECT_FALSE(std::ifstream(empty).good());
}

// UiBitmap: bitmaps load by resource number along the framework's chain of resource modules, from
// a given module and from .bmp files, and a failed load leaves no bitmap; copies keep the picture
// exactly (whatever kind of bitmap it is), and the disabled form of a picture shows its shapes in
// the button shadow colour with a highlight below and to the right, transparent where the picture
// was. Pixels are read back from the bitmaps.
#include "UiBitmap.h"

#include "TestFiles.h"
#include "UiResourceManager.h"

#include <afx.h>
#include <windows.h>
#include <vyrwin_codec.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// COLORREF values (red lowest).
const COLORREF kMagenta = RGB(255, 0, 255), kBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0);

// The colour of pixel (x, y), counted from the top left, of a bitmap not selected elsewhere.
COLORREF PixelOf(const CBitmap& bitmap, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, static_cast<HBITMAP>(bitmap.GetSafeHandle()));
    const COLORREF color = old ? GetPixel(dc, x, y) : CLR_INVALID;
    if (old) SelectObject(dc, old);
    DeleteDC(dc);
    return color;
}

// A w x h 32-bit device-dependent bitmap of one colour, with a block of another colour from
// (x0, y0) to (x1, y1) inclusive, counted from the top left.
bool MakePicture(UiBitmap& bitmap, int w, int h, COLORREF fill, COLORREF block, int x0, int y0, int x1, int y1)
{
    std::vector<uint8_t> bits(size_t(w * h * 4), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = x >= x0 && x <= x1 && y >= y0 && y <= y1 ? block : fill;
            uint8_t* p = &bits[size_t((y * w + x) * 4)];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    return bitmap.CreateBitmap(w, h, 1, 32, bits.data()) != FALSE;
}

}  // namespace

TEST(UiBitmapTest, CopiesKeepThePictureWhateverKindOfBitmapItIs)
{
    // A device-dependent bitmap.
    UiBitmap picture;
    ASSERT_TRUE(MakePicture(picture, 5, 4, kMagenta, kBlue, 1, 0, 2, 1));
    UiBitmap copy;
    ASSERT_TRUE(copy.CopyFrom(picture));
    EXPECT_NE(copy.GetSafeHandle(), picture.GetSafeHandle());
    EXPECT_EQ(PixelOf(copy, 1, 0), kBlue);
    EXPECT_EQ(PixelOf(copy, 2, 1), kBlue);
    EXPECT_EQ(PixelOf(copy, 3, 3), kMagenta);
    EXPECT_EQ(copy.GetResourceId(), UiBitmap::kNoResource);

    // A bottom-up 24-bit section of 3 x 2 (rows of 9 bytes padded to 12): top row red, bottom blue.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = 2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    UiBitmap section;
    ASSERT_TRUE(section.Attach(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0)));
    uint8_t* rows = static_cast<uint8_t*>(bits);
    for (int x = 0; x < 3; ++x) {
        rows[3 * x + 0] = 255;       // first stored row (the bottom one): blue
        rows[12 + 3 * x + 2] = 255;  // second stored row (the top one): red
    }
    ASSERT_TRUE(copy.CopyFrom(section));
    EXPECT_EQ(PixelOf(copy, 0, 0), kRed);
    EXPECT_EQ(PixelOf(copy, 2, 1), kBlue);

    // An 8-bit section with its own colour table: the colours, not the indexes, are kept.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } indexed{};
    indexed.header = info.bmiHeader;
    indexed.header.biBitCount = 8;
    indexed.header.biHeight = -2;  // top-down
    indexed.header.biClrUsed = 2;
    indexed.colors[0] = RGBQUAD{0, 200, 0, 0};
    indexed.colors[1] = RGBQUAD{10, 20, 30, 0};
    UiBitmap palettized;
    ASSERT_TRUE(palettized.Attach(
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&indexed), DIB_RGB_COLORS, &bits, nullptr, 0)));
    static_cast<uint8_t*>(bits)[1] = 1;  // top row, second pixel
    ASSERT_TRUE(copy.CopyFrom(palettized));
    EXPECT_EQ(PixelOf(copy, 0, 0), RGB(0, 200, 0));
    EXPECT_EQ(PixelOf(copy, 1, 0), RGB(30, 20, 10));

    // Nothing to copy: no bitmap afterwards, and a failure answered.
    UiBitmap empty;
    EXPECT_FALSE(copy.CopyFrom(empty));
    EXPECT_EQ(copy.GetSafeHandle(), nullptr);
    EXPECT_FALSE(copy.CopyFrom(copy));  // itself, with nothing to copy
}

TEST(UiBitmapTest, TheDisabledImageEmbossesTheShapesAndKeepsTheTransparentColour)
{
    // 8 x 8 of magenta (the transparent colour, top left) with a blue 3 x 3 block at (2, 2).
    UiBitmap image;
    ASSERT_TRUE(MakePicture(image, 8, 8, kMagenta, kBlue, 2, 2, 4, 4));
    ASSERT_TRUE(image.CreateDisabledImage());
    BITMAP description{};
    ASSERT_EQ(image.GetBitmap(&description), int(sizeof(BITMAP)));
    EXPECT_EQ(description.bmWidth, 8);
    EXPECT_EQ(description.bmHeight, 8);

    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            COLORREF expected = kMagenta;
            if (x >= 2 && x <= 4 && y >= 2 && y <= 4)
                expected = shadow;
            else if (x >= 3 && x <= 5 && y >= 3 && y <= 5)
                expected = highlight;  // the block moved one pixel right and down
            EXPECT_EQ(PixelOf(image, x, y), expected) << "pixel " << x << ", " << y;
        }
    EXPECT_EQ(image.GetResourceId(), UiBitmap::kNoResource);
}

TEST(UiBitmapTest, TheDisabledImageIsRefusedWithoutAFreeBitmap)
{
    UiBitmap none;
    EXPECT_FALSE(none.CreateDisabledImage());
    EXPECT_EQ(none.GetSafeHandle(), nullptr);

    // A bitmap held by a device context stays as it is.
    UiBitmap image;
    ASSERT_TRUE(MakePicture(image, 4, 4, kMagenta, kBlue, 1, 1, 2, 2));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, static_cast<HBITMAP>(image.GetSafeHandle()));
    HGDIOBJ held = image.GetSafeHandle();
    EXPECT_FALSE(image.CreateDisabledImage());
    EXPECT_EQ(image.GetSafeHandle(), held);
    EXPECT_EQ(GetPixel(dc, 1, 1), kBlue);
    SelectObject(dc, old);
    DeleteDC(dc);
}

namespace {

// Addresses that stand for modules of the test's own: resource lookups key on the handle only.
const char sModuleA = 0, sModuleB = 0;

// One-bit pictures: 10 x 3, with the left and right pixels of row 0, pixel 8 of row 1 and row 2
// whole set (rows from the top, padded to 16-bit words); and 3 x 1 with the middle pixel set.
const uint8_t kTenByThree[] = {0x80, 0x40, 0x00, 0x80, 0xFF, 0xC0};
const uint8_t kThreeByOne[] = {0x40, 0x00};

// The resource modules, the chain and the core's resource switch as a test found them, given
// back after it; a module of the test's own joins the chain for the test when asked.
class UiBitmapLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resourceHandle_ = AfxGetResourceHandle();
        remembered_ = gUiRememberedResourceHandle;
        coreModule_ = gUiResourceManager.GetModuleHandle();
    }
    void TearDown() override
    {
        if (chained_) AfxTermExtensionModule(chain_);
        VyrUnregisterModule(ModuleA());
        VyrUnregisterModule(ModuleB());
        AfxSetResourceHandle(resourceHandle_);
        gUiRememberedResourceHandle = remembered_;
        gUiResourceManager.SetModuleHandle(coreModule_);
    }

    static HMODULE ModuleA() { return reinterpret_cast<HMODULE>(const_cast<char*>(&sModuleA)); }
    static HMODULE ModuleB() { return reinterpret_cast<HMODULE>(const_cast<char*>(&sModuleB)); }

    // Registers the 10 x 3 picture as bitmap `id` of `module`.
    static void Register(HMODULE module, UINT id, bool small = false)
    {
        const VYR_BITMAP_RESOURCE table[] = {small ? VYR_BITMAP_RESOURCE{id, 3, 1, 1, kThreeByOne}
                                                   : VYR_BITMAP_RESOURCE{id, 10, 3, 1, kTenByThree}};
        ASSERT_TRUE(VyrRegisterBitmapTable(module, table, 1));
    }
    // Module A joins the framework's chain of resource modules.
    void ChainModuleA()
    {
        ASSERT_TRUE(AfxInitExtensionModule(chain_, ModuleA()));
        new CDynLinkLibrary(chain_);
        chained_ = true;
    }

    HINSTANCE resourceHandle_ = nullptr, remembered_ = nullptr, coreModule_ = nullptr;
    AFX_EXTENSION_MODULE chain_ = {FALSE, nullptr, nullptr};
    bool chained_ = false;
};

// Width and height of the bitmap held; (0, 0) without one.
std::pair<int, int> SizeOf(const UiBitmap& bitmap)
{
    BITMAP description{};
    if (!bitmap.GetSafeHandle() || bitmap.GetBitmap(&description) != int(sizeof description)) return {0, 0};
    return {description.bmWidth, description.bmHeight};
}

// Writes `bytes` to a file of a fresh scratch folder and answers its wide path.
std::wstring WriteFile(const std::string& name, const std::string& bytes)
{
    const std::string path = vyrtest::ScratchDir() + "/" + name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return vyrwin::WideFromUtf8(path);
}

void Put16(std::string& out, uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void Put32(std::string& out, uint32_t v)
{
    Put16(out, uint16_t(v & 0xFFFF));
    Put16(out, uint16_t(v >> 16));
}

// A 3 x 2 24-bit .bmp file, rows stored bottom-up: top row red, green, blue; bottom row white,
// black, (10, 20, 30).
std::string ThreeByTwoBmp()
{
    const uint8_t top[] = {0, 0, 255, 0, 255, 0, 255, 0, 0};  // B, G, R
    const uint8_t bottom[] = {255, 255, 255, 0, 0, 0, 30, 20, 10};
    std::string pixels;
    for (const uint8_t* row : {bottom, top}) {
        pixels.append(reinterpret_cast<const char*>(row), 9);
        pixels.append(3, '\0');  // rows padded to 4 bytes
    }
    std::string file = "BM";
    Put32(file, uint32_t(14 + 40 + pixels.size()));
    Put32(file, 0);
    Put32(file, 14 + 40);
    Put32(file, 40);  // BITMAPINFOHEADER
    Put32(file, 3);
    Put32(file, 2);
    Put16(file, 1);
    Put16(file, 24);
    Put32(file, 0);  // BI_RGB
    Put32(file, uint32_t(pixels.size()));
    Put32(file, 2835);
    Put32(file, 2835);
    Put32(file, 0);
    Put32(file, 0);
    return file + pixels;
}

}  // namespace

TEST_F(UiBitmapLoadTest, ARegisteredBitmapLoadsByIdThroughTheResourceChain)
{
    Register(ModuleA(), 700);
    ChainModuleA();
    ASSERT_NE(AfxGetResourceHandle(), ModuleA());

    UiBitmap bitmap(700, 0);
    ASSERT_NE(bitmap.GetSafeHandle(), nullptr);
    EXPECT_EQ(bitmap.GetResourceId(), 700u);
    BITMAP description{};
    ASSERT_EQ(bitmap.GetBitmap(&description), int(sizeof description));
    EXPECT_EQ(description.bmWidth, 10);
    EXPECT_EQ(description.bmHeight, 3);
    EXPECT_EQ(description.bmBitsPixel, 1);
    uint8_t bits[6] = {};
    ASSERT_EQ(bitmap.GetBitmapBits(sizeof bits, bits), sizeof bits);
    EXPECT_EQ(std::vector<uint8_t>(bits, bits + 6), std::vector<uint8_t>(kTenByThree, kTenByThree + 6));
    EXPECT_NE(AfxGetResourceHandle(), ModuleA());  // the lookup switched nothing

    // The number is the id's low 16 bits; the id is kept whole.
    Register(ModuleA(), 701, true);
    EXPECT_TRUE(bitmap.LoadById(0x20000u | 701u, 1));
    EXPECT_EQ(SizeOf(bitmap), std::make_pair(3, 1));
    EXPECT_EQ(bitmap.GetResourceId(), 0x20000u | 701u);
    // By name: a number written "#700", or the number as a name.
    EXPECT_TRUE(bitmap.LoadBitmap(L"#700", false));
    EXPECT_EQ(SizeOf(bitmap), std::make_pair(10, 3));
    EXPECT_EQ(bitmap.GetResourceId(), UiBitmap::kNamedResource);
    EXPECT_TRUE(bitmap.LoadBitmap(MAKEINTRESOURCEW(701), true));
    EXPECT_EQ(SizeOf(bitmap), std::make_pair(3, 1));

    // The host's point markers are found the same way.
    const UiBitmap marker(574, 1);
    EXPECT_EQ(SizeOf(marker), std::make_pair(11, 11));
}

TEST_F(UiBitmapLoadTest, AFailedLoadLeavesNoBitmapAndAnswersFailure)
{
    Register(ModuleA(), 700);
    ChainModuleA();

    const UiBitmap none(UiBitmap::kNoResource, 1);
    EXPECT_EQ(none.GetSafeHandle(), nullptr);
    EXPECT_EQ(none.GetResourceId(), UiBitmap::kNoResource);
    const UiBitmap missing(799, 1);
    EXPECT_EQ(missing.GetSafeHandle(), nullptr);
    EXPECT_EQ(missing.GetResourceId(), 799u);

    // The picture held before goes: it never stands under the new id.
    UiBitmap bitmap(700, 0);
    ASSERT_NE(bitmap.GetSafeHandle(), nullptr);
    EXPECT_FALSE(bitmap.LoadById(799, 0));
    EXPECT_EQ(bitmap.GetSafeHandle(), nullptr);
    EXPECT_EQ(bitmap.GetResourceId(), 799u);
    EXPECT_FALSE(bitmap.LoadById(0, 0));  // number 0 names nothing
    EXPECT_FALSE(bitmap.LoadBitmap(L"NoSuchBitmap", true));
    EXPECT_EQ(bitmap.GetResourceId(), UiBitmap::kNamedResource);
    EXPECT_FALSE(bitmap.LoadBitmap(nullptr, false));
    EXPECT_FALSE(bitmap.LoadBitmap(L"#70x", false));
    EXPECT_EQ(bitmap.GetSafeHandle(), nullptr);

    // A bitmap selected into a device context cannot be given up: the load changes nothing.
    ASSERT_TRUE(bitmap.LoadById(700, 0));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, static_cast<HBITMAP>(bitmap.GetSafeHandle()));
    HGDIOBJ held = bitmap.GetSafeHandle();
    EXPECT_FALSE(bitmap.LoadById(574, 0));
    EXPECT_FALSE(bitmap.LoadFromModule(574, ModuleA()));
    EXPECT_FALSE(bitmap.LoadFromFile(L"/nonexistent/picture.bmp"));
    EXPECT_EQ(bitmap.GetSafeHandle(), held);
    EXPECT_EQ(bitmap.GetResourceId(), 700u);
    SelectObject(dc, old);
    DeleteDC(dc);

    // No module to load from.
    EXPECT_FALSE(bitmap.LoadFromModule(700, nullptr));
    EXPECT_EQ(bitmap.GetSafeHandle(), held);
}

TEST_F(UiBitmapLoadTest, AModuleOutsideTheChainLoadsWhenItIsMadeCurrent)
{
    Register(ModuleB(), 702);  // not in the chain
    const HINSTANCE current = AfxGetResourceHandle();
    UiBitmap bitmap;
    EXPECT_FALSE(bitmap.LoadById(702, 0));
    EXPECT_TRUE(bitmap.LoadFromModule(702, ModuleB()));
    EXPECT_EQ(SizeOf(bitmap), std::make_pair(10, 3));
    EXPECT_EQ(bitmap.GetResourceId(), 702u);
    EXPECT_EQ(AfxGetResourceHandle(), current);  // given back
    // The module's own bitmap comes before the chain's; one it lacks is still found along it.
    Register(ModuleB(), 574, true);
    EXPECT_TRUE(bitmap.LoadFromModule(574, ModuleB()));
    EXPECT_EQ(SizeOf(bitmap), std::make_pair(3, 1));
    EXPECT_TRUE(bitmap.LoadFromModule(573, ModuleB()));
    EXPECT_EQ(SizeOf(bitmap), std::make_pair(17, 17));
    EXPECT_EQ(AfxGetResourceHandle(), current);
}

TEST_F(UiBitmapLoadTest, SwitchingToTheCoresResourcesGivesBackWhatWasCurrent)
{
    // The core's module stands in as module B, outside the chain: only a switch finds its bitmap.
    Register(ModuleB(), 703);
    gUiResourceManager.SetModuleHandle(ModuleB());
    gUiRememberedResourceHandle = nullptr;
    const HINSTANCE host = AfxGetResourceHandle();
    UiBitmap bitmap;
    EXPECT_FALSE(bitmap.LoadById(703, 0));
    EXPECT_TRUE(bitmap.LoadById(703, 1));
    EXPECT_EQ(AfxGetResourceHandle(), host);
    EXPECT_EQ(gUiRememberedResourceHandle, host);  // the resource manager remembered it

    // The host then makes another module current: a later switch gives that one back, not the
    // one remembered at the first switch.
    AfxSetResourceHandle(ModuleA());
    EXPECT_TRUE(bitmap.LoadById(703, 1));
    EXPECT_EQ(AfxGetResourceHandle(), ModuleA());
    // The core's resources already current: nothing to switch, nothing changed.
    AfxSetResourceHandle(ModuleB());
    EXPECT_TRUE(bitmap.LoadBitmap(MAKEINTRESOURCEW(703), true));
    EXPECT_EQ(AfxGetResourceHandle(), ModuleB());
    EXPECT_EQ(gUiRememberedResourceHandle, host);
}

TEST_F(UiBitmapLoadTest, ABmpFileLoadsAsASectionOfItsOwnSize)
{
    Register(ModuleA(), 700);
    ChainModuleA();
    UiBitmap bitmap(700, 0);
    ASSERT_TRUE(bitmap.LoadFromFile(WriteFile("picture.bmp", ThreeByTwoBmp()).c_str()));
    EXPECT_EQ(bitmap.GetResourceId(), UiBitmap::kNoResource);
    DIBSECTION section{};
    ASSERT_EQ(::GetObjectW(static_cast<HBITMAP>(bitmap.GetSafeHandle()), sizeof section, &section),
              int(sizeof section));
    EXPECT_EQ(section.dsBm.bmWidth, 3);
    EXPECT_EQ(section.dsBm.bmHeight, 2);
    EXPECT_EQ(PixelOf(bitmap, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(bitmap, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(PixelOf(bitmap, 2, 0), RGB(0, 0, 255));
    EXPECT_EQ(PixelOf(bitmap, 0, 1), RGB(255, 255, 255));
    EXPECT_EQ(PixelOf(bitmap, 1, 1), RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(bitmap, 2, 1), RGB(10, 20, 30));

    // A file that is no bitmap, one cut short, none at all: failure, and no bitmap.
    const std::string whole = ThreeByTwoBmp();
    for (const std::wstring& name : {WriteFile("garbage.bmp", std::string("\x01\x02 not a bitmap at all")),
                                     WriteFile("short.bmp", whole.substr(0, whole.size() - 7)),
                                     WriteFile("empty.bmp", std::string()), std::wstring(L"/nonexistent/x.bmp"),
                                     std::wstring()}) {
        ASSERT_TRUE(bitmap.LoadFromFile(WriteFile("again.bmp", whole).c_str()));
        EXPECT_FALSE(bitmap.LoadFromFile(name.c_str()));
        EXPECT_EQ(bitmap.GetSafeHandle(), nullptr);
        EXPECT_EQ(bitmap.GetResourceId(), UiBitmap::kNoResource);
    }
    EXPECT_FALSE(bitmap.LoadFromFile(nullptr));
}

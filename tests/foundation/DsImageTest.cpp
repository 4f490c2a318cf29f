// Pictures in memory and JPEG files: the padded block, the pixels at its edges, the picture handed
// over by its callers, loads of good, broken and foreign files, and what a save does to what
// stands at its path (links, folders, FIFOs, permission bits, failed writes).
#include "DataFileStream.h"
#include "DsGeometryComputer.h"
#include "DsImage.h"
#include "DsImageFormatsConvertor.h"
#include "DsItemImage.h"
#include "DsRectangle3d.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "VyrString.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <set>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using vyrtest::ReadFileBytes;
using vyrtest::ScratchDir;

namespace {

const uint32_t kRed = 0xFF0000FF, kGreen = 0xFF00FF00, kBlue = 0xFFFF0000, kYellow = 0xFF00FFFF;

// A w x h picture of four quadrants, bottom row first: red bottom-left, green bottom-right,
// blue top-left, yellow top-right.
uint32_t* Quadrants(int w, int h)
{
    auto* pixels = new uint32_t[size_t(w) * size_t(h)];
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[size_t(y) * size_t(w) + size_t(x)] = y < h / 2 ? (x < w / 2 ? kRed : kGreen) : (x < w / 2 ? kBlue : kYellow);
    return pixels;
}

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Writes a w x h JPEG of the quadrants (rows from the top: blue and yellow above, red and green
// below) one row at a time, so that no picture of that size is ever held in memory.
bool WriteQuadrantsJpeg(const std::string& path, int w, int h)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = JDIMENSION(w);
    info.image_height = JDIMENSION(h);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(w) * 3);
    for (int y = 0; y < h; ++y) {
        const bool top = y < h / 2;
        for (int x = 0; x < w; ++x) {
            const uint32_t c = top ? (x < w / 2 ? kBlue : kYellow) : (x < w / 2 ? kRed : kGreen);
            for (int k = 0; k < 3; ++k) row[size_t(x) * 3 + size_t(k)] = JSAMPLE(c >> (8 * k));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(out) == 0;
}

class DsImageFilesTest : public ::testing::Test {
protected:
    std::vector<std::string> Warnings() const
    {
        CDsGeometryComputer::FlushWarnings();
        std::vector<std::string> lines;
        std::istringstream in(ReadFileBytes(dir_ + "/DisplayDebugWarnings.txt"));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // A saved 100 x 50 JPEG of the quadrants.
    std::string SavedJpeg()
    {
        CDsImage image(100, 50, Quadrants(100, 50), false);
        CVyrString file((dir_ + "/quadrants.jpg").c_str());
        EXPECT_TRUE(CDsImageFormatsConvertor::Instance()->SaveImageToJPG(&image, file));
        return dir_ + "/quadrants.jpg";
    }

    // Saves a 100 x 50 JPEG of the quadrants to `path`.
    static bool SaveQuadrants(const std::string& path)
    {
        CDsImage image(100, 50, Quadrants(100, 50), false);
        CVyrString file(path.c_str());
        return CDsImageFormatsConvertor::Instance()->SaveImageToJPG(&image, file);
    }
    // True when `path` is a 100 x 50 JPEG (as SaveQuadrants writes).
    static bool HoldsQuadrants(const std::string& path)
    {
        CDsImage loaded;
        int w = 0, h = 0;
        if (!CDsImageFormatsConvertor::Instance()->LoadImageW(CVyrString(path.c_str()), loaded)) return false;
        loaded.GetOriginalDimensions(w, h);
        return w == 100 && h == 50;
    }
    // The names in a folder.
    static std::set<std::string> FilesIn(const std::string& folder)
    {
        std::set<std::string> names;
        if (DIR* d = opendir(folder.c_str())) {
            while (dirent* entry = readdir(d))
                if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                    names.insert(entry->d_name);
            closedir(d);
        }
        return names;
    }
    // What a link leads to, empty when `path` is no link.
    static std::string LinkText(const std::string& path)
    {
        char text[4096];
        const ssize_t n = readlink(path.c_str(), text, sizeof text);
        return n > 0 ? std::string(text, size_t(n)) : std::string();
    }
    // A new folder in the scratch folder.
    std::string Folder(const char* name) const
    {
        const std::string folder = dir_ + "/" + name;
        EXPECT_EQ(mkdir(folder.c_str(), 0755), 0);
        return folder;
    }

    std::string dir_ = ScratchDir();
    vyrtest::ScopedEnv tmp_{"TMPDIR", dir_.c_str()};
};

// Sets the process umask for a scope.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : m_old(umask(mask)) {}
    ~ScopedUmask() { umask(m_old); }

private:
    mode_t m_old;
};

// Limits the size of files the process may write for a scope (writes beyond it fail with EFBIG
// rather than raising SIGXFSZ).
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~ScopedFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_signal);
    }
    bool Set() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_signal)(int) = nullptr;
    bool m_set = false;
};

}  // namespace

TEST(DsImageTest, APictureIsPaddedToPowersOfTwoAndKeepsItsOwnSize)
{
    CDsImage image(100, 50, Quadrants(100, 50), false);
    EXPECT_EQ(image.GetWidth(), 128);
    EXPECT_EQ(image.GetHeight(), 64);
    EXPECT_FLOAT_EQ(image.GetWidthRatio(), 0.78125f);
    EXPECT_FLOAT_EQ(image.GetHeightRatio(), 0.78125f);
    int w = 0, h = 0;
    image.GetOriginalDimensions(w, h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    // The bare picture is placed bottom row first in the lower-left corner; the rest is padding.
    uint32_t p = 0;
    ASSERT_TRUE(image.GetPixel(0, 0, p));
    EXPECT_EQ(p, kRed);
    ASSERT_TRUE(image.GetPixel(99, 0, p));
    EXPECT_EQ(p, kGreen);
    ASSERT_TRUE(image.GetPixel(0, 49, p));
    EXPECT_EQ(p, kBlue);
    ASSERT_TRUE(image.GetPixel(99, 49, p));
    EXPECT_EQ(p, kYellow);
    ASSERT_TRUE(image.GetPixel(100, 0, p));
    EXPECT_EQ(p, 0u);
    ASSERT_TRUE(image.GetPixel(0, 50, p));
    EXPECT_EQ(p, 0u);

    EXPECT_EQ(CDsImage::ComputeOpenGlStandardTextureDimension(1), 1);
    EXPECT_EQ(CDsImage::ComputeOpenGlStandardTextureDimension(128), 128);
    EXPECT_EQ(CDsImage::ComputeOpenGlStandardTextureDimension(129), 256);
    EXPECT_EQ(CDsImage::ComputeOpenGlStandardTextureDimension(0), 0);
}

TEST(DsImageTest, EdgeSizesAndPixelsOutsideTheBlock)
{
    CDsImage one(1, 1, new uint32_t[1]{kGreen}, false);
    EXPECT_EQ(one.GetWidth(), 1);
    EXPECT_EQ(one.GetHeight(), 1);
    CDsImage none(0, 5, new uint32_t[1]{0}, false);
    EXPECT_EQ(none.GetWidth(), 0);
    EXPECT_FLOAT_EQ(none.GetWidthRatio(), 1.0f);
    EXPECT_TRUE(none.IsEmpty());

    CDsImage image(100, 50, Quadrants(100, 50), false);
    image.SetPixel(128, 0, kBlue);   // the block's width: nothing
    image.SetPixel(kBlue, -1, 3);    // nothing
    image.SetPixel(5, 64, kBlue);    // nothing
    uint32_t p = 0x12345678;
    EXPECT_FALSE(image.GetPixel(128, 0, p));
    EXPECT_FALSE(image.GetPixel(0, -1, p));
    EXPECT_FALSE(image.GetPixel(0, 64, p));
    EXPECT_EQ(p, 0x12345678u);
    image.SetPixel(127, 63, kBlue);
    ASSERT_TRUE(image.GetPixel(127, 63, p));
    EXPECT_EQ(p, kBlue);
    EXPECT_FALSE(CDsImage().GetPixel(0, 0, p));
}

TEST(DsImageTest, AbsurdSizesAreRefusedBeforeAnythingIsAllocated)
{
    CDsImage image;
    EXPECT_EQ(image.AlocatePixels(100000, 10), nullptr);
    EXPECT_EQ(image.AlocatePixels(8192, 8192), nullptr);  // 64 M pixels, past the limit
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.AlocatePixels(4097, 4096), nullptr);  // one column past it
    EXPECT_NE(image.AlocatePixels(16384, 1024), nullptr);  // the longest side, at the limit
    EXPECT_EQ(image.GetPixelsCount(), 16384 * 1024);
    EXPECT_NE(image.AlocatePixels(4096, 4096), nullptr);
    EXPECT_EQ(image.GetPixelsCount(), 4096 * 4096);
}

TEST(DsImageTest, CopiesOwnTheirPixels)
{
    CDsImage image(100, 50, Quadrants(100, 50), true);
    CDsImage copy(image);
    copy.SetPixel(0, 0, kYellow);
    uint32_t p = 0;
    image.GetPixel(0, 0, p);
    EXPECT_EQ(p, kRed);
    EXPECT_TRUE(copy.GetTransparency());
    CDsImage assigned;
    assigned = copy;
    assigned.GetPixel(0, 0, p);
    EXPECT_EQ(p, kYellow);
    EXPECT_EQ(assigned.GetWidth(), 128);
    assigned.ReleasePixelsAndTexture();
    EXPECT_TRUE(assigned.IsEmpty());
}

TEST_F(DsImageFilesTest, AJpegSavedAndLoadedKeepsItsQuadrantsInBottomUpRows)
{
    const std::string path = SavedJpeg();
    CDsImage loaded(CVyrString(path.c_str()), false);
    int w = 0, h = 0;
    loaded.GetOriginalDimensions(w, h);
    ASSERT_EQ(w, 100);
    ASSERT_EQ(h, 50);
    struct Probe { int x, y; uint32_t color; };
    for (const Probe& probe : {Probe{10, 5, kRed}, Probe{90, 5, kGreen}, Probe{10, 45, kBlue}, Probe{90, 45, kYellow}}) {
        uint32_t p = 0;
        ASSERT_TRUE(loaded.GetPixel(probe.x, probe.y, p));
        EXPECT_TRUE(Near(p, probe.color, 8)) << std::hex << p << " at " << std::dec << probe.x << "," << probe.y;
        EXPECT_EQ(p >> 24, 0xFFu);
    }
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(DsImageFilesTest, EveryPictureSizeThatIsSavedLoadsBackAsAnImageItem)
{
    // 4097 x 2049 pixels is within the limit of what is rendered and saved; its padded block,
    // 8192 x 4096, is twice that limit.
    const int w = 4097, h = 2049;
    ASSERT_LE(int64_t(w) * h, CDsImageFormatsConvertor::kMaxPixels);
    const std::string path = dir_ + "/wide.jpg";
    ASSERT_TRUE(WriteQuadrantsJpeg(path, w, h));

    CDsItemImage item(CDsImage(), CDsRectangle3d(SPAposition(0, 0, 0), SPAposition(2, 0, 0), SPAposition(0, 1, 0)));
    ASSERT_TRUE(item.GetImage().LoadImageW(CVyrString(path.c_str()), false));
    const CDsImage& image = item.GetImage();
    int pw = 0, ph = 0;
    image.GetOriginalDimensions(pw, ph);
    EXPECT_EQ(pw, w);
    EXPECT_EQ(ph, h);
    EXPECT_EQ(image.GetWidth(), 8192);
    EXPECT_EQ(image.GetHeight(), 4096);
    // Rows from the bottom: red and green below; the far corners are the picture's own.
    struct Probe { int x, y; uint32_t color; };
    for (const Probe& probe : {Probe{10, 10, kRed}, Probe{w - 10, 10, kGreen}, Probe{10, h - 10, kBlue},
                               Probe{w - 1, h - 1, kYellow}, Probe{0, 0, kRed}}) {
        uint32_t p = 0;
        ASSERT_TRUE(image.GetPixel(probe.x, probe.y, p));
        EXPECT_TRUE(Near(p, probe.color, 8)) << std::hex << p << " at " << std::dec << probe.x << "," << probe.y;
    }
    uint32_t padding = 1;
    ASSERT_TRUE(image.GetPixel(w, h, padding));
    EXPECT_EQ(padding, 0u);
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(DsImageFilesTest, BrokenAndForeignFilesAnswerFalseLeaveTheImageAndWarnOnce)
{
    const std::string good = ReadFileBytes(SavedJpeg());
    ASSERT_GT(good.size(), 200u);
    CDsImage image(2, 2, new uint32_t[4]{kRed, kRed, kRed, kRed}, false);
    auto unchanged = [&image] {
        uint32_t p = 0;
        return image.GetWidth() == 2 && image.GetPixel(1, 1, p) && p == kRed;
    };

    struct Case { const char* name; std::string bytes; };
    std::string huge = good;
    // The frame header's height and width (SOF0 after FF C0, length, precision): 60000 x 60000.
    const size_t sof = huge.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    huge[sof + 5] = char(0xEA), huge[sof + 6] = char(0x60), huge[sof + 7] = char(0xEA), huge[sof + 8] = char(0x60);
    std::string corrupt = good;
    for (size_t i = good.size() / 2; i < good.size() / 2 + 40; ++i) corrupt[i] = char(0xFF);
    const std::vector<Case> cases = {
        {"empty", ""},
        {"truncated", good.substr(0, good.size() / 2)},
        {"header only", good.substr(0, sof + 20)},
        {"corrupt", corrupt},
        {"text", "this is no picture at all"},
        {"png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(100, '\0')},
        {"huge", huge},
    };
    int expectedWarnings = 0;
    for (const Case& c : cases) {
        const std::string path = dir_ + "/" + c.name + ".jpg";
        WriteBytes(path, c.bytes);
        EXPECT_FALSE(image.LoadImageW(CVyrString(path.c_str()), false)) << c.name;
        EXPECT_TRUE(unchanged()) << c.name;
        EXPECT_EQ(int(Warnings().size()), ++expectedWarnings) << c.name;
    }
    EXPECT_FALSE(image.LoadImageW(CVyrString((dir_ + "/missing.jpg").c_str()), false));
    EXPECT_TRUE(unchanged());
    EXPECT_EQ(int(Warnings().size()), ++expectedWarnings);
}

TEST_F(DsImageFilesTest, AStreamIsReadFromItsStartAndRewound)
{
    const std::string path = SavedJpeg();
    CDataFileStream stream(CVyrString(path.c_str()).GetString());
    ASSERT_TRUE(stream.IsOpen());
    int w = 0, h = 0;
    ASSERT_TRUE(CDsImageFormatsConvertor::Instance()->GetImageDimensions(&stream, w, h));
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    stream.GetFile()->Seek(10, CFile::begin);
    CDsImage image;
    ASSERT_TRUE(CDsImageFormatsConvertor::Instance()->LoadImageW(&stream, image));
    EXPECT_EQ(image.GetWidth(), 128);
    EXPECT_EQ(stream.GetFile()->GetPosition(), 0u);

    CDataFileStream text;
    WriteBytes(dir_ + "/t.jpg", "not a picture");
    ASSERT_TRUE(text.Open(CVyrString((dir_ + "/t.jpg").c_str()).GetString()));
    EXPECT_FALSE(CDsImageFormatsConvertor::Instance()->GetImageDimensions(&text, w, h));
    EXPECT_FALSE(CDsImageFormatsConvertor::Instance()->LoadImageW(&text, image));
    EXPECT_EQ(image.GetWidth(), 128);
    EXPECT_FALSE(CDsImageFormatsConvertor::Instance()->LoadImageW(static_cast<CDataFileStream*>(nullptr), image));
}

TEST_F(DsImageFilesTest, SavingAnEmptyImageOrIntoAMissingFolderWritesNothing)
{
    CDsImage empty;
    CVyrString file((dir_ + "/empty.jpg").c_str());
    EXPECT_FALSE(CDsImageFormatsConvertor::Instance()->SaveImageToJPG(&empty, file));
    EXPECT_FALSE(CDsImageFormatsConvertor::Instance()->SaveImageToJPG(nullptr, file));
    CDsImage image(4, 4, new uint32_t[16](), false);
    CVyrString missing((dir_ + "/no/such/folder/x.jpg").c_str());
    EXPECT_FALSE(CDsImageFormatsConvertor::Instance()->SaveImageToJPG(&image, missing));
    EXPECT_EQ(Warnings().size(), 1u);
    EXPECT_EQ(ReadFileBytes(dir_ + "/empty.jpg"), "");
}

// A save to a symbolic link writes the file the link leads to, beside which its temporary file
// lives, and the link stays as it was; a link that leads nowhere yet makes that file.
TEST_F(DsImageFilesTest, ASaveThroughALinkWritesTheFileItLeadsToAndTheLinkStays)
{
    const std::string pictures = Folder("pictures"), links = Folder("links");
    WriteBytes(pictures + "/real.jpg", "old picture");
    ASSERT_EQ(symlink("../pictures/real.jpg", (links + "/one.jpg").c_str()), 0);
    ASSERT_EQ(symlink("one.jpg", (links + "/two.jpg").c_str()), 0);  // a link to a link
    for (const char* name : {"one.jpg", "two.jpg"}) {
        SCOPED_TRACE(name);
        WriteBytes(pictures + "/real.jpg", "old picture");
        ASSERT_TRUE(SaveQuadrants(links + "/" + name));
        EXPECT_TRUE(HoldsQuadrants(pictures + "/real.jpg"));
        EXPECT_EQ(LinkText(links + "/one.jpg"), "../pictures/real.jpg");
        EXPECT_EQ(LinkText(links + "/two.jpg"), "one.jpg");
        EXPECT_EQ(FilesIn(pictures), std::set<std::string>{"real.jpg"});
        EXPECT_EQ(FilesIn(links), (std::set<std::string>{"one.jpg", "two.jpg"}));
    }

    // A dangling link: the picture is made where it leads, so the link then shows it.
    ASSERT_EQ(symlink((pictures + "/later.jpg").c_str(), (links + "/later.jpg").c_str()), 0);
    ASSERT_TRUE(SaveQuadrants(links + "/later.jpg"));
    struct stat info{};
    ASSERT_EQ(lstat((pictures + "/later.jpg").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_TRUE(HoldsQuadrants(links + "/later.jpg"));
    EXPECT_EQ(LinkText(links + "/later.jpg"), pictures + "/later.jpg");

    // One that leads into a folder that does not exist is a file that cannot be written.
    ASSERT_EQ(symlink("../nowhere/x.jpg", (links + "/lost.jpg").c_str()), 0);
    EXPECT_FALSE(SaveQuadrants(links + "/lost.jpg"));
    EXPECT_EQ(LinkText(links + "/lost.jpg"), "../nowhere/x.jpg");
    EXPECT_EQ(FilesIn(links), (std::set<std::string>{"later.jpg", "lost.jpg", "one.jpg", "two.jpg"}));
    EXPECT_EQ(Warnings().size(), 1u);
}

// What is not a regular file, or a link to one, is never replaced by a picture: a folder, a FIFO
// (which must not block the save either) and links to them answer false, one warning each.
TEST_F(DsImageFilesTest, ASaveOntoAFolderAFifoOrALinkToThemIsRefusedAndChangesNothing)
{
    const std::string place = Folder("place");
    ASSERT_EQ(mkdir((place + "/folder.jpg").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo((place + "/fifo.jpg").c_str(), 0644), 0);
    ASSERT_EQ(symlink("folder.jpg", (place + "/to-folder.jpg").c_str()), 0);
    ASSERT_EQ(symlink("fifo.jpg", (place + "/to-fifo.jpg").c_str()), 0);
    // A reader on the FIFO, so that a save that wrongly opened it for writing would not block.
    const int reader = open((place + "/fifo.jpg").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    int expectedWarnings = 0;
    for (const char* name : {"folder.jpg", "fifo.jpg", "to-folder.jpg", "to-fifo.jpg"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(SaveQuadrants(place + "/" + name));
        EXPECT_EQ(int(Warnings().size()), ++expectedWarnings);
        struct stat info{};
        ASSERT_EQ(lstat((place + "/folder.jpg").c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        ASSERT_EQ(lstat((place + "/fifo.jpg").c_str(), &info), 0);
        EXPECT_TRUE(S_ISFIFO(info.st_mode));
        EXPECT_EQ(LinkText(place + "/to-folder.jpg"), "folder.jpg");
        EXPECT_EQ(LinkText(place + "/to-fifo.jpg"), "fifo.jpg");
        EXPECT_EQ(FilesIn(place), (std::set<std::string>{"fifo.jpg", "folder.jpg", "to-fifo.jpg", "to-folder.jpg"}));
        EXPECT_TRUE(FilesIn(place + "/folder.jpg").empty());
    }
    char byte = 0;
    EXPECT_LE(read(reader, &byte, 1), 0);  // nothing was written into the FIFO
    close(reader);
}

// A replaced file keeps its permission bits; a new one gets those of any new file (0666 less
// the umask).
TEST_F(DsImageFilesTest, ASaveKeepsTheModeOfTheFileItReplacesAndANewFileFollowsTheUmask)
{
    ScopedUmask mask(022);
    const std::string kept = dir_ + "/kept.jpg";
    WriteBytes(kept, "old picture");
    ASSERT_EQ(chmod(kept.c_str(), 0640), 0);
    ASSERT_TRUE(SaveQuadrants(kept));
    EXPECT_TRUE(HoldsQuadrants(kept));
    struct stat info{};
    ASSERT_EQ(stat(kept.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    ScopedUmask narrower(027);
    const std::string fresh = dir_ + "/fresh.jpg";
    ASSERT_TRUE(SaveQuadrants(fresh));
    ASSERT_EQ(stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// A write that fails part way (the file-size limit is reached) answers false and leaves the old
// file whole, at the path and behind a link, with no temporary file left beside it.
TEST_F(DsImageFilesTest, AWriteThatFailsLeavesTheOldBytesAndNoTemporaryFile)
{
    const std::string place = Folder("place");
    WriteBytes(place + "/old.jpg", "old picture");
    ASSERT_EQ(symlink("old.jpg", (place + "/link.jpg").c_str()), 0);
    {
        ScopedFileSizeLimit limit(64);
        ASSERT_TRUE(limit.Set());
        EXPECT_FALSE(SaveQuadrants(place + "/old.jpg"));
        EXPECT_FALSE(SaveQuadrants(place + "/link.jpg"));
        EXPECT_FALSE(SaveQuadrants(place + "/new.jpg"));
    }
    EXPECT_EQ(ReadFileBytes(place + "/old.jpg"), "old picture");
    EXPECT_EQ(LinkText(place + "/link.jpg"), "old.jpg");
    EXPECT_EQ(FilesIn(place), (std::set<std::string>{"link.jpg", "old.jpg"}));
    EXPECT_EQ(Warnings().size(), 3u);
}

// Region picks of bodies under a section find what the window shows of them, in both selection
// modes: a body a section plane or a stepped section (either turn sense) cuts away wholly is found
// by no rectangle; one it cuts partly is found by a rectangle about the part the window shows,
// and not by one that leaves out some of that part; one it leaves whole is found as without it.
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemsBody.h"
#include "DsPickProccessor.h"
#include "HostFixture.h"
#include "VyrComplexSection.h"

#include "SpaTopology.h"
#include "SpaValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

using vyrtest::Host;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 200;

// The blocks, each in a colour of its own (0x00BBGGRR), 10 high, seen from above.
struct SBlock {
    const char* name;
    double x0, y0, x1, y1;
    unsigned color;
};
const SBlock kBlocks[] = {{"A", -40, -15, -10, 15, 0x0000FF},
                          {"B", 10, -15, 40, 15, 0x00FF00},
                          {"C", 0, -40, 40, -25, 0xFF0000},
                          {"D", 25, 25, 40, 40, 0xFF00FF}};

// The stepped section: keeps x > 20 below y = 0 and x > 0 above it, depth 40, over `paths`.
CVyrComplexSection* Stepped(const std::vector<CVyrObjectPath>& paths, int turnSense)
{
    auto* section = new CVyrComplexSection;
    section->m_vertices = {SPAposition(20, -90, 0), SPAposition(20, 0, 0), SPAposition(0, 0, 0),
                           SPAposition(0, 90, 0)};
    section->m_normals = {SPAvector(1, 0, 0), SPAvector(0, 1, 0), SPAvector(1, 0, 0)};
    section->m_depth = 40.0;
    const double box[6] = {-50, -90, -20, 50, 90, 20};
    std::copy(box, box + 6, section->m_box);
    section->m_paths = paths;
    section->m_turnSense = turnSense;
    return section;
}

// 200 x 200 pixels over a field of 100 units, looking down -z.
class RegionPicksUnderSectionsGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_ = std::make_unique<Host>(kSize, kSize);
        host_->Look(ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
        for (const SBlock& block : kBlocks)
            paths_.push_back(host_->PathOf(host_->ShowBlock(SPAposition(block.x0, block.y0, 0),
                                                            SPAposition(block.x1, block.y1, 10), block.color)));
    }

    // Whether the region pick of selection mode 0 (or 2, visible only) between drawable pixels
    // (x1, y1) and (x2, y2) finds block `b`; all it finds in `found`.
    bool Finds(size_t b, int x1, int y1, int x2, int y2, bool visibleOnly, std::vector<CVyrObjectPath>* found = nullptr)
    {
        CDsPickProccessor* picks = host_->Context().GetPickProccessor();
        picks->SetSelectionMode(visibleOnly ? eDsSelectionByBoxVisibleOnly : eDsSelectionByBoxDefault);
        const std::vector<CVyrObjectPath> paths = host_->Region(x1, y1, x2, y2);
        picks->SetSelectionMode(eDsSelectionByBoxDefault);
        if (found) *found = paths;
        return b < paths_.size() && std::find(paths.begin(), paths.end(), paths_[b]) != paths.end();
    }

    // For each block, the box {left, top, right, bottom} (drawable pixels, rows down) of the pixels
    // the window shows it in (its colour's channels 40 above the others); right < left for none.
    std::vector<std::array<int, 4>> Shown()
    {
        const vyrtest::Picture picture = host_->WholeFrame();
        std::vector<std::array<int, 4>> boxes(std::size(kBlocks), {kSize, kSize, -1, -1});
        for (int up = 0; up < kSize; ++up)
            for (int x = 0; x < kSize; ++x)
                for (size_t b = 0; b < boxes.size(); ++b) {
                    int in = 255, out = 0;
                    for (int channel = 0; channel < 3; ++channel) {
                        const int value = picture.At(x, up)[channel];
                        if ((kBlocks[b].color >> (8 * channel)) & 0xFF)
                            in = std::min(in, value);
                        else
                            out = std::max(out, value);
                    }
                    if (in <= out + 40) continue;
                    std::array<int, 4>& box = boxes[b];
                    box = {std::min(box[0], x), std::min(box[1], kSize - 1 - up), std::max(box[2], x),
                           std::max(box[3], kSize - 1 - up)};
                }
        return boxes;
    }

    // In both selection modes: the window's region finds the blocks shown; a rectangle 3 pixels
    // wider than what shows of a block finds it, one that leaves out its left or right 3 pixels
    // does not; nothing finds a block that shows nowhere, not even its whole box widened.
    void ExpectFoundAsShown(const std::vector<bool>& expected)
    {
        const std::vector<std::array<int, 4>> shown = Shown();
        std::vector<CVyrObjectPath> all, found;
        for (size_t b = 0; b < shown.size(); ++b) {
            ASSERT_EQ(shown[b][2] >= shown[b][0], bool(expected[b])) << kBlocks[b].name;
            if (expected[b]) all.push_back(paths_[b]);
        }
        for (const bool visibleOnly : {false, true}) {
            SCOPED_TRACE(visibleOnly ? "visible only" : "mode 0");
            Finds(0, 1, 1, kSize - 2, kSize - 2, visibleOnly, &found);
            EXPECT_EQ(found, all);
            for (size_t b = 0; b < shown.size(); ++b) {
                SCOPED_TRACE(kBlocks[b].name);
                const SBlock& k = kBlocks[b];
                const auto [left, top, right, bottom] = shown[b];
                if (!expected[b]) {
                    // Model (x, y) lies at the drawable pixel (100 + 2x, 100 - 2y).
                    EXPECT_FALSE(Finds(b, 97 + 2 * int(k.x0), 97 - 2 * int(k.y1), 103 + 2 * int(k.x1), 103 - 2 * int(k.y0),
                                       visibleOnly));
                    continue;
                }
                EXPECT_TRUE(Finds(b, left - 3, top - 3, right + 3, bottom + 3, visibleOnly))
                    << left << ", " << top << ", " << right << ", " << bottom;
                EXPECT_FALSE(Finds(b, left - 3, top - 3, right - 6, bottom + 3, visibleOnly));
                EXPECT_FALSE(Finds(b, left + 6, top - 3, right + 3, bottom + 3, visibleOnly));
            }
        }
    }

    std::vector<CVyrObjectPath> paths_;
};

}  // namespace

// Without a section every block is found where it is; a plane keeping x > 5 cuts A away, C partly
// (its part right of x = 5 shows) and leaves B and D whole.
TEST_F(RegionPicksUnderSectionsGLTest, UnderASectionPlaneTheRegionFindsWhatTheWindowShows)
{
    ExpectFoundAsShown({true, true, true, true});
    host_->Context().SetSection(SPAposition(5, 0, 0), SPAvector(1, 0, 0));
    ExpectFoundAsShown({false, true, true, true});
    host_->Context().ResetSection();
}

// The stepped section over every block, each body group drawn in the section's passes as a host
// sets them up. Either turn sense cuts A away and leaves D whole; the sense decides whether the
// area left of x = 20 below y = 0 stays open: turned one way it does, and B and C show whole,
// turned the other C shows right of x = 20 only and B loses its lower left corner.
TEST_F(RegionPicksUnderSectionsGLTest, UnderASteppedSectionTheRegionFindsWhatTheWindowShows)
{
    const auto flag = static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag);
    for (BODY* body : host_->Bodies()) host_->Context().FindDsBody(body)->SetFlag(flag);
    for (const int turnSense : {0, 1}) {
        SCOPED_TRACE("turn sense " + std::to_string(turnSense));
        host_->Context().GetScene()->SetComplexSection(Stepped(paths_, turnSense));
        ExpectFoundAsShown({false, true, true, true});
        host_->Context().GetScene()->SetComplexSection(nullptr);
    }
    for (BODY* body : host_->Bodies()) host_->Context().FindDsBody(body)->ResetFlag(flag);
}

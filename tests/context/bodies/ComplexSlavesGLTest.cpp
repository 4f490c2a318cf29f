// A complex item seen from a host's window: two masters (quads) and two slave lines, one slave on
// both masters and one on the second only. Whatever location state the host gives a master, a
// slave or the complex (marked, highlighted, both, a marked master's slave, hidden and back), in
// every render mode, the refresh that follows shows what a whole frame shows, and what a fresh
// host given the same state shows: a master's state reaches the slaves on it.
#include "DsGeometry.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "DsView3dCdc.h"
#include "HostFixture.h"

#include "SpaValues.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using vyrtest::Host;
using vyrtest::Picture;
using vyrtest::SamePicture;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 100;
constexpr unsigned char kComplexType = 152, kLeafType = 153;
// The complex and its items: masters 11 and 12, slave 13 on both, slave 14 on 12 only.
constexpr int kComplex = 10, kMaster1 = 11, kMaster2 = 12, kSlaveBoth = 13, kSlaveOne = 14;

// A quad (faces, its outline as lines) or a line (a slave's, connecting `connected`) in the plane
// z, drawn with whatever colour the walk sent.
class CShapeGeometry : public CDsGeometry {
public:
    CShapeGeometry(double x0, double y0, double x1, double y1, double z, bool quad, std::vector<int> connected = {})
        : m_x0(x0), m_y0(y0), m_x1(x1), m_y1(y1), m_z(z), m_quad(quad), m_connected(std::move(connected))
    {
    }
    CDsGeometry* Clone() const override { return new CShapeGeometry(*this); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = static_cast<unsigned>(m_connected.size());
        return m_connected.empty() ? nullptr : m_connected.data();
    }
    bool GetBoundBox(SPAbox& box, int) const override
    {
        box = SPAbox(SPAposition(m_x0, m_y0, m_z), SPAposition(m_x1, m_y1, m_z));
        return true;
    }
    bool HasBoundBox(int) const override { return true; }
    int GetDrawPrimitives(int) const override { return m_quad ? eDpFaces | eDpLines : eDpLines; }
    int Draw(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { return 0; }
    void DrawGl(view3d&, eDrawPrimitives kinds, int, int, const CDsDrawContext*) override
    {
        if (m_quad && (kinds & eDpFaces)) {
            glNormal3d(0, 0, 1);
            glBegin(GL_QUADS);
            glVertex3d(m_x0, m_y0, m_z);
            glVertex3d(m_x1, m_y0, m_z);
            glVertex3d(m_x1, m_y1, m_z);
            glVertex3d(m_x0, m_y1, m_z);
            glEnd();
        }
        if (kinds & eDpLines) {
            glBegin(m_quad ? GL_LINE_LOOP : GL_LINES);
            glVertex3d(m_x0, m_y0, m_z);
            if (m_quad) {
                glVertex3d(m_x1, m_y0, m_z);
                glVertex3d(m_x1, m_y1, m_z);
                glVertex3d(m_x0, m_y1, m_z);
            } else {
                glVertex3d(m_x1, m_y1, m_z);
            }
            glEnd();
        }
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

private:
    double m_x0, m_y0, m_x1, m_y1, m_z;
    bool m_quad;
    std::vector<int> m_connected;
};

CDsAttributes Colored(unsigned color)
{
    CDsAttributes attributes;
    attributes.SetColor(color);
    return attributes;
}

// Files the complex into `host`'s model part: the masters side by side, the slave on both
// between them and reaching above and below, the slave on the second below it.
void FileComplex(Host& host)
{
    CDsPartStorage* storage = CDsPartStorage::instance();
    const int part = host.Context().GetScene()->GetDbScene().GetPeerPartId();
    const CVyrObjectId complex(part, kComplex);
    const CDsAttributes red = Colored(0x0000C0), green = Colored(0x00C000), blue = Colored(0xC00000);
    ASSERT_TRUE(storage->AddItem(complex, kComplexType, nullptr, nullptr, nullptr, nullptr, nullptr, true));
    ASSERT_TRUE(storage->AddChildItem(complex, kMaster1, kLeafType, new CShapeGeometry(-40, -20, -4, 20, 0, true),
                                      nullptr, &red, true));
    ASSERT_TRUE(storage->AddChildItem(complex, kMaster2, kLeafType, new CShapeGeometry(4, -20, 40, 20, 0, true),
                                      nullptr, &green, true));
    ASSERT_TRUE(storage->AddSlaveItem(complex, kSlaveBoth, kLeafType,
                                      new CShapeGeometry(0, -35, 0, 35, 1, false, {kMaster1, kMaster2}), nullptr,
                                      &blue, true));
    ASSERT_TRUE(storage->AddSlaveItem(complex, kSlaveOne, kLeafType,
                                      new CShapeGeometry(8, -30, 36, -30, 1, false, {kMaster2}), nullptr, &blue,
                                      true));
}

// What the host does to one location of the complex: a state, or hidden (ForceHide) and shown
// again.
constexpr int kHidden = -1;

struct SChange {
    std::vector<int> ids;  // the location's ids, the complex's first
    int state;             // an EAttribSetIndex, or kHidden
};

void Apply(Host& host, const SChange& change, bool undo)
{
    const int part = host.Context().GetScene()->GetDbScene().GetPeerPartId();
    const CVyrObjectPath path(change.ids.data(), int(change.ids.size()), int(change.ids.size()), part);
    if (change.state == kHidden) {
        if (undo)
            host.Context().ResetHideShow(path);
        else
            host.Context().ForceHide(path);
        return;
    }
    std::vector<CVyrObjectPath> paths = {path};
    host.Context().ModifyLocations(paths, undo ? eAttribSetNormal : static_cast<EAttribSetIndex>(change.state));
}

class ComplexSlavesGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        savedCategory_[0] = CDsPartStorage::sm_Type2Cat[kComplexType];
        savedCategory_[1] = CDsPartStorage::sm_Type2Cat[kLeafType];
        CDsPartStorage::sm_Type2Cat[kComplexType] = eVyrCatComplex;
        CDsPartStorage::sm_Type2Cat[kLeafType] = eVyrCatLeaf;
        HostTest::SetUp();
    }
    void TearDown() override
    {
        HostTest::TearDown();
        CDsPartStorage::sm_Type2Cat[kComplexType] = savedCategory_[0];
        CDsPartStorage::sm_Type2Cat[kLeafType] = savedCategory_[1];
    }
    static void Prepare(Host& host, ERenderMode mode)
    {
        host.Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300));
        host.View().SetRenderMode(mode);
        FileComplex(host);
    }
    unsigned char savedCategory_[2] = {};
};

}  // namespace

TEST_F(ComplexSlavesGLTest, TheRefreshAfterAnyStateOfAMasterASlaveOrTheComplexShowsWhatAWholeFrameAndAFreshHostShow)
{
    std::vector<SChange> changes;
    for (const std::vector<int>& ids : std::vector<std::vector<int>>{
             {kComplex, kMaster1}, {kComplex, kMaster2}, {kComplex, kSlaveBoth}, {kComplex, kSlaveOne}, {kComplex}})
        for (const int state : {int(eAttribSetMark), int(eAttribSetHighlight), int(eAttribSetHighlightMarked),
                                int(eAttribSetMarkedSlave), kHidden})
            changes.push_back({ids, state});
    const ERenderMode modes[] = {eRenderWireframe, eRenderHiddenLines, eRenderPartialHiddenLines, eRenderShade,
                                 eRenderMixed};
    for (const ERenderMode mode : modes) {
        host_ = std::make_unique<Host>(kSize, kSize);
        Prepare(*host_, mode);
        host_->Refresh();
        const Picture plain = host_->Front();
        ASSERT_GT(plain.LitCount(), 300) << "render mode " << int(mode);
        // A pixel of the slave on both masters, above them (rows up).
        int slaveX = 0, slaveY = 0;
        ASSERT_TRUE(host_->PixelOf(SPAposition(0, 30, 1), slaveX, slaveY));
        slaveY = kSize - 1 - slaveY;
        for (const SChange& change : changes) {
            std::string name = "render mode " + std::to_string(int(mode)) + ", path";
            for (int id : change.ids) name += " " + std::to_string(id);
            name += change.state == kHidden ? ", hidden" : ", state " + std::to_string(change.state);
            SCOPED_TRACE(name);
            Apply(*host_, change, false);
            host_->Refresh();
            const Picture refreshed = host_->Front();
            // A master, or the complex, in a special state passes it to the slave on both masters,
            // which every render mode then draws.
            if (change.state != kHidden && change.ids.back() != kSlaveBoth && change.ids.back() != kSlaveOne) {
                EXPECT_TRUE(refreshed.LitNear(slaveX, slaveY, 1)) << "the slave on both masters is drawn";
            }
            EXPECT_TRUE(SamePicture(refreshed, host_->WholeFrame())) << "the refresh against a whole frame";
            {
                Host fresh(kSize, kSize);
                Prepare(fresh, mode);
                Apply(fresh, change, false);
                fresh.Refresh();
                EXPECT_TRUE(SamePicture(refreshed, fresh.Front())) << "the refresh against a fresh host";
            }
            host_->Context().MakeCurrent(&host_->View());
            Apply(*host_, change, true);
            host_->Refresh();
            const Picture back = host_->Front();
            EXPECT_TRUE(SamePicture(back, host_->WholeFrame())) << "given back: the refresh against a whole frame";
            EXPECT_TRUE(SamePicture(back, plain)) << "given back: the refresh against the first frame";
        }
    }
}

TEST_F(ComplexSlavesGLTest, AMasterMarkedDuringAFastRefreshPassesItsStateToItsSlavesInTheFrameAfterIt)
{
    for (const ERenderMode mode : {eRenderShade, eRenderMixed}) {
        SCOPED_TRACE(::testing::Message() << "render mode " << int(mode));
        host_ = std::make_unique<Host>(kSize, kSize);
        Prepare(*host_, mode);
        host_->Refresh();
        const SChange change = {{kComplex, kMaster1}, eAttribSetHighlight};
        host_->View().SetFlag(eDsViewFlagFastRefresh, true);
        host_->Refresh();
        Apply(*host_, change, false);
        host_->Refresh();
        host_->View().SetFlag(eDsViewFlagFastRefresh, false);
        host_->Refresh();
        const Picture refreshed = host_->Front();
        EXPECT_TRUE(SamePicture(refreshed, host_->WholeFrame()));
        Host fresh(kSize, kSize);
        Prepare(fresh, mode);
        Apply(fresh, change, false);
        fresh.Refresh();
        EXPECT_TRUE(SamePicture(refreshed, fresh.Front()));
    }
}

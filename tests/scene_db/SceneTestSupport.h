// Shared pieces of the scene database tests: the fixture that gives every test a fresh store, a
// geometry that counts its deletions, the object types the tests use, and a model built in code.
#pragma once

#include "DsGeometry.h"
#include "DsItems.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "SpaValues.h"
#include "TestResets.h"
#include "VyrObjectPath.h"

#include <gtest/gtest.h>

#include <vector>

// Base of the tests that change the store, the type table or the special attribute sets. They are
// process-wide, so what one test leaves would meet the next one when a binary runs whole; after
// each test this base puts them back as a fresh process has them. Its destructor runs after the
// derived fixture's members are gone, so scenes held as members do not stop the reset.
class CSceneDbTest : public ::testing::Test {
protected:
    ~CSceneDbTest() override
    {
        EXPECT_TRUE(VYR_RESET_FOR_TESTS(CDsPartStorage::ResetForTests)) << "a scene or a walk functor outlived its test";
    }
};

// A geometry with a fixed box and connected item ids; counts live and deleted objects.
class CTestGeometry : public CDsGeometry {
public:
    static inline int sLive = 0;     // objects not yet deleted
    static inline int sDeleted = 0;  // objects deleted so far

    explicit CTestGeometry(const SPAbox& box = SPAbox(), std::vector<int> connected = {}, int primitives = eDpLines)
        : m_box(box), m_connected(std::move(connected)), m_primitives(primitives)
    {
        ++sLive;
    }
    ~CTestGeometry() override
    {
        --sLive;
        ++sDeleted;
    }
    CDsGeometry* Clone() const override { return new CTestGeometry(m_box, m_connected, m_primitives); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = static_cast<unsigned>(m_connected.size());
        return m_connected.empty() ? nullptr : m_connected.data();
    }
    bool GetBoundBox(SPAbox& box, int index) const override
    {
        if (m_box.empty()) return false;
        // A region's geometry bounds its leaf `index` by moving its box `index` units along x.
        box = index == 0 ? m_box
                         : SPAbox(m_box.low() + SPAvector(index, 0, 0), m_box.high() + SPAvector(index, 0, 0));
        return true;
    }
    bool HasBoundBox(int) const override { return !m_box.empty(); }
    int GetDrawPrimitives(int) const override { return m_primitives; }
    int Draw(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { return 0; }
    void DrawGl(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override {}
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

private:
    SPAbox m_box;
    std::vector<int> m_connected;
    int m_primitives;
};

// Object types of the test model, with their categories entered in the store's table.
enum ETestType : unsigned char { kGroupType = 100, kLeafType = 101, kRegionType = 102, kComplexType = 103 };

inline void SetTestCategories()
{
    CDsPartStorage::sm_Type2Cat[kGroupType] = eVyrCatOpenLeaf;
    CDsPartStorage::sm_Type2Cat[kLeafType] = eVyrCatLeaf;
    CDsPartStorage::sm_Type2Cat[kRegionType] = eVyrCatRegion;
    CDsPartStorage::sm_Type2Cat[kComplexType] = eVyrCatComplex;
}

// A unit box at (x, y, z).
inline SPAbox UnitBox(double x, double y, double z)
{
    return SPAbox(SPAposition(x, y, z), SPAposition(x + 1, y + 1, z + 1));
}

// The model: part `kSubPart` holds a group 10 of leaves 11 and 12; a group 20 holding region 21 of
// leaf entries 22 to 25; and a complex 30 with masters 31 and 32 and slaves 33 (on 31 and 32) and
// 34 (on 32). The scene's peer part holds instances 1 (in place) and 2 (moved by 100 along x) of
// it.
struct STestModel {
    static constexpr int kSubPart = 500;
    CDsPartStorage* storage = CDsPartStorage::instance();

    void Build(CDsScene& scene)
    {
        SetTestCategories();
        storage->CreatePart(kSubPart);
        const CVyrObjectId group(kSubPart, 10);
        storage->AddItem(group, kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr, true);
        storage->AddChildItem(group, 11, kLeafType, new CTestGeometry(UnitBox(0, 0, 0)), nullptr, nullptr, true);
        storage->AddChildItem(group, 12, kLeafType, new CTestGeometry(UnitBox(5, 0, 0)), nullptr, nullptr, true);
        storage->AddItem(CVyrObjectId(kSubPart, 20), kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr, true);
        storage->AddChildItem(CVyrObjectId(kSubPart, 20), 21, kRegionType, new CTestGeometry(UnitBox(0, 10, 0)),
                              nullptr, nullptr, true);
        for (int leaf = 22; leaf <= 25; ++leaf)
            storage->AddRegionLeaf(CVyrObjectId(kSubPart, 21), leaf, kLeafType, true);
        const CVyrObjectId complex(kSubPart, 30);
        storage->AddItem(complex, kComplexType, nullptr, nullptr, nullptr, nullptr, nullptr, true);
        storage->AddChildItem(complex, 31, kLeafType, new CTestGeometry(UnitBox(0, 20, 0)), nullptr, nullptr, true);
        storage->AddChildItem(complex, 32, kLeafType, new CTestGeometry(UnitBox(2, 20, 0)), nullptr, nullptr, true);
        storage->AddSlaveItem(complex, 33, kLeafType, new CTestGeometry(UnitBox(1, 20, 0), {31, 32}), nullptr,
                              nullptr, true);
        storage->AddSlaveItem(complex, 34, kLeafType, new CTestGeometry(UnitBox(3, 20, 0), {32}), nullptr, nullptr,
                              true);
        storage->AddPartInstance(CVyrObjectId(scene.GetPeerPartId(), 1), kSubPart, nullptr, nullptr, true);
        const CDsTransform moved(translate_transf(SPAvector(100, 0, 0)));
        storage->AddPartInstance(CVyrObjectId(scene.GetPeerPartId(), 2), kSubPart, &moved, nullptr, true);
    }

    // The path of `ids` (instance first, then `depth` item ids) in the scene's peer part.
    static CVyrObjectPath Path(const CDsScene& scene, std::vector<int> ids, int depth)
    {
        return CVyrObjectPath(ids.data(), static_cast<int>(ids.size()), depth, scene.GetPeerPartId());
    }
};

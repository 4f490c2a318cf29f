// The modeler's entities against the OCCT shapes behind them: lookups both ways and meshes read
// back from OCCT's own arrays. Linked with the modeler's objects, not its shared library.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "EntityDeleter.h"
#include "EntityLists.h"
#include "OcctProbe.h"
#include "SpaBuilders.h"
#include "SpaTopology.h"

namespace {

using vyrtest::BodyPtr;
using vyrtest::Faces;
using vyrtest::LoopCentre;

BodyPtr Block() { return BodyPtr(make_block(0, 0, 0, 4, 3, 2)); }

}  // namespace

TEST(SpaOcct, ShapesAndEntitiesMapBothWays)
{
    BodyPtr block = Block();
    EXPECT_TRUE(OcctProbeLookups(block.get()));
    BodyPtr plate(make_block(0, 0, 0, 1, 1, 1));
    BodyPtr hole(make_cylinder(SPAposition(0.5, 0.5, -1), SPAvector(0, 0, 1), 0.2, 3));
    BodyPtr drilled(subtract_bodies(plate.get(), hole.get()));
    ASSERT_TRUE(drilled);
    EXPECT_TRUE(OcctProbeLookups(drilled.get()));
    EXPECT_FALSE(OcctProbeLookups(nullptr));
}

TEST(SpaOcct, MeshNodesOfABlockFaceAreReadable)
{
    // Reads node positions out of OCCT's triangulation (through its node arrays): each node of
    // a face's mesh lies on that face.
    BodyPtr body(make_block(-1, -2, -3, 1, 2, 3));
    for (FACE* f : Faces(body.get())) {
        std::vector<SPAposition> nodes;
        ASSERT_TRUE(OcctProbeMeshNodes(f, 0.1, nodes));
        ASSERT_GE(nodes.size(), 4u);
        const plane& pl = static_cast<const plane&>(f->geometry()->equation());
        SPAbox box;
        for (const SPAposition& p : nodes) {
            EXPECT_NEAR((p - pl.root_point()) % pl.normal(), 0.0, 1e-9);
            box |= p;
        }
        // The nodes reach the face's corners.
        EXPECT_TRUE(box.contains(LoopCentre(f)));
        int extents = 0;
        for (int i = 0; i < 3; ++i) extents += box.high().coordinate(i) - box.low().coordinate(i) > 1.0;
        EXPECT_EQ(extents, 2);
    }
    std::vector<SPAposition> nodes;
    EXPECT_FALSE(OcctProbeMeshNodes(nullptr, 0.1, nodes));
    EXPECT_FALSE(OcctProbeMeshNodes(Faces(body.get()).front(), 0.0, nodes));
}

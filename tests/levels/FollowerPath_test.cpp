#include "levels/FollowerPath.h"

#include <gtest/gtest.h>

#include "scene/Movement.h"
#include "scene/SceneObject.h"

namespace vlm::levels {
namespace {

TNavPathTable TwoPaths() {
    TNavPathTable table(2);
    table[0].Looped = false;
    table[0].Nodes = {{1.0, 0.0, 0.0, 0.0, 0.0, -90.0, 0.0}, {1.0, 0.0, 0.0, 0.5, 0.0, -80.0, 0.0}};
    table[1].Looped = true;
    table[1].Nodes = {{2.0, 0.5, 1.0, -0.25, 10.0, 20.0, 30.0},
                      {3.0, -0.5, 0.0, 0.25, 0.0, 0.0, 0.0},
                      {1.5, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}};
    return table;
}

TEST(BuildFollowerPath, NodesTakeTheNavNodesUnderThePlayfieldScale) {
    scene::TGLBaseSceneObject follower;
    const TFollowerPath built = BuildFollowerPath(follower, TwoPaths(), 1);
    ASSERT_EQ(built.Movement, follower.GetMovement());
    ASSERT_EQ(built.Movement->PathCount(), 1u);
    ASSERT_EQ(built.Path, built.Movement->Path(0));
    EXPECT_TRUE(built.Path->Looped);
    EXPECT_FALSE(built.Path->ShowPath);
    EXPECT_EQ(built.Movement->GetActivePathIndex(), -1);  // waits for the enemy to start it
    ASSERT_EQ(built.Path->Nodes.size(), 3u);
    EXPECT_EQ(built.Node, &built.Path->Nodes.back());

    const scene::TGLPathNode& first = built.Path->Nodes[0];
    EXPECT_FLOAT_EQ(first.Speed, 2.0f);
    EXPECT_FLOAT_EQ(first.Position.x, 3.0f);   // 6 x
    EXPECT_FLOAT_EQ(first.Position.y, 0.1f);   // 0.1 y
    EXPECT_FLOAT_EQ(first.Position.z, -2.0f);  // 8 z
    EXPECT_EQ(first.Rotation, glm::vec3(10.0f, 20.0f, 30.0f));
    EXPECT_EQ(first.Scale, glm::vec3(1.0f));
    EXPECT_FLOAT_EQ(built.Path->Nodes[1].Speed, 3.0f);
}

// Travelled by the scene's movement, the follower passes through the nav file's playfield
// coordinates once its position is divided by the playfield scale.
TEST(BuildFollowerPath, AFollowerFliesThroughTheNavCoordinates) {
    scene::TGLBaseSceneObject follower;
    const TFollowerPath built = BuildFollowerPath(follower, TwoPaths(), 0);
    EXPECT_FALSE(built.Path->Looped);
    built.Movement->SetActivePathIndex(0);
    ASSERT_TRUE(built.Movement->StartPathTravel());
    built.Movement->PathClock = 0.5;
    follower.DoProgress(0.5, 0.5);  // the first travelling frame fixes the start time
    built.Movement->PathClock = 2.5;
    follower.DoProgress(2.0, 2.5);
    // 0.5 scaled by 8 is 4 world units at speed 1: halfway after 2 seconds.
    EXPECT_NEAR(follower.Position.z / 8.0f, 0.25f, 1e-4f);
    EXPECT_NEAR(follower.Position.x / 6.0f, 0.0f, 1e-5f);
}

TEST(BuildFollowerPath, AnUnknownPathNumberGivesAPathThatNeverStarts) {
    for (int number : {-1, 2, 1000}) {
        scene::TGLBaseSceneObject follower;
        follower.Position = glm::vec3(0.3f, 0.0f, 0.2f);
        const TFollowerPath built = BuildFollowerPath(follower, TwoPaths(), number);
        EXPECT_TRUE(built.Path->Nodes.empty());
        EXPECT_EQ(built.Node, nullptr);
        built.Movement->SetActivePathIndex(0);
        EXPECT_FALSE(built.Movement->StartPathTravel());
        built.Movement->PathClock = 3.0;
        follower.DoProgress(3.0, 3.0);
        EXPECT_EQ(follower.Position, glm::vec3(0.3f, 0.0f, 0.2f));
    }
}

} // namespace
} // namespace vlm::levels

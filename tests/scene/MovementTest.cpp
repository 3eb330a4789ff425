#include <gtest/gtest.h>

#include <cmath>

#include "scene/Movement.h"
#include "scene/Objects.h"

using namespace vlm::scene;

namespace {

// A follower under the playfield group, with one path built the way the game builds nav
// paths (positions scaled 6, 0.1, 8).
class Travel : public ::testing::Test {
protected:
    TGLDummyCube field;
    TGLPolygon* follower = nullptr;
    TGLMovement* movement = nullptr;
    TGLMovementPath* path = nullptr;
    int stops = 0;

    void SetUp() override {
        field.Scale = {6.0f, 0.1f, 8.0f};
        follower = field.AddNewChild<TGLPolygon>();
        movement = follower->GetOrCreateMovement();
        path = movement->AddPath();
        movement->OnPathTravelStop = [this](TGLMovement&, TGLMovementPath&) { ++stops; };
    }
    void Node(float speed, glm::vec3 playfield, glm::vec3 rotation = {}) {
        TGLPathNode& n = path->AddNode();
        n.Speed = speed;
        n.Position = {6.0f * playfield.x, 0.1f * playfield.y, 8.0f * playfield.z};
        n.Rotation = rotation;
    }
    bool Start() {
        movement->SetActivePathIndex(0);
        return movement->StartPathTravel();
    }
    // One frame at path clock c.
    void Frame(double c) {
        movement->PathClock = c;
        follower->DoProgress(0.0, 0.0);
    }
};

}  // namespace

TEST_F(Travel, TwoNodesHalfAFieldApartAtSpeedOneTakeFourSeconds) {
    Node(1, {0, 0, 0});
    Node(1, {0, 0, 0.5f});
    ASSERT_TRUE(Start());
    Frame(0.5);  // first travelling frame: the start time
    EXPECT_DOUBLE_EQ(path->StartTime, 0.5);
    EXPECT_FLOAT_EQ(follower->Position.z, 0.0f);
    Frame(2.5);
    EXPECT_NEAR(follower->Position.z, 2.0f, 1e-5f) << "midpoint after 2 s";
    EXPECT_NEAR(follower->Position.z / 8.0f, 0.25f, 1e-6f);
    Frame(4.5);
    EXPECT_NEAR(follower->Position.z, 4.0f, 1e-5f);
    EXPECT_TRUE(path->InTravel()) << "exactly at the end is still the last segment";
    EXPECT_EQ(stops, 0);
    Frame(4.6);
    EXPECT_FALSE(path->InTravel());
    EXPECT_EQ(stops, 1);
    EXPECT_NEAR(follower->Position.z, 4.0f, 1e-5f);
    follower->Position.z = 9.0f;
    Frame(6.0);
    EXPECT_FLOAT_EQ(follower->Position.z, 9.0f) << "a finished path no longer moves its owner";
}

TEST_F(Travel, LinearlyChangingSpeed) {
    Node(1, {0, 0, 0});
    Node(3, {0, 0, 0.5f});
    ASSERT_TRUE(Start());
    Frame(10.0);
    Frame(11.0);
    // 2 s segment, acceleration 1: 1.5 travelled, parameter 0.375.
    EXPECT_NEAR(follower->Position.z, 1.5f, 1e-5f);
    Frame(12.0);
    EXPECT_NEAR(follower->Position.z, 4.0f, 1e-5f);
    Frame(12.01);
    EXPECT_EQ(stops, 1);
}

TEST_F(Travel, LoopedPathIsBackOnTheFirstNodeInTheFrameThatPassesTheEnd) {
    path->Looped = true;
    Node(1, {0, 0, 0}, {0, 10, 0});
    Node(1, {0, 0, 0.5f}, {0, 30, 0});
    ASSERT_TRUE(Start());
    Frame(1.0);
    Frame(3.0);
    EXPECT_NEAR(follower->GetTurnAngle(), 20.0f, 1e-4f);
    Frame(5.2);
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(path->InTravel());
    EXPECT_FLOAT_EQ(follower->Position.z, 0.0f);
    EXPECT_FLOAT_EQ(follower->GetTurnAngle(), 10.0f);
    Frame(5.3);
    EXPECT_DOUBLE_EQ(path->StartTime, 5.3) << "the following frame's clock starts the new lap";
    EXPECT_FLOAT_EQ(follower->Position.z, 0.0f);
    Frame(6.3);
    EXPECT_NEAR(follower->Position.z, 1.0f, 1e-5f);
}

TEST_F(Travel, PathsThatCannotTravelNeverStart) {
    struct Case {
        float speeds[3];
        int count;
    };
    const Case cases[] = {{{1, 0.005f, 1}, 3}, {{1, -0.005f, 1}, 3}, {{1, 0, 0}, 1}};
    for (const Case& c : cases) {
        path->Nodes.clear();
        for (int i = 0; i < c.count; ++i) Node(c.speeds[i], {0, 0, 0.1f * static_cast<float>(i)});
        follower->Position = {7, 7, 7};
        EXPECT_FALSE(Start());
        Frame(1.0);
        Frame(2.0);
        EXPECT_EQ(follower->Position, glm::vec3(7, 7, 7));
    }
    EXPECT_EQ(stops, 0);
}

TEST_F(Travel, ZeroLengthSegmentIsPassedWithoutNaN) {
    Node(1, {0, 0, 0});
    Node(1, {0, 0, 0});
    Node(1, {0, 0, 0.5f});
    ASSERT_TRUE(Start());
    for (double c : {1.0, 1.0, 2.0, 3.0, 5.0, 5.5}) {
        Frame(c);
        EXPECT_TRUE(std::isfinite(follower->Position.z)) << "clock " << c;
    }
    EXPECT_EQ(stops, 1);
    EXPECT_NEAR(follower->Position.z, 4.0f, 1e-5f);
}

TEST_F(Travel, NewNodesCopyThePreviousOne) {
    TGLPathNode& a = path->AddNode();
    EXPECT_EQ(a.Scale, glm::vec3(1, 1, 1));
    EXPECT_FLOAT_EQ(a.Speed, 0.0f);
    a.Speed = 2.0f;
    a.Position = {1, 2, 3};
    TGLPathNode& b = path->AddNode();
    EXPECT_EQ(b.Position, glm::vec3(1, 2, 3));
    EXPECT_FLOAT_EQ(b.Speed, 2.0f);
}

TEST(CubicSpline, NaturalSplineThroughTheNodes) {
    const float ys[] = {0.0f, 2.0f, -1.0f, 4.0f, 4.0f};
    TCubicSpline s;
    s.Build(ys, 5);
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(s.Evaluate(i), ys[i], 1e-5f) << "knot " << i;
    // Worked case: through 0, 1, 0 the tangents are 1.5, 0, -1.5 (2 D0 + D1 = 3,
    // D0 + 4 D1 + D2 = 0, D1 + 2 D2 = -3), so y(0.5) = 0.75 - 0.5 / 8 = 0.6875.
    const float hat[] = {0.0f, 1.0f, 0.0f};
    s.Build(hat, 3);
    EXPECT_NEAR(s.Evaluate(0.5), 0.6875f, 1e-6f);
    EXPECT_NEAR(s.Evaluate(1.5), 0.6875f, 1e-6f);
    EXPECT_NEAR(s.Evaluate(3.0), -1.0f, 1e-5f) << "extrapolates the last segment's cubic";
    // Strided build (as the paths use) gives the same spline.
    const float rows[] = {0.0f, 9.0f, 1.0f, 9.0f, 0.0f, 9.0f};
    TCubicSpline strided;
    strided.Build(rows, 3, 2);
    EXPECT_NEAR(strided.Evaluate(0.5), 0.6875f, 1e-6f);
    // Two values: the chord, also beyond the ends.
    const float two[] = {1.0f, 3.0f};
    s.Build(two, 2);
    EXPECT_NEAR(s.Evaluate(0.25), 1.5f, 1e-6f);
    EXPECT_NEAR(s.Evaluate(-1.0), -1.0f, 1e-6f);
    EXPECT_NEAR(s.Evaluate(1.5), 4.0f, 1e-6f);
}

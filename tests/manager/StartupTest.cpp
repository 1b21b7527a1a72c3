#include "ManagerFixture.h"

TEST_F(ManagerTest, SmokeStart) {
    ASSERT_NE(Start(), nullptr);
    Tick();
    EXPECT_TRUE(App()->Loaded());
}

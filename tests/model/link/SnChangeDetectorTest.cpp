#include "model/link/SnChangeDetector.h"

#include <gtest/gtest.h>

TEST(SnChangeDetector, FirstReadingCountsAndThenOnlyDifferences) {
    CSnChangeDetector detector;
    // Nothing seen yet: even 0, the value of a missing counter, is a change.
    EXPECT_TRUE(detector.HasChanged(0));
    // Asking does not record: a reader whose reload failed sees the change again.
    EXPECT_TRUE(detector.HasChanged(0));
    detector.Record(0);
    EXPECT_FALSE(detector.HasChanged(0));
    EXPECT_TRUE(detector.HasChanged(-1));
    EXPECT_TRUE(detector.HasChanged(1));

    // Take records as it answers.
    EXPECT_TRUE(detector.Take(5));
    EXPECT_FALSE(detector.Take(5));
    EXPECT_TRUE(detector.Take(4)); // smaller counts too: values are not ordered
    EXPECT_FALSE(detector.HasChanged(4));

    // Forgetting makes the next reading a change again, whatever its value.
    detector.Forget();
    EXPECT_TRUE(detector.HasChanged(4));
    EXPECT_TRUE(detector.Take(4));
    EXPECT_FALSE(detector.HasChanged(4));
}

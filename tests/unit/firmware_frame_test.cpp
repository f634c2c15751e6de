#include <gtest/gtest.h>

#include <climits>

#include "link/firmware_transfer.h"

TEST(FirmwareFrame, NextFrameTakesABlockOrWhatIsLeft) {
    // clang-format off
    const struct { int size, position, block, length; bool last; } rows[] = {
        {10000, 0, 4096, 4096, false}, {10000, 8192, 4096, 1808, true},
        {8192, 4096, 4096, 4096, false}, {8192, 8192, 4096, 0, true},  // the empty last frame
        {0, 0, 4096, 0, true}, {511, 0, 512, 511, true}, {512, 0, 512, 512, false},
        // Near 2 GB, where position + block would overflow.
        {INT_MAX, INT_MAX - 100, 4096, 100, true}, {INT_MAX, INT_MAX - 4096, 4096, 4096, false},
        {INT_MAX, INT_MAX, 4096, 0, true}, {INT_MAX - 1, INT_MAX - 512, 512, 511, true}};
    // clang-format on
    for (const auto& row : rows) {
        const FramePlan plan = NextFrame(row.size, row.position, row.block);
        EXPECT_EQ(plan.length, row.length) << row.size << " at " << row.position;
        EXPECT_EQ(plan.last, row.last) << row.size << " at " << row.position;
    }
}

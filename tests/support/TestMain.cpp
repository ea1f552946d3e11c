#include <gtest/gtest.h>

#include "support/ChildProcess.h"

// A test program started again as a child runs its routine and nothing else.
int main(int argc, char** argv) {
    if (const std::optional<int> child = vesk::test::runChildRoutine(argc, argv)) return *child;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

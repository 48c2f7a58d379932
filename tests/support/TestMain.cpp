#include <gtest/gtest.h>

// One main for every test executable, so the environment can be prepared in one place.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

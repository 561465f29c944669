#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    // The process locale from the environment, as the window gets it: numbers must not follow.
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The UI scenario tests: GoogleTest cases that each drive a fresh copy of the program.
#include <gtest/gtest.h>

#include "Options.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!uidriver::ParseOptions(argc, argv)) return 2;
    return RUN_ALL_TESTS();
}

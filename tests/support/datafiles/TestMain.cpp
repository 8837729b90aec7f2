#include <gtest/gtest.h>

#include "ibpp/ibpp.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    IBPP::Shutdown();
    return result;
}

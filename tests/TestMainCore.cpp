#include "TestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    velmora::test::enterSandbox();
    int result = 0;
    {
        QCoreApplication app(argc, argv);
        testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    velmora::test::leaveSandbox();
    return result;
}

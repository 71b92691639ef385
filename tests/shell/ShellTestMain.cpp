#include <QCoreApplication>

#include <gtest/gtest.h>

// The models need an event loop to bring engine outcomes and ticks back.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

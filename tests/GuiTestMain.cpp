#include "TestSupport.h"

#include "devices/StreamClasses.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testsupport::PrepareEnvironment();
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    testsupport::PrepareApplication(settingsDir);
    QApplication::setOrganizationName("Orvane");
    QApplication::setApplicationName("TessivarTests");
    RegisterStreamClasses();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

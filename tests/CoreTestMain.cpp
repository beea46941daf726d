#include "TestSupport.h"

#include "devices/StreamClasses.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testsupport::PrepareEnvironment();
    QGuiApplication app(argc, argv);
    QTemporaryDir settingsDir;
    testsupport::PrepareApplication(settingsDir);
    QGuiApplication::setOrganizationName("Orvane");
    QGuiApplication::setApplicationName("TessivarTests");
    RegisterStreamClasses();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

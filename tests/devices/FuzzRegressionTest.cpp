// Inputs that once made a reader crash, hang or misbehave, kept as they were found, and inputs made
// by hand to hit a reader's limits. Each must be read (".ok.") or refused (".fail.") cleanly by the
// same code the fuzz target runs.
#include "TestSupport.h"

#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <functional>
#include <map>

TEST(FuzzRegressions, EveryKeptInputIsHandledCleanly) {
    const std::map<QString, std::function<bool(const QByteArray&)>> targets = {
        {"circuit", FuzzCircuit},   {"header", FuzzHeader},       {"clipboard", FuzzClipboard},
        {"template", FuzzTemplate}, {"memorymap", FuzzMemoryMap},
    };
    const QDir dir(testsupport::DataPath("regressions"));
    QStringList files = dir.entryList(QDir::Files, QDir::Name);
    files.removeAll("README.md");
    // A folder the test cannot find, or an empty one, would pass without checking anything.
    ASSERT_FALSE(files.isEmpty()) << "no kept inputs in " << dir.path().toStdString();
    for (const QString& name : files) {
        const QString target = name.section('-', 0, 0);
        ASSERT_TRUE(targets.count(target)) << name.toStdString() << " names no fuzz target";
        ASSERT_TRUE(name.contains(".ok.") || name.contains(".fail.")) << name.toStdString();
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const bool read = targets.at(target)(file.readAll());
        EXPECT_EQ(read, name.contains(".ok.")) << name.toStdString();
    }
}

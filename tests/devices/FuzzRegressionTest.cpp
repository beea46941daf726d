// Inputs that once made a reader crash, hang or misbehave, kept as they were found. Each must now
// be read (".ok.") or refused (".fail.") cleanly by the same code the fuzz target runs.
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
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    for (const QString& name : files) {
        if (name == "README.md")
            continue;
        const QString target = name.section('-', 0, 0);
        ASSERT_TRUE(targets.count(target)) << name.toStdString() << " names no fuzz target";
        ASSERT_TRUE(name.contains(".ok.") || name.contains(".fail.")) << name.toStdString();
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const bool read = targets.at(target)(file.readAll());
        EXPECT_EQ(read, name.contains(".ok.")) << name.toStdString();
    }
}

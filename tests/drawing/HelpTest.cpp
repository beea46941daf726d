#include "drawing/Help.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(Help, CallsGoToTheInstalledViewer) {
    QStringList calls;
    SetHelpHandler([&calls](const QString& path, const QString& window, const QString& topic) {
        calls << path + "|" + window + "|" + topic;
    });
    ShowHelpTopic("help.chm", kHelpWindowName, "GateAND.htm");
    ShowHelpFile("help.chm");
    SetHelpHandler({});
    ShowHelpTopic("help.chm", kHelpWindowName, "GateOR.htm");
    ShowHelpFile("help.chm");
    EXPECT_EQ(calls, QStringList({"help.chm|PopWindow|GateAND.htm", "help.chm||"}));
}

TEST(Help, FileLiesInTheProgramFolder) {
    const QFileInfo file(HelpFilePath());
    EXPECT_EQ(file.fileName(), "Tessivar.chm");
    EXPECT_EQ(file.absoluteDir(), QDir(QCoreApplication::applicationDirPath()));
}

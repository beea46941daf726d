// Every command of the editor that writes a file, driven as a user drives it, on a disk that fills
// up: the command says which file and why, the old file stays as it was, and nothing is left beside
// it. The full disk is a file size limit, which also holds for root.
#include "GuiFixture.h"
#include "TestSupport.h"

#include "devices/MemoryDevice.h"
#include "devices/ui/AnalyserForm.h"
#include "devices/ui/EditContentsDialog.h"
#include "shell/DeviceMenu.h"
#include "shell/ExportImageDialog.h"
#include "template_editor/TemplateForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

const QString kReplace = QStringLiteral("Do you want to replace it?");

class SafeSaveGui : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        // Old files are replaced; changes in the template editor are not saved on closing.
        Reply = [](const QString& text) {
            return text.endsWith(kReplace) ? QMessageBox::Yes : QMessageBox::No;
        };
        Dialog = [this](QDialog* dialog) {
            if (dialog == image)
                return RunShown(image, [&] {
                    image->EditFileName->clear();
                    QTest::keyClicks(image->EditFileName, FileAnswer);
                    ClickControl(image, "ButtonOk");
                });
            // The template editor is modal: the session runs while it is shown.
            if (dialog == editor)
                RunShown(editor, [&] {
                    if (Session)
                        Session();
                    Action(editor, "MenuClose")->trigger();
                });
            return true;
        };
        MakeForm();
        history = new TAnalyserForm(form.get());
        contents = new TEditContentsDialog(form.get());
        editor = new TTemplateForm(form.get());
        image = new TExportImageDialog(form.get());
        ShowForm();
    }
    // What the commands told the user, the questions whether to replace a file left out.
    QStringList Complaints() const {
        QStringList complaints;
        for (const QString& message : messages)
            if (!message.endsWith(kReplace))
                complaints << message;
        return complaints;
    }

    TAnalyserForm* history = nullptr;
    TEditContentsDialog* contents = nullptr;
    TTemplateForm* editor = nullptr;
    TExportImageDialog* image = nullptr;
    std::function<void()> Session;
};

} // namespace

TEST_F(SafeSaveGui, EveryFileCommandKeepsTheOldFileOnAFullDisk) {
    ASSERT_TRUE(canvas->LoadFromFile(testsupport::ExamplePath("counter.tvm")));
    emit form->HistoryDevicesChanged();
    TMemoryDevice* rom = nullptr;
    for (int i = 0; i < canvas->CurrentMacro->Devices->ChildCount() && !rom; ++i)
        rom = KindCast<TMemoryDevice>(canvas->CurrentMacro->Devices->Child(i));
    ASSERT_NE(rom, nullptr);
    RightClick(rom);
    form->DeviceMenu->PopEditMemory->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(contents));
    Act("ToolsLogicHistory")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(history));
    for (int i = 0; i < 4; ++i)
        Act("SpeedStep")->trigger();

    struct TCommand {
        const char* File;
        std::function<void()> Run;
    };
    const TCommand commands[] = {
        {"circuit.tvm",
         [&] {
             canvas->FileName.clear();
             QApplication::setActiveWindow(form.get());
             ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
             QTest::keyClick(canvas, Qt::Key_S, Qt::ControlModifier);
         }},
        {"outline.tvt",
         [&] {
             Session = [&] { editor->findChild<QAction*>(QStringLiteral("MenuSaveTemplate"))->trigger(); };
             form->MenuToolsClick();
             Act("ToolsTemplateEditor")->trigger();
             Session = nullptr;
         }},
        {"contents.map", [&] { contents->MenuSave->trigger(); }},
        {"history.vcd", [&] { history->MenuExportVcd->trigger(); }},
        {"history.png", [&] { history->MenuExportPicture->trigger(); }},
        {"history.svg", [&] { history->MenuExportPicture->trigger(); }},
        {"image.png", [&] { Act("MenuExportImage")->trigger(); }},
        {"image.svg", [&] { Act("MenuExportImage")->trigger(); }},
        {"image.pdf", [&] { Act("MenuExportImage")->trigger(); }},
    };
    const QByteArray old = "old";
    const QString tooLarge = QString::fromLocal8Bit(std::strerror(EFBIG));
    QStringList files;
    for (const TCommand& command : commands) {
        SCOPED_TRACE(command.File);
        FileAnswer = dir.filePath(QString::fromLatin1(command.File));
        files << QString::fromLatin1(command.File);
        testsupport::WriteFile(FileAnswer, old);
        messages.clear();
        {
            testsupport::TFileSizeLimit limit(static_cast<rlim_t>(old.size()));
            command.Run();
        }
        const QStringList named = Complaints().filter(FileAnswer);
        EXPECT_TRUE(named.size() == 1 && named[0].contains(tooLarge)) << messages.join('\n').toStdString();
        EXPECT_EQ(testsupport::ReadFile(FileAnswer), old);

        messages.clear();
        command.Run();
        EXPECT_TRUE(Complaints().filter(FileAnswer).isEmpty()) << messages.join('\n').toStdString();
        EXPECT_GT(testsupport::ReadFile(FileAnswer).size(), old.size()) << "saved once the disk has room";
    }
    files.sort();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name), files)
        << "no temporary is left behind";
}

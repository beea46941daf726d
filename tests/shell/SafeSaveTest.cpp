// Every command of the editor that writes a file, driven as a user drives it, on a disk that fills
// up: the command says which file and why, the old file stays as it was, and nothing is left beside
// it. The full disk is a file size limit, which also holds for root.
#include "TestSupport.h"

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "devices/MemoryDevice.h"
#include "devices/ui/AnalyserForm.h"
#include "devices/ui/EditContentsDialog.h"
#include "shell/DeviceMenu.h"
#include "shell/ExportImageDialog.h"
#include "shell/MainForm.h"
#include "template_editor/TemplateForm.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class SafeSaveGui : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().clear();
        TUserDialogs::MessageHook = [this](TUserDialogs::TKind, const QString& text,
                                           QMessageBox::StandardButtons) {
            // Old files are replaced; changes in the template editor are not saved on closing.
            if (text.endsWith(QLatin1String("Do you want to replace it?")))
                return QMessageBox::Yes;
            messages << text;
            return QMessageBox::No;
        };
        TUserDialogs::FileHook = [this](bool, const TUserDialogs::TFileRequest&) { return FileAnswer; };
        TUserDialogs::DialogHook = [this](QDialog* dialog) {
            if (dialog == image) {
                image->show();
                EXPECT_TRUE(QTest::qWaitForWindowExposed(image));
                image->EditFileName->clear();
                QTest::keyClicks(image->EditFileName, FileAnswer);
                QTest::mouseClick(image->findChild<QPushButton*>(QStringLiteral("ButtonOk")), Qt::LeftButton);
                const bool accepted = image->result() == QDialog::Accepted;
                image->hide();
                return accepted;
            }
            if (dialog != editor)
                return true;
            // The template editor is modal: the session runs while it is shown.
            editor->show();
            QApplication::setActiveWindow(editor);
            EXPECT_TRUE(QTest::qWaitForWindowActive(editor));
            if (Session)
                Session();
            editor->findChild<QAction*>(QStringLiteral("MenuClose"))->trigger();
            return true;
        };
        TDeviceMenu::PopupHook = [this](QMenu* opened) { popped = opened; };
        form = std::make_unique<TMainForm>();
        history = new TAnalyserForm(form.get());
        contents = new TEditContentsDialog(form.get());
        editor = new TTemplateForm(form.get());
        image = new TExportImageDialog(form.get());
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        canvas = form->CircuitCanvas;
    }
    void TearDown() override {
        form.reset();
        TUserDialogs::MessageHook = nullptr;
        TUserDialogs::FileHook = nullptr;
        TUserDialogs::DialogHook = nullptr;
        TDeviceMenu::PopupHook = nullptr;
        QSettings().clear();
    }

    QAction* FormAct(const char* name) const {
        return form->findChild<QAction*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    }
    // A right click on an object opens its menu, as the window system delivers it.
    void RightClick(TGraphicObject* object) {
        const QPoint p = object->RoundedCentre();
        QWidget* child = canvas->childAt(p);
        QWidget* target = child && child->isVisible() ? child : canvas;
        const QPoint local = target->mapFrom(canvas, p);
        QTest::mouseClick(target, Qt::RightButton, {}, local);
        QContextMenuEvent request(QContextMenuEvent::Mouse, local, target->mapToGlobal(local));
        QCoreApplication::sendEvent(target, &request);
        ASSERT_NE(popped, nullptr);
    }

    std::unique_ptr<TMainForm> form;
    TDigitalDrawing* canvas = nullptr;
    TAnalyserForm* history = nullptr;
    TEditContentsDialog* contents = nullptr;
    TTemplateForm* editor = nullptr;
    TExportImageDialog* image = nullptr;
    QMenu* popped = nullptr;
    std::function<void()> Session;
    QString FileAnswer;
    QStringList messages;
    QTemporaryDir dir;
};

} // namespace

TEST_F(SafeSaveGui, EveryFileCommandKeepsTheOldFileOnAFullDisk) {
    ASSERT_TRUE(canvas->LoadFromFile(QStringLiteral(TESSIVAR_TEST_DATA "/../../examples/counter.tvm")));
    emit form->HistoryDevicesChanged();
    TMemoryDevice* rom = nullptr;
    for (int i = 0; i < canvas->CurrentMacro->Devices->ChildCount() && !rom; ++i)
        rom = KindCast<TMemoryDevice>(canvas->CurrentMacro->Devices->Child(i));
    ASSERT_NE(rom, nullptr);
    RightClick(rom);
    form->DeviceMenu->PopEditMemory->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(contents));
    FormAct("ToolsLogicHistory")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(history));
    for (int i = 0; i < 4; ++i)
        FormAct("SpeedStep")->trigger();

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
             FormAct("ToolsTemplateEditor")->trigger();
             Session = nullptr;
         }},
        {"contents.map", [&] { contents->MenuSave->trigger(); }},
        {"history.vcd", [&] { history->MenuExportVcd->trigger(); }},
        {"history.png", [&] { history->MenuExportPicture->trigger(); }},
        {"history.svg", [&] { history->MenuExportPicture->trigger(); }},
        {"image.png", [&] { form->findChild<QAction*>(QStringLiteral("MenuExportImage"))->trigger(); }},
        {"image.svg", [&] { form->findChild<QAction*>(QStringLiteral("MenuExportImage"))->trigger(); }},
        {"image.pdf", [&] { form->findChild<QAction*>(QStringLiteral("MenuExportImage"))->trigger(); }},
    };
    const QByteArray old = "old";
    const QString tooLarge = QString::fromLocal8Bit(std::strerror(EFBIG));
    QStringList files;
    for (const TCommand& command : commands) {
        SCOPED_TRACE(command.File);
        FileAnswer = dir.filePath(QString::fromLatin1(command.File));
        files << QString::fromLatin1(command.File);
        QFile file(FileAnswer);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(old);
        file.close();
        messages.clear();
        {
            testsupport::TFileSizeLimit limit(static_cast<rlim_t>(old.size()));
            command.Run();
        }
        const QStringList named = messages.filter(FileAnswer);
        EXPECT_TRUE(named.size() == 1 && named[0].contains(tooLarge)) << messages.join('\n').toStdString();
        EXPECT_EQ(Contents(FileAnswer), old);

        messages.clear();
        command.Run();
        EXPECT_TRUE(messages.filter(FileAnswer).isEmpty()) << messages.join('\n').toStdString();
        EXPECT_GT(Contents(FileAnswer).size(), old.size()) << "saved once the disk has room";
    }
    files.sort();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name), files)
        << "no temporary is left behind";
}

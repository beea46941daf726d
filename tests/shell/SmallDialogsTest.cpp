#include "TestCircuit.h"
#include "TestSupport.h"

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "drawing/Help.h"
#include "model/CircuitFile.h"
#include "shell/AboutBox.h"
#include "shell/GridSetupDialog.h"
#include "shell/HelpWindow.h"
#include "shell/MainForm.h"
#include "shell/NameMacroDialog.h"
#include "shell/RenameDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

// A shown main window with the small dialogs; each modal showing is handed to Drive, which works
// the dialog's controls as a user would and answers whether it closed with OK.
class SmallDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().clear();
        TUserDialogs::DialogHook = [this](QDialog* dialog) {
            ++shown;
            dialog->show();
            dialog->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            Drive(dialog);
            const bool accepted = dialog->result() == QDialog::Accepted && !dialog->isVisible();
            dialog->hide();
            return accepted;
        };
        TUserDialogs::FileHook = [this](bool, const TUserDialogs::TFileRequest&) { return FileAnswer; };
        form = std::make_unique<TMainForm>();
        about = new TAboutBox(form.get());
        gridSetup = new TGridSetupDialog(form.get());
        rename = new TRenameDialog(form.get());
        nameMacro = new TNameMacroDialog(form.get());
        form->show();
        canvas = form->CircuitCanvas;
    }
    void TearDown() override {
        form.reset();
        TUserDialogs::DialogHook = nullptr;
        TUserDialogs::FileHook = nullptr;
        QSettings().clear();
    }

    QAction* Act(const char* name) {
        QAction* action = form->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    template <class T> static T* Control(QWidget* dialog, const char* name) {
        T* control = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    static void Click(QWidget* dialog, const char* name) {
        QTest::mouseClick(Control<QWidget>(dialog, name), Qt::LeftButton);
    }

    std::unique_ptr<TMainForm> form;
    TDigitalDrawing* canvas = nullptr;
    TAboutBox* about = nullptr;
    TGridSetupDialog* gridSetup = nullptr;
    TRenameDialog* rename = nullptr;
    TNameMacroDialog* nameMacro = nullptr;
    std::function<void(QDialog*)> Drive = [](QDialog*) {};
    int shown = 0;
    QString FileAnswer;
    QTemporaryDir dir;
};

TEST_F(SmallDialogsTest, GridSetupShowsTheDotDistanceAndChangesTheGridOnlyOnOk) {
    TGrid grid = canvas->Grid;
    grid.SnapSize = 10;
    grid.DisplaySize = 3;
    grid.AngleStep = 15;
    grid.Snap = true;
    canvas->SetGrid(grid);

    Drive = [](QDialog* dialog) {
        auto* gridSize = Control<QSpinBox>(dialog, "GridUpDown");
        auto* display = Control<QSpinBox>(dialog, "DisplayUpDown");
        EXPECT_EQ(gridSize->text(), "10");
        EXPECT_EQ(display->text(), "30") << "ten pixels between grid points, a dot on every third";
        EXPECT_EQ(Control<QSpinBox>(dialog, "RotationUpDown")->text(), "15");
        QTest::keyClick(gridSize, Qt::Key_Up);
        EXPECT_EQ(gridSize->text(), "15");
        EXPECT_EQ(display->text(), "45");
        QTest::keyClick(display, Qt::Key_Down);
        EXPECT_EQ(display->text(), "30");
        Click(dialog, "CheckSnapToGrid");
        Click(dialog, "ButtonOk");
    };
    Act("MenuGridSetup")->trigger();
    EXPECT_EQ(canvas->Grid.SnapSize, 15);
    EXPECT_EQ(canvas->Grid.DisplaySize, 2);
    EXPECT_EQ(canvas->Grid.AngleStep, 15);
    EXPECT_FALSE(canvas->Grid.Snap);
    EXPECT_TRUE(canvas->Grid.ShowGrid);

    // A pitch beyond the dialog's range arrives at its nearest limit; Cancel changes nothing.
    grid = canvas->Grid;
    grid.SnapSize = 70;
    canvas->SetGrid(grid);
    Drive = [](QDialog* dialog) {
        EXPECT_EQ(Control<QSpinBox>(dialog, "GridUpDown")->text(), "60");
        Click(dialog, "CheckShowGrid");
        Click(dialog, "ButtonCancel");
    };
    Act("MenuGridSetup")->trigger();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(canvas->Grid.SnapSize, 70);
    EXPECT_TRUE(canvas->Grid.ShowGrid);
}

TEST_F(SmallDialogsTest, NameMacroKeepsTheNameOnOneLineAndSavesIt) {
    canvas->MacroName = QStringLiteral("Old");
    Drive = [](QDialog* dialog) {
        auto* box = Control<QPlainTextEdit>(dialog, "EditMacroName");
        EXPECT_EQ(box->toPlainText(), "Old");
        EXPECT_TRUE(box->hasFocus());
        box->selectAll();
        QTest::keyClicks(box, "Adder");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter);
        EXPECT_TRUE(dialog->isVisible()) << "return does not close the dialog";
        QTest::keyClicks(box, " 4");
        Click(dialog, "ButtonOk");
    };
    Act("OptionsNameMacro")->trigger();
    EXPECT_EQ(canvas->MacroName, "Adder 4");
    EXPECT_TRUE(canvas->Modified);
    FileAnswer = dir.filePath("adder.tvm");
    Act("SpeedSave")->trigger();
    EXPECT_EQ(ReadCircuitHeader(FileAnswer).Name, "Adder 4");

    // Not from inside an open level: the name is the whole circuit's.
    TMacro* macro = TTestCircuit(canvas->CurrentMacro).AddInverterMacro(300, 300);
    canvas->Handles->SelectObject(macro);
    Act("PopEditMacro")->trigger();
    ASSERT_TRUE(canvas->MacroOpen());
    emit form->findChild<QMenu*>("MenuOptions")->aboutToShow();
    EXPECT_FALSE(Act("OptionsNameMacro")->isEnabled());
    Act("SpeedCloseMacro")->trigger();
    emit form->findChild<QMenu*>("MenuOptions")->aboutToShow();
    EXPECT_TRUE(Act("OptionsNameMacro")->isEnabled());
}

// The notice line opens our own page in the help window and leaves the box open; a click on the
// picture, the version or the close corner closes it.
TEST_F(SmallDialogsTest, AboutBoxOpensItsHelpPageAndClosesOnAClick) {
    THelpWindow help;
    for (const char* closer : {"Image", "Version", "CloseArea"}) {
        Drive = [&](QDialog* dialog) {
            EXPECT_EQ(Control<QLabel>(dialog, "Version")->text(), "Version " TESSIVAR_VERSION);
            QTest::mouseClick(Control<QWidget>(dialog, "Notice"), Qt::LeftButton);
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_EQ(help.CurrentTopic(), "about.htm");
            EXPECT_TRUE(help.isVisible());
            QWidget* target = Control<QWidget>(dialog, closer);
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, 5));
            EXPECT_FALSE(dialog->isVisible()) << closer;
        };
        Act("MenuAbout")->trigger();
        help.hide();
    }
    EXPECT_EQ(shown, 3);
}

TEST_F(SmallDialogsTest, RenameStartsInTheText) {
    rename->EditRename->setText(QStringLiteral("CLK"));
    rename->show();
    rename->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(rename));
    EXPECT_TRUE(rename->EditRename->hasFocus());
    QTest::keyClick(rename->EditRename, Qt::Key_End);
    QTest::keyClicks(rename->EditRename, "2");
    QTest::keyClick(rename->EditRename, Qt::Key_Return);
    EXPECT_EQ(rename->result(), QDialog::Accepted);
    EXPECT_EQ(rename->EditRename->text(), "CLK2");
}

} // namespace

#include "GuiFixture.h"
#include "TestCircuit.h"
#include "TestSupport.h"

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "model/CircuitFile.h"
#include "model/Connect.h"
#include "model/Gates.h"
#include "shell/AboutBox.h"
#include "shell/GridSetupDialog.h"
#include "shell/HelpWindow.h"
#include "shell/NameMacroDialog.h"
#include "shell/PartsCentre.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

namespace {

// The main window with the windows its File, View, Options and Help commands use. Message boxes
// and file dialogs are answered from queues (an empty queue answers Ok or cancels); a modal dialog
// is shown and handed to Drive, which works its controls as a user would.
class MenuCommandsTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        Answer = QMessageBox::Ok;
        Drive = [](QDialog*) {};
        MakeForm();
        parts = new TPartsForm(form.get());
        new TAboutBox(form.get());
        new TGridSetupDialog(form.get());
        new TNameMacroDialog(form.get());
        ShowForm();
    }

    void OpenMenu(const char* name) {
        emit form->findChild<QMenu*>(QString::fromLatin1(name))->aboutToShow();
    }
    // A circuit file of the given number of gates.
    QString Circuit(const QString& name, int gates = 1) {
        TTestCircuit circuit;
        for (int i = 0; i < gates; ++i)
            circuit.Add<T2AndGate>(50 + 100 * i, 50);
        WriteCircuit(dir.filePath(name), circuit.Root, QString());
        return dir.filePath(name);
    }
    // Places a gate the way an edit command does.
    void Edit() {
        TTestCircuit(canvas->CurrentMacro).Add<TNotGate>(300, 300);
        canvas->SetModified(true);
        canvas->RecordEdit(QStringLiteral("Place"));
    }
    int Devices() const { return canvas->CurrentMacro->Devices->ChildCount(); }
    static int DevicesIn(const QString& path) { return ReadCircuit(path).Root->Devices->ChildCount(); }

    TPartsForm* parts = nullptr;
};

const QString kChanged = QStringLiteral("Circuit has changed, save current circuit?");
const QString kLevel =
    QStringLiteral("This action will save to file the circuit at its current level, not its "
                   "root level.  Do you want to proceed?");

// A new user's round: save a new circuit, save again, start anew, open it through the dialog and
// save it elsewhere.
TEST_F(MenuCommandsTest, SaveNewOpenAndSaveAs) {
    Edit();
    savePaths = {dir.filePath("first.tvm")};
    Keys("Ctrl+S");
    ASSERT_EQ(fileRequests.size(), 1);
    const TUserDialogs::TFileRequest& save = fileRequests[0].Request;
    EXPECT_EQ(QStringList({save.Title, save.InitialName, save.Folder, save.Filter, save.DefaultSuffix}),
              QStringList({"Save Circuit", "Macro", form->HomeFolder, "Macro Files (*.tvm)", "tvm"}));
    EXPECT_TRUE(fileRequests[0].Save && save.ConfirmOverwrite);
    EXPECT_EQ(form->windowTitle(), "Tessivar - first");
    EXPECT_FALSE(canvas->Modified);

    Edit();
    Keys("Ctrl+S");
    EXPECT_EQ(fileRequests.size(), 1) << "a circuit with a file is saved without a dialog";
    EXPECT_EQ(DevicesIn(dir.filePath("first.tvm")), 2);

    // The new circuit keeps nothing of the old one, its outline and datasheet context included.
    canvas->RootMacro()->Children->Add(new TPolygon);
    canvas->RootMacro()->Pins->Children->Add(new TPin);
    canvas->RootMacro()->HelpTopic = QStringLiteral("adder.pdf");
    Keys("Ctrl+N");
    EXPECT_TRUE(messages.isEmpty()) << "nothing to ask about an unchanged circuit";
    EXPECT_EQ(form->windowTitle(), "Tessivar - Untitled");
    EXPECT_EQ(Devices(), 0);
    EXPECT_EQ(canvas->RootMacro()->ChildCount() + canvas->RootMacro()->PinCount(), 0);
    EXPECT_TRUE(canvas->RootMacro()->HelpTopic.isEmpty());
    EXPECT_FALSE(canvas->CanUndo());

    Edit();
    answers = {QMessageBox::No};
    openPaths = {dir.filePath("first.tvm")};
    Keys("Ctrl+O");
    EXPECT_EQ(messages, QStringList{kChanged});
    ASSERT_EQ(fileRequests.size(), 2);
    const TUserDialogs::TFileRequest& open = fileRequests[1].Request;
    EXPECT_EQ(QStringList({open.Title, open.Folder, open.Filter}),
              QStringList({"Open Circuit", form->HomeFolder, "Macro Files (*.tvm)"}));
    EXPECT_EQ(Devices(), 2);
    EXPECT_EQ(form->windowTitle(), "Tessivar - first");
    EXPECT_EQ(form->FileHistory, QStringList{dir.filePath("first.tvm")});
    EXPECT_FALSE(canvas->Modified || canvas->CanUndo());

    // Save As always asks, starting where the last file was opened; later the save dialog opens
    // where the user last saved, the open dialog where they last opened.
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    savePaths = {dir.filePath("sub/second.tvm")};
    Act("MenuSaveAs")->trigger();
    EXPECT_EQ(form->windowTitle(), "Tessivar - second");
    EXPECT_EQ(DevicesIn(dir.filePath("sub/second.tvm")), 2);
    Edit();
    canvas->FileName.clear();
    savePaths = {dir.filePath("third.tvm")};
    Keys("Ctrl+S");
    Keys("Ctrl+O");
    ASSERT_EQ(fileRequests.size(), 5);
    EXPECT_EQ(fileRequests[2].Request.Folder, dir.path());
    EXPECT_EQ(fileRequests[3].Request.Folder, dir.filePath("sub"));
    EXPECT_EQ(fileRequests[4].Request.Folder, dir.path());
    EXPECT_EQ(form->FileHistory.size(), 1) << "saving never adds to the history";
}

TEST_F(MenuCommandsTest, HistoryKeepsFiveAndReopenMovesToTheFront) {
    OpenMenu("MenuFile");
    EXPECT_FALSE(form->findChild<QMenu*>("MenuReopen")->menuAction()->isEnabled());
    QStringList paths;
    for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
        paths << Circuit(QString::fromLatin1(name) + ".tvm");
        openPaths = {paths.constLast()};
        Act("SpeedOpen")->trigger();
    }
    EXPECT_EQ(form->FileHistory, QStringList({paths[5], paths[4], paths[3], paths[2], paths[1]}));

    OpenMenu("MenuFile");
    EXPECT_TRUE(form->findChild<QMenu*>("MenuReopen")->menuAction()->isEnabled());
    EXPECT_TRUE(Act("ReopenFile5")->isVisible());
    EXPECT_FALSE(Act("ReopenFile6")->isVisible());
    Act("ReopenFile3")->trigger();
    EXPECT_EQ(canvas->FileName, paths[3]);
    EXPECT_EQ(form->FileHistory, QStringList({paths[3], paths[5], paths[4], paths[2], paths[1]}));

    // A path with an ampersand is shown and reopened as it is.
    const QString amp = Circuit(QStringLiteral("R&D.tvm"));
    openPaths = {amp};
    Act("SpeedOpen")->trigger();
    Keys("Ctrl+N");
    OpenMenu("MenuFile");
    EXPECT_EQ(Act("ReopenFile1")->text(), QString(amp).replace("&", "&&"));
    Act("ReopenFile1")->trigger();
    EXPECT_EQ(canvas->FileName, amp);
    EXPECT_EQ(form->windowTitle(), "Tessivar - R&D");
}

// Every command that replaces or closes a changed circuit asks first, and whatever does not end in
// a saved file (Cancel, a cancelled save dialog, a failed save) leaves the circuit, the title and
// the history as they were.
class UnsavedChangesTest : public MenuCommandsTest, public ::testing::WithParamInterface<std::string> {
protected:
    void Run() {
        if (GetParam() == "New")
            Act("SpeedNew")->trigger();
        if (GetParam() == "Open") {
            openPaths = {target};
            Act("SpeedOpen")->trigger();
        }
        if (GetParam() == "PartsCentre")
            emit parts->OnOpenMacro(target);
        if (GetParam() == "Close")
            form->close();
        savePaths.clear();
        openPaths.clear();
    }
    void ExpectKept(const char* why) {
        EXPECT_TRUE(canvas->Modified && form->isVisible()) << why;
        EXPECT_EQ(Devices(), 2) << why;
        EXPECT_EQ(form->windowTitle(), "Tessivar - Untitled") << why;
        EXPECT_EQ(form->FileHistory, QStringList{"older.tvm"}) << why;
        EXPECT_FALSE(QSettings().childGroups().contains("Window")) << why << ": no settings stored";
    }
    QString target;
};

TEST_P(UnsavedChangesTest, ProceedOnlyOnceTheChangesAreSavedOrGivenUp) {
    target = Circuit("other.tvm", 3);
    form->AddToHistory(QStringLiteral("older.tvm"));
    Edit();
    Edit();

    answers = {QMessageBox::Cancel};
    Run();
    EXPECT_TRUE(fileRequests.empty());
    ExpectKept("Cancel");

    answers = {QMessageBox::Yes};
    Run();
    ASSERT_EQ(fileRequests.size(), 1);
    EXPECT_EQ(fileRequests[0].Request.Title, "Save Circuit");
    ExpectKept("save dialog cancelled");

    // The folder does not exist: the message names the file and the reason.
    const QString unwritable = dir.filePath("missing/kept.tvm");
    answers = {QMessageBox::Yes};
    savePaths = {unwritable};
    Run();
    ASSERT_EQ(messages.size(), 4);
    EXPECT_EQ(messages[0], kChanged);
    EXPECT_TRUE(messages[3].contains(unwritable) && messages[3].contains("No such file or directory"))
        << messages[3].toStdString();
    ExpectKept("save failed");
    EXPECT_TRUE(canvas->FileName.isEmpty());

    answers = {QMessageBox::Yes};
    savePaths = {dir.filePath("saved.tvm")};
    Run();
    EXPECT_EQ(DevicesIn(dir.filePath("saved.tvm")), 2);
    if (GetParam() == "Close")
        EXPECT_FALSE(form->isVisible());
    else if (GetParam() == "New")
        EXPECT_EQ(Devices(), 0);
    else
        EXPECT_EQ(canvas->FileName, target);
}

INSTANTIATE_TEST_SUITE_P(Commands, UnsavedChangesTest,
                         ::testing::Values("New", "Open", "PartsCentre", "Close"),
                         [](const ::testing::TestParamInfo<std::string>& command) { return command.param; });

// Saving while a macro is opened in place writes that level, after a warning, always through the
// dialog; a new circuit starts at the root again.
TEST_F(MenuCommandsTest, SavingAnOpenLevelAsksAndAlwaysShowsTheDialog) {
    TMacro* macro = TTestCircuit(canvas->CurrentMacro).AddInverterMacro(200, 200);
    canvas->SetModified(true);
    savePaths = {dir.filePath("outer.tvm")};
    Keys("Ctrl+S");
    canvas->Handles->SelectObject(macro);
    Act("PopEditMacro")->trigger();
    ASSERT_TRUE(canvas->MacroOpen());
    fileRequests.clear();

    answers = {QMessageBox::No};
    Keys("Ctrl+S");
    EXPECT_EQ(messages, QStringList{kLevel});
    EXPECT_TRUE(fileRequests.empty());

    answers = {QMessageBox::Yes};
    savePaths = {dir.filePath("inner.tvm")};
    Keys("Ctrl+S");
    ASSERT_EQ(fileRequests.size(), 1) << "the dialog although the circuit has a file";
    EXPECT_EQ(DevicesIn(dir.filePath("inner.tvm")), 1) << "the inverter, without the outer level";
    EXPECT_EQ(DevicesIn(dir.filePath("outer.tvm")), 1) << "the macro part";
    // The level's file is not the circuit's: a later Save goes to outer.tvm, and the circuit's
    // unsaved changes still count as unsaved.
    EXPECT_EQ(form->windowTitle(), "Tessivar - outer");
    EXPECT_EQ(canvas->FileName, dir.filePath("outer.tvm"));
    Edit();
    Act("SpeedCloseMacro")->trigger();
    fileRequests.clear();
    Keys("Ctrl+S");
    EXPECT_TRUE(fileRequests.empty());
    EXPECT_EQ(DevicesIn(dir.filePath("inner.tvm")), 1) << "the level's file is left alone";
    EXPECT_FALSE(canvas->Modified);
    canvas->Handles->SelectObject(macro);
    Act("PopEditMacro")->trigger();
    ASSERT_TRUE(canvas->MacroOpen());

    // Yes to saving the changes but No to saving only this level keeps everything.
    Edit();
    messages.clear();
    answers = {QMessageBox::Yes, QMessageBox::No};
    Keys("Ctrl+N");
    EXPECT_EQ(messages, QStringList({kChanged, kLevel}));
    EXPECT_TRUE(canvas->MacroOpen() && canvas->Modified);

    answers = {QMessageBox::No};
    Keys("Ctrl+N");
    EXPECT_FALSE(canvas->MacroOpen());
    EXPECT_EQ(canvas->CurrentMacro, canvas->RootMacro());
    EXPECT_EQ(Devices(), 0);
    EXPECT_FALSE(Act("SpeedCloseMacro")->isVisible());
}

// A folder that refuses new files: the user learns which file and why, and nothing passes for saved.
TEST_F(MenuCommandsTest, SaveIntoAReadOnlyFolderSaysWhichFileAndWhy) {
    // Root may write into any folder of a disk; the kernel's own folder refuses even root.
    QString folder = QStringLiteral("/sys");
    if (geteuid() != 0) {
        folder = dir.filePath("locked");
        ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    Edit();
    const QString prefix = "Cannot write '" + folder + "/circuit.tvm': ";
    savePaths = {folder + "/circuit.tvm"};
    Keys("Ctrl+S");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(prefix) && messages[0].size() > prefix.size())
        << messages[0].toStdString();
    EXPECT_EQ(form->windowTitle(), "Tessivar - Untitled");
    EXPECT_TRUE(canvas->Modified);
}

TEST_F(MenuCommandsTest, DroppedCircuitFileOpensAsReopenWould) {
    auto drop = [this](const QString& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &enter);
        QDropEvent dropped(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        if (enter.isAccepted())
            QCoreApplication::sendEvent(canvas, &dropped);
        QCoreApplication::processEvents();
        return enter.isAccepted();
    };
    Edit();
    EXPECT_FALSE(drop(dir.filePath("notes.txt")));
    EXPECT_TRUE(messages.isEmpty());
    const QString path = Circuit("dropped.TVM", 2);
    answers = {QMessageBox::No};
    EXPECT_TRUE(drop(path));
    EXPECT_EQ(messages, QStringList{kChanged});
    EXPECT_EQ(canvas->FileName, path);
    EXPECT_EQ(form->FileHistory, QStringList{path});
}

// ---------------------------------------------------------------------------------------------------
// Small dialogs

TEST_F(MenuCommandsTest, GridSetupShowsTheDotDistanceAndChangesTheGridOnlyOnOk) {
    TGrid grid = canvas->Grid;
    grid.SnapSize = 10;
    grid.DisplaySize = 3;
    grid.AngleStep = 15;
    canvas->SetGrid(grid);
    Drive = [](QDialog* dialog) {
        auto* gridSize = Control<QSpinBox>(dialog, "GridUpDown");
        auto* display = Control<QSpinBox>(dialog, "DisplayUpDown");
        EXPECT_EQ(display->text(), "30") << "ten pixels between grid points, a dot on every third";
        EXPECT_EQ(Control<QSpinBox>(dialog, "RotationUpDown")->text(), "15");
        QTest::keyClick(gridSize, Qt::Key_Up);
        EXPECT_EQ(gridSize->text(), "15");
        EXPECT_EQ(display->text(), "45");
        QTest::keyClick(display, Qt::Key_Down);
        EXPECT_EQ(display->text(), "30");
        ClickControl(dialog, "CheckSnapToGrid");
        ClickControl(dialog, "ButtonOk");
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
        ClickControl(dialog, "CheckShowGrid");
        ClickControl(dialog, "ButtonCancel");
    };
    Act("MenuGridSetup")->trigger();
    EXPECT_EQ(canvas->Grid.SnapSize, 70);
    EXPECT_TRUE(canvas->Grid.ShowGrid);
}

TEST_F(MenuCommandsTest, NameMacroKeepsTheNameOnOneLineAndSavesIt) {
    canvas->MacroName = QStringLiteral("Old");
    canvas->ResetHistory();
    Drive = [](QDialog* dialog) {
        auto* box = Control<QPlainTextEdit>(dialog, "EditMacroName");
        EXPECT_EQ(box->toPlainText(), "Old");
        EXPECT_EQ(dialog->focusWidget(), box);
        box->selectAll();
        QTest::keyClicks(box, "Adder");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter);
        EXPECT_TRUE(dialog->isVisible()) << "return does not close the dialog";
        QTest::keyClicks(box, " 4");
        ClickControl(dialog, "ButtonOk");
    };
    Act("OptionsNameMacro")->trigger();
    EXPECT_EQ(canvas->MacroName, "Adder 4");
    // Naming is an edit: undone and redone with the circuit, so no undo can drop it unasked.
    Keys("Ctrl+Z");
    EXPECT_EQ(canvas->MacroName, "Old");
    Keys("Ctrl+Y");
    EXPECT_EQ(canvas->MacroName, "Adder 4");
    EXPECT_TRUE(canvas->Modified);
    savePaths = {dir.filePath("adder.tvm")};
    Keys("Ctrl+S");
    EXPECT_EQ(ReadCircuitHeader(dir.filePath("adder.tvm")).Name, "Adder 4");

    // Not from inside an open level: the name is the whole circuit's.
    TMacro* macro = TTestCircuit(canvas->CurrentMacro).AddInverterMacro(300, 300);
    canvas->Handles->SelectObject(macro);
    Act("PopEditMacro")->trigger();
    OpenMenu("MenuOptions");
    EXPECT_FALSE(Act("OptionsNameMacro")->isEnabled());
    Act("SpeedCloseMacro")->trigger();
    OpenMenu("MenuOptions");
    EXPECT_TRUE(Act("OptionsNameMacro")->isEnabled());
}

// The notice line opens our own page in the help window and leaves the box open; a click on the
// picture, the version or the close corner closes it.
TEST_F(MenuCommandsTest, AboutBoxOpensItsHelpPageAndClosesOnAClick) {
    THelpWindow help;
    for (const char* closer : {"Image", "Version", "CloseArea"}) {
        Drive = [&](QDialog* dialog) {
            EXPECT_EQ(Control<QLabel>(dialog, "Version")->text(), "Version " TESSIVAR_VERSION);
            ClickControl(dialog, "Notice");
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_TRUE(help.isVisible());
            EXPECT_EQ(help.CurrentTopic(), "about.htm");
            ClickControl(dialog, closer);
            EXPECT_FALSE(dialog->isVisible()) << closer;
        };
        Act("MenuAbout")->trigger();
        help.hide();
    }
}

} // namespace

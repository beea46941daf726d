#include "TestCircuit.h"
#include "TestSupport.h"

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "model/CircuitFile.h"
#include "model/Gates.h"
#include "shell/MainForm.h"
#include "shell/PartsCentre.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// A shown main window whose message boxes and file dialogs are answered from queues; an empty
// queue answers Ok or cancels the dialog.
class FileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().clear();
        TUserDialogs::MessageHook = [this](TUserDialogs::TKind, const QString& text,
                                           QMessageBox::StandardButtons) {
            messages << text;
            return answers.isEmpty() ? QMessageBox::Ok : answers.takeFirst();
        };
        TUserDialogs::FileHook = [this](bool save, const TUserDialogs::TFileRequest& request) {
            requests.push_back({save, request});
            QStringList& queue = save ? files : opened;
            return queue.isEmpty() ? QString() : queue.takeFirst();
        };
        form = std::make_unique<TMainForm>();
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        canvas = form->CircuitCanvas;
    }
    void TearDown() override {
        form.reset();
        TUserDialogs::MessageHook = nullptr;
        TUserDialogs::FileHook = nullptr;
        QSettings().clear();
    }

    struct TRequest {
        bool Save;
        TUserDialogs::TFileRequest Request;
    };

    QAction* Act(const char* name) {
        QAction* action = form->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    void Keys(const char* sequence) {
        QTest::keySequence(form.get(), QKeySequence(QString::fromLatin1(sequence)));
    }
    // A circuit file of the given number of gates.
    QString Circuit(const QString& name, int gates = 1) {
        TTestCircuit circuit;
        for (int i = 0; i < gates; ++i)
            circuit.Add<T2AndGate>(50 + 100 * i, 50);
        const QString path = dir.filePath(name);
        WriteCircuit(path, circuit.Root, QString());
        return path;
    }
    // Places a gate the way an edit command does.
    void Edit() {
        TTestCircuit(canvas->CurrentMacro).Add<TNotGate>(300, 300);
        canvas->SetModified(true);
        canvas->RecordEdit(QStringLiteral("Place"));
    }
    int Devices() const { return canvas->CurrentMacro->Devices->ChildCount(); }
    static int DevicesIn(const QString& path) { return ReadCircuit(path).Root->Devices->ChildCount(); }
    void OpenMenu(const char* name) {
        auto* menu = form->findChild<QMenu*>(QString::fromLatin1(name));
        ASSERT_NE(menu, nullptr) << name;
        emit menu->aboutToShow();
    }

    std::unique_ptr<TMainForm> form;
    TDigitalDrawing* canvas = nullptr;
    QList<QMessageBox::StandardButton> answers;
    QStringList files;  // answers of the save dialog
    QStringList opened; // and of the open dialog
    QStringList messages;
    std::vector<TRequest> requests;
    QTemporaryDir dir;
};

const QString kChanged = QStringLiteral("Circuit has changed, save current circuit?");
const QString kLevel =
    QStringLiteral("This action will save to file the circuit at its current level, not its "
                   "root level.  Do you want to proceed?");

// A new user's round: save a new circuit, save again, start anew, open it through the dialog, save it
// elsewhere and open it again through Reopen.
TEST_F(FileCommandsTest, SaveNewOpenSaveAsAndReopen) {
    Edit();
    files = {dir.filePath("first.tvm")};
    Keys("Ctrl+S");
    ASSERT_EQ(requests.size(), 1u);
    const TUserDialogs::TFileRequest& save = requests[0].Request;
    EXPECT_TRUE(requests[0].Save);
    EXPECT_EQ(save.Title, "Save Circuit");
    EXPECT_EQ(save.InitialName, "Macro");
    EXPECT_EQ(save.Folder, form->HomeFolder);
    EXPECT_EQ(save.Filter, "Macro Files (*.tvm)");
    EXPECT_EQ(save.DefaultSuffix, "tvm");
    EXPECT_TRUE(save.ConfirmOverwrite);
    EXPECT_EQ(form->windowTitle(), "Tessivar - first");
    EXPECT_FALSE(canvas->Modified);
    EXPECT_TRUE(form->FileHistory.isEmpty()) << "saving never adds to the history";

    Edit();
    Keys("Ctrl+S");
    EXPECT_EQ(requests.size(), 1u) << "a circuit with a file is saved without a dialog";
    EXPECT_EQ(DevicesIn(dir.filePath("first.tvm")), 2);

    Keys("Ctrl+N");
    EXPECT_TRUE(messages.isEmpty()) << "nothing to ask about an unchanged circuit";
    EXPECT_EQ(form->windowTitle(), "Tessivar - Untitled");
    EXPECT_EQ(Devices(), 0);
    EXPECT_TRUE(canvas->FileName.isEmpty());
    EXPECT_FALSE(canvas->CanUndo());

    Edit();
    answers = {QMessageBox::No};
    opened = {dir.filePath("first.tvm")};
    Keys("Ctrl+O");
    EXPECT_EQ(messages, QStringList{kChanged});
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[1].Save);
    EXPECT_EQ(requests[1].Request.Title, "Open Circuit");
    EXPECT_EQ(requests[1].Request.Folder, form->HomeFolder);
    EXPECT_EQ(requests[1].Request.Filter, "Macro Files (*.tvm)");
    EXPECT_EQ(Devices(), 2);
    EXPECT_EQ(form->windowTitle(), "Tessivar - first");
    EXPECT_EQ(form->FileHistory, QStringList{dir.filePath("first.tvm")});
    EXPECT_FALSE(canvas->Modified);
    EXPECT_FALSE(canvas->CanUndo()) << "the history of the replaced circuit is gone";

    // Save As always asks, starting where the last file was opened.
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    files = {dir.filePath("sub/second.tvm")};
    Act("MenuSaveAs")->trigger();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[2].Request.Folder, dir.path());
    EXPECT_EQ(requests[2].Request.InitialName, "Macro");
    EXPECT_EQ(form->windowTitle(), "Tessivar - second");
    EXPECT_EQ(DevicesIn(dir.filePath("sub/second.tvm")), 2);

    Keys("Ctrl+N");
    OpenMenu("MenuFile");
    QAction* first = Act("ReopenFile1");
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->text(), dir.filePath("first.tvm"));
    first->trigger();
    EXPECT_EQ(canvas->FileName, dir.filePath("first.tvm"));
    EXPECT_EQ(form->windowTitle(), "Tessivar - first");

    // The save dialog opens where the user last saved, the open dialog where they last opened.
    Edit();
    canvas->FileName.clear();
    files = {dir.filePath("third.tvm")};
    Keys("Ctrl+S");
    Keys("Ctrl+O");
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[3].Request.Folder, dir.filePath("sub"));
    EXPECT_EQ(requests[4].Request.Folder, dir.path());
}

TEST_F(FileCommandsTest, HistoryKeepsFiveAndReopenMovesToTheFront) {
    OpenMenu("MenuFile");
    EXPECT_FALSE(form->findChild<QMenu*>("MenuReopen")->menuAction()->isEnabled());

    QStringList paths;
    for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
        paths << Circuit(QString::fromLatin1(name) + ".tvm");
        opened = {paths.constLast()};
        Act("SpeedOpen")->trigger();
    }
    EXPECT_EQ(form->FileHistory, QStringList({paths[5], paths[4], paths[3], paths[2], paths[1]}));

    OpenMenu("MenuFile");
    EXPECT_TRUE(form->findChild<QMenu*>("MenuReopen")->menuAction()->isEnabled());
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(Act(qPrintable(QStringLiteral("ReopenFile%1").arg(i)))->isVisible()) << i;
    EXPECT_FALSE(Act("ReopenFile6")->isVisible());
    Act("ReopenFile3")->trigger();
    EXPECT_EQ(canvas->FileName, paths[3]);
    EXPECT_EQ(form->FileHistory, QStringList({paths[3], paths[5], paths[4], paths[2], paths[1]}));

    // A path with an ampersand is shown and reopened as it is.
    const QString amp = Circuit(QStringLiteral("R&D.tvm"));
    opened = {amp};
    Act("SpeedOpen")->trigger();
    Keys("Ctrl+N");
    OpenMenu("MenuFile");
    EXPECT_EQ(Act("ReopenFile1")->text(), QString(amp).replace("&", "&&"));
    Act("ReopenFile1")->trigger();
    EXPECT_EQ(canvas->FileName, amp);
    EXPECT_EQ(form->windowTitle(), "Tessivar - R&D");

    // A file gone since is reported, leaves the circuit and title, and still moves to the front.
    QFile::remove(paths[2]);
    OpenMenu("MenuFile");
    Act("ReopenFile5")->trigger();
    EXPECT_EQ(messages, QStringList{"Unable to locate the Tessivar file 'c.tvm'"});
    EXPECT_EQ(canvas->FileName, amp);
    EXPECT_EQ(form->windowTitle(), "Tessivar - R&D");
    EXPECT_EQ(form->FileHistory.constFirst(), paths[2]);
}

// Every command that replaces or closes a changed circuit asks first, and whatever does not end in
// a saved file (Cancel, a cancelled save dialog, a failed save) leaves the circuit, the title and
// the history as they were.
enum class TCommand { New, Open, Reopen, Close };

class UnsavedChangesTest : public FileCommandsTest, public ::testing::WithParamInterface<TCommand> {
protected:
    void Run() {
        switch (GetParam()) {
        case TCommand::New:
            Act("SpeedNew")->trigger();
            break;
        case TCommand::Open:
            opened = {target};
            Act("SpeedOpen")->trigger();
            break;
        case TCommand::Reopen:
            form->ReopenFile(target);
            break;
        case TCommand::Close:
            form->close();
            break;
        }
        files.clear();
        opened.clear();
    }
    bool Done() const {
        switch (GetParam()) {
        case TCommand::New:
            return Devices() == 0 && !canvas->Modified;
        case TCommand::Open:
        case TCommand::Reopen:
            return canvas->FileName == target;
        case TCommand::Close:
            return !form->isVisible();
        }
        return false;
    }
    void ExpectKept(const char* why) {
        EXPECT_TRUE(canvas->Modified) << why;
        EXPECT_EQ(Devices(), 2) << why;
        EXPECT_EQ(form->windowTitle(), title) << why;
        EXPECT_EQ(form->FileHistory, history) << why;
        EXPECT_TRUE(form->isVisible()) << why;
        EXPECT_FALSE(QSettings().childGroups().contains("Window")) << why << ": no settings stored";
    }

    QString target;
    QString title;
    QStringList history;
};

TEST_P(UnsavedChangesTest, ProceedOnlyOnceTheChangesAreSavedOrGivenUp) {
    target = Circuit("other.tvm", 3);
    form->AddToHistory(dir.filePath("older.tvm"));
    history = form->FileHistory;
    Edit();
    Edit();
    title = form->windowTitle();

    answers = {QMessageBox::Cancel};
    Run();
    EXPECT_EQ(messages, QStringList{kChanged});
    EXPECT_TRUE(requests.empty());
    ExpectKept("Cancel");

    answers = {QMessageBox::Yes};
    Run();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Request.Title, "Save Circuit");
    ExpectKept("save dialog cancelled");

    // The folder does not exist: the message names the file and the reason.
    const QString unwritable = dir.filePath("missing/kept.tvm");
    answers = {QMessageBox::Yes};
    files = {unwritable};
    messages.clear();
    Run();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].contains(unwritable) && messages[1].contains("No such file or directory"))
        << messages[1].toStdString();
    ExpectKept("save failed");
    EXPECT_TRUE(canvas->FileName.isEmpty());

    const QString saved = dir.filePath("saved.tvm");
    answers = {QMessageBox::Yes};
    files = {saved};
    Run();
    EXPECT_EQ(DevicesIn(saved), 2);
    EXPECT_TRUE(Done());
}

TEST_P(UnsavedChangesTest, NoGivesTheChangesUp) {
    target = Circuit("other.tvm", 3);
    Edit();
    answers = {QMessageBox::No};
    Run();
    EXPECT_TRUE(requests.size() == (GetParam() == TCommand::Open ? 1u : 0u));
    EXPECT_TRUE(Done());
}

std::string CommandName(const ::testing::TestParamInfo<TCommand>& info) {
    switch (info.param) {
    case TCommand::New:
        return "New";
    case TCommand::Open:
        return "Open";
    case TCommand::Reopen:
        return "Reopen";
    case TCommand::Close:
        return "Close";
    }
    return {};
}

INSTANTIATE_TEST_SUITE_P(Commands, UnsavedChangesTest,
                         ::testing::Values(TCommand::New, TCommand::Open, TCommand::Reopen, TCommand::Close),
                         CommandName);

// Saving while a macro is opened in place writes that level, after a warning, always through the
// dialog; a new circuit starts at the root again.
TEST_F(FileCommandsTest, SavingAnOpenLevelAsksAndAlwaysShowsTheDialog) {
    TTestCircuit circuit(canvas->CurrentMacro);
    TMacro* macro = circuit.AddInverterMacro(200, 200);
    canvas->SetModified(true);
    files = {dir.filePath("outer.tvm")};
    Keys("Ctrl+S");
    canvas->Handles->SelectObject(macro);
    Act("PopEditMacro")->trigger();
    ASSERT_TRUE(canvas->MacroOpen());
    EXPECT_TRUE(Act("SpeedCloseMacro")->isVisible());
    requests.clear();

    answers = {QMessageBox::No};
    Keys("Ctrl+S");
    EXPECT_EQ(messages, QStringList{kLevel});
    EXPECT_TRUE(requests.empty());

    answers = {QMessageBox::Yes};
    files = {dir.filePath("inner.tvm")};
    Keys("Ctrl+S");
    ASSERT_EQ(requests.size(), 1u) << "the dialog although the circuit has a file";
    EXPECT_EQ(form->windowTitle(), "Tessivar - inner");
    EXPECT_EQ(DevicesIn(dir.filePath("inner.tvm")), 1) << "the inverter, without the outer level";
    EXPECT_EQ(DevicesIn(dir.filePath("outer.tvm")), 1) << "the macro part";

    // Yes to saving the changes but No to saving only this level keeps everything.
    Edit();
    messages.clear();
    answers = {QMessageBox::Yes, QMessageBox::No};
    Keys("Ctrl+N");
    EXPECT_EQ(messages, QStringList({kChanged, kLevel}));
    EXPECT_TRUE(canvas->MacroOpen());
    EXPECT_TRUE(canvas->Modified);

    answers = {QMessageBox::No};
    Keys("Ctrl+N");
    EXPECT_FALSE(canvas->MacroOpen());
    EXPECT_EQ(canvas->CurrentMacro, canvas->RootMacro());
    EXPECT_EQ(Devices(), 0);
    EXPECT_FALSE(Act("SpeedCloseMacro")->isVisible());
}

// A folder that refuses new files: the user learns which file and why, and nothing passes for saved.
TEST_F(FileCommandsTest, SaveIntoAReadOnlyFolderSaysWhichFileAndWhy) {
    // Root may write into any folder of a disk; the kernel's own folder refuses even root.
    QString folder = QStringLiteral("/sys");
    if (geteuid() != 0) {
        folder = dir.filePath("locked");
        ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    Edit();
    const QString path = folder + "/circuit.tvm";
    files = {path};
    Keys("Ctrl+S");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Cannot write '" + path + "': ")) << messages[0].toStdString();
    EXPECT_GT(messages[0].size(), ("Cannot write '" + path + "': ").size());
    EXPECT_EQ(form->windowTitle(), "Tessivar - Untitled");
    EXPECT_TRUE(canvas->Modified);
    EXPECT_FALSE(QFileInfo::exists(path));
}

// The parts centre's open goes the same way as Reopen.
TEST_F(FileCommandsTest, PartsCentreOpensThroughTheReopenPath) {
    form.reset();
    form = std::make_unique<TMainForm>();
    auto* parts = new TPartsForm(form.get());
    form->show();
    canvas = form->CircuitCanvas;
    const QString path = Circuit("part.tvm", 2);
    Edit();
    answers = {QMessageBox::Cancel};
    emit parts->OnOpenMacro(path);
    EXPECT_EQ(messages, QStringList{kChanged});
    EXPECT_TRUE(canvas->FileName.isEmpty());
    answers = {QMessageBox::No};
    emit parts->OnOpenMacro(path);
    EXPECT_EQ(canvas->FileName, path);
    EXPECT_EQ(form->FileHistory, QStringList{path});
}

TEST_F(FileCommandsTest, DroppedCircuitFileOpensAsReopenWould) {
    const QString path = Circuit("dropped.TVM", 2);
    auto drop = [this](const QString& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        const QPoint at = form->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &enter);
        if (enter.isAccepted()) {
            QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(form.get(), &dropped);
        }
        QCoreApplication::processEvents();
        return enter.isAccepted();
    };

    QFile text(dir.filePath("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.close();
    Edit();
    EXPECT_FALSE(drop(text.fileName()));
    EXPECT_TRUE(messages.isEmpty());

    answers = {QMessageBox::Cancel};
    EXPECT_TRUE(drop(path));
    EXPECT_EQ(messages, QStringList{kChanged});
    EXPECT_TRUE(canvas->Modified);

    answers = {QMessageBox::No};
    drop(path);
    EXPECT_EQ(canvas->FileName, path);
    EXPECT_EQ(Devices(), 2);
    EXPECT_EQ(form->FileHistory, QStringList{path});
}

} // namespace

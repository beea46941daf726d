#pragma once

// The common ground of the GUI tests. Every way the program asks the user something (message boxes,
// file dialogs, modal dialogs, the device menu) is answered here and put back as it was afterwards;
// the main window is made and shown on demand; the mouse works at circuit points of a canvas; and each
// test gets a temporary folder and clean settings.

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "shell/MainForm.h"

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QMessageBox>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>

class QDialog;
class QMenu;
class QObject;
class QWidget;
class TGraphicObject;

class TGuiTest : public ::testing::Test {
protected:
    struct TFileAsked {
        bool Save;
        TUserDialogs::TFileRequest Request;
    };

    TGuiTest();
    ~TGuiTest() override;
    void SetUp() override;
    // Destroys the main window first, then puts every hook back.
    void TearDown() override;

    // The main window, made on first call. Dialogs it should find are made with it as parent before
    // it is shown.
    TMainForm& MakeForm();
    // Shows the main window (made if need be), at the given size when one is given, and waits until
    // it is the active window.
    TMainForm& ShowForm(QSize size = {});
    // Shows a dialog as its modal run would, runs drive while it is shown, hides it and gives the main
    // window back the focus. True when the dialog closed with OK.
    bool RunShown(QDialog* dialog, const std::function<void()>& drive);

    // An action of the main window, or of another owner, by object name.
    QAction* Act(const char* name) const { return Action(form.get(), name); }
    static QAction* Action(const QObject* owner, const char* name) {
        QAction* action = owner ? owner->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    // A control of a dialog by object name.
    template <class T> static T* Control(const QObject* owner, const char* name) {
        T* control = owner->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    static void ClickControl(const QObject* owner, const char* name) {
        QTest::mouseClick(Control<QWidget>(owner, name), Qt::LeftButton, {}, QPoint(5, 5));
    }

    // Mouse events at circuit points, sent to the widget a user's press there reaches: the selection
    // overlay where it lies, the canvas elsewhere. Without a canvas given, the main window's.
    static QWidget* Target(TDigitalDrawing* on, QPoint p, QPoint& local);
    static void Click(TDigitalDrawing* on, QPoint p, Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers keys = {}) {
        QPoint local;
        QWidget* target = Target(on, p, local);
        QTest::mouseClick(target, button, keys, local);
    }
    void Click(QPoint p, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
        Click(canvas, p, button, keys);
    }
    // A click followed by a double click, as the window system delivers a double click.
    static void DoubleClick(TDigitalDrawing* on, QPoint p);
    // Presses and answers the widget pressed, which keeps the mouse until the release.
    QWidget* Press(QPoint p);
    // Press, four moves and the release, all on the widget pressed, which may move under the mouse.
    void Drag(QPoint from, QPoint to);
    // A right click on an object: the press selects it and its menu opens (into popped).
    QMenu* RightClick(TGraphicObject* object);
    // Arms a part button, clicks the canvas and answers the part placed (it is selected).
    template <class T> T* Place(const char* button, QPoint at) {
        Act(button)->trigger();
        Click(at);
        auto* part = KindCast<T>(canvas->Handles->Selected());
        EXPECT_NE(part, nullptr) << button;
        return part;
    }
    void WireTool() {
        if (!canvas->WiringMode)
            Act("SpeedWireTool")->trigger();
    }
    // Clicks the points with the wiring tool: the first starts the wire, the last ends it.
    void Wire(std::initializer_list<QPoint> points) {
        WireTool();
        for (QPoint p : points)
            Click(p);
    }
    void Key(int key, Qt::KeyboardModifiers keys = {}) {
        QTest::keyClick(canvas, static_cast<Qt::Key>(key), keys);
    }
    // A key sequence to the main window, such as "Ctrl+S".
    void Keys(const char* sequence) {
        QTest::keySequence(form.get(), QKeySequence(QString::fromLatin1(sequence)));
    }

    QString Path(const QString& name) const { return dir.filePath(name); }
    // Saves the circuit through Save into the temporary folder, as a new file, and answers its bytes.
    QByteArray SaveBytes(const QString& name);

    std::unique_ptr<TMainForm> form;
    // The main window's canvas once it is made; a test of a canvas alone may set its own.
    TDigitalDrawing* canvas = nullptr;

    // Message boxes: each is recorded in messages (its kind in kinds), then answered with the first
    // of answers, else by Reply when set, else with Answer.
    QStringList messages;
    QList<TUserDialogs::TKind> kinds;
    QList<QMessageBox::StandardButton> answers;
    std::function<QMessageBox::StandardButton(const QString& text)> Reply;
    QMessageBox::StandardButton Answer = QMessageBox::Yes;

    // File dialogs: each is recorded, then answered with the first path of its kind's queue, else with
    // FileAnswer. An empty answer is a cancelled dialog.
    QList<TFileAsked> fileRequests;
    QStringList savePaths;
    QStringList openPaths;
    QString FileAnswer;
    QStringList FileTitles() const;

    // Modal dialogs: Dialog answers when set; else with Drive set the dialog is shown and worked as a
    // user would (RunShown) and its own result counts; else DialogAnswer, without showing it.
    std::function<bool(QDialog*)> Dialog;
    std::function<void(QDialog*)> Drive;
    bool DialogAnswer = true;

    // The last device menu a right click opened.
    QMenu* popped = nullptr;

    QTemporaryDir dir;

private:
    struct THooks;
    std::unique_ptr<THooks> m_saved;
};

#include "GuiFixture.h"

#include "drawing/Help.h"
#include "shell/Datasheets.h"
#include "shell/DeviceMenu.h"
#include "shell/PrintPreviewForm.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFile>
#include <QSettings>

// The hooks as they were before the test, put back in TearDown.
struct TGuiTest::THooks {
    decltype(TUserDialogs::MessageHook) Message = TUserDialogs::MessageHook;
    decltype(TUserDialogs::FileHook) File = TUserDialogs::FileHook;
    decltype(TUserDialogs::DialogHook) Dialog = TUserDialogs::DialogHook;
    decltype(TDeviceMenu::PopupHook) Popup = TDeviceMenu::PopupHook;
    decltype(TDeviceMenu::ColourHook) Colour = TDeviceMenu::ColourHook;
    decltype(TDatasheets::OpenHook) Open = TDatasheets::OpenHook;
    decltype(TPrintPreview::PrinterAvailableHook) Printer = TPrintPreview::PrinterAvailableHook;
};

TGuiTest::TGuiTest() = default;
TGuiTest::~TGuiTest() = default;

void TGuiTest::SetUp() {
    QSettings().clear();
    m_saved = std::make_unique<THooks>();
    TUserDialogs::MessageHook = [this](TUserDialogs::TKind kind, const QString& text,
                                       QMessageBox::StandardButtons) {
        messages << text;
        kinds << kind;
        if (!answers.isEmpty())
            return answers.takeFirst();
        return Reply ? Reply(text) : Answer;
    };
    TUserDialogs::FileHook = [this](bool save, const TUserDialogs::TFileRequest& request) {
        fileRequests.push_back({save, request});
        QStringList& queue = save ? savePaths : openPaths;
        return queue.isEmpty() ? FileAnswer : queue.takeFirst();
    };
    TUserDialogs::DialogHook = [this](QDialog* dialog) {
        if (Dialog)
            return Dialog(dialog);
        if (Drive)
            return RunShown(dialog, [&] { Drive(dialog); });
        return DialogAnswer;
    };
    TDeviceMenu::PopupHook = [this](QMenu* opened) { popped = opened; };
}

void TGuiTest::TearDown() {
    form.reset();
    canvas = nullptr;
    TUserDialogs::MessageHook = m_saved->Message;
    TUserDialogs::FileHook = m_saved->File;
    TUserDialogs::DialogHook = m_saved->Dialog;
    TDeviceMenu::PopupHook = m_saved->Popup;
    TDeviceMenu::ColourHook = m_saved->Colour;
    TDatasheets::OpenHook = m_saved->Open;
    TPrintPreview::PrinterAvailableHook = m_saved->Printer;
    // Help windows install themselves and are gone with their owners by now.
    SetHelpHandler({});
    QSettings().clear();
}

TMainForm& TGuiTest::MakeForm() {
    if (!form) {
        form = std::make_unique<TMainForm>();
        canvas = form->CircuitCanvas;
    }
    return *form;
}

TMainForm& TGuiTest::ShowForm(QSize size) {
    MakeForm();
    if (size.isValid())
        form->resize(size);
    form->show();
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    return *form;
}

bool TGuiTest::RunShown(QDialog* dialog, const std::function<void()>& drive) {
    dialog->show();
    dialog->activateWindow();
    // The offscreen platform may think the window still active from its last showing; the
    // application must agree, or the window's shortcuts stay deaf.
    QApplication::setActiveWindow(dialog);
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
    drive();
    const bool accepted = dialog->result() == QDialog::Accepted && !dialog->isVisible();
    dialog->hide();
    if (form && form->isVisible()) {
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    return accepted;
}

QWidget* TGuiTest::Target(TDigitalDrawing* on, QPoint p, QPoint& local) {
    const QPoint shown = on->View().ToWidget(p);
    QWidget* child = on->childAt(shown);
    QWidget* target = child && child->isVisible() ? child : on;
    local = target->mapFrom(on, shown);
    return target;
}

void TGuiTest::DoubleClick(TDigitalDrawing* on, QPoint p) {
    QPoint local;
    QWidget* target = Target(on, p, local);
    QTest::mouseClick(target, Qt::LeftButton, {}, local);
    QTest::mouseDClick(target, Qt::LeftButton, {}, local);
    QTest::mouseRelease(target, Qt::LeftButton, {}, local);
}

QWidget* TGuiTest::Press(QPoint p) {
    QPoint local;
    QWidget* target = Target(canvas, p, local);
    QTest::mousePress(target, Qt::LeftButton, {}, local);
    return target;
}

void TGuiTest::Drag(QPoint from, QPoint to) {
    QWidget* target = Press(from);
    auto at = [&](QPoint p) { return target->mapFrom(canvas, canvas->View().ToWidget(p)); };
    for (int i = 1; i <= 4; ++i)
        QTest::mouseMove(target, at(from + (to - from) * i / 4));
    QTest::mouseRelease(target, Qt::LeftButton, {}, at(to));
}

QMenu* TGuiTest::RightClick(TGraphicObject* object) {
    popped = nullptr;
    QPoint local;
    QWidget* target = Target(canvas, object->RoundedCentre(), local);
    QTest::mouseClick(target, Qt::RightButton, {}, local);
    // The window system follows a right press with a context menu request; the test's own events
    // come without one.
    QContextMenuEvent request(QContextMenuEvent::Mouse, local, target->mapToGlobal(local));
    QCoreApplication::sendEvent(target, &request);
    EXPECT_EQ(canvas->Handles->Selected(), object);
    EXPECT_NE(popped, nullptr);
    return popped;
}

QByteArray TGuiTest::SaveBytes(const QString& name) {
    FileAnswer = Path(name);
    canvas->FileName.clear();
    Act("SpeedSave")->trigger();
    QFile file(FileAnswer);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

QStringList TGuiTest::FileTitles() const {
    QStringList titles;
    for (const TFileAsked& asked : fileRequests)
        titles << asked.Request.Title;
    return titles;
}

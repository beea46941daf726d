// What the main window does between the user and the canvas while editing: the tool buttons,
// placing parts, the Edit, View and Tools menus, keys, status hints and macro levels.

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "devices/InputDevice.h"
#include "devices/MemoryDevice.h"
#include "devices/OutputDevice.h"
#include "devices/ui/ChangeMemoryDialog.h"
#include "devices/ui/NumberOutDialog.h"
#include "drawing/GraphicText.h"
#include "drawing/Help.h"
#include "model/Macro.h"
#include "model/TagDevice.h"
#include "shell/EditTextDialog.h"
#include "shell/MainForm.h"
#include "shell/PartButton.h"
#include "template_editor/TemplateForm.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>

namespace {

const char* const kDeleteOneQuestion = "Are you sure you want to delete this object?";
const char* const kDeleteAllQuestion = "Are you sure you want to delete all of the selected objects?";

} // namespace

// ---------------------------------------------------------------------------------------------------
// Tool buttons

void TMainForm::SpeedUpdateClick(QObject* sender) {
    UpdatePrintCommands();
    auto* button = qobject_cast<QAction*>(sender);
    const bool partButton = button && button->data().toInt() == 0;
    if (partButton)
        for (QAction* mode : {m_speedPointer, m_speedInteraction, m_speedProbe})
            mode->setChecked(false);
    if (!m_speedWireTool->isChecked() && CircuitCanvas->WiringMode) {
        CircuitCanvas->SetWiringMode(false);
        CircuitCanvas->unsetCursor();
    }
    CircuitCanvas->SetInteractMode(m_speedInteraction->isChecked());
    CircuitCanvas->SetSelectMode(m_speedPointer->isChecked());
    CircuitCanvas->SetProbeMode(m_speedProbe->isChecked());
    RefreshClipboardButtons();
    if (m_speedPointer->isChecked() || m_speedInteraction->isChecked() || m_speedProbe->isChecked())
        for (QAction* part : m_partActions)
            part->setChecked(false);
}

void TMainForm::SpeedWireToolClick() {
    // The action group has already put every other part button up.
    for (QAction* mode : {m_speedPointer, m_speedInteraction, m_speedProbe})
        mode->setChecked(false);
    CircuitCanvas->Handles->HideSelection();
    CircuitCanvas->SetWiringMode(m_speedWireTool->isChecked());
    SpeedUpdateClick(m_speedWireTool);
}

void TMainForm::PointerDown() {
    m_speedPointer->setChecked(true);
    SpeedUpdateClick(this);
}

void TMainForm::RefreshClipboardButtons() {
    m_speedCut->setEnabled(CircuitCanvas->CanCopy());
    m_speedCopy->setEnabled(CircuitCanvas->CanCopy());
    m_speedPaste->setEnabled(CircuitCanvas->CanPaste());
}

// ---------------------------------------------------------------------------------------------------
// Placing parts

std::unique_ptr<TGraphicObject> TMainForm::CreatePart(const QString& buttonName) {
    if (buttonName == QLatin1String("SpeedMemoryDevice")) {
        TChangeMemoryDialog* dialog = TChangeMemoryDialog::Instance();
        if (!dialog || !TUserDialogs::Execute(dialog))
            return nullptr;
        auto memory = std::make_unique<TMemoryDevice>();
        const TMemoryDevice& chosen = dialog->Chosen();
        memory->Configure(chosen.IsRAM, chosen.AddressBits, chosen.DataBits);
        return memory;
    }
    if (buttonName == QLatin1String("SpeedNumericDevice")) {
        TNumberOutDialog* dialog = TNumberOutDialog::Instance();
        if (!dialog)
            return nullptr;
        dialog->ShowSizeGroup(true);
        if (!TUserDialogs::Execute(dialog))
            return nullptr;
        auto display = std::make_unique<TNumericDevice>();
        display->Format = dialog->Format();
        display->SetLineCount(dialog->LineCount());
        display->SetPinsAtBottom(dialog->PinsAtBottom());
        return display;
    }
    if (buttonName == QLatin1String("SpeedAnnotation")) {
        TEditTextDialog* dialog = TEditTextDialog::Instance();
        if (!dialog)
            return nullptr;
        dialog->EditCaption->setText(QStringLiteral("Annotation"));
        if (!TUserDialogs::Execute(dialog) || dialog->EditCaption->text().isEmpty())
            return nullptr;
        return dialog->NewText();
    }
    for (const TPartButton& button : PartButtons())
        if (button.Name == buttonName)
            return button.Create();
    return nullptr;
}

void TMainForm::DrawingMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    if (button == Qt::RightButton && CircuitCanvas->WiringMode && CircuitCanvas->Drawing) {
        auto* tag = new TTagDevice;
        CircuitCanvas->AddObject(tag, x, y, true);
        CircuitCanvas->FinishWireAtPin(tag->GetPin());
        PointerDown();
        return;
    }
    QAction* armed = m_partGroup->checkedAction();
    if (!armed || armed == m_speedWireTool)
        return;
    const bool keep = shift == Qt::ControlModifier && button == Qt::LeftButton;
    std::unique_ptr<TGraphicObject> part = CreatePart(armed->objectName());
    if (!part)
        return;
    TGraphicObject* placed = part.get();
    CircuitCanvas->AddObject(part.release(), x, y, keep);
    if (keep) {
        CircuitCanvas->repaint();
        return;
    }
    PointerDown();
    if (IsA<TClockDevice>(placed) || IsA<TBitGenerator>(placed))
        CircuitCanvas->Handles->SelectObject(placed);
}

void TMainForm::SetStatusHint(const QString& text) {
    // Every mouse move over the canvas lands here: only a change of text is worth the work.
    if (statusBar()->currentMessage() == text)
        return;
    if (text.isEmpty()) {
        statusBar()->clearMessage();
        return;
    }
    statusBar()->setStyleSheet(QStringLiteral("color: red"));
    statusBar()->showMessage(text);
}

void TMainForm::DrawingMouseMove(Qt::KeyboardModifiers, int, int) {
    TDigitalDrawing* canvas = CircuitCanvas;
    QString hint;
    if (canvas->WiringMode && canvas->OverConnectable) {
        hint = canvas->Drawing ? QStringLiteral("Use the left mouse button to finish wiring")
                               : QStringLiteral("Use the left mouse button to begin wiring");
        TMacro* macro = canvas->CurrentMacro;
        if (IsA<TMacro>(macro->HitChild) && macro->HitPin) {
            auto* part = static_cast<TMacro*>(macro->HitChild);
            hint += QStringLiteral(" - pin ") +
                    QString::number(part->Pins->Children->IndexOf(macro->HitPin) + 1) +
                    QStringLiteral(" available.");
        }
    } else if (canvas->InteractMode && canvas->OverConnectable) {
        hint = QStringLiteral("Use the left mouse button to change device state");
    }
    SetStatusHint(hint);
}

void TMainForm::DrawingObjectDblClick(TGraphicObject* object) {
    if (IsA<TMacro>(object))
        EditMacroClick();
}

// ---------------------------------------------------------------------------------------------------
// Edit menu

void TMainForm::MenuEditClick() {
    m_menuDelete->setEnabled(CircuitCanvas->HasSelection() || CircuitCanvas->Drawing);
    RefreshClipboardButtons();
    m_menuUndo->setEnabled(CircuitCanvas->CanUndo());
    m_menuUndo->setText(QStringLiteral("&Undo ") + CircuitCanvas->UndoName());
    m_menuRedo->setEnabled(CircuitCanvas->CanRedo());
    m_menuRedo->setText(QStringLiteral("&Redo ") + CircuitCanvas->RedoName());
}

void TMainForm::MenuUndoClick() {
    CircuitCanvas->Undo();
    m_speedCloseMacro->setVisible(CircuitCanvas->MacroOpen());
    SpeedUpdateClick(this);
}

void TMainForm::MenuRedoClick() {
    CircuitCanvas->Redo();
    m_speedCloseMacro->setVisible(CircuitCanvas->MacroOpen());
    SpeedUpdateClick(this);
}

void TMainForm::MenuCutClick() {
    CircuitCanvas->CutSelection();
    RefreshClipboardButtons();
}

void TMainForm::MenuCopyClick() {
    CircuitCanvas->CopySelection();
    RefreshClipboardButtons();
}

void TMainForm::MenuPasteClick() {
    CircuitCanvas->PasteClipboard();
    SpeedUpdateClick(this);
}

void TMainForm::DeleteClick() {
    TDigitalDrawing* canvas = CircuitCanvas;
    if (canvas->Drawing && canvas->WiringMode) {
        canvas->SetWiringMode(false);
        canvas->SetWiringMode(true);
        return;
    }
    if (!canvas->HasSelection())
        return;
    const char* question = canvas->GroupSelected() ? kDeleteAllQuestion : kDeleteOneQuestion;
    if (TUserDialogs::Message(this, TUserDialogs::TKind::Information, QString::fromLatin1(question),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    canvas->DeleteSelection();
    emit HistoryDevicesChanged();
    SpeedUpdateClick(this);
}

void TMainForm::EditSelectAllClick() {
    if (CircuitCanvas->SelectAll())
        PointerDown();
}

// ---------------------------------------------------------------------------------------------------
// Macro levels and the Tools menu

void TMainForm::EditMacroClick() {
    TDigitalDrawing* canvas = CircuitCanvas;
    auto* macro = canvas->Handles->SingleSelected() ? KindCast<TMacro>(canvas->Handles->Selected()) : nullptr;
    if (!macro)
        return;
    canvas->EditMacro(macro);
    m_speedCloseMacro->setVisible(true);
    emit HistoryDevicesChanged();
}

void TMainForm::MenuToolsClick() {
    // The outline belongs to the circuit shown at the root, not to a level opened inside it.
    Action("ToolsTemplateEditor")->setEnabled(TTemplateForm::Instance() && !CircuitCanvas->MacroOpen());
}

void TMainForm::ToolsTemplateEditorClick() {
    TTemplateForm* editor = TTemplateForm::Instance();
    if (!editor || CircuitCanvas->MacroOpen())
        return;
    TDigitalHandles* handles = CircuitCanvas->Handles;
    auto* tag = handles->SingleSelected() ? KindCast<TTagDevice>(handles->Selected()) : nullptr;
    editor->Edit(CircuitCanvas, tag);
    CircuitCanvas->repaint();
    SpeedUpdateClick(this);
}

void TMainForm::MenuOptionsClick() {
    // A datasheet and a name belong to the circuit, not to a level of it.
    Action("OptionsAttachDatasheet")->setEnabled(!CircuitCanvas->MacroOpen());
    Action("OptionsNameMacro")->setEnabled(!CircuitCanvas->MacroOpen());
}

// ---------------------------------------------------------------------------------------------------
// Keys

bool TMainForm::KeyFromCanvas(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && (widget == this || isAncestorOf(widget));
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::ShortcutOverride && type != QEvent::KeyPress) || !KeyFromCanvas(watched))
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    TDigitalDrawing* canvas = CircuitCanvas;

    // While a wire is drawn, Delete and Escape abandon it and do nothing else.
    const bool abandonKey = key->key() == Qt::Key_Delete || key->key() == Qt::Key_Escape;
    if (abandonKey && canvas->Drawing && canvas->WiringMode && key->modifiers() == Qt::NoModifier) {
        if (type == QEvent::KeyPress) {
            canvas->SetWiringMode(false);
            canvas->SetWiringMode(true);
        }
        event->accept();
        return true;
    }
    if (type == QEvent::ShortcutOverride) {
        // The menus decide what their shortcuts may do now, as when they open.
        MenuEditClick();
        return false;
    }
    if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
        const QPoint step = TDigitalHandles::ArrowStep(key->key());
        if (!step.isNull() && canvas->HasSelection()) {
            canvas->Handles->MoveSelectionBy(step.x(), step.y());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

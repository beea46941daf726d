// The main window's small dialogs: grid set-up, naming the circuit, and the about box.

#include "canvas/DigitalDrawing.h"
#include "canvas/UserDialogs.h"
#include "shell/AboutBox.h"
#include "shell/GridSetupDialog.h"
#include "shell/MainForm.h"
#include "shell/NameMacroDialog.h"

#include <QPlainTextEdit>

void TMainForm::MenuGridSetupClick() {
    TGrid grid = CircuitCanvas->Grid;
    if (!TGridSetupDialog::EditGrid(grid))
        return;
    // The canvas repaints when the dots change.
    CircuitCanvas->SetGrid(grid);
}

void TMainForm::OptionsNameMacroClick() {
    TNameMacroDialog* dialog = TNameMacroDialog::Instance();
    // The name belongs to the whole circuit, so it is not set from inside an open level.
    if (!dialog || CircuitCanvas->MacroOpen())
        return;
    dialog->EditMacroName->setPlainText(CircuitCanvas->MacroName);
    if (!TUserDialogs::Execute(dialog))
        return;
    CircuitCanvas->MacroName = dialog->EditMacroName->toPlainText();
    CircuitCanvas->SetModified(true);
    CircuitCanvas->RecordEdit(QStringLiteral("Name Macro"));
}

void TMainForm::MenuAboutClick() {
    if (TAboutBox* about = TAboutBox::Instance())
        TUserDialogs::Execute(about);
}

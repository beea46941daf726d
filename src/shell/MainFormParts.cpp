// The main window's parts centre, datasheet, help and print commands.

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "shell/AssociateHelpDialog.h"
#include "shell/DataFolders.h"
#include "shell/DatasheetPathDialog.h"
#include "shell/Datasheets.h"
#include "shell/DeviceMenu.h"
#include "shell/MainForm.h"
#include "shell/PartsCentre.h"
#include "shell/PrintPreviewForm.h"

#include <QAction>
#include <QLineEdit>
#include <QStatusBar>

void TMainForm::ConnectWindows() {
    addAction(Action("ContextHelp"));
    DeviceMenu->ConnectWindows();
    if (TPartsForm* parts = TPartsForm::Instance()) {
        parts->SetRootFolder(PartsCentreRoot());
        parts->setGeometry(PartsCentre.Left, PartsCentre.Top, PartsCentre.Width, PartsCentre.Height);
        parts->SetStatusBarVisible(PartsCentre.StatusVisible);
        parts->setVisible(PartsCentre.Visible);
        connect(parts, &TPartsForm::OnViewDatasheet, this, &TMainForm::ViewDatasheet, Qt::UniqueConnection);
        connect(parts, &TPartsForm::OnOpenMacro, this, &TMainForm::ReopenFile, Qt::UniqueConnection);
        // A macro saved into the parts folder is listed at once.
        connect(this, &TMainForm::FileSaved, parts, &TPartsForm::RefreshList, Qt::UniqueConnection);
        connect(parts, &TPartsForm::OnPartDropped, this, [this] {
            PointerDown();
            UpdateActions();
            activateWindow();
            statusBar()->clearMessage();
        });
        parts->AcceptDropsOn(CircuitCanvas);
    }
}

void TMainForm::TakeWindowPlacements() {
    DeviceMenu->TakePlacement();
    if (TPartsForm* parts = TPartsForm::Instance()) {
        const QRect placement = parts->geometry();
        PartsCentre.Left = placement.left();
        PartsCentre.Top = placement.top();
        PartsCentre.Width = placement.width();
        PartsCentre.Height = placement.height();
        PartsCentre.Visible = parts->isVisible();
        PartsCentre.StatusVisible = parts->StatusBarVisible();
    }
}

void TMainForm::SpeedPartsCentreClick() {
    if (TPartsForm* parts = TPartsForm::Instance()) {
        parts->show();
        parts->raise();
    }
}

void TMainForm::ViewDatasheet(const QString& datasheet, const QString&) {
    CircuitCanvas->HideMessage();
    TDatasheets datasheets;
    datasheets.UserFolder = UserDataFolder(QStringLiteral("datasheets"));
    datasheets.ShippedFolder = ShippedDataFolder(QStringLiteral("datasheets"));
    datasheets.DatasheetPath = DatasheetPath;
    if (!datasheets.View(datasheet))
        TUserDialogs::Message(this, TUserDialogs::TKind::Information,
                              QString::fromLatin1(kDatasheetFailedText));
}

void TMainForm::ContextHelp() {
    ::ContextHelp(
        CircuitCanvas->Handles->Selected(), CircuitCanvas->CurrentMacro,
        [this](const QString& datasheet, const QString& context) { ViewDatasheet(datasheet, context); });
}

void TMainForm::OptionsAttachDatasheetClick() {
    TAssociateHelpDialog* dialog = TAssociateHelpDialog::Instance();
    if (!dialog || CircuitCanvas->MacroOpen())
        return;
    TMacro* circuit = CircuitCanvas->CurrentMacro;
    dialog->Datasheet = circuit->Datasheet;
    dialog->Context = circuit->HelpTopic;
    dialog->FormShow();
    if (!TUserDialogs::Execute(dialog))
        return;
    dialog->ButtonOKClick();
    circuit->Datasheet = dialog->Datasheet;
    circuit->HelpTopic = dialog->Context;
    CircuitCanvas->SetModified(true);
    CircuitCanvas->RecordEdit(QStringLiteral("Attach Datasheet"));
}

void TMainForm::OptionsSetDatasheetPathClick() {
    TDatasheetPathDialog* dialog = TDatasheetPathDialog::Instance();
    if (!dialog)
        return;
    dialog->EditPath->setText(DatasheetPath);
    if (TUserDialogs::Execute(dialog))
        DatasheetPath = dialog->EditPath->text();
}

// A PDF file can always be printed to, so the print commands are always there.
void TMainForm::UpdatePrintCommands() {
    for (QAction* action :
         {m_speedPrint, m_menuPrintSetup, m_menuPrintPreview, m_menuPrint, Action("MenuPrintPdf")})
        action->setEnabled(TPrintPreview::Instance() != nullptr);
}

void TMainForm::SpeedPrintClick() {
    if (TPrintPreview* preview = TPrintPreview::Instance()) {
        preview->PrintMacro = CircuitCanvas->CurrentMacro;
        preview->PrintCircuit();
    }
}

void TMainForm::MenuPrintPdfClick() {
    if (TPrintPreview* preview = TPrintPreview::Instance()) {
        preview->PrintMacro = CircuitCanvas->CurrentMacro;
        preview->PrintToPdfClick();
    }
}

void TMainForm::MenuPrintPreviewClick() {
    if (TPrintPreview* preview = TPrintPreview::Instance()) {
        preview->PrintMacro = CircuitCanvas->CurrentMacro;
        preview->show();
        preview->raise();
        preview->Image->update();
    }
}

void TMainForm::MenuPrintSetupClick() {
    if (TPrintPreview* preview = TPrintPreview::Instance())
        preview->MenuPrintSetupClick();
}

// The template editor's files (clearing the outline, template files in the shipped and the user's
// folders), its View menu and its help.

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "drawing/Help.h"
#include "model/CircuitFile.h"
#include "model/Connect.h"
#include "model/TagDevice.h"
#include "shell/DataFolders.h"
#include "shell/GridSetupDialog.h"
#include "template_editor/TemplateForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace {

const char* const kChangedQuestion = "Template has changed, save current drawing?";

// The hourglass for as long as it lives.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

bool HoldsTemplates(const QString& folder) {
    return !folder.isEmpty() &&
           !QDir(folder).entryList({QStringLiteral("*.tvt")}, QDir::Files | QDir::Readable).isEmpty();
}

} // namespace

QString TTemplateForm::UserFolder() const {
    return UserDataFolder(QStringLiteral("Templates"));
}

QString TTemplateForm::ShippedFolder() const {
    return ShippedDataFolder(QStringLiteral("templates"));
}

bool TTemplateForm::SaveChangesFirst() {
    if (!EditCanvas->Modified)
        return true;
    switch (TUserDialogs::Message(this, TUserDialogs::TKind::Information,
                                  QString::fromLatin1(kChangedQuestion),
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return SaveClick();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void TTemplateForm::UnlinkAllTags() {
    EditCanvas->Handles->HideSelection();
    for (TTagDevice* tag : Macro()->Tags->Items<TTagDevice>()) {
        if (TMacroPin* pin = tag->MacroPin->Partner; pin && pin->Partner == tag->MacroPin.get())
            pin->Partner = nullptr;
        tag->MacroPin->Partner = nullptr;
        tag->SetPinNumber(-1);
    }
}

void TTemplateForm::OutlineReplaced() {
    TMacro* macro = Macro();
    m_speedTogglePins->setChecked(true);
    macro->ShowPins = true;
    ShowTextOutlines(true);
    ColourPins();
    SelectedPin = 0;
    EditCanvas->InvalidateAll();
    EditCanvas->SetModified(false);
    if (MainCanvas)
        MainCanvas->SetModified(true);
    MarkEdited();
    PressSelector();
}

void TTemplateForm::NewClick() {
    if (!SaveChangesFirst())
        return;
    UnlinkAllTags();
    TMacro* macro = Macro();
    macro->HitChild = nullptr;
    macro->HitPin = nullptr;
    macro->Children->FreeAll();
    macro->Pins->Children->FreeAll();
    OutlineReplaced();
}

void TTemplateForm::OpenClick() {
    if (!SaveChangesFirst())
        return;
    if (m_openFolder.isEmpty() || !QFileInfo(m_openFolder).isDir())
        m_openFolder =
            HoldsTemplates(UserFolder()) || ShippedFolder().isEmpty() ? UserFolder() : ShippedFolder();
    TUserDialogs::TFileRequest request;
    request.Title = QStringLiteral("Open Template");
    request.Folder = m_openFolder;
    request.Filter = QStringLiteral("Template Files (*.tvt)");
    request.DefaultSuffix = QStringLiteral("tvt");
    request.Places = {UserFolder(), ShippedFolder()};
    const QString path = TUserDialogs::OpenFileName(this, request);
    if (path.isEmpty())
        return;
    m_openFolder = QFileInfo(path).absolutePath();

    // The links go only once the new outline is in: a file that cannot be read changes nothing.
    EditCanvas->Handles->HideSelection();
    TMacro* macro = Macro();
    QString failure;
    TUserDialogs::TKind kind = TUserDialogs::TKind::Error;
    {
        TBusyCursor busy;
        try {
            macro->LoadTemplate(path);
        } catch (const EInvalidFileType&) {
            failure = QString::fromLatin1(kInvalidTemplateText);
        } catch (const EFileError&) {
            if (!QFileInfo::exists(path)) {
                failure = MissingFileText(path);
                kind = TUserDialogs::TKind::Information;
            } else {
                failure = QString::fromLatin1(kTemplateReadErrorText);
            }
        } catch (const std::exception&) {
            failure = QString::fromLatin1(kTemplateReadErrorText);
        }
    }
    if (!failure.isEmpty()) {
        TUserDialogs::Message(this, kind, failure);
        EditCanvas->InvalidateAll();
        return;
    }
    // The old pins went with the old outline; a template's pins belong to no tag yet, whatever the
    // file said.
    UnlinkAllTags();
    for (TMacroPin* pin : macro->Pins->Items<TMacroPin>()) {
        if (pin->Partner && pin->Partner->Partner == pin)
            pin->Partner->Partner = nullptr;
        pin->Partner = nullptr;
        if (pin->Wire) {
            pin->Wire->Detach(pin);
            pin->Wire = nullptr;
        }
        pin->Kind = TPinKind::Passive;
    }
    WiringChanged();
    MoveOutlineToMiddle();
    OutlineReplaced();
}

bool TTemplateForm::SaveClick() {
    TUserDialogs::TFileRequest request;
    request.Title = QStringLiteral("Save Template");
    request.Folder = UserFolder();
    request.Filter = QStringLiteral("Template Files (*.tvt)");
    request.DefaultSuffix = QStringLiteral("tvt");
    request.ConfirmOverwrite = true;
    request.Places = {UserFolder(), ShippedFolder()};
    QString path = TUserDialogs::SaveFileName(this, request);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".tvt");
    try {
        TBusyCursor busy;
        Macro()->SaveTemplate(path);
    } catch (const std::exception& error) {
        // Names the file and gives the system's reason; any old file stays as it was.
        TUserDialogs::Message(this, TUserDialogs::TKind::Error, QString::fromStdString(error.what()));
        return false;
    }
    // The main circuit's outline changed even though the drawing is now saved.
    if (EditCanvas->Modified)
        MarkEdited();
    EditCanvas->SetModified(false);
    return true;
}

// ---------------------------------------------------------------------------------------------------
// View and help

void TTemplateForm::MenuViewClick() {
    m_menuShowGrid->setChecked(EditCanvas->Grid.ShowGrid);
    m_menuSnapToGrid->setChecked(EditCanvas->Grid.Snap);
}

void TTemplateForm::MenuShowGridClick() {
    TGrid grid = EditCanvas->Grid;
    grid.ShowGrid = m_menuShowGrid->isChecked();
    EditCanvas->SetGrid(grid);
}

void TTemplateForm::MenuSnapToGridClick() {
    TGrid grid = EditCanvas->Grid;
    grid.Snap = m_menuSnapToGrid->isChecked();
    EditCanvas->SetGrid(grid);
}

void TTemplateForm::MenuGridSetupClick() {
    TGrid grid = EditCanvas->Grid;
    if (!TGridSetupDialog::EditGrid(grid))
        return;
    EditCanvas->SetGrid(grid);
}

void TTemplateForm::MenuHelpTopicsClick() {
    ShowHelpTopic(HelpFilePath(), kHelpWindowName, QStringLiteral("TemplateEditor.htm"));
}

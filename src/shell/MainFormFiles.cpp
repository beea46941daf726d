// The File menu: new, open, save, save as, reopen, circuit files dropped on the window, and the
// question that guards unsaved changes whenever the circuit is about to be replaced or closed.

#include "canvas/DigitalDrawing.h"
#include "canvas/UserDialogs.h"
#include "drawing/Serialize.h"
#include "shell/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <exception>

namespace {

const char* const kChangedQuestion = "Circuit has changed, save current circuit?";
const char* const kLevelQuestion =
    "This action will save to file the circuit at its current level, not its root "
    "level.  Do you want to proceed?";

TUserDialogs::TFileRequest CircuitRequest(const char* title, const QString& folder) {
    TUserDialogs::TFileRequest request;
    request.Title = QString::fromLatin1(title);
    request.Folder = folder;
    request.Filter = QStringLiteral("Macro Files (*.tvm)");
    request.DefaultSuffix = QStringLiteral("tvm");
    return request;
}

// The first local circuit file among the dropped ones; empty when there is none.
QString DroppedCircuit(const QMimeData* data) {
    if (!data)
        return {};
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() &&
            QFileInfo(path).suffix().compare(QLatin1String("tvm"), Qt::CaseInsensitive) == 0)
            return path;
    }
    return {};
}

// The hourglass for as long as it lives.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace

// A Yes that ends without a saved file ends the command too: the level question declined, the save
// dialog cancelled or the file not written would otherwise let the changes go unsaved.
bool TMainForm::SaveChangesFirst() {
    if (!CircuitCanvas->Modified)
        return true;
    switch (TUserDialogs::Message(this, TUserDialogs::TKind::Information,
                                  QString::fromLatin1(kChangedQuestion),
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        RepaintWindows();
        return SaveCommand();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

bool TMainForm::SaveCommand(TSaveMode mode) {
    SpeedUpdateClick(this);
    // The canvas writes the level it shows.
    const bool levelOpen = CircuitCanvas->MacroOpen();
    if (levelOpen &&
        TUserDialogs::Message(this, TUserDialogs::TKind::Warning, QString::fromLatin1(kLevelQuestion),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return false;
    QString path = CircuitCanvas->FileName;
    const bool ask = mode == TSaveMode::SaveAs || levelOpen || path.isEmpty();
    if (ask) {
        // Save As starts where the user last opened a file.
        const bool fromOpened = mode == TSaveMode::SaveAs && !m_openedFile.isEmpty();
        TUserDialogs::TFileRequest request = CircuitRequest(
            "Save Circuit", fromOpened ? QFileInfo(m_openedFile).absolutePath() : m_saveFolder);
        request.InitialName = QStringLiteral("Macro");
        request.ConfirmOverwrite = true;
        path = TUserDialogs::SaveFileName(this, request);
        if (path.isEmpty())
            return false;
        RepaintWindows();
    }
    try {
        CircuitCanvas->SaveToFile(path);
    } catch (const EWriteError& error) {
        // Names the file and gives the system's reason.
        TUserDialogs::Message(this, TUserDialogs::TKind::Error, QString::fromStdString(error.what()));
        return false;
    } catch (const std::exception& error) {
        TUserDialogs::Message(
            this, TUserDialogs::TKind::Error,
            QStringLiteral("Cannot write '%1': %2").arg(path, QString::fromStdString(error.what())));
        return false;
    }
    if (ask) {
        SetTitleFromFile();
        m_saveFolder = QFileInfo(path).absolutePath();
        emit FileSaved(path);
    }
    return true;
}

void TMainForm::SpeedSaveClick() {
    SaveCommand(TSaveMode::Save);
}

void TMainForm::MenuSaveAsClick() {
    SaveCommand(TSaveMode::SaveAs);
}

void TMainForm::SpeedNewClick() {
    if (!SaveChangesFirst())
        return;
    {
        TBusyCursor busy;
        CircuitCanvas->Clear();
        setWindowTitle(QStringLiteral("Tessivar - Untitled"));
        emit HistoryDevicesChanged();
    }
    PointerDown();
    UpdateActions();
}

void TMainForm::OpenCircuit(const QString& path) {
    RepaintWindows();
    CircuitCanvas->LoadFromFile(path);
    PointerDown();
    emit HistoryDevicesChanged();
    if (!CircuitCanvas->FileName.isEmpty())
        SetTitleFromFile();
    // Also a file that failed to load: the user asked for it last.
    AddToHistory(path);
    UpdateActions();
}

void TMainForm::SpeedOpenClick() {
    if (SaveChangesFirst()) {
        const QString path = TUserDialogs::OpenFileName(this, CircuitRequest("Open Circuit", m_openFolder));
        if (!path.isEmpty()) {
            m_openedFile = path;
            m_openFolder = QFileInfo(path).absolutePath();
            OpenCircuit(path);
        }
    }
    SpeedUpdateClick(this);
}

void TMainForm::ReopenFile(const QString& path) {
    if (SaveChangesFirst())
        OpenCircuit(path);
    SpeedUpdateClick(this);
}

void TMainForm::ReopenFileClick(QAction* item) {
    if (item && m_reopenItems.contains(item))
        ReopenFile(item->data().toString());
}

void TMainForm::MenuFileClick() {
    UpdatePrintCommands();
    if (FileHistory.isEmpty()) {
        m_menuReopen->menuAction()->setEnabled(false);
        return;
    }
    // While a macro level is open the submenu keeps what it showed last.
    if (CircuitCanvas->MacroOpen())
        return;
    m_menuReopen->menuAction()->setEnabled(true);
    for (qsizetype i = 0; i < m_reopenItems.size(); ++i) {
        QAction* item = m_reopenItems[i];
        const QString path = i < FileHistory.size() ? FileHistory[i] : QString();
        // The caption is the path exactly: no character of it becomes a shortcut.
        item->setText(QString(path).replace(QLatin1Char('&'), QLatin1String("&&")));
        item->setData(path);
        item->setVisible(!path.isEmpty());
    }
}

// ---------------------------------------------------------------------------------------------------
// Dropped files

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedCircuit(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    const QString path = DroppedCircuit(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The file manager waits until the drop returns; the questions come after it.
    QTimer::singleShot(0, this, [this, path] { ReopenFile(path); });
}

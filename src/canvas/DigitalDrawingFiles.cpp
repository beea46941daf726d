#include "canvas/DigitalDrawing.h"

#include "canvas/DigitalHandles.h"
#include "canvas/FileStatusDialog.h"
#include "canvas/UserDialogs.h"
#include "model/CircuitFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

#include <optional>

namespace {

// The hourglass for as long as it lives.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Closes the status dialog however the read ends.
class TStatusShown {
public:
    explicit TStatusShown(TFileStatusDialog* dialog) : m_dialog(dialog) {}
    ~TStatusShown() {
        if (m_dialog)
            m_dialog->hide();
    }
    TStatusShown(const TStatusShown&) = delete;
    TStatusShown& operator=(const TStatusShown&) = delete;

private:
    TFileStatusDialog* m_dialog;
};

void ReportReadFailure(QWidget* parent, const ECircuitFile& error) {
    const bool information =
        error.Kind == ECircuitFile::TKind::Missing || error.Kind == ECircuitFile::TKind::TooNew;
    TUserDialogs::Message(parent, information ? TUserDialogs::TKind::Information : TUserDialogs::TKind::Error,
                          error.Text);
}

// Reads a circuit file, reporting any failure to the user; progress may be empty.
std::optional<TCircuit> ReadReporting(QWidget* parent, const QString& path,
                                      const std::function<void()>& beforeBody,
                                      const std::function<void(int32_t)>& progress) {
    try {
        // The header first, so that a file we cannot read is refused before any progress shows.
        ReadCircuitHeader(path);
        if (beforeBody)
            beforeBody();
        return ReadCircuit(path, progress);
    } catch (const ECircuitFile& error) {
        ReportReadFailure(parent, error);
    } catch (const std::exception&) {
        ReportReadFailure(
            parent, ECircuitFile(ECircuitFile::TKind::Corrupt, QString::fromLatin1(kCorruptCircuitText)));
    }
    return std::nullopt;
}

// A circuit whose wiring had to be mended while it was read is used, but the user must know it may
// not behave as it did.
void WarnOfRepairs(QWidget* parent, const QString& path, const TCircuit& circuit) {
    if (!circuit.Repairs.isEmpty())
        TUserDialogs::Message(parent, TUserDialogs::TKind::Warning,
                              RepairedWiringText(path, circuit.Repairs));
}

} // namespace

void TDigitalDrawing::SaveToFile(const QString& path) {
    ModesOff();
    TBusyCursor busy;
    WriteCircuit(path, CurrentMacro, MacroName);
    // An open level saved on its own leaves the circuit's file and unsaved changes as they were:
    // the file holds that part only, so a later Save must not put the whole circuit there, and
    // changes made outside the level are still nowhere on disk.
    if (MacroOpen())
        return;
    FileName = path;
    SetModified(false);
    m_undo.MarkSaved();
}

bool TDigitalDrawing::LoadFromFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        TUserDialogs::Message(this, TUserDialogs::TKind::Information, MissingFileText(path));
        return false;
    }
    ModesOff();
    TBusyCursor busy;
    HideMessage();

    TFileStatusDialog* status = TFileStatusDialog::Instance();
    TStatusShown closeStatus(status);
    std::function<void(int32_t)> progress;
    if (status) {
        status->LabelStatus->setText(QStringLiteral("Reading ") + QFileInfo(path).fileName() +
                                     QStringLiteral(", please wait..."));
        progress = [status](int32_t percent) { status->SetProgress(percent); };
    }
    auto showStatus = [status] {
        if (!status)
            return;
        status->show();
        status->repaint();
    };
    std::optional<TCircuit> circuit = ReadReporting(this, path, showStatus, progress);
    if (!circuit)
        return false;

    ReplaceRoot(std::move(circuit->Root));
    FileName = path;
    MacroName = circuit->Name;
    InvalidateAll();
    SetModified(false);
    ResetCircuit();
    ResetHistory();
    if (status)
        status->hide();
    WarnOfRepairs(this, path, *circuit);
    return true;
}

void TDigitalDrawing::ReplaceRoot(std::unique_ptr<TMacro> root) {
    Handles->HideSelection();
    emit OnCircuitReplaced();
    MacroStack.clear();
    ProbeTarget = nullptr;
    ProbeState = 0;
    // Freeing a large circuit takes as long as reading it; it is left to the event loop, so the
    // new circuit shows first. Nothing refers into the old one any more.
    m_retired = std::move(m_root);
    QTimer::singleShot(0, this, [this] { m_retired.reset(); });
    m_root = std::move(root);
    CurrentMacro = m_root.get();
    CurrentMacro->Displayed = true;
    CurrentMacro->Nested = false;
}

bool TDigitalDrawing::InsertFile(const QString& path, int x, int y, bool select) {
    if (!QFileInfo::exists(path)) {
        TUserDialogs::Message(this, TUserDialogs::TKind::Information, MissingFileText(path));
        return false;
    }
    ModesOff();
    std::optional<TCircuit> circuit;
    {
        TBusyCursor busy;
        circuit = ReadReporting(this, path, {}, {});
    }
    if (!circuit)
        return false;

    TMacro* macro = circuit->Root.release();
    PrepareMacroPart(*macro, QPoint(x, y), [this](QPoint p) { return Grid.SnapPoint(p); });
    if (select) {
        Handles->HideSelection();
        InvalidateRect(macro->GetBounds().ToQRect());
        Handles->SelectObject(macro);
    }
    InvalidateRect(macro->GetBounds().ToQRect());
    CurrentMacro->Devices->AddChild(macro);
    ResetCircuit();
    SetModified(true);
    Handles->repaint();
    RecordEdit(QStringLiteral("Insert"));
    WarnOfRepairs(this, path, *circuit);
    return true;
}

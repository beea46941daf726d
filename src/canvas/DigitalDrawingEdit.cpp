// The edit commands of the main canvas: the clipboard (kept in memory as object-stream bytes and
// offered to other programs beside a picture), deleting, selecting everything, and undo and redo.

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "model/CircuitFile.h"
#include "model/TagDevice.h"

#include <QApplication>
#include <QClipboard>
#include <QDataStream>
#include <QImage>
#include <QMimeData>
#include <QPainter>

namespace {

const char* const kClipboardErrorText = "Unable to copy object to clipboard.";

// The hourglass for as long as it lives.
class TBusy {
public:
    TBusy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusy() { QApplication::restoreOverrideCursor(); }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;
};

// A circuit read from object-stream bytes, or nil when they hold none.
std::unique_ptr<TMacro> ReadMacro(const QByteArray& bytes) {
    try {
        std::unique_ptr<TGraphicObject> object = ReadClipboardBytes(bytes);
        if (IsA<TMacro>(object.get()))
            return std::unique_ptr<TMacro>(static_cast<TMacro*>(object.release()));
    } catch (const std::exception&) {
    }
    return nullptr;
}

std::array<TGraphicList*, 6> ListsOf(TMacro* macro) {
    return {macro->Devices.get(), macro->Tags.get(),   macro->Wires.get(),
            macro->Solders.get(), macro->Inputs.get(), macro->Outputs.get()};
}

// A state of the edit history is the circuit's bytes followed by what the file keeps beside the
// circuit (its name and datasheet context) and the length of that trailer, so an undo restores
// those too.
QByteArray WithFileFields(QByteArray circuit, const QString& name, const QString& context) {
    QByteArray trailer;
    QDataStream fields(&trailer, QIODeviceBase::WriteOnly);
    fields << name << context;
    QByteArray length;
    QDataStream size(&length, QIODeviceBase::WriteOnly);
    size << static_cast<quint32>(trailer.size());
    return circuit.append(trailer).append(length);
}

// Splits a history state back into the circuit's bytes, the name and the context.
QByteArray WithoutFileFields(const QByteArray& state, QString& name, QString& context) {
    if (state.size() < 4)
        return state;
    quint32 length = 0;
    QDataStream tail(state.right(4));
    tail >> length;
    if (length > static_cast<quint32>(state.size() - 4))
        return state;
    const qsizetype circuitSize = state.size() - 4 - static_cast<qsizetype>(length);
    QDataStream trailer(state.mid(circuitSize, length));
    trailer >> name >> context;
    return state.left(circuitSize);
}

// The circuit bytes another editor put on the system clipboard, or nothing.
QByteArray SystemClipboardBytes() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QString type = QString::fromLatin1(TDigitalDrawing::kClipboardMimeType);
    return data && data->hasFormat(type) ? data->data(type) : QByteArray();
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// Queries

bool TDigitalDrawing::CanCopy() {
    if (Handles->GroupSelected())
        return true;
    TGraphicObject* selected = Handles->SingleSelected() ? Handles->Selected() : nullptr;
    return selected && !IsA<TWire>(selected) && !IsA<TSolder>(selected);
}

bool TDigitalDrawing::CanPaste() const {
    return !ClipboardMacro->IsEmpty() || m_clipboardHoldsCircuit;
}

void TDigitalDrawing::SystemClipboardChanged() {
    // Asking another program's clipboard for its formats may wait on that program: once per change.
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    m_clipboardHoldsCircuit = mime && mime->hasFormat(QString::fromLatin1(kClipboardMimeType));
}

bool TDigitalDrawing::SingleObjectSelected() const {
    return Handles->SingleSelected();
}

bool TDigitalDrawing::GroupSelected() const {
    return Handles->GroupSelected();
}

bool TDigitalDrawing::HasSelection() const {
    return Handles->HasSelection();
}

std::vector<TGraphicObject*> TDigitalDrawing::SelectedObjects() const {
    std::vector<TGraphicObject*> objects;
    for (int i = 0; i < Handles->Items->ChildCount(); ++i)
        objects.push_back(Handles->Items->Child(i));
    return objects;
}

// ---------------------------------------------------------------------------------------------------
// Clipboard

std::unique_ptr<TMacro> TDigitalDrawing::CopyRegion(TMacro* source, const TRect& r) {
    // Writing and reading the stream makes a deep copy with every link inside it intact.
    std::unique_ptr<TMacro> copy = ReadMacro(WriteClipboardBytes(source));
    if (!copy) {
        TUserDialogs::Message(this, TUserDialogs::TKind::Information,
                              QString::fromLatin1(kClipboardErrorText));
        return nullptr;
    }
    copy->Closed = false;
    TGraphicList outside(kReferencesOnly);
    copy->CollectOutside(r, &outside);
    for (int i = 0; i < outside.ChildCount(); ++i)
        copy->DeleteChild(outside.Child(i));
    outside.Children->Clear();
    RemoveDanglingWires(copy.get());
    CleanSolders(copy.get());
    TTagDevice::ClassifyTags(copy.get());
    return copy;
}

void TDigitalDrawing::CopyBitmap(TMacro* macro) {
    const TRect b = macro->GetBounds();
    auto* mime = new QMimeData;
    if (!b.IsEmpty()) {
        QImage picture(b.Width(), b.Height(), QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter painter(&picture);
        painter.translate(-b.Left, -b.Top);
        macro->Draw(painter);
        painter.end();
        mime->setImageData(picture);
    }
    mime->setData(QString::fromLatin1(kClipboardMimeType), WriteClipboardBytes(macro));
    QGuiApplication::clipboard()->setMimeData(mime);
}

bool TDigitalDrawing::CopySelection() {
    if (CurrentMacro->Closed)
        return false;
    TBusy busy;
    PasteOffset = QPoint(20, 20);
    if (!CanCopy())
        return false;
    const TRect r = Handles->Selected()->GetBounds();
    std::unique_ptr<TMacro> copy = CopyRegion(CurrentMacro, r);
    if (!copy)
        return false;
    ClipboardMacro = std::move(copy);
    CopyBitmap(ClipboardMacro.get());
    InvalidateRect(r.ToQRect());
    return true;
}

void TDigitalDrawing::CutSelection() {
    if (CurrentMacro->Closed || !CanCopy() || !CopySelection())
        return;
    const std::vector<TGraphicObject*> objects = SelectedObjects();
    Handles->HideSelection();
    DeleteObjects(objects, true);
    SetModified(true);
    RecordEdit(QStringLiteral("Cut"));
}

void TDigitalDrawing::PasteClipboard() {
    if (CurrentMacro->Closed)
        return;
    const QByteArray foreign = SystemClipboardBytes();
    if (foreign.isEmpty() && ClipboardMacro->IsEmpty())
        return;
    TBusy busy;
    std::unique_ptr<TMacro> copy;
    if (!foreign.isEmpty()) {
        copy = ReadMacro(foreign);
        if (!copy) {
            TUserDialogs::Message(this, TUserDialogs::TKind::Information,
                                  QString::fromLatin1(kClipboardErrorText));
            return;
        }
        // Whatever wrote these bytes, the nets must come in well formed.
        copy->Closed = false;
        RemoveDanglingWires(copy.get());
        CleanSolders(copy.get());
        TTagDevice::ClassifyTags(copy.get());
    } else {
        copy = CopyRegion(ClipboardMacro.get(), ClipboardMacro->GetBounds());
        if (!copy)
            return;
    }
    Handles->HideSelection();
    const std::array<TGraphicList*, 6> from = ListsOf(copy.get());
    const std::array<TGraphicList*, 6> to = ListsOf(CurrentMacro);
    for (size_t i = 0; i < from.size(); ++i)
        for (int j = 0; j < from[i]->ChildCount(); ++j)
            to[i]->AddChild(from[i]->Child(j));
    copy->Offset(static_cast<float>(PasteOffset.x()), static_cast<float>(PasteOffset.y()));
    copy->UpdateVertices();
    TGraphicList pasted(kReferencesOnly);
    copy->CollectInside(copy->GetBounds(), &pasted);
    InvalidateRect(copy->GetBounds().ToQRect());
    Handles->SelectObject(&pasted);
    DetachAll(copy.get());
    PasteOffset += QPoint(20, 20);
    SetModified(true);
    RecordEdit(QStringLiteral("Paste"));
}

void TDigitalDrawing::DetachAll(TMacro* macro) {
    // The outline stays with the macro: nothing else owns it.
    for (TGraphicList* list : ListsOf(macro))
        list->Children->Clear();
}

// ---------------------------------------------------------------------------------------------------
// Deleting and selecting

void TDigitalDrawing::DeleteObjects(const std::vector<TGraphicObject*>& objects, bool removeDangling) {
    for (TGraphicObject* object : objects) {
        InvalidateRect(object->GetBounds().ToQRect());
        DeleteFromMacro(CurrentMacro, object);
    }
    if (removeDangling)
        RemoveDanglingWires(CurrentMacro);
    CleanSolders(CurrentMacro);
    ClassifyTags();
}

void TDigitalDrawing::DeleteSelection() {
    if (!Handles->HasSelection())
        return;
    TBusy busy;
    const std::vector<TGraphicObject*> objects = SelectedObjects();
    const QRect r = Handles->Selected()->GetBounds().ToQRect();
    // A wire deleted alone leaves no loose wire; its joints are merged.
    const bool singleWire = objects.size() == 1 && IsA<TWire>(objects.front());
    Handles->HideSelection();
    if (CurrentMacro->Closed) {
        // Shapes and pins of an outline: no net is touched.
        for (TGraphicObject* object : objects)
            DeleteFromMacro(CurrentMacro, object);
    } else {
        DeleteObjects(objects, !singleWire);
    }
    SetModified(true);
    InvalidateRect(r);
    RecordEdit(QStringLiteral("Delete"));
}

bool TDigitalDrawing::SelectAll() {
    ModesOff();
    TGraphicList all(kReferencesOnly);
    if (!CurrentMacro->CollectInside(CurrentMacro->GetBounds(), &all))
        return false;
    Handles->HideSelection();
    Handles->SelectObject(&all);
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Undo and redo

void TDigitalDrawing::RecordEdit(const QString& name) {
    if (!KeepHistory)
        return;
    // A wire being drawn hangs on pins of the circuit and must not be written with it.
    if (Drawing) {
        m_pendingEdit = name;
        return;
    }
    m_pendingEdit.clear();
    m_undo.Push(name, CircuitBytes());
}

void TDigitalDrawing::ResetHistory() {
    m_pendingEdit.clear();
    if (KeepHistory)
        m_undo.Reset(CircuitBytes());
}

std::vector<int> TDigitalDrawing::OpenPath() const {
    std::vector<int> path;
    for (size_t i = 0; i < MacroStack.size(); ++i) {
        TMacro* child = i + 1 < MacroStack.size() ? MacroStack[i + 1] : CurrentMacro;
        path.push_back(MacroStack[i]->Devices->Children->IndexOf(child));
    }
    return path;
}

QByteArray TDigitalDrawing::CircuitBytes() {
    struct TFlags {
        TMacro* Macro;
        bool Closed;
        bool Displayed;
    };
    std::vector<TFlags> open;
    if (MacroOpen()) {
        for (size_t i = 1; i < MacroStack.size(); ++i)
            open.push_back({MacroStack[i], MacroStack[i]->Closed, MacroStack[i]->Displayed});
        open.push_back({CurrentMacro, CurrentMacro->Closed, CurrentMacro->Displayed});
    }
    for (const TFlags& level : open) {
        level.Macro->Closed = true;
        level.Macro->Displayed = false;
    }
    TMacro* root = RootMacro();
    const bool rootDisplayed = root->Displayed;
    root->Displayed = true;
    QByteArray bytes = WithFileFields(WriteClipboardBytes(root), MacroName, root->HelpTopic);
    root->Displayed = rootDisplayed;
    for (const TFlags& level : open) {
        level.Macro->Closed = level.Closed;
        level.Macro->Displayed = level.Displayed;
    }
    return bytes;
}

void TDigitalDrawing::Undo() {
    if (!CanUndo())
        return;
    EndDrawing();
    if (CanUndo())
        RestoreCircuit(m_undo.Undo());
}

void TDigitalDrawing::Redo() {
    EndDrawing();
    if (CanRedo())
        RestoreCircuit(m_undo.Redo());
}

void TDigitalDrawing::RestoreCircuit(const QByteArray& state) {
    QString name;
    QString context;
    std::unique_ptr<TMacro> root = ReadMacro(WithoutFileFields(state, name, context));
    if (!root)
        return;
    MacroName = name;
    root->HelpTopic = context;
    const std::vector<int> path = OpenPath();
    Handles->HideSelection();
    HideMessage();
    RubberBanding = false;
    ReplaceRoot(std::move(root));
    // Back into the level that was open, as far as it still exists.
    for (int index : path) {
        TMacro* inner = index >= 0 && index < CurrentMacro->Devices->ChildCount()
                            ? KindCast<TMacro>(CurrentMacro->Devices->Child(index))
                            : nullptr;
        if (!inner)
            break;
        CurrentMacro->Displayed = false;
        MacroStack.push_back(CurrentMacro);
        CurrentMacro = inner;
        inner->Displayed = true;
        inner->Closed = false;
    }
    InvalidateAll();
    NeedsRebuild = false;
    SetModified(!m_undo.AtSaved());
    ResetCircuit();
}

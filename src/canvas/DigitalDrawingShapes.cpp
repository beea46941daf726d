// The edit commands of a macro's outline, used by the template editor: its own clipboard of
// shapes (kept in memory, copied through the object stream), deleting by cut, selecting every
// shape and pin, and the drawing order of the shapes.

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "model/CircuitFile.h"

#include <algorithm>

namespace {

const char* const kClipboardErrorText = "Unable to copy object to clipboard.";

} // namespace

std::unique_ptr<TGraphicList> TDigitalDrawing::CloneShapes(const std::vector<TGraphicObject*>& shapes) {
    // An outline pin is written as a fresh pin on its centre: the pin's partner would otherwise
    // drag the tag's link pin, and with it the link, into the copy.
    TGraphicList temporary(kReferencesOnly);
    std::vector<std::unique_ptr<TMacroPin>> substitutes;
    for (TGraphicObject* shape : shapes) {
        if (!IsA<TMacroPin>(shape)) {
            temporary.AddChild(shape);
            continue;
        }
        auto pin = std::make_unique<TMacroPin>();
        float x, y;
        shape->GetCentre(x, y);
        pin->Offset(x, y);
        pin->UpdateVertices();
        temporary.AddChild(pin.get());
        substitutes.push_back(std::move(pin));
    }
    const QByteArray bytes = WriteClipboardBytes(&temporary);
    temporary.Children->Clear();
    substitutes.clear();
    NeedsRebuild = true;
    try {
        std::unique_ptr<TGraphicObject> object = ReadClipboardBytes(bytes);
        if (KindCast<TGraphicList>(object.get()) && !IsA<TDevice>(object.get()))
            return std::unique_ptr<TGraphicList>(static_cast<TGraphicList*>(object.release()));
    } catch (const std::exception&) {
    }
    TUserDialogs::Message(this, TUserDialogs::TKind::Information, QString::fromLatin1(kClipboardErrorText));
    return nullptr;
}

bool TDigitalDrawing::CopyShapes() {
    if (!CurrentMacro->Closed || !HasSelection())
        return false;
    PasteOffset = QPoint(20, 20);
    std::unique_ptr<TGraphicList> clone = CloneShapes(SelectedObjects());
    if (!clone)
        return false;
    ShapeClipboard = std::move(clone);
    return true;
}

void TDigitalDrawing::CutShapes() {
    if (!CurrentMacro->Closed || !HasSelection() || !CopyShapes())
        return;
    const std::vector<TGraphicObject*> shapes = SelectedObjects();
    Handles->HideSelection();
    for (TGraphicObject* shape : shapes) {
        InvalidateRect(shape->GetBounds().ToQRect());
        DeleteFromMacro(CurrentMacro, shape);
    }
    SetModified(true);
    RecordEdit(QStringLiteral("Cut"));
}

void TDigitalDrawing::PasteShapes() {
    if (!CurrentMacro->Closed || !CanPasteShapes())
        return;
    const TListView<TGraphicObject> copied = ShapeClipboard->Items();
    std::unique_ptr<TGraphicList> clone = CloneShapes({copied.begin(), copied.end()});
    if (!clone)
        return;
    Handles->HideSelection();
    clone->Offset(static_cast<float>(PasteOffset.x()), static_cast<float>(PasteOffset.y()));
    clone->UpdateVertices();
    TGraphicList pasted(kReferencesOnly);
    for (TGraphicObject* shape : clone->Items()) {
        if (IsA<TPin>(shape))
            CurrentMacro->Pins->AddChild(shape);
        else
            CurrentMacro->AddChild(shape);
        pasted.AddChild(shape);
        InvalidateRect(shape->GetBounds().ToQRect());
    }
    clone->Children->Clear();
    Handles->SelectObject(&pasted);
    PasteOffset += QPoint(20, 20);
    SetModified(true);
    RecordEdit(QStringLiteral("Paste"));
}

void TDigitalDrawing::SelectAllShapes() {
    if (!CurrentMacro->Closed)
        return;
    ModesOff();
    TGraphicList all(kReferencesOnly);
    for (TGraphicObject* pin : CurrentMacro->Pins->Items())
        all.AddChild(pin);
    for (TGraphicObject* shape : CurrentMacro->Items())
        all.AddChild(shape);
    Handles->HideSelection();
    Handles->SelectObject(&all);
}

void TDigitalDrawing::BringSelectionToFront() {
    if (!CurrentMacro->Closed || !HasSelection())
        return;
    const QRect bounds = Handles->Selected()->GetBounds().ToQRect();
    for (TGraphicObject* shape : SelectedObjects())
        if (!IsA<TPin>(shape) && CurrentMacro->Children->IndexOf(shape) >= 0)
            CurrentMacro->BringToFront(shape);
    InvalidateRect(bounds);
    SetModified(true);
    RecordEdit(QStringLiteral("Bring to Front"));
}

void TDigitalDrawing::SendSelectionToBack() {
    if (!CurrentMacro->Closed || !HasSelection())
        return;
    const QRect bounds = Handles->Selected()->GetBounds().ToQRect();
    // Backwards, so that a group keeps its own order at the back.
    std::vector<TGraphicObject*> shapes = SelectedObjects();
    std::reverse(shapes.begin(), shapes.end());
    for (TGraphicObject* shape : shapes)
        if (!IsA<TPin>(shape) && CurrentMacro->Children->IndexOf(shape) >= 0)
            CurrentMacro->SendToBack(shape);
    InvalidateRect(bounds);
    SetModified(true);
    RecordEdit(QStringLiteral("Send to Back"));
}

// File > Export Image: the shown level, or the selection, as a PNG, SVG or PDF picture drawn as the
// canvas draws it, with the levels the wires and displays show now.

#include "canvas/DigitalDrawing.h"
#include "canvas/UserDialogs.h"
#include "drawing/SafeFile.h"
#include "model/Macro.h"
#include "picture/PictureWriter.h"
#include "shell/ExportImageDialog.h"
#include "shell/MainForm.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>

namespace {

// The picture the circuit file's name suggests, beside it; "Untitled.png" in the home folder.
QString SuggestedName(const QString& circuitFile, const QString& homeFolder) {
    if (circuitFile.isEmpty())
        return QDir(homeFolder).filePath(QStringLiteral("Untitled.png"));
    const QFileInfo info(circuitFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".png"));
}

} // namespace

void TMainForm::MenuExportImageClick() {
    TExportImageDialog* dialog = TExportImageDialog::Instance();
    if (!dialog)
        return;
    SpeedUpdateClick(this);
    TMacro* level = CircuitCanvas->CurrentMacro;
    const std::vector<TGraphicObject*> selected = CircuitCanvas->SelectedObjects();
    TRect selectionBounds;
    for (TGraphicObject* object : selected)
        selectionBounds = UnionRect(selectionBounds, object->GetBounds());

    dialog->LevelArea = PictureArea(CircuitCanvas->ShownBounds());
    dialog->SelectionArea = selected.empty() ? QRectF() : PictureArea(selectionBounds);
    if (dialog->FileName.isEmpty())
        dialog->FileName = SuggestedName(CircuitCanvas->FileName, HomeFolder);
    if (!TUserDialogs::Execute(dialog))
        return;

    const bool selectionOnly = dialog->SelectionOnly && !selected.empty();
    TPictureOptions options;
    options.Scale = dialog->ScalePercent / 100.0;
    options.Transparent = dialog->Transparent;
    options.Title = CircuitCanvas->MacroName.isEmpty() ? TitleFromFileName(CircuitCanvas->FileName)
                                                       : CircuitCanvas->MacroName;
    options.Creator = QStringLiteral("Tessivar");
    const QRectF area = selectionOnly ? dialog->SelectionArea : dialog->LevelArea;
    auto draw = [&](QPainter& painter) {
        if (!selectionOnly) {
            CircuitCanvas->DrawShown(painter);
            return;
        }
        // The selected objects in the order the level draws its lists, so what lies on top stays there.
        for (TGraphicList* list : level->DrawOrder())
            for (TGraphicObject* child : list->Items())
                if (std::find(selected.begin(), selected.end(), child) != selected.end())
                    child->Draw(painter);
    };
    try {
        WritePicture(dialog->FileName, *PictureFormatOf(dialog->FileName), area, options, draw);
    } catch (const EFileWriteError& error) {
        TUserDialogs::Message(this, TUserDialogs::TKind::Error,
                              QStringLiteral("Unable to write the image '%1': %2")
                                  .arg(QDir::toNativeSeparators(error.Path), error.Reason));
    } catch (const std::exception& error) {
        TUserDialogs::Message(
            this, TUserDialogs::TKind::Error,
            QStringLiteral("Unable to write the image '%1': %2")
                .arg(QDir::toNativeSeparators(dialog->FileName), QString::fromLocal8Bit(error.what())));
    }
}

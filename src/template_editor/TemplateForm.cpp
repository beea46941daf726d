#include "template_editor/TemplateForm.h"

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "drawing/GraphicText.h"
#include "model/Connect.h"
#include "model/Macro.h"
#include "model/TagDevice.h"
#include "shell/EditTextDialog.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

TTemplateForm* g_instance = nullptr;

const char* const kDeleteOneQuestion = "Are you sure you want to delete this object?";
const char* const kDeleteAllQuestion = "Are you sure you want to delete all of the selected objects?";
const char* const kPolygonStatus = "Double click mouse to terminate polygon";
const char* const kPolylineStatus = "Double click mouse to terminate polyline";
constexpr float kCircleRadius = 5;

enum class TToolIcon { Selector, Circle, Polygon, Polyline, Annotation, Pin, Pins };

// The drawing tools' pictures, drawn rather than shipped.
QIcon ToolIcon(TToolIcon tool) {
    QPixmap picture(20, 20);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    switch (tool) {
    case TToolIcon::Selector:
        painter.setBrush(Qt::black);
        painter.drawPolygon(QPolygon({QPoint(5, 2), QPoint(5, 16), QPoint(9, 12), QPoint(14, 13)}));
        break;
    case TToolIcon::Circle:
        painter.drawEllipse(QRect(4, 4, 12, 12));
        break;
    case TToolIcon::Polygon:
        painter.setBrush(QColor(255, 255, 200));
        painter.drawPolygon(QPolygon({QPoint(3, 15), QPoint(7, 3), QPoint(17, 6), QPoint(15, 17)}));
        break;
    case TToolIcon::Polyline:
        painter.drawPolyline(QPolygon({QPoint(2, 16), QPoint(7, 4), QPoint(12, 14), QPoint(18, 3)}));
        break;
    case TToolIcon::Annotation: {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(15);
        font.setItalic(true);
        painter.setFont(font);
        painter.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, QStringLiteral("A"));
        break;
    }
    case TToolIcon::Pin:
        painter.setBrush(Qt::white);
        painter.drawRect(QRect(6, 6, 8, 8));
        painter.drawLine(QPoint(1, 10), QPoint(6, 10));
        break;
    case TToolIcon::Pins:
        painter.setBrush(QColor(255, 255, 0));
        painter.drawRect(QRect(2, 6, 7, 7));
        painter.setBrush(QColor(255, 0, 0));
        painter.drawRect(QRect(11, 6, 7, 7));
        break;
    }
    return QIcon(picture);
}

} // namespace

TTemplateForm::TTemplateForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TemplateForm"));
    setWindowTitle(QStringLiteral("Template Editor"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setModal(true);
    setSizeGripEnabled(true);
    resize(560, 440);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("DrawingPanel"));
    panel->setAutoFillBackground(true);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    EditCanvas = new TDigitalDrawing(panel);
    EditCanvas->setObjectName(QStringLiteral("EditCanvas"));
    EditCanvas->setFocusPolicy(Qt::ClickFocus);
    EditCanvas->setContextMenuPolicy(Qt::CustomContextMenu);
    panelLayout->addWidget(EditCanvas);
    EditCanvas->BackgroundColour = QColorToColour(panel->palette().color(QPalette::Window));
    EditCanvas->ShowClosed = true;
    EditCanvas->KeepHistory = false;
    EditCanvas->Handles->MinSize = 5;
    EditCanvas->Handles->setContextMenuPolicy(Qt::CustomContextMenu);
    TGrid grid;
    grid.SnapSize = 5;
    grid.DisplaySize = 2;
    EditCanvas->SetGrid(grid);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);

    ColourDialog = new QColorDialog(this);
    ColourDialog->setObjectName(QStringLiteral("ColourDialog"));

    CreateActions();
    CreateMenus();
    CreateToolBars();
    layout->addWidget(panel, 1);
    layout->addWidget(StatusBar);

    connect(EditCanvas, &TDigitalDrawing::OnMouseDown, this, &TTemplateForm::EditCanvasMouseDown);
    connect(EditCanvas, &TDigitalDrawing::OnMouseUp, this, &TTemplateForm::UpdateEditCommands);
    connect(EditCanvas, &TDigitalDrawing::OnObjectDeSelected, this, &TTemplateForm::UpdateEditCommands);
    connect(EditCanvas, &TDigitalDrawing::OnEndDrawing, this, &TTemplateForm::EditCanvasEndDrawing);
    connect(EditCanvas->Handles, &TDigitalHandles::OnSetItem, this, &TTemplateForm::HandlesSetItem);
    for (auto changed : {&TDigitalHandles::OnItemMoved, &TDigitalHandles::OnItemSized,
                         &TDigitalHandles::OnItemRotated, &TDigitalHandles::OnVertexMoved})
        connect(EditCanvas->Handles, changed, this, &TTemplateForm::MarkEdited);
    auto popup = [this](QWidget* from) {
        return [this, from](const QPoint& at) {
            if (EditCanvas->HasSelection())
                PopupMenu->exec(from->mapToGlobal(at));
        };
    };
    connect(EditCanvas, &QWidget::customContextMenuRequested, this, popup(EditCanvas));
    connect(EditCanvas->Handles, &QWidget::customContextMenuRequested, this, popup(EditCanvas->Handles));

    if (!g_instance)
        g_instance = this;
}

TTemplateForm::~TTemplateForm() {
    if (g_instance == this)
        g_instance = nullptr;
}

TTemplateForm* TTemplateForm::Instance() {
    return g_instance;
}

QAction* TTemplateForm::NewAction(const char* name, const char* text, const char* hint,
                                  const char* shortcut) {
    auto* action = new QAction(QString::fromLatin1(text), this);
    action->setObjectName(QString::fromLatin1(name));
    if (hint) {
        action->setToolTip(QString::fromLatin1(hint));
        action->setStatusTip(QString::fromLatin1(hint));
    }
    if (shortcut)
        action->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    return action;
}

void TTemplateForm::CreateActions() {
    m_fileNew = NewAction("MenuNew", "&New", "New", "Ctrl+N");
    m_fileOpen = NewAction("MenuOpenTemplate", "&Open Template...", "Open", "Ctrl+O");
    m_fileSave = NewAction("MenuSaveTemplate", "&Save Template", "Save", "Ctrl+S");
    m_fileClose = NewAction("MenuClose", "&Close");
    m_editCut = NewAction("MenuCut", "&Cut", "Cut", "Ctrl+X");
    m_editCopy = NewAction("MenuCopy", "C&opy", "Copy", "Ctrl+C");
    m_editPaste = NewAction("MenuPaste", "&Paste", "Paste", "Ctrl+V");
    m_editDelete = NewAction("MenuDelete", "&Delete", nullptr, "Del");
    m_editSelectAll = NewAction("MenuSelectAll", "&Select All", nullptr, "Ctrl+A");
    m_menuShowGrid = NewAction("MenuShowGrid", "&Show Grid");
    m_menuSnapToGrid = NewAction("MenuSnapToGrid", "S&nap To Grid");
    m_menuGridSetup = NewAction("MenuGridSetup", "&Grid Setup...");
    m_menuHelpTopics = NewAction("MenuHelpTopics", "&Help Topics...");
    m_menuShowGrid->setCheckable(true);
    m_menuShowGrid->setChecked(true);
    m_menuSnapToGrid->setCheckable(true);
    m_menuSnapToGrid->setChecked(true);

    QStyle* style = this->style();
    m_fileNew->setIcon(style->standardIcon(QStyle::SP_FileIcon));
    m_fileOpen->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    m_fileSave->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    m_editCut->setIcon(style->standardIcon(QStyle::SP_DialogDiscardButton));
    m_editCopy->setIcon(style->standardIcon(QStyle::SP_FileDialogNewFolder));
    m_editPaste->setIcon(style->standardIcon(QStyle::SP_DialogApplyButton));

    connect(m_fileNew, &QAction::triggered, this, &TTemplateForm::NewClick);
    connect(m_fileOpen, &QAction::triggered, this, &TTemplateForm::OpenClick);
    connect(m_fileSave, &QAction::triggered, this, &TTemplateForm::SaveClick);
    connect(m_fileClose, &QAction::triggered, this, &QDialog::accept);
    connect(m_editCut, &QAction::triggered, this, &TTemplateForm::CutClick);
    connect(m_editCopy, &QAction::triggered, this, &TTemplateForm::CopyClick);
    connect(m_editPaste, &QAction::triggered, this, &TTemplateForm::PasteClick);
    connect(m_editDelete, &QAction::triggered, this, &TTemplateForm::DeleteClick);
    connect(m_editSelectAll, &QAction::triggered, this, &TTemplateForm::SelectAllClick);
    connect(m_menuShowGrid, &QAction::triggered, this, &TTemplateForm::MenuShowGridClick);
    connect(m_menuSnapToGrid, &QAction::triggered, this, &TTemplateForm::MenuSnapToGridClick);
    connect(m_menuGridSetup, &QAction::triggered, this, &TTemplateForm::MenuGridSetupClick);
    connect(m_menuHelpTopics, &QAction::triggered, this, &TTemplateForm::MenuHelpTopicsClick);
    // The shortcuts work wherever the focus is in this window.
    addActions({m_fileNew, m_fileOpen, m_fileSave, m_editCut, m_editCopy, m_editPaste, m_editDelete,
                m_editSelectAll});

    m_speedSelector = NewAction("SpeedSelector", "Object Selector", "Object Selector");
    m_speedCircle = NewAction("SpeedCircle", "Circle", "Circle");
    m_speedPolygon = NewAction("SpeedPolygon", "Polygon", "Polygon");
    m_speedPolyline = NewAction("SpeedPolyline", "Polyline", "Polyline");
    m_speedAnnotation = NewAction("SpeedAnnotation", "Annotation", "Annotation");
    m_speedPin = NewAction("SpeedPin", "Pin", "Pin");
    m_speedTogglePins = NewAction("SpeedTogglePins", "Toggle Display Pins", "Toggle Display Pins");
    m_tools = new QActionGroup(this);
    m_tools->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const std::pair<QAction*, TToolIcon> tools[] = {
        {m_speedSelector, TToolIcon::Selector},     {m_speedCircle, TToolIcon::Circle},
        {m_speedPolygon, TToolIcon::Polygon},       {m_speedPolyline, TToolIcon::Polyline},
        {m_speedAnnotation, TToolIcon::Annotation}, {m_speedPin, TToolIcon::Pin}};
    for (const auto& [tool, icon] : tools) {
        tool->setCheckable(true);
        tool->setIcon(ToolIcon(icon));
        m_tools->addAction(tool);
    }
    m_speedTogglePins->setCheckable(true);
    m_speedTogglePins->setChecked(true);
    m_speedTogglePins->setIcon(ToolIcon(TToolIcon::Pins));
    for (QAction* tool : {m_speedSelector, m_speedCircle, m_speedAnnotation, m_speedPin})
        connect(tool, &QAction::triggered, this, &TTemplateForm::DrawingToolClick);
    connect(m_speedPolygon, &QAction::triggered, this, &TTemplateForm::SpeedPolygonClick);
    connect(m_speedPolyline, &QAction::triggered, this, &TTemplateForm::SpeedPolylineClick);
    connect(m_speedTogglePins, &QAction::triggered, this, &TTemplateForm::SpeedTogglePinsClick);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    connect(PopupMenu, &QMenu::aboutToShow, this,
            [this] { m_popEditPoints->setChecked(EditCanvas->Handles->VertexEditing); });
    auto item = [this](const char* name, const char* text, void (TTemplateForm::*slot)()) {
        QAction* action = NewAction(name, text);
        PopupMenu->addAction(action);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    m_popCut = item("PopCut", "&Cut", &TTemplateForm::CutClick);
    m_popCopy = item("PopCopy", "C&opy", &TTemplateForm::CopyClick);
    m_popPaste = item("PopPaste", "&Paste", &TTemplateForm::PasteClick);
    m_popSeparator1 = PopupMenu->addSeparator();
    m_popEditAnnotation =
        item("PopEditAnnotation", "&Edit Annotation...", &TTemplateForm::PopEditAnnotationClick);
    m_popAssociate = item("PopAssociate", "&Associate With Tag", &TTemplateForm::PopAssociateClick);
    m_popEditPoints = item("PopEditPoints", "&Edit Points", &TTemplateForm::PopEditPointsClick);
    m_popEditPoints->setCheckable(true);
    m_popSeparator2 = PopupMenu->addSeparator();
    m_popPenColour = item("PopPenColour", "&Pen Colour...", &TTemplateForm::PopPenColourClick);
    m_popBrushColour = item("PopBrushColour", "&Brush Colour...", &TTemplateForm::PopBrushColourClick);
    m_popSeparator3 = PopupMenu->addSeparator();
    m_popBringToFront = item("PopBringToFront", "&Bring To Front", &TTemplateForm::PopBringToFrontClick);
    m_popSendToBack = item("PopSendToBack", "&Send To Back", &TTemplateForm::PopSendToBackClick);
    m_popSeparator4 = PopupMenu->addSeparator();
    m_popDelete = item("PopDelete", "&Delete", &TTemplateForm::DeleteClick);
}

void TTemplateForm::CreateMenus() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MenuBar"));
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MenuFile"));
    file->addActions({m_fileNew, m_fileOpen, m_fileSave});
    file->addSeparator();
    file->addAction(m_fileClose);
    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("MenuEdit"));
    connect(edit, &QMenu::aboutToShow, this, &TTemplateForm::UpdateEditCommands);
    edit->addActions({m_editCut, m_editCopy, m_editPaste});
    edit->addSeparator();
    edit->addAction(m_editDelete);
    edit->addSeparator();
    edit->addAction(m_editSelectAll);
    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("MenuView"));
    connect(view, &QMenu::aboutToShow, this, &TTemplateForm::MenuViewClick);
    view->addActions({m_menuShowGrid, m_menuSnapToGrid});
    view->addSeparator();
    view->addAction(m_menuGridSetup);
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("MenuHelp"));
    help->addAction(m_menuHelpTopics);
    layout()->setMenuBar(bar);
}

void TTemplateForm::CreateToolBars() {
    auto* files = new QToolBar(QStringLiteral("File and Clipboard"), this);
    files->setObjectName(QStringLiteral("ToolBar1"));
    files->addActions({m_fileNew, m_fileOpen, m_fileSave});
    files->addSeparator();
    files->addActions({m_editCut, m_editCopy, m_editPaste});
    auto* drawing = new QToolBar(QStringLiteral("Drawing Tools"), this);
    drawing->setObjectName(QStringLiteral("ToolBar2"));
    drawing->addAction(m_speedSelector);
    drawing->addSeparator();
    drawing->addActions({m_speedCircle, m_speedPolygon, m_speedPolyline, m_speedAnnotation, m_speedPin});
    drawing->addSeparator();
    drawing->addAction(m_speedTogglePins);
    auto* bars = new QHBoxLayout;
    bars->setSpacing(0);
    bars->addWidget(files);
    bars->addWidget(drawing);
    bars->addStretch(1);
    static_cast<QVBoxLayout*>(layout())->addLayout(bars);
}

TMacro* TTemplateForm::Macro() const {
    return EditCanvas->CurrentMacro;
}

void TTemplateForm::MarkEdited() {
    m_edited = true;
}

void TTemplateForm::MainCircuitReplaced() {
    EditCanvas->SetModified(false);
}

void TTemplateForm::SetStatus(const QString& text) {
    if (text.isEmpty())
        StatusBar->clearMessage();
    else
        StatusBar->showMessage(text);
}

// ---------------------------------------------------------------------------------------------------
// Editing a macro's outline, showing and closing

void TTemplateForm::Edit(TDigitalDrawing* mainCanvas, TTagDevice* tag) {
    TMacro* macro = mainCanvas->CurrentMacro;
    const bool displayed = macro->Displayed;
    mainCanvas->Handles->HideSelection();
    EditCanvas->OpenMacro(macro);
    CurrentTag = tag;
    MainCanvas = mainCanvas;
    // A drawing of another circuit has nothing left to save.
    connect(mainCanvas, &TDigitalDrawing::OnCircuitReplaced, this, &TTemplateForm::MainCircuitReplaced,
            Qt::UniqueConnection);
    TUserDialogs::Execute(this);
    if (m_editing)
        FormClose();
    EditCanvas->CloseMacro();
    macro->Displayed = displayed;
    if (m_edited) {
        mainCanvas->SetModified(true);
        mainCanvas->RecordEdit(QStringLiteral("Outline"));
    }
    mainCanvas->InvalidateAll();
    CurrentTag = nullptr;
    MainCanvas = nullptr;
}

void TTemplateForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_editing)
        FormShow();
}

void TTemplateForm::done(int result) {
    if (m_editing)
        FormClose();
    QDialog::done(result);
}

bool TTemplateForm::OutlineExtent(float& minX, float& minY, float& maxX, float& maxY) const {
    TMacro* macro = Macro();
    FloatRect e = macro->TGraphicList::GetExtent();
    if (e.MinX > e.MaxX)
        e = macro->Pins->GetExtent();
    if (e.MinX > e.MaxX || e.MinY > e.MaxY)
        return false;
    minX = e.MinX;
    minY = e.MinY;
    maxX = e.MaxX;
    maxY = e.MaxY;
    return true;
}

void TTemplateForm::MoveOutlineToMiddle() {
    float minX, minY, maxX, maxY;
    if (!OutlineExtent(minX, minY, maxX, maxY))
        return;
    TMacro* macro = Macro();
    macro->Offset(-minX, -minY);
    const QPoint half(static_cast<int>(std::lround((maxX - minX) / 2)),
                      static_cast<int>(std::lround((maxY - minY) / 2)));
    const QPoint at = EditCanvas->Grid.SnapPoint(
        QPoint(EditCanvas->width() / 2 - half.x(), EditCanvas->height() / 2 - half.y()));
    macro->Offset(static_cast<float>(at.x()), static_cast<float>(at.y()));
    macro->UpdateVertices();
}

void TTemplateForm::ShowTextOutlines(bool show) {
    for (TGraphicObject* shape : Macro()->Items())
        if (auto* text = KindCast<TGraphicText>(shape))
            text->ShowOutline = show;
}

void TTemplateForm::FormShow() {
    m_editing = true;
    m_edited = false;
    TMacro* macro = Macro();
    ColourPins();
    macro->Closed = true;
    SavedShowPins = macro->ShowPins;
    macro->ShowPins = false;
    float minX = 0, minY = 0, maxX = 0, maxY = 0;
    OutlineExtent(minX, minY, maxX, maxY);
    SavedCentreX = minX + (maxX - minX) / 2;
    SavedCentreY = minY + (maxY - minY) / 2;
    MoveOutlineToMiddle();
    macro->ShowPins = m_speedTogglePins->isChecked();
    PressSelector();
    SelectedPin = 0;
    SetStatus({});
    ShowTextOutlines(true);
    EditCanvas->InvalidateAll();
    UpdateEditCommands();
}

void TTemplateForm::FormClose() {
    m_editing = false;
    TMacro* macro = Macro();
    EditCanvas->SetPolygonMode(false);
    EditCanvas->SetPolylineMode(false);
    if (macro->ShowPins != SavedShowPins && !macro->Nested)
        m_edited = true; // a circuit keeps the choice with its outline
    if (macro->Nested)
        macro->ShowPins = SavedShowPins;
    // The outline returns to where it was, measured as it was measured on showing.
    float minX, minY, maxX, maxY;
    if (OutlineExtent(minX, minY, maxX, maxY)) {
        const float dx = std::round(SavedCentreX) - (minX + (maxX - minX) / 2);
        const float dy = std::round(SavedCentreY) - (minY + (maxY - minY) / 2);
        macro->Offset(dx, dy);
        macro->UpdateVertices();
    }
    EditCanvas->Handles->HideSelection();
    for (TPin* pin : macro->Pins->Items<TPin>())
        pin->Brush.Colour = kFreePinColour;
    macro->Closed = false;
    int number = 1;
    for (TMacroPin* pin : macro->Pins->Items<TMacroPin>()) {
        if (TTagDevice* tag = macro->FindTagForPin(pin))
            tag->SetPinNumber(number);
        ++number;
    }
    ShowTextOutlines(false);
}

void TTemplateForm::ColourPins() {
    TMacro* macro = Macro();
    for (TMacroPin* pin : macro->Pins->Items<TMacroPin>()) {
        const TTagDevice* tag = macro->FindTagForPin(pin);
        pin->Brush.Colour = !tag                ? kFreePinColour
                            : tag == CurrentTag ? kCurrentTagPinColour
                                                : kLinkedPinColour;
    }
}

// ---------------------------------------------------------------------------------------------------
// Drawing tools

void TTemplateForm::PressSelector() {
    m_speedSelector->setChecked(true);
    DrawingToolClick();
}

void TTemplateForm::DrawingToolClick() {
    SetStatus({});
    EditCanvas->SetPolygonMode(false);
    EditCanvas->SetPolylineMode(false);
    EditCanvas->SetSelectMode(m_speedSelector->isChecked());
    UpdateEditCommands();
}

void TTemplateForm::SpeedPolygonClick() {
    SetStatus(QString::fromLatin1(kPolygonStatus));
    EditCanvas->SetPolygonMode(m_speedPolygon->isChecked());
}

void TTemplateForm::SpeedPolylineClick() {
    SetStatus(QString::fromLatin1(kPolylineStatus));
    EditCanvas->SetPolylineMode(m_speedPolyline->isChecked());
}

void TTemplateForm::EditCanvasEndDrawing() {
    MarkEdited();
    PressSelector();
}

void TTemplateForm::SpeedTogglePinsClick() {
    Macro()->ShowPins = m_speedTogglePins->isChecked();
    EditCanvas->Handles->HideSelection();
    EditCanvas->InvalidateAll();
    UpdateEditCommands();
}

void TTemplateForm::EditCanvasMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    if (!m_speedPolygon->isChecked() && !m_speedPolyline->isChecked())
        SetStatus({});
    if (button != Qt::LeftButton)
        return;
    const bool keep = shift == Qt::ControlModifier;
    TMacro* macro = Macro();
    if (m_speedPin->isChecked()) {
        EditCanvas->AddObject(new TMacroPin, x, y, true);
        ColourPins();
    } else if (m_speedCircle->isChecked()) {
        // Exactly where it was clicked: a circle marks a spot, such as an inverting input.
        auto* circle = new TPolygon;
        circle->AddArc(true, static_cast<float>(x), static_cast<float>(y), 0, 360, kCircleRadius,
                       kCircleRadius);
        circle->Rotatable = false;
        circle->UpdateVertices();
        macro->AddChild(circle);
        EditCanvas->InvalidateRect(circle->GetBounds().ToQRect());
        EditCanvas->SetModified(true);
    } else if (m_speedAnnotation->isChecked()) {
        TEditTextDialog* dialog = TEditTextDialog::Instance();
        if (!dialog || !TUserDialogs::Execute(dialog) || dialog->EditCaption->text().isEmpty())
            return;
        TGraphicText* text = dialog->NewText().release();
        text->Offset(static_cast<float>(x), static_cast<float>(y));
        text->UpdateVertices();
        macro->AddChild(text);
        EditCanvas->InvalidateRect(text->GetBounds().ToQRect());
        EditCanvas->SetModified(true);
    } else {
        return;
    }
    MarkEdited();
    if (keep)
        EditCanvas->repaint();
    else
        PressSelector();
}

void TTemplateForm::keyPressEvent(QKeyEvent* event) {
    const QPoint step = TDigitalHandles::ArrowStep(event->key());
    if (step.isNull()) {
        QDialog::keyPressEvent(event);
        return;
    }
    EditCanvas->Handles->MoveSelectionBy(step.x(), step.y());
}

// ---------------------------------------------------------------------------------------------------
// The selection and the object commands

void TTemplateForm::UpdateEditCommands() {
    const bool selected = EditCanvas->HasSelection();
    for (QAction* action : {m_editCut, m_editCopy, m_editDelete, m_popCut, m_popCopy, m_popDelete})
        action->setEnabled(selected);
    m_editPaste->setEnabled(EditCanvas->CanPasteShapes());
    m_popPaste->setEnabled(EditCanvas->CanPasteShapes());
}

void TTemplateForm::HandlesSetItem() {
    UpdateEditCommands();
    for (QAction* action :
         {m_popPenColour, m_popBrushColour, m_popEditAnnotation, m_popAssociate, m_popEditPoints})
        action->setVisible(false);
    for (QAction* action :
         {m_popSeparator1, m_popBringToFront, m_popSendToBack, m_popSeparator3, m_popSeparator4})
        action->setVisible(true);
    TGraphicObject* selected = EditCanvas->Handles->Selected();
    if (IsA<TGraphicText>(selected)) {
        m_popEditAnnotation->setVisible(true);
        SetStatus({});
    } else if (auto* pin = KindCast<TPin>(selected)) {
        m_popAssociate->setVisible(true);
        for (QAction* action : {m_popBringToFront, m_popSendToBack, m_popSeparator3})
            action->setVisible(false);
        pin->Sizeable = false;
        SelectedPin = static_cast<int>(Macro()->Pins->Children->IndexOf(pin)) + 1;
        SetStatus(QStringLiteral("Pin %1 Selected").arg(SelectedPin));
        const auto* outlinePin = KindCast<TMacroPin>(pin);
        m_popAssociate->setEnabled(CurrentTag && outlinePin && !Macro()->FindTagForPin(outlinePin));
    } else {
        SetStatus({});
        m_popSeparator1->setVisible(false);
        if (IsA<TPolygon>(selected)) {
            for (QAction* action : {m_popEditPoints, m_popPenColour, m_popBrushColour})
                action->setVisible(true);
        } else if (IsA<TPolyline>(selected)) {
            m_popEditPoints->setVisible(true);
            m_popPenColour->setVisible(true);
            selected->Rotatable = false;
            selected->Sizeable = false;
        }
    }
    m_popSeparator2->setVisible(m_popPenColour->isVisible() || m_popBrushColour->isVisible());
}

void TTemplateForm::Reselect(TGraphicObject* object) {
    EditCanvas->InvalidateRect(EditCanvas->Handles->InflateByHandles(object->GetBounds().ToQRect()));
    EditCanvas->Handles->SelectObject(object);
}

void TTemplateForm::PopAssociateClick() {
    TDigitalHandles* handles = EditCanvas->Handles;
    auto* pin = handles->SingleSelected() ? KindCast<TMacroPin>(handles->Selected()) : nullptr;
    TMacro* macro = Macro();
    if (!CurrentTag || !pin || macro->Pins->Children->IndexOf(pin) < 0)
        return;
    const TTagDevice* owner = macro->FindTagForPin(pin);
    if (owner && owner != CurrentTag)
        return;
    handles->HideSelection();
    TMacroPin* link = CurrentTag->MacroPin.get();
    // The tag's earlier pin is set free, as an unlinked pin is.
    if (TMacroPin* previous = link->Partner; previous && previous != pin) {
        previous->Partner = nullptr;
        previous->Kind = TPinKind::Passive;
    }
    link->Partner = pin;
    pin->Partner = link;
    SelectedPin = static_cast<int>(macro->Pins->Children->IndexOf(pin)) + 1;
    CurrentTag->SetPinNumber(SelectedPin);
    pin->Kind = PinKindOf(CurrentTag->Direction);
    WiringChanged();
    ColourPins();
    EditCanvas->SetModified(true);
    MarkEdited();
    EditCanvas->InvalidateAll();
    Reselect(pin);
}

void TTemplateForm::PopEditAnnotationClick() {
    TDigitalHandles* handles = EditCanvas->Handles;
    auto* text = handles->SingleSelected() ? KindCast<TGraphicText>(handles->Selected()) : nullptr;
    TEditTextDialog* dialog = TEditTextDialog::Instance();
    if (!text || !dialog)
        return;
    dialog->ShowText(*text);
    if (!TUserDialogs::Execute(dialog))
        return;
    handles->HideSelection();
    EditCanvas->InvalidateRect(text->GetBounds().ToQRect());
    dialog->ApplyTo(*text);
    EditCanvas->SetModified(true);
    MarkEdited();
    Reselect(text);
}

bool TTemplateForm::ChooseColour(uint32_t& colour) {
    ColourDialog->setCurrentColor(ColourToQColor(colour));
    if (!TUserDialogs::Execute(ColourDialog))
        return false;
    colour = QColorToColour(ColourDialog->currentColor());
    return true;
}

void TTemplateForm::PopPenColourClick() {
    TDigitalHandles* handles = EditCanvas->Handles;
    auto* shape = handles->SingleSelected() ? KindCast<TSegment>(handles->Selected()) : nullptr;
    if (!shape)
        return;
    handles->HideSelection();
    uint32_t colour = shape->Pen.Colour;
    if (ChooseColour(colour) && colour != shape->Pen.Colour) {
        shape->Pen.Colour = colour;
        EditCanvas->SetModified(true);
        MarkEdited();
    }
    Reselect(shape);
}

void TTemplateForm::PopBrushColourClick() {
    TDigitalHandles* handles = EditCanvas->Handles;
    auto* shape = handles->SingleSelected() ? KindCast<TPolygon>(handles->Selected()) : nullptr;
    if (!shape)
        return;
    handles->HideSelection();
    uint32_t colour = shape->Brush.Colour;
    if (ChooseColour(colour) && colour != shape->Brush.Colour) {
        shape->Brush.Colour = colour;
        EditCanvas->SetModified(true);
        MarkEdited();
    }
    Reselect(shape);
}

void TTemplateForm::PopEditPointsClick() {
    EditCanvas->Handles->SetVertexEditing(m_popEditPoints->isChecked());
}

void TTemplateForm::PopBringToFrontClick() {
    EditCanvas->BringSelectionToFront();
    MarkEdited();
}

void TTemplateForm::PopSendToBackClick() {
    EditCanvas->SendSelectionToBack();
    MarkEdited();
}

void TTemplateForm::DeleteClick() {
    if (!EditCanvas->HasSelection())
        return;
    const char* question = EditCanvas->GroupSelected() ? kDeleteAllQuestion : kDeleteOneQuestion;
    if (TUserDialogs::Message(this, TUserDialogs::TKind::Information, QString::fromLatin1(question),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    const QRect bounds = EditCanvas->Handles->Selected()->GetBounds().ToQRect();
    EditCanvas->DeleteSelection();
    EditCanvas->InvalidateRect(EditCanvas->Handles->InflateByHandles(bounds));
    MarkEdited();
    UpdateEditCommands();
}

void TTemplateForm::CutClick() {
    if (!EditCanvas->HasSelection())
        return;
    EditCanvas->CutShapes();
    MarkEdited();
    UpdateEditCommands();
}

void TTemplateForm::CopyClick() {
    EditCanvas->CopyShapes();
    UpdateEditCommands();
}

void TTemplateForm::PasteClick() {
    if (!EditCanvas->CanPasteShapes())
        return;
    EditCanvas->PasteShapes();
    ColourPins();
    MarkEdited();
    UpdateEditCommands();
}

void TTemplateForm::SelectAllClick() {
    EditCanvas->SelectAllShapes();
    PressSelector();
}

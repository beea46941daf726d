#include "shell/DeviceMenu.h"

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "canvas/UserDialogs.h"
#include "devices/InputDevice.h"
#include "devices/Interactive.h"
#include "devices/MemoryDevice.h"
#include "devices/OutputDevice.h"
#include "devices/ui/AnalyserForm.h"
#include "devices/ui/EditContentsDialog.h"
#include "devices/ui/EditSequenceDialog.h"
#include "devices/ui/EditSwitchDialog.h"
#include "devices/ui/NumberOutDialog.h"
#include "drawing/GraphicText.h"
#include "model/Gates.h"
#include "model/Macro.h"
#include "model/TagDevice.h"
#include "shell/EditTextDialog.h"
#include "shell/MainForm.h"
#include "shell/RenameDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>

#include <cmath>

std::function<void(QMenu*)> TDeviceMenu::PopupHook;
std::function<QColor(const QColor&)> TDeviceMenu::ColourHook;

namespace {

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kWhite = 0xFFFFFF;

const char* const kStyleCaptions[] = {"&Left", "&Right", "&Top", "&Bottom"};
const char* const kStyleNames[] = {"Left", "Right", "Top", "Bottom"};

// A gate of the same family as gate with count inputs; nil for a family without a choice.
std::unique_ptr<TGateDevice> GateOfFamily(const TGateDevice* gate, int count) {
    auto make = [count]<class Two, class Three, class Four>() -> std::unique_ptr<TGateDevice> {
        if (count == 2)
            return std::make_unique<Two>();
        if (count == 3)
            return std::make_unique<Three>();
        return std::make_unique<Four>();
    };
    if (dynamic_cast<const TAndGate*>(gate))
        return make.operator()<T2AndGate, T3AndGate, T4AndGate>();
    if (dynamic_cast<const TNandGate*>(gate))
        return make.operator()<T2NandGate, T3NandGate, T4NandGate>();
    if (dynamic_cast<const TOrGate*>(gate))
        return make.operator()<T2OrGate, T3OrGate, T4OrGate>();
    if (dynamic_cast<const TNorGate*>(gate))
        return make.operator()<T2NorGate, T3NorGate, T4NorGate>();
    return nullptr;
}

} // namespace

TDeviceMenu::TDeviceMenu(TMainForm* form) : QObject(form), m_form(form) {
    setObjectName(QStringLiteral("DeviceMenu"));
    CreateMenus();
}

TDeviceMenu::~TDeviceMenu() = default;

TDigitalDrawing* TDeviceMenu::Canvas() const {
    return m_form->CircuitCanvas;
}

TGraphicObject* TDeviceMenu::Selected() const {
    TDigitalHandles* handles = Canvas()->Handles;
    return handles->SingleSelected() ? handles->Selected() : nullptr;
}

QAction* TDeviceMenu::FormAction(const char* name) const {
    return m_form->findChild<QAction*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

void TDeviceMenu::CreateMenus() {
    DevicePopupMenu = new QMenu(m_form);
    DevicePopupMenu->setObjectName(QStringLiteral("DevicePopupMenu"));
    QMenu* menu = DevicePopupMenu;
    auto item = [this](QMenu* owner, const char* name, const char* caption, void (TDeviceMenu::*slot)()) {
        QAction* action = owner->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        if (slot)
            connect(action, &QAction::triggered, this, slot);
        return action;
    };
    auto submenu = [](QMenu* owner, const char* name, const char* caption) {
        QMenu* sub = owner->addMenu(QString::fromLatin1(caption));
        sub->setObjectName(QString::fromLatin1(name));
        sub->menuAction()->setObjectName(QString::fromLatin1(name));
        return sub;
    };

    PopCut = item(menu, "PopCut", "&Cut", nullptr);
    connect(PopCut, &QAction::triggered, m_form, &TMainForm::MenuCutClick);
    PopCopy = item(menu, "PopCopy", "C&opy", nullptr);
    connect(PopCopy, &QAction::triggered, m_form, &TMainForm::MenuCopyClick);
    PopPaste = item(menu, "PopPaste", "&Paste", nullptr);
    connect(PopPaste, &QAction::triggered, m_form, &TMainForm::MenuPasteClick);
    PopSeperatorOne = menu->addSeparator();

    PopGateInputs = submenu(menu, "PopGateInputs", "&Inputs");
    connect(PopGateInputs, &QMenu::aboutToShow, this, &TDeviceMenu::PopGateInputsClick);
    Pop2Inputs = item(PopGateInputs, "Pop2Inputs", "&2 - Two", nullptr);
    Pop3Inputs = item(PopGateInputs, "Pop3Inputs", "&3 - Three", nullptr);
    Pop4Inputs = item(PopGateInputs, "Pop4Inputs", "&4 - Four", nullptr);
    int count = 2;
    for (QAction* inputs : {Pop2Inputs, Pop3Inputs, Pop4Inputs}) {
        inputs->setCheckable(true);
        connect(inputs, &QAction::triggered, this, [this, count] { SetInputCount(count); });
        ++count;
    }

    PopEditMemory = item(menu, "PopEditMemory", "Edit &Memory Contents...", &TDeviceMenu::PopEditMemoryClick);
    PopEditAnnotation =
        item(menu, "PopEditAnnotation", "&Edit Annotation...", &TDeviceMenu::EditAnnotationClick);
    PopNameMacro = item(menu, "PopNameMacro", "&Name Macro", &TDeviceMenu::PopNameMacroClick);
    PopEditSequence = item(menu, "PopEditSequence", "&Edit Sequence...", &TDeviceMenu::EditSequence);
    // The main window's own command, which opens a macro level in place.
    PopEditMacro = FormAction("PopEditMacro");
    menu->addAction(PopEditMacro);
    PopViewDatasheet =
        item(menu, "PopViewDatasheet", "&View Datasheet...", &TDeviceMenu::PopViewDatasheetClick);

    PopChangeColor = submenu(menu, "PopChangeColor", "C&hange Color");
    connect(PopChangeColor, &QMenu::aboutToShow, this, &TDeviceMenu::ColorLEDClick);
    struct TColourItem {
        QAction* TDeviceMenu::*Field;
        const char* Name;
        const char* Caption;
        uint32_t Colour;
    };
    static const TColourItem colours[] = {{&TDeviceMenu::PopRed, "RedLED", "&Red", kRed},
                                          {&TDeviceMenu::PopGreen, "GreenLED", "&Green", kGreen},
                                          {&TDeviceMenu::PopYellow, "YellowLED", "&Yellow", kYellow},
                                          {&TDeviceMenu::PopBlue, "BlueLED", "&Blue", kBlue},
                                          {&TDeviceMenu::PopWhite, "WhiteLED", "&White", kWhite}};
    for (const TColourItem& colour : colours) {
        QAction* action = item(PopChangeColor, colour.Name, colour.Caption, nullptr);
        action->setCheckable(true);
        const uint32_t value = colour.Colour;
        connect(action, &QAction::triggered, this, [this, value] { SetColour(value); });
        this->*colour.Field = action;
    }
    PopChangeColor->addSeparator();
    PopCustom = item(PopChangeColor, "CustomColor", "&Custom...", &TDeviceMenu::CustomColorClick);
    PopCustom->setCheckable(true);

    PopSetSwitchType =
        item(menu, "PopSetSwitchType", "&Set Switch Type...", &TDeviceMenu::SetSwitchTypeClick);
    PopName = item(menu, "PopName", "&Text...", &TDeviceMenu::PopNameClick);
    PopTextStyle = submenu(menu, "PopTextStyle", "Text &Style");
    connect(PopTextStyle, &QMenu::aboutToShow, this, &TDeviceMenu::PopTextStyleClick);
    for (int position = 0; position < 4; ++position) {
        QAction* action = item(PopTextStyle, "", kStyleCaptions[position], nullptr);
        action->setObjectName(QStringLiteral("PopText") + QLatin1String(kStyleNames[position]));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, position] { SetTextStyle(position); });
        TextStyleItems[position] = action;
    }
    PopCommon = submenu(menu, "PopCommon", "C&ommon");
    connect(PopCommon, &QMenu::aboutToShow, this, &TDeviceMenu::PopCommonClick);
    PopCathode = item(PopCommon, "PopCathode", "&Cathode", nullptr);
    PopAnode = item(PopCommon, "PopAnode", "&Anode", nullptr);
    PopCathode->setCheckable(true);
    PopAnode->setCheckable(true);
    connect(PopCathode, &QAction::triggered, this, [this] { SetCommonCathode(true); });
    connect(PopAnode, &QAction::triggered, this, [this] { SetCommonCathode(false); });
    PopProperties = item(menu, "PopProperties", "Properties...", &TDeviceMenu::PopPropertiesClick);
    PopSeperatorTwo = menu->addSeparator();
    PopHistory = item(menu, "PopHistory", "Add to Logic &History", &TDeviceMenu::PopHistoryClick);
    PopHistory->setCheckable(true);
    PopPulseInput = item(menu, "PopPulseInput", "Pulse &Input", &TDeviceMenu::PopPulseInputClick);
    PopPulseInput->setCheckable(true);
    PopSeperatorThree = menu->addSeparator();
    PopDelete = item(menu, "PopDelete", "&Delete", nullptr);
    connect(PopDelete, &QAction::triggered, m_form, &TMainForm::DeleteClick);

    TagPopupMenu = new QMenu(m_form);
    TagPopupMenu->setObjectName(QStringLiteral("TagPopupMenu"));
    PopTemplateEditor = item(TagPopupMenu, "PopTemplateEditor", "&Template Editor...", nullptr);
    connect(PopTemplateEditor, &QAction::triggered, this, [this] {
        // The template editor's own command, once that window exists.
        if (QAction* tools = FormAction("ToolsTemplateEditor"); tools && tools->isEnabled())
            tools->trigger();
    });
    TagPopupMenu->addSeparator();
    TagTextStyle = submenu(TagPopupMenu, "TagTextStyle", "T&ag Text Style");
    connect(TagTextStyle, &QMenu::aboutToShow, this, &TDeviceMenu::TagStyleClick);
    for (int position = 0; position < 4; ++position) {
        QAction* action = item(TagTextStyle, "", kStyleCaptions[position], nullptr);
        action->setObjectName(QStringLiteral("Style") + QLatin1String(kStyleNames[position]));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, position] { SetTagStyle(position); });
        TagStyleItems[position] = action;
    }
    TagPopupMenu->addSeparator();
    TagDelete = item(TagPopupMenu, "TagDelete", "&Delete", nullptr);
    connect(TagDelete, &QAction::triggered, m_form, &TMainForm::DeleteClick);

    SelectionChanged();
}

// ---------------------------------------------------------------------------------------------------
// Rebuilding and opening

void TDeviceMenu::SelectionChanged() {
    TDigitalDrawing* canvas = Canvas();
    PopTemplateEditor->setEnabled(!canvas->MacroOpen());
    for (QAction* hidden : {PopCommon->menuAction(), PopEditMemory, PopEditAnnotation, PopNameMacro,
                            PopEditSequence, PopName, PopTextStyle->menuAction(), PopEditMacro,
                            PopViewDatasheet, PopChangeColor->menuAction(), PopSetSwitchType, PopSeperatorTwo,
                            PopHistory, PopPulseInput, PopGateInputs->menuAction(), PopProperties})
        hidden->setVisible(false);
    for (QAction* shown : {PopCut, PopCopy, PopPaste, PopSeperatorOne, PopSeperatorThree})
        shown->setVisible(true);
    m_tagMenu = false;

    TGraphicObject* s = Selected();
    if (!s)
        return;
    if (auto* text = KindCast<TTextDevice>(s)) {
        const bool plain = !IsA<TSupply>(s) && !IsA<TGround>(s) && !IsA<TOutputDevice>(s);
        PopName->setVisible(plain);
        PopTextStyle->menuAction()->setVisible(plain);
        PopTextStyle->menuAction()->setEnabled(!text->GetLabel().isEmpty());
    }
    if (IsA<THistoryDevice>(s)) {
        const bool offered =
            !IsA<TSupply>(s) && !IsA<TGround>(s) && !IsA<TLEDSegmentDevice>(s) && !IsA<TNumericDevice>(s);
        PopHistory->setVisible(offered);
        PopSeperatorTwo->setVisible(offered);
    }

    if (auto* gate = KindCast<TGateDevice>(s)) {
        if (GateOfFamily(gate, 2)) {
            PopGateInputs->menuAction()->setVisible(true);
            PopGateInputs->menuAction()->setEnabled(!gate->AnyPinWired());
        } else {
            PopSeperatorOne->setVisible(false);
        }
    } else if (IsA<TMemoryDevice>(s)) {
        PopEditMemory->setVisible(true);
    } else if (IsA<TGraphicText>(s)) {
        PopEditAnnotation->setVisible(true);
        PopNameMacro->setVisible(!canvas->MacroOpen());
    } else if (IsA<TBitGenerator>(s)) {
        PopEditSequence->setVisible(true);
    } else if (IsA<TClockDevice>(s)) {
        PopSeperatorTwo->setVisible(true);
    } else if (auto* macro = KindCast<TMacro>(s)) {
        PopEditMacro->setVisible(true);
        PopViewDatasheet->setVisible(!macro->Datasheet.isEmpty());
    } else if (IsA<TOutputDevice>(s)) {
        PopChangeColor->menuAction()->setVisible(true);
        PopName->setVisible(true);
        if (IsA<TLEDSegmentDevice>(s)) {
            PopCommon->menuAction()->setVisible(true);
        } else if (IsA<TNumericDevice>(s)) {
            PopName->setVisible(false);
            PopProperties->setVisible(true);
        }
    } else if (IsA<TInteractiveSwitch>(s)) {
        PopSetSwitchType->setVisible(true);
    } else if (IsA<TWire>(s) || IsA<TSolder>(s)) {
        for (QAction* action : {PopCut, PopCopy, PopPaste, PopSeperatorOne, PopSeperatorThree})
            action->setVisible(false);
    } else if (auto* tag = KindCast<TTagDevice>(s)) {
        TagTextStyle->menuAction()->setEnabled(tag->GetPinNumber() >= 0);
        m_tagMenu = true;
    } else if (IsA<TInteractiveInput>(s)) {
        PopPulseInput->setVisible(true);
    } else {
        PopSeperatorOne->setVisible(false);
    }
}

QMenu* TDeviceMenu::ContextMenu() const {
    return m_tagMenu ? TagPopupMenu : DevicePopupMenu;
}

void TDeviceMenu::DevicePopupMenuPopup() {
    TDigitalDrawing* canvas = Canvas();
    PopCopy->setEnabled(canvas->CanCopy());
    PopCut->setEnabled(canvas->CanCopy());
    PopPaste->setEnabled(canvas->CanPaste());
    TGraphicObject* s = Selected();
    if (auto* history = KindCast<THistoryDevice>(s))
        PopHistory->setChecked(history->InHistory);
    if (auto* input = KindCast<TInteractiveInput>(s))
        PopPulseInput->setChecked(input->Pulse);
}

void TDeviceMenu::Popup(QPoint globalPos) {
    if (!Canvas()->HasSelection())
        return;
    QMenu* menu = ContextMenu();
    if (menu == DevicePopupMenu)
        DevicePopupMenuPopup();
    if (PopupHook)
        PopupHook(menu);
    else
        menu->popup(globalPos);
}

bool TDeviceMenu::eventFilter(QObject* watched, QEvent* event) {
    // Only these two; the others also arrive while the main window is being destroyed.
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::ContextMenu)
        return QObject::eventFilter(watched, event);
    TDigitalDrawing* canvas = m_canvas;
    if (!canvas)
        return QObject::eventFilter(watched, event);
    if (watched == canvas && type == QEvent::MouseButtonPress) {
        // Whether this press selects what it hits, decided before the press is handled: a right
        // click that ends a wire on a new tag selects the tag, but asks for no menu.
        m_rightPressSelects = canvas->SelectMode && !canvas->WiringMode;
    } else if (type == QEvent::ContextMenu &&
               (watched == canvas->Handles || (watched == canvas && m_rightPressSelects))) {
        m_rightPressSelects = false;
        Popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TDeviceMenu::PopGateInputsClick() {
    auto* gate = KindCast<TGateDevice>(Selected());
    const int count = gate ? gate->InputCount : 0;
    Pop2Inputs->setChecked(count == 2);
    Pop3Inputs->setChecked(count == 3);
    Pop4Inputs->setChecked(count == 4);
}

void TDeviceMenu::ColorLEDClick() {
    for (QAction* action : {PopRed, PopGreen, PopYellow, PopBlue, PopWhite, PopCustom})
        action->setChecked(false);
    PopWhite->setVisible(false);
    auto* output = KindCast<TOutputDevice>(Selected());
    if (!output)
        return;
    // Only the numeric display offers white.
    PopWhite->setVisible(IsA<TNumericDevice>(output));
    switch (output->Colour) {
    case kRed:
        PopRed->setChecked(true);
        break;
    case kGreen:
        PopGreen->setChecked(true);
        break;
    case kYellow:
        PopYellow->setChecked(true);
        break;
    case kBlue:
        PopBlue->setChecked(true);
        break;
    case kWhite:
        PopWhite->setChecked(true);
        break;
    default:
        PopCustom->setChecked(true);
        break;
    }
}

void TDeviceMenu::PopTextStyleClick() {
    auto* text = KindCast<TTextDevice>(Selected());
    for (int position = 0; position < 4; ++position)
        TextStyleItems[position]->setChecked(text && static_cast<int>(text->LabelPosition) == position);
}

void TDeviceMenu::TagStyleClick() {
    auto* tag = KindCast<TTagDevice>(Selected());
    for (int position = 0; position < 4; ++position)
        TagStyleItems[position]->setChecked(tag && static_cast<int>(tag->LabelPosition) == position);
}

void TDeviceMenu::PopCommonClick() {
    auto* display = KindCast<TLEDSegmentDevice>(Selected());
    PopCathode->setChecked(display && display->CommonCathode);
    PopAnode->setChecked(display && !display->CommonCathode);
}

// ---------------------------------------------------------------------------------------------------
// Items

void TDeviceMenu::Reselect(TGraphicObject* object, const QRect& before, const QString& name, bool modified) {
    TDigitalDrawing* canvas = Canvas();
    canvas->InvalidateRect(before.adjusted(-2, -2, 2, 2));
    canvas->InvalidateRect(object->GetBounds().ToQRect().adjusted(-2, -2, 2, 2));
    canvas->Handles->SelectObject(object);
    if (!modified)
        return;
    canvas->SetModified(true);
    canvas->RecordEdit(name);
}

void TDeviceMenu::SetInputCount(int count) {
    TDigitalDrawing* canvas = Canvas();
    auto* gate = KindCast<TGateDevice>(Selected());
    if (!gate || gate->InputCount == count || gate->AnyPinWired())
        return;
    std::unique_ptr<TGateDevice> replacement = GateOfFamily(gate, count);
    if (!replacement)
        return;
    float x = 0;
    float y = 0;
    gate->GetCentre(x, y);
    // One edit for the user: the new gate and the deletion of the old are recorded together.
    const bool keep = canvas->KeepHistory;
    canvas->KeepHistory = false;
    canvas->AddObject(replacement.release(), static_cast<int>(std::lround(x)),
                      static_cast<int>(std::lround(y)), false);
    canvas->Handles->SelectObject(gate);
    canvas->DeleteSelection();
    canvas->KeepHistory = keep;
    canvas->RecordEdit(QStringLiteral("Inputs"));
    m_form->SpeedUpdateClick(m_form);
}

void TDeviceMenu::PopEditMemoryClick() {
    auto* memory = KindCast<TMemoryDevice>(Selected());
    TEditContentsDialog* contents = TEditContentsDialog::Instance();
    if (!memory || !contents)
        return;
    contents->ShowMemory(memory);
    contents->show();
    contents->raise();
}

void TDeviceMenu::EditAnnotationClick() {
    auto* text = KindCast<TGraphicText>(Selected());
    TEditTextDialog* dialog = TEditTextDialog::Instance();
    if (!text || !dialog)
        return;
    dialog->ShowText(*text);
    if (!TUserDialogs::Execute(dialog))
        return;
    const QRect before = text->GetBounds().ToQRect();
    Canvas()->Handles->HideSelection();
    dialog->ApplyTo(*text);
    Reselect(text, before, QStringLiteral("Edit Annotation"));
}

void TDeviceMenu::PopNameMacroClick() {
    auto* text = KindCast<TGraphicText>(Selected());
    if (!text || Canvas()->MacroOpen())
        return;
    Canvas()->MacroName = text->Text;
    Canvas()->SetModified(true);
    Canvas()->RecordEdit(QStringLiteral("Name Macro"));
}

void TDeviceMenu::EditSequence() {
    auto* generator = KindCast<TBitGenerator>(Selected());
    TEditSequenceDialog* dialog = TEditSequenceDialog::Instance();
    if (!generator || !dialog)
        return;
    dialog->SequenceText = generator->Sequence;
    if (!TUserDialogs::Execute(dialog))
        return;
    const QRect before = generator->GetBounds().ToQRect();
    generator->SetSequence(dialog->SequenceText);
    Canvas()->ResetCircuit();
    Reselect(generator, before, QStringLiteral("Edit Sequence"));
    if (generator->InHistory)
        RefillTraces(true);
}

void TDeviceMenu::PopViewDatasheetClick() {
    auto* macro = KindCast<TMacro>(Selected());
    if (macro && !macro->Datasheet.isEmpty())
        m_form->ViewDatasheet(macro->Datasheet, macro->HelpTopic);
}

void TDeviceMenu::SetColour(uint32_t colour) {
    auto* output = KindCast<TOutputDevice>(Selected());
    if (!output)
        return;
    const QRect before = output->GetBounds().ToQRect();
    Canvas()->Handles->HideSelection();
    output->Colour = colour;
    Reselect(output, before, QStringLiteral("Change Color"));
}

void TDeviceMenu::CustomColorClick() {
    auto* output = KindCast<TOutputDevice>(Selected());
    if (!output)
        return;
    const QColor current = ColourToQColor(output->Colour);
    const QColor chosen = ColourHook ? ColourHook(current) : QColorDialog::getColor(current, m_form);
    if (chosen.isValid())
        SetColour(QColorToColour(chosen));
}

void TDeviceMenu::SetSwitchTypeClick() {
    auto* device = KindCast<TInteractiveSwitch>(Selected());
    TEditSwitchDialog* dialog = TEditSwitchDialog::Instance();
    if (!device || !dialog)
        return;
    dialog->SwitchType = device->SwitchType;
    dialog->FormShow();
    if (!TUserDialogs::Execute(dialog))
        return;
    const QRect before = device->GetBounds().ToQRect();
    device->SetSwitchType(dialog->SwitchType);
    Reselect(device, before, QStringLiteral("Set Switch Type"));
}

void TDeviceMenu::PopNameClick() {
    auto* device = KindCast<TTextDevice>(Selected());
    TRenameDialog* dialog = TRenameDialog::Instance();
    if (!device || !dialog)
        return;
    dialog->EditRename->setText(device->GetLabel());
    dialog->CheckOverbar->setChecked(device->GetLabelOverline());
    if (!TUserDialogs::Execute(dialog))
        return;
    const QRect before = device->GetBounds().ToQRect();
    Canvas()->Handles->HideSelection();
    device->SetLabel(dialog->EditRename->text());
    device->SetLabelOverline(dialog->CheckOverbar->isChecked());
    device->UpdateVertices();
    // A label is part of the circuit: renaming is an edit like any other.
    Reselect(device, before, QStringLiteral("Text"));
    if (auto* history = KindCast<THistoryDevice>(device); history && history->InHistory)
        RefillTraces(true);
}

void TDeviceMenu::SetTextStyle(int position) {
    auto* device = KindCast<TTextDevice>(Selected());
    if (!device)
        return;
    const QRect before = device->GetBounds().ToQRect();
    Canvas()->Handles->HideSelection();
    device->SetLabelPosition(static_cast<TLabelPosition>(position));
    device->UpdateVertices();
    Reselect(device, before, QStringLiteral("Text Style"));
}

void TDeviceMenu::SetTagStyle(int position) {
    auto* tag = KindCast<TTagDevice>(Selected());
    if (!tag)
        return;
    const QRect before = tag->GetBounds().ToQRect();
    Canvas()->Handles->HideSelection();
    tag->SetLabelPosition(static_cast<TLabelPosition>(position));
    tag->UpdateVertices();
    Reselect(tag, before, QStringLiteral("Tag Text Style"));
}

void TDeviceMenu::SetCommonCathode(bool cathode) {
    auto* display = KindCast<TLEDSegmentDevice>(Selected());
    if (!display)
        return;
    display->CommonCathode = cathode;
    Canvas()->InvalidateRect(display->GetBounds().ToQRect());
    Canvas()->SetModified(true);
    Canvas()->RecordEdit(QStringLiteral("Common"));
}

void TDeviceMenu::PopPropertiesClick() {
    auto* display = KindCast<TNumericDevice>(Selected());
    TNumberOutDialog* dialog = TNumberOutDialog::Instance();
    if (!display || !dialog)
        return;
    dialog->ShowSizeGroup(false);
    dialog->LoadFrom(*display);
    if (!TUserDialogs::Execute(dialog))
        return;
    const QRect before = display->GetBounds().ToQRect();
    Canvas()->Handles->HideSelection();
    display->Format = dialog->Format();
    display->SetPinsAtBottom(dialog->PinsAtBottom());
    // Wires follow pins that moved to the other side.
    Canvas()->RefreshWires();
    Reselect(display, before, QStringLiteral("Properties"));
    Canvas()->update();
}

void TDeviceMenu::PopHistoryClick() {
    auto* device = KindCast<THistoryDevice>(Selected());
    if (!device)
        return;
    device->InHistory = !device->InHistory;
    // Not a change the user must be asked to save, but one that undo must keep: an undo restores
    // the recorded circuit, and with it the devices that are recorded.
    Canvas()->RecordEdit(QStringLiteral("Logic History"));
    RefillTraces(true);
}

void TDeviceMenu::PopPulseInputClick() {
    auto* input = KindCast<TInteractiveInput>(Selected());
    if (!input)
        return;
    input->Pulse = !input->Pulse;
    // Stored with the circuit, so a change must not pass unsaved.
    Canvas()->SetModified(true);
    Canvas()->RecordEdit(QStringLiteral("Pulse Input"));
}

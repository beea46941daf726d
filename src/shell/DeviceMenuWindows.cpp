// How the device windows follow the main window and the canvas: the run control, the recorded
// devices, and every edit, undo or load that destroys a device a window shows.

#include "canvas/DigitalDrawing.h"
#include "canvas/DigitalHandles.h"
#include "devices/MemoryDevice.h"
#include "devices/ui/AnalyserForm.h"
#include "devices/ui/EditContentsDialog.h"
#include "model/Macro.h"
#include "shell/DeviceMenu.h"
#include "shell/MainForm.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

namespace {

// Whether target is object or lies somewhere inside it (a device of a macro part, at any depth).
bool Contains(TGraphicObject* object, const TGraphicObject* target) {
    if (object == target)
        return true;
    auto* macro = KindCast<TMacro>(object);
    if (!macro)
        return false;
    for (const TGraphicList* list : {macro->Devices.get(), macro->Inputs.get(), macro->Outputs.get()})
        for (TGraphicObject* child : list->Items())
            if (Contains(child, target))
                return true;
    return false;
}

} // namespace

void TDeviceMenu::ConnectWindows() {
    TDigitalDrawing* canvas = Canvas();
    m_canvas = canvas;
    connect(canvas->Handles, &TDigitalHandles::OnSetItem, this, &TDeviceMenu::SelectionChanged,
            Qt::UniqueConnection);
    canvas->installEventFilter(this);
    canvas->Handles->installEventFilter(this);
    connect(canvas, &TDigitalDrawing::OnObjectDeleting, this, &TDeviceMenu::ObjectDeleting,
            Qt::UniqueConnection);
    connect(canvas, &TDigitalDrawing::OnCircuitReplaced, this, &TDeviceMenu::CircuitReplaced,
            Qt::UniqueConnection);
    // Connected once, when the main window is first shown: a functor cannot be a unique connection.
    connect(canvas, &TDigitalDrawing::OnObjectDblClick, this, [this](TGraphicObject* object) {
        if (IsA<TMemoryDevice>(object))
            PopEditMemoryClick();
    });
    connect(m_form, &TMainForm::CircuitStepped, this, &TDeviceMenu::Stepped, Qt::UniqueConnection);
    connect(m_form, &TMainForm::HistoryDevicesChanged, this, [this] { RefillTraces(true); });

    if (QAction* tools = FormAction("ToolsLogicHistory")) {
        tools->setCheckable(true);
        tools->setEnabled(TAnalyserForm::Instance() != nullptr);
        connect(tools, &QAction::triggered, this, &TDeviceMenu::SpeedProbeWindowClick, Qt::UniqueConnection);
        if (auto* menu = m_form->findChild<QMenu*>(QStringLiteral("MenuTools")))
            connect(menu, &QMenu::aboutToShow, this, [tools] {
                TAnalyserForm* history = TAnalyserForm::Instance();
                tools->setEnabled(history != nullptr);
                tools->setChecked(history && history->isVisible());
            });
    }

    if (TAnalyserForm* history = TAnalyserForm::Instance()) {
        const TMainForm::TWindowPlacement& placement = m_form->LogicHistory;
        history->setGeometry(placement.Left, placement.Top, placement.Width, placement.Height);
        QAction* run = FormAction("SpeedRun");
        QAction* pause = FormAction("SpeedPause");
        connect(m_form, &TMainForm::RunButtonChanged, history, &TAnalyserForm::SetRunDown,
                Qt::UniqueConnection);
        connect(m_form, &TMainForm::PauseButtonChanged, history, &TAnalyserForm::SetPauseDown,
                Qt::UniqueConnection);
        connect(history, &TAnalyserForm::RunClicked, this, [this, run](bool down) {
            run->setChecked(down);
            m_form->SpeedRunClick();
        });
        connect(history, &TAnalyserForm::StopClicked, m_form, &TMainForm::SpeedStopClick);
        connect(history, &TAnalyserForm::PauseClicked, this, [pause](bool down) { pause->setChecked(down); });
        connect(history, &TAnalyserForm::StepClicked, m_form, &TMainForm::SpeedStepClick);
        RefillTraces(false);
        if (placement.Visible)
            history->show();
    }
    if (TEditContentsDialog* contents = TEditContentsDialog::Instance())
        contents->OnEdited = [canvas](const QString& name) {
            canvas->SetModified(true);
            canvas->RecordEdit(name);
        };
}

void TDeviceMenu::TakePlacement() {
    TAnalyserForm* history = TAnalyserForm::Instance();
    if (!history)
        return;
    const QRect placement = history->geometry();
    m_form->LogicHistory.Left = placement.left();
    m_form->LogicHistory.Top = placement.top();
    m_form->LogicHistory.Width = placement.width();
    m_form->LogicHistory.Height = placement.height();
    m_form->LogicHistory.Visible = history->isVisible();
}

void TDeviceMenu::RefillTraces(bool rebuild) {
    TAnalyserForm* history = TAnalyserForm::Instance();
    if (!history)
        return;
    TDigitalDrawing* canvas = Canvas();
    canvas->GetHistoryDevices(history->Traces);
    history->CircuitName = !canvas->MacroName.isEmpty()  ? canvas->MacroName
                           : !canvas->FileName.isEmpty() ? TMainForm::TitleFromFileName(canvas->FileName)
                                                         : QStringLiteral("circuit");
    if (rebuild)
        history->RebuildTraces();
    else
        history->DrawTraces();
}

void TDeviceMenu::SpeedProbeWindowClick() {
    TAnalyserForm* history = TAnalyserForm::Instance();
    if (!history)
        return;
    if (history->isVisible()) {
        history->hide();
        return;
    }
    RefillTraces(false);
    history->show();
    history->raise();
}

void TDeviceMenu::Stepped() {
    if (TAnalyserForm* history = TAnalyserForm::Instance()) {
        if (history->isVisible())
            history->DrawTraces();
        ++history->TickCount;
    }
    if (TEditContentsDialog* contents = TEditContentsDialog::Instance(); contents && contents->isVisible())
        contents->RefreshContents();
}

void TDeviceMenu::ObjectDeleting(TGraphicObject* object) {
    if (TAnalyserForm* history = TAnalyserForm::Instance()) {
        const std::vector<THistoryDevice*> traces = history->Traces;
        for (THistoryDevice* device : traces)
            if (Contains(object, device))
                history->ReleaseDevice(device);
    }
    if (TEditContentsDialog* contents = TEditContentsDialog::Instance();
        contents && contents->Memory && Contains(object, contents->Memory))
        contents->ReleaseDevice(contents->Memory);
}

void TDeviceMenu::CircuitReplaced() {
    // Every device of the old circuit goes. The traces are refilled from the new circuit once it is
    // in place, which is after this signal; the old one is freed later still.
    if (TAnalyserForm* history = TAnalyserForm::Instance()) {
        history->ReleaseDevice(nullptr);
        QTimer::singleShot(0, this, [this] { RefillTraces(true); });
    }
    if (TEditContentsDialog* contents = TEditContentsDialog::Instance())
        contents->ReleaseDevice(nullptr);
}

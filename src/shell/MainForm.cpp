#include "shell/MainForm.h"

#include "canvas/DigitalDrawing.h"
#include "canvas/UserDialogs.h"
#include "drawing/Help.h"
#include "drawing/Serialize.h"
#include "shell/PartButton.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

constexpr int kCanvasWidth = 13280;
constexpr int kCanvasHeight = 18240;

const char* const kLevelQuestion =
    "This action will save to file the circuit at its current level, not its root "
    "level.  Do you want to proceed?";
const char* const kChangedQuestion = "Circuit has changed, save current circuit?";

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(628, 412);

    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setBackgroundRole(QPalette::Base);
    ScrollBox->setStyleSheet(QStringLiteral("QScrollArea#ScrollBox { background: white; }"));
    CircuitCanvas = new TDigitalDrawing;
    CircuitCanvas->resize(kCanvasWidth, kCanvasHeight);
    ScrollBox->setWidget(CircuitCanvas);
    setCentralWidget(ScrollBox);

    Clock = new QTimer(this);
    Clock->setObjectName(QStringLiteral("Clock"));
    Clock->setInterval(100);
    connect(Clock, &QTimer::timeout, this, &TMainForm::RunCircuit);

    CreateActions();
    CreateMenus();
    CreateToolBars();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    setWindowTitle(QStringLiteral("Tessivar - Untitled"));
    HomeFolder = QDir::currentPath();
    m_saveFolder = HomeFolder;
    UpdateActions();
}

TMainForm::~TMainForm() = default;

QAction* TMainForm::NewAction(const QString& name, const QString& text, const QString& hint) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    return action;
}

void TMainForm::CreateActions() {
    QStyle* style = this->style();

    m_speedNew = NewAction("SpeedNew", "&New Circuit", "New");
    m_speedNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_speedNew->setIcon(style->standardIcon(QStyle::SP_FileIcon));
    m_speedOpen = NewAction("SpeedOpen", "&Open", "Open");
    m_speedOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_speedOpen->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    m_speedSave = NewAction("SpeedSave", "&Save", "Save");
    m_speedSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_speedSave->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    connect(m_speedSave, &QAction::triggered, this, &TMainForm::SpeedSaveClick);
    m_menuSaveAs = NewAction("MenuSaveAs", "S&ave As...");
    m_menuExit = NewAction("MenuExit", "E&xit");
    connect(m_menuExit, &QAction::triggered, this, &QWidget::close);
    m_speedCut = NewAction("SpeedCut", "&Cut", "Cut");
    m_speedCut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    m_speedCopy = NewAction("SpeedCopy", "C&opy", "Copy");
    m_speedCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    m_speedPaste = NewAction("SpeedPaste", "&Paste", "Paste");
    m_speedPaste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    m_speedPrint = NewAction("SpeedPrint", "Print", "Print");
    m_speedPrint->setIcon(style->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_menuPrintSetup = NewAction("MenuPrintSetup", "Print Set&up...");
    m_menuPrintPreview = NewAction("MenuPrintPreview", "Print Pre&view...");
    m_menuPrint = NewAction("MenuPrint", "&Print");
    m_menuPrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    QAction* deleteAction = NewAction("MenuDelete", "&Delete");
    deleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    QAction* selectAll = NewAction("MenuSelectAll", "&Select All");
    selectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    m_editActions = {m_speedCut, m_speedCopy, m_speedPaste, deleteAction, selectAll};
    m_laterActions = {m_speedNew, m_speedOpen, m_menuSaveAs, deleteAction, selectAll};

    // Run control: the Down states of SpeedRun and SpeedPause are the run state.
    m_speedRun = NewAction("SpeedRun", "Run", "Run");
    m_speedRun->setCheckable(true);
    m_speedRun->setIcon(style->standardIcon(QStyle::SP_MediaPlay));
    connect(m_speedRun, &QAction::triggered, this, &TMainForm::SpeedRunClick);
    m_speedPause = NewAction("SpeedPause", "Pause", "Pause");
    m_speedPause->setCheckable(true);
    m_speedPause->setIcon(style->standardIcon(QStyle::SP_MediaPause));
    connect(m_speedPause, &QAction::triggered, this, &TMainForm::SpeedPauseClick);
    m_speedStop = NewAction("SpeedStop", "Stop", "Stop");
    m_speedStop->setIcon(style->standardIcon(QStyle::SP_MediaStop));
    connect(m_speedStop, &QAction::triggered, this, &TMainForm::SpeedStopClick);
    m_speedStep = NewAction("SpeedStep", "Step", "Step");
    m_speedStep->setIcon(style->standardIcon(QStyle::SP_MediaSkipForward));
    connect(m_speedStep, &QAction::triggered, this, &TMainForm::SpeedStepClick);

    m_menuRun = NewAction("MenuRun", "&Run");
    m_menuRun->setShortcut(QKeySequence(Qt::Key_F9));
    connect(m_menuRun, &QAction::triggered, this, &TMainForm::MenuRunClick);
    m_menuStop = NewAction("MenuStop", "&Stop");
    m_menuStop->setShortcut(QKeySequence(Qt::Key_F10));
    connect(m_menuStop, &QAction::triggered, this, &TMainForm::SpeedStopClick);
    m_menuPause = NewAction("MenuPause", "&Pause");
    m_menuPause->setShortcut(QKeySequence(Qt::Key_F11));
    connect(m_menuPause, &QAction::triggered, this, &TMainForm::MenuPauseClick);
    m_menuStep = NewAction("MenuStep", "S&tep Circuit");
    m_menuStep->setShortcut(QKeySequence(Qt::Key_F12));
    connect(m_menuStep, &QAction::triggered, this, &TMainForm::SpeedStepClick);

    m_menuClockSpeed = new QMenu(QStringLiteral("&Clock Speed"), this);
    m_menuClockSpeed->setObjectName(QStringLiteral("MenuClockSpeed"));
    connect(m_menuClockSpeed, &QMenu::aboutToShow, this, &TMainForm::MenuClockSpeedClick);
    const char* const hertzNames[] = {"HertzOne", "HertzTwo",   "HertzFive",
                                      "HertzTen", "HertzFifty", "HertzHundred"};
    const char* const hertzCaptions[] = {"1 Hertz",  "2 Hertz",  "5 Hertz",
                                         "10 Hertz", "50 Hertz", "100 Hertz"};
    for (int i = 0; i < 6; ++i) {
        QAction* hertz = NewAction(hertzNames[i], hertzCaptions[i]);
        hertz->setCheckable(true);
        const int interval = kClockIntervals[i];
        connect(hertz, &QAction::triggered, this, [this, interval] { Clock->setInterval(interval); });
        m_hertzActions << hertz;
    }

    m_popupStep = new QMenu(this);
    m_popupStep->setObjectName(QStringLiteral("PopupStep"));
    connect(m_popupStep, &QMenu::aboutToShow, this, &TMainForm::PopupStepPopup);
    m_popHalfCycle = m_popupStep->addAction(QStringLiteral("&Half Clock Cycle"));
    m_popHalfCycle->setObjectName(QStringLiteral("PopHalfCycle"));
    m_popHalfCycle->setCheckable(true);
    connect(m_popHalfCycle, &QAction::triggered, this, [this] { HalfCycleStep = true; });
    m_popFullCycle = m_popupStep->addAction(QStringLiteral("&Full Clock Cycle"));
    m_popFullCycle->setObjectName(QStringLiteral("PopFullCycle"));
    m_popFullCycle->setCheckable(true);
    connect(m_popFullCycle, &QAction::triggered, this, [this] { HalfCycleStep = false; });
    m_speedStep->setMenu(m_popupStep);

    // Tool modes. Interaction and probing need mouse editing on the canvas.
    m_modeGroup = new QActionGroup(this);
    m_speedPointer = NewAction("SpeedPointer", "Object Selector", "Object Selector");
    m_speedInteraction = NewAction("SpeedInteraction", "Object Interaction", "Object Interaction");
    m_speedProbe = NewAction("SpeedProbe", "Logic Probe", "Logic Probe");
    for (QAction* mode : {m_speedPointer, m_speedInteraction, m_speedProbe}) {
        mode->setCheckable(true);
        m_modeGroup->addAction(mode);
    }
    m_speedPointer->setIcon(style->standardIcon(QStyle::SP_ArrowUp));
    m_speedPointer->setChecked(true);
    connect(m_speedPointer, &QAction::triggered, this,
            [this] { CircuitCanvas->SetSelectMode(m_speedPointer->isChecked()); });
    m_laterActions << m_speedInteraction << m_speedProbe;

    // Part buttons: at most one is down. Placing parts arrives with mouse editing.
    m_partGroup = new QActionGroup(this);
    m_partGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const TPartButton& button : PartButtons()) {
        QAction* part = NewAction(button.Name, button.Hint, button.Hint);
        part->setCheckable(true);
        const std::unique_ptr<TGraphicObject> shape = button.Create();
        part->setIcon(PartIcon(*shape));
        m_partGroup->addAction(part);
        m_partActions << part;
    }
    m_laterActions << m_partActions;

    m_speedPartsCentre = NewAction("SpeedPartsCentre", "Parts Centre  ", "Show Parts Centre");
    m_speedCloseMacro = NewAction("SpeedCloseMacro", "Close Macro  ", "Close Macro");
    connect(m_speedCloseMacro, &QAction::triggered, this, &TMainForm::SpeedCloseMacroClick);
    m_laterActions << m_speedPartsCentre;

    m_menuShowGrid = NewAction("MenuShowGrid", "&Show Grid");
    m_menuShowGrid->setCheckable(true);
    m_menuShowGrid->setChecked(true);
    connect(m_menuShowGrid, &QAction::triggered, this, [this](bool checked) {
        CircuitCanvas->Grid.ShowGrid = checked;
        CircuitCanvas->InvalidateAll();
    });
    m_menuSnapToGrid = NewAction("MenuSnapToGrid", "S&nap To Grid");
    m_menuSnapToGrid->setCheckable(true);
    m_menuSnapToGrid->setChecked(true);
    connect(m_menuSnapToGrid, &QAction::triggered, this,
            [this](bool checked) { CircuitCanvas->Grid.Snap = checked; });
    m_menuGridSetup = NewAction("MenuGridSetup", "&Grid Setup...");
    m_laterActions << m_menuGridSetup;
}

void TMainForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MenuFile"));
    connect(file, &QMenu::aboutToShow, this, &TMainForm::UpdateActions);
    file->addAction(m_speedNew);
    file->addSeparator();
    file->addAction(m_speedOpen);
    file->addAction(m_speedSave);
    file->addAction(m_menuSaveAs);
    file->addSeparator();
    m_menuReopen = file->addMenu(QStringLiteral("&Reopen"));
    m_menuReopen->setObjectName(QStringLiteral("MenuReopen"));
    file->addSeparator();
    file->addAction(m_menuPrintSetup);
    file->addAction(m_menuPrintPreview);
    file->addAction(m_menuPrint);
    file->addSeparator();
    file->addAction(m_menuExit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("MenuEdit"));
    edit->addAction(m_speedCut);
    edit->addAction(m_speedCopy);
    edit->addAction(m_speedPaste);
    edit->addSeparator();
    edit->addAction(m_editActions[3]);
    edit->addSeparator();
    edit->addAction(m_editActions[4]);

    QMenu* circuit = menuBar()->addMenu(QStringLiteral("&Circuit"));
    circuit->setObjectName(QStringLiteral("MenuCircuit"));
    circuit->addAction(m_menuRun);
    circuit->addAction(m_menuStop);
    circuit->addAction(m_menuPause);
    circuit->addAction(m_menuStep);
    circuit->addSeparator();
    circuit->addMenu(m_menuClockSpeed);
    for (int i = 0; i < m_hertzActions.size(); ++i) {
        if (i == m_hertzActions.size() - 1)
            m_menuClockSpeed->addSeparator();
        m_menuClockSpeed->addAction(m_hertzActions[i]);
    }

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("MenuView"));
    connect(view, &QMenu::aboutToShow, this, [this] {
        m_menuShowGrid->setChecked(CircuitCanvas->Grid.ShowGrid);
        m_menuSnapToGrid->setChecked(CircuitCanvas->Grid.Snap);
    });
    view->addAction(m_menuShowGrid);
    view->addAction(m_menuSnapToGrid);
    view->addSeparator();
    view->addAction(m_menuGridSetup);

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("MenuTools"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("MenuHelp"));
    for (const auto& [menu, name, caption] : {std::tuple{tools, "ToolsLogicHistory", "Logic &History..."},
                                              std::tuple{tools, "ToolsTemplateEditor", "&Template Editor..."},
                                              std::tuple{help, "MenuAbout", "&About..."}}) {
        QAction* action = NewAction(name, caption);
        menu->addAction(action);
        m_laterActions << action;
    }
    tools->addSeparator();
    QMenu* options = tools->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("MenuOptions"));
    for (const auto& [name, caption] : {std::pair{"OptionsAttachDatasheet", "&Attach Datasheet..."},
                                        std::pair{"OptionsNameMacro", "&Name Macro..."}, std::pair{"", ""},
                                        std::pair{"OptionsSetDatasheetPath", "&Set Datasheet Path..."}}) {
        if (!*name) {
            options->addSeparator();
            continue;
        }
        QAction* action = NewAction(name, caption);
        options->addAction(action);
        m_laterActions << action;
    }
    QAction* helpTopics = NewAction("MenuHelpTopics", "&Help Topics...");
    connect(helpTopics, &QAction::triggered, this, [] { ShowHelpFile(HelpFilePath()); });
    help->insertAction(help->actions().constFirst(), helpTopics);
}

void TMainForm::CreateToolBars() {
    m_toolBar1 = addToolBar(QStringLiteral("Tool Bar 1"));
    m_toolBar1->setObjectName(QStringLiteral("ToolBar1"));
    for (QAction* action :
         {m_speedNew, m_speedOpen, m_speedSave, m_speedCut, m_speedCopy, m_speedPaste, m_speedPrint})
        m_toolBar1->addAction(action);

    m_toolBar3 = addToolBar(QStringLiteral("Tool Bar 3"));
    m_toolBar3->setObjectName(QStringLiteral("ToolBar3"));
    for (QAction* action : {m_speedRun, m_speedPause, m_speedStop, m_speedStep})
        m_toolBar3->addAction(action);
    if (auto* stepButton = qobject_cast<QToolButton*>(m_toolBar3->widgetForAction(m_speedStep)))
        stepButton->setPopupMode(QToolButton::MenuButtonPopup);
    m_toolBar3->addSeparator();
    for (QAction* action : {m_speedPointer, m_speedInteraction, m_speedProbe})
        m_toolBar3->addAction(action);

    m_toolBar5 = addToolBar(QStringLiteral("Tool Bar 5"));
    m_toolBar5->setObjectName(QStringLiteral("ToolBar5"));
    m_toolBar5->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolBar5->addAction(m_speedPartsCentre);
    m_toolBar5->addAction(m_speedCloseMacro);

    addToolBarBreak();
    m_toolBar2 = addToolBar(QStringLiteral("Tool Bar 2"));
    m_toolBar2->setObjectName(QStringLiteral("ToolBar2"));
    m_toolBar2->addActions(m_partActions);
}

void TMainForm::UpdateActions() {
    for (QAction* action : m_laterActions)
        action->setEnabled(false);
    for (QAction* action : m_editActions)
        action->setEnabled(false);
    UpdatePrintCommands();
    m_speedSave->setEnabled(true);
    m_speedCloseMacro->setVisible(CircuitCanvas->MacroOpen());
    m_menuReopen->setEnabled(false);
}

// Printing arrives with the print preview window, which knows whether a printer exists.
void TMainForm::UpdatePrintCommands() {
    for (QAction* action : {m_speedPrint, m_menuPrintSetup, m_menuPrintPreview, m_menuPrint})
        action->setEnabled(false);
}

void TMainForm::RepaintWindows() {
    repaint();
}

QString TMainForm::TitleFromFileName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype stop = name.indexOf(QLatin1Char('.'));
    return stop < 0 ? name : name.left(stop);
}

void TMainForm::SetTitleFromFile() {
    setWindowTitle(QStringLiteral("Tessivar - ") + TitleFromFileName(CircuitCanvas->FileName));
}

void TMainForm::AddToHistory(const QString& path) {
    for (qsizetype i = 0; i < FileHistory.size(); ++i)
        if (FileHistory[i].compare(path, Qt::CaseInsensitive) == 0) {
            FileHistory.removeAt(i);
            break;
        }
    FileHistory.prepend(path);
    if (FileHistory.size() > kHistorySize)
        FileHistory.removeAt(kHistorySize);
}

// ---------------------------------------------------------------------------------------------------
// Showing and closing

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    FormShow();
}

void TMainForm::FormShow() {
    ReadSettings();
    CircuitCanvas->SetSelectMode(m_speedPointer->isChecked());
    CircuitCanvas->Grid.ShowGrid = m_menuShowGrid->isChecked();
    CircuitCanvas->Grid.Snap = m_menuSnapToGrid->isChecked();
    UpdatePrintCommands();
    OpenFromCommandLine();
}

void TMainForm::OpenFromCommandLine() {
    if (m_arguments.isEmpty())
        return;
    // A path with spaces may arrive as several arguments.
    QString text;
    for (const QString& argument : m_arguments)
        text += QLatin1Char(' ') + argument;
    text = text.trimmed();
    if (QFileInfo(text).suffix().toLower() != QLatin1String("tvm"))
        return;
    CircuitCanvas->LoadFromFile(text);
    m_speedPointer->setChecked(true);
    CircuitCanvas->SetSelectMode(true);
    emit HistoryDevicesChanged();
    if (!CircuitCanvas->FileName.isEmpty())
        SetTitleFromFile();
    UpdateActions();
    HomeFolder = QCoreApplication::applicationDirPath();
    m_saveFolder = HomeFolder;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

bool TMainForm::FormClose() {
    if (CircuitCanvas->Modified) {
        switch (TUserDialogs::Message(this, TUserDialogs::TKind::Information,
                                      QString::fromLatin1(kChangedQuestion),
                                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            SpeedSaveClick();
            break;
        case QMessageBox::No:
            break;
        default:
            return false;
        }
    }
    WriteSettings();
    Clock->stop();
    return true;
}

void TMainForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange)
        statusBar()->setSizeGripEnabled(!isMaximized());
    QMainWindow::changeEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// File commands

void TMainForm::SpeedSaveClick() {
    UpdateActions();
    const bool levelOpen = CircuitCanvas->MacroOpen();
    if (levelOpen &&
        TUserDialogs::Message(this, TUserDialogs::TKind::Warning, QString::fromLatin1(kLevelQuestion),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    QString path = CircuitCanvas->FileName;
    const bool ask = path.isEmpty() || levelOpen;
    if (ask) {
        TUserDialogs::TFileRequest request;
        request.Title = QStringLiteral("Save Circuit");
        request.Folder = m_saveFolder;
        request.InitialName = QStringLiteral("Macro");
        request.Filter = QStringLiteral("Macro Files (*.tvm)");
        request.DefaultSuffix = QStringLiteral("tvm");
        request.ConfirmOverwrite = true;
        path = TUserDialogs::SaveFileName(this, request);
        if (path.isEmpty())
            return;
        RepaintWindows();
    }
    try {
        CircuitCanvas->SaveToFile(path);
    } catch (const EWriteError& error) {
        TUserDialogs::Message(this, TUserDialogs::TKind::Error, QString::fromStdString(error.what()));
        return;
    }
    if (ask) {
        SetTitleFromFile();
        m_saveFolder.clear();
    }
}

void TMainForm::SpeedCloseMacroClick() {
    CircuitCanvas->CurrentMacro->Closed = true;
    CircuitCanvas->CloseMacro();
    emit HistoryDevicesChanged();
    m_speedPointer->setChecked(true);
    CircuitCanvas->SetSelectMode(true);
    UpdateActions();
}

// ---------------------------------------------------------------------------------------------------
// Run control

void TMainForm::RunCircuit() {
    if (!m_speedRun->isChecked() || m_speedPause->isChecked())
        return;
    TCalcResult result;
    CircuitCanvas->Step(result);
    // The timer stays on; its ticks do nothing until Run is pressed again.
    if (result.Race || result.Contention || result.Halt)
        m_speedRun->setChecked(false);
    emit CircuitStepped();
}

void TMainForm::SpeedRunClick() {
    const bool down = m_speedRun->isChecked();
    if (QWidget* button = m_toolBar3->widgetForAction(m_speedRun))
        button->repaint();
    if (down)
        Clock->start();
    else
        Clock->stop();
    emit RunButtonChanged(down);
    // Every start and every release begins from the power-on state.
    CircuitCanvas->HideMessage();
    CircuitCanvas->ResetCircuit();
    emit HistoryDevicesChanged();
}

void TMainForm::SpeedStopClick() {
    m_speedRun->setChecked(false);
    emit RunButtonChanged(false);
}

void TMainForm::SpeedPauseClick() {
    if (QWidget* button = m_toolBar3->widgetForAction(m_speedPause))
        button->repaint();
    emit PauseButtonChanged(m_speedPause->isChecked());
}

void TMainForm::MenuRunClick() {
    m_speedRun->setChecked(true);
    SpeedRunClick();
}

void TMainForm::MenuPauseClick() {
    m_speedPause->setChecked(!m_speedPause->isChecked());
}

void TMainForm::SpeedStepClick() {
    TCalcResult result;
    if (!HalfCycleStep)
        CircuitCanvas->Step(result);
    CircuitCanvas->Step(result);
    emit CircuitStepped();
}

void TMainForm::MenuClockSpeedClick() {
    for (int i = 0; i < m_hertzActions.size(); ++i)
        m_hertzActions[i]->setChecked(kClockIntervals[i] == Clock->interval());
}

void TMainForm::PopupStepPopup() {
    m_popHalfCycle->setChecked(HalfCycleStep);
    m_popFullCycle->setChecked(!HalfCycleStep);
}

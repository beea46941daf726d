#include "shell/MainForm.h"

#include "canvas/DigitalDrawing.h"
#include "canvas/UserDialogs.h"
#include "devices/ui/AnalyserForm.h"
#include "drawing/Help.h"
#include "drawing/Serialize.h"
#include "shell/DeviceMenu.h"
#include "shell/PartButton.h"
#include "shell/PartsCentre.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
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
    CircuitCanvas->SetCircuitSize(QSize(kCanvasWidth, kCanvasHeight));
    ScrollBox->setWidget(CircuitCanvas);
    setCentralWidget(ScrollBox);

    Clock = new QTimer(this);
    Clock->setObjectName(QStringLiteral("Clock"));
    Clock->setInterval(100);
    connect(Clock, &QTimer::timeout, this, &TMainForm::RunCircuit);

    CircuitCanvas->setFocusPolicy(Qt::ClickFocus);
    connect(CircuitCanvas, &TDigitalDrawing::OnMouseDown, this, &TMainForm::DrawingMouseDown);
    connect(CircuitCanvas, &TDigitalDrawing::OnMouseMove, this, &TMainForm::DrawingMouseMove);
    connect(CircuitCanvas, &TDigitalDrawing::OnObjectSelected, this, &TMainForm::RefreshClipboardButtons);
    connect(CircuitCanvas, &TDigitalDrawing::OnObjectDeSelected, this, &TMainForm::RefreshClipboardButtons);
    connect(CircuitCanvas, &TDigitalDrawing::OnObjectSelected, this, &TMainForm::MenuToolsClick);
    connect(CircuitCanvas, &TDigitalDrawing::OnObjectDblClick, this, &TMainForm::DrawingObjectDblClick);
    connect(CircuitCanvas, &TDigitalDrawing::OnCircuitReplaced, this, &TMainForm::HistoryDevicesChanged);
    qApp->installEventFilter(this);

    CreateActions();
    CreateMenus();
    CreateToolBars();
    DeviceMenu = new TDeviceMenu(this);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    m_zoomLabel = new QLabel(statusBar());
    m_zoomLabel->setObjectName(QStringLiteral("ZoomLabel"));
    // The hints are red; the zoom is not a hint.
    m_zoomLabel->setStyleSheet(QStringLiteral("color: black"));
    statusBar()->addPermanentWidget(m_zoomLabel);
    connect(CircuitCanvas, &TDigitalDrawing::OnZoomChanged, this, &TMainForm::ShowZoom);
    ShowZoom(CircuitCanvas->ZoomPercent());

    setWindowTitle(QStringLiteral("Tessivar - Untitled"));
    HomeFolder = QDir::currentPath();
    m_openFolder = HomeFolder;
    m_saveFolder = HomeFolder;
    setAcceptDrops(true);
    UpdateActions();
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
}

QAction* TMainForm::NewAction(const QString& name, const QString& text, const QString& hint) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    return action;
}

QAction* TMainForm::Action(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

namespace {

constexpr int kNoIcon = -1;

// One command of the main window. Field and Slot may be empty: the command is then found by its
// name, or does nothing until its window exists.
struct TActionRow {
    QAction* TMainForm::*Field;
    const char* Name;
    const char* Text;
    const char* Hint;
    const char* Shortcut; // portable key text
    int Icon;             // a QStyle::StandardPixmap, or kNoIcon
    bool Checkable;
    void (TMainForm::*Slot)();
};

} // namespace

void TMainForm::CreateActions() {
    using F = TMainForm;
    static const TActionRow rows[] = {
        {&F::m_speedNew, "SpeedNew", "&New Circuit", "New", "Ctrl+N", QStyle::SP_FileIcon, false,
         &F::SpeedNewClick},
        {&F::m_speedOpen, "SpeedOpen", "&Open", "Open", "Ctrl+O", QStyle::SP_DialogOpenButton, false,
         &F::SpeedOpenClick},
        {&F::m_speedSave, "SpeedSave", "&Save", "Save", "Ctrl+S", QStyle::SP_DialogSaveButton, false,
         &F::SpeedSaveClick},
        {&F::m_menuSaveAs, "MenuSaveAs", "S&ave As...", nullptr, nullptr, kNoIcon, false,
         &F::MenuSaveAsClick},
        {&F::m_menuExit, "MenuExit", "E&xit", nullptr, nullptr, kNoIcon, false, nullptr},
        {&F::m_menuUndo, "MenuUndo", "&Undo", nullptr, "Ctrl+Z", kNoIcon, false, &F::MenuUndoClick},
        {&F::m_menuRedo, "MenuRedo", "&Redo", nullptr, "Ctrl+Y", kNoIcon, false, &F::MenuRedoClick},
        {&F::m_speedCut, "SpeedCut", "&Cut", "Cut", "Ctrl+X", QStyle::SP_DialogDiscardButton, false,
         &F::MenuCutClick},
        {&F::m_speedCopy, "SpeedCopy", "C&opy", "Copy", "Ctrl+C", QStyle::SP_FileDialogNewFolder, false,
         &F::MenuCopyClick},
        {&F::m_speedPaste, "SpeedPaste", "&Paste", "Paste", "Ctrl+V", QStyle::SP_DialogApplyButton, false,
         &F::MenuPasteClick},
        {&F::m_menuDelete, "MenuDelete", "&Delete", nullptr, "Del", kNoIcon, false, &F::DeleteClick},
        {&F::m_menuSelectAll, "MenuSelectAll", "&Select All", nullptr, "Ctrl+A", kNoIcon, false,
         &F::EditSelectAllClick},
        {&F::m_speedPrint, "SpeedPrint", "Print", "Print", nullptr, QStyle::SP_FileDialogDetailedView, false,
         &F::SpeedPrintClick},
        {&F::m_menuPrintSetup, "MenuPrintSetup", "Print Set&up...", nullptr, nullptr, kNoIcon, false,
         &F::MenuPrintSetupClick},
        {&F::m_menuPrintPreview, "MenuPrintPreview", "Print Pre&view...", nullptr, nullptr, kNoIcon, false,
         &F::MenuPrintPreviewClick},
        {&F::m_menuPrint, "MenuPrint", "&Print", nullptr, "Ctrl+P", kNoIcon, false, &F::SpeedPrintClick},
        {nullptr, "MenuPrintPdf", "Print to P&DF...", nullptr, nullptr, kNoIcon, false,
         &F::MenuPrintPdfClick},
        {nullptr, "MenuExportImage", "Export &Image...", nullptr, nullptr, kNoIcon, false,
         &F::MenuExportImageClick},

        // Run control: the checked states of SpeedRun and SpeedPause are the run state.
        {&F::m_speedRun, "SpeedRun", "Run", "Run", nullptr, QStyle::SP_MediaPlay, true, &F::SpeedRunClick},
        {&F::m_speedPause, "SpeedPause", "Pause", "Pause", nullptr, QStyle::SP_MediaPause, true,
         &F::SpeedPauseClick},
        {&F::m_speedStop, "SpeedStop", "Stop", "Stop", nullptr, QStyle::SP_MediaStop, false,
         &F::SpeedStopClick},
        {&F::m_speedStep, "SpeedStep", "Step", "Step", nullptr, QStyle::SP_MediaSkipForward, false,
         &F::SpeedStepClick},
        {&F::m_menuRun, "MenuRun", "&Run", nullptr, "F9", kNoIcon, false, &F::MenuRunClick},
        {&F::m_menuStop, "MenuStop", "&Stop", nullptr, "F10", kNoIcon, false, &F::SpeedStopClick},
        {&F::m_menuPause, "MenuPause", "&Pause", nullptr, "F11", kNoIcon, false, &F::MenuPauseClick},
        {&F::m_menuStep, "MenuStep", "S&tep Circuit", nullptr, "F12", kNoIcon, false, &F::SpeedStepClick},

        // Tool modes.
        {&F::m_speedPointer, "SpeedPointer", "Object Selector", "Object Selector", nullptr,
         QStyle::SP_ArrowUp, true, nullptr},
        {&F::m_speedInteraction, "SpeedInteraction", "Object Interaction", "Object Interaction", nullptr,
         kNoIcon, true, nullptr},
        {&F::m_speedProbe, "SpeedProbe", "Logic Probe", "Logic Probe", nullptr, kNoIcon, true, nullptr},

        {&F::m_speedPartsCentre, "SpeedPartsCentre", "Parts Centre  ", "Show Parts Centre", nullptr, kNoIcon,
         false, &F::SpeedPartsCentreClick},
        {&F::m_speedCloseMacro, "SpeedCloseMacro", "Close Macro  ", "Close Macro", nullptr, kNoIcon, false,
         &F::SpeedCloseMacroClick},
        {nullptr, "PopEditMacro", "&Edit Macro...", nullptr, nullptr, kNoIcon, false, &F::EditMacroClick},
        {&F::m_menuShowGrid, "MenuShowGrid", "&Show Grid", nullptr, nullptr, kNoIcon, true,
         &F::MenuShowGridClick},
        {&F::m_menuSnapToGrid, "MenuSnapToGrid", "S&nap To Grid", nullptr, nullptr, kNoIcon, true,
         &F::MenuSnapToGridClick},
        {&F::m_menuGridSetup, "MenuGridSetup", "&Grid Setup...", nullptr, nullptr, kNoIcon, false,
         &F::MenuGridSetupClick},
        {nullptr, "MenuZoomIn", "Zoom &In", nullptr, "Ctrl+=", kNoIcon, false, &F::MenuZoomInClick},
        {nullptr, "MenuZoomOut", "Zoom &Out", nullptr, "Ctrl+-", kNoIcon, false, &F::MenuZoomOutClick},
        {nullptr, "MenuActualSize", "&Actual Size", nullptr, "Ctrl+0", kNoIcon, false,
         &F::MenuActualSizeClick},
        {nullptr, "MenuZoomToFit", "Zoom to &Fit", nullptr, "Ctrl+Shift+F", kNoIcon, false,
         &F::MenuZoomToFitClick},

        {nullptr, "ToolsLogicHistory", "Logic &History...", nullptr, nullptr, kNoIcon, false, nullptr},
        {nullptr, "ToolsTemplateEditor", "&Template Editor...", nullptr, nullptr, kNoIcon, false,
         &F::ToolsTemplateEditorClick},
        {nullptr, "OptionsAttachDatasheet", "&Attach Datasheet...", nullptr, nullptr, kNoIcon, false,
         &F::OptionsAttachDatasheetClick},
        {nullptr, "OptionsNameMacro", "&Name Macro...", nullptr, nullptr, kNoIcon, false,
         &F::OptionsNameMacroClick},
        {nullptr, "OptionsSetDatasheetPath", "&Set Datasheet Path...", nullptr, nullptr, kNoIcon, false,
         &F::OptionsSetDatasheetPathClick},
        {nullptr, "ContextHelp", "Context Help", nullptr, "F1", kNoIcon, false, &F::ContextHelp},
        {nullptr, "MenuHelpTopics", "&Help Topics...", nullptr, nullptr, kNoIcon, false, nullptr},
        {nullptr, "MenuAbout", "&About...", nullptr, nullptr, kNoIcon, false, &F::MenuAboutClick},
    };

    QStyle* style = this->style();
    for (const TActionRow& row : rows) {
        QAction* action = NewAction(QString::fromLatin1(row.Name), QString::fromLatin1(row.Text),
                                    row.Hint ? QString::fromLatin1(row.Hint) : QString());
        if (row.Shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(row.Shortcut)));
        if (row.Icon != kNoIcon)
            action->setIcon(style->standardIcon(static_cast<QStyle::StandardPixmap>(row.Icon)));
        action->setCheckable(row.Checkable);
        if (row.Field)
            this->*row.Field = action;
        if (row.Slot)
            connect(action, &QAction::triggered, this, row.Slot);
    }

    connect(m_menuExit, &QAction::triggered, this, &QWidget::close);
    connect(Action("MenuHelpTopics"), &QAction::triggered, this, [] { ShowHelpFile(HelpFilePath()); });
    m_menuRedo->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    Action("MenuZoomIn")
        ->setShortcuts({QKeySequence(QStringLiteral("Ctrl+=")), QKeySequence(QStringLiteral("Ctrl++"))});
    m_editActions = {m_speedCut, m_speedCopy, m_speedPaste};
    m_laterActions = {Action("ToolsLogicHistory")};

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

    m_modeGroup = new QActionGroup(this);
    for (QAction* mode : {m_speedPointer, m_speedInteraction, m_speedProbe})
        m_modeGroup->addAction(mode);
    m_speedPointer->setChecked(true);
    for (QAction* mode : {m_speedPointer, m_speedInteraction, m_speedProbe})
        connect(mode, &QAction::triggered, this, [this, mode] { SpeedUpdateClick(mode); });

    // Part buttons: at most one is down.
    m_partGroup = new QActionGroup(this);
    m_partGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const TPartButton& button : PartButtons()) {
        QAction* part = NewAction(button.Name, button.Hint, button.Hint);
        part->setCheckable(true);
        const std::unique_ptr<TGraphicObject> shape = button.Create();
        part->setIcon(PartIcon(*shape));
        // Tool bar 2 holds the parts and the wiring tool; they are told apart by this tag.
        part->setData(0);
        m_partGroup->addAction(part);
        m_partActions << part;
        if (button.Name == QLatin1String("SpeedWireTool"))
            connect(part, &QAction::triggered, this, &TMainForm::SpeedWireToolClick);
        else
            connect(part, &QAction::triggered, this, [this, part] { SpeedUpdateClick(part); });
    }
    m_speedWireTool = m_partActions.constLast();
    for (QAction* action : {m_speedRun, m_speedPause, m_speedStop, m_speedStep, m_speedPointer,
                            m_speedInteraction, m_speedProbe})
        action->setData(1);

    m_menuShowGrid->setChecked(true);
    m_menuSnapToGrid->setChecked(true);
}

void TMainForm::MenuViewClick() {
    m_menuShowGrid->setChecked(CircuitCanvas->Grid.ShowGrid);
    m_menuSnapToGrid->setChecked(CircuitCanvas->Grid.Snap);
}

void TMainForm::MenuShowGridClick() {
    TGrid grid = CircuitCanvas->Grid;
    grid.ShowGrid = m_menuShowGrid->isChecked();
    CircuitCanvas->SetGrid(grid);
}

void TMainForm::MenuSnapToGridClick() {
    TGrid grid = CircuitCanvas->Grid;
    grid.Snap = m_menuSnapToGrid->isChecked();
    CircuitCanvas->SetGrid(grid);
}

void TMainForm::MenuZoomInClick() {
    CircuitCanvas->ZoomStep(true);
}

void TMainForm::MenuZoomOutClick() {
    CircuitCanvas->ZoomStep(false);
}

void TMainForm::MenuActualSizeClick() {
    const QSize shown = ScrollBox->viewport()->size();
    CircuitCanvas->ZoomAbout(100, QPoint(shown.width() / 2, shown.height() / 2));
}

void TMainForm::MenuZoomToFitClick() {
    CircuitCanvas->ZoomToFit();
}

void TMainForm::ShowZoom(int percent) {
    m_zoomLabel->setText(QStringLiteral("%1%").arg(percent));
}

void TMainForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MenuFile"));
    connect(file, &QMenu::aboutToShow, this, &TMainForm::MenuFileClick);
    file->addAction(m_speedNew);
    file->addSeparator();
    file->addAction(m_speedOpen);
    file->addAction(m_speedSave);
    file->addAction(m_menuSaveAs);
    file->addSeparator();
    m_menuReopen = file->addMenu(QStringLiteral("&Reopen"));
    m_menuReopen->setObjectName(QStringLiteral("MenuReopen"));
    // Six items for a history of five: the last is never shown.
    for (int i = 0; i <= kHistorySize; ++i) {
        QAction* item = m_menuReopen->addAction(QString());
        item->setObjectName(QStringLiteral("ReopenFile%1").arg(i + 1));
        item->setVisible(false);
        if (i < kHistorySize)
            connect(item, &QAction::triggered, this, [this, item] { ReopenFileClick(item); });
        m_reopenItems << item;
    }
    file->addSeparator();
    file->addAction(m_menuPrintSetup);
    file->addAction(m_menuPrintPreview);
    file->addAction(m_menuPrint);
    file->addAction(Action("MenuPrintPdf"));
    file->addSeparator();
    file->addAction(Action("MenuExportImage"));
    file->addSeparator();
    file->addAction(m_menuExit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("MenuEdit"));
    connect(edit, &QMenu::aboutToShow, this, &TMainForm::MenuEditClick);
    edit->addAction(m_menuUndo);
    edit->addAction(m_menuRedo);
    edit->addSeparator();
    edit->addAction(m_speedCut);
    edit->addAction(m_speedCopy);
    edit->addAction(m_speedPaste);
    edit->addSeparator();
    edit->addAction(Action("MenuDelete"));
    edit->addSeparator();
    edit->addAction(Action("MenuSelectAll"));

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
    connect(view, &QMenu::aboutToShow, this, &TMainForm::MenuViewClick);
    view->addAction(m_menuShowGrid);
    view->addAction(m_menuSnapToGrid);
    view->addSeparator();
    view->addAction(m_menuGridSetup);
    view->addSeparator();
    for (const char* name : {"MenuZoomIn", "MenuZoomOut", "MenuActualSize", "MenuZoomToFit"})
        view->addAction(Action(name));

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("MenuTools"));
    connect(tools, &QMenu::aboutToShow, this, &TMainForm::MenuToolsClick);
    tools->addAction(Action("ToolsLogicHistory"));
    tools->addAction(Action("ToolsTemplateEditor"));
    tools->addSeparator();
    QMenu* options = tools->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("MenuOptions"));
    connect(options, &QMenu::aboutToShow, this, &TMainForm::MenuOptionsClick);
    options->addAction(Action("OptionsAttachDatasheet"));
    options->addAction(Action("OptionsNameMacro"));
    options->addSeparator();
    options->addAction(Action("OptionsSetDatasheetPath"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("MenuHelp"));
    help->addAction(Action("MenuHelpTopics"));
    help->addAction(Action("MenuAbout"));
}

void TMainForm::CreateToolBars() {
    m_toolBar1 = addToolBar(QStringLiteral("File and Clipboard"));
    m_toolBar1->setObjectName(QStringLiteral("ToolBar1"));
    for (QAction* action :
         {m_speedNew, m_speedOpen, m_speedSave, m_speedCut, m_speedCopy, m_speedPaste, m_speedPrint})
        m_toolBar1->addAction(action);

    m_toolBar3 = addToolBar(QStringLiteral("Run and Mouse Tools"));
    m_toolBar3->setObjectName(QStringLiteral("ToolBar3"));
    for (QAction* action : {m_speedRun, m_speedPause, m_speedStop, m_speedStep})
        m_toolBar3->addAction(action);
    if (auto* stepButton = qobject_cast<QToolButton*>(m_toolBar3->widgetForAction(m_speedStep)))
        stepButton->setPopupMode(QToolButton::MenuButtonPopup);
    m_toolBar3->addSeparator();
    for (QAction* action : {m_speedPointer, m_speedInteraction, m_speedProbe})
        m_toolBar3->addAction(action);

    m_toolBar5 = addToolBar(QStringLiteral("Macros"));
    m_toolBar5->setObjectName(QStringLiteral("ToolBar5"));
    m_toolBar5->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolBar5->addAction(m_speedPartsCentre);
    m_toolBar5->addAction(m_speedCloseMacro);

    addToolBarBreak();
    m_toolBar2 = addToolBar(QStringLiteral("Parts"));
    m_toolBar2->setObjectName(QStringLiteral("ToolBar2"));
    m_toolBar2->addActions(m_partActions);
}

void TMainForm::UpdateActions() {
    for (QAction* action : m_laterActions)
        action->setEnabled(false);
    RefreshClipboardButtons();
    UpdatePrintCommands();
    MenuOptionsClick();
    MenuToolsClick();
    m_speedSave->setEnabled(true);
    m_speedCloseMacro->setVisible(CircuitCanvas->MacroOpen());
}

void TMainForm::RepaintWindows() {
    repaint();
    for (QWidget* window :
         {static_cast<QWidget*>(TPartsForm::Instance()), static_cast<QWidget*>(TAnalyserForm::Instance())})
        if (window && window->isVisible())
            window->repaint();
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
    ConnectWindows();
    MenuToolsClick();
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
    PointerDown();
    emit HistoryDevicesChanged();
    if (!CircuitCanvas->FileName.isEmpty())
        SetTitleFromFile();
    UpdateActions();
    HomeFolder = QCoreApplication::applicationDirPath();
    m_openFolder = HomeFolder;
    m_saveFolder = HomeFolder;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

bool TMainForm::FormClose() {
    if (!SaveChangesFirst())
        return false;
    TakeWindowPlacements();
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
// Macro levels

void TMainForm::SpeedCloseMacroClick() {
    CircuitCanvas->CloseMacroLevel();
    m_speedCloseMacro->setVisible(CircuitCanvas->MacroOpen());
    emit HistoryDevicesChanged();
    PointerDown();
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
    // What is drawn must be the reset circuit, not the levels of the last tick.
    CircuitCanvas->RepaintLevels();
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

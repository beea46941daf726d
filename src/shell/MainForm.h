#pragma once

// The main window: the menus and tool bars every command starts from, the circuit canvas inside
// its scroll box, the status line and the run timer. It applies the user's settings when first
// shown and stores them when it closes.

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QScrollArea;
class QTimer;
class QToolBar;
class TDeviceMenu;
class TDigitalDrawing;
class TGraphicObject;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Placement of a tool window whose settings the main window keeps.
    struct TWindowPlacement {
        int Width = 0;
        int Height = 0;
        int Top = 0;
        int Left = 0;
        bool Visible = false;
        bool StatusVisible = false;
        bool Maximized = false;
    };

    // The program's arguments after its own name; read at the first show.
    void SetCommandLine(const QStringList& arguments) { m_arguments = arguments; }

    // Applies the settings and opens a circuit named on the command line (the first show).
    void FormShow();
    // The close sequence; false when the user chose to stay.
    bool FormClose();
    void RepaintWindows();
    void UpdatePrintCommands();
    // The file name without its folder, cut before its first full stop.
    static QString TitleFromFileName(const QString& path);
    void AddToHistory(const QString& path);

    // Run control.
    void RunCircuit();
    void SpeedRunClick();
    void SpeedStopClick();
    void SpeedPauseClick();
    void SpeedStepClick();
    void MenuRunClick();
    void MenuPauseClick();
    void MenuClockSpeedClick();
    void PopupStepPopup();

    // File commands.
    void SpeedNewClick();
    void SpeedOpenClick();
    void SpeedSaveClick();
    void MenuSaveAsClick();
    // One of the Reopen items, which carry their path as data.
    void ReopenFileClick(QAction* item);
    // Opens a circuit file as Reopen does, after asking about unsaved changes: the parts centre's
    // OnOpenMacro and circuit files dropped on the window come here.
    void ReopenFile(const QString& path);
    // The File menu opens: the print commands and the Reopen submenu follow the state.
    void MenuFileClick();
    // The shown level, or the selection, as a picture file (MainFormExport.cpp).
    void MenuExportImageClick();

    // Small dialogs (MainFormDialogs.cpp).
    void MenuGridSetupClick();
    void OptionsNameMacroClick();
    void MenuAboutClick();
    void SpeedCloseMacroClick();

    // Tools, placing parts and the canvas's events.
    void SpeedUpdateClick(QObject* sender);
    void SpeedWireToolClick();
    void DrawingMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void DrawingMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void DrawingObjectDblClick(TGraphicObject* object);
    // Cut, Copy and Paste follow what can be copied and pasted.
    void RefreshClipboardButtons();

    // Edit menu.
    void MenuEditClick();
    void MenuUndoClick();
    void MenuRedoClick();
    void MenuCutClick();
    void MenuCopyClick();
    void MenuPasteClick();
    void DeleteClick();
    void EditSelectAllClick();

    // Macro levels and the Tools menu.
    void EditMacroClick();
    void MenuToolsClick();
    // The template editor on the shown circuit, with the selected tag as the one to link.
    void ToolsTemplateEditorClick();
    void MenuOptionsClick();

    // The parts centre, datasheets, help and printing (MainFormParts.cpp).
    void SpeedPartsCentreClick();
    // Shows a datasheet, telling the user when it cannot be found or opened.
    void ViewDatasheet(const QString& datasheet, const QString& context);
    // F1: the help of the selected object, or the circuit's datasheet.
    void ContextHelp();
    void OptionsAttachDatasheetClick();
    void OptionsSetDatasheetPathClick();
    void SpeedPrintClick();
    void MenuPrintPdfClick();
    void MenuPrintPreviewClick();
    void MenuPrintSetupClick();

    // View menu.
    void MenuViewClick();
    void MenuShowGridClick();
    void MenuSnapToGridClick();
    // Zoom: steps about the middle of the view, actual size, and the shown level fitted to the view.
    void MenuZoomInClick();
    void MenuZoomOutClick();
    void MenuActualSizeClick();
    void MenuZoomToFitClick();

    QStringList FileHistory; // newest first, at most kHistorySize
    QString HomeFolder;
    QString DatasheetPath;
    TDigitalDrawing* CircuitCanvas;
    // The context menus of the selection; they also tie in the device windows.
    TDeviceMenu* DeviceMenu;
    bool HalfCycleStep = true;
    QTimer* Clock;
    QScrollArea* ScrollBox;
    // Placements of the parts centre and the logic history windows, stored with ours.
    TWindowPlacement PartsCentre;
    TWindowPlacement LogicHistory;

    static constexpr int kHistorySize = 5;
    // Timer intervals of the clock speeds, in milliseconds.
    static constexpr int kClockIntervals[] = {500, 250, 100, 50, 10, 5};

signals:
    // A step command or a running tick has stepped the circuit (once per command or tick).
    void CircuitStepped();
    // The state of the run and pause buttons, for the windows that mirror them.
    void RunButtonChanged(bool down);
    void PauseButtonChanged(bool down);
    // The devices the logic history records may have changed (GetHistoryDevices).
    void HistoryDevicesChanged();
    // A circuit was saved under a name chosen in the save dialog (the parts centre lists it).
    void FileSaved(const QString& path);

protected:
    // Keys meant for the canvas: abandoning a wire, nudging the selection, context help.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Circuit files dropped from the file manager.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Connects the tool windows created after this one; their placements follow the settings.
    void ConnectWindows();
    // Takes the tool windows' placements back before the settings are written.
    void TakeWindowPlacements();
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    // Derives enabled, checked and visible states from the circuit and the run state.
    void UpdateActions();
    void ReadSettings();
    void WriteSettings();
    void OpenFromCommandLine();
    void SetTitleFromFile();
    enum class TSaveMode { Save, SaveAs };
    // The Save and Save As commands; true only when the circuit was written.
    bool SaveCommand(TSaveMode mode = TSaveMode::Save);
    // Asks whether to save a changed circuit before it is replaced or the window closes, and saves
    // it on Yes. False when the command must end: Cancel, or a save that did not happen.
    bool SaveChangesFirst();
    // Loads a file in place of the circuit and remembers it in the history, loaded or not.
    void OpenCircuit(const QString& path);
    QAction* NewAction(const QString& name, const QString& text, const QString& hint = {});
    // A new part for the armed button, after the dialog it needs; nil when the user cancelled.
    std::unique_ptr<TGraphicObject> CreatePart(const QString& buttonName);
    void SetStatusHint(const QString& text);
    void ShowZoom(int percent);
    // Puts the pointer mode back after placing, opening or closing.
    void PointerDown();
    bool KeyFromCanvas(QObject* watched) const;
    QAction* Action(const char* name) const;

    QStringList m_arguments;
    bool m_shown = false;
    // Start folders of the two file dialogs: the home folder, then the folder last used in each.
    QString m_openFolder;
    QString m_saveFolder;
    QString m_openedFile; // the file last chosen in the open dialog

    QAction* m_speedNew;
    QAction* m_speedOpen;
    QAction* m_speedSave;
    QAction* m_menuSaveAs;
    QAction* m_menuExit;
    QAction* m_speedCut;
    QAction* m_speedCopy;
    QAction* m_speedPaste;
    QAction* m_speedPrint;
    QAction* m_menuPrintSetup;
    QAction* m_menuPrintPreview;
    QAction* m_menuPrint;
    QMenu* m_menuReopen;
    QList<QAction*> m_reopenItems;
    QList<QAction*> m_editActions;

    QAction* m_speedRun;
    QAction* m_speedPause;
    QAction* m_speedStop;
    QAction* m_speedStep;
    QAction* m_menuRun;
    QAction* m_menuStop;
    QAction* m_menuPause;
    QAction* m_menuStep;
    QMenu* m_menuClockSpeed;
    QList<QAction*> m_hertzActions;
    QMenu* m_popupStep;
    QAction* m_popHalfCycle;
    QAction* m_popFullCycle;

    QActionGroup* m_modeGroup;
    QAction* m_speedPointer;
    QAction* m_speedInteraction;
    QAction* m_speedProbe;
    QActionGroup* m_partGroup;
    QList<QAction*> m_partActions;
    QAction* m_speedWireTool;
    QAction* m_menuUndo;
    QAction* m_menuRedo;
    QAction* m_menuDelete;
    QAction* m_menuSelectAll;

    QAction* m_speedPartsCentre;
    QAction* m_speedCloseMacro;
    QAction* m_menuShowGrid;
    QAction* m_menuSnapToGrid;
    QAction* m_menuGridSetup;
    QList<QAction*> m_laterActions; // commands whose windows do not exist yet
    QLabel* m_zoomLabel;            // the zoom, at the right of the status bar

    QToolBar* m_toolBar1;
    QToolBar* m_toolBar2;
    QToolBar* m_toolBar3;
    QToolBar* m_toolBar5;
};

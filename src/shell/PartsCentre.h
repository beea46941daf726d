#pragma once

// The parts centre: a tool window that browses a folder tree of macro files, listing each file by
// the name stored in its header, and from which macros are dragged onto the circuit, opened for
// editing, their datasheets viewed or the files deleted. It reads only the headers of the files.

#include <QListWidget>
#include <QMainWindow>
#include <QString>

#include <vector>

class QAction;
class QMenu;
class TDigitalDrawing;

// One entry of the list.
struct TFileData {
    enum : int32_t { kFolder = 16, kMacroFile = 32 };
    enum : int32_t { kFolderIcon = 0, kDatasheetIcon = 2, kMacroIcon = 3 };
    int32_t Kind = kFolder;
    bool ReadOnly = false;
    QString FileName;
    QString MacroName;
    QString Datasheet;
    QString HelpContext;
    int32_t ImageIndex = kFolderIcon;
};

// What the header of a macro file says. Result: 0 the file is not listed (unreadable, foreign or of
// another version), 1 a macro with a datasheet, 2 one without.
struct TMacroHeader {
    int Result = 0;
    QString Name;
    QString Context;
    QString Datasheet;
};
// Reads no more than the first bytes of the file, never the circuit.
TMacroHeader ReadMacroHeader(const QString& path);

// The drag of a macro file carries its path under this type.
inline constexpr const char* kPartMimeType = "application/x-tessivar-part";

class TPartsForm;

// The list: presses, double clicks and drags are the form's.
class TPartsList : public QListWidget {
    Q_OBJECT
public:
    explicit TPartsList(TPartsForm* form);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TPartsForm* m_form;
    QPoint m_pressPoint;
};

class TPartsForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TPartsForm(QWidget* parent = nullptr);
    ~TPartsForm() override;

    // The window created at program start, or nil while none exists.
    static TPartsForm* Instance();

    enum class TViewStyle { MacroName, LargeIcons, SmallIcons };

    void SetRootFolder(const QString& path);
    void Refresh();
    // Path may be relative to the current folder (a sub-folder, "..") or absolute. False when the
    // current folder itself could not be entered; the working folder is listed then.
    bool ChangeFolder(const QString& path);
    void RefreshList();
    void SetViewStyle(TViewStyle style);
    TViewStyle ViewStyle() const { return m_viewStyle; }
    void SetStatusBarVisible(bool visible);
    bool StatusBarVisible() const;

    // The entry a list item shows.
    const TFileData* Data(const QListWidgetItem* item) const;
    QListWidgetItem* FindItem(const QString& fileName) const;

    // Accepts macro files dragged from the list onto the canvas, which inserts them at the drop.
    void AcceptDropsOn(TDigitalDrawing* canvas);

    // Handlers.
    void ListMouseDown(Qt::MouseButton button, QListWidgetItem* item, QPoint globalPos);
    void ListDblClick(QListWidgetItem* item);
    void ListChange();
    void ListStartDrag();
    void UpdateEditMacro();
    void SpeedChangeLevelClick();
    void SpeedRootClick();
    void SpeedEditMacroClick();
    void MenuViewClick();
    void HelpTopicsClick();
    void PopDeleteClick();
    void PopViewDatasheetClick();
    // Fills the drive menu with the mounted volumes.
    void BuildDriveMenu();

    QString RootFolder;
    QString CurrentFolder;
    QString DragPath;
    QListWidgetItem* DragItem = nullptr;
    QString PopupDatasheet;
    QString PopupContext;
    TPartsList* List;
    QMenu* ItemMenu;
    QMenu* DriveMenu;

signals:
    void OnOpenMacro(const QString& path);
    void OnViewDatasheet(const QString& datasheet, const QString& context);
    // A macro from the list was dropped on the canvas and inserted there.
    void OnPartDropped();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* NewAction(const char* name, const QString& text);
    void ShowCaptions();
    QString MacroPath(const QListWidgetItem* item) const;

    std::vector<TFileData> m_entries;
    TViewStyle m_viewStyle = TViewStyle::MacroName;
    TDigitalDrawing* m_canvas = nullptr;
    QAction* m_speedEditMacro;
    QAction* m_speedChangeLevel;
    QAction* m_speedRoot;
    QAction* m_speedDrive;
    QAction* m_viewMacroName;
    QAction* m_viewLarge;
    QAction* m_viewSmall;
    QAction* m_viewStatusBar;
    QAction* m_popDelete;
    QAction* m_popSeparator;
    QAction* m_popEditMacro;
    QAction* m_popViewDatasheet;
};

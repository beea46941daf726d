#pragma once

// The "Template Editor": a modal window in which the outline of the circuit shown in the main
// window is drawn (circles, polygons, polylines, annotations and outline pins) on a canvas of its
// own that shows the same macro closed. Each outline pin can be linked to the tag that was
// selected when the editor opened; on closing, the linked tags take the numbers of their pins.
// Outlines are saved to and loaded from template files. One instance exists for the whole program.

#include <QDialog>
#include <QString>

#include <cstdint>

class QAction;
class QActionGroup;
class QColorDialog;
class QMenu;
class QStatusBar;
class QToolBar;
class TDigitalDrawing;
class TGraphicObject;
class TMacro;
class TTagDevice;

class TTemplateForm : public QDialog {
    Q_OBJECT
public:
    explicit TTemplateForm(QWidget* parent = nullptr);
    ~TTemplateForm() override;
    // The editor created at program start, or nil while none exists.
    static TTemplateForm* Instance();

    // Edits the outline of the macro shown on mainCanvas, with tag (or nil) as the one tag that
    // may be linked to a pin. Shows the window modally and hands the changes back: the main canvas
    // is marked modified and keeps the whole session as one step of its edit history.
    void Edit(TDigitalDrawing* mainCanvas, TTagDevice* tag);

    // Showing and closing; showing the window and closing it call these.
    void FormShow();
    void FormClose();

    // Drawing tools.
    void DrawingToolClick();
    void SpeedPolygonClick();
    void SpeedPolylineClick();
    void SpeedTogglePinsClick();
    void EditCanvasEndDrawing();
    void EditCanvasMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

    // The selection and the object commands.
    void HandlesSetItem();
    void PopAssociateClick();
    void PopEditAnnotationClick();
    void PopPenColourClick();
    void PopBrushColourClick();
    void PopEditPointsClick();
    void PopBringToFrontClick();
    void PopSendToBackClick();
    void DeleteClick();
    void CutClick();
    void CopyClick();
    void PasteClick();
    void SelectAllClick();
    void UpdateEditCommands();

    // Files. Save answers whether the template was written.
    void NewClick();
    void OpenClick();
    bool SaveClick();

    // View and help.
    void MenuViewClick();
    void MenuShowGridClick();
    void MenuSnapToGridClick();
    void MenuGridSetupClick();
    void MenuHelpTopicsClick();

    // The folder of the user's own templates and the one of the shipped templates (empty when the
    // program ships none); both are offered in the file dialogs.
    QString UserFolder() const;
    QString ShippedFolder() const;

    TDigitalDrawing* EditCanvas;
    TDigitalDrawing* MainCanvas = nullptr; // not owned; set while editing
    TTagDevice* CurrentTag = nullptr;      // not owned; set while editing
    int SelectedPin = 0;                   // 1-based position in the macro's pins; 0 for none
    float SavedCentreX = 0;
    float SavedCentreY = 0;
    bool SavedShowPins = true;
    QStatusBar* StatusBar;
    QMenu* PopupMenu;
    QColorDialog* ColourDialog;

    static constexpr uint32_t kFreePinColour = 0xFFFFFF;
    static constexpr uint32_t kLinkedPinColour = 255;
    static constexpr uint32_t kCurrentTagPinColour = 65535;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    QAction* NewAction(const char* name, const char* text, const char* hint = nullptr,
                       const char* shortcut = nullptr);
    TMacro* Macro() const;
    // Colours each outline pin by whom it is linked to.
    void ColourPins();
    // The extent the outline is placed by: its shapes, or its pins when it has no shapes; the pins
    // are never counted beside shapes, whatever ShowPins says.
    bool OutlineExtent(float& minX, float& minY, float& maxX, float& maxY) const;
    void MoveOutlineToMiddle();
    void ShowTextOutlines(bool show);
    void PressSelector();
    void SetStatus(const QString& text);
    // Asks whether to save a changed drawing first; false when the command must stop.
    bool SaveChangesFirst();
    // Every tag loses its outline pin and its number.
    void UnlinkAllTags();
    // After an outline was cleared or loaded: pins shown, the main circuit changed.
    void OutlineReplaced();
    // Shows the colour dialog starting from colour; true with the chosen colour on OK.
    bool ChooseColour(uint32_t& colour);
    // Reselects object after a command that hid the selection.
    void Reselect(TGraphicObject* object);
    void MarkEdited();
    void MainCircuitReplaced();

    bool m_editing = false; // between FormShow and FormClose
    bool m_edited = false;  // the outline changed since FormShow
    QString m_openFolder;

    QAction* m_fileNew;
    QAction* m_fileOpen;
    QAction* m_fileSave;
    QAction* m_fileClose;
    QAction* m_editCut;
    QAction* m_editCopy;
    QAction* m_editPaste;
    QAction* m_editDelete;
    QAction* m_editSelectAll;
    QAction* m_menuShowGrid;
    QAction* m_menuSnapToGrid;
    QAction* m_menuGridSetup;
    QAction* m_menuHelpTopics;

    QActionGroup* m_tools;
    QAction* m_speedSelector;
    QAction* m_speedCircle;
    QAction* m_speedPolygon;
    QAction* m_speedPolyline;
    QAction* m_speedAnnotation;
    QAction* m_speedPin;
    QAction* m_speedTogglePins;

    QAction* m_popCut;
    QAction* m_popCopy;
    QAction* m_popPaste;
    QAction* m_popSeparator1;
    QAction* m_popEditAnnotation;
    QAction* m_popAssociate;
    QAction* m_popEditPoints;
    QAction* m_popSeparator2;
    QAction* m_popPenColour;
    QAction* m_popBrushColour;
    QAction* m_popSeparator3;
    QAction* m_popBringToFront;
    QAction* m_popSendToBack;
    QAction* m_popSeparator4;
    QAction* m_popDelete;
};

#pragma once

// The context menus of the selection: the device menu, whose items depend on the class of the
// selected object and are rebuilt whenever the selection changes, and the tag menu. Each item edits
// the selected object as one undoable edit and selects it again, so the frame fits its new shape.
// It also ties the device windows to the main window and the canvas: the logic history follows the
// run control and the recorded devices, the memory contents window follows the run, and neither
// window is left pointing at a device that an edit, an undo or a load destroys.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>

class QAction;
class QColor;
class QMenu;
class TDigitalDrawing;
class TGraphicObject;
class THistoryDevice;
class TMainForm;
class TMemoryDevice;

class TDeviceMenu : public QObject {
    Q_OBJECT
public:
    explicit TDeviceMenu(TMainForm* form);
    ~TDeviceMenu() override;

    // Ties in the windows; called once they all exist (the main window's first show).
    void ConnectWindows();
    // The logic history window's placement back into the main window's settings.
    void TakePlacement();

    // The selection changed: decides which items the menus offer.
    void SelectionChanged();
    // The device menu opens: enabled and checked states.
    void DevicePopupMenuPopup();
    // Submenus open: their check marks.
    void PopGateInputsClick();
    void ColorLEDClick();
    void PopTextStyleClick();
    void TagStyleClick();
    void PopCommonClick();
    // The menu a right click on the selection opens, shown at a screen point.
    QMenu* ContextMenu() const;
    void Popup(QPoint globalPos);

    // Item handlers. Each does nothing unless the selected object is of the class it edits.
    void SetInputCount(int count);
    void PopEditMemoryClick();
    void EditAnnotationClick();
    void PopNameMacroClick();
    void EditSequence();
    void PopViewDatasheetClick();
    void SetColour(uint32_t colour);
    void CustomColorClick();
    void SetSwitchTypeClick();
    void PopNameClick();
    void SetTextStyle(int position);
    void SetTagStyle(int position);
    void SetCommonCathode(bool cathode);
    void PopPropertiesClick();
    void PopHistoryClick();
    void PopPulseInputClick();
    // Tools > "Logic &History...": hides a shown window, else shows it with the traces refilled.
    void SpeedProbeWindowClick();

    // The logic history's traces refilled from the shown level; rebuild also resets them.
    void RefillTraces(bool rebuild);

    QMenu* DevicePopupMenu;
    QMenu* TagPopupMenu;
    QAction* PopCut;
    QAction* PopCopy;
    QAction* PopPaste;
    QAction* PopSeperatorOne;
    QMenu* PopGateInputs;
    QAction* Pop2Inputs;
    QAction* Pop3Inputs;
    QAction* Pop4Inputs;
    QAction* PopEditMemory;
    QAction* PopEditAnnotation;
    QAction* PopNameMacro;
    QAction* PopEditSequence;
    QAction* PopEditMacro;
    QAction* PopViewDatasheet;
    QMenu* PopChangeColor;
    QAction* PopRed;
    QAction* PopGreen;
    QAction* PopYellow;
    QAction* PopBlue;
    QAction* PopWhite;
    QAction* PopCustom;
    QAction* PopSetSwitchType;
    QAction* PopName;
    QMenu* PopTextStyle;
    QMenu* PopCommon;
    QAction* PopCathode;
    QAction* PopAnode;
    QAction* PopProperties;
    QAction* PopSeperatorTwo;
    QAction* PopHistory;
    QAction* PopPulseInput;
    QAction* PopSeperatorThree;
    QAction* PopDelete;
    QAction* PopTemplateEditor;
    QMenu* TagTextStyle;
    QAction* TagDelete;
    QAction* TextStyleItems[4];
    QAction* TagStyleItems[4];

    // While set, these answer instead of the user: the menu a right click opens (instead of
    // showing it), and the colour dialog (an invalid colour cancels).
    static std::function<void(QMenu*)> PopupHook;
    static std::function<QColor(const QColor&)> ColourHook;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    TDigitalDrawing* Canvas() const;
    // The one selected object, or nil for none or a group.
    TGraphicObject* Selected() const;
    // Ends an item's edit: the object drawn anew and selected again, the circuit modified and the
    // edit recorded under name. before is the area the object covered before the change.
    void Reselect(TGraphicObject* object, const QRect& before, const QString& name, bool modified = true);
    // Windows let go of what an edit is about to destroy.
    void ObjectDeleting(TGraphicObject* object);
    void CircuitReplaced();
    void Stepped();
    QAction* FormAction(const char* name) const;

    TMainForm* m_form;
    QPointer<TDigitalDrawing> m_canvas; // set once the windows are tied in
    bool m_rightPressSelects = false;
    bool m_tagMenu = false;
};

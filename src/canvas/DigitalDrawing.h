#pragma once

// The control on which a circuit is shown, edited and run. It owns the root macro and remembers
// which nested level is shown (MacroStack), paints the shown level double-buffered over the snap
// grid, drives one simulation step on request and reports a halted step with its callout. It also
// loads, saves and inserts circuit files.

#include "drawing/MessageBox.h"
#include "drawing/SnapGrid.h"
#include "model/Macro.h"

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class THistoryDevice;
class TPin;
class TWire;

class TDigitalDrawing : public QWidget {
    Q_OBJECT
public:
    explicit TDigitalDrawing(QWidget* parent = nullptr);
    ~TDigitalDrawing() override;

    // The new-circuit command: an empty circuit without a file.
    void Clear();
    // Every edit ends here: hides the callout and rebuilds the calculation order.
    void SetModified(bool value);

    enum class TMessageKind { Fault = 0, Notice = 1 };
    // (x, y) in canvas coordinates; pointAt turns the box into a balloon whose tip lies there.
    void ShowMessage(int x, int y, TMessageKind kind, bool pointAt, const QString& text);
    void HideMessage();

    // One simulation step of the root; result is the root's calculation result.
    void Step(TCalcResult& result);
    // Power-on state of the whole circuit.
    void ResetCircuit();
    // Follows the probe target's level with the probe cursor.
    void UpdateProbe();

    bool MacroOpen() const { return !MacroStack.empty(); }
    TMacro* RootMacro() const { return MacroOpen() ? MacroStack.front() : CurrentMacro; }
    // Shows a macro part of the current level in place of it.
    void OpenMacro(TMacro* macro);
    // Returns to the level above; with no level open it only leaves the drawing modes.
    void CloseMacro();

    // The devices of the shown level recorded by the logic history: inputs first, then outputs.
    void GetHistoryDevices(std::vector<THistoryDevice*>& list) const;
    // Moves wire ends onto the pins and joints they are attached to and repaints what moved.
    void RefreshWires();
    // Wiring clean-up of a macro: deletes wires with a loose end, and joints left with fewer than
    // three wires (the two wires of a joint become one wire).
    void RemoveDanglingWires(TMacro* macro);
    void CleanSolders(TMacro* macro);

    void SetWiringMode(bool value);
    void SetPolygonMode(bool value);
    void SetPolylineMode(bool value);
    void SetSelectMode(bool value);
    void SetInteractMode(bool value);
    void SetProbeMode(bool value);

    // Files. Load and insert report failures to the user and then leave the circuit as it was;
    // they answer whether the file was taken. Save throws EWriteError. InsertFile places the file's
    // circuit as a closed part centred on (x, y); select asks for it to be selected, which the
    // selection overlay will do.
    void SaveToFile(const QString& path);
    bool LoadFromFile(const QString& path);
    bool InsertFile(const QString& path, int x, int y, bool select);

    // The area of the canvas its parent shows, in canvas coordinates.
    QRect VisibleArea() const;
    // Requests a repaint of part of the canvas.
    void InvalidateRect(const QRect& rect);
    void InvalidateAll();

    // The snap grid. It belongs with the selection overlay once that exists.
    TGrid Grid;

    TMacro* CurrentMacro;
    uint32_t BackgroundColour = kColourWhite;
    QString MacroName;
    uint8_t ProbeState = 0;                // 0 nothing under the probe, 1 high, 2 low
    TGraphicObject* ProbeTarget = nullptr; // a TPin or a TWire, not owned
    bool NeedsRebuild = false;
    std::unique_ptr<TMessageBox> Callout;
    std::vector<TMacro*> MacroStack; // the levels above the one shown, root first; not owned

    // Objects being drawn; they join the circuit when finished.
    std::unique_ptr<TWire> NewWire;
    std::unique_ptr<TPolygon> NewPolygon;
    std::unique_ptr<TPolyline> NewPolyline;
    QPoint LastPoint;
    QPoint MousePoint;
    bool Drawing = false;
    bool OverConnectable = false;

    bool WiringMode = false;
    bool PolygonMode = false;
    bool PolylineMode = false;
    bool SelectMode = false;
    bool InteractMode = false;
    bool ProbeMode = false;
    bool ShowClosed = false;
    bool Modified = false;
    QString FileName;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void SetCursorNumber(int number);
    // Destroys the object being drawn in a drawing mode that is being left.
    template <class T> void AbandonDrawing(std::unique_ptr<T>& shape);
    void ModesOff();
    // Switches every tool mode off through its setter, but the one whose setter is given.
    void OtherModesOff(void (TDigitalDrawing::*keep)(bool));
    void ReplaceRoot(std::unique_ptr<TMacro> root);
    void DeleteFromMacro(TMacro* macro, TGraphicObject* object);

    // Renders background, grid and content of the region (canvas coordinates) into the buffer.
    void Render(const QRegion& region);
    void RenderGrid(QPainter& painter, const QRect& area) const;
    // Makes the buffer cover the visible area, rendering it whole when it did not.
    void EnsureBuffer();
    // Draws the levels of the step just made straight into the buffer and shows only those areas.
    void PaintStepValues();
    void ReportFault(const TCalcResult& result, const char* pointedText, const char* higherText);

    std::unique_ptr<TMacro> m_root;
    // The picture of the visible area. m_fresh holds areas drawn into it that the window does not
    // show yet; m_dirty areas whose content changed and must be rendered again.
    QImage m_buffer;
    QPoint m_bufferOrigin;
    QRegion m_fresh;
    QRegion m_dirty;
};

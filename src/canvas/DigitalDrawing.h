#pragma once

// The control on which a circuit is shown, edited and run. It owns the root macro and remembers
// which nested level is shown (MacroStack), paints the shown level double-buffered over the snap
// grid, drives one simulation step on request and reports a halted step with its callout. It turns
// the mouse into edits through its tool modes and the selection overlay (Handles), loads, saves
// and inserts circuit files, runs the clipboard and keeps the edit history for undo and redo.

#include "canvas/UndoStack.h"
#include "canvas/ViewTransform.h"
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

class QScrollArea;
class TDigitalHandles;
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
    // Draws the shown level again with the levels it holds now, wires coloured by level.
    void RepaintLevels();
    // Follows the probe target's level with the probe cursor.
    void UpdateProbe();

    bool MacroOpen() const { return !MacroStack.empty(); }
    TMacro* RootMacro() const { return MacroOpen() ? MacroStack.front() : CurrentMacro; }
    // Shows a macro part of the current level in place of it.
    void OpenMacro(TMacro* macro);
    // Returns to the level above; with no level open it only leaves the drawing modes.
    void CloseMacro();
    // Opens a macro part for editing in place: its inside is shown instead of its outline.
    void EditMacro(TMacro* macro);
    // Shows the level being left as an outline again and returns to the level above.
    void CloseMacroLevel();

    // Takes new grid settings, repainting when the dots change.
    void SetGrid(const TGrid& grid);

    // Mouse editing. Each handler first (press, release) or last (move, double click) raises the
    // matching On... signal for the owning window. Points are canvas coordinates.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void DblClick();
    // Places a new object built around the origin on the snapped point; the macro takes it.
    void AddObject(TGraphicObject* object, int x, int y, bool invalidate);
    // A press the overlay did not take (down), or the end of one of its drags.
    void ClickThrough(TGraphicObject* object, int x, int y, bool down);
    // Ends the wire being drawn on a free pin.
    void FinishWireAtPin(TPin* pin);
    // Re-reads which macro terminals are inputs and outputs after the wiring changed.
    void ClassifyTags();

    // Edit commands of the main canvas and their queries.
    bool CopySelection();
    void CutSelection();
    void PasteClipboard();
    void DeleteSelection();
    bool SelectAll();
    bool CanCopy();
    bool CanPaste() const;
    bool SingleObjectSelected() const;
    bool GroupSelected() const;
    bool HasSelection() const;
    // The selection's members, or the one object; empty without a selection.
    std::vector<TGraphicObject*> SelectedObjects() const;
    // A deep copy, through the object stream, of the objects of source lying wholly inside r, with
    // the wires that leave r removed; nil (after telling the user) when the copy cannot be read.
    std::unique_ptr<TMacro> CopyRegion(TMacro* source, const TRect& r);
    // Puts a picture of the macro and its stream bytes on the system clipboard.
    void CopyBitmap(TMacro* macro);
    // Empties the macro's lists without destroying the objects.
    static void DetachAll(TMacro* macro);
    // The private type of the circuit bytes on the system clipboard.
    static constexpr const char* kClipboardMimeType = "application/x-tessivar-circuit";

    // Edit commands of an outline (the template editor shows a closed macro); each does nothing
    // while the current macro is open. Copies carry fresh outline pins, so no link to a tag.
    // A deep copy, through the object stream, of the shapes; nil (after telling the user) when the
    // copy cannot be read.
    std::unique_ptr<TGraphicList> CloneShapes(const std::vector<TGraphicObject*>& shapes);
    bool CopyShapes();
    void CutShapes();
    void PasteShapes();
    void SelectAllShapes();
    void BringSelectionToFront();
    void SendSelectionToBack();
    bool CanPasteShapes() const { return ShapeClipboard->ChildCount() > 0; }

    // Undo and redo. Every edit ends in RecordEdit with the name the Edit menu shows ("Move");
    // an edit made while a wire is being drawn is recorded when the wire is finished or abandoned.
    void RecordEdit(const QString& name);
    bool CanUndo() const { return m_undo.CanUndo(); }
    bool CanRedo() const { return m_undo.CanRedo(); }
    QString UndoName() const { return m_undo.UndoName(); }
    QString RedoName() const { return m_undo.RedoName(); }
    void Undo();
    void Redo();
    const TUndoStack& History() const { return m_undo; }
    // Starts the edit history again from the circuit as it is.
    void ResetHistory();
    // The template editor's canvas shows a macro it does not own and keeps no history.
    bool KeepHistory = true;

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

    // The area of the circuit its parent shows, in circuit coordinates.
    QRect VisibleArea() const;
    // Requests a repaint of part of the circuit (circuit coordinates).
    void InvalidateRect(const QRect& rect);
    void InvalidateAll();

    // Zoom. The circuit keeps its coordinates; only the view magnifies it, and every point the
    // On... signals and the handlers above take is a circuit point. The anchor is a point of the
    // parent (the scroll box's viewport) that shows the same circuit point before and after.
    const TViewTransform& View() const { return m_view; }
    int ZoomPercent() const { return m_view.Percent(); }
    void ZoomAbout(int percent, QPoint anchor);
    // One zoom step in or out about the middle of the visible area.
    void ZoomStep(bool in);
    // The zoom at which the shown level fills the visible area, centred in it.
    void ZoomToFit();
    // The extent of the circuit area in circuit units; the widget is this size times the zoom.
    void SetCircuitSize(QSize size);
    QSize CircuitSize() const { return m_circuitSize; }

    // The snap grid; changed through SetGrid.
    TGrid Grid;

    TMacro* CurrentMacro;
    uint32_t BackgroundColour = kColourWhite;
    QString MacroName;
    bool RubberBanding = false;
    QRect RubberRect;
    QPoint RubberAnchor;
    std::unique_ptr<TMacro> ClipboardMacro;       // never null
    std::unique_ptr<TGraphicList> ShapeClipboard; // never null
    QPoint PasteOffset{20, 20};
    uint8_t ProbeState = 0;                // 0 nothing under the probe, 1 high, 2 low
    TGraphicObject* ProbeTarget = nullptr; // a TPin or a TWire, not owned
    bool NeedsRebuild = false;
    std::unique_ptr<TMessageBox> Callout;
    std::vector<TMacro*> MacroStack; // the levels above the one shown, root first; not owned
    TDigitalHandles* Handles;        // the selection overlay, a child widget

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

    // What the shown level covers as it is painted.
    TRect ShownBounds();
    // Draws the shown level as the canvas paints it (open or closed as ShowClosed says).
    void DrawShown(QPainter& painter);

signals:
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnDblClick();
    void OnObjectSelected(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnObjectDeSelected();
    void OnObjectDblClick(TGraphicObject* object);
    void OnEndDrawing();
    // An object of the circuit is about to be destroyed by an edit: a window showing it must let go.
    void OnObjectDeleting(TGraphicObject* object);
    // The whole circuit was replaced (loading, a new circuit, undo, redo): windows that refer to
    // its objects must let go of them. Raised while the old objects still exist.
    void OnCircuitReplaced();
    void OnZoomChanged(int percent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Control and the wheel zoom about the mouse; the plain wheel scrolls, as the parent does it.
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The press, move and release of each tool mode.
    // False when the connection was refused.
    bool WiringDown(QPoint at, QPoint keep);
    void WiringMove();
    void InteractDown(Qt::MouseButton button);
    void InteractUp();
    void ProbeDown(Qt::MouseButton button);
    void ShapeDown(Qt::MouseButton button, int x, int y);
    void SelectDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void RubberMove(int x, int y);
    void RubberUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void JoinWire(TWire* wire);
    void StartWire();
    void RefuseConnection(QPoint keep);
    void DrawRubberRect();
    void InvalidateRubberLine();
    // Repaints the widget pixels showing part of the circuit, without rendering the circuit anew.
    void UpdateCircuitRect(const QRect& rect);
    void SelectWireForEditing();
    // Deletes objects from the shown level and runs the clean-up the deletion of a kind needs.
    void DeleteObjects(const std::vector<TGraphicObject*>& objects, bool removeDangling);
    // Stream bytes of the whole circuit, with the open levels written as the closed parts they
    // are at the root, so that opening a level is no edit.
    QByteArray CircuitBytes();
    void RestoreCircuit(const QByteArray& state);
    void SystemClipboardChanged();
    // The position of each open level in its parent's devices, root first.
    std::vector<int> OpenPath() const;

    void SetCursorNumber(int number);
    // Destroys the object being drawn in a drawing mode that is being left.
    template <class T> void AbandonDrawing(std::unique_ptr<T>& shape);
    void ModesOff();
    // Abandons a wire or shape being drawn; the mode stays on.
    void EndDrawing();
    // Switches every tool mode off through its setter, but the one whose setter is given.
    void OtherModesOff(void (TDigitalDrawing::*keep)(bool));
    void ReplaceRoot(std::unique_ptr<TMacro> root);
    void DeleteFromMacro(TMacro* macro, TGraphicObject* object);

    // The scroll box showing the canvas, if it has one.
    QScrollArea* ScrollBox() const;
    // The parent's area in widget pixels of the canvas.
    QRect VisibleWidgetArea() const;
    // The widget pixels that show a rectangle of the circuit.
    QRect WidgetRect(const QRect& rect) const;
    // Zooms so that the circuit point shows at the anchor (a point of the parent).
    void ZoomTo(int percent, QPointF circuitPoint, QPoint anchor);

    // Renders background, grid and content of the region (widget pixels) into the buffer.
    void Render(const QRegion& region);
    void RenderGrid(QPainter& painter, const QRect& area) const;
    // Makes the buffer cover the visible area, rendering it whole when it did not.
    void EnsureBuffer();
    // Draws the levels of the step just made straight into the buffer and shows only those areas.
    void PaintStepValues();
    void ReportFault(const TCalcResult& result, const char* pointedText, const char* higherText);

    std::unique_ptr<TMacro> m_root;
    std::unique_ptr<TMacro> m_retired; // a replaced circuit, freed by the event loop
    bool m_clipboardHoldsCircuit = false;
    TUndoStack m_undo;
    QString m_pendingEdit; // recorded once the wire being drawn is finished or abandoned
    // The picture of the visible area. m_fresh holds areas drawn into it that the window does not
    // show yet; m_dirty areas whose content changed and must be rendered again.
    std::vector<TWire*> m_recoloured; // wires whose colour the last step changed; not owned
    QImage m_buffer;
    QPoint m_bufferOrigin;
    QRegion m_fresh;
    QRegion m_dirty;
    TViewTransform m_view;
    QSize m_circuitSize{32, 32};
    int m_wheelAngle = 0; // wheel turns not yet used up by a zoom step, in eighths of a degree
};

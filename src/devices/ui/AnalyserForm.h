#pragma once

// The "Logic History" window: the recorded signals of chosen devices as timing traces or as rows of
// 0/1 digits, one column a simulation step. It records nothing itself: each device appends a sample
// to its own History after every step, and the window draws those strings. It carries run, stop,
// pause and step buttons that mirror the main window's, counts completed clock cycles, shows the
// levels at a clicked column (the time cursor) and exports what it shows as a Value Change Dump or
// as a PNG or SVG picture. One instance exists for the whole program.
//
// A step costs the window only the columns it adds: DrawTraces asks for the new columns alone to be
// painted, and a paint draws only the columns it is asked for. What it draws is bounded by the
// cycle range, at most 2 x 256 columns, and each device keeps at most THistoryDevice::kMaxHistory
// (1024) samples, so neither memory nor painting grows with the length of a run.

#include <QMainWindow>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QColor;
class QImage;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollArea;
class QSpinBox;
class THistoryDevice;
class TTraceBox;

class TAnalyserForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TAnalyserForm(QWidget* parent = nullptr);
    ~TAnalyserForm() override;
    static TAnalyserForm* Instance();

    // The devices shown, in row order; not owned. Whoever destroys one removes it first
    // (ReleaseDevice), and a refilled list is followed by RebuildTraces.
    std::vector<THistoryDevice*> Traces;
    int LeftMargin = 0;
    int TopMargin = 8;
    // Steps counted by the run control; two make one clock cycle.
    int TickCount = 1;
    bool HasTiming = false;

    // After Traces was refilled: every trace device back to its power-on state, the picture
    // unscrolled and the names column sized.
    void RebuildTraces();
    // Draws what the devices recorded since the last call and the cycle count.
    void DrawTraces();
    // Drops the traces of a device that is about to be destroyed; a nil device drops them all.
    void ReleaseDevice(const THistoryDevice* device);

    // 4 to 256 cycles, as the up-down control chooses.
    int CycleRange() const;
    bool TraceMode() const;
    // Samples drawn per trace: the longest history, at most two per cycle of the range.
    int ShownSamples() const;

    // The time cursor: the step whose levels the status bar shows (1 for the first column), or 0.
    int CursorStep() const { return m_cursorStep; }
    void SetCursorStep(int step);
    // "Step 7: clock 1, Q0 0"; empty without a cursor.
    QString CursorText() const;

    // Exports. Throw EWriteError with the text to show; the file is replaced only when complete.
    // The dump has one unit per step, sample k at time k, under the given scope name.
    void ExportVcd(const QString& path, const QString& scope) const;
    // PNG or SVG by the file's suffix (anything else is PNG).
    void ExportPicture(const QString& path) const;
    // The picture of the names and traces as they are shown.
    QImage Picture() const;

    // The name a dump's scope gets; the main window keeps it up to date.
    QString CircuitName = QStringLiteral("circuit");

    // Controls, named as the tests and the main window find them.
    QAction* SpeedRun;
    QAction* SpeedStop;
    QAction* SpeedPause;
    QAction* SpeedStep;
    QAction* SpeedToggleMode;
    QAction* MenuHighlight;
    QAction* MenuExportVcd;
    QAction* MenuExportPicture;
    QMenu* MenuOptions;
    QLineEdit* EditCycleLength;
    QSpinBox* UpDownRange;
    QScrollArea* NamesBox;
    QScrollArea* TracesBox;
    QLabel* StatusPanel;
    QLabel* CursorPanel;

    // The run state the main window's buttons took; these do not signal back.
    void SetRunDown(bool down);
    void SetPauseDown(bool down);

signals:
    // The window's own run buttons were used.
    void RunClicked(bool down);
    void StopClicked();
    void PauseClicked(bool down);
    void StepClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend class TNamesBox;
    friend class TTraceBox;
    void CreateActions();
    void UpdateCycleLength();
    void ToggleModeClick();
    void MenuOptionsPopup();
    void ExportVcdClick();
    void ExportPictureClick();
    void ExportAs(const QString& title, const QString& filter, const QString& suffix,
                  const std::function<void(const QString&)>& write);
    // The pen colour of a device's trace and digits.
    static QColor TraceColour(const THistoryDevice* device);
    QString TraceName(int row) const;
    int NamesWidth() const;
    // Draws the names column and the traces inside area (in the traces' own coordinates).
    void PaintNames(QPainter& painter) const;
    void PaintTraces(QPainter& painter, const QRect& area) const;
    // The columns a sample occupies in the traces box, and the sample under an x.
    QRect ColumnRect(int first, int last) const;
    int SampleAt(int x) const;
    // The traces box grows with the samples; a longer picture scrolls to its end.
    void FitTraceBox(int samples);

    TTraceBox* m_traceBox;
    QWidget* m_namesBox;
    int m_painted = 0; // samples drawn on the traces box so far
    int m_cursorStep = 0;
};

#pragma once

// The small window that shows how far a circuit file has been read. One exists for the whole
// program; the canvas finds it through Instance().

#include <QDialog>

class QLabel;
class QProgressBar;

class TFileStatusDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFileStatusDialog(QWidget* parent = nullptr);
    ~TFileStatusDialog() override;

    // The dialog created at program start, or nil while none exists.
    static TFileStatusDialog* Instance();

    // Percent, 0 to 100; the bar moves only when the value differs.
    void SetProgress(int value);

    QLabel* LabelStatus;
    QProgressBar* ProgressBar;

protected:
    void showEvent(QShowEvent* event) override;
};

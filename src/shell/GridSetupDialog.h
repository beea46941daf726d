#pragma once

// The "Grid Setup" dialog: the snap pitch, how often a grid dot is drawn, the rotation step and
// the two grid switches. The caller fills the value fields, shows it, and reads them back after OK.

#include <QDialog>

class QCheckBox;
class QSpinBox;
class TGrid;

class TGridSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit TGridSetupDialog(QWidget* parent = nullptr);
    ~TGridSetupDialog() override;
    // The dialog created at program start, or nil while none exists.
    static TGridSetupDialog* Instance();
    // Shows that dialog with the grid's values; after OK the grid takes the new ones and the
    // result is true. False, and the grid as it was, when cancelled or when there is no dialog.
    static bool EditGrid(TGrid& grid);

    // Sets the controls from the fields; showing the dialog does this.
    void FormShow();
    // Copies the controls into the fields and closes with OK.
    void ButtonOkClick();

    // The values carried in and out, named as the grid's.
    bool ShowGrid = true;
    bool Snap = true;
    int SnapSize = 5;
    int AngleStep = 10;
    int DisplaySize = 1;

    // Each up-down shows its text in its own read-only box: the grid and rotation boxes their
    // positions, the display box the distance between dots in pixels.
    QSpinBox* GridUpDown;
    QSpinBox* DisplayUpDown;
    QSpinBox* RotationUpDown;
    QCheckBox* CheckSnapToGrid;
    QCheckBox* CheckShowGrid;

protected:
    void showEvent(QShowEvent* event) override;
};

#pragma once

// The "Export Image" dialog: the file to write (PNG, SVG or PDF, as its extension says), the scale,
// the background, and whether only the selection is drawn. The caller sets the fields and the two
// areas, shows it, and reads the fields back after OK; OK stays open while the choice cannot be
// written.

#include <QDialog>
#include <QRectF>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

class TExportImageDialog : public QDialog {
    Q_OBJECT
public:
    explicit TExportImageDialog(QWidget* parent = nullptr);
    ~TExportImageDialog() override;
    // The dialog created at program start, or nil while none exists.
    static TExportImageDialog* Instance();

    // Sets the controls from the fields; showing the dialog does this.
    void FormShow();
    // Checks the controls, copies them into the fields and closes with OK; tells the user and stays
    // open when the file name or the size will not do.
    void ButtonOkClick();
    // The save dialog for the file name.
    void ButtonBrowseClick();

    // In and out.
    QString FileName;
    int ScalePercent = 100;
    bool Transparent = false;
    bool SelectionOnly = true;
    // In: the circuit areas the picture covers, margin included; SelectionArea is empty without a
    // selection.
    QRectF LevelArea;
    QRectF SelectionArea;

    QLineEdit* EditFileName;
    QSpinBox* ScaleUpDown;
    QRadioButton* RadioWhite;
    QRadioButton* RadioTransparent;
    QCheckBox* CheckSelection;
    QLabel* LabelSize;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowSize();
    QRectF ChosenArea() const;

    QString m_confirmed; // a file name whose replacement the save dialog already confirmed
};

#pragma once

// The "Numeric Output" dialog: the display format, the number of input lines (only when a new
// display is placed) and where the pins sit, with a live example. One instance exists for the
// whole program and keeps its choices between uses.

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TNumericDevice;
class TPaintBox;

class TNumberOutDialog : public QDialog {
    Q_OBJECT
public:
    explicit TNumberOutDialog(QWidget* parent = nullptr);
    ~TNumberOutDialog() override;
    static TNumberOutDialog* Instance();

    // The line count can be chosen only for a new display.
    void ShowSizeGroup(bool show);
    // Takes the choices of an existing display.
    void LoadFrom(const TNumericDevice& device);
    // The choices, as the display stores them.
    int32_t Format() const;
    int LineCount() const;
    bool PinsAtBottom() const;

    QRadioButton* RadioBinary;
    QRadioButton* RadioHexadecimal;
    QRadioButton* RadioDecimal;
    QCheckBox* CheckComplement;
    QGroupBox* GroupSize;
    QSpinBox* LinesUpDown; // 1 to 4: 2, 4, 8 or 16 lines
    QLineEdit* EditLines;
    QGroupBox* GroupExample;
    TPaintBox* Example;
    QCheckBox* CheckSuppress;
    QCheckBox* CheckPinsAtBottom;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateControls();
};

#pragma once

// The "Select Memory Device" dialog: RAM or ROM, the number of address and data lines, and an
// example of the chip chosen. One instance exists for the whole program and keeps its choices.

#include <QDialog>

#include <memory>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class TMemoryDevice;
class TPaintBox;

class TChangeMemoryDialog : public QDialog {
    Q_OBJECT
public:
    explicit TChangeMemoryDialog(QWidget* parent = nullptr);
    ~TChangeMemoryDialog() override;
    static TChangeMemoryDialog* Instance();

    // The example chip, configured as chosen; a placed memory copies its configuration.
    const TMemoryDevice& Chosen() const { return *m_example; }

    QRadioButton* RadioRAM;
    QRadioButton* RadioROM;
    QSpinBox* AddressUpDown; // 4 to 14 lines
    QLineEdit* EditAddress;
    QSpinBox* DataUpDown; // 0 to 4: 1, 2, 4, 8 or 16 lines
    QLineEdit* EditData;
    TPaintBox* Example;
    QCheckBox* CheckCompact;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Reconfigure();

    std::unique_ptr<TMemoryDevice> m_example;
};

#pragma once

// The dialog that edits a device's label: its text and whether it has an overbar. The caller fills
// both and reads them back after OK.

#include <QDialog>

class QCheckBox;
class QLineEdit;

class TRenameDialog : public QDialog {
    Q_OBJECT
public:
    explicit TRenameDialog(QWidget* parent = nullptr);
    ~TRenameDialog() override;
    // The dialog created at program start, or nil while none exists.
    static TRenameDialog* Instance();

    QLineEdit* EditRename;
    QCheckBox* CheckOverbar;

protected:
    void showEvent(QShowEvent* event) override;
};

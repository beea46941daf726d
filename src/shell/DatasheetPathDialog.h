#pragma once

// The datasheet path dialog: the folder searched for datasheets after the program's own folders.

#include <QDialog>

class QLineEdit;

class TDatasheetPathDialog : public QDialog {
    Q_OBJECT
public:
    explicit TDatasheetPathDialog(QWidget* parent = nullptr);
    ~TDatasheetPathDialog() override;

    static TDatasheetPathDialog* Instance();

    QLineEdit* EditPath;
};

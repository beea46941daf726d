#pragma once

// The "Name Macro" dialog: the name the parts centre can show for a circuit instead of its file
// name. The name is one line: a typed return is dropped.

#include <QDialog>

class QPlainTextEdit;

class TNameMacroDialog : public QDialog {
    Q_OBJECT
public:
    explicit TNameMacroDialog(QWidget* parent = nullptr);
    ~TNameMacroDialog() override;
    // The dialog created at program start, or nil while none exists.
    static TNameMacroDialog* Instance();

    QPlainTextEdit* EditMacroName;

protected:
    void showEvent(QShowEvent* event) override;
    // Drops the return keys typed into the name box (EditMacroNameKeyPress).
    bool eventFilter(QObject* watched, QEvent* event) override;
};

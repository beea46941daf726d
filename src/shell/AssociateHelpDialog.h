#pragma once

// The attach datasheet dialog: the datasheet of the circuit is a legacy help file with a context
// number (a page reached only when the reference loaded is one), a web page or a document name.
// Datasheet and Context carry the values in and out.

#include <QDialog>
#include <QString>

class QLineEdit;
class QTabWidget;
class QWidget;

class TAssociateHelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit TAssociateHelpDialog(QWidget* parent = nullptr);
    ~TAssociateHelpDialog() override;

    static TAssociateHelpDialog* Instance();

    // Fills the pages from Datasheet and Context and opens the page the reference belongs to.
    void FormShow();
    // Takes the value of the page that is open; the caller calls it once the dialog closed with OK.
    void ButtonOKClick();
    void ButtonHelpClick();
    // Whether the context box takes a key: digits while it holds at most three characters,
    // backspace and return always.
    bool EditContextIDKeyPress(int key) const;

    QString Datasheet;
    QString Context;
    QTabWidget* Pages;
    QWidget* One;
    QWidget* Two;
    QWidget* Three;
    QLineEdit* EditFilename;
    QLineEdit* EditContextID;
    QLineEdit* EditURL;
    QLineEdit* EditDocument;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

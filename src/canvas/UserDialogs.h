#pragma once

// The one road by which the program asks the user something: message boxes and file dialogs. Tests
// install the hooks to answer without a modal loop.

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QWidget;

class TUserDialogs {
public:
    enum class TKind { Information, Warning, Error };

    struct TFileRequest {
        QString Title;
        QString Folder;      // start folder; empty: the dialog's own choice
        QString InitialName; // file name proposed
        QString Filter;      // "Macro Files (*.tvm)"
        QString DefaultSuffix;
        bool ConfirmOverwrite = false;
        // Folders offered beside the start folder, for one click.
        QStringList Places;
    };

    // Answers the message box; Ok for a box with the OK button only.
    static QMessageBox::StandardButton Message(QWidget* parent, TKind kind, const QString& text,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    // The chosen path, or empty when the user cancelled.
    static QString OpenFileName(QWidget* parent, const TFileRequest& request);
    static QString SaveFileName(QWidget* parent, const TFileRequest& request);
    // Shows a prepared modal dialog; true when it closed with OK.
    static bool Execute(QDialog* dialog);

    // While set, these answer instead of the user.
    static std::function<QMessageBox::StandardButton(TKind, const QString&, QMessageBox::StandardButtons)>
        MessageHook;
    static std::function<QString(bool save, const TFileRequest&)> FileHook;
    // Answers a modal dialog (set its controls, then true for OK) instead of the user.
    static std::function<bool(QDialog*)> DialogHook;
};

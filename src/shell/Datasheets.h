#pragma once

// Finding and opening datasheets, and the context help of the main window. A datasheet reference
// is a web address (http:// or https://), a full path, or the name of a document looked up in the
// user's datasheets folder, then the shipped one, then under the datasheet path. Legacy help files
// (".hlp") are only checked for.

#include <QString>
#include <QUrl>

#include <functional>

class TGraphicObject;
class TMacro;

class TDatasheets {
public:
    QString UserFolder;
    QString ShippedFolder;
    QString DatasheetPath;

    static bool IsWebAddress(const QString& reference);
    // The file of a document name in the first of the three folders that holds it; empty when none.
    QString Locate(const QString& name) const;
    // Shows a datasheet; false when it could not be found or opened, which the caller reports.
    bool View(const QString& datasheet) const;

    // Hands a URL to the system's "open" action; false when that failed. Tests replace it.
    static std::function<bool(const QUrl&)> OpenHook;
    static bool Open(const QUrl& url);
};

// F1: with nothing selected the circuit's datasheet, with a macro selected the macro's, and with
// any other object its help page (the help contents when it has none).
void ContextHelp(TGraphicObject* selected, TMacro* current,
                 const std::function<void(const QString& datasheet, const QString& context)>& viewDatasheet);

inline constexpr const char* kDatasheetFailedText = "Unable to open datasheet.";

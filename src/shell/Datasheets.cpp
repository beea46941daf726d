#include "shell/Datasheets.h"

#include "drawing/Help.h"
#include "model/Macro.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

std::function<bool(const QUrl&)> TDatasheets::OpenHook;

bool TDatasheets::Open(const QUrl& url) {
    return OpenHook ? OpenHook(url) : QDesktopServices::openUrl(url);
}

bool TDatasheets::IsWebAddress(const QString& reference) {
    return reference.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           reference.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QString TDatasheets::Locate(const QString& name) const {
    for (const QString& folder : {UserFolder, ShippedFolder, DatasheetPath}) {
        if (folder.isEmpty())
            continue;
        const QFileInfo file(QDir(folder).filePath(name));
        if (file.isFile())
            return file.absoluteFilePath();
    }
    return {};
}

bool TDatasheets::View(const QString& datasheet) const {
    if (datasheet.isEmpty())
        return true;
    // A legacy help file cannot be shown; that it exists is all that is checked.
    if (datasheet.endsWith(QLatin1String(".hlp")))
        return !Locate(datasheet).isEmpty();
    if (IsWebAddress(datasheet))
        return Open(QUrl(datasheet));
    QString path;
    if (QFileInfo(datasheet).isAbsolute())
        path = QFileInfo(datasheet).isFile() ? datasheet : QString();
    else
        path = Locate(datasheet);
    return !path.isEmpty() && Open(QUrl::fromLocalFile(path));
}

void ContextHelp(TGraphicObject* selected, TMacro* current,
                 const std::function<void(const QString&, const QString&)>& viewDatasheet) {
    if (!selected) {
        viewDatasheet(current->Datasheet, current->HelpTopic);
    } else if (auto* macro = KindCast<TMacro>(selected)) {
        viewDatasheet(macro->Datasheet, macro->HelpTopic);
    } else if (!selected->HelpTopic.isEmpty()) {
        ShowHelpTopic(HelpFilePath(), kHelpWindowName, selected->HelpTopic);
    } else {
        ShowHelpFile(HelpFilePath());
    }
}

#include "drawing/Help.h"

#include <QCoreApplication>
#include <QDir>

namespace {

THelpHandler& Handler() {
    static THelpHandler handler;
    return handler;
}

} // namespace

void SetHelpHandler(THelpHandler handler) {
    Handler() = std::move(handler);
}

void ShowHelpFile(const QString& path) {
    if (Handler())
        Handler()(path, QString(), QString());
}

void ShowHelpTopic(const QString& path, const QString& windowName, const QString& topic) {
    if (Handler())
        Handler()(path, windowName, topic);
}

QString HelpFilePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Tessivar.chm"));
}

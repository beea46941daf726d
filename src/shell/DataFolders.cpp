#include "shell/DataFolders.h"

#include "drawing/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

QString ShippedDataFolder(const QString& name) {
    const QStringList candidates{
        QDir(QCoreApplication::applicationDirPath())
            .filePath(QStringLiteral(TESSIVAR_SHARE_FROM_BIN "/") + name),
        QStringLiteral(TESSIVAR_SHARE_DIR "/") + name,
    };
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
    return {};
}

QString UserDataFolder(const QString& name) {
    const QDir base(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    base.mkpath(name);
    return base.filePath(name);
}

QString PartsCentreRoot() {
    const QString root = UserDataFolder(QStringLiteral("Parts Centre"));
    const QString shipped = ShippedDataFolder(QStringLiteral("parts"));
    if (!shipped.isEmpty())
        TopUpFromShipped(shipped, root,
                         QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                             .filePath(QStringLiteral("shipped-parts.txt")));
    return root;
}

int TopUpFromShipped(const QString& shipped, const QString& target, const QString& manifestPath) {
    QSet<QString> offered;
    QFile manifest(manifestPath);
    if (manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!manifest.atEnd()) {
            const QString line = QString::fromUtf8(manifest.readLine()).trimmed();
            if (!line.isEmpty())
                offered.insert(line);
        }
        manifest.close();
    }

    const QDir from(shipped);
    const QDir to(target);
    int copied = 0;
    bool changed = false;
    QDirIterator files(shipped, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString relative = from.relativeFilePath(files.next());
        if (offered.contains(relative))
            continue;
        const QString destination = to.filePath(relative);
        if (!QFileInfo::exists(destination)) {
            if (!to.mkpath(QFileInfo(relative).path()) || !QFile::copy(files.filePath(), destination))
                continue; // offered again on the next start
            // A shipped file may be read-only; the user's copy is theirs to change or delete.
            QFile::setPermissions(destination, QFile::permissions(destination) | QFileDevice::WriteOwner);
            ++copied;
        }
        offered.insert(relative);
        changed = true;
    }
    if (changed) {
        QStringList lines(offered.begin(), offered.end());
        lines.sort();
        try {
            SaveFileSafely(manifestPath, [&](QIODevice& out) {
                const QByteArray text = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
                if (out.write(text) != text.size())
                    throw EWriteError(out.errorString().toStdString());
            });
        } catch (const EWriteError&) {
            // The old list stays; the files copied now count as offered once a later list is written.
        }
    }
    return copied;
}

// Installs the build into a temporary root as the Debian package does (DESTDIR, prefix /usr) and
// checks what lands there: the file list, the icons, the desktop entry, the file types' magic
// against the bytes the circuit and template writers produce, and that both programs run from the
// installed place.

#include "TestCircuit.h"

#include "model/CircuitFile.h"
#include "model/Gates.h"
#include "model/Macro.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

// Every file under the folder, relative to it.
QSet<QString> FilesUnder(const QString& folder) {
    QSet<QString> files;
    const QDir base(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.insert(base.relativeFilePath(it.next()));
    return files;
}

// The source folder's files (those matching the filter), as they land under the target folder.
void AddShipped(QSet<QString>& expected, const QString& source, const QString& target,
                const QStringList& filter = {}) {
    QDirIterator it(QStringLiteral(TESSIVAR_SOURCE_DIR "/") + source, filter, QDir::Files,
                    QDirIterator::Subdirectories);
    const QDir base(QStringLiteral(TESSIVAR_SOURCE_DIR "/") + source);
    while (it.hasNext())
        expected.insert(target + QLatin1Char('/') + base.relativeFilePath(it.next()));
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct TMimeType {
    QString Glob;
    quint32 Value = 0;
    quint32 Mask = 0;
};

// The types of a shared-mime-info package file with their glob and their one big32 magic rule.
QMap<QString, TMimeType> ReadMimeTypes(const QByteArray& xml) {
    QMap<QString, TMimeType> types;
    QXmlStreamReader reader(xml);
    QString current;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = reader.attributes();
        if (reader.name() == QLatin1String("mime-type"))
            current = a.value("type").toString();
        else if (reader.name() == QLatin1String("glob"))
            types[current].Glob = a.value("pattern").toString();
        else if (reader.name() == QLatin1String("match") && a.value("type") == QLatin1String("big32")) {
            types[current].Value = a.value("value").toString().toUInt(nullptr, 16);
            types[current].Mask = a.value("mask").toString().toUInt(nullptr, 16);
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return types;
}

bool MagicMatches(const TMimeType& type, const QByteArray& bytes) {
    if (bytes.size() < 4)
        return false;
    const quint32 first = quint32(quint8(bytes[0])) << 24 | quint32(quint8(bytes[1])) << 16 |
                          quint32(quint8(bytes[2])) << 8 | quint32(quint8(bytes[3]));
    return (first & type.Mask) == type.Value;
}

QString RunVersion(const QString& program) {
    QProcess process;
    process.start(program, {QStringLiteral("--version")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(Install, PutsEveryShippedFileInPlaceAndNothingElse) {
    QTemporaryDir root;
    QProcess install;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), root.path());
    install.setProcessEnvironment(environment);
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(TESSIVAR_CMAKE), {"--install", TESSIVAR_BUILD_DIR, "--prefix", "/usr"});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();

    QSet<QString> expected{"usr/bin/tessivar",
                           "usr/bin/tessivar-cli",
                           "usr/share/applications/tessivar.desktop",
                           "usr/share/mime/packages/tessivar.xml",
                           "usr/share/icons/hicolor/scalable/apps/tessivar.svg",
                           "usr/share/doc/tessivar/README.md"};
    const int sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
    for (int size : sizes)
        expected.insert(QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/tessivar.png").arg(size));
    AddShipped(expected, "parts/library", "usr/share/tessivar/parts");
    AddShipped(expected, "parts/datasheets", "usr/share/tessivar/datasheets");
    AddShipped(expected, "templates/library", "usr/share/tessivar/templates");
    AddShipped(expected, "help", "usr/share/doc/tessivar/help", {"*.htm"});
    AddShipped(expected, "examples", "usr/share/doc/tessivar/examples", {"*.tvm"});
    const QSet<QString> installed = FilesUnder(root.path());
    for (const QString& missing : expected - installed)
        ADD_FAILURE() << "not installed: " << missing.toStdString();
    for (const QString& extra : installed - expected)
        ADD_FAILURE() << "installed but not expected: " << extra.toStdString();

    const QDir usr(root.filePath("usr"));
    for (int size : sizes) {
        const QImage icon(
            usr.filePath(QStringLiteral("share/icons/hicolor/%1x%1/apps/tessivar.png").arg(size)));
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "transparent around the gate";
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255) << "the gate's body in the middle";
    }
    EXPECT_TRUE(ReadAll(usr.filePath("share/icons/hicolor/scalable/apps/tessivar.svg")).contains("<svg"));

    const QString desktop = QString::fromUtf8(ReadAll(usr.filePath("share/applications/tessivar.desktop")));
    for (const char* line :
         {"[Desktop Entry]", "Exec=tessivar %f", "Icon=tessivar", "MimeType=application/x-tessivar-circuit;"})
        EXPECT_TRUE(desktop.split('\n').contains(QString::fromLatin1(line))) << line;

    // The file types recognise what the writers write, whatever the name, and not each other.
    const QMap<QString, TMimeType> types =
        ReadMimeTypes(ReadAll(usr.filePath("share/mime/packages/tessivar.xml")));
    ASSERT_TRUE(types.contains("application/x-tessivar-circuit"));
    ASSERT_TRUE(types.contains("application/x-tessivar-template"));
    const TMimeType circuitType = types["application/x-tessivar-circuit"];
    const TMimeType templateType = types["application/x-tessivar-template"];
    EXPECT_EQ(circuitType.Glob, "*.tvm");
    EXPECT_EQ(templateType.Glob, "*.tvt");
    TTestCircuit circuit;
    circuit.Add<T2AndGate>(100, 100);
    const QByteArray circuitBytes = WriteCircuitBytes(circuit.Root, QStringLiteral("gate"));
    QTemporaryDir scratch;
    const QString templatePath = scratch.filePath("outline.tvt");
    circuit.Root->SaveTemplate(templatePath);
    const QByteArray templateBytes = ReadAll(templatePath);
    EXPECT_TRUE(MagicMatches(circuitType, circuitBytes));
    EXPECT_TRUE(MagicMatches(templateType, templateBytes));
    EXPECT_FALSE(MagicMatches(circuitType, templateBytes));
    EXPECT_FALSE(MagicMatches(templateType, circuitBytes));
    EXPECT_TRUE(MagicMatches(circuitType, ReadAll(usr.filePath("share/doc/tessivar/examples/adder.tvm"))))
        << "the shipped examples";

    EXPECT_EQ(RunVersion(usr.filePath("bin/tessivar-cli")), "tessivar-cli " TESSIVAR_VERSION "\n");
    EXPECT_EQ(RunVersion(usr.filePath("bin/tessivar")), "tessivar " TESSIVAR_VERSION "\n");
}

} // namespace

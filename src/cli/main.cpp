#include "cli/CommandLine.h"

#include "devices/StreamClasses.h"

#include <QGuiApplication>

namespace {

const char* const kUsage =
    "Usage: tessivar-cli COMMAND [OPTIONS]\n"
    "\n"
    "Runs and inspects Tessivar circuits without opening a window.\n"
    "\n"
    "Commands:\n"
    "  run       load a circuit, run it and print its outputs, a trace or a value change dump\n"
    "  info      show a circuit file's version, name, datasheet, object counts and macro nesting\n"
    "  render    draw a circuit into a PNG, SVG or PDF file\n"
    "  resave    read a circuit file and write it again\n"
    "  help      show this text, or 'help COMMAND' the options of a command\n"
    "  --version show the version of tessivar-cli\n"
    "\n"
    "Run 'tessivar-cli COMMAND --help' for the options of a command.\n"
    "\n";

using TCommand = int (*)(const QStringList&);

TCommand FindCommand(const QString& name) {
    if (name == QLatin1String("run"))
        return RunCommand;
    if (name == QLatin1String("info"))
        return InfoCommand;
    if (name == QLatin1String("render"))
        return RenderCommand;
    if (name == QLatin1String("resave"))
        return ResaveCommand;
    return nullptr;
}

// Qt's own notes (a missing runtime folder of the offscreen platform, font fallbacks) are not
// messages for the user of a command; its critical errors still are.
void QtMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        Err(text + QLatin1Char('\n'));
}

int MainUsageError(const QString& message) {
    Err(QStringLiteral("tessivar-cli: %1\n\n").arg(message) + QLatin1String(kUsage) +
        QLatin1String(kExitCodesText));
    return kExitUsage;
}

} // namespace

int main(int argc, char* argv[]) {
    // Text layout needs fonts, and so an application object, but never a window.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QtMessage);
    // The application gets no arguments to interpret: every word belongs to the commands.
    int appArgc = 1;
    QGuiApplication app(appArgc, argv);
    RegisterStreamClasses();

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (args.isEmpty())
        return MainUsageError(QStringLiteral("no command given"));
    const QString name = args.takeFirst();
    if (name == QLatin1String("--version") && args.isEmpty()) {
        Out(QStringLiteral("tessivar-cli " TESSIVAR_VERSION "\n"));
        return kExitOk;
    }
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        if (!args.isEmpty()) {
            if (TCommand command = FindCommand(args.first()))
                return command({QStringLiteral("--help")});
            return MainUsageError(QStringLiteral("unknown command '%1'").arg(args.first()));
        }
        Out(QLatin1String(kUsage) + QLatin1String(kExitCodesText));
        return kExitOk;
    }
    if (TCommand command = FindCommand(name))
        return command(args);
    return MainUsageError(QStringLiteral("unknown command '%1'").arg(name));
}

// tessivar-cli info: what a circuit file holds, without running it.

#include "cli/CommandLine.h"

#include <map>
#include <string>

namespace {

const char* const kUsage =
    "Usage: tessivar-cli info FILE.tvm\n"
    "\n"
    "Prints what a circuit file holds:\n"
    "  Version        the file format version (34; 20 and 30 are older ones)\n"
    "  Name           the circuit's macro name\n"
    "  Datasheet      the datasheet attached to it (help file, web address or document)\n"
    "  Help context   the datasheet's context\n"
    "  Nesting depth  how deep macro parts nest: 0 when the circuit holds no macro part, 1 when\n"
    "                 its macro parts hold none, and so on\n"
    "  Objects        how many objects of each class the circuit holds, by class name: its\n"
    "                 parts, tags, wires, solder joints, free shapes and texts, and macro parts\n"
    "                 with everything inside them; the pins and drawn shapes of parts are not\n"
    "                 counted\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this text\n"
    "\n";

struct TCensus {
    std::map<std::string, int> Counts;
    int Total = 0;
};

// Counts the objects of macro's six lists, and those of every macro part among them; returns how
// deep macro parts nest below macro.
int Survey(const TMacro& macro, TCensus& census) {
    int depth = 0;
    for (const TGraphicList* list : {macro.Devices.get(), macro.Tags.get(), macro.Inputs.get(),
                                     macro.Outputs.get(), macro.Solders.get(), macro.Wires.get()}) {
        for (TSerialize* item : *list->Children) {
            ++census.Counts[item->ClassName()];
            ++census.Total;
            if (const auto* part = KindCast<TMacro>(item))
                depth = std::max(depth, 1 + Survey(*part, census));
        }
    }
    return depth;
}

} // namespace

int InfoCommand(const QStringList& args) {
    TCommandLine line;
    if (!line.Parse(args, {}))
        return UsageError("info", line.Error);
    if (line.Help) {
        Out(QLatin1String(kUsage) + QLatin1String(kExitCodesText));
        return kExitOk;
    }
    if (line.Positional.size() != 1)
        return UsageError("info", line.Positional.isEmpty() ? QStringLiteral("no circuit file given")
                                                            : QStringLiteral("one circuit file expected"));
    const QString path = line.Positional.first();
    std::optional<TCircuit> circuit = LoadCircuit(path);
    if (!circuit)
        return kExitUsage;
    // The header repeats the root's datasheet, and loading puts its datasheet context on the root.
    const TMacro& root = *circuit->Root;
    TCensus census;
    const int depth = Survey(root, census);
    QString text = QStringLiteral("File: %1\nVersion: %2\nName: %3\nDatasheet: %4\nHelp context: %5\n"
                                  "Nesting depth: %6\nObjects: %7\n")
                       .arg(path, QString::number(circuit->Version), circuit->Name, root.Datasheet,
                            root.HelpTopic, QString::number(depth), QString::number(census.Total));
    for (const auto& [className, count] : census.Counts)
        text += QStringLiteral("  %1 %2\n").arg(QString::fromStdString(className), QString::number(count));
    Out(text);
    return kExitOk;
}

// tessivar-cli resave: read a circuit file and write it again in the current format.

#include "cli/CommandLine.h"

namespace {

const char* const kUsage =
    "Usage: tessivar-cli resave IN.tvm OUT.tvm\n"
    "\n"
    "Reads a circuit file and writes it again, as it was read: nothing is reset or run. A file\n"
    "written by Tessivar comes back byte for byte; an older version (20 or 30) is written in the\n"
    "current one (34). OUT is replaced only once the whole circuit was written; it may be IN.\n"
    "\n"
    "Options:\n"
    "  -h, --help    show this text\n"
    "\n";

} // namespace

int ResaveCommand(const QStringList& args) {
    TCommandLine line;
    if (!line.Parse(args, {}))
        return UsageError("resave", line.Error);
    if (line.Help) {
        Out(QLatin1String(kUsage) + QLatin1String(kExitCodesText));
        return kExitOk;
    }
    if (line.Positional.size() != 2)
        return UsageError("resave", QStringLiteral("an input and an output file are needed"));
    std::optional<TCircuit> circuit = LoadCircuit(line.Positional[0]);
    if (!circuit)
        return kExitUsage;
    try {
        WriteCircuit(line.Positional[1], circuit->Root.get(), circuit->Name);
    } catch (const EWriteError& error) {
        return WriteError("resave", line.Positional[1], error);
    }
    return kExitOk;
}

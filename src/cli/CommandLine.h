#pragma once

// What the commands of the command-line runner share: exit codes, option parsing, printing and
// loading a circuit file the way the editor does.

#include "model/CircuitFile.h"

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

enum TExitCode : int {
    kExitOk = 0,
    kExitWriteFailed = 1, // an output file could not be written
    kExitUsage = 2,       // bad arguments, or a file that cannot be read
    kExitHalted = 3,      // the simulation halted
};

inline constexpr const char* kExitCodesText =
    "Exit codes: 0 success, 1 an output file could not be written, 2 bad arguments or a file that\n"
    "cannot be read, 3 the simulation halted.\n";

struct TOption {
    const char* Name; // with its dashes: "--steps"
    bool TakesValue;
};

// The words after a command name: options in the order given ("--name value" or "--name=value"),
// and the other arguments. "--" ends the options; "-h" and "--help" ask for the usage text.
class TCommandLine {
public:
    // False, with Error set, on an unknown option or an option without its value.
    bool Parse(const QStringList& args, std::initializer_list<TOption> options);

    bool Has(const char* name) const;
    // The value given last, or empty.
    QString Value(const char* name) const;
    QStringList Values(const char* name) const;

    QStringList Positional;
    bool Help = false;
    QString Error;

private:
    std::vector<std::pair<QString, QString>> m_options;
};

// Text to standard output and standard error, as UTF-8.
void Out(const QString& text);
void Err(const QString& text);

// Reports a bad argument of a command with the hint to its usage; returns kExitUsage.
int UsageError(const char* command, const QString& message);

// Reports an output file that could not be written; returns kExitWriteFailed.
int WriteError(const char* command, const QString& path, const EWriteError& error);

// Reads a circuit file as the editor does. On failure prints the editor's message (missing file,
// later version, not a circuit file, damaged file) and returns nothing; wiring mended while reading
// is reported as the editor's warning.
std::optional<TCircuit> LoadCircuit(const QString& path);

// The commands; each takes the words after its name and returns the exit code.
int RunCommand(const QStringList& args);
int InfoCommand(const QStringList& args);
int RenderCommand(const QStringList& args);
int ResaveCommand(const QStringList& args);

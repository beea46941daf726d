#include "cli/CommandLine.h"

#include "drawing/SafeFile.h"

#include <cstdio>

bool TCommandLine::Parse(const QStringList& args, std::initializer_list<TOption> options) {
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& word = args[i];
        if (optionsEnded || !word.startsWith(QLatin1Char('-')) || word == QLatin1String("-")) {
            Positional.append(word);
            continue;
        }
        if (word == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (word == QLatin1String("-h") || word == QLatin1String("--help")) {
            Help = true;
            continue;
        }
        const qsizetype equals = word.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? word : word.left(equals);
        const TOption* option = nullptr;
        for (const TOption& candidate : options)
            if (name == QLatin1String(candidate.Name))
                option = &candidate;
        if (!option) {
            Error = QStringLiteral("unknown option '%1'").arg(name);
            return false;
        }
        if (!option->TakesValue) {
            if (equals >= 0) {
                Error = QStringLiteral("option '%1' takes no value").arg(name);
                return false;
            }
            m_options.emplace_back(name, QString());
        } else if (equals >= 0) {
            m_options.emplace_back(name, word.mid(equals + 1));
        } else if (i + 1 < args.size()) {
            m_options.emplace_back(name, args[++i]);
        } else {
            Error = QStringLiteral("option '%1' needs a value").arg(name);
            return false;
        }
    }
    return true;
}

bool TCommandLine::Has(const char* name) const {
    for (const auto& [option, value] : m_options)
        if (option == QLatin1String(name))
            return true;
    return false;
}

QString TCommandLine::Value(const char* name) const {
    const QStringList values = Values(name);
    return values.isEmpty() ? QString() : values.last();
}

QStringList TCommandLine::Values(const char* name) const {
    QStringList values;
    for (const auto& [option, value] : m_options)
        if (option == QLatin1String(name))
            values.append(value);
    return values;
}

void Out(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
}

void Err(const QString& text) {
    std::fputs(text.toUtf8().constData(), stderr);
}

int UsageError(const char* command, const QString& message) {
    Err(QStringLiteral("tessivar-cli %1: %2\nRun 'tessivar-cli %1 --help' for usage.\n")
            .arg(QLatin1String(command), message));
    return kExitUsage;
}

int WriteError(const char* command, const QString& path, const EWriteError& error) {
    const auto* fileError = dynamic_cast<const EFileWriteError*>(&error);
    Err(QStringLiteral("tessivar-cli %1: cannot write '%2': %3\n")
            .arg(QLatin1String(command), fileError ? fileError->Path : path,
                 fileError ? fileError->Reason : QString::fromStdString(error.what())));
    return kExitWriteFailed;
}

std::optional<TCircuit> LoadCircuit(const QString& path) {
    try {
        TCircuit circuit = ReadCircuit(path);
        if (!circuit.Repairs.isEmpty())
            Err(RepairedWiringText(path, circuit.Repairs) + QLatin1Char('\n'));
        return circuit;
    } catch (const ECircuitFile& e) {
        Err(e.Text + QLatin1Char('\n'));
    } catch (const std::exception&) {
        Err(QLatin1String(kCorruptCircuitText) + QLatin1Char('\n'));
    }
    return std::nullopt;
}

#pragma once

// Runs the command-line runner as its own process, on circuits that tests build and save into a
// temporary folder.

#include "TestCircuit.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <ostream>
#include <sys/resource.h>

// Failed expectations show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

struct TCliResult {
    int ExitCode = -1;
    QString Out;
    QByteArray OutBytes;
    QString Err;
};

// Runs the runner; a file size limit, when given, makes every write beyond it fail as on a full disk.
inline TCliResult RunCli(const QStringList& args, rlim_t fileSizeLimit = RLIM_INFINITY) {
    QProcess process;
    if (fileSizeLimit != RLIM_INFINITY)
        process.setChildProcessModifier([fileSizeLimit] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = fileSizeLimit;
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    process.start(QStringLiteral(TESSIVAR_CLI), args);
    TCliResult result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "tessivar-cli " << args.join(' ').toStdString() << " did not finish";
        return result;
    }
    result.ExitCode = process.exitCode();
    result.OutBytes = process.readAllStandardOutput();
    result.Out = QString::fromUtf8(result.OutBytes);
    result.Err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

class CliTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // Saves the circuit as the editor would and returns the file's path.
    QString Save(TTestCircuit& circuit, const QString& fileName, const QString& name = QString()) {
        const QString path = Path(fileName);
        WriteCircuit(path, circuit.Root, name);
        return path;
    }

    QString WriteBytes(const QString& fileName, const QByteArray& bytes) {
        QFile file(Path(fileName));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    static QByteArray ReadBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};

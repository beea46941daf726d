// A save that fails half-way (the disk is full) reports the failure and leaves the old file as it
// was. The full disk is simulated with a file size limit, which also holds for root.
#include "TestCircuit.h"
#include "TestSupport.h"

#include "devices/MemoryDevice.h"
#include "devices/MemoryMap.h"
#include "drawing/SafeFile.h"
#include "model/Gates.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testsupport::TFileSizeLimit;

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

std::unique_ptr<TMacro> Circuit(int gates) {
    TTestCircuit circuit;
    for (int i = 0; i < gates; ++i)
        circuit.Add<T4NandGate>(static_cast<float>(60 * (i % 20)), static_cast<float>(60 * (i / 20)));
    return circuit.Release();
}

// One writer of each kind the core has, all saving the same macro.
struct TWriter {
    const char* Name;
    void (*Save)(const QString& path, TMacro& macro, TMemoryDevice& memory);
};

const TWriter kWriters[] = {
    {"circuit.tvm",
     [](const QString& path, TMacro& macro, TMemoryDevice&) { WriteCircuit(path, &macro, "x"); }},
    {"outline.tvt",
     [](const QString& path, TMacro& macro, TMemoryDevice&) {
         macro.Closed = true;
         macro.SaveTemplate(path);
         macro.Closed = false;
     }},
    {"memory.map", [](const QString& path, TMacro&, TMemoryDevice& memory) { SaveMemoryMap(path, memory); }},
};

} // namespace

// Small outputs are the dangerous case: everything sits in a buffer until the file is committed.
TEST(SafeSave, AFullDiskKeepsEveryOldFileAndNamesTheReason) {
    for (const int gates : {1, 400}) {
        QTemporaryDir dir;
        std::unique_ptr<TMacro> old = Circuit(0);
        std::unique_ptr<TMacro> bigger = Circuit(gates);
        for (int i = 0; i < gates; ++i)
            bigger->AddChild(new TGraphicText(QStringLiteral("outline text"), 9));
        TMemoryDevice oldMemory;
        oldMemory.Configure(true, 4, 8);
        TMemoryDevice memory;
        memory.Configure(true, gates == 1 ? 6 : 14, 16);

        for (const TWriter& writer : kWriters) {
            SCOPED_TRACE(std::string(writer.Name) + " with " + std::to_string(gates) + " gates");
            const QString path = dir.filePath(writer.Name);
            writer.Save(path, *old, oldMemory);
            const QByteArray before = Contents(path);
            ASSERT_FALSE(before.isEmpty());
            {
                TFileSizeLimit limit(static_cast<rlim_t>(before.size()));
                try {
                    writer.Save(path, *bigger, memory);
                    ADD_FAILURE() << "the save reported success";
                } catch (const EFileWriteError& error) {
                    EXPECT_EQ(error.Path, path);
                    EXPECT_EQ(error.Reason, QString::fromLocal8Bit(std::strerror(EFBIG)));
                    EXPECT_TRUE(QString::fromStdString(error.what()).contains(path));
                }
            }
            EXPECT_EQ(Contents(path), before);
            writer.Save(path, *bigger, memory);
            EXPECT_GT(Contents(path).size(), before.size());
        }
        EXPECT_EQ(FilesIn(dir.path()), QStringList({"circuit.tvm", "memory.map", "outline.tvt"}))
            << "no temporary file is left behind";
    }
}

TEST(SafeSave, OnlyRegularFilesAreReplaced) {
    QTemporaryDir dir;
    std::unique_ptr<TMacro> circuit = Circuit(3);
    const QByteArray bytes = WriteCircuitBytes(circuit.get(), "x");

    // A pipe is written into and stays a pipe.
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    WriteCircuit(fifo, circuit.get(), "x");
    QByteArray received(bytes.size() + 1, '\0');
    EXPECT_EQ(read(reader, received.data(), static_cast<size_t>(received.size())), bytes.size());
    received.chop(1);
    EXPECT_EQ(received, bytes);
    close(reader);
    struct stat status {};
    ASSERT_EQ(stat(QFile::encodeName(fifo).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));

    // A folder is refused, not replaced.
    const QString folder = dir.filePath("folder.tvm");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.tvm"));
    EXPECT_THROW(WriteCircuit(folder, circuit.get(), "x"), EFileWriteError);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_THROW(WriteCircuit(dir.filePath("no/such/folder/circuit.tvm"), circuit.get(), ""),
                 EFileWriteError);

    // A link stays a link; the file it names is replaced, keeping its permissions.
    const QString target = dir.filePath("target.tvm");
    const QString link = dir.filePath("link.tvm");
    WriteCircuit(target, Circuit(0).get(), "old");
    ASSERT_EQ(chmod(QFile::encodeName(target).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(target, link));
    WriteCircuit(link, circuit.get(), "x");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(Contents(target), bytes);
    ASSERT_EQ(stat(QFile::encodeName(target).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

// A save stopped between naming its temporary and renaming it leaves the temporary; the next save of
// the same file removes it, and nothing that merely looks alike.
TEST(SafeSave, ASuccessfulSaveRemovesStaleTemporariesOfItsFile) {
    QTemporaryDir dir;
    const QString stale = TSafeFile::TemporaryName("circuit.tvm");
    const QStringList kept = {".circuit.tvm.Ab3dE9.tmp.keep", ".circuit.tvm.Ab3-E9.tmp",
                              ".other.tvm.Ab3dE9.tmp", "circuit.tvm.Ab3dE9", "circuit.tvm.backup"};
    const QStringList written = QStringList(kept) << stale;
    for (const QString& name : written) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("half a circuit");
    }
    std::unique_ptr<TMacro> circuit = Circuit(1);
    {
        TFileSizeLimit limit(4);
        EXPECT_THROW(WriteCircuit(dir.filePath("circuit.tvm"), circuit.get(), ""), EFileWriteError);
    }
    EXPECT_TRUE(QFile::exists(dir.filePath(stale))) << "a failed save removes nothing";
    WriteCircuit(dir.filePath("circuit.tvm"), circuit.get(), "");
    QStringList expected = kept;
    expected << "circuit.tvm";
    expected.sort();
    EXPECT_EQ(FilesIn(dir.path()), expected);
}

// A save that fails half-way (the disk is full) reports the failure and leaves the old file as it
// was. The full disk is simulated with a file size limit, which also holds for root.
#include "TestCircuit.h"

#include "devices/MemoryDevice.h"
#include "devices/MemoryMap.h"
#include "model/Gates.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

// Files may grow to the given size while it lives; writing beyond fails instead of raising SIGXFSZ.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::unique_ptr<TMacro> LargeCircuit() {
    TTestCircuit circuit;
    for (int i = 0; i < 400; ++i)
        circuit.Add<T4NandGate>(static_cast<float>(60 * (i % 20)), static_cast<float>(60 * (i / 20)));
    return circuit.Release();
}

} // namespace

TEST(SafeSave, AFailedSaveKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString circuitPath = dir.filePath("circuit.tvm");
    const QString templatePath = dir.filePath("outline.tvt");
    const QString mapPath = dir.filePath("memory.map");

    TMacro small;
    small.Closed = false;
    WriteCircuit(circuitPath, &small, "old");
    small.SaveTemplate(templatePath);
    TMemoryDevice memory;
    memory.Configure(true, 4, 8);
    SaveMemoryMap(mapPath, memory);
    const QByteArray oldCircuit = Contents(circuitPath);
    const QByteArray oldTemplate = Contents(templatePath);
    const QByteArray oldMap = Contents(mapPath);
    ASSERT_FALSE(oldCircuit.isEmpty() || oldTemplate.isEmpty() || oldMap.isEmpty());

    std::unique_ptr<TMacro> large = LargeCircuit();
    TMemoryDevice big;
    big.Configure(true, 14, 16);
    {
        TFileSizeLimit limit(4096);
        EXPECT_THROW(WriteCircuit(circuitPath, large.get(), "new"), EWriteError);
        large->Closed = true;
        for (int i = 0; i < 200; ++i)
            large->AddChild(new TGraphicText(QStringLiteral("outline text"), 9));
        EXPECT_THROW(large->SaveTemplate(templatePath), EWriteError);
        EXPECT_THROW(SaveMemoryMap(mapPath, big), EWriteError);
    }
    EXPECT_EQ(Contents(circuitPath), oldCircuit);
    EXPECT_EQ(Contents(templatePath), oldTemplate);
    EXPECT_EQ(Contents(mapPath), oldMap);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3) << "no temporary file is left behind";

    // Without the limit the same saves succeed and replace the files.
    large->Closed = false;
    WriteCircuit(circuitPath, large.get(), "new");
    EXPECT_EQ(ReadCircuit(circuitPath).Name, "new");
    SaveMemoryMap(mapPath, big);
    EXPECT_EQ(Contents(mapPath).size(), 8 + 4 * 16384);
}

TEST(SafeSave, AnUnwritableTargetIsReported) {
    QTemporaryDir dir;
    TMacro small;
    const QString missingFolder = dir.filePath("no/such/folder/circuit.tvm");
    EXPECT_THROW(WriteCircuit(missingFolder, &small, ""), EWriteError);
    EXPECT_THROW(small.SaveTemplate(dir.filePath("no/such/outline.tvt")), EWriteError);
}

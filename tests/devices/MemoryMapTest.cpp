#include "TestSupport.h"

#include "devices/MemoryDevice.h"
#include "devices/MemoryMap.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using testsupport::Bytes;

namespace {

QByteArray MapBytes(int32_t magic, int32_t count, std::initializer_list<uint32_t> words) {
    QByteArray bytes;
    auto append = [&bytes](uint32_t value) {
        char little[4];
        qToLittleEndian(value, little);
        bytes.append(little, 4);
    };
    append(static_cast<uint32_t>(magic));
    append(static_cast<uint32_t>(count));
    for (uint32_t word : words)
        append(word);
    return bytes;
}

void Load(const QByteArray& bytes, TMemoryDevice& memory) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    ReadMemoryMap(buffer, memory);
}

// A 16-word memory holding 100 + address in every word.
std::unique_ptr<TMemoryDevice> Numbered() {
    auto memory = std::make_unique<TMemoryDevice>();
    memory->Configure(true, 4, 16);
    for (int i = 0; i < memory->WordCount; ++i)
        memory->SetWord(i, 100 + i);
    return memory;
}

} // namespace

TEST(MemoryMap, SavedFileHoldsMagicCountAndWords) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Memory.map"));
    TMemoryDevice memory;
    memory.SetWord(0, 0x1234);
    memory.SetWord(255, 0xFFFF);
    SaveMemoryMap(path, memory);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.size(), 1032);
    EXPECT_EQ(bytes.left(12),
              Bytes({0xCD, 0xAB, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x34, 0x12, 0x00, 0x00}));
    EXPECT_EQ(bytes.right(4), Bytes({0xFF, 0xFF, 0x00, 0x00}));

    TMemoryDevice copy;
    copy.SetWord(9, 7);
    OpenMemoryMap(path, copy);
    EXPECT_EQ(copy.Words, memory.Words);
}

TEST(MemoryMap, OpenClipsToTheMemoryAndKeepsLow16Bits) {
    auto memory = Numbered();
    Load(MapBytes(kMemoryMapMagic, 3, {70000, 1, 2}), *memory);
    EXPECT_EQ(memory->GetWord(0), 4464u);
    EXPECT_EQ(memory->GetWord(2), 2u);
    EXPECT_EQ(memory->GetWord(3), 103u); // beyond the file's count: kept

    // A file for a larger memory fills this one and leaves the rest unread.
    memory = Numbered();
    Load(
        MapBytes(kMemoryMapMagic, 20, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}),
        *memory);
    EXPECT_EQ(memory->GetWord(15), 15u);

    for (int32_t count : {0, -5}) {
        memory = Numbered();
        Load(MapBytes(kMemoryMapMagic, count, {1, 2}), *memory);
        EXPECT_EQ(memory->GetWord(0), 100u);
    }
}

TEST(MemoryMap, WrongMagicChangesNothing) {
    auto memory = Numbered();
    try {
        Load(MapBytes(0xABCE, 2, {1, 2}), *memory);
        FAIL() << "a wrong magic number was accepted";
    } catch (const EInvalidMemoryMap& error) {
        EXPECT_STREQ(error.what(), "This is not a valid Memory Map file.");
    }
    EXPECT_EQ(memory->GetWord(0), 100u);
}

TEST(MemoryMap, ShortFileIsAnErrorThatKeepsTheWordsLoaded) {
    auto memory = Numbered();
    QByteArray bytes = MapBytes(kMemoryMapMagic, 4, {1, 2, 3});
    bytes.append(char(9)); // a partial fourth word
    EXPECT_THROW(Load(bytes, *memory), EReadError);
    EXPECT_EQ(memory->GetWord(0), 1u);
    EXPECT_EQ(memory->GetWord(2), 3u);
    EXPECT_EQ(memory->GetWord(3), 103u);

    for (int size : {0, 3, 4, 7}) {
        memory = Numbered();
        EXPECT_THROW(Load(MapBytes(kMemoryMapMagic, 4, {}).left(size), *memory), EReadError) << size;
        EXPECT_EQ(memory->GetWord(0), 100u);
    }
}

TEST(MemoryMap, FailuresOfTheFileItselfAreReported) {
    QTemporaryDir dir;
    TMemoryDevice memory;
    EXPECT_THROW(SaveMemoryMap(dir.filePath(QStringLiteral("missing/Memory.map")), memory), EWriteError);
    EXPECT_THROW(OpenMemoryMap(dir.filePath(QStringLiteral("absent.map")), memory), EReadError);
}

#include "devices/MemoryMap.h"

#include "devices/MemoryDevice.h"
#include "drawing/SafeFile.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>

namespace {

void AppendInt32(QByteArray& bytes, uint32_t value) {
    char little[4];
    qToLittleEndian(value, little);
    bytes.append(little, 4);
}

uint32_t ReadInt32(QIODevice& device) {
    char little[4];
    if (device.read(little, 4) != 4)
        throw EReadError(kShortMemoryMapText);
    return qFromLittleEndian<uint32_t>(little);
}

} // namespace

void WriteMemoryMap(QIODevice& device, const TMemoryDevice& memory) {
    QByteArray bytes;
    bytes.reserve(8 + 4 * memory.WordCount);
    AppendInt32(bytes, kMemoryMapMagic);
    AppendInt32(bytes, static_cast<uint32_t>(memory.WordCount));
    for (uint16_t word : memory.Words)
        AppendInt32(bytes, word);
    if (device.write(bytes) != bytes.size())
        throw EWriteError(device.errorString().toStdString());
}

void ReadMemoryMap(QIODevice& device, TMemoryDevice& memory) {
    if (ReadInt32(device) != kMemoryMapMagic)
        throw EInvalidMemoryMap();
    const auto count = static_cast<int32_t>(ReadInt32(device));
    const int32_t words = std::min(count, memory.WordCount);
    if (words <= 0)
        return;
    const QByteArray data = device.read(static_cast<qint64>(words) * 4);
    // A short file still loads its complete words.
    const auto complete = static_cast<int32_t>(data.size() / 4);
    for (int32_t i = 0; i < complete; ++i)
        memory.SetWord(i, qFromLittleEndian<uint32_t>(data.constData() + 4 * i));
    if (complete < words)
        throw EReadError(kShortMemoryMapText);
}

void SaveMemoryMap(const QString& path, const TMemoryDevice& memory) {
    SaveFileSafely(path, [&](QIODevice& device) { WriteMemoryMap(device, memory); });
}

void OpenMemoryMap(const QString& path, TMemoryDevice& memory) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EReadError(file.errorString().toStdString());
    ReadMemoryMap(file, memory);
}

#pragma once

// Memory map files (extension "map"): the contents of a memory as the magic number 43981, the count of
// words and the words in address order, each a 32-bit little-endian integer. Nothing records the data
// width or the memory type.

#include "drawing/Serialize.h"

#include <QString>

class QIODevice;
class TMemoryDevice;

constexpr int32_t kMemoryMapMagic = 43981;
inline constexpr const char* kInvalidMemoryMapText = "This is not a valid Memory Map file.";
inline constexpr const char* kShortMemoryMapText = "Read beyond end of file";

// The file does not start with the magic number.
class EInvalidMemoryMap : public EReadError {
public:
    EInvalidMemoryMap() : EReadError(kInvalidMemoryMapText) {}
};

// Writes every word of the memory. The old file is replaced only once everything was written;
// throws EWriteError with the text to show otherwise.
void SaveMemoryMap(const QString& path, const TMemoryDevice& memory);
// Loads the stored words from address 0 up to the smaller of the file's count and the memory's,
// keeping their low 16 bits; the words above keep their values. Throws EInvalidMemoryMap, leaving the
// memory unchanged, or EReadError, after which the words loaded before the failure keep their new
// values. The exception's text is the text to show.
void OpenMemoryMap(const QString& path, TMemoryDevice& memory);

// The same on an open device.
void WriteMemoryMap(QIODevice& device, const TMemoryDevice& memory);
void ReadMemoryMap(QIODevice& device, TMemoryDevice& memory);

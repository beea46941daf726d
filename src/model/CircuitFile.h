#pragma once

// Circuit files (".tvm"): the signature (file type 50397, version 34), a descriptor list (the
// circuit's name, datasheet and datasheet context) and the circuit itself, a TMacro. Older versions
// are read as well. Writing replaces a file only once the whole circuit was written.

#include "model/Macro.h"

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

constexpr int32_t kCircuitFileType = 50397;
constexpr uint8_t kCircuitVersion = 34;

// Why a circuit file could not be read; Text is the message the user sees.
class ECircuitFile : public std::runtime_error {
public:
    enum class TKind { Missing, TooNew, NotCircuit, Corrupt };
    ECircuitFile(TKind kind, const QString& text)
        : std::runtime_error(text.toStdString()), Kind(kind), Text(text) {}
    TKind Kind;
    QString Text;
};

QString MissingFileText(const QString& path);
inline constexpr const char* kTooNewText = "You need a later version of Tessivar to read this file.";
inline constexpr const char* kNotCircuitText = "This is not a valid Tessivar file.";
inline constexpr const char* kCorruptCircuitText = "An error has occurred trying to read this Tessivar file.";

struct TCircuit {
    std::unique_ptr<TMacro> Root;
    QString Name; // descriptor 100, or the name of a version-30 file
    uint8_t Version = 0;
    // What reading mended in damaged wiring, for example "1 wire that no list held was removed";
    // empty when the file was sound.
    QString Repairs;
};

// The warning shown when a circuit file's wiring had to be mended while it was read.
QString RepairedWiringText(const QString& path, const QString& repairs);

struct TCircuitHeader {
    uint8_t Version = 0;
    QString Name;        // descriptor 100
    QString Datasheet;   // descriptor 101
    QString HelpContext; // descriptor 102
    bool HasHelpContext = false;
};

// Reads a whole circuit; progress receives the percentage read. Throws ECircuitFile.
TCircuit ReadCircuit(const QString& path, const std::function<void(int32_t)>& progress = {});
TCircuit ReadCircuitBytes(const QByteArray& bytes, const std::function<void(int32_t)>& progress = {});
// Reads only what precedes the circuit. Throws ECircuitFile.
TCircuitHeader ReadCircuitHeader(const QString& path);
TCircuitHeader ReadCircuitHeaderBytes(const QByteArray& bytes);

// Writes the macro with its descriptors. Throws EWriteError and then leaves any old file as it was.
void WriteCircuit(const QString& path, TMacro* macro, const QString& name);
QByteArray WriteCircuitBytes(TMacro* macro, const QString& name);

// The clipboard holds the signature (no descriptors) and one object: a macro of copied objects or
// a group of copied outline shapes. Reading throws ECircuitFile.
QByteArray WriteClipboardBytes(TGraphicObject* object);
std::unique_ptr<TGraphicObject> ReadClipboardBytes(const QByteArray& bytes);

// Makes a macro read from a file the root of an editor or runner: shown, not nested, reset.
void PrepareRoot(TMacro& root);
// Makes a macro read from a file a closed part of another circuit, centred on the given point as
// snapped by snap (its pins not counted in the centring).
void PrepareMacroPart(TMacro& macro, QPoint centre, const std::function<QPoint(QPoint)>& snap);

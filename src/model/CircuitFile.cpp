#include "model/CircuitFile.h"

#include "drawing/SafeFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace {

enum TDescriptorId : int32_t {
    kNameId = 100,
    kDatasheetId = 101,
    kHelpContextId = 102,
    kReservedId = 200,
    kReservedZeroId = 202,
};

ECircuitFile Error(ECircuitFile::TKind kind, const char* text) {
    return ECircuitFile(kind, QString::fromLatin1(text));
}

// Reads the signature and what follows it up to the circuit object.
TCircuitHeader ReadHeader(TSerializeReader& reader) {
    TCircuitHeader header;
    reader.FileType = kCircuitFileType;
    reader.ReadSignature();
    header.Version = reader.Version;
    if (header.Version > kCircuitVersion)
        throw Error(ECircuitFile::TKind::TooNew, kTooNewText);
    if (header.Version == 30) {
        reader.ReadBoolean();
        header.Name = reader.ReadString();
        header.Datasheet = reader.ReadString();
        header.HelpContext = QString::number(reader.ReadInteger());
    } else if (header.Version == kCircuitVersion) {
        reader.ReadDescriptors();
        reader.FindStringDescriptor(kNameId, header.Name);
        reader.FindStringDescriptor(kDatasheetId, header.Datasheet);
        header.HasHelpContext = reader.FindStringDescriptor(kHelpContextId, header.HelpContext);
    }
    return header;
}

template <class Body> auto Translated(Body body) {
    try {
        return body();
    } catch (const ECircuitFile&) {
        throw;
    } catch (const EInvalidFileType&) {
        throw Error(ECircuitFile::TKind::NotCircuit, kNotCircuitText);
    } catch (const EReadError&) {
        throw Error(ECircuitFile::TKind::Corrupt, kCorruptCircuitText);
    } catch (const std::bad_alloc&) {
        throw Error(ECircuitFile::TKind::Corrupt, kCorruptCircuitText);
    }
}

// The repairs of a reader in words, or empty.
QString RepairText(const TSerializeReader::TRepairs& repairs) {
    struct TNoun {
        const char* Singular;
        const char* Plural;
        int Count;
    };
    TNoun nouns[] = {{"wire", "wires", 0},
                     {"solder joint", "solder joints", 0},
                     {"pin", "pins", 0},
                     {"other object", "other objects", 0}};
    int dropped = 0;
    for (const auto& [className, count] : repairs.Dropped) {
        const int noun = className == TWire::kClassName                                        ? 0
                         : className == TSolder::kClassName                                    ? 1
                         : className == TPin::kClassName || className == TMacroPin::kClassName ? 2
                                                                                               : 3;
        nouns[noun].Count += count;
        dropped += count;
    }
    QStringList parts;
    if (dropped > 0) {
        QStringList counted;
        for (const TNoun& noun : nouns)
            if (noun.Count > 0)
                counted << QStringLiteral("%1 %2")
                               .arg(noun.Count)
                               .arg(QLatin1String(noun.Count == 1 ? noun.Singular : noun.Plural));
        QString list = counted.takeLast();
        if (!counted.isEmpty())
            list = counted.join(QStringLiteral(", ")) + QStringLiteral(" and ") + list;
        parts << list + (dropped == 1 ? QStringLiteral(" that no list held was removed")
                                      : QStringLiteral(" that no list held were removed"));
    }
    if (repairs.LinksCut == 1)
        parts << QStringLiteral("1 connection recorded at one end only was cut");
    else if (repairs.LinksCut > 1)
        parts << QStringLiteral("%1 connections recorded at one end only were cut").arg(repairs.LinksCut);
    return parts.join(QStringLiteral("; "));
}

TCircuit ReadFrom(TSerializeReader& reader, const std::function<void(int32_t)>& progress) {
    return Translated([&] {
        if (progress)
            reader.OnProgress = progress;
        TCircuit circuit;
        const TCircuitHeader header = ReadHeader(reader);
        circuit.Version = header.Version;
        circuit.Name = header.Name;
        TMacro* root = reader.ReadRoot<TMacro>();
        reader.Commit();
        circuit.Root.reset(root);
        circuit.Repairs = RepairText(reader.Repairs());
        // The datasheet context of the circuit travels in the header; without this it would be
        // lost on every load, and a file saved again would not be the file read.
        if (header.HasHelpContext)
            circuit.Root->HelpTopic = header.HelpContext;
        return circuit;
    });
}

QFile* OpenForReading(QFile& file, const QString& path) {
    if (!QFileInfo::exists(path))
        throw ECircuitFile(ECircuitFile::TKind::Missing, MissingFileText(path));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(ECircuitFile::TKind::Corrupt, kCorruptCircuitText);
    return &file;
}

void WriteTo(TSerializeWriter& writer, TMacro* macro, const QString& name) {
    writer.FileType = kCircuitFileType;
    writer.Version = kCircuitVersion;
    writer.WriteSignature();
    writer.AddStringDescriptor(kNameId, name);
    writer.AddStringDescriptor(kDatasheetId, macro->Datasheet);
    writer.AddStringDescriptor(kHelpContextId, macro->HelpTopic);
    writer.AddIntegerDescriptor(kReservedZeroId, 0);
    writer.AddIntegerDescriptor(kReservedId, 1);
    writer.WriteDescriptors();
    writer.WriteObject(macro);
    writer.Finish();
}

} // namespace

QString RepairedWiringText(const QString& path, const QString& repairs) {
    return QStringLiteral("The wiring in '%1' was damaged and has been repaired: %2. The circuit may not "
                          "behave as it did when it was saved.")
        .arg(QFileInfo(path).fileName(), repairs);
}

QString MissingFileText(const QString& path) {
    return QStringLiteral("Unable to locate the Tessivar file '") + QFileInfo(path).fileName() +
           QStringLiteral("'");
}

TCircuit ReadCircuit(const QString& path, const std::function<void(int32_t)>& progress) {
    QFile file(path);
    OpenForReading(file, path);
    return Translated([&] {
        TSerializeReader reader(&file);
        return ReadFrom(reader, progress);
    });
}

TCircuit ReadCircuitBytes(const QByteArray& bytes, const std::function<void(int32_t)>& progress) {
    return Translated([&] {
        TSerializeReader reader(bytes);
        return ReadFrom(reader, progress);
    });
}

TCircuitHeader ReadCircuitHeader(const QString& path) {
    QFile file(path);
    OpenForReading(file, path);
    return Translated([&] {
        TSerializeReader reader(&file);
        return ReadHeader(reader);
    });
}

TCircuitHeader ReadCircuitHeaderBytes(const QByteArray& bytes) {
    return Translated([&] {
        TSerializeReader reader(bytes);
        return ReadHeader(reader);
    });
}

void WriteCircuit(const QString& path, TMacro* macro, const QString& name) {
    SaveFileSafely(path, [&](QIODevice& device) {
        TSerializeWriter writer(&device);
        WriteTo(writer, macro, name);
    });
}

QByteArray WriteCircuitBytes(TMacro* macro, const QString& name) {
    QByteArray bytes;
    {
        TSerializeWriter writer(&bytes);
        WriteTo(writer, macro, name);
    }
    return bytes;
}

QByteArray WriteClipboardBytes(TGraphicObject* object) {
    QByteArray bytes;
    TSerializeWriter writer(&bytes);
    writer.FileType = kCircuitFileType;
    writer.Version = kCircuitVersion;
    writer.WriteSignature();
    writer.WriteObject(object);
    writer.Finish();
    return bytes;
}

std::unique_ptr<TGraphicObject> ReadClipboardBytes(const QByteArray& bytes) {
    return Translated([&] {
        TSerializeReader reader(bytes);
        reader.FileType = kCircuitFileType;
        reader.ReadSignature();
        if (reader.Version > kCircuitVersion)
            throw Error(ECircuitFile::TKind::TooNew, kTooNewText);
        TGraphicObject* object = reader.ReadRoot<TGraphicObject>();
        if (!IsA<TMacro>(object) && KindCast<TGraphicList>(object) == nullptr)
            reader.Fail("the clipboard holds neither a circuit nor a group of shapes");
        reader.Commit();
        return std::unique_ptr<TGraphicObject>(object);
    });
}

void PrepareRoot(TMacro& root) {
    root.Displayed = true;
    root.Nested = false;
    root.Reset();
}

void PrepareMacroPart(TMacro& macro, QPoint centre, const std::function<QPoint(QPoint)>& snap) {
    // A part's datasheet context is not stored with the circuit it is placed in; it reads back as
    // "0" from there, so it is "0" from the start.
    macro.HelpTopic = QStringLiteral("0");
    macro.Closed = true;
    macro.Nested = true;
    macro.Displayed = false;
    const bool showPins = macro.ShowPins;
    macro.ShowPins = false;
    const FloatRect e = macro.GetExtent();
    macro.Offset(-e.MinX, -e.MinY);
    const float halfWidth = (e.MaxX - e.MinX) / 2;
    const float halfHeight = (e.MaxY - e.MinY) / 2;
    QPoint p(RoundToInt(static_cast<float>(centre.x()) - halfWidth),
             RoundToInt(static_cast<float>(centre.y()) - halfHeight));
    if (snap)
        p = snap(p);
    macro.Offset(static_cast<float>(p.x()), static_cast<float>(p.y()));
    macro.UpdateVertices();
    macro.ShowPins = showPins;
}

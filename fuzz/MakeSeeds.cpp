// Writes seed corpora for the fuzz targets: circuits holding every registered class, wired, nested
// and in older versions, templates, clipboard contents and headers.
//   fuzz_make_seeds DIR  ->  DIR/circuit, DIR/template, DIR/clipboard, DIR/header, DIR/memorymap
#include "FuzzSupport.h"
#include "TestCircuit.h"

#include "devices/MemoryDevice.h"
#include "devices/MemoryMap.h"
#include "model/Gates.h"
#include "model/TagDevice.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

void Save(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// A macro part with a tag on each side and a gate between, wired into an outer circuit.
std::unique_ptr<TMacro> Nested() {
    TTestCircuit circuit;
    auto* part = new TMacro;
    part->Closed = false;
    TTestCircuit inside(part);
    auto* in = inside.Add<TTagDevice>(0, 0);
    auto* out = inside.Add<TTagDevice>(80, 0);
    auto* gate = inside.Add<TNotGate>(40, 40);
    inside.Joint({in->GetPin(), out->GetPin(), gate->Pin(1)});
    for (TTagDevice* tag : {in, out}) {
        auto* pin = new TMacroPin;
        pin->PlaceAt(tag == in ? QPoint(-20, 0) : QPoint(20, 0));
        part->Pins->AddChild(pin);
        pin->Partner = tag->MacroPin.get();
        tag->MacroPin->Partner = pin;
        tag->SetPinNumber(tag == in ? 1 : 2);
    }
    TTagDevice::ClassifyTags(part);
    part->Closed = true;
    part->Nested = true;
    part->Offset(200, 100);
    part->UpdateVertices();
    circuit.Root->AddObject(part);
    auto* source = circuit.Add<TNotGate>(100, 100);
    circuit.Wire(source->Pin(0), part->Pin(0));
    return circuit.Release();
}

// A long chain of inverters with a nested part every few links: a circuit file of about 200 KB, the
// size of a real working circuit, so mutations reach deep into long object lists.
std::unique_ptr<TMacro> Large(int links) {
    TTestCircuit circuit;
    TNotGate* previous = circuit.Add<TNotGate>(0, 0);
    for (int i = 1; i < links; ++i) {
        auto* gate =
            circuit.Add<TNotGate>(static_cast<float>(40 * (i % 50)), static_cast<float>(60 * (i / 50)));
        circuit.Wire(previous->Pin(0), gate->Pin(1));
        if (i % 10 == 0) {
            auto part = Nested();
            part->Offset(static_cast<float>(40 * (i % 50)), static_cast<float>(60 * (i / 50) + 30));
            circuit.Root->AddObject(part.release());
        }
        previous = gate;
    }
    return circuit.Release();
}

QByteArray WithVersion(const QByteArray& current, int version) {
    // Versions other than 30 and 34 hold the circuit right after the signature.
    const QByteArray tag = QByteArray("\x02\x00\x06\x06", 4) + "TMacro";
    QByteArray old = current.left(5);
    old[3] = static_cast<char>(version);
    return old + current.mid(current.indexOf(tag));
}

} // namespace

int main(int argc, char** argv) {
    InitFuzzing();
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    for (const char* sub : {"circuit", "template", "clipboard", "header", "memorymap"})
        dir.mkpath(sub);

    auto every = CircuitOfEveryClass();
    auto nested = Nested();
    const QByteArray everyBytes = WriteCircuitBytes(every.get(), "every class");
    const QByteArray nestedBytes = WriteCircuitBytes(nested.get(), "nested");
    TMacro empty;
    empty.Closed = false;
    const QByteArray emptyBytes = WriteCircuitBytes(&empty, "");
    for (const QString& sub : {QStringLiteral("circuit"), QStringLiteral("header")}) {
        Save(dir.filePath(sub + "/every.tvm"), everyBytes);
        Save(dir.filePath(sub + "/nested.tvm"), nestedBytes);
        Save(dir.filePath(sub + "/empty.tvm"), emptyBytes);
        Save(dir.filePath(sub + "/version20.tvm"), WithVersion(nestedBytes, 20));
    }
    // The largest seed stays below the 256 KB the runs allow an input.
    int links = 1200;
    QByteArray largeBytes = WriteCircuitBytes(Large(links).get(), "large");
    while (largeBytes.size() > 240 * 1024 && links > 100) {
        links = links * 3 / 4;
        largeBytes = WriteCircuitBytes(Large(links).get(), "large");
    }
    Save(dir.filePath("circuit/large.tvm"), largeBytes);

    Save(dir.filePath("clipboard/circuit.clp"), WriteClipboardBytes(nested.get()));
    TGraphicList shapes;
    auto* line = new TPolyline;
    line->AddPoint({0, 0});
    line->AddPoint({30, 10});
    shapes.AddChild(line);
    shapes.AddChild(new TGraphicText(QStringLiteral("A"), 9));
    shapes.AddChild(new TMacroPin);
    Save(dir.filePath("clipboard/shapes.clp"), WriteClipboardBytes(&shapes));

    TMacro outline;
    for (QPoint p : {QPoint(-20, 0), QPoint(20, -5), QPoint(20, 5)}) {
        auto* pin = new TMacroPin;
        pin->PlaceAt(p);
        outline.Pins->AddChild(pin);
    }
    outline.SaveTemplate(dir.filePath("template/three.tvt"));

    // The memory map target reads its first byte as the choice of memory.
    TMemoryDevice memory;
    memory.Configure(true, 4, 8);
    for (int i = 0; i < memory.WordCount; ++i)
        memory.SetWord(i, static_cast<uint32_t>(i * 37));
    const QString mapPath = dir.filePath("memorymap/sixteen.map");
    SaveMemoryMap(mapPath, memory);
    QFile map(mapPath);
    if (map.open(QIODevice::ReadOnly)) {
        const QByteArray words = map.readAll();
        map.close();
        Save(mapPath, QByteArray(1, '\0') + words);
        Save(dir.filePath("memorymap/into-large.map"), QByteArray(1, '\1') + words);
    }
    return 0;
}

// Writes seed corpora for the fuzz targets: circuits holding every registered class, wired, nested
// and in older versions, templates, clipboard contents and headers.
//   fuzz_make_seeds DIR  ->  DIR/circuit, DIR/template, DIR/clipboard, DIR/header
#include "FuzzSupport.h"

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

void Attach(TWire* wire, TGraphicObject* end) {
    wire->Attach(end);
    if (auto* pin = KindCast<TPin>(end))
        pin->AttachWire(wire);
    else if (auto* solder = KindCast<TSolder>(end))
        solder->AttachWire(wire);
}

TWire* Connect(TMacro& macro, TGraphicObject* a, TGraphicObject* b) {
    auto* wire = new TWire;
    wire->AddPoint(a->RoundedCentre());
    wire->AddPoint(b->RoundedCentre());
    Attach(wire, a);
    Attach(wire, b);
    macro.AddObject(wire);
    return wire;
}

// One object of every drawable class the registry knows, placed on a grid, neighbours wired.
std::unique_ptr<TMacro> EveryClass() {
    auto root = std::make_unique<TMacro>();
    root->Closed = false;
    TDevice* previous = nullptr;
    int slot = 0;
    for (const std::string& name : TClassRegistry::Instance().Names()) {
        TSerialize* object = TClassRegistry::Instance().Find(QByteArray::fromStdString(name))();
        auto* drawable = KindCast<TGraphicObject>(object);
        if (!drawable || IsA<TPin>(drawable) || IsA<TWire>(drawable) || IsA<TSolder>(drawable)) {
            delete object;
            continue;
        }
        if (auto* segment = KindCast<TSegment>(drawable); segment && segment->PointCount() == 0) {
            segment->AddPoint({0, 0});
            segment->AddPoint({10, 5});
            segment->AddPoint({0, 10});
        }
        drawable->Offset(static_cast<float>(100 * (slot % 8)), static_cast<float>(100 * (slot / 8)));
        drawable->UpdateVertices();
        ++slot;
        root->AddObject(drawable);
        auto* device = KindCast<TDevice>(drawable);
        if (device && previous && previous->PinCount() > 0 && device->PinCount() > 1 && !IsA<TMacro>(device))
            Connect(*root, previous->Pin(0), device->Pin(1));
        if (device && device->PinCount() > 0 && !IsA<TMacro>(device))
            previous = device;
    }
    return root;
}

// A macro part with a tag on each side and a gate between, wired into an outer circuit.
std::unique_ptr<TMacro> Nested() {
    auto root = std::make_unique<TMacro>();
    root->Closed = false;
    auto* part = new TMacro;
    part->Closed = false;
    auto* in = new TTagDevice;
    auto* out = new TTagDevice;
    out->Offset(80, 0);
    out->UpdateVertices();
    part->AddObject(in);
    part->AddObject(out);
    auto* joint = new TSolder;
    joint->Offset(40, 0);
    joint->UpdateVertices();
    part->AddObject(joint);
    Connect(*part, in->GetPin(), joint);
    Connect(*part, joint, out->GetPin());
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
    root->AddObject(part);
    return root;
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
    for (const char* sub : {"circuit", "template", "clipboard", "header"})
        dir.mkpath(sub);

    auto every = EveryClass();
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
    return 0;
}

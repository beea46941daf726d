// Writes the example circuits: a counter on a 7-segment display, a full adder with interactive
// inputs and a sequence generator with LEDs. Wires are routed along the grid with right-angled bends.

#include "devices/InputDevice.h"
#include "devices/Interactive.h"
#include "devices/MemoryDevice.h"
#include "devices/OutputDevice.h"
#include "devices/StreamClasses.h"
#include "drawing/GraphicText.h"
#include "model/CircuitFile.h"
#include "model/FlipFlops.h"
#include "model/Gates.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <initializer_list>
#include <memory>

namespace {

// Places parts and wires them into a root macro.
class TBuilder {
public:
    TBuilder() : Root(std::make_unique<TMacro>()) {
        Root->Closed = false;
        Root->Displayed = true;
    }

    template <class T> T* Add(int x, int y) {
        auto* device = new T;
        Place(device, x, y);
        return device;
    }

    TSolder* Joint(int x, int y) {
        auto* solder = new TSolder;
        Place(solder, x, y);
        return solder;
    }

    void Text(const QString& text, int x, int y, int size = 10) {
        auto* label = new TGraphicText(text, size);
        label->SetBold(true);
        label->Offset(static_cast<float>(x), static_cast<float>(y));
        label->UpdateVertices();
        Root->AddObject(label);
    }

    // A wire from pin or joint a through the bend points to pin or joint b.
    TWire* Wire(TGraphicObject* a, std::initializer_list<QPoint> bends, TGraphicObject* b) {
        auto* wire = new TWire;
        wire->AddPoint(a->RoundedCentre());
        for (QPoint bend : bends)
            wire->AddPoint(bend);
        wire->AddPoint(b->RoundedCentre());
        wire->UpdateVertices();
        wire->Connect(a);
        wire->Connect(b);
        Root->AddObject(wire);
        return wire;
    }

    void Save(const QString& path, const QString& name) {
        PrepareRoot(*Root);
        WriteCircuit(path, Root.get(), name);
    }

    std::unique_ptr<TMacro> Root;

private:
    void Place(TGraphicObject* object, int x, int y) {
        object->Offset(static_cast<float>(x), static_cast<float>(y));
        object->UpdateVertices();
        Root->AddObject(object);
    }
};

template <class T> T* Labelled(T* device, const QString& label, TLabelPosition position) {
    device->SetLabel(label);
    device->SetLabelPosition(position);
    return device;
}

// Segments a to g of the hexadecimal digits, a first.
const char* const kDigitSegments[16] = {"1111110", "0110000", "1101101", "1111001", "0110011", "1011011",
                                        "1011111", "1110000", "1111111", "1111011", "1110111", "0011111",
                                        "1001110", "0111101", "1001111", "1000111"};

// A clock drives a 4-bit ripple counter of D flip-flops, each toggling through its Q-bar. The Q-bar
// lines address a ROM that turns the count into the segments of a 7-segment display; an LED shows
// each bit.
void WriteCounter(const QString& path) {
    TBuilder b;
    b.Text(QStringLiteral("4-bit counter"), 110, 30, 12);
    auto* clock = Labelled(b.Add<TClockDevice>(60, 130), QStringLiteral("Clock"), TLabelPosition::Top);

    auto* rom = b.Add<TMemoryDevice>(0, 0);
    rom->Configure(false, 4, 8);
    rom->Offset(760, 330);
    rom->UpdateVertices();
    // Address bit n is Q-bar of flip-flop n, so the word at an address shows its complement.
    for (int address = 0; address < 16; ++address)
        rom->SetWord(address, QString::fromLatin1(kDigitSegments[~address & 15]).toUInt(nullptr, 2));
    auto* ground = b.Add<TGround>(775, 410);
    b.Wire(rom->Pin(rom->ChipSelectIndex()), {}, ground->Pin(0));

    TGraphicObject* clockSource = clock->Pin(0);
    for (int n = 0; n < 4; ++n) {
        const int x = 170 + 120 * n;
        const int y = 130;
        auto* flipFlop = b.Add<TDFlipFlop>(x, y);
        auto* led =
            Labelled(b.Add<TLEDDevice>(x + 45, y - 30), QStringLiteral("Q%1").arg(n), TLabelPosition::Top);
        b.Wire(flipFlop->Pin(TFlipFlop::kPinQ), {QPoint(x + 45, y - 10)}, led->Pin(0));

        // Q-bar feeds back to D over the top, around the LED, and clocks the next stage.
        // The last stage clocks nothing, so its feedback leaves from the joint to the ROM.
        TSolder* toRom = b.Joint(x + 45, y + 10);
        TSolder* onward = n < 3 ? b.Joint(x + 60, y + 10) : toRom;
        b.Wire(flipFlop->Pin(TFlipFlop::kPinQBar), {}, toRom);
        if (onward != toRom)
            b.Wire(toRom, {}, onward);
        b.Wire(
            onward,
            {QPoint(x + 60, y + 10), QPoint(x + 60, y - 70), QPoint(x - 40, y - 70), QPoint(x - 40, y - 10)},
            flipFlop->Pin(TClockedFlipFlop::kPinData));
        if (n == 0)
            b.Wire(clockSource, {}, flipFlop->Pin(TClockedFlipFlop::kPinClock));
        else
            b.Wire(clockSource, {QPoint(x - 50, y + 10), QPoint(x - 50, y)},
                   flipFlop->Pin(TClockedFlipFlop::kPinClock));
        clockSource = onward;

        // The most significant bit is address pin 0.
        TPin* address = rom->Pin(3 - n);
        b.Wire(toRom, {QPoint(x + 45, address->RoundedCentre().y())}, address);
    }

    // Segment s is data bit 6 - s, so that the lines to the display do not cross.
    auto* display = b.Add<TLEDSegmentDevice>(900, 200);
    for (int s = 0; s < TLEDSegmentDevice::kSegmentCount; ++s) {
        TPin* data = rom->Pin(rom->AddressBits + rom->DataBits - 1 - (6 - s));
        TPin* segment = display->Pin(s);
        b.Wire(data, {QPoint(segment->RoundedCentre().x(), data->RoundedCentre().y())}, segment);
    }
    b.Save(path, QStringLiteral("Counter"));
}

// A full adder: the sum is A xor B xor carry-in, the carry out is A.B + carry-in.(A xor B).
void WriteAdder(const QString& path) {
    TBuilder b;
    b.Text(QStringLiteral("Full adder (click the inputs in interact mode)"), 200, 30, 12);
    auto* a = Labelled(b.Add<TInteractiveInput>(90, 100), QStringLiteral("A"), TLabelPosition::Left);
    auto* bIn = Labelled(b.Add<TInteractiveInput>(90, 160), QStringLiteral("B"), TLabelPosition::Left);
    auto* carryIn =
        Labelled(b.Add<TInteractiveInput>(90, 260), QStringLiteral("Carry in"), TLabelPosition::Left);

    auto* xor1 = b.Add<T2XorGate>(220, 130);
    auto* xor2 = b.Add<T2XorGate>(400, 190);
    auto* and1 = b.Add<T2AndGate>(400, 330);
    auto* and2 = b.Add<T2AndGate>(400, 260);
    auto* orGate = b.Add<T2OrGate>(540, 300);
    auto* sum = Labelled(b.Add<TLEDDevice>(640, 190), QStringLiteral("Sum"), TLabelPosition::Right);
    auto* carryOut =
        Labelled(b.Add<TLEDDevice>(640, 300), QStringLiteral("Carry out"), TLabelPosition::Right);

    TSolder* aJoint = b.Joint(120, 100);
    b.Wire(a->Pin(0), {}, aJoint);
    b.Wire(aJoint, {QPoint(120, 120)}, xor1->Pin(2));
    b.Wire(aJoint, {QPoint(120, 60), QPoint(320, 60), QPoint(320, 320)}, and1->Pin(2));
    TSolder* bJoint = b.Joint(140, 160);
    b.Wire(bIn->Pin(0), {}, bJoint);
    b.Wire(bJoint, {QPoint(140, 140)}, xor1->Pin(1));
    b.Wire(bJoint, {QPoint(140, 340)}, and1->Pin(1));

    TSolder* xJoint = b.Joint(300, 130);
    b.Wire(xor1->Pin(0), {}, xJoint);
    b.Wire(xJoint, {QPoint(300, 180)}, xor2->Pin(2));
    b.Wire(xJoint, {QPoint(290, 130), QPoint(290, 250)}, and2->Pin(2));
    TSolder* cJoint = b.Joint(270, 260);
    b.Wire(carryIn->Pin(0), {}, cJoint);
    b.Wire(cJoint, {QPoint(270, 200)}, xor2->Pin(1));
    b.Wire(cJoint, {QPoint(270, 270)}, and2->Pin(1));

    b.Wire(xor2->Pin(0), {}, sum->Pin(0));
    b.Wire(and2->Pin(0), {QPoint(470, 260), QPoint(470, 290)}, orGate->Pin(2));
    b.Wire(and1->Pin(0), {QPoint(470, 330), QPoint(470, 310)}, orGate->Pin(1));
    b.Wire(orGate->Pin(0), {}, carryOut->Pin(0));
    b.Save(path, QStringLiteral("Adder"));
}

// A clock and three sequence generators, each lighting an LED.
void WriteSequence(const QString& path) {
    TBuilder b;
    b.Text(QStringLiteral("Sequence generators"), 130, 30, 12);
    auto* clock = b.Add<TClockDevice>(100, 80);
    auto* clockLed = Labelled(b.Add<TLEDDevice>(220, 80), QStringLiteral("Clock"), TLabelPosition::Right);
    b.Wire(clock->Pin(0), {}, clockLed->Pin(0));
    const char* const sequences[] = {"10000000", "11001100", "10110010"};
    const uint32_t colours[] = {RGBColour(255, 0, 0), RGBColour(0, 160, 0), RGBColour(0, 0, 255)};
    for (int i = 0; i < 3; ++i) {
        const int y = 140 + 60 * i;
        auto* generator = b.Add<TBitGenerator>(100, y);
        generator->SetSequence(QString::fromLatin1(sequences[i]));
        auto* led =
            Labelled(b.Add<TLEDDevice>(220, y), QString::fromLatin1(sequences[i]), TLabelPosition::Right);
        led->Colour = colours[i];
        b.Wire(generator->Pin(0), {}, led->Pin(0));
    }
    b.Save(path, QStringLiteral("Sequences"));
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    RegisterStreamClasses();
    if (argc != 2) {
        std::fputs("Usage: tessivar-examples OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    try {
        WriteCounter(folder.filePath(QStringLiteral("counter.tvm")));
        WriteAdder(folder.filePath(QStringLiteral("adder.tvm")));
        WriteSequence(folder.filePath(QStringLiteral("sequence.tvm")));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessivar-examples: %s\n", error.what());
        return 1;
    }
    return 0;
}

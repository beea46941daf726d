// Writes the shipped parts library: every part is a macro file with its outline and labelled pins,
// filed in a folder of the library, and a datasheet page of the same name in the datasheets folder.
//
//   tessivar-parts LIBRARY_FOLDER DATASHEET_FOLDER

#include "PartBuilder.h"

#include "devices/InputDevice.h"
#include "devices/MemoryDevice.h"
#include "devices/StreamClasses.h"
#include "model/FlipFlops.h"
#include "model/Gates.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <functional>

namespace {

using enum TPinSide;

// What a datasheet says about a part besides its pins.
struct TPartSheet {
    QString Summary;  // the first paragraph
    QString Function; // HTML: how it works, usually with a table
    QString Example;  // HTML: a short example
};

struct TPart {
    QString Folder;
    QString File; // without extension; also the datasheet's name
    QString Name; // the macro name the parts centre lists
    std::vector<TPinDescription> Pins;
    TPartSheet Sheet;
};

// Segments a to g of the decimal digits, a first.
const char* const kDigitSegments[10] = {"1111110", "0110000", "1101101", "1111001", "0110011",
                                        "1011011", "1011111", "1110000", "1111111", "1111011"};

QString Cell(const QString& text) {
    return QStringLiteral("<td align=\"center\">") + text + QStringLiteral("</td>");
}

// The truth table of a part with few inputs: bit i of a row's number is input i.
QString TruthTable(const std::vector<QString>& inputs, const std::vector<QString>& outputs,
                   const std::function<uint32_t(uint32_t)>& function) {
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<tr>");
    for (auto it = inputs.rbegin(); it != inputs.rend(); ++it)
        html += QStringLiteral("<th>") + *it + QStringLiteral("</th>");
    for (const QString& output : outputs)
        html += QStringLiteral("<th>") + output + QStringLiteral("</th>");
    html += QStringLiteral("</tr>\n");
    for (uint32_t row = 0; row < (1u << inputs.size()); ++row) {
        html += QStringLiteral("<tr>");
        for (size_t i = inputs.size(); i-- > 0;)
            html += Cell(QString::number((row >> i) & 1));
        const uint32_t result = function(row);
        for (size_t o = 0; o < outputs.size(); ++o)
            html += Cell(QString::number((result >> o) & 1));
        html += QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</table>\n");
}

QString Datasheet(const TPart& part) {
    QString pins = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n"
                                  "<tr><th>Pin</th><th>Name</th><th>Direction</th><th>Function</th></tr>\n");
    for (size_t i = 0; i < part.Pins.size(); ++i) {
        const TPinDescription& pin = part.Pins[i];
        pins += QStringLiteral("<tr>") + Cell(QString::number(i)) +
                Cell(QStringLiteral("<b>") + pin.Name + "</b>") +
                Cell(pin.Side == Input ? QStringLiteral("input") : QStringLiteral("output")) +
                QStringLiteral("<td>") + pin.Function + QStringLiteral("</td></tr>\n");
    }
    pins += QStringLiteral("</table>\n");
    return QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n"
                          "</head>\n<body>\n<h1>%1</h1>\n<p>%2</p>\n<h2>Pins</h2>\n"
                          "<p>Inputs are on the left of the part, outputs on the right; the pin numbers are "
                          "those the part's terminals show inside it.</p>\n%3<h2>Function</h2>\n%4"
                          "<h2>Example</h2>\n%5<h2>Using the part</h2>\n"
                          "<p>Drag <b>%1</b> from the <b>%6</b> folder of the <b>Parts Centre</b> onto your "
                          "circuit and wire its pins. An input left open reads low. Double-click the part "
                          "in the parts centre, or choose <b>Edit Macro</b>, to open its circuit; a copy "
                          "changed and saved under the same name replaces the shipped one in your parts "
                          "centre.</p>\n</body>\n</html>\n")
        .arg(part.Name, part.Sheet.Summary, pins, part.Sheet.Function, part.Sheet.Example, part.Folder);
}

// ---------------------------------------------------------------------------------------------------
// The parts. Each builder places the inner circuit; the outline follows from the pin list.

QByteArray BuildHalfAdder(const TPart& part) {
    TPartBuilder b(part.Pins);
    b.Terminal("A", 0, 0);
    b.Terminal("B", 0, 40);
    auto* sum = b.Add<T2XorGate>(130, 10);
    auto* carry = b.Add<T2AndGate>(130, 70);
    b.Net(b.TerminalPin("A"), {sum->Pin(2), carry->Pin(2)}, 40);
    b.Net(b.TerminalPin("B"), {sum->Pin(1), carry->Pin(1)}, 70);
    b.Terminal("S", 230, 10);
    b.Terminal("C", 230, 70);
    b.Net(sum->Pin(0), {b.TerminalPin("S")}, 200);
    b.Net(carry->Pin(0), {b.TerminalPin("C")}, 200);
    return b.Finish(part.Name, QStringLiteral("HA"), 60, part.File + ".htm");
}

QByteArray BuildFullAdder(const TPart& part) {
    TPartBuilder b(part.Pins);
    b.Terminal("A", 0, 0);
    b.Terminal("B", 0, 40);
    b.Terminal("Cin", 0, 150);
    auto* half = b.Add<T2XorGate>(130, 10);
    auto* both = b.Add<T2AndGate>(130, 70);
    auto* sum = b.Add<T2XorGate>(280, 130);
    auto* carried = b.Add<T2AndGate>(280, 190);
    auto* carry = b.Add<T2OrGate>(420, 100);
    b.Net(b.TerminalPin("A"), {half->Pin(2), both->Pin(2)}, 40);
    b.Net(b.TerminalPin("B"), {half->Pin(1), both->Pin(1)}, 70);
    b.Net(half->Pin(0), {sum->Pin(2), carried->Pin(2)}, 200);
    b.Net(b.TerminalPin("Cin"), {sum->Pin(1), carried->Pin(1)}, 220);
    b.Net(both->Pin(0), {carry->Pin(2)}, 360);
    b.Net(carried->Pin(0), {carry->Pin(1)}, 370);
    b.Terminal("S", 520, 130);
    b.Terminal("Cout", 520, 100);
    b.Net(sum->Pin(0), {b.TerminalPin("S")}, 480);
    b.Net(carry->Pin(0), {b.TerminalPin("Cout")}, 480);
    return b.Finish(part.Name, QStringLiteral("FA"), 60, part.File + ".htm");
}

// Four full adders in a column, the carry rippling down from Cin to Cout.
QByteArray BuildRippleAdder(const TPart& part, const QByteArray& fullAdder) {
    TPartBuilder b(part.Pins);
    TMacro* stages[4];
    for (int i = 0; i < 4; ++i) {
        stages[i] = b.Nested(fullAdder, 300, 60 + 130 * i);
        b.Terminal(QStringLiteral("A%1").arg(i), 0, 40 + 130 * i);
        b.Terminal(QStringLiteral("B%1").arg(i), 0, 80 + 130 * i);
        b.Net(b.TerminalPin(QStringLiteral("A%1").arg(i)), {stages[i]->Pin(0)}, 120 + 10 * i);
        b.Net(b.TerminalPin(QStringLiteral("B%1").arg(i)), {stages[i]->Pin(1)}, 170 + 10 * i);
        b.Terminal(QStringLiteral("S%1").arg(i), 520, stages[i]->Pin(3)->RoundedCentre().y());
        b.Net(stages[i]->Pin(3), {b.TerminalPin(QStringLiteral("S%1").arg(i))}, 450);
    }
    b.Terminal("Cin", 0, 10);
    b.Net(b.TerminalPin("Cin"), {stages[0]->Pin(2)}, 220);
    for (int i = 0; i < 3; ++i) {
        const QPoint out = stages[i]->Pin(4)->RoundedCentre();
        const QPoint in = stages[i + 1]->Pin(2)->RoundedCentre();
        b.Wire(stages[i]->Pin(4),
               {QPoint(out.x() + 20, out.y()), QPoint(out.x() + 20, out.y() + 60),
                QPoint(in.x() - 20, out.y() + 60), QPoint(in.x() - 20, in.y())},
               stages[i + 1]->Pin(2));
    }
    b.Terminal("Cout", 520, 600);
    b.Net(stages[3]->Pin(4), {b.TerminalPin("Cout")}, 420);
    return b.Finish(part.Name, QStringLiteral("ADD4"), 70, part.File + ".htm");
}

QByteArray BuildDecoder(const TPart& part) {
    TPartBuilder b(part.Pins);
    b.Terminal("A0", 0, 0);
    b.Terminal("A1", 0, 30);
    b.Terminal("EN", 0, 330);
    auto* notA0 = b.Add<TNotGate>(100, 0);
    auto* notA1 = b.Add<TNotGate>(100, 30);
    std::vector<TGraphicObject*> a0, lowA0, a1, lowA1, enable;
    for (int k = 0; k < 4; ++k) {
        auto* gate = b.Add<T3AndGate>(300, 80 + 60 * k);
        enable.push_back(gate->Pin(1));
        ((k & 2) ? a1 : lowA1).push_back(gate->Pin(2));
        ((k & 1) ? a0 : lowA0).push_back(gate->Pin(3));
        const QString name = QStringLiteral("Y%1").arg(k);
        b.Terminal(name, 420, 80 + 60 * k);
        b.Net(gate->Pin(0), {b.TerminalPin(name)}, 380);
    }
    a0.push_back(notA0->Pin(1));
    a1.push_back(notA1->Pin(1));
    b.Net(b.TerminalPin("A0"), a0, 40);
    b.Net(b.TerminalPin("A1"), a1, 60);
    b.Net(notA0->Pin(0), lowA0, 160);
    b.Net(notA1->Pin(0), lowA1, 180);
    b.Net(b.TerminalPin("EN"), enable, 220);
    return b.Finish(part.Name, QStringLiteral("DEC 2:4"), 70, part.File + ".htm");
}

QByteArray BuildMultiplexer(const TPart& part) {
    TPartBuilder b(part.Pins);
    b.Terminal("S0", 0, 0);
    b.Terminal("S1", 0, 30);
    auto* notS0 = b.Add<TNotGate>(100, 0);
    auto* notS1 = b.Add<TNotGate>(100, 30);
    auto* any = b.Add<T4OrGate>(440, 190);
    std::vector<TGraphicObject*> s0, lowS0, s1, lowS1;
    for (int k = 0; k < 4; ++k) {
        const int y = 100 + 60 * k;
        auto* gate = b.Add<T3AndGate>(300, y);
        const QString name = QStringLiteral("D%1").arg(k);
        b.Terminal(name, 0, y + 10);
        b.Net(b.TerminalPin(name), {gate->Pin(1)}, 250);
        ((k & 2) ? s1 : lowS1).push_back(gate->Pin(2));
        ((k & 1) ? s0 : lowS0).push_back(gate->Pin(3));
        b.Net(gate->Pin(0), {any->Pin(4 - k)}, 345 + 10 * k);
    }
    s0.push_back(notS0->Pin(1));
    s1.push_back(notS1->Pin(1));
    b.Net(b.TerminalPin("S0"), s0, 40);
    b.Net(b.TerminalPin("S1"), s1, 60);
    b.Net(notS0->Pin(0), lowS0, 160);
    b.Net(notS1->Pin(0), lowS1, 180);
    b.Terminal("Y", 540, 190);
    b.Net(any->Pin(0), {b.TerminalPin("Y")}, 500);
    return b.Finish(part.Name, QStringLiteral("MUX 4:1"), 70, part.File + ".htm");
}

// A bit keeps its Q while LOAD is low and takes D on the clock's rising edge while LOAD is high.
QByteArray BuildRegister(const TPart& part) {
    TPartBuilder b(part.Pins);
    b.Terminal("LOAD", 0, 520);
    b.Terminal("CLK", 0, 560);
    b.Terminal("CLR", 0, 600);
    auto* hold = b.Add<TNotGate>(100, 520);
    std::vector<TGraphicObject*> load, keep, clocks, clears;
    load.push_back(hold->Pin(1));
    for (int k = 0; k < 4; ++k) {
        const int y = 60 + 120 * k;
        auto* take = b.Add<T2AndGate>(200, y - 20);
        auto* stay = b.Add<T2AndGate>(200, y + 40);
        auto* next = b.Add<T2OrGate>(300, y);
        auto* bit = b.Add<TDFlipFlop>(420, y + 10);
        const QString d = QStringLiteral("D%1").arg(k);
        const QString q = QStringLiteral("Q%1").arg(k);
        b.Terminal(d, 0, y - 10);
        b.Net(b.TerminalPin(d), {take->Pin(1)}, 100);
        load.push_back(take->Pin(2));
        keep.push_back(stay->Pin(2));
        b.Net(take->Pin(0), {next->Pin(2)}, 250);
        b.Net(stay->Pin(0), {next->Pin(1)}, 250);
        b.Net(next->Pin(0), {bit->Pin(TClockedFlipFlop::kPinData)}, 350);
        clocks.push_back(bit->Pin(TClockedFlipFlop::kPinClock));
        clears.push_back(bit->Pin(TClockedFlipFlop::kPinClear));
        b.Terminal(q, 560, y);
        b.Net(bit->Pin(TFlipFlop::kPinQ), {b.TerminalPin(q), stay->Pin(1)}, 500, 20);
    }
    b.Net(b.TerminalPin("LOAD"), load, 40);
    b.Net(hold->Pin(0), keep, 140);
    b.Net(b.TerminalPin("CLK"), clocks, 370);
    b.Net(b.TerminalPin("CLR"), clears, 380);
    return b.Finish(part.Name, QStringLiteral("REG4"), 70, part.File + ".htm");
}

// A synchronous counter: bit k toggles on a rising clock edge when EN and every lower bit are high.
QByteArray BuildCounter(const TPart& part) {
    TPartBuilder b(part.Pins);
    b.Terminal("EN", 0, 30);
    b.Terminal("CLK", 0, 470);
    b.Terminal("CLR", 0, 510);
    std::vector<TGraphicObject*> clocks, clears;
    TGraphicObject* toggle = b.TerminalPin("EN");
    int toggleTrunk = 60;
    for (int k = 0; k < 4; ++k) {
        const int y = 40 + 100 * k;
        auto* flip = b.Add<T2XorGate>(220, y);
        auto* bit = b.Add<TDFlipFlop>(330, y + 10);
        // Carries the toggle condition on to the next bit (or to CO after the last).
        auto* onward = b.Add<T2AndGate>(k < 3 ? 120 : 480, k < 3 ? y + 110 : y + 60);
        b.Net(toggle, {flip->Pin(1), onward->Pin(2)}, toggleTrunk);
        b.Net(flip->Pin(0), {bit->Pin(TClockedFlipFlop::kPinData)}, 270);
        clocks.push_back(bit->Pin(TClockedFlipFlop::kPinClock));
        clears.push_back(bit->Pin(TClockedFlipFlop::kPinClear));
        const QString q = QStringLiteral("Q%1").arg(k);
        b.Terminal(q, 560, y);
        b.Net(bit->Pin(TFlipFlop::kPinQ), {b.TerminalPin(q), flip->Pin(2), onward->Pin(1)}, 440, -20);
        toggle = onward->Pin(0);
        toggleTrunk = 160;
        if (k == 3) {
            b.Terminal("CO", 560, y + 60);
            b.Net(onward->Pin(0), {b.TerminalPin("CO")}, 530);
        }
    }
    b.Net(b.TerminalPin("CLK"), clocks, 280);
    b.Net(b.TerminalPin("CLR"), clears, 290);
    return b.Finish(part.Name, QStringLiteral("CTR4"), 70, part.File + ".htm");
}

QByteArray BuildShiftRegister(const TPart& part) {
    TPartBuilder b(part.Pins);
    b.Terminal("SI", 0, 50);
    b.Terminal("CLK", 0, 200);
    b.Terminal("CLR", 0, 240);
    std::vector<TGraphicObject*> clocks, clears;
    TGraphicObject* previous = b.TerminalPin("SI");
    for (int k = 0; k < 4; ++k) {
        const int x = 140 + 130 * k;
        auto* bit = b.Add<TDFlipFlop>(x, 60);
        clocks.push_back(bit->Pin(TClockedFlipFlop::kPinClock));
        clears.push_back(bit->Pin(TClockedFlipFlop::kPinClear));
        const QString q = QStringLiteral("Q%1").arg(k);
        b.Terminal(q, x + 70, 130);
        if (k == 0)
            b.Net(previous, {bit->Pin(TClockedFlipFlop::kPinData)}, 60);
        else
            b.Net(previous,
                  {bit->Pin(TClockedFlipFlop::kPinData), b.TerminalPin(QStringLiteral("Q%1").arg(k - 1))},
                  x - 80);
        previous = bit->Pin(TFlipFlop::kPinQ);
    }
    b.Net(previous, {b.TerminalPin("Q3")}, 620);
    b.Net(b.TerminalPin("CLK"), clocks, 80, 0);
    b.Net(b.TerminalPin("CLR"), clears, 90, 0);
    return b.Finish(part.Name, QStringLiteral("SHIFT4"), 70, part.File + ".htm");
}

// A ROM holds the segments of each digit; codes 10 to 15 leave the display dark.
QByteArray BuildSevenSegmentDecoder(const TPart& part) {
    TPartBuilder b(part.Pins);
    auto* rom = b.Add<TMemoryDevice>(0, 0);
    rom->Configure(false, 4, 8);
    rom->Offset(250, 150);
    rom->UpdateVertices();
    // Segment a is bit 6 of a word and g bit 0; bit 7 is not used.
    for (int digit = 0; digit < 10; ++digit)
        rom->SetWord(digit, QString::fromLatin1(kDigitSegments[digit]).toUInt(nullptr, 2));
    auto* ground = b.Add<TGround>(0, 0);
    const QPoint select = rom->Pin(rom->ChipSelectIndex())->RoundedCentre();
    ground->Offset(static_cast<float>(select.x()), static_cast<float>(select.y() + 40));
    ground->UpdateVertices();
    b.Wire(rom->Pin(rom->ChipSelectIndex()), {}, ground->Pin(0));
    for (int i = 0; i < 4; ++i) {
        // Address pin 0 is the most significant bit.
        TPin* address = rom->Pin(3 - i);
        const QString name = QStringLiteral("D%1").arg(i);
        b.Terminal(name, 0, address->RoundedCentre().y());
        b.Net(b.TerminalPin(name), {address}, 100);
    }
    const char* const segments[7] = {"a", "b", "c", "d", "e", "f", "g"};
    for (int s = 0; s < 7; ++s) {
        // Data bit 6 - s is the pin AddressBits + 1 + s.
        TPin* data = rom->Pin(rom->AddressBits + 1 + s);
        b.Terminal(QString::fromLatin1(segments[s]), 500, data->RoundedCentre().y());
        b.Net(data, {b.TerminalPin(QString::fromLatin1(segments[s]))}, 450);
    }
    return b.Finish(part.Name, QStringLiteral("BCD 7SEG"), 80, part.File + ".htm");
}

// Four slices: B passes an XOR with S0 into a full adder, and a 4-to-1 multiplexer picks the sum
// (S1 low) or A AND B, A OR B (S1 high).
QByteArray BuildAlu(const TPart& part, const QByteArray& fullAdder, const QByteArray& multiplexer) {
    TPartBuilder b(part.Pins);
    b.Terminal("S0", 0, 0);
    b.Terminal("S1", 0, 40);
    b.Terminal("Cin", 0, 80);
    auto* arithmetic = b.Add<TNotGate>(620, 900);
    std::vector<TGraphicObject*> s0, s1{arithmetic->Pin(1)}, zero;
    auto* anyHigh = b.Add<T4NorGate>(760, 860);
    TGraphicObject* carry = b.TerminalPin("Cin");
    for (int i = 0; i < 4; ++i) {
        const int y = 160 + 180 * i;
        const QString a = QStringLiteral("A%1").arg(i);
        const QString bName = QStringLiteral("B%1").arg(i);
        b.Terminal(a, 0, y);
        b.Terminal(bName, 0, y + 50);
        auto* invert = b.Add<T2XorGate>(160, y + 40);
        auto* both = b.Add<T2AndGate>(300, y + 100);
        auto* either = b.Add<T2OrGate>(300, y + 150);
        TMacro* adder = b.Nested(fullAdder, 330, y + 20);
        TMacro* select = b.Nested(multiplexer, 520, y + 60);
        b.Net(b.TerminalPin(a), {adder->Pin(0), both->Pin(2), either->Pin(2)}, 60 + 6 * i);
        b.Net(b.TerminalPin(bName), {invert->Pin(1), both->Pin(1), either->Pin(1)}, 90 + 6 * i);
        s0.push_back(invert->Pin(2));
        b.Net(invert->Pin(0), {adder->Pin(1)}, 230);
        b.Net(carry, {adder->Pin(2)}, i == 0 ? 40 : 250);
        b.Net(adder->Pin(3), {select->Pin(0), select->Pin(1)}, 430);
        b.Net(both->Pin(0), {select->Pin(2)}, 440);
        b.Net(either->Pin(0), {select->Pin(3)}, 450);
        s0.push_back(select->Pin(4));
        s1.push_back(select->Pin(5));
        const QString f = QStringLiteral("F%1").arg(i);
        b.Terminal(f, 860, select->Pin(6)->RoundedCentre().y());
        b.Net(select->Pin(6), {b.TerminalPin(f), anyHigh->Pin(4 - i)}, 640 + 10 * i);
        carry = adder->Pin(4);
    }
    b.Net(b.TerminalPin("S0"), s0, 20);
    b.Net(b.TerminalPin("S1"), s1, 30);
    auto* carryOut = b.Add<T2AndGate>(760, 940);
    b.Net(arithmetic->Pin(0), {carryOut->Pin(2)}, 700);
    b.Net(carry, {carryOut->Pin(1)}, 710);
    b.Terminal("Cout", 860, 940);
    b.Net(carryOut->Pin(0), {b.TerminalPin("Cout")}, 820);
    b.Terminal("Z", 860, 860);
    b.Net(anyHigh->Pin(0), {b.TerminalPin("Z")}, 820);
    return b.Finish(part.Name, QStringLiteral("ALU4"), 80, part.File + ".htm");
}

// ---------------------------------------------------------------------------------------------------

std::vector<TPinDescription> Bus(const QString& prefix, TPinSide side, const QString& function) {
    std::vector<TPinDescription> pins;
    for (int i = 0; i < 4; ++i)
        pins.push_back({prefix + QString::number(i), side,
                        function.arg(i) + (i == 0 ? QStringLiteral(" (least significant)") : QString())});
    return pins;
}

std::vector<TPinDescription> Join(std::initializer_list<std::vector<TPinDescription>> groups) {
    std::vector<TPinDescription> pins;
    for (const auto& group : groups)
        pins.insert(pins.end(), group.begin(), group.end());
    return pins;
}

const QString kArithmetic = QStringLiteral("Arithmetic");
const QString kSelectors = QStringLiteral("Decoders and Selectors");
const QString kRegisters = QStringLiteral("Registers and Counters");

TPart HalfAdder() {
    return {
        kArithmetic,
        "halfadder",
        "Half Adder",
        {{"A", Input, "first bit"},
         {"B", Input, "second bit"},
         {"S", Output, "sum, A XOR B"},
         {"C", Output, "carry, A AND B"}},
        {"Adds two bits: S is their sum bit and C the carry into the next column.",
         TruthTable({"A", "B"}, {"S", "C"},
                    [](uint32_t in) { return ((in & 1) ^ (in >> 1)) | ((in & (in >> 1)) << 1); }),
         "<p>With A and B both high, S is low and C high: 1 + 1 = 10 in binary. Two half adders and an OR "
         "gate make a <b>Full Adder</b>.</p>"}};
}

TPart FullAdder() {
    return {kArithmetic,
            "fulladder",
            "Full Adder",
            {{"A", Input, "first bit"},
             {"B", Input, "second bit"},
             {"Cin", Input, "carry in from the column below"},
             {"S", Output, "sum bit"},
             {"Cout", Output, "carry out to the column above"}},
            {"Adds two bits and a carry: S + 2 &times; Cout = A + B + Cin.",
             TruthTable({"A", "B", "Cin"}, {"S", "Cout"},
                        [](uint32_t in) {
                            const uint32_t total = (in & 1) + ((in >> 1) & 1) + ((in >> 2) & 1);
                            return (total & 1) | ((total >> 1) << 1);
                        }),
             "<p>A = 1, B = 1 and Cin = 1 give S = 1 and Cout = 1: three ones make 11 in binary. Chain full "
             "adders, each Cout to the next Cin, to add numbers of any width; the <b>4-Bit Ripple Adder</b> "
             "does that for four bits.</p>"}};
}

TPart RippleAdder() {
    return {
        kArithmetic,
        "adder4",
        "4-Bit Ripple Adder",
        Join({Bus("A", Input, "bit %1 of the first number"),
              Bus("B", Input, "bit %1 of the second number"),
              {{"Cin", Input, "carry in"}},
              Bus("S", Output, "bit %1 of the sum"),
              {{"Cout", Output, "carry out: the sum's fifth bit"}}}),
        {"Adds two 4-bit numbers and a carry in: S + 16 &times; Cout = A + B + Cin. Inside, four full "
         "adders pass the carry from bit 0 up to bit 3.",
         "<p>Bit 0 is the least significant bit of each number. The sum settles within one simulation step "
         "however the carry ripples.</p>\n<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n"
         "<tr><th>A</th><th>B</th><th>Cin</th><th>S</th><th>Cout</th></tr>\n"
         "<tr><td>0101 (5)</td><td>0011 (3)</td><td>0</td><td>1000 (8)</td><td>0</td></tr>\n"
         "<tr><td>1111 (15)</td><td>0001 (1)</td><td>0</td><td>0000 (0)</td><td>1</td></tr>\n"
         "<tr><td>1001 (9)</td><td>0110 (6)</td><td>1</td><td>0000 (0)</td><td>1</td></tr>\n</table>\n",
         "<p>To add 5 and 3, set A0 and A2 high (5 = 0101) and B0 and B1 high (3 = 0011), Cin low: S3 lights "
         "alone (8 = 1000). For numbers wider than four bits, wire Cout of one adder to Cin of the "
         "next.</p>"}};
}

TPart Decoder() {
    return {
        kSelectors,
        "decoder2to4",
        "2-to-4 Decoder",
        {{"A0", Input, "address bit 0 (least significant)"},
         {"A1", Input, "address bit 1"},
         {"EN", Input, "enable: all outputs stay low while EN is low"},
         {"Y0", Output, "high for address 0"},
         {"Y1", Output, "high for address 1"},
         {"Y2", Output, "high for address 2"},
         {"Y3", Output, "high for address 3"}},
        {"Turns a 2-bit address into one of four lines: while EN is high, the output numbered by A1 A0 is "
         "high and the other three are low.",
         TruthTable({"A0", "A1", "EN"}, {"Y0", "Y1", "Y2", "Y3"},
                    [](uint32_t in) { return (in & 4) ? 1u << (in & 3) : 0u; }),
         "<p>With EN high, A1 high and A0 low, only Y2 is high. Use the outputs as chip selects of four "
         "memories; a memory's chip select is active low, so put an inverter in each line.</p>"}};
}

TPart Multiplexer() {
    return {
        kSelectors,
        "mux4to1",
        "4-to-1 Multiplexer",
        Join({Bus("D", Input, "data input %1"),
              {{"S0", Input, "select bit 0 (least significant)"},
               {"S1", Input, "select bit 1"},
               {"Y", Output, "the selected data input"}}}),
        {"Passes one of four data inputs to its output: Y follows the input numbered by S1 S0.",
         "<table border=\"1\" cellspacing=\"0\" "
         "cellpadding=\"3\">\n<tr><th>S1</th><th>S0</th><th>Y</th></tr>\n"
         "<tr><td align=\"center\">0</td><td align=\"center\">0</td><td align=\"center\">D0</td></tr>\n"
         "<tr><td align=\"center\">0</td><td align=\"center\">1</td><td align=\"center\">D1</td></tr>\n"
         "<tr><td align=\"center\">1</td><td align=\"center\">0</td><td align=\"center\">D2</td></tr>\n"
         "<tr><td align=\"center\">1</td><td align=\"center\">1</td><td "
         "align=\"center\">D3</td></tr>\n</table>\n",
         "<p>Wire four sequence generators to D0 to D3 and two switches to S0 and S1: the LED on Y shows the "
         "pattern of the generator the switches select.</p>"}};
}

TPart Register() {
    return {
        kRegisters,
        "register4",
        "4-Bit Register",
        Join({Bus("D", Input, "data bit %1"),
              {{"LOAD", Input, "high: the next rising clock edge stores D0 to D3"},
               {"CLK", Input, "clock; the register changes when it rises"},
               {"CLR", Input, "clear: high empties the register at once"}},
              Bus("Q", Output, "stored bit %1")}),
        {"Stores four bits. On each rising edge of CLK it takes D0 to D3 while LOAD is high and keeps what "
         "it holds while LOAD is low. CLR high clears it to 0000 at once, whatever the clock does.",
         "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n"
         "<tr><th>CLR</th><th>LOAD</th><th>CLK</th><th>Q after</th></tr>\n"
         "<tr><td align=\"center\">1</td><td align=\"center\">x</td><td "
         "align=\"center\">x</td><td>0000</td></tr>\n"
         "<tr><td align=\"center\">0</td><td align=\"center\">1</td><td align=\"center\">rises</td><td>D3 D2 "
         "D1 D0</td></tr>\n"
         "<tr><td align=\"center\">0</td><td align=\"center\">0</td><td "
         "align=\"center\">rises</td><td>unchanged</td></tr>\n"
         "</table>\n<p>A clock rises on every second simulation step; the register starts at 0000 after a "
         "reset.</p>\n",
         "<p>Put 1010 on D3 to D0, hold LOAD high for one clock cycle and take it low again: Q3 to Q0 keep "
         "showing 1010 whatever D does next.</p>"}};
}

TPart Counter() {
    return {
        kRegisters,
        "counter4",
        "4-Bit Binary Counter",
        Join({{{"EN", Input, "enable: the counter counts while EN is high"},
               {"CLK", Input, "clock; the count moves on when it rises"},
               {"CLR", Input, "clear: high sets the count to 0 at once"}},
              Bus("Q", Output, "bit %1 of the count"),
              {{"CO", Output, "carry out: high while EN is high and the count is 15"}}}),
        {"Counts rising clock edges from 0 to 15 and round again while EN is high; with EN low it holds its "
         "count. All four bits change together on the clock edge (a synchronous counter).",
         "<p>The count is Q3 Q2 Q1 Q0 in binary. CO is high during the last count (15) while EN is high, so "
         "wiring CO to EN of a second counter clocked by the same clock counts to 255.</p>\n",
         "<p>Wire a clock to CLK, a switch set high to EN and LEDs to Q0 to Q3: the LEDs count in binary, "
         "one "
         "count for every two simulation steps. Take CLR high to start again from 0.</p>"}};
}

TPart ShiftRegister() {
    return {
        kRegisters,
        "shift4",
        "4-Bit Shift Register",
        Join({{{"SI", Input, "serial in: the bit shifted into Q0"},
               {"CLK", Input, "clock; the bits move on when it rises"},
               {"CLR", Input, "clear: high empties the register at once"}},
              Bus("Q", Output, "stage %1")}),
        {"Moves its bits one stage along on every rising clock edge: Q0 takes SI, Q1 takes the old Q0, Q2 "
         "the old Q1 and Q3 the old Q2. Q3 is the serial output.",
         "<p>A bit put on SI appears on Q0 after one clock edge and on Q3 after four. CLR high clears every "
         "stage at once.</p>\n",
         "<p>Wire a sequence generator playing 1000 to SI and a clock to CLK: the single high bit walks "
         "from Q0 to Q3.</p>"}};
}

TPart SevenSegmentDecoder() {
    std::vector<TPinDescription> pins = Bus("D", Input, "BCD input bit %1");
    const char* const names[7] = {"a", "b", "c", "d", "e", "f", "g"};
    const char* const places[7] = {"top",         "top right", "bottom right", "bottom",
                                   "bottom left", "top left",  "middle"};
    for (int s = 0; s < 7; ++s)
        pins.push_back({QString::fromLatin1(names[s]), Output,
                        QStringLiteral("segment %1 (%2)")
                            .arg(QString::fromLatin1(names[s]), QString::fromLatin1(places[s]))});
    return {
        kSelectors,
        "bcd7seg",
        "BCD-to-7-Segment Decoder",
        pins,
        {"Lights the segments of a 7-segment display for the decimal digit on its BCD inputs D3 D2 D1 D0. "
         "The codes 10 to 15 are not digits and leave every segment dark.",
         TruthTable({"D0", "D1", "D2", "D3"}, {"a", "b", "c", "d", "e", "f", "g"},
                    [](uint32_t in) {
                        uint32_t out = 0;
                        if (in >= 10)
                            return out;
                        const char* segments = kDigitSegments[in];
                        for (int s = 0; s < 7; ++s)
                            out |= (segments[s] == '1' ? 1u : 0u) << s;
                        return out;
                    }),
         "<p>Wire a to g to the segment inputs a to g of a 7-segment display and the outputs of a "
         "<b>4-Bit Binary Counter</b> to D0 to D3: the display shows 0 to 9 and stays dark for the counts "
         "10 to 15.</p>"}};
}

TPart Alu() {
    return {
        kArithmetic,
        "alu4",
        "4-Bit ALU",
        Join({Bus("A", Input, "bit %1 of operand A"),
              Bus("B", Input, "bit %1 of operand B"),
              {{"S0", Input, "operation select bit 0"},
               {"S1", Input, "operation select bit 1"},
               {"Cin", Input, "carry in of the arithmetic operations"}},
              Bus("F", Output, "bit %1 of the result"),
              {{"Cout", Output, "carry out of the arithmetic operations; low for the logic ones"},
               {"Z", Output, "zero: high when F is 0000"}}}),
        {"A 4-bit arithmetic and logic unit: S1 and S0 choose whether F is the sum or difference of A and B "
         "or their bitwise AND or OR.",
         "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n"
         "<tr><th>S1</th><th>S0</th><th>F</th><th>Cout</th></tr>\n"
         "<tr><td align=\"center\">0</td><td align=\"center\">0</td><td>A + B + Cin</td><td>carry of the "
         "sum</td></tr>\n"
         "<tr><td align=\"center\">0</td><td align=\"center\">1</td><td>A + (NOT B) + Cin: with Cin high, A "
         "- B</td>"
         "<td>high when no borrow was needed (A &ge; B with Cin high)</td></tr>\n"
         "<tr><td align=\"center\">1</td><td align=\"center\">0</td><td>A AND B</td><td>0</td></tr>\n"
         "<tr><td align=\"center\">1</td><td align=\"center\">1</td><td>A OR "
         "B</td><td>0</td></tr>\n</table>\n"
         "<p>Results are taken modulo 16. Z is high whenever F is 0000, for every operation.</p>\n",
         "<p>To subtract 3 from 7: A = 0111, B = 0011, S1 low, S0 high and Cin high give F = 0100 (4) and "
         "Cout high. The same inputs with S1 and S0 high give A OR B = 0111.</p>"}};
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error(("cannot write " + path + ": " + file.errorString()).toStdString());
}

void Ship(const QDir& library, const QDir& datasheets, const TPart& part, const QByteArray& bytes) {
    if (!library.mkpath(part.Folder))
        throw std::runtime_error(("cannot create " + library.filePath(part.Folder)).toStdString());
    WriteFile(library.filePath(part.Folder + "/" + part.File + ".tvm"), bytes);
    WriteFile(datasheets.filePath(part.File + ".htm"), Datasheet(part).toUtf8());
}

} // namespace

int main(int argc, char* argv[]) {
    // Text is measured with real fonts, but no window is ever shown.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    RegisterStreamClasses();
    if (argc != 3) {
        std::fputs("Usage: tessivar-parts LIBRARY_FOLDER DATASHEET_FOLDER\n", stderr);
        return 2;
    }
    const QDir library(QString::fromLocal8Bit(argv[1]));
    const QDir datasheets(QString::fromLocal8Bit(argv[2]));
    try {
        if (!library.mkpath(".") || !datasheets.mkpath("."))
            throw std::runtime_error("cannot create the output folders");
        const TPart fullAdder = FullAdder();
        const TPart multiplexer = Multiplexer();
        const QByteArray fullAdderBytes = BuildFullAdder(fullAdder);
        const QByteArray multiplexerBytes = BuildMultiplexer(multiplexer);
        Ship(library, datasheets, HalfAdder(), BuildHalfAdder(HalfAdder()));
        Ship(library, datasheets, fullAdder, fullAdderBytes);
        Ship(library, datasheets, RippleAdder(), BuildRippleAdder(RippleAdder(), fullAdderBytes));
        Ship(library, datasheets, Alu(), BuildAlu(Alu(), fullAdderBytes, multiplexerBytes));
        Ship(library, datasheets, Decoder(), BuildDecoder(Decoder()));
        Ship(library, datasheets, multiplexer, multiplexerBytes);
        Ship(library, datasheets, SevenSegmentDecoder(), BuildSevenSegmentDecoder(SevenSegmentDecoder()));
        Ship(library, datasheets, Register(), BuildRegister(Register()));
        Ship(library, datasheets, Counter(), BuildCounter(Counter()));
        Ship(library, datasheets, ShiftRegister(), BuildShiftRegister(ShiftRegister()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessivar-parts: %s\n", error.what());
        return 1;
    }
    return 0;
}

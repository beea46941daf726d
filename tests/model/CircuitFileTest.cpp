#include "TestCircuit.h"
#include "TestSupport.h"

#include "model/Gates.h"
#include "model/TagDevice.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::Bytes;

namespace {

// A small circuit with a nested macro part, wires, a joint and a label.
std::unique_ptr<TMacro> SampleCircuit() {
    TTestCircuit circuit;
    auto* source = circuit.Add<TNotGate>(-100, 0);
    auto* a = circuit.Add<T2AndGate>(0, 0);
    auto* b = circuit.Add<T4NorGate>(0, 100);
    circuit.Joint({source->Pin(0), a->Pin(1), b->Pin(4)});
    auto* part = new TMacro;
    part->Nested = true;
    TTestCircuit inside(part);
    inside.Add<T2XorGate>(10, 10);
    inside.Add<TTagDevice>(-40, 10);
    part->Offset(300, 0);
    part->UpdateVertices();
    circuit.Root->AddObject(part);
    auto* rotated = circuit.Add<TTriState>(100, 200);
    rotated->Rotate(90);
    rotated->UpdateVertices();
    circuit.Root->Datasheet = "sheet.pdf";
    return circuit.Release();
}

} // namespace

TEST(CircuitFile, WritesTheEnvelopeAndRoundTripsByteForByte) {
    auto circuit = SampleCircuit();
    const QByteArray bytes = WriteCircuitBytes(circuit.get(), "adder");
    EXPECT_EQ(bytes.left(5), Bytes({0x04, 0xDD, 0xC4, 0x22, 0x00}));
    // Descriptors 100, 101, 102, 202, 200 in that order.
    const QByteArray descriptors = Bytes({0x01, 0x02, 0x01, 0x02, 0x64, 0x06, 0x05}) + "adder" +
                                   Bytes({0x02, 0x01, 0x02, 0x65, 0x06, 0x09}) + "sheet.pdf" +
                                   Bytes({0x02, 0x01, 0x02, 0x66, 0x06, 0x00, 0x02, 0x02, 0x03, 0xCA, 0x00,
                                          0x02, 0x00, 0x02, 0x02, 0x03, 0xC8, 0x00, 0x02, 0x01, 0x00});
    EXPECT_EQ(bytes.mid(5, descriptors.size()), descriptors);
    // The root macro is the first object: new class TMacro.
    EXPECT_EQ(bytes.mid(5 + descriptors.size(), 10), Bytes({0x02, 0x00, 0x06, 0x06}) + "TMacro");
    // The nested macro is the second TMacro: its class is named once, then referred to by index.
    EXPECT_EQ(bytes.count(Bytes({0x06, 0x06}) + "TMacro"), 1);

    TCircuit read = ReadCircuitBytes(bytes);
    EXPECT_EQ(read.Name, "adder");
    EXPECT_EQ(read.Version, 34);
    EXPECT_EQ(read.Root->HelpTopic, "") << "the circuit's datasheet context comes from its header";
    TMacro* part = nullptr;
    for (TSerialize* item : *read.Root->Devices->Children)
        if (auto* macro = KindCast<TMacro>(item))
            part = macro;
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->HelpTopic, "0") << "a stored macro reads back with the help topic 0";
    EXPECT_TRUE(read.Root->CalcOrder.empty()) << "the order is built by whoever shows the circuit";
    EXPECT_EQ(WriteCircuitBytes(read.Root.get(), "adder"), bytes);

    const TCircuitHeader header = ReadCircuitHeaderBytes(bytes);
    EXPECT_EQ(header.Name, "adder");
    EXPECT_EQ(header.Datasheet, "sheet.pdf");
    EXPECT_EQ(header.HelpContext, "");
}

TEST(CircuitFile, ReadsOlderVersions) {
    auto circuit = SampleCircuit();
    const QByteArray current = WriteCircuitBytes(circuit.get(), "ignored");
    const int body = current.indexOf(Bytes({0x02, 0x00, 0x06, 0x06}) + "TMacro");
    ASSERT_GT(body, 0);
    const QByteArray object = current.mid(body);

    const QByteArray v30 = Bytes({0x04, 0xDD, 0xC4, 0x1E, 0x00, 0x09, 0x06, 0x04}) + "name" +
                           Bytes({0x06, 0x03}) + "doc" + Bytes({0x02, 0x05}) + object;
    TCircuit read30 = ReadCircuitBytes(v30);
    EXPECT_EQ(read30.Name, "name");
    EXPECT_EQ(read30.Version, 30);
    const TCircuitHeader header30 = ReadCircuitHeaderBytes(v30);
    EXPECT_EQ(header30.Datasheet, "doc");
    EXPECT_EQ(header30.HelpContext, "5");

    for (int version : {20, 25, 33}) {
        const QByteArray old = Bytes({0x04, 0xDD, 0xC4, version, 0x00}) + object;
        TCircuit read = ReadCircuitBytes(old);
        EXPECT_TRUE(read.Name.isEmpty());
        EXPECT_EQ(read.Root->Devices->ChildCount(), circuit->Devices->ChildCount());
    }
}

TEST(CircuitFile, FailuresCarryTheirMessages) {
    QTemporaryDir dir;
    auto expectFailure = [](const std::function<void()>& read, ECircuitFile::TKind kind,
                            const QString& text) {
        try {
            read();
            ADD_FAILURE() << "no error for " << text.toStdString();
        } catch (const ECircuitFile& e) {
            EXPECT_EQ(e.Kind, kind);
            EXPECT_EQ(e.Text, text);
        }
    };
    expectFailure([&] { ReadCircuit(dir.filePath("gone.tvm")); }, ECircuitFile::TKind::Missing,
                  "Unable to locate the Tessivar file 'gone.tvm'");

    auto circuit = SampleCircuit();
    QByteArray bytes = WriteCircuitBytes(circuit.get(), "x");
    QByteArray later = bytes;
    later[3] = 35;
    expectFailure([&] { ReadCircuitBytes(later); }, ECircuitFile::TKind::TooNew,
                  "You need a later version of Tessivar to read this file.");
    QByteArray otherType = bytes;
    otherType[1] = 0x19;
    otherType[2] = static_cast<char>(0xED);
    expectFailure([&] { ReadCircuitBytes(otherType); }, ECircuitFile::TKind::NotCircuit,
                  "This is not a valid Tessivar file.");
    for (int size : {0, 5, 40, static_cast<int>(bytes.size()) / 2, static_cast<int>(bytes.size()) - 1})
        expectFailure([&] { ReadCircuitBytes(bytes.left(size)); },
                      size == 0 ? ECircuitFile::TKind::Corrupt : ECircuitFile::TKind::Corrupt,
                      "An error has occurred trying to read this Tessivar file.");

    const QString path = dir.filePath("sample.tvm");
    WriteCircuit(path, circuit.get(), "x");
    EXPECT_EQ(ReadCircuit(path).Name, "x");
    EXPECT_EQ(ReadCircuitHeader(path).Name, "x");
}

TEST(CircuitFile, EveryTruncationIsACleanError) {
    auto circuit = SampleCircuit();
    const QByteArray bytes = WriteCircuitBytes(circuit.get(), "x");
    for (int size = 0; size < bytes.size(); ++size)
        EXPECT_THROW(ReadCircuitBytes(bytes.left(size)), ECircuitFile) << size;
}

TEST(CircuitFile, DamagedLinksAreReadErrors) {
    // A macro whose device list holds the macro itself (object 0) through a back-reference.
    TMacro selfish;
    selfish.Closed = false;
    const QByteArray self = WriteCircuitBytes(&selfish, "");
    // After Closed and Nested (both false) comes the device list: a TGraphicList (known class)
    // whose children are a TSerializeList (known class 1), empty: 01 00.
    const int at = self.indexOf(Bytes({0x08, 0x08, 0x02, 0x01, 0x02}));
    ASSERT_GT(at, 0);
    const int listBody = at + 10;
    ASSERT_EQ(self.mid(listBody - 4, 6), Bytes({0x02, 0x01, 0x02, 0x01, 0x01, 0x00}));
    const QByteArray forged =
        self.left(listBody) + Bytes({0x01, 0x02, 0x02, 0x02, 0x00, 0x00}) + self.mid(listBody + 2);
    EXPECT_THROW(ReadCircuitBytes(forged), ECircuitFile);

    // A wire whose end is a gate instead of a pin or a joint.
    TTestCircuit circuit;
    auto* a = circuit.Add<TNotGate>(0, 0);
    auto* b = circuit.Add<TNotGate>(100, 0);
    circuit.Wire(a->Pin(0), b->Pin(1));
    QByteArray wired = WriteCircuitBytes(circuit.Root, "");
    // The wire is written inside gate a's output pin; its end A refers back to that pin. Point it
    // at the gate itself (object 1) instead.
    const int wire = wired.indexOf("TWire");
    ASSERT_GT(wire, 0);
    const QByteArray backToPin = Bytes({0x02, 0x02, 0x02});
    const int end = wired.indexOf(backToPin, wire);
    ASSERT_GT(end, 0);
    wired[end + 3] = 1;
    EXPECT_THROW(ReadCircuitBytes(wired), ECircuitFile);
}

// A reader that mends damaged wiring says what it mended; a sound file reads without a word.
TEST(CircuitFile, RepairedWiringIsNamed) {
    const TCircuit damaged = ReadCircuitBytes(DamagedWiringBytes());
    EXPECT_EQ(damaged.Repairs,
              "1 wire that no list held was removed; 1 connection recorded at one end only was cut");
    ASSERT_EQ(damaged.Root->Wires->ChildCount(), 1);
    auto* left = static_cast<TWire*>(damaged.Root->Wires->Child(0));
    EXPECT_NE(left->EndA, nullptr);
    EXPECT_EQ(left->EndB, nullptr);
    EXPECT_EQ(static_cast<TDevice*>(damaged.Root->Devices->Child(0))->Pin(0)->Wire, nullptr);

    EXPECT_EQ(ReadCircuitBytes(WriteCircuitBytes(SampleCircuit().get(), "x")).Repairs, "");
    for (const char* example : {"counter.tvm", "adder.tvm", "sequence.tvm"})
        EXPECT_EQ(ReadCircuit(QStringLiteral(TESSIVAR_TEST_DATA "/../../examples/") + example).Repairs, "")
            << example;
}

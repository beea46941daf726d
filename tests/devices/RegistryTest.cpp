#include "TestCircuit.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// One object of every drawable class the registry knows, each on its own spot, neighbours wired
// pin 0 to pin 1.
std::unique_ptr<TMacro> EveryClass() {
    TTestCircuit circuit;
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
        }
        drawable->Offset(static_cast<float>(100 * (slot % 8)), static_cast<float>(100 * (slot / 8)));
        drawable->UpdateVertices();
        ++slot;
        circuit.Root->AddObject(drawable);
        auto* device = KindCast<TDevice>(drawable);
        if (!device || device->PinCount() == 0 || IsA<TMacro>(device))
            continue;
        if (previous && device->PinCount() > 1 && !device->Pin(1)->Wire && !previous->Pin(0)->Wire)
            circuit.Wire(previous->Pin(0), device->Pin(1));
        previous = device;
    }
    auto* joint = new TSolder;
    circuit.Root->AddObject(joint);
    return circuit.Release();
}

} // namespace

TEST(Registry, EveryClassIsRegisteredUnderItsOwnName) {
    const std::vector<std::string> names = TClassRegistry::Instance().Names();
    const std::set<std::string> expected = {
        "TSerializeList", "TFloatPoint", "TSegment", "TPolygon", "TPolyline", "TGraphicList", "TPin",
        "TMacroPin", "TWire", "TSolder", "TGraphicText", "TDevice", "TTextDevice", "THistoryDevice",
        "TTriState", "TNotGate", "T2AndGate", "T3AndGate", "T4AndGate", "T2NandGate", "T3NandGate",
        "T4NandGate", "T2OrGate", "T3OrGate", "T4OrGate", "T2NorGate", "T3NorGate", "T4NorGate",
        "T2XorGate", "T2XnorGate", "TGround", "TSupply", "TClockDevice", "TBitGenerator",
        "TInteractiveInput", "TInteractiveSwitch", "TLEDDevice", "TLEDSegmentDevice", "TNumericDevice",
        "TRSFlipFlop", "TDFlipFlop", "TJKFlipFlop", "TTagDevice", "TMemoryDevice", "TMacro"};
    const std::set<std::string> registered(names.begin(), names.end());
    EXPECT_EQ(names.size(), registered.size()) << "a class registered twice";
    for (const std::string& name : registered) {
        EXPECT_TRUE(expected.count(name)) << name << " is not a stream class";
        std::unique_ptr<TSerialize> object(TClassRegistry::Instance().Find(QByteArray::fromStdString(name))());
        EXPECT_EQ(object->ClassName(), name) << "writes itself under another name";
    }
    for (const std::string& name : expected)
        EXPECT_TRUE(registered.count(name)) << name << " is missing";
}

TEST(Registry, ACircuitOfEveryClassRoundTripsAndRuns) {
    std::unique_ptr<TMacro> circuit = EveryClass();
    const QByteArray bytes = WriteCircuitBytes(circuit.get(), "every class");
    TCircuit read = ReadCircuitBytes(bytes);
    EXPECT_EQ(WriteCircuitBytes(read.Root.get(), read.Name), bytes);

    PrepareRoot(*read.Root);
    TCalcResult result;
    for (int i = 0; i < 4; ++i) {
        read.Root->ClearDrivers();
        read.Root->Calculate(result);
    }
    // Running changes no stored state except what the circuit itself writes (memory words).
    const QByteArray afterRun = WriteCircuitBytes(read.Root.get(), read.Name);
    EXPECT_EQ(ReadCircuitBytes(afterRun).Name, "every class");
}

TEST(Registry, EveryTruncationOfACircuitOfEveryClassIsACleanError) {
    std::unique_ptr<TMacro> circuit = EveryClass();
    const QByteArray bytes = WriteCircuitBytes(circuit.get(), "x");
    // Every prefix is an error; sampled to keep the test quick on large files.
    const int step = std::max<int>(1, static_cast<int>(bytes.size()) / 3000);
    for (int size = 0; size < bytes.size(); size += step)
        EXPECT_THROW(ReadCircuitBytes(bytes.left(size)), ECircuitFile) << size;
}

#include "TestCircuit.h"
#include "TestSupport.h"

#include "devices/InputDevice.h"
#include "devices/MemoryDevice.h"
#include "devices/OutputDevice.h"
#include "model/Gates.h"

#include <gtest/gtest.h>

namespace {

QByteArray WriteStream(TSerialize* object) {
    QByteArray bytes;
    TSerializeWriter writer(&bytes);
    writer.WriteObject(object);
    writer.Finish();
    return bytes;
}

std::unique_ptr<TMemoryDevice> ReadStream(const QByteArray& bytes) {
    TSerializeReader reader(bytes);
    auto* root = reader.ReadRoot<TMemoryDevice>();
    reader.Commit();
    return std::unique_ptr<TMemoryDevice>(root);
}

// Sets pins first to first + count - 1 to the bits of value, most significant first.
void SetPins(TMemoryDevice& memory, int first, int count, uint32_t value) {
    for (int i = 0; i < count; ++i)
        memory.Pin(first + i)->Level = static_cast<int32_t>((value >> (count - 1 - i)) & 1);
}

TCalcResult Calculate(TDevice& device) {
    TCalcResult result;
    device.Calculate(result);
    return result;
}

QString TextAt(const TMemoryDevice& memory, int child) {
    const TGraphicText* text = memory.ShapeChild<TGraphicText>(child);
    return text ? text->Text : QString();
}

} // namespace

TEST(MemoryDevice, ConfigureBuildsPinsCaptionsAndSize) {
    const struct {
        bool IsRAM;
        int32_t Address;
        int32_t Data;
        const char* Size;
    } cases[] = {
        {true, 8, 8, "256 x 8"},  {true, 9, 8, "512 x 8"},     {false, 10, 8, "1K x 8"},
        {true, 14, 4, "16K x 4"}, {false, 14, 16, "16K x 16"}, {true, 4, 1, "16 x 1"},
    };
    for (const auto& c : cases) {
        TMemoryDevice memory;
        memory.Configure(c.IsRAM, c.Address, c.Data);
        EXPECT_EQ(memory.SizeText(), QString::fromLatin1(c.Size));
        EXPECT_EQ(memory.WordCount, 1 << c.Address);
        EXPECT_EQ(memory.PinCount(), c.Address + c.Data + (c.IsRAM ? 2 : 1));
        // Body, size, type, address caption, the address leads, then the data caption.
        EXPECT_EQ(TextAt(memory, 3), QStringLiteral("A%1").arg(c.Address - 1));
        EXPECT_EQ(TextAt(memory, 4 + c.Address), QStringLiteral("D%1").arg(c.Data - 1));
    }
}

TEST(MemoryDevice, RamWritesOnEveryPassAndReadsBackWhileSelected) {
    TMemoryDevice memory;
    memory.Configure(true, 4, 4);
    const int cs = memory.ChipSelectIndex();
    const int rw = memory.ReadWriteIndex();
    memory.SetWord(7, 9);

    SetPins(memory, 0, 4, 5);
    SetPins(memory, 4, 4, 0b1010);
    EXPECT_FALSE(Calculate(memory).Changed);
    EXPECT_EQ(memory.GetWord(5), 10u);
    EXPECT_EQ(memory.LastAddress, 5);
    // A data line that changes within the same step changes the word again.
    memory.Pin(7)->Level = 1;
    Calculate(memory);
    EXPECT_EQ(memory.GetWord(5), 11u);

    memory.Pin(rw)->Level = 1;
    SetPins(memory, 0, 4, 7);
    EXPECT_TRUE(Calculate(memory).Changed);
    EXPECT_EQ(memory.ReadData(), 9); // data pin A is the top bit
    EXPECT_EQ(memory.Pin(7)->Level, 1);
    EXPECT_FALSE(Calculate(memory).Changed);

    // Deselected: nothing is read, written or driven, and the last address stays.
    memory.Pin(cs)->Level = 1;
    memory.Pin(rw)->Level = 0;
    SetPins(memory, 0, 4, 2);
    EXPECT_FALSE(Calculate(memory).Changed);
    EXPECT_EQ(memory.GetWord(2), 0u);
    EXPECT_EQ(memory.LastAddress, 7);
    EXPECT_EQ(memory.ReadData(), 9);

    // Reset keeps the contents; a new configuration empties them.
    memory.Reset();
    EXPECT_EQ(memory.GetWord(5), 11u);
    memory.Configure(true, 4, 4);
    EXPECT_EQ(memory.GetWord(5), 0u);
}

TEST(MemoryDevice, RomAlwaysReadsWhileSelected) {
    TMemoryDevice rom;
    rom.Configure(false, 4, 2);
    ASSERT_EQ(rom.PinCount(), 7);
    rom.SetWord(6, 0b10);
    SetPins(rom, 0, 4, 6);
    EXPECT_TRUE(Calculate(rom).Changed);
    EXPECT_EQ(rom.Pin(4)->Level, 1);
    EXPECT_EQ(rom.Pin(5)->Level, 0);
    EXPECT_EQ(rom.GetWord(6), 2u);
}

TEST(MemoryDevice, ReadingOntoADrivenNetIsContentionAtTheMemory) {
    TTestCircuit circuit;
    auto* gate = circuit.Add<TNotGate>(0, 0);
    auto* rom = circuit.Add<TMemoryDevice>(200, 0);
    rom->Configure(false, 4, 1);
    circuit.Wire(gate->Pin(0), rom->Pin(4));
    circuit.Reset();
    const TCalcResult result = circuit.Step();
    EXPECT_TRUE(result.Contention);
    EXPECT_EQ(result.Device, rom);
    EXPECT_TRUE(rom->Contended);
    EXPECT_EQ(rom->GetWord(0), 0u);
}

TEST(MemoryDevice, OwnEarlierDriveIsNoConflict) {
    TTestCircuit circuit;
    auto* rom = circuit.Add<TMemoryDevice>(0, 0);
    rom->Configure(false, 4, 1);
    rom->SetWord(0, 1);
    auto* led = circuit.Add<TLEDDevice>(200, 0);
    circuit.Wire(rom->Pin(4), led->Pin(0));
    circuit.Reset();
    for (int step = 0; step < 3; ++step) {
        const TCalcResult result = circuit.Step();
        EXPECT_FALSE(result.Contention);
        EXPECT_FALSE(result.Race);
        EXPECT_FALSE(rom->Contended);
        EXPECT_EQ(led->LastLevel, 1);
    }
}

TEST(MemoryDeviceStream, RoundTripsByteForByteAndKeepsLow16Bits) {
    TMemoryDevice memory;
    memory.Configure(false, 5, 16);
    memory.SetWord(0, 65535);
    memory.SetWord(1, 128);
    memory.SetWord(31, 0x1234);
    memory.Offset(50, 60);
    const QByteArray bytes = WriteStream(&memory);
    auto copy = ReadStream(bytes);
    EXPECT_EQ(WriteStream(copy.get()), bytes);
    EXPECT_EQ(copy->Words, memory.Words);

    // The last word is the last integer of the stream: store 70000 there.
    TMemoryDevice small;
    small.Configure(true, 4, 8);
    QByteArray patched = WriteStream(&small);
    ASSERT_TRUE(patched.endsWith(testsupport::Bytes({0x02, 0x00})));
    patched.chop(2);
    patched.append(testsupport::Bytes({0x04, 0x70, 0x11, 0x01, 0x00}));
    EXPECT_EQ(ReadStream(patched)->GetWord(15), 4464u);
}

TEST(MemoryDeviceStream, RefusesSizesCountsAndPinsThatDoNotFit) {
    auto refused = [](const std::function<void(TMemoryDevice&)>& spoil) {
        TMemoryDevice memory;
        memory.Configure(true, 4, 4);
        spoil(memory);
        EXPECT_THROW(ReadStream(WriteStream(&memory)), EReadError);
    };
    refused([](TMemoryDevice& m) { m.AddressBits = 3; });
    refused([](TMemoryDevice& m) { m.AddressBits = 15; });
    refused([](TMemoryDevice& m) { m.DataBits = 3; });
    refused([](TMemoryDevice& m) { m.DataBits = 32; });
    refused([](TMemoryDevice& m) { m.SetWordCount(15); });
    refused([](TMemoryDevice& m) { m.SetWordCount(32); });
    // A huge stored count is refused before anything is allocated for it.
    refused([](TMemoryDevice& m) {
        m.SetWordCount(0);
        m.WordCount = 0x7FFFFFFF;
    });
    refused([](TMemoryDevice& m) { m.IsRAM = false; }); // a read/write pin too many
    refused([](TMemoryDevice& m) { m.Pins->DeleteChild(m.Pin(0)); });
}

TEST(MemoryDeviceStream, EveryTruncationIsAReadError) {
    TMemoryDevice memory;
    memory.Configure(true, 4, 2);
    memory.SetWord(1, 3);
    const QByteArray bytes = WriteStream(&memory);
    for (qsizetype size = 0; size < bytes.size(); ++size)
        EXPECT_THROW(ReadStream(bytes.left(size)), EReadError) << size;
}

TEST(MemoryDevice, StoredWordsSurviveResetsEditsAndARoundTrip) {
    // A RAM selected by ground and reading through Vcc, its data lines on LEDs. Before the first
    // step every line is low, which would make it write: the trial run of the calculation order
    // must not.
    TTestCircuit circuit;
    auto* memory = circuit.Add<TMemoryDevice>();
    memory->Configure(true, 4, 4);
    for (int i = 0; i < memory->WordCount; ++i)
        memory->SetWord(i, static_cast<uint32_t>(i + 5));
    circuit.Wire(circuit.Add<TGround>(0, 200)->Pin(0), memory->Pin(memory->ChipSelectIndex()));
    circuit.Wire(circuit.Add<TSupply>(-100, 200)->Pin(0), memory->Pin(memory->ReadWriteIndex()));
    std::vector<TLEDDevice*> leds;
    for (int j = 0; j < memory->DataBits; ++j) {
        leds.push_back(circuit.Add<TLEDDevice>(100, static_cast<float>(20 * j)));
        circuit.Wire(memory->Pin(memory->AddressBits + j), leds.back()->Pin(0));
    }
    const std::vector<uint16_t> words = memory->Words;
    auto shown = [&] {
        uint32_t value = 0;
        for (TLEDDevice* led : leds)
            value = (value << 1) | static_cast<uint32_t>(led->LastLevel & 1);
        return value;
    };

    circuit.Reset();
    circuit.Step();
    EXPECT_EQ(shown(), 5u);
    circuit.Root->BuildCalcOrder(); // as after an edit
    circuit.Reset();
    EXPECT_EQ(memory->Words, words);

    const QByteArray saved = WriteCircuitBytes(circuit.Root, QStringLiteral("ram"));
    TCircuit loaded = ReadCircuitBytes(saved);
    PrepareRoot(*loaded.Root);
    auto* read = static_cast<TMemoryDevice*>(loaded.Root->Devices->Child(0));
    EXPECT_EQ(read->Words, words);
    EXPECT_EQ(WriteCircuitBytes(loaded.Root.get(), QStringLiteral("ram")), saved);
}

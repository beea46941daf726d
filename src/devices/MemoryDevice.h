#pragma once

// A RAM or ROM chip of 2^A words (A from 4 to 14 address lines) and 1, 2, 4, 8 or 16 data lines. While
// its active-low chip select is low it reads the addressed word onto its data pins or, for a RAM with
// read/write low, stores the data lines into it, on every pass of the settling loop. It owns its words.

#include "model/Device.h"

#include <QString>

#include <vector>

constexpr uint32_t kKindMemoryDevice = 1u << 30;

class TMemoryDevice : public TDevice {
public:
    TESSIVAR_CLASS(TMemoryDevice)
    TESSIVAR_KIND(TMemoryDevice, kKindMemoryDevice);
    TMemoryDevice();

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;
    void Calculate(TCalcResult& result) override;
    // Drives what a read would drive; writes no word.
    void TrialCalculate(TCalcResult& result) override;

    // Rebuilds shape and pins for the given type and size and empties the memory.
    void Configure(bool isRAM, int32_t addressBits, int32_t dataBits);
    // "256 x 8", "1K x 8", "16K x 16".
    QString SizeText() const;
    void SetWordCount(int32_t count);
    void ClearWords();
    // Indexes outside the memory read as 0 and are not written.
    uint32_t GetWord(int32_t index) const;
    void SetWord(int32_t index, uint32_t value);
    // Address pin 0 and the top data pin are the most significant bits.
    int32_t ReadAddress() const;
    int32_t ReadData() const;
    // Drives the data pins with the word; a pin whose net another device drove in this step is left
    // alone and reported as contention at this memory.
    void DriveData(uint32_t word, TCalcResult& result);

    static bool ValidAddressBits(int32_t bits) { return bits >= 4 && bits <= 14; }
    static bool ValidDataBits(int32_t bits) {
        return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16;
    }

    // Pin indexes: address lines 0 to A-1, data lines A to A+D-1, chip select, then read/write (RAM).
    int ChipSelectIndex() const { return AddressBits + DataBits; }
    int ReadWriteIndex() const { return AddressBits + DataBits + 1; }

    int32_t WordCount = 0; // always Words.size(), 2^AddressBits
    std::vector<uint16_t> Words;
    int32_t DataBits = 0;
    int32_t AddressBits = 0;
    bool IsRAM = true;
    // The address of the last calculation in which the chip was selected.
    int32_t LastAddress = 0;

private:
    int32_t ExpectedPinCount() const { return AddressBits + DataBits + (IsRAM ? 2 : 1); }
};

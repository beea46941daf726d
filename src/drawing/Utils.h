#pragma once

// Conversions between bit-pattern texts (binary or hexadecimal digits) and integers, used wherever the
// user types or reads a pattern: sequence generators, numeric displays, memory contents.

#include <QString>

#include <cstdint>
#include <stdexcept>

// A bit-pattern text held a character that is not a digit.
class EConvertError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Reads the text as binary, last character weighing 1. Each character counts with its decimal value,
// so only 0 and 1 make sense; any other non-digit throws EConvertError. The empty text gives 0.
// The result is the low 32 bits of the pattern: 32 ones give -1, and characters left of the 32nd from
// the right add nothing.
int32_t BinToInt(const QString& text);
// Binary digits of value, padded on the left with 0 to width characters; never cut. A value of 0 or
// less has no digits of its own.
QString IntToBin(int64_t value, int width);
// Groups of four binary digits from the right, each becoming one upper-case hexadecimal digit.
// Characters other than 0 and 1 are skipped, but still start a further (zero) digit when they are
// all that is left of the text.
QString BinToHex(const QString& text);
// Four binary digits per hexadecimal digit, letters in either case.
QString HexToBin(const QString& text);

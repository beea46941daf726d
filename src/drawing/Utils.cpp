#include "drawing/Utils.h"

#include <algorithm>

int32_t BinToInt(const QString& text) {
    // Unsigned arithmetic wraps modulo 2^32, which keeps exactly the low 32 bits of a long pattern.
    uint32_t result = 0;
    uint32_t weight = 1;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            throw EConvertError("'" + QString(text.at(i)).toStdString() + "' in '" + text.toStdString() +
                                "' is not a valid digit");
        result += static_cast<uint32_t>(c - u'0') * weight;
        weight *= 2;
    }
    return static_cast<int32_t>(result);
}

QString IntToBin(int64_t value, int width) {
    QString digits;
    while (value > 0) {
        digits.append(value % 2 ? u'1' : u'0');
        value /= 2;
    }
    std::reverse(digits.begin(), digits.end());
    if (digits.size() < width)
        digits.prepend(QString(width - digits.size(), u'0'));
    return digits;
}

QString BinToHex(const QString& text) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    QString digits;
    int value = 0;
    int weight = 1;
    bool started = false;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const QChar c = text.at(i);
        if (c == u'1' || c == u'0') {
            if (c == u'1')
                value += weight;
            weight *= 2;
        }
        started = true;
        if (weight > 8) {
            digits.append(QChar(kHexDigits[value]));
            value = 0;
            weight = 1;
            started = false;
        }
    }
    if (started)
        digits.append(QChar(kHexDigits[value]));
    std::reverse(digits.begin(), digits.end());
    return digits;
}

QString HexToBin(const QString& text) {
    QString bits;
    for (const QChar c : text) {
        // Upper case for the letters a to z only: a full Unicode upper-casing can change the length.
        int code = c.unicode();
        if (code >= 'a' && code <= 'z')
            code -= 'a' - 'A';
        bits.append(IntToBin(code >= 'A' && code <= 'F' ? code - 55 : code - 48, 4));
    }
    return bits;
}

#pragma once

// Texts in files are 8-bit Windows-1252. The five byte values that code page leaves undefined map to
// the control characters of the same number, so any byte string survives a round trip.

#include <QByteArray>
#include <QString>

QString FromCodepage(const char* data, int size);
inline QString FromCodepage(const QByteArray& bytes) {
    return FromCodepage(bytes.constData(), bytes.size());
}
// Characters the code page lacks become "?".
QByteArray ToCodepage(const QString& text);

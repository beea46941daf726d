#pragma once

// Writes signals as a Value Change Dump (IEEE 1364), the text format waveform viewers read. One
// module scope holds every signal; one time unit stands for one simulation step.

#include "devices/Signals.h"

#include <QString>

#include <cstdint>
#include <vector>

class QIODevice;

// The short identifier code of the signal with the given index: printable characters from '!' on,
// one for the first 94 signals, more after that.
QString VcdIdentifier(int index);

// A name a viewer accepts as one identifier: letters, digits, '_' and '$' are kept, anything else
// becomes '_'; a leading digit or an empty name gets a leading '_'.
QString VcdName(const QString& name);

class TVcdWriter {
public:
    // Writes the header: the program that wrote the dump, time scale, the scope and one variable
    // per signal. Repeated names get "_2", "_3" and so on, so every variable can be told apart. The
    // signals are read at every Sample and must outlive the writer.
    TVcdWriter(QIODevice& device, const std::vector<TSignal>& signalList, const QString& scope,
               const QString& program = QStringLiteral("tessivar-cli"));

    // Writes the values at the given time: every value the first time (the initial values), then
    // only those that changed. A time without changes writes nothing.
    void Sample(int64_t time);
    // The same with values recorded earlier instead of the signals' present ones: one text per
    // signal, in the form TSignal::Bits gives.
    void Sample(int64_t time, const std::vector<QString>& values);
    // Closes the dump with a last time stamp, so the last values show for a whole unit.
    void Finish(int64_t time);

private:
    void Write(const QString& text);

    QIODevice& m_device;
    const std::vector<TSignal>& m_signals;
    std::vector<QString> m_ids;
    std::vector<QString> m_last;
    bool m_dumped = false;
};

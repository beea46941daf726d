#include "devices/Vcd.h"

#include "devices/OutputDevice.h"

#include <QIODevice>
#include <QSet>

namespace {

constexpr int kFirstCode = '!';
constexpr int kCodeCount = '~' - '!' + 1;

bool IdentifierChar(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// "[0:6]" puts segment a leftmost; a numeric display's lines count down to line 0.
QString Range(const TSignal& signal) {
    if (signal.Width == 1)
        return QString();
    if (IsA<TLEDSegmentDevice>(signal.Device))
        return QStringLiteral(" [0:6]");
    return QStringLiteral(" [%1:0]").arg(signal.Width - 1);
}

} // namespace

QString VcdIdentifier(int index) {
    QString id;
    do {
        id.append(QChar(kFirstCode + index % kCodeCount));
        index /= kCodeCount;
    } while (index > 0);
    return id;
}

QString VcdName(const QString& name) {
    QString safe;
    for (QChar c : name)
        safe.append(IdentifierChar(c) ? c : QLatin1Char('_'));
    if (safe.isEmpty() || safe[0].isDigit())
        safe.prepend(QLatin1Char('_'));
    return safe;
}

TVcdWriter::TVcdWriter(QIODevice& device, const std::vector<TSignal>& signalList, const QString& scope,
                       const QString& program)
    : m_device(device), m_signals(signalList), m_last(signalList.size()) {
    Write(QStringLiteral("$version %1 $end\n"
                         "$timescale 1 ns $end\n"
                         "$scope module %2 $end\n")
              .arg(program, VcdName(scope)));
    QSet<QString> used;
    for (size_t i = 0; i < m_signals.size(); ++i) {
        const TSignal& signal = m_signals[i];
        const QString base = VcdName(signal.Name);
        QString name = base;
        for (int n = 2; used.contains(name); ++n)
            name = base + QStringLiteral("_%1").arg(n);
        used.insert(name);
        m_ids.push_back(VcdIdentifier(static_cast<int>(i)));
        Write(QStringLiteral("$var wire %1 %2 %3%4 $end\n")
                  .arg(QString::number(signal.Width), m_ids.back(), name, Range(signal)));
    }
    Write(QStringLiteral("$upscope $end\n$enddefinitions $end\n"));
}

void TVcdWriter::Sample(int64_t time) {
    std::vector<QString> values;
    values.reserve(m_signals.size());
    for (const TSignal& signal : m_signals)
        values.push_back(signal.Bits());
    Sample(time, values);
}

void TVcdWriter::Sample(int64_t time, const std::vector<QString>& values) {
    Q_ASSERT(values.size() == m_signals.size());
    QString changes;
    for (size_t i = 0; i < m_signals.size(); ++i) {
        const QString& bits = values[i];
        if (m_dumped && bits == m_last[i])
            continue;
        m_last[i] = bits;
        if (m_signals[i].Width == 1)
            changes += bits + m_ids[i] + QLatin1Char('\n');
        else
            changes += QLatin1Char('b') + bits + QLatin1Char(' ') + m_ids[i] + QLatin1Char('\n');
    }
    if (!m_dumped) {
        Write(QStringLiteral("#%1\n$dumpvars\n%2$end\n").arg(time).arg(changes));
        m_dumped = true;
    } else if (!changes.isEmpty()) {
        Write(QStringLiteral("#%1\n%2").arg(time).arg(changes));
    }
}

void TVcdWriter::Finish(int64_t time) {
    Write(QStringLiteral("#%1\n").arg(time));
}

void TVcdWriter::Write(const QString& text) {
    m_device.write(text.toUtf8());
}

#include "core/TimeText.h"

namespace vok {

namespace {

QString Padded(qint64 value) {
    const QString digits = QString::number(value);
    return digits.size() == 2 ? digits : QStringLiteral("0") + digits;
}

}  // namespace

QString FormatTime(int ms) {
    // Integer division truncating toward zero, in the order the display has always used; the
    // intermediate products stay within 64 bits for every 32-bit input.
    const qint64 total = ms;
    const qint64 hours = (total / 3600) / 1000;
    const qint64 minutes = (total / 60) / 1000 - hours * 60;
    const qint64 seconds = total / 1000 - minutes * 60 - hours * 3600;
    return Padded(hours) + QLatin1Char(':') + Padded(minutes) + QLatin1Char(':') + Padded(seconds);
}

}  // namespace vok

#include "core/TextLines.h"

namespace vok {

QStringList SplitLines(QStringView text) {
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.sliced(start, i - start).toString());
            ++i;
            if (c == u'\r' && i < text.size() && text[i] == u'\n') {
                ++i;
            }
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) {
        lines.append(text.sliced(start).toString());
    }
    return lines;
}

QString TrimControls(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 0x20) {
        ++first;
    }
    while (last > first && text[last - 1].unicode() <= 0x20) {
        --last;
    }
    return text.sliced(first, last - first).toString();
}

}  // namespace vok

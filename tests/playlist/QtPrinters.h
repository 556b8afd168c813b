#pragma once

#include <QString>
#include <ostream>

// Readable test failure output for Qt strings (found by argument-dependent lookup).
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

#pragma once

#include <QStringView>

namespace vok {

// True when `name` matches the pattern, "?" standing for any one character and "*" for any run of
// characters, letter case ignored; everything else in the pattern is literal.
bool WildcardMatch(QStringView pattern, QStringView name);

}  // namespace vok

#pragma once

#include <QString>
#include <array>

namespace vok {

inline constexpr int GenreCount = 148;

// Genre names by ID3v1 genre number: the original list (0-79) and the extended one (80-147),
// spelled as the tags in the wild carry them (92 and 144 keep their historical misspellings).
const std::array<QString, GenreCount>& GenreNames();

// The name of a genre number; empty for numbers without a name (above 147, 255 included).
QString GenreName(int number);

}  // namespace vok

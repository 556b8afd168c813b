#include "lyrics/Vokalento.h"

namespace vok {

void TVokalento::Reset() {
    *this = TVokalento();
}

bool TVokalento::LoadFromFile(const QString&) {
    return false;
}

bool TVokalento::ReplaceSongFile(const QString&) {
    return false;
}

void TVokalento::GetLine(std::int32_t, LyricLine&) const {}

void TVokalento::LineAt(std::int32_t, std::int32_t&, QString& text) const {
    text.clear();
}

QString TVokalento::LineText(std::int32_t) const {
    return {};
}

std::int32_t TVokalento::LineNumberAt(std::int32_t) const {
    return 0;
}

}  // namespace vok

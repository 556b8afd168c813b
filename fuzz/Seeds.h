#pragma once

#include <QByteArray>
#include <functional>
#include <vector>

namespace vok::fuzz {

// The seeds of one harness; `input` names the harness without its "fuzz_" prefix
// (fuzz_lyrics_vok.cpp → "lyrics_vok").
struct SeedSet {
    const char* input;
    std::vector<QByteArray> seeds;
};

using SeedMaker = std::function<SeedSet()>;

// Every seeds_<subsystem>.cpp registers its makers with a static SeedRegistration.
std::vector<SeedMaker>& SeedMakers();

struct SeedRegistration {
    explicit SeedRegistration(SeedMaker maker) { SeedMakers().push_back(std::move(maker)); }
};

}  // namespace vok::fuzz

// Seeds for the LRC harness: plain, enhanced and tagged files, both line ends, both encodings and
// the absurd stamps.
#include "Seeds.h"

namespace {

vok::fuzz::SeedSet MakeLrcSeeds() {
    return {"lyrics_lrc",
            {QByteArray("[ti:Seed]\n[ar:Writer]\n[length:03:00]\n[offset:+150]\n"
                        "[00:01.00]One\n[00:03.50][01:03.50]Two\n[00:02.123]Three\n[00:05]\n"
                        "[00:06.00] \t[00:09.00] Spaced\n"),
             QByteArray("\xEF\xBB\xBF[00:00.50]<00:00.50>Word <00:00.90>by <00:01.20>word\r\n"
                        "[00:02.00]\xC3\xA5\xC3\xA4\xC3\xB6\r\n"),
             QByteArray("[00:01.00]caf\xE9 \x80\r[00:02.00]old Mac\r"),
             QByteArray("[99999:99.99]far\n[-00:01.00]before\n[00:01:50]colon\n[1:2.3456]x\n"),
             QByteArray("[offset:-99999999999]\n[ti:]\n[Chorus]\n[00:01]\n[00:]y\n<00:01>z\n")}};
}

const vok::fuzz::SeedRegistration registration(MakeLrcSeeds);

}  // namespace

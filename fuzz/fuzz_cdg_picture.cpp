// Feeds arbitrary bytes as a .cdg file: whatever opens must show, after seeks back and forth,
// exactly the pictures of a play in display ticks.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "InputFile.h"
#include "cdg/CdgPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = vok::fuzz::WriteInputFile(data, size, QStringLiteral("input.cdg"));
    vok::cdg::CdgPicture seeking;
    if (path.isEmpty() || !seeking.Open(path)) {
        return 0;
    }
    const int length = seeking.LengthMs();
    // Ticks of 10 ms land on every moment asked below.
    const int targets[] = {length, length / 3, 10, length / 2 + 20, 0, length - 1500};
    std::map<int, QImage> seen;
    for (const int target : targets) {
        const int ms = target / 10 * 10;
        if (ms >= 0) {
            seen[ms] = seeking.PictureAt(ms);
        }
    }
    vok::cdg::CdgPicture straight;
    if (!straight.Open(path)) {
        std::fprintf(stderr, "cdg mismatch: opened once, refused the second time\n");
        std::abort();
    }
    for (int ms = 0; ms <= length && ms <= 60000; ms += 10) {
        const QImage& picture = straight.PictureAt(ms);
        const auto it = seen.find(ms);
        if (picture.size() != QSize(300, 216) || (it != seen.end() && it->second != picture)) {
            std::fprintf(stderr, "cdg mismatch: picture after seeks at %d ms\n", ms);
            std::abort();
        }
    }
    return 0;
}

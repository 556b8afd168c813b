// Writes the seed corpus of every harness from the fixture writers: fuzz_make_seeds OUTDIR.
#include <QDir>
#include <QFile>
#include <cstdio>

#include "Seeds.h"

namespace vok::fuzz {

std::vector<SeedMaker>& SeedMakers() {
    static std::vector<SeedMaker> makers;
    return makers;
}

}  // namespace vok::fuzz

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds OUTDIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    int written = 0;
    for (const vok::fuzz::SeedMaker& make : vok::fuzz::SeedMakers()) {
        const vok::fuzz::SeedSet set = make();
        const QString folder = root + QLatin1Char('/') + QString::fromLatin1(set.input);
        QDir().mkpath(folder);
        for (std::size_t i = 0; i < set.seeds.size(); ++i) {
            QFile file(folder + QStringLiteral("/seed-%1").arg(i));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                file.write(set.seeds[i]) != set.seeds[i].size()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
                return 1;
            }
            ++written;
        }
    }
    std::printf("wrote %d seeds\n", written);
    return 0;
}

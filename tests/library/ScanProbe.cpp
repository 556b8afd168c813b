// Scans a folder into a library and says "progress <files>" on every progress report and "done"
// at the end, so a test can kill it in the middle of the scan.
#include "library/SongLibrary.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: library_scan_probe LIBRARY FOLDER\n");
        return 2;
    }
    vok::library::SongLibrary library(QString::fromLocal8Bit(argv[1]));
    QObject::connect(&library, &vok::library::SongLibrary::ScanProgressed,
                     [](const vok::library::ScanProgress& progress) {
                         std::printf("%s %d\n", progress.Running ? "progress" : "done",
                                     progress.FilesSeen);
                         std::fflush(stdout);
                         if (!progress.Running) {
                             QCoreApplication::quit();
                         }
                     });
    library.AddFolders({QString::fromLocal8Bit(argv[2])});
    return app.exec();
}

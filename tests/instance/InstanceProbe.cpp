// A stand-in for the player around the real guard, for the tests' multi-process runs:
//   instance_probe DIR RETRY_DELAY_MS [--retries N] [--come-up-after MS] [--max-files N]
//                  [--] PARAMETERS...
// Prints "instance" when it became the instance, "running" when another one was found (it then
// ends with 0), and "received <parameter>" per handed-over parameter. A handed "/QUIT" ends it.
// DIR "-": found as the player finds it. --come-up-after holds the lock for that long before the
// guard runs, as a slow start does; --max-files leaves the instance N more descriptors.
#include "instance/InstanceGuard.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QThread>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace {

void Say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() < 2) {
        std::fprintf(stderr,
                     "usage: instance_probe DIR RETRY_DELAY_MS [options] [--] PARAMETERS\n");
        return 2;
    }
    vok::GuardOptions options;
    const QString parent = arguments.takeFirst();
    options.RuntimeFolder = parent == QLatin1String("-") ? QString() : parent;
    options.RetryDelayMs = arguments.takeFirst().toInt();
    options.SessionId = QStringLiteral("probe");
    int comeUpAfterMs = 0;
    rlim_t maxFiles = 0;
    while (!arguments.isEmpty() && arguments.constFirst().startsWith(QLatin1String("--"))) {
        const QString option = arguments.takeFirst();
        if (option == QLatin1String("--")) {
            break;
        }
        const int value = arguments.isEmpty() ? 0 : arguments.takeFirst().toInt();
        if (option == QLatin1String("--retries")) {
            options.ConnectRetries = value;
        } else if (option == QLatin1String("--come-up-after")) {
            comeUpAfterMs = value;
        } else if (option == QLatin1String("--max-files")) {
            maxFiles = static_cast<rlim_t>(value);
            options.ClientTimeoutMs = 300;
        }
    }

    if (comeUpAfterMs > 0) {
        const vok::PrivateFolder folder = vok::PrivateFolder::Open(options.RuntimeFolder);
        QLockFile early(folder.Path() + QLatin1Char('/') +
                        vok::InstanceKey(vok::kInstanceName, ::geteuid(), options.SessionId) +
                        QStringLiteral(".lock"));
        if (!early.tryLock(0)) {
            return 3;
        }
        Say(QStringLiteral("locked"));
        QThread::msleep(static_cast<unsigned long>(comeUpAfterMs));
    }

    vok::InstanceGuard guard(options);
    if (guard.AlreadyRunning(arguments)) {
        Say(QStringLiteral("running"));
        return 0;
    }
    guard.Serve([](const QStringList& parameters) {
        for (const QString& parameter : parameters) {
            Say(QStringLiteral("received ") + parameter);
            if (parameter == QLatin1String("/QUIT")) {
                QCoreApplication::quit();
            }
        }
    });
    if (maxFiles > 0) {
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        const rlimit limit{lowestFree + maxFiles, lowestFree + maxFiles};
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    Say(guard.IsListening() ? QStringLiteral("instance") : QStringLiteral("unguarded"));
    return QCoreApplication::exec();
}

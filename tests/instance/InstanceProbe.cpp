// A stand-in for the player around the real guard, for the tests' multi-process runs:
//   instance_probe DIR RETRY_DELAY_MS [--retries N] [--come-up-after MS] [--] PARAMETERS...
// Prints "instance" when it became the instance, "running" when another one was found (it then
// ends with 0), and "received <parameter>" per handed-over parameter. A handed "/QUIT" ends it.
// --come-up-after holds the lock for that long before the guard runs, as a slow start does.
#include "instance/InstanceGuard.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QThread>

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
    options.RuntimeFolder = arguments.takeFirst();
    options.RetryDelayMs = arguments.takeFirst().toInt();
    options.SessionId = QStringLiteral("probe");
    int comeUpAfterMs = 0;
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
        }
    }

    if (comeUpAfterMs > 0) {
        QLockFile early(options.RuntimeFolder + QLatin1Char('/') +
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
    guard.SetReceiver([](const QString& parameter) {
        Say(QStringLiteral("received ") + parameter);
        if (parameter == QLatin1String("/QUIT")) {
            QCoreApplication::quit();
        }
    });
    Say(guard.IsListening() ? QStringLiteral("instance") : QStringLiteral("unguarded"));
    return QCoreApplication::exec();
}

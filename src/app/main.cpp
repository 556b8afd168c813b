#include "app/CommandLine.h"
#include "app/InstForm.h"
#include "app/LibraryFrm.h"
#include "app/PlayListFrm.h"
#include "app/QtUserDialogs.h"
#include "app/VokPlayForm.h"
#include "instance/InstanceGuard.h"
#include "player/Mpris.h"
#include "player/PlayerController.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char* argv[]) {
    // --version and --help answer before anything starts: no display, no hand-over to a player.
    QStringList raw;
    for (int i = 1; i < argc; ++i) {
        raw << QString::fromLocal8Bit(argv[i]);
    }
    if (const auto answer = vok::EarlyAnswer(raw, QStringLiteral("vokplayer"))) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }
    // The guard and the hand-over need no application object and no display: a second start from
    // a terminal without one still hands its files over and ends.
    vok::InstanceGuard guard;
    if (guard.AlreadyRunning(raw)) {
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("org.kestrovane.Vokalento"));
    // The desktop's own icon pictures, every size, so small window decorations stay sharp.
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/org.kestrovane.Vokalento.png").arg(size));
    }
    QApplication::setWindowIcon(icon);
    vok::QtUserDialogs dialogs;
    vok::PlayerOptions options;
    options.Parameters = QCoreApplication::arguments().mid(1);
    vok::PlayerController controller(std::move(options), dialogs);
    // Until the first show the player ignores what it is handed; its own files are opened then.
    vok::ProcessOwnParameters(
        [&controller](const QString& file) { controller.OpenHandedFile(file); });
    guard.Serve([&controller](const QStringList& files) { controller.OpenHandedFiles(files); });
    if (controller.MustEnd()) {
        return 1;
    }
    vok::TVokPlayForm form(controller);
    dialogs.SetParent(&form);
    vok::TInstForm settings(controller, dialogs, &form);
    controller.AttachSettingsDialog(&settings);
    vok::TPlayListFrm playlist(controller, form.pos(), &form);
    form.AttachPlaylistWindow(&playlist);
    vok::TLibraryFrm library(controller, &form);
    const auto mpris = vok::Mpris::Start(controller, {[&form] {
                                                          form.showNormal();
                                                          form.raise();
                                                          form.activateWindow();
                                                      },
                                                      [&form] { form.close(); }});
    form.show();
    if (controller.Settings().PlayListVisible) {
        playlist.show();
    }
    return QApplication::exec();
}

#include "app/InstForm.h"
#include "app/PlayListFrm.h"
#include "app/QtUserDialogs.h"
#include "app/VokPlayForm.h"
#include "instance/InstanceGuard.h"
#include "player/PlayerController.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList parameters = QCoreApplication::arguments().mid(1);
    vok::InstanceGuard guard;
    if (guard.AlreadyRunning(parameters)) {
        return 0;
    }
    vok::QtUserDialogs dialogs;
    vok::PlayerOptions options;
    options.Parameters = parameters;
    vok::PlayerController controller(std::move(options), dialogs);
    // Until the first show the player ignores what it is handed; its own files are opened then.
    const vok::ParameterSink open = [&controller](const QString& file) {
        controller.OpenHandedFile(file);
    };
    vok::ProcessOwnParameters(open);
    guard.SetReceiver(open);
    if (controller.MustEnd()) {
        return 1;
    }
    vok::TVokPlayForm form(controller);
    dialogs.SetParent(&form);
    vok::TInstForm settings(controller, dialogs, &form);
    controller.AttachSettingsDialog(&settings);
    vok::TPlayListFrm playlist(controller, form.pos(), &form);
    form.AttachPlaylistWindow(&playlist);
    form.show();
    if (controller.Settings().PlayListVisible) {
        playlist.show();
    }
    return QApplication::exec();
}

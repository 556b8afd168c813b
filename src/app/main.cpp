#include "app/PlayListFrm.h"
#include "app/QtUserDialogs.h"
#include "app/VokPlayForm.h"
#include "player/PlayerController.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    vok::QtUserDialogs dialogs;
    vok::PlayerOptions options;
    options.Parameters = QCoreApplication::arguments().mid(1);
    vok::PlayerController controller(std::move(options), dialogs);
    if (controller.MustEnd()) {
        return 1;
    }
    vok::TVokPlayForm form(controller);
    dialogs.SetParent(&form);
    vok::TPlayListFrm playlist(controller, form.pos(), &form);
    form.AttachPlaylistWindow(&playlist);
    form.show();
    if (controller.Settings().PlayListVisible) {
        playlist.show();
    }
    return QApplication::exec();
}

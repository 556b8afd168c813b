#include "app/VokPlayForm.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(vok::kDefaultCaption);
    vok::PlayerOptions options;
    options.Parameters = QCoreApplication::arguments().mid(1);
    vok::TVokPlayForm form(std::move(options));
    if (form.MustEnd()) {
        return 1;
    }
    form.show();
    return QApplication::exec();
}

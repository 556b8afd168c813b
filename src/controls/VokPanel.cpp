#include "controls/VokPanel.h"

#include <QApplication>
#include <QPainter>

namespace vok {

TVokPanel::TVokPanel(QWidget* parent) : QWidget(parent) {}

void TVokPanel::SetTitle(const QString& title) {
    title_ = title;
    update();
}

void TVokPanel::SetInfo(const QString& info) {
    info_ = info;
    update();
}

QFont TVokPanel::TextFont() {
    QFont font = QApplication::font();
    font.setPointSize(8);
    // Small text stays crisp, in its exact colour.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void TVokPanel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    DrawVerticalGradient(painter, width(), height(), FromColor, ToColor);
    // Without a title the info line stays hidden too.
    if (title_.isEmpty()) {
        return;
    }
    painter.setFont(TextFont());
    const int ascent = painter.fontMetrics().ascent();
    painter.setPen(ToQColor(TitleColor));
    painter.drawText(5, 5 + ascent, title_);
    painter.setPen(ToQColor(InfoColor));
    painter.drawText(5, 20 + ascent, info_);
}

}  // namespace vok

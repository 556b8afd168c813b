#pragma once

#include <QString>
#include <QWidget>

#include "controls/Gradient.h"

namespace vok {

// A caption panel: a vertical colour gradient with a title line and an info line.
class TVokPanel : public QWidget {
    Q_OBJECT

  public:
    explicit TVokPanel(QWidget* parent = nullptr);

    QString Title() const { return title_; }
    void SetTitle(const QString& title);
    QString Info() const { return info_; }
    void SetInfo(const QString& info);

    // Colours are stored only; they show at the next repaint.
    TColor TitleColor = colors::Green;
    TColor InfoColor = colors::Black;
    TColor FromColor = 0x02000000;
    TColor ToColor = 0x02555555;

    // The font both lines use: the desktop's user-interface face at 8 points.
    static QFont TextFont();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString title_;
    QString info_;
};

}  // namespace vok

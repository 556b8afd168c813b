#pragma once

#include <QString>
#include <QWidget>

#include "controls/Gradient.h"

namespace vok {

// A push button painted as a vertical gradient that changes colours under the mouse.
class TKestButton : public QWidget {
    Q_OBJECT

  public:
    explicit TKestButton(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);

    // The caption's normal colour; the typeface is the widget's font.
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor color);
    TColor TextColorMO() const { return textColorMO_; }
    void SetTextColorMO(TColor color);
    TColor BgFromColor() const { return bgFromColor_; }
    void SetBgFromColor(TColor color);
    TColor BgToColor() const { return bgToColor_; }
    void SetBgToColor(TColor color);
    TColor BgOMFromColor() const { return bgOMFromColor_; }
    void SetBgOMFromColor(TColor color);
    TColor BgOMToColor() const { return bgOMToColor_; }
    void SetBgOMToColor(TColor color);

    bool MouseOver() const { return mouseOver_; }

    // Where the caption's top-left corner goes: centred, or 0 on an axis it does not fit.
    static QPoint CaptionOrigin(QSize caption, QSize button);

  signals:
    void OnClick(QObject* sender);
    void OnMouseEnter(QObject* sender);
    void OnMouseLeave(QObject* sender);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void SetColor(TColor& field, TColor color);

    QString caption_;
    TColor fontColor_ = colors::Green;
    TColor textColorMO_ = colors::Yellow;
    TColor bgFromColor_ = 0x02000000;
    TColor bgToColor_ = 0x02555555;
    TColor bgOMFromColor_ = 0x02000000;
    TColor bgOMToColor_ = 0x02999999;
    bool mouseOver_ = false;
    bool pressed_ = false;
};

}  // namespace vok

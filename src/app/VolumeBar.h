#pragma once

#include <QColor>
#include <QWidget>

namespace vok {

// The vertical volume bar of the control panel: 0 … 255, filled from the bottom in the bar
// colour on black. It only shows a value and reports the mouse; the playback engine decides.
class TVolBar : public QWidget {
    Q_OBJECT

  public:
    static constexpr int MaxValue = 255;

    explicit TVolBar(QWidget* parent = nullptr);

    int Value() const { return value_; }
    void SetValue(int value);
    QColor BarColor() const { return barColor_; }
    void SetBarColor(const QColor& colour);

  signals:
    // Any button released at row y.
    void MouseUp(int y);
    // The pointer moved to row y; leftHeld while the left button is down.
    void MouseMove(int y, bool leftHeld);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    int value_ = MaxValue;
    QColor barColor_{0, 255, 0};
};

}  // namespace vok

#pragma once

#include <QColor>
#include <QWidget>

namespace vok {

// The vertical volume bar of the control panel: 0 … 255, filled from the bottom on black, in a
// green as bright as the volume. A release of any button picks the volume at the pointer; moving
// with the left button held picks it whenever it changes.
class TVolBar : public QWidget {
    Q_OBJECT

  public:
    static constexpr int MaxValue = 255;

    explicit TVolBar(QWidget* parent = nullptr);

    int Value() const { return value_; }
    void SetValue(int value);
    QColor BarColor() const { return QColor(0, value_, 0); }

    // The volume for the pointer at row y of a bar `height` rows high, 0 … 255: the top row is
    // loudest, rows outside the bar count as its ends.
    static int ValueAt(int y, int height);

  signals:
    void VolumePicked(int value);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    int value_ = MaxValue;
};

}  // namespace vok

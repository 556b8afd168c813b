#pragma once

#include <QPixmap>
#include <QSize>
#include <QWidget>
#include <vector>

namespace vok {

// A list of same-sized pictures; a transport button shows one of them at a time.
struct TImageList {
    QSize ImageSize;
    std::vector<QPixmap> Images;

    int Count() const { return static_cast<int>(Images.size()); }
};

// An image control that reports the mouse entering and leaving it and the clicks on it. The
// picture is drawn unscaled at the top-left corner and clipped to the control.
class TImageEx : public QWidget {
    Q_OBJECT

  public:
    explicit TImageEx(QWidget* parent = nullptr);

    const QPixmap& Picture() const { return picture_; }
    void SetPicture(const QPixmap& picture);

    // Shows image `index` of the list (a picture of the list's image size) and repaints; at once
    // when `immediately`, so a press shows before the click's work starts. An index the list does
    // not hold leaves the picture as it is.
    void ShowImage(const TImageList& list, int index, bool immediately = false);
    // The list index shown last; -1 before any.
    int ImageIndex() const { return imageIndex_; }

  signals:
    void OnClick(QObject* sender);
    void OnMouseDown(QObject* sender, Qt::MouseButton button);
    void OnMouseUp(QObject* sender, Qt::MouseButton button);
    void OnMouseEnter(QObject* sender);
    void OnMouseLeave(QObject* sender);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QPixmap picture_;
    int imageIndex_ = -1;
    bool pressed_ = false;
};

}  // namespace vok

#pragma once

#include "controls/SpectrumPicture.h"
#include "controls/SpectrumSource.h"

#include <QImage>
#include <QWidget>

#include <vector>

namespace vok {

// The small spectrum analyser of the control panel: a frame per display tick in one of four
// styles, or a hint text in style ssNone. Switched off, or with nothing playing, it shows its
// still look: the hint in ssNone, only its background otherwise. Switched off it still takes
// clicks (a click cycles the style), so it is never disabled as a widget.
class TMiniSpectrum : public QWidget {
    Q_OBJECT

  public:
    explicit TMiniSpectrum(const SpectrumSource& source, QWidget* parent = nullptr);

    TSpectrumStyle Style() const { return style_; }
    void SetStyle(TSpectrumStyle style) { style_ = style; }
    // Shown at once while nothing plays, by the next frame while a song plays.
    void NextStyle();
    void SetActivateText(const QString& text) { activateText_ = text; }
    bool Active() const { return active_; }
    void SetActive(bool active) { active_ = active; }

    // Computes and shows one frame.
    void UpdateFrame();
    // Shows the still look.
    void Clear();

    const SpectrumPicture& Picture() const { return picture_; }
    // What the control shows now.
    const QImage& BackBuffer() const { return backBuffer_; }

  signals:
    void OnClick();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void DrawPicture();
    // The back buffer in the control's size, filled with the background.
    void BlankBackBuffer();
    void DrawStillLook();
    // The picture into the back buffer; false when it showed exactly this already.
    bool ShowPicture();

    const SpectrumSource& source_;
    SpectrumPicture picture_;
    QImage backBuffer_;
    TSpectrumStyle style_ = TSpectrumStyle::ssSmooth;
    bool active_ = false;
    bool stillShown_ = true;  // the back buffer holds the still look, not a frame
    QString activateText_;
    std::vector<float> data_;
};

}  // namespace vok

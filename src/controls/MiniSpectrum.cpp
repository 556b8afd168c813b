#include "controls/MiniSpectrum.h"

#include <QMouseEvent>
#include <QPainter>

namespace vok {

TMiniSpectrum::TMiniSpectrum(const SpectrumSource& source, QWidget* parent)
    : QWidget(parent),
      source_(source),
      backBuffer_(80, 32, QImage::Format_RGB32),
      data_(SpectrumPicture::FftBins) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(80, 32);
    backBuffer_.fill(Qt::black);
}

void TMiniSpectrum::DrawPicture() {
    switch (style_) {
        case TSpectrumStyle::ssSmooth:
        case TSpectrumStyle::ssBlock:
        case TSpectrumStyle::ss3D:
            if (!source_.Fft(data_.data())) {
                std::fill(data_.begin(), data_.end(), 0.0F);
            }
            if (style_ == TSpectrumStyle::ssSmooth) {
                picture_.DrawSmooth(data_.data());
            } else if (style_ == TSpectrumStyle::ssBlock) {
                picture_.DrawBlock(data_.data());
            } else {
                picture_.Draw3D(data_.data());
            }
            break;
        case TSpectrumStyle::ssWave: {
            const int channels = std::max(source_.Channels(), 1);
            std::vector<float> samples(static_cast<std::size_t>(channels) *
                                       SpectrumPicture::WaveFrames);
            if (!source_.Samples(samples.data(), SpectrumPicture::WaveFrames)) {
                std::fill(samples.begin(), samples.end(), 0.0F);
            }
            picture_.DrawWave(samples.data(), channels);
            break;
        }
        case TSpectrumStyle::ssNone:
            break;
    }
}

void TMiniSpectrum::NextStyle() {
    style_ = NextSpectrumStyle(style_);
    // No tick draws frames while nothing plays: the new style shows its still look now.
    if (!source_.Playing()) {
        Clear();
    }
}

void TMiniSpectrum::BlankBackBuffer() {
    if (backBuffer_.size() != size()) {
        backBuffer_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    }
    backBuffer_.fill(Qt::black);
}

void TMiniSpectrum::DrawStillLook() {
    BlankBackBuffer();
    if (style_ == TSpectrumStyle::ssNone) {
        QPainter painter(&backBuffer_);
        painter.setPen(Qt::white);
        painter.setFont(font());
        painter.drawText(backBuffer_.rect(), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                         activateText_);
    }
}

void TMiniSpectrum::UpdateFrame() {
    if (active_ && style_ != TSpectrumStyle::ssNone && source_.Playing()) {
        BlankBackBuffer();
        DrawPicture();
        QPainter painter(&backBuffer_);
        painter.drawImage(0, 0, picture_.Image());
    } else {
        DrawStillLook();
    }
    update();
}

void TMiniSpectrum::Clear() {
    DrawStillLook();
    update();
}

void TMiniSpectrum::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(0, 0, backBuffer_);
}

void TMiniSpectrum::resizeEvent(QResizeEvent* /*event*/) {
    // Every pixel of the new size is painted, before the first frame as well.
    if (!source_.Playing()) {
        Clear();
    }
}

void TMiniSpectrum::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    // A click cycles the style whether or not the analyser is enabled.
    if (rect().contains(event->position().toPoint())) {
        NextStyle();
        emit OnClick();
    }
}

}  // namespace vok

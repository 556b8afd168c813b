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

void TMiniSpectrum::UpdateFrame() {
    if (backBuffer_.size() != size()) {
        backBuffer_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    }
    backBuffer_.fill(Qt::black);
    QPainter painter(&backBuffer_);
    if (active_ && style_ != TSpectrumStyle::ssNone && source_.Playing()) {
        DrawPicture();
        painter.drawImage(0, 0, picture_.Image());
    } else if (style_ == TSpectrumStyle::ssNone) {
        painter.setPen(Qt::white);
        painter.setFont(font());
        painter.drawText(backBuffer_.rect(), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                         activateText_);
    }
    painter.end();
    update();
}

void TMiniSpectrum::Clear() {
    backBuffer_.fill(Qt::black);
    update();
}

void TMiniSpectrum::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(0, 0, backBuffer_);
}

void TMiniSpectrum::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    // A click cycles the style whether or not the analyser is enabled; the next frame shows it.
    if (rect().contains(event->position().toPoint())) {
        NextStyle();
        emit OnClick();
    }
}

}  // namespace vok

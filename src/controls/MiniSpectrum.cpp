#include "controls/MiniSpectrum.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

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
    stillShown_ = true;
    if (style_ == TSpectrumStyle::ssNone) {
        QPainter painter(&backBuffer_);
        painter.setPen(Qt::white);
        painter.setFont(font());
        painter.drawText(backBuffer_.rect(), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                         activateText_);
    }
}

bool TMiniSpectrum::ShowPicture() {
    bool changed = false;
    if (stillShown_ || backBuffer_.size() != size()) {
        BlankBackBuffer();
        stillShown_ = false;
        changed = true;
    }
    // Through the palette by hand: a painter and Qt's conversion would cost more than the frame,
    // and a frame like the last one (silence, a held note) needs no paint at all.
    const QImage& picture = picture_.Image();
    const QList<QRgb> colours = picture.colorTable();
    const int width = std::min(picture.width(), backBuffer_.width());
    const int height = std::min(picture.height(), backBuffer_.height());
    for (int y = 0; y < height; ++y) {
        const uchar* in = picture.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(backBuffer_.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb colour = colours[in[x]];
            changed = changed || out[x] != colour;
            out[x] = colour;
        }
    }
    return changed;
}

void TMiniSpectrum::UpdateFrame() {
    if (active_ && style_ != TSpectrumStyle::ssNone && source_.Playing()) {
        DrawPicture();
        if (ShowPicture()) {
            update();
        }
        return;
    }
    DrawStillLook();
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

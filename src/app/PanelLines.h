#pragma once

#include "audio/PlayerView.h"

#include <QString>

namespace vok {

class TVokPanel;

// One of the two information panels (lyric file, song) as the engine and the song search write
// to it: a title line, an info line and a hover hint.
class PanelLines : public SongPanel {
  public:
    void Attach(TVokPanel* panel);

    void SetTitleLine(const QString& text) override;
    void SetInfoLine(const QString& text) override;
    void SetHint(const QString& text) override;
    void SetShowHint(bool show) override;
    void Clear() override;

    QString TitleLine() const;
    QString InfoLine() const;
    // The hint as the pointer would show it (empty while hints are off).
    QString VisibleHint() const;

  private:
    void ApplyHint();

    TVokPanel* panel_ = nullptr;
    QString hint_;
    bool showHint_ = false;
};

}  // namespace vok

#pragma once

#include "playlist/PlayList.h"

namespace vok {

class TVokPlayForm;

// The playlist rules' view of the player window: every call is a short step on the window.
class PlayListBridge : public PlayListHost {
  public:
    explicit PlayListBridge(TVokPlayForm& form) : form_(form) {}

    int PlayState() const override;
    void SetPlayState(int state) override;
    bool StreamLoaded() const override;
    bool LaddaFil(const QString& fileName) override;
    void StartLoadedSong() override;
    void StartDisplay() override;
    void Stoppa() override;
    void UnloadAudio() override;
    void ClearSong() override;
    void OpenLyricFile(const QString& fileName) override;
    void OpenAudioFile(const QString& fileName) override;
    void RepaintRows() override;
    void RemoveAllRows() override;
    void RefreshStatusLine() override;

  private:
    TVokPlayForm& form_;
};

}  // namespace vok

#pragma once

#include "controls/ControlPanel.h"
#include "player/PlayerController.h"
#include "player/PlayerViews.h"

#include <QWidget>

class QPushButton;

namespace vok {

class TMiniSpectrum;
class TPlayListFrm;
class TVolBar;

// The player window: the lyric display on top and the control panel below. It lays out the
// controls, paints the controller's display surface and forwards clicks and keys; every rule
// lives in the controller.
class TVokPlayForm : public QWidget, public PlayerWindowView {
    Q_OBJECT

  public:
    explicit TVokPlayForm(PlayerController& controller, QWidget* parent = nullptr);

    const PanelControls& Controls() const { return controls_; }
    QPushButton* RandBtn() const { return randBtn_; }
    TVolBar* VolBar() const { return volBar_; }
    TMiniSpectrum* Spectrum() const { return spectrum_; }
    QPushButton* PLBtn() const { return plBtn_; }
    QPushButton* InstBtn() const { return instBtn_; }

    // The playlist window: "Playlist" shows and hides it and stays down while it is visible.
    void AttachPlaylistWindow(TPlayListFrm* playlist);

    // PlayerWindowView.
    void SetCaption(const QString& caption) override;
    void ShowInfoPanel(InfoPanelId panel, const InfoPanelText& text) override;
    void SetLoadButtonsEnabled(bool enabled) override;
    void ShowPlayButton(bool lit) override;
    void ShowPauseButton(bool lit) override;
    void ShowVolume(int volume) override;
    void ShowRandom(bool down) override;
    void UpdateSpectrum() override;
    void ClearSpectrum() override;
    void SurfaceChanged(const QRect& area) override;
    void BringToFront() override;
    QList<QRect> Screens() const override;
    void EnterFullScreen(const QRect& area) override;
    void LeaveFullScreen() override;
    void EnableSettingsButton(bool enabled) override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void BuildLayout();
    void ConnectControls();
    void PlaceWindow();
    void WatchScreens();
    void TransportMouseUp(QObject* sender);

    PlayerController& controller_;
    QWidget* panelen_ = nullptr;
    PanelControls controls_;
    TVolBar* volBar_ = nullptr;
    QPushButton* randBtn_ = nullptr;
    QPushButton* fsBtn_ = nullptr;
    QWidget* specPanel_ = nullptr;
    TMiniSpectrum* spectrum_ = nullptr;
    QPushButton* plBtn_ = nullptr;
    QPushButton* instBtn_ = nullptr;
    QPoint windowPosition_;  // where the window was before full screen
    bool shown_ = false;
    bool painted_ = false;
};

}  // namespace vok

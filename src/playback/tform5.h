#pragma once

#include <QWidget>
#include <memory>

#include "playback/mediaplayer.h"

namespace Ui { class TForm5; }

namespace playback {

class MprisPlayer;

// "Odbiór strumienia": one stream in its own window. Owned by no one; it frees itself, its
// player and its stream when closed.
class TForm5 final : public QWidget {
  Q_OBJECT
 public:
  // Creates the embedded player as well; throws PlayerError when it cannot be created.
  TForm5();
  ~TForm5() override;

  MediaPlayer* player() const;
  // The window's media player on the session bus; published once the window runs.
  MprisPlayer* mpris() const { return mpris_; }
  // Places the window, frame included, at the centre of the screen.
  void moveToScreenCentre();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FormClose();
  void FormResize();
  void WindowsMediaPlayer1StatusChange();

  std::unique_ptr<Ui::TForm5> ui;
  MprisPlayer* mpris_;
};

// Opens a new player window for the station's streamUrl, starts the stream and shows the window
// at the centre of the screen. Throws PlayerError, and then shows nothing, when the player cannot
// be created or refuses to play.
TForm5* OpenPlayerWindow(const QString& streamUrl, const QString& stationName);

}  // namespace playback

#pragma once

#include <QRect>
#include <QString>

class QPainter;

namespace playback {

// What the player's screen says over the picture.
struct ScreenText {
  QString station;  // the station's name, for a stream without a picture
  QString title;    // what it plays now, likewise
  QString notice;   // the connection's state or why the stream stopped, for any stream
};

// Draws the station and title in the middle of the screen and the notice along its top. The
// bottom strip stays free for mpv's control bar.
void paintScreenText(QPainter& painter, const QRect& screen, const ScreenText& text);

}  // namespace playback

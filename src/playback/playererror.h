#pragma once

#include <QString>
#include <stdexcept>

namespace playback {

// A player window that could not be made ready to play; text() is for the user.
class PlayerError : public std::runtime_error {
 public:
  explicit PlayerError(const QString& text) : std::runtime_error(text.toStdString()) {}
  QString text() const { return QString::fromStdString(what()); }
};

}  // namespace playback

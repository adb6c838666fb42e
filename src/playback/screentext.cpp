#include "screentext.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextOption>
#include <algorithm>

namespace playback {
namespace {

constexpr int kMargin = 8;

// mpv lays its control bar out for a screen 720 rows high and scales it with the window: 56 of
// those rows along the bottom edge, always shown. The texts keep clear of it with room to spare.
int controlBarReserve(int screenHeight) { return std::max(48, screenHeight * 64 / 720); }

QFont sized(const QFont& base, int pixels, bool bold) {
  QFont font(base);
  font.setPixelSize(std::max(pixels, 11));
  font.setBold(bold);
  return font;
}

// Wrapped text in a box that keeps it readable over any picture; returns the box's height.
int drawBoxed(QPainter& painter, const QRect& area, const QString& text, int flags) {
  const QRect needed = painter.fontMetrics().boundingRect(area, flags | Qt::TextWordWrap, text);
  const QRect box = needed.adjusted(-kMargin / 2, -kMargin / 4, kMargin / 2, kMargin / 4);
  painter.fillRect(box, QColor(0, 0, 0, 170));
  painter.drawText(area, flags | Qt::TextWordWrap, text);
  return box.height();
}

}  // namespace

void paintScreenText(QPainter& painter, const QRect& screen, const ScreenText& text) {
  if (text.station.isEmpty() && text.title.isEmpty() && text.notice.isEmpty()) return;
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setPen(Qt::white);
  const QFont base = painter.font();
  const QRect usable = screen.adjusted(kMargin, kMargin, -kMargin, -controlBarReserve(screen.height()));
  painter.setClipRect(usable.adjusted(-kMargin / 2, -kMargin / 2, kMargin / 2, 0));
  int top = usable.top();
  if (!text.notice.isEmpty()) {
    painter.setFont(sized(base, screen.height() / 24, false));
    top += drawBoxed(painter, usable, text.notice, Qt::AlignHCenter | Qt::AlignTop) + kMargin;
  }
  if (!text.station.isEmpty() || !text.title.isEmpty()) {
    // Name and title centred together in what is left above the bar.
    const QFont stationFont = sized(base, std::min(screen.height() / 11, 40), true);
    const QFont titleFont = sized(base, std::min(screen.height() / 17, 26), false);
    const QString station = QFontMetrics(stationFont).elidedText(text.station, Qt::ElideRight, usable.width());
    const int stationHeight = station.isEmpty() ? 0 : QFontMetrics(stationFont).height();
    const QRect titleArea(usable.left(), 0, usable.width(), usable.bottom() - top);
    const int titleHeight = text.title.isEmpty() ? 0
                            : QFontMetrics(titleFont).boundingRect(titleArea, Qt::TextWordWrap, text.title).height();
    const int gap = stationHeight && titleHeight ? kMargin : 0;
    int y = top + std::max(0, (usable.bottom() - top - stationHeight - gap - titleHeight) / 2);
    if (stationHeight) {
      painter.setFont(stationFont);
      painter.drawText(QRect(usable.left(), y, usable.width(), stationHeight), Qt::AlignHCenter | Qt::AlignTop, station);
      y += stationHeight + gap;
    }
    if (titleHeight) {
      painter.setFont(titleFont);
      painter.drawText(QRect(usable.left(), y, usable.width(), usable.bottom() - y), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text.title);
    }
  }
  painter.restore();
}

}  // namespace playback

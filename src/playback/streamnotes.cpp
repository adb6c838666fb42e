#include "streamnotes.h"

#include <QStringDecoder>
#include <mpv/client.h>

#include "platform/codepage.h"

namespace playback {
namespace {

QByteArray tagValue(const StreamTags& tags, QByteArrayView key) {
  for (const auto& [name, value] : tags)
    if (name.compare(key, Qt::CaseInsensitive) == 0) return value.trimmed();
  return {};
}

// Why mpv could not play the stream, in the user's words.
QString failureReason(int error) {
  switch (error) {
    case MPV_ERROR_LOADING_FAILED:
      return QStringLiteral("nie udało się pobrać danych spod tego adresu.");
    case MPV_ERROR_UNKNOWN_FORMAT:
      return QStringLiteral("pod tym adresem nie ma strumienia w znanym formacie.");
    case MPV_ERROR_NOTHING_TO_PLAY:
      return QStringLiteral("strumień nie zawiera ani dźwięku, ani obrazu.");
    case MPV_ERROR_AO_INIT_FAILED:
      return QStringLiteral("nie można uruchomić odtwarzania dźwięku.");
    case MPV_ERROR_VO_INIT_FAILED:
      return QStringLiteral("nie można wyświetlić obrazu.");
    case MPV_ERROR_UNSUPPORTED:
      return QStringLiteral("ten format strumienia nie jest obsługiwany.");
    default:
      return QStringLiteral("błąd odtwarzacza (%1).").arg(QString::fromUtf8(mpv_error_string(error)));
  }
}

}  // namespace

QString tagText(QByteArrayView bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (utf8.hasError()) text = platform::toUnicode(bytes, platform::CodePage::Windows1250);
  return text.trimmed();
}

QString currentTitle(const StreamTags& tags) {
  if (const QByteArray icy = tagValue(tags, "icy-title"); !icy.isEmpty()) return tagText(icy);
  const QString title = tagText(tagValue(tags, "title"));
  const QString artist = tagText(tagValue(tags, "artist"));
  if (title.isEmpty()) return artist;
  if (artist.isEmpty()) return title;
  return artist + QStringLiteral(" – ") + title;
}

bool StreamNotes::opening() {
  const bool changed = !title_.isEmpty() || !notice_.isEmpty();
  *this = StreamNotes();
  return changed;
}

bool StreamNotes::logLine(QByteArrayView prefix, QByteArrayView text, double buffered) {
  if (!prefix.startsWith("ffmpeg") && prefix != QByteArrayView("ytdl_hook")) return false;
  const QByteArray line = text.toByteArray();
  // The network layer retries a broken connection by itself ("reconnect" options) and says so.
  if (prefix.startsWith("ffmpeg") && line.contains("Will reconnect at")) {
    if (attempts_ == 0) bufferedAtBreak_ = buffered;
    ++attempts_;
    return setNotice(QStringLiteral("Połączenie ze stacją zostało przerwane – ponowne łączenie (próba %1)…")
                         .arg(attempts_));
  }
  // mpv hands a web page it cannot play to the page resolver, which may be missing or give up.
  if (prefix == QByteArrayView("ytdl_hook") && line.startsWith("youtube-dl failed:"))
    resolver_ = line.contains("not found") ? Resolver::Missing : Resolver::Failed;
  return false;
}

bool StreamNotes::tags(const StreamTags& tags) {
  const QString title = currentTitle(tags);
  if (title == title_) return false;
  title_ = title;
  return true;
}

bool StreamNotes::buffered(double seconds) {
  // New data after the break: the connection is back. Data from before the break cannot show
  // here, since the break was noted with what was buffered by then.
  if (attempts_ == 0 || seconds <= bufferedAtBreak_) return false;
  attempts_ = 0;
  return setNotice({});
}

bool StreamNotes::ended(int error) {
  if (error < 0) {
    failed_ = true;
    if (error == MPV_ERROR_UNKNOWN_FORMAT && resolver_ == Resolver::Missing)
      setNotice(QStringLiteral("Nie można odtworzyć strumienia: pod tym adresem jest strona internetowa, a do "
                               "odtwarzania stacji ze stron potrzebny jest program yt-dlp, którego nie znaleziono."));
    else if (error == MPV_ERROR_UNKNOWN_FORMAT && resolver_ == Resolver::Failed)
      setNotice(QStringLiteral("Nie można odtworzyć strumienia: pod tym adresem jest strona internetowa, na której "
                               "nie udało się odnaleźć strumienia."));
    else
      setNotice(QStringLiteral("Nie można odtworzyć strumienia: ") + failureReason(error));
  } else if (attempts_ > 0) {
    failed_ = true;
    attempts_ = 0;
    setNotice(QStringLiteral("Połączenie ze stacją zostało przerwane i mimo kolejnych prób nie udało się go wznowić."));
  }
  return failed_;
}

bool StreamNotes::setNotice(const QString& notice) {
  if (notice == notice_) return false;
  notice_ = notice;
  return true;
}

}  // namespace playback

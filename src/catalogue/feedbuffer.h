#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <array>
#include <cstring>

class QIODevice;

namespace catalogue {

// The scrambling of catalogue files: every byte is XORed with the low 8 bits of a running key that
// starts afresh for each file at 0x6A3F2B17 and drops by 13 after every byte. Applying it twice
// gives the plain bytes back. As 13 is odd, those low 8 bits repeat every 256 bytes, so the key is
// kept as the position in that cycle and applied from a table, a whole run of bytes at a time.
class FeedKey {
 public:
  static constexpr quint32 kStart = 0x6A3F2B17;

  void apply(char* bytes, qsizetype count) {
    while (count > 0) {
      const qsizetype run = std::min<qsizetype>(count, kCycle);
      const unsigned char* key = pad().data() + phase_;
      // Eight bytes at a time, then the rest one by one.
      qsizetype i = 0;
      for (; i + 8 <= run; i += 8) {
        quint64 word;
        quint64 keyWord;
        std::memcpy(&word, bytes + i, 8);
        std::memcpy(&keyWord, key + i, 8);
        word ^= keyWord;
        std::memcpy(bytes + i, &word, 8);
      }
      for (; i < run; ++i) bytes[i] = static_cast<char>(static_cast<unsigned char>(bytes[i]) ^ key[i]);
      phase_ = (phase_ + run) % kCycle;
      bytes += run;
      count -= run;
    }
  }

 private:
  static constexpr qsizetype kCycle = 256;
  // Two cycles of key bytes, so that a run of up to one cycle reads them from any phase in a row.
  static constexpr std::array<unsigned char, 2 * kCycle> makePad() {
    std::array<unsigned char, 2 * kCycle> pad{};
    quint32 key = kStart;
    for (auto& byte : pad) {
      byte = static_cast<unsigned char>(key & 0xFF);
      key -= 13;
    }
    return pad;
  }
  static const std::array<unsigned char, 2 * kCycle>& pad() {
    static constexpr std::array<unsigned char, 2 * kCycle> table = makePad();
    return table;
  }

  qsizetype phase_ = 0;
};

inline constexpr qsizetype kFeedBufferSize = 4096;

// Reads descrambled lines through one 4096-byte buffer. A line ends at the first CR or LF after at
// least one other byte; breaks at the start of a line are skipped, so CR LF, LF and CR all end a
// line and blank lines vanish.
class FeedReader {
 public:
  explicit FeedReader(QIODevice& device) : device_(device) {}

  enum Status { Line, End, Error };
  // The next line, without its break; `line` stays valid until the next call. A last line without
  // a break is returned like any other.
  Status readLine(QByteArrayView& line);
  // Where the line returned last starts, counting CR LF, LF and CR as one break each.
  qint64 lineNumber() const { return lineNumber_; }
  QString errorString() const;

 private:
  bool refill();
  void countBreak(char byte);

  QIODevice& device_;
  std::array<char, kFeedBufferSize> buffer_;
  qsizetype pos_ = 0;
  qsizetype count_ = 0;
  qsizetype nextLf_ = -1;  // where the next LF in the buffer is, once searched for
  FeedKey key_;
  bool eof_ = false;
  bool failed_ = false;
  QByteArray pending_;  // a line that runs across a buffer refill
  qint64 nextLine_ = 1;
  qint64 lineNumber_ = 0;
  bool afterCr_ = false;
};

// Scrambles bytes through one 4096-byte buffer into a file descriptor. Errors are kept as errno
// values; after the first one nothing more is written.
class FeedWriter {
 public:
  explicit FeedWriter(int fd) : fd_(fd) {}
  void write(QByteArrayView bytes);
  // Writes what is left in the buffer; 0 or the first errno met.
  int finish();

 private:
  void flushBuffer();

  int fd_;
  std::array<char, kFeedBufferSize> buffer_;
  qsizetype pos_ = 0;
  FeedKey key_;
  int error_ = 0;
  qint64 written_ = 0;
  qint64 writebackStarted_ = 0;
};

}  // namespace catalogue

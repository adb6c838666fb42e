#include "feedbuffer.h"

#include <QIODevice>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace catalogue {
namespace {

bool isBreak(char byte) { return byte == '\r' || byte == '\n'; }

}  // namespace

bool FeedReader::refill() {
  const qint64 read = device_.read(buffer_.data(), kFeedBufferSize);
  pos_ = 0;
  if (read < 0) {
    failed_ = true;
    count_ = 0;
    return false;
  }
  count_ = read;
  nextLf_ = -1;
  if (read == 0) eof_ = true;
  key_.apply(buffer_.data(), count_);
  return read > 0;
}

void FeedReader::countBreak(char byte) {
  if (byte == '\n' && afterCr_) {
    afterCr_ = false;
    return;
  }
  afterCr_ = byte == '\r';
  ++nextLine_;
}

FeedReader::Status FeedReader::readLine(QByteArrayView& line) {
  pending_.resize(0);
  bool atLineStart = true;
  for (;;) {
    if (count_ == 0) {
      if (failed_) return Error;
      if (eof_ || !refill()) {
        if (failed_) return Error;
        if (atLineStart) return End;
        line = pending_;
        return Line;
      }
    }
    const char* start = buffer_.data() + pos_;
    const char* end = start + count_;
    const char* p = start;
    if (atLineStart) {
      while (p != end && isBreak(*p)) countBreak(*p++);
      count_ -= p - start;
      pos_ += p - start;
      if (p == end) continue;
      atLineStart = false;
      afterCr_ = false;
      lineNumber_ = nextLine_;
      start = p;
    }
    // The first LF, then the first CR before it. Where the LF found lies beyond this line (CR-only
    // breaks) it is remembered, so no byte of the buffer is searched for an LF twice.
    if (nextLf_ < p - buffer_.data()) {
      const void* lf = std::memchr(p, '\n', end - p);
      nextLf_ = lf ? static_cast<const char*>(lf) - buffer_.data() : kFeedBufferSize;
    }
    const char* limit = std::min<const char*>(buffer_.data() + nextLf_, end);
    const char* cr = static_cast<const char*>(std::memchr(p, '\r', limit - p));
    p = cr ? cr : limit;
    const qsizetype taken = p - start;
    if (taken > 0) afterCr_ = false;
    if (p == end) {
      pending_.append(start, taken);
      pos_ += taken;
      count_ = 0;
      continue;
    }
    countBreak(*p);
    pos_ += taken + 1;
    count_ -= taken + 1;
    if (pending_.isEmpty()) {
      line = QByteArrayView(start, taken);
    } else {
      pending_.append(start, taken);
      line = pending_;
    }
    return Line;
  }
}

QString FeedReader::errorString() const { return device_.errorString(); }

void FeedWriter::write(QByteArrayView bytes) {
  const char* data = bytes.data();
  qsizetype left = bytes.size();
  while (left > 0) {
    if (pos_ == kFeedBufferSize) flushBuffer();
    const qsizetype chunk = std::min(left, kFeedBufferSize - pos_);
    std::memcpy(buffer_.data() + pos_, data, chunk);
    key_.apply(buffer_.data() + pos_, chunk);
    pos_ += chunk;
    data += chunk;
    left -= chunk;
  }
}

void FeedWriter::flushBuffer() {
  const char* data = buffer_.data();
  qsizetype left = pos_;
  pos_ = 0;
  while (left > 0 && error_ == 0) {
    const ssize_t written = ::write(fd_, data, left);
    if (written < 0) {
      if (errno != EINTR) error_ = errno;
      continue;
    }
    data += written;
    left -= written;
    written_ += written;
  }
  // A large catalogue is flushed to disk at the end of a save; starting the disk writes as the
  // data comes shortens that wait. Only a hint: the final flush reports any error.
  constexpr qint64 kWritebackStep = 1 << 20;
  if (written_ - writebackStarted_ >= kWritebackStep) {
    ::sync_file_range(fd_, writebackStarted_, written_ - writebackStarted_, SYNC_FILE_RANGE_WRITE);
    writebackStarted_ = written_;
  }
}

int FeedWriter::finish() {
  if (pos_ > 0) flushBuffer();
  return error_;
}

}  // namespace catalogue

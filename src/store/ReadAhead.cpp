#include "store/ReadAhead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace tf {

std::string SystemErrorText(int error) {
  char buf[256];
  // GNU strerror_r returns the text (maybe not in buf).
  const char* text = strerror_r(error, buf, sizeof buf);
  return text;
}

std::string ErrorText(const std::exception& e) {
  if (dynamic_cast<const std::bad_alloc*>(&e)) return MsgOutOfMemory;
  return e.what();
}

namespace {

TFileIdentity IdentityOf(const struct stat& st) {
  TFileIdentity id;
  id.Exists = true;
  id.Device = uint64_t(st.st_dev);
  id.Inode = uint64_t(st.st_ino);
  id.Size = int64_t(st.st_size);
  id.ModifiedSec = int64_t(st.st_mtim.tv_sec);
  id.ModifiedNsec = int64_t(st.st_mtim.tv_nsec);
  return id;
}

}  // namespace

TFileIdentity IdentityOfFd(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 ? IdentityOf(st) : TFileIdentity{};
}

TFileIdentity IdentityOfPath(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? IdentityOf(st) : TFileIdentity{};
}

TReadAheadStream::TReadAheadStream(const std::string& path, std::size_t bufferSize)
    : TReadAheadStream(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY), path,
                       bufferSize) {}

TReadAheadStream::TReadAheadStream(int fd, const std::string& path, std::size_t bufferSize)
    : path_(path), fd_(fd), buffer_(std::clamp<std::size_t>(bufferSize, 1, MaxBufferSize)) {
  if (fd_ < 0) throw EReadBufferError("File open error");
  struct stat st;
  bool ok = ::fstat(fd_, &st) == 0 && !S_ISDIR(st.st_mode);
  if (!ok || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    if (!ok) throw EReadBufferError("File open error");
    throw ENotRegularFile(MsgNotRegularFile);
  }
  // Opened without waiting (a FIFO would block the open itself); reads wait as usual.
  int flags = ::fcntl(fd_, F_GETFL);
  if (flags >= 0 && (flags & O_NONBLOCK)) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
  size_ = st.st_size;
  identity_ = IdentityOf(st);
}

TReadAheadStream::~TReadAheadStream() {
  if (fd_ >= 0) ::close(fd_);
}

void TReadAheadStream::Seek(int64_t position) {
  if (position < 0) position = 0;
  if (position >= bufferPos_ && position <= bufferPos_ + int64_t(valid_)) {
    readPos_ = std::size_t(position - bufferPos_);
    return;
  }
  bufferPos_ = position;
  valid_ = 0;
  readPos_ = 0;
}

bool TReadAheadStream::Fill() {
  bufferPos_ += int64_t(readPos_);
  readPos_ = 0;
  valid_ = 0;
  for (;;) {
    ssize_t n = ::pread(fd_, buffer_.data(), buffer_.size(), bufferPos_);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    valid_ = std::size_t(n);
    return true;
  }
}

std::size_t TReadAheadStream::Read(void* dest, std::size_t count) {
  char* out = static_cast<char*>(dest);
  std::size_t done = 0;
  while (done < count) {
    if (readPos_ == valid_) {
      // A large read goes straight to the destination, past the buffer.
      if (count - done >= buffer_.size()) {
        bufferPos_ += int64_t(readPos_);
        readPos_ = valid_ = 0;
        ssize_t n = ::pread(fd_, out + done, count - done, bufferPos_);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bufferPos_ += n;
        done += std::size_t(n);
        continue;
      }
      if (!Fill()) break;
    }
    std::size_t n = std::min(count - done, valid_ - readPos_);
    std::memcpy(out + done, buffer_.data() + readPos_, n);
    readPos_ += n;
    done += n;
  }
  return done;
}

bool TReadAheadStream::Skip(int64_t count) {
  if (count < 0) return false;
  int64_t target = Position() + count;
  if (target > Size()) {
    Seek(Size());
    return false;
  }
  Seek(target);
  return true;
}

bool TReadAheadStream::CopyTo(TBufferedWriter& out, int64_t count) {
  // Large copies (whole disk blocks of a save) go from file to file in the kernel.
  constexpr int64_t DirectCopy = 1 << 16;
  if (count >= DirectCopy) {
    int64_t from = Position();
    bool complete = out.AppendFromFile(fd_, from, count);
    Seek(from + count);
    return complete;
  }
  while (count > 0) {
    if (readPos_ == valid_ && !Fill()) return false;
    std::size_t n = std::size_t(std::min<int64_t>(count, int64_t(valid_ - readPos_)));
    out.Write(buffer_.data() + readPos_, n);
    readPos_ += n;
    count -= int64_t(n);
  }
  return true;
}

bool TReadAheadStream::Eof() {
  if (readPos_ < valid_) return false;
  return Position() >= Size();
}

TBufferedWriter::TBufferedWriter(int fd) : fd_(fd), buffer_(BufferSize) {}

void TBufferedWriter::WriteAll(const char* data, std::size_t count) {
  while (count > 0) {
    ssize_t n = ::write(fd_, data, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EStreamError(SystemErrorText(errno));
    }
    if (n == 0) throw EStreamError(SystemErrorText(ENOSPC));
    data += n;
    count -= std::size_t(n);
    flushed_ += n;
  }
}

void TBufferedWriter::Write(const void* data, std::size_t count) {
  if (count == 0) return;
  const char* p = static_cast<const char*>(data);
  if (used_ + count > buffer_.size()) {
    Flush();
    if (count >= buffer_.size()) {
      WriteAll(p, count);
      return;
    }
  }
  std::memcpy(buffer_.data() + used_, p, count);
  used_ += count;
}

void TBufferedWriter::Flush() {
  if (used_ == 0) return;
  std::size_t n = used_;
  used_ = 0;
  WriteAll(buffer_.data(), n);
}

bool TBufferedWriter::AppendFromFile(int fd, int64_t offset, int64_t count) {
  Flush();
  bool kernelCopy = true;
  while (count > 0) {
    if (kernelCopy) {
      loff_t in = offset;
      ssize_t n = ::copy_file_range(fd, &in, fd_, nullptr, std::size_t(count), 0);
      if (n > 0) {
        offset += n;
        count -= n;
        flushed_ += n;
        continue;
      }
      if (n == 0) return false;  // the source ended
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
        throw EStreamError(SystemErrorText(errno));
      kernelCopy = false;  // not between these files: copy through a buffer
    }
    ssize_t n = ::pread(fd, buffer_.data(), std::size_t(std::min<int64_t>(count, BufferSize)),
                        offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    WriteAll(buffer_.data(), std::size_t(n));
    offset += n;
    count -= n;
  }
  return true;
}

void TBufferedWriter::WriteAt(int64_t position, const void* data, std::size_t count) {
  const char* p = static_cast<const char*>(data);
  // The part that still sits in the buffer is patched there; the rest is on disk already.
  while (count > 0 && position < flushed_) {
    std::size_t n = std::size_t(std::min<int64_t>(int64_t(count), flushed_ - position));
    ssize_t w = ::pwrite(fd_, p, n, position);
    if (w < 0) {
      if (errno == EINTR) continue;
      throw EStreamError(SystemErrorText(errno));
    }
    if (w == 0) throw EStreamError(SystemErrorText(ENOSPC));
    p += w;
    position += w;
    count -= std::size_t(w);
  }
  if (count > 0) {
    std::size_t at = std::size_t(position - flushed_);
    if (at + count > used_) throw EStreamError("write beyond the end of the written data");
    std::memcpy(buffer_.data() + at, p, count);
  }
}

}  // namespace tf

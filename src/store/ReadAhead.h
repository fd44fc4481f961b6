#pragma once
// Buffered reading and writing of catalog files.
//
// TReadAheadStream reads through a buffer (16384 bytes for catalogs) and seeks inside the
// buffered range without any I/O, so that walking a folder level and skipping records is
// cheap. TBufferedWriter writes through a 32768-byte buffer and reports every failure (a full
// disk, say) as an exception carrying the system's message.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tf {

// A file could not be opened, read or written; the message is shown to the user.
class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class EReadBufferError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
// The file is not a catalog, or its structure is damaged.
class EInvalidCatalog : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// The path names a FIFO, a device or a socket: only a regular file can hold a catalog, and
// reading anything else could wait forever.
class ENotRegularFile : public EInvalidCatalog {
 public:
  using EInvalidCatalog::EInvalidCatalog;
};
inline constexpr char MsgNotRegularFile[] = "This is not a catalog file: it is not a regular file.";

// One version of a file: the same inode with the same size and modification time. A file
// that another program replaced or rewrote has another identity.
struct TFileIdentity {
  bool Exists = false;
  uint64_t Device = 0;
  uint64_t Inode = 0;
  int64_t Size = 0;
  int64_t ModifiedSec = 0;
  int64_t ModifiedNsec = 0;
  bool operator==(const TFileIdentity&) const = default;
};
TFileIdentity IdentityOfFd(int fd);
// The file a path names now (links followed); Exists is false when there is none.
TFileIdentity IdentityOfPath(const std::string& path);

class TBufferedWriter;

class TReadAheadStream {
 public:
  static constexpr std::size_t MaxBufferSize = 262143;
  // Opens an existing file for reading; raises EReadBufferError "File open error", and
  // ENotRegularFile for a FIFO, device or socket (without waiting for a writer).
  explicit TReadAheadStream(const std::string& path, std::size_t bufferSize = 16384);
  // Reads the open regular file fd (which the stream now owns); path names it in messages.
  TReadAheadStream(int fd, const std::string& path, std::size_t bufferSize = 16384);
  ~TReadAheadStream();
  TReadAheadStream(const TReadAheadStream&) = delete;
  TReadAheadStream& operator=(const TReadAheadStream&) = delete;

  const std::string& Path() const { return path_; }
  int64_t Position() const { return bufferPos_ + int64_t(readPos_); }
  void Seek(int64_t position);
  // The file's length when it was opened: a catalog's file does not change while it is open.
  int64_t Size() const { return size_; }
  // The version of the file that was opened.
  const TFileIdentity& Identity() const { return identity_; }
  // Copies up to count bytes; fewer only at the end of the file (or on a read error).
  std::size_t Read(void* dest, std::size_t count);
  // Skips count bytes; false when the end of the file came first.
  bool Skip(int64_t count);
  // True when all count bytes were copied to out.
  bool CopyTo(TBufferedWriter& out, int64_t count);
  bool Eof();

 private:
  bool Fill();  // refills the buffer at the current position; false when nothing came
  std::string path_;
  int fd_ = -1;
  int64_t size_ = 0;
  TFileIdentity identity_;
  std::vector<char> buffer_;
  int64_t bufferPos_ = 0;   // file position of the buffer's first byte
  std::size_t valid_ = 0;   // valid bytes in the buffer
  std::size_t readPos_ = 0; // read position within the buffer
};

class TBufferedWriter {
 public:
  static constexpr std::size_t BufferSize = 32768;
  // Writes to an open file descriptor that the writer does not own.
  explicit TBufferedWriter(int fd);
  ~TBufferedWriter() = default;

  int64_t Position() const { return flushed_ + int64_t(used_); }
  void Write(const void* data, std::size_t count);
  void WriteByte(uint8_t b) { Write(&b, 1); }
  // Overwrites bytes already written (the disk header after its block is complete).
  void WriteAt(int64_t position, const void* data, std::size_t count);
  // Appends count bytes of another file, from offset on, without passing them through user
  // space where the kernel can copy them. False when the file ended first.
  bool AppendFromFile(int fd, int64_t offset, int64_t count);
  void Flush();

 private:
  void WriteAll(const char* data, std::size_t count);
  int fd_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  int64_t flushed_ = 0;
};

// The system's text for errno, for the user.
std::string SystemErrorText(int error);

inline constexpr char MsgOutOfMemory[] = "Out of memory.";
// What to tell the user about a failure: the exception's message, or MsgOutOfMemory for an
// allocation that failed (whose own text means nothing to a user).
std::string ErrorText(const std::exception& e);

}  // namespace tf

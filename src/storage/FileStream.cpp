#include "storage/FileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/Log.h"
#include "platform/InertText.h"
#include "platform/SafeFile.h"
#include "storage/Streams.h"

namespace PM {

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDelta = 11644473600LL;

int64_t TicksFrom(int64_t sec, int64_t nsec) { return (sec + kEpochDelta) * 10000000LL + nsec / 100; }

timespec TimespecFrom(int64_t ticks) {
  int64_t t = ticks - kEpochDelta * 10000000LL;
  int64_t sec = t / 10000000LL, rest = t % 10000000LL;
  if (rest < 0) rest += 10000000LL, --sec;
  return timespec{time_t(sec), long(rest * 100)};
}

}  // namespace

int FileStream::OpenDescriptor(const char* path, uint32_t mode, const char* who) {
  if (!path || !*path) {
    if (!(mode & kModeQuiet)) LogError(who, ": no file name given.");
    return -1;
  }
  int flags = 0;
  bool write = mode & (kModeWrite | kModeCreate | kModeTruncate | kModeAppend);
  flags |= write ? ((mode & kModeRead) ? O_RDWR : O_WRONLY) : O_RDONLY;
  if (mode & kModeCreate) flags |= O_CREAT;
  if (mode & kModeTruncate) flags |= O_TRUNC;
  int err = 0;
  int fd = OpenRegularFile(path, flags, err);
  if (fd < 0 && !((mode & kModeQuiet) && err == ENOENT))
    LogError(who, ": cannot open \"", InertText(path).c_str(), "\": ", OpenFailureText(err), ".");
  return fd;
}

FileStream::FileStream(int fd, uint32_t mode, const char* path) : m_fd(fd), m_mode(mode), m_path(path) {
  if (mode & kModeAppend) m_pos = ::lseek(fd, 0, SEEK_END);
}

FileStream::~FileStream() { ::close(m_fd); }

int64_t FileStream::ReadAt(int64_t pos, void* buffer, int64_t n) {
  if (pos < 0 || n < 0) return -1;
  int64_t done = 0;
  while (done < n) {
    ssize_t r = ::pread(m_fd, static_cast<char*>(buffer) + done, size_t(n - done), pos + done);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      LogError("FileStream: read error in \"", InertText(m_path.View()).c_str(), "\": ", std::strerror(errno), ".");
      return done ? done : -1;
    }
    if (r == 0) break;
    done += r;
  }
  return done;
}

int64_t FileStream::WriteAt(int64_t pos, const void* bytes, int64_t n) {
  int64_t done = 0;
  while (done < n) {
    ssize_t r = ::pwrite(m_fd, static_cast<const char*>(bytes) + done, size_t(n - done), pos + done);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) {
      LogError("FileStream: write error in \"", InertText(m_path.View()).c_str(),
               "\": ", std::strerror(r < 0 ? errno : ENOSPC), ".");
      return -1;
    }
    done += r;
  }
  return done;
}

int64_t FileStream::Read(void* buffer, int64_t n) {
  Hold hold(this);
  if (n <= 0 || !buffer) return 0;
  int64_t r = ReadAt(m_pos, buffer, n);
  if (r > 0) m_pos += r;
  return r;
}

int FileStream::ReadByte() {
  Hold hold(this);
  unsigned char c;
  if (ReadAt(m_pos, &c, 1) != 1) return -1;
  ++m_pos;
  return c;
}

int FileStream::PeekByte() { return PeekByteAt(0); }

int FileStream::PeekByteAt(int64_t offset) {
  Hold hold(this);
  int64_t at;
  unsigned char c;
  if (__builtin_add_overflow(m_pos, offset, &at) || at < 0 || ReadAt(at, &c, 1) != 1) return -1;
  return c;
}

int64_t FileStream::Skip(int64_t n) {
  Hold hold(this);
  if (n <= 0) return 0;
  int64_t k = std::min(n, std::max<int64_t>(0, GetFileLength() - m_pos));
  m_pos += k;
  return k;
}

int64_t FileStream::Write(const void* bytes, int64_t n) {
  Hold hold(this);
  if (n <= 0 || !bytes) return 0;
  if (m_mode & kModeAppend) m_pos = GetFileLength();
  int64_t r = WriteAt(m_pos, bytes, n);
  if (r > 0) m_pos += r;
  return r;
}

int32_t FileStream::Truncate() {
  Hold hold(this);
  if (::ftruncate(m_fd, m_pos) == 0) return 1;
  LogError("FileStream: cannot truncate \"", InertText(m_path.View()).c_str(), "\": ", std::strerror(errno), ".");
  return 0;
}

int32_t FileStream::Flush() { return 1; }  // writes go straight to the system

int64_t FileStream::Seek(int64_t offset, int origin) {
  Hold hold(this);
  int64_t target = SeekTarget(offset, origin, m_pos, origin == kSeekEnd ? GetFileLength() : 0);
  if (target < 0) return -1;
  return m_pos = target;
}

int64_t FileStream::GetFileLength() {
  Hold hold(this);
  struct stat st;
  return fstat(m_fd, &st) == 0 ? int64_t(st.st_size) : 0;
}

int32_t FileStream::GetFileTime(int64_t* creation, int64_t* access, int64_t* lastWrite) {
  Hold hold(this);
  struct statx sx;
  if (statx(m_fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
    StreamPipe::GetFileTime(creation, access, lastWrite);
    return 0;
  }
  // Without a birth time (some file systems) the last status change stands in for it.
  const statx_timestamp& born = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_ctime;
  if (creation) *creation = TicksFrom(born.tv_sec, born.tv_nsec);
  if (access) *access = TicksFrom(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
  if (lastWrite) *lastWrite = TicksFrom(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
  return 1;
}

int32_t FileStream::SetFileTime(const int64_t*, const int64_t* access, const int64_t* lastWrite) {
  Hold hold(this);
  // The system keeps the creation time itself; it cannot be set.
  timespec t[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
  if (access) t[0] = TimespecFrom(*access);
  if (lastWrite) t[1] = TimespecFrom(*lastWrite);
  if (::futimens(m_fd, t) == 0) return 1;
  LogError("FileStream: cannot set the times of \"", InertText(m_path.View()).c_str(), "\": ", std::strerror(errno),
           ".");
  return 0;
}

StreamPipe* OpenFileStream(const char* path, uint32_t mode) {
  int fd = FileStream::OpenDescriptor(path, mode, "FileStream");
  return fd < 0 ? NullPipe() : NewCounted<FileStream>(fd, mode, path);
}

}  // namespace PM

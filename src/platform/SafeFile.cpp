#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace PM {

namespace {

// The refusal for a file of this kind, 0 for one the caller may use.
int Refusal(const struct stat& st, bool writing) {
  if (S_ISLNK(st.st_mode)) return ELOOP;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (!S_ISREG(st.st_mode)) return ENODEV;
  if (writing && st.st_nlink > 1) return EMLINK;
  return 0;
}

int Fail(int fd, int code, int& error) {
  if (fd >= 0) ::close(fd);
  error = code;
  return -1;
}

}  // namespace

int OpenRegularFileAt(int dirFd, const char* name, int flags, int& error) {
  if (!name || !*name) return Fail(-1, ENOENT, error);
  bool writing = (flags & O_ACCMODE) != O_RDONLY;
  bool truncate = (flags & O_TRUNC) != 0;
  int open = (flags & ~O_TRUNC) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  if (writing) open |= O_NOFOLLOW;
  // Look before opening, so a device or FIFO is not even opened; the check after the open closes
  // the gap in which the name could be swapped.
  struct stat st;
  int lookFlags = writing ? AT_SYMLINK_NOFOLLOW : 0;
  if (::fstatat(dirFd, name, &st, lookFlags) == 0) {
    if (int refused = Refusal(st, writing)) return Fail(-1, refused, error);
  } else if (errno != ENOENT || !(flags & O_CREAT)) {
    return Fail(-1, errno, error);
  }
  int fd;
  do fd = ::openat(dirFd, name, open, 0644);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return Fail(-1, errno == ENXIO ? ENODEV : errno, error);
  if (::fstat(fd, &st) != 0) return Fail(fd, errno, error);
  if (int refused = Refusal(st, writing)) return Fail(fd, refused, error);
  if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) return Fail(fd, errno, error);
  if (truncate && ::ftruncate(fd, 0) != 0) return Fail(fd, errno, error);
  error = 0;
  return fd;
}

int OpenRegularFile(const char* path, int flags, int& error) { return OpenRegularFileAt(AT_FDCWD, path, flags, error); }

const char* OpenFailureText(int error) {
  switch (error) {
    case ELOOP:
      return "it is a symbolic link";
    case ENODEV:
      return "it is not a regular file (a device, FIFO or socket)";
    case EMLINK:
      return "it has other hard links";
    default:
      return std::strerror(error);
  }
}

bool ReadRegularFile(const char* path, std::string& out, int64_t maxBytes, int& error) {
  int fd = OpenRegularFile(path, O_RDONLY, error);
  if (fd < 0) return false;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Fail(fd, errno, error);
      return false;
    }
    if (n == 0) break;
    if (int64_t(bytes.size()) + n > maxBytes) {
      Fail(fd, EFBIG, error);
      return false;
    }
    bytes.append(buffer, size_t(n));
  }
  ::close(fd);
  out.swap(bytes);
  error = 0;
  return true;
}

}  // namespace PM

#include "platform/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace PM {

namespace {

// Writers on several threads of one process may replace the same target at once: each gets its own name.
std::atomic<unsigned> g_serial{0};

// SafeFile's refusals for a target that exists.
int Refusal(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return ELOOP;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (!S_ISREG(st.st_mode)) return ENODEV;
  if (st.st_nlink > 1) return EMLINK;
  return 0;
}

}  // namespace

ReplacingFile::ReplacingFile(const std::string& target) : m_target(target) {
  if (target.empty() || target.back() == '/') {
    m_error = target.empty() ? ENOENT : EISDIR;
    return;
  }
  struct stat st {};
  const bool exists = ::lstat(target.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) {
    m_error = errno;
    return;
  }
  if (exists) m_error = Refusal(st);
  if (m_error != 0) return;
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = target.substr(folder.size());
  m_temp = folder + "." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(g_serial++) + ".tmp";
  // A name left by an earlier process of the same id goes first; the new file is made exclusively, with
  // the permissions the umask gives a new file.
  ::unlink(m_temp.c_str());
  do m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  while (m_fd < 0 && errno == EINTR);
  if (m_fd < 0) {
    m_error = errno;
    m_temp.clear();
    return;
  }
  if (exists && ::fchmod(m_fd, st.st_mode & 07777) != 0) {
    m_error = errno;
    Discard();
  }
}

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
  m_temp.clear();
}

bool ReplacingFile::Commit() {
  if (m_fd < 0) {
    if (m_error == 0) m_error = EBADF;
    return false;
  }
  int error = ::fsync(m_fd) == 0 ? 0 : errno;
  if (::close(m_fd) != 0 && error == 0) error = errno;
  m_fd = -1;
  if (error == 0 && std::rename(m_temp.c_str(), m_target.c_str()) != 0) error = errno;
  if (error != 0) {
    m_error = error;
    Discard();
    return false;
  }
  m_temp.clear();
  return true;
}

}  // namespace PM

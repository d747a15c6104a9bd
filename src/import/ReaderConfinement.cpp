#include "import/ReaderConfinement.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <linux/landlock.h>
#include <linux/sched.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>

namespace PM::Import {

namespace {

// Every capability given up, the bounding set (when the reader may change it) and the ambient set too: no
// limit can then pass the hard one the host set, and nothing it might run later gets one back.
bool DropCapabilities(std::string& error) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  if (syscall(SYS_capget, &header, data) != 0) return error = std::string("capget: ") + std::strerror(errno), false;
  if (data[0].effective & (1U << CAP_SETPCAP)) {
    for (int cap = 0; cap < 64 && prctl(PR_CAPBSET_READ, cap, 0, 0, 0) >= 0; ++cap)
      if (prctl(PR_CAPBSET_DROP, cap, 0, 0, 0) != 0)
        return error = std::string("PR_CAPBSET_DROP: ") + std::strerror(errno), false;
  }
  if (prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0 && errno != EINVAL)
    return error = std::string("PR_CAP_AMBIENT_CLEAR_ALL: ") + std::strerror(errno), false;
  for (auto& set : data) set = {};
  if (syscall(SYS_capset, &header, data) != 0) return error = std::string("capset: ") + std::strerror(errno), false;
  return true;
}

// Rights the kernel's later Landlock versions add, numbered as in its own header.
constexpr __u64 kTruncate = 1ULL << 14;                                 // version 3
constexpr __u64 kIoctlDev = 1ULL << 15;                                 // version 5
constexpr __u64 kFirstRights = (LANDLOCK_ACCESS_FS_MAKE_SYM << 1) - 1;  // version 1
// Scopes (version 6): no signal to a process outside the reader's domain, whatever path sends it (kill,
// a file owner's SIGIO), and no connection to an abstract socket outside it.
constexpr __u64 kScopeAbstractSocket = 1ULL << 0;
constexpr __u64 kScopeSignal = 1ULL << 1;
// The ruleset's attributes as the kernel's later versions read them (the system header may know only the
// first field): a shorter size is what an older kernel takes.
struct RulesetAttributes {
  __u64 handledFs = 0, handledNet = 0, scoped = 0;
};

__u64 HandledRights(int version) {
  __u64 rights = kFirstRights;
  if (version >= 2) rights |= LANDLOCK_ACCESS_FS_REFER;
  if (version >= 3) rights |= kTruncate;
  if (version >= 5) rights |= kIoctlDev;
  return rights;
}

// The files of the libraries mapped into the process (and the program itself).
std::set<std::string> LoadedFiles() {
  std::set<std::string> files;
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);)
    if (const size_t slash = line.find('/'); slash != std::string::npos && line.find(" (deleted)") == std::string::npos)
      files.insert(line.substr(slash));
  return files;
}

bool AddRule(int ruleset, const std::string& path, __u64 rights) {
  const int fd = open(path.c_str(), O_PATH | O_CLOEXEC);
  if (fd < 0) return false;
  landlock_path_beneath_attr rule{};
  rule.allowed_access = rights;
  rule.parent_fd = fd;
  const long rc = syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0);
  close(fd);
  return rc == 0;
}

// SGI and DDS textures are decoded by OpenImageIO, which the reader loads (through pm-import-images.so
// beside it) only when a model names such a texture, after the confinement: the bridge's file, and its
// libraries' files from the system's library folders (files only, no listing), may be read.
void AllowImageLibrary(int ruleset) {
  char self[4096];
  if (const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1); n > 0) {
    const std::string program(self, size_t(n));
    AddRule(ruleset, program.substr(0, program.rfind('/') + 1) + "pm-import-images.so", LANDLOCK_ACCESS_FS_READ_FILE);
  }
  for (const char* place : {"/usr/lib", "/lib", "/etc/ld.so.cache"})
    AddRule(ruleset, place, LANDLOCK_ACCESS_FS_READ_FILE);
}

// A ruleset handling every file-system right the kernel knows, with reads of the loaded libraries allowed,
// or -1 (`available` false when the kernel has no Landlock).
int PrepareLandlock(bool& available, std::string& error) {
  const long version = syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
  available = version >= 1;
  if (!available) return -1;
  RulesetAttributes attributes;
  attributes.handledFs = HandledRights(static_cast<int>(version));
  size_t size = sizeof attributes.handledFs;
  if (version >= 6) {
    attributes.scoped = kScopeSignal | kScopeAbstractSocket;
    size = sizeof attributes;
  }
  const int ruleset = static_cast<int>(syscall(SYS_landlock_create_ruleset, &attributes, size, 0));
  if (ruleset < 0) {
    error = std::string("Landlock: ") + std::strerror(errno);
    return -1;
  }
  for (const std::string& file : LoadedFiles()) AddRule(ruleset, file, LANDLOCK_ACCESS_FS_READ_FILE);
  AllowImageLibrary(ruleset);
  return ruleset;
}

// Reads beneath `folders` too, and nothing else of the file system at all from now on.
bool ApplyLandlock(int ruleset, const std::vector<std::string>& folders, std::string& error) {
  for (const std::string& folder : folders)
    if (!AddRule(ruleset, folder, LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR))
      return error = "Landlock: the folder \"" + folder + "\" cannot be opened", false;
  if (syscall(SYS_landlock_restrict_self, ruleset, 0) != 0)
    return error = std::string("Landlock: ") + std::strerror(errno), false;
  return true;
}

// A rule's test that argument `arg` of the call equals `value`, every field given (the library's SCMP_A*
// macros leave out the second datum, which an equality does not read).
constexpr scmp_arg_cmp ArgEquals(unsigned arg, scmp_datum_t value) { return {arg, SCMP_CMP_EQ, value, 0}; }

// The system calls a confined reader makes: memory, reading files beneath its root, answering, reading its
// own limits, its own signals, time. Anything else kills it; prctl among them, so that the parent-death
// signal set at its start (ReaderSpawn.cpp) stays.
constexpr int kAllowed[] = {
    SCMP_SYS(read),
    SCMP_SYS(pread64),
    SCMP_SYS(readv),
    SCMP_SYS(close),
    SCMP_SYS(lseek),
    SCMP_SYS(fstat),
    SCMP_SYS(newfstatat),
    SCMP_SYS(statx),
    SCMP_SYS(stat),
    SCMP_SYS(lstat),
    SCMP_SYS(access),
    SCMP_SYS(faccessat),
    SCMP_SYS(faccessat2),
    SCMP_SYS(readlink),
    SCMP_SYS(readlinkat),
    SCMP_SYS(getdents64),
    SCMP_SYS(getcwd),
    SCMP_SYS(brk),
    SCMP_SYS(mmap),
    SCMP_SYS(munmap),
    SCMP_SYS(mremap),
    SCMP_SYS(madvise),
    SCMP_SYS(mprotect),
    SCMP_SYS(futex),
    SCMP_SYS(rt_sigaction),
    SCMP_SYS(rt_sigprocmask),
    SCMP_SYS(rt_sigreturn),
    SCMP_SYS(sigaltstack),
    SCMP_SYS(getpid),
    SCMP_SYS(gettid),
    SCMP_SYS(getrandom),
    SCMP_SYS(clock_gettime),
    SCMP_SYS(clock_nanosleep),
    SCMP_SYS(gettimeofday),
    SCMP_SYS(getrusage),
    SCMP_SYS(sched_yield),
    SCMP_SYS(exit),
    SCMP_SYS(exit_group),
    SCMP_SYS(restart_syscall),
    SCMP_SYS(getrlimit),
    SCMP_SYS(sysinfo),
    SCMP_SYS(uname),
    SCMP_SYS(sched_getaffinity),
};

// The filter, or null (`available` false when the kernel has no seccomp).
scmp_filter_ctx PrepareSeccomp(int streamFd, bool& available, std::string& error) {
  available = seccomp_api_get() >= 1;
  if (!available) return nullptr;
  scmp_filter_ctx filter = seccomp_init(SCMP_ACT_KILL_PROCESS);
  if (!filter) {
    error = "seccomp: no filter could be made";
    return nullptr;
  }
  int rc = 0;
  for (const int call : kAllowed) rc = rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0);
  // Writing: to the stream and to standard error (fd 1 is a copy of it) only.
  for (const int fd : {streamFd, 1, 2})
    for (const int call : {SCMP_SYS(write), SCMP_SYS(writev)})
      rc = rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 1, ArgEquals(0, static_cast<scmp_datum_t>(fd)));
  // Opening: for reading only.
  constexpr scmp_datum_t kWriting = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND | (O_TMPFILE & ~O_DIRECTORY);
  rc =
      rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(openat), 1, SCMP_A2(SCMP_CMP_MASKED_EQ, kWriting, 0));
  rc = rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(open), 1, SCMP_A1(SCMP_CMP_MASKED_EQ, kWriting, 0));
  // Descriptor flags and copies only: no command that names a process to signal (F_SETOWN*, F_SETSIG, or
  // O_ASYNC, which signals the owner), leases a file (F_SETLEASE, another's open would wait on the reader)
  // or watches a folder (F_NOTIFY).
  for (const int command : {F_GETFD, F_SETFD, F_GETFL, F_DUPFD_CLOEXEC})
    rc = rc ? rc
            : seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(fcntl), 1,
                               ArgEquals(1, static_cast<scmp_datum_t>(command)));
  rc = rc ? rc
          : seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(fcntl), 2, ArgEquals(1, F_SETFL),
                             SCMP_A2(SCMP_CMP_MASKED_EQ, O_ASYNC, 0));
  // Its own limits: any read, and setting only the address space (the memory budget grows with the files
  // the model names, within the hard limit); signals to itself only (abort, raise).
  const auto self = static_cast<scmp_datum_t>(getpid());
  rc = rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), 2, ArgEquals(0, 0), ArgEquals(2, 0));
  rc = rc ? rc
          : seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), 2, ArgEquals(0, 0), ArgEquals(1, RLIMIT_AS));
  rc = rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(setrlimit), 1, ArgEquals(0, RLIMIT_AS));
  rc = rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(tgkill), 1, ArgEquals(0, self));
  rc = rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(kill), 1, ArgEquals(0, self));
  // A terminal query on standard error fails instead of killing.
  rc = rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOTTY), SCMP_SYS(ioctl), 0);
  // What the image library's dependencies ask as they load (OpenImageIO's, AllowImageLibrary: a NUMA
  // policy, whether SELinux is mounted) fails instead of killing.
  for (const int call : {SCMP_SYS(get_mempolicy), SCMP_SYS(statfs), SCMP_SYS(fstatfs), SCMP_SYS(mlock)})
    rc = rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), call, 0);
  // One of them (log4cplus) starts a thread as it loads: a thread of the reader's own process, under the
  // same filter and Landlock rules, may be made; a new process still may not (clone3's flags lie in memory
  // the filter cannot read: it fails, and the C library falls back to clone, whose flags it can).
  rc = rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0);
  rc = rc ? rc
          : seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(clone), 1,
                             SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD | CLONE_VM, CLONE_THREAD | CLONE_VM));
  for (const int call : {SCMP_SYS(set_robust_list), SCMP_SYS(rseq), SCMP_SYS(getuid), SCMP_SYS(geteuid),
                         SCMP_SYS(getgid), SCMP_SYS(getegid), SCMP_SYS(getppid)})
    rc = rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0);
  // Its clock of the process's own CPU time.
  rc = rc ? rc : seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(times), 0);
  if (rc != 0) {
    seccomp_release(filter);
    error = std::string("seccomp: ") + std::strerror(-rc);
    return nullptr;
  }
  return filter;
}

const char* Lacking(bool landlock, bool seccomp) {
  return !landlock && !seccomp ? "Landlock nor seccomp: model readers run without file-system confinement nor a "
                                 "system-call filter"
         : !landlock           ? "Landlock: model readers run without file-system confinement"
                               : "seccomp: model readers run without a system-call filter";
}

}  // namespace

ReaderConfinement::ReaderConfinement(int streamFd) {
  m_ruleset = PrepareLandlock(m_landlock, m_error);
  if (m_error.empty()) m_filter = PrepareSeccomp(streamFd, m_seccomp, m_error);
}

ReaderConfinement::~ReaderConfinement() {
  if (m_ruleset >= 0) close(m_ruleset);
  if (m_filter) seccomp_release(m_filter);
}

bool ReaderConfinement::Apply(const std::vector<std::string>& folders, ConfinementResult& result, std::string& error) {
  result = ConfinementResult();
  if (!m_error.empty()) return error = m_error, false;
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
    return error = std::string("no_new_privs: ") + std::strerror(errno), false;
  if (!DropCapabilities(error)) return false;
  if (m_landlock && !ApplyLandlock(m_ruleset, folders, error)) return false;
  if (m_seccomp) {
    if (const int rc = seccomp_load(m_filter); rc != 0)
      return error = std::string("seccomp: ") + std::strerror(-rc), false;
  }
  result.landlock = m_landlock;
  result.seccomp = m_seccomp;
  if (!m_landlock || !m_seccomp)
    result.lacking = std::string("the kernel offers no ") + Lacking(m_landlock, m_seccomp) + ".";
  return true;
}

}  // namespace PM::Import

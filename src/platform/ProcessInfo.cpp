#include "platform/ProcessInfo.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "platform/LastError.h"

namespace PM {

namespace {

namespace fs = std::filesystem;

bool ParseId(const std::string& text, uint32_t& id) {
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, id);
  return ec == std::errc() && p == end && !text.empty();
}

std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ProcFolder(uint32_t pid) { return "/proc/" + std::to_string(pid == 0 ? getpid() : pid); }

// Reads "pid (comm) state ppid ... num_threads ..."; the name may itself hold parentheses and spaces.
bool ReadStat(uint32_t pid, ProcessEntry& entry) {
  std::ifstream in(ProcFolder(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return false;
  size_t open = line.find('(');
  size_t close = line.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  std::istringstream rest(line.substr(close + 1));
  std::string field;
  std::vector<std::string> fields;
  while (rest >> field) fields.push_back(field);
  // After the name: state(0) ppid(1) ... num_threads(17).
  if (fields.size() < 18) return false;
  entry.pid = pid;
  entry.parentPid = uint32_t(std::strtoul(fields[1].c_str(), nullptr, 10));
  entry.threadCount = uint32_t(std::strtoul(fields[17].c_str(), nullptr, 10));
  std::error_code ec;
  fs::path exe = fs::read_symlink(ProcFolder(pid) + "/exe", ec);
  entry.exeName = ec ? line.substr(open + 1, close - open - 1) : exe.filename().string();
  return true;
}

}  // namespace

uint32_t ProcessInfo::CurrentProcessId() { return uint32_t(getpid()); }

std::vector<ProcessEntry> ProcessInfo::Processes() {
  std::vector<ProcessEntry> list;
  std::error_code ec;
  for (const auto& dir : fs::directory_iterator("/proc", ec)) {
    uint32_t pid;
    ProcessEntry entry;
    if (ParseId(dir.path().filename().string(), pid) && ReadStat(pid, entry)) list.push_back(entry);
  }
  if (ec) SetLastErrorCode(uint32_t(ec.value()));
  return list;
}

std::vector<ThreadEntry> ProcessInfo::Threads(uint32_t pid) {
  std::vector<ThreadEntry> list;
  uint32_t owner = pid == 0 ? uint32_t(getpid()) : pid;
  std::error_code ec;
  for (const auto& dir : fs::directory_iterator(ProcFolder(pid) + "/task", ec)) {
    uint32_t tid;
    if (ParseId(dir.path().filename().string(), tid)) list.push_back({tid, owner});
  }
  if (ec) SetLastErrorCode(uint32_t(ec.value()));
  return list;
}

std::vector<ModuleEntry> ProcessInfo::Modules(uint32_t pid) {
  std::ifstream in(ProcFolder(pid) + "/maps");
  if (!in) {
    SetLastErrorCode(ENOENT);
    return {};
  }
  uint32_t owner = pid == 0 ? uint32_t(getpid()) : pid;
  std::map<std::string, ModuleEntry> byPath;
  std::string line;
  while (std::getline(in, line)) {
    // "start-end perms offset dev inode   path"; only mappings of files carry a path from '/'.
    size_t slash = line.find(" /");
    if (slash == std::string::npos) continue;
    std::string path = line.substr(slash + 1);
    if (path.size() > 10 && path.compare(path.size() - 10, 10, " (deleted)") == 0) path.resize(path.size() - 10);
    uintptr_t start = 0, end = 0;
    const char* p = line.data();
    auto r1 = std::from_chars(p, p + line.size(), start, 16);
    if (r1.ec != std::errc() || *r1.ptr != '-') continue;
    auto r2 = std::from_chars(r1.ptr + 1, p + line.size(), end, 16);
    if (r2.ec != std::errc() || end <= start) continue;
    auto [it, fresh] = byPath.try_emplace(path);
    ModuleEntry& m = it->second;
    if (fresh) {
      m = {owner, start, end - start, BaseName(path), path};
    } else {
      uintptr_t top = std::max(m.base + m.size, end);
      m.base = std::min(m.base, start);
      m.size = top - m.base;
    }
  }
  std::vector<ModuleEntry> list;
  list.reserve(byPath.size());
  for (auto& [path, m] : byPath) list.push_back(std::move(m));
  std::sort(list.begin(), list.end(), [](const ModuleEntry& a, const ModuleEntry& b) { return a.base < b.base; });
  return list;
}

unsigned ProcessInfo::UsableCpus() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) return unsigned(std::max(1, CPU_COUNT(&set)));
  return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace PM

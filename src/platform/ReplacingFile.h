// ReplacingFile: writes a file whole or not at all. The bytes go to a new file beside the target (same
// folder, a hidden name of this process), which is renamed over the target only once it is complete and
// on disk: a failed or interrupted write never leaves a partial or empty file under the target's name,
// and a target that was there stays as it was.
#pragma once

#include <string>

namespace PM {

class ReplacingFile {
 public:
  // Creates the new file. The target must be missing or a regular file of one link (the refusals of
  // SafeFile: a symbolic link, folder, special file or file with other hard links); the new file takes
  // the target's permissions, else those a new file gets. On failure Fd() is -1 and Error() tells why.
  explicit ReplacingFile(const std::string& target);
  // Not committed: the new file is removed.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  int Fd() const { return m_fd; }
  int Error() const { return m_error; }
  const std::string& Target() const { return m_target; }

  // Puts the new file on disk, closes it and renames it over the target; false (Error() set, the new
  // file removed, the target untouched) when any step fails.
  bool Commit();

 private:
  void Discard();

  std::string m_target;
  std::string m_temp;
  int m_fd = -1;
  int m_error = 0;
};

}  // namespace PM

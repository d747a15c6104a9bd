// FileObject: an Object naming a file to be loaded later; it remembers the read path in effect when
// its file name was set, so a file named by a script is found relative to that script.
#pragma once

#include "classes/Object.h"

namespace PM {

class FileObject_I : public EngineClass<FileObject_I, Object_I, ClassId::FileObject, "FileObject"> {
 public:
  static void Define();
  String GetFileName() const { return m_fileName; }
  // Stores the name and the calling thread's current read path.
  void SetFileName(const String& name);
  String GetReadPath() const { return m_readPath; }
  void SetReadPath(const String& path) { m_readPath = path; }

 private:
  String m_fileName;
  String m_readPath;
};

enum : uint32_t { kMemberFileObjectFileName = 0x01FFF041 };

}  // namespace PM

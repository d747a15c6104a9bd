#include "classes/FileObject.h"

#include "classes/EngineClassRegistry.h"
#include "storage/Storage.h"

namespace PM {

void FileObject_I::SetFileName(const String& name) {
  m_fileName = name;
  m_readPath = Storage::GetReadPath();  // the folder of the script that names the file
}

void FileObject_I::Define() {
  const ClassDef classes[] = {ConcreteClass<FileObject_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      AccessorMember<&FileObject_I::GetFileName, &FileObject_I::SetFileName>(kMemberFileObjectFileName, "FileName"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<FileObject_I>();

}  // namespace PM

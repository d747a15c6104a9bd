#include "classes/FileObject.h"

#include "classes/EngineClassRegistry.h"
#include "storage/Storage.h"

namespace PM {

void FileObject_I::SetFileName(const String& name) {
  m_fileName = name;
  m_readPath = Storage::GetReadPath();  // the folder of the script that names the file
}

static void DefineFileObjectClass() {
  const ClassDef classes[] = {ConcreteClass<FileObject_I>(Object_I::kClassId, "FileObject")};
  DefineClasses(classes);
  const MemberDef members[] = {
      AccessorMember<&FileObject_I::GetFileName, &FileObject_I::SetFileName>(kMemberFileObjectFileName, "FileName"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x041, &DefineFileObjectClass);

}  // namespace PM

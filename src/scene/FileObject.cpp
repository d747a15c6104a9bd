#include "scene/FileObject.h"

#include "scene/EngineClassRegistry.h"

namespace PM {

void FileObject_I::SetFileName(const String& name) {
  m_fileName = name;
  // TODO(storage): record Storage::GetReadPath() here once the storage layer is merged; until then no
  // thread has a read path, which records the empty string.
  m_readPath = String();
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

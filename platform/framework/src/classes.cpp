// The framework's own classes are in the class table before any look-up, so a
// plug-in can find them by name whether or not C++ code has used them yet.

#include "framework/exceptions.h"
#include "framework/folderitem.h"
#include "framework/memoryblock.h"
#include "framework/string.h"
#include "framework/timer.h"

namespace framework {

void register_framework_classes() {
  Object::class_record();
  StringObject::class_record();
  MemoryBlock::class_record();
  ExceptionObject::class_record();
  NilObjectExceptionClass();
  OutOfMemoryExceptionClass();
  OutOfBoundsExceptionClass();
  UnsupportedOperationExceptionClass();
  Timer::class_record();
  FolderItem::class_record();
  TextOutputStream::class_record();
}

}  // namespace framework

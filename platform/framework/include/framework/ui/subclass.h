#pragma once
// Class records for application classes that extend a framework class.
//
// Every class made with make<T>() needs a record of its own, or it would be
// laid out with its superclass's size:
//   static const ClassRecord& class_record() {
//     return subclass_record<mainWindow, Window>("mainWindow");
//   }

#include <stdexcept>
#include <string>

#include "framework/object.h"

namespace framework {

template <class T, class Base>
const ClassRecord& subclass_record(const char* name) {
  static ClassRecord& record = define_class(name, &Base::class_record(), 0, native_type_of<T>());
  return record;
}

// Raises std::logic_error when T would be made with another class's record.
template <class T>
void check_own_class_record() {
  if (T::class_record().native_type().size != sizeof(T))
    throw std::logic_error("class " + T::class_record().name() + " has no class record of its own");
}

}  // namespace framework

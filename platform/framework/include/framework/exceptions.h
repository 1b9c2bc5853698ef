#pragma once
// Framework exceptions.
//
// Each is an object of a framework class (so the plug-in host can create one by
// class name and raise it) carrying `Message` and `ErrorNumber`, and is thrown
// as the C++ type of the same name, which carries the object. The classes:
//   RuntimeException                 (the base of all of them)
//     NilObjectException             a member used on nil
//     OutOfMemoryException           an allocation that could not be had
//     OutOfBoundsException           an access outside a memory block
//     UnsupportedOperationException  an operation the object cannot do
// A plug-in class derived from one of them is thrown as the C++ type of its
// nearest framework ancestor.

#include <cstdint>
#include <exception>
#include <string>

#include "framework/object.h"
#include "framework/string.h"

namespace framework {

// The exception object; its class record tells which exception it is.
class ExceptionObject : public Object {
 public:
  static const ClassRecord& class_record();  // "RuntimeException"

  String Message;
  int32_t ErrorNumber = 0;
};

const ClassRecord& NilObjectExceptionClass();
const ClassRecord& OutOfMemoryExceptionClass();
const ClassRecord& OutOfBoundsExceptionClass();
const ClassRecord& UnsupportedOperationExceptionClass();

// The C++ side. Catching RuntimeException catches every framework exception.
class RuntimeException : public std::exception {
 public:
  explicit RuntimeException(String message = {});
  // Wraps an existing exception object (it must not be nil).
  explicit RuntimeException(Ref<ExceptionObject> object);

  const Ref<ExceptionObject>& object() const { return object_; }
  // The class name of the exception object, e.g. "NilObjectException".
  const std::string& class_name() const;
  String Message() const { return object_->Message; }
  int32_t ErrorNumber() const { return object_->ErrorNumber; }
  const char* what() const noexcept override { return what_.c_str(); }

 protected:
  RuntimeException(const ClassRecord& cls, String message);

 private:
  Ref<ExceptionObject> object_;
  std::string what_;
};

#define FRAMEWORK_DECLARE_EXCEPTION(Name)                                               \
  class Name : public RuntimeException {                                                \
   public:                                                                              \
    explicit Name(String message = {}) : RuntimeException(Name##Class(), message) {}    \
    explicit Name(Ref<ExceptionObject> object) : RuntimeException(std::move(object)) {} \
  };

FRAMEWORK_DECLARE_EXCEPTION(NilObjectException)
FRAMEWORK_DECLARE_EXCEPTION(OutOfMemoryException)
FRAMEWORK_DECLARE_EXCEPTION(OutOfBoundsException)
FRAMEWORK_DECLARE_EXCEPTION(UnsupportedOperationException)

#undef FRAMEWORK_DECLARE_EXCEPTION

// Throws `object` as the C++ type of its class (RuntimeException for any
// other class derived from it). A nil object, or one whose class is not an
// exception class, raises NilObjectException or UnsupportedOperationException
// instead.
[[noreturn]] void raise_exception(const Ref<Object>& object);

}  // namespace framework

#include "framework/exceptions.h"

namespace framework {

const ClassRecord& ExceptionObject::class_record() {
  static ClassRecord& record =
      define_class("RuntimeException", &Object::class_record(), 0, native_type_of<ExceptionObject>());
  return record;
}

#define FRAMEWORK_EXCEPTION_CLASS(Name)                                                 \
  const ClassRecord& Name##Class() {                                                    \
    static ClassRecord& record = define_class(#Name, &ExceptionObject::class_record()); \
    return record;                                                                      \
  }

FRAMEWORK_EXCEPTION_CLASS(NilObjectException)
FRAMEWORK_EXCEPTION_CLASS(OutOfMemoryException)
FRAMEWORK_EXCEPTION_CLASS(OutOfBoundsException)
FRAMEWORK_EXCEPTION_CLASS(UnsupportedOperationException)

#undef FRAMEWORK_EXCEPTION_CLASS

namespace {

Ref<ExceptionObject> new_exception(const ClassRecord& cls, String message) {
  auto exception = Ref<ExceptionObject>::adopt(static_cast<ExceptionObject*>(cls.create()));
  exception->Message = std::move(message);
  return exception;
}

std::string describe(const ExceptionObject& e) {
  std::string text = e.object_class().name();
  if (!e.Message.empty()) text += ": " + e.Message.utf8();
  return text;
}

}  // namespace

RuntimeException::RuntimeException(String message)
    : RuntimeException(ExceptionObject::class_record(), std::move(message)) {}

RuntimeException::RuntimeException(const ClassRecord& cls, String message)
    : object_(new_exception(cls, std::move(message))), what_(describe(*object_)) {}

RuntimeException::RuntimeException(Ref<ExceptionObject> object)
    : object_(std::move(object)), what_(describe(*object_)) {}

const std::string& RuntimeException::class_name() const { return object_->object_class().name(); }

void throw_nil_object_exception() { throw NilObjectException(); }

void raise_exception(const Ref<Object>& object) {
  if (!object) throw NilObjectException();
  Ref<ExceptionObject> exception = ref_cast<ExceptionObject>(object);
  if (!exception) {
    throw UnsupportedOperationException(String("not an exception: ") + String(object->object_class().name()));
  }
  const ClassRecord& cls = exception->object_class();
  if (cls.is_a(NilObjectExceptionClass())) throw NilObjectException(exception);
  if (cls.is_a(OutOfMemoryExceptionClass())) throw OutOfMemoryException(exception);
  if (cls.is_a(OutOfBoundsExceptionClass())) throw OutOfBoundsException(exception);
  if (cls.is_a(UnsupportedOperationExceptionClass())) throw UnsupportedOperationException(exception);
  throw RuntimeException(exception);
}

}  // namespace framework

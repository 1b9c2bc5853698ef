#include <cstring>

#include "plugincommon/host_services.h"
#include "plugincommon/marshalling.h"
#include "plugincommon/registration.h"
#include "string_data.h"

namespace plugincommon {

using detail::StringDataSource;

// ---- rbRawText --------------------------------------------------------------

void rbRawText::Acquire(REALstring string) {
  Release();
  if (string == nullptr) return;
  if (rbversion_rbversion > 2013.0) {
    StringDataSource source = detail::GetStringData(string, REALEncodingUnknown, &record_);
    if (source == StringDataSource::None) return;
    acquired_ = true;
    own_copy_ = source == StringDataSource::Copy;
    ptr_ = static_cast<const unsigned char*>(record_.data);
    length_ = record_.data != nullptr && record_.length > 0 ? record_.length : 0;
    return;
  }
  // Older hosts (and a version that is no number) hand out no string data:
  // keep the string locked while its own text is used.
  if (HasService(Service::REALLockString)) {
    host::REALLockString(string);
    held_ = string;
  }
  if (!detail::ReadInPlace(string, &ptr_, &length_)) {
    ptr_ = nullptr;
    length_ = 0;
  }
}

void rbRawText::Release() {
  if (held_ != nullptr) host::REALUnlockString(held_);
  if (acquired_) {
    detail::DisposeStringData(own_copy_ ? StringDataSource::Copy : StringDataSource::Host, &record_);
  }
  held_ = nullptr;
  record_ = REALstringData{};
  acquired_ = false;
  own_copy_ = false;
  ptr_ = nullptr;
  length_ = 0;
}

// ---- rbText -----------------------------------------------------------------

const unsigned char* rbText::EmptyBuffer() {
  // Zeroed 16-bit units, so that an empty form reads as empty text of any width.
  static const uint16_t EmptyBufferUInt16[8] = {};
  return reinterpret_cast<const unsigned char*>(EmptyBufferUInt16);
}

void rbText::Clear() {
  if (converted_ != nullptr) host::REALUnlockString(converted_);
  if (acquired_) {
    detail::DisposeStringData(own_copy_ ? StringDataSource::Copy : StringDataSource::Host, &record_);
  }
  FreeAlloc(copy_);
  converted_ = nullptr;
  record_ = REALstringData{};
  acquired_ = false;
  own_copy_ = false;
  copy_ = nullptr;
  failed_ = false;
  ptr_ = EmptyBuffer();
  length_ = 0;
}

void rbText::ConvertMacRoman() {
  Clear();
  if (string_ == nullptr) return;

  const bool string_data = rbversion_rbversion >= 2012.0;
  if (string_data) {
    StringDataSource source =
        detail::GetStringData(string_, raw_ ? REALEncodingUnknown : REALEncodingMacRoman, &record_);
    if (source == StringDataSource::None) {
      failed_ = true;
      return;
    }
    acquired_ = true;
    own_copy_ = source == StringDataSource::Copy;
    if (record_.data != nullptr && record_.length > 0) {
      ptr_ = static_cast<const unsigned char*>(record_.data);
      length_ = record_.length;
    }
  } else if (raw_) {
    const unsigned char* ptr = nullptr;
    int64_t length = 0;
    if (detail::ReadInPlace(string_, &ptr, &length)) {
      ptr_ = ptr;
      length_ = length;
    }
  } else {
    converted_ = host::REALConvertString(string_, REALEncodingMacRoman);
    if (converted_ == nullptr) {
      failed_ = true;
      return;
    }
    const unsigned char* ptr = nullptr;
    int64_t length = 0;
    if (detail::ReadInPlace(converted_, &ptr, &length)) {
      ptr_ = ptr;
      length_ = length;
    }
  }
  if (raw_) return;  // the raw form is handed out as it stands

  // The Mac Roman form is handed out zero-terminated.
  if (ptr_[length_] != 0) {
    copy_ = static_cast<unsigned char*>(AllocZeroed(length_ + 4));
    if (copy_ == nullptr) {
      ptr_ = EmptyBuffer();
      length_ = 0;
      return;
    }
    std::memcpy(copy_, ptr_, static_cast<size_t>(length_));
    ptr_ = copy_;
  }
}

}  // namespace plugincommon

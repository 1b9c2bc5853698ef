#pragma once
// Picture: an image of Width x Height opaque pixels.

#include <cstdint>
#include <string_view>
#include <vector>

#include "framework/folderitem.h"
#include "framework/object.h"

namespace framework {

class Picture : public Object {
 public:
  static const ClassRecord& class_record();  // "Picture"

  // An empty picture (0 x 0).
  Picture() = default;
  // A white picture; a negative size counts as 0. Raises OutOfMemoryException
  // for a size that cannot be had.
  Picture(int32_t width, int32_t height);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

  // Row by row from the top left, each 0xFFRRGGBB.
  const uint32_t* pixels() const { return pixels_.data(); }
  uint32_t* pixels() { return pixels_.data(); }
  // One pixel as &hRRGGBB; raises OutOfBoundsException outside the picture.
  uint32_t Pixel(int32_t x, int32_t y) const;
  void set_Pixel(int32_t x, int32_t y, uint32_t rgb);

  // The picture in JPEG data; nil when the bytes are not a JPEG image.
  static Ref<Picture> FromJPEG(std::string_view bytes);

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint32_t> pixels_;
};

// FolderItem.OpenAsPicture: the picture in the file, or nil when the file does
// not exist, cannot be read or holds no picture we can decode (JPEG). A nil
// item raises NilObjectException.
Ref<Picture> OpenAsPicture(const Ref<FolderItem>& item);

}  // namespace framework

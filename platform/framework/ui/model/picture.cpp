#include "framework/ui/picture.h"

#include <filesystem>
#include <string>

#include "fileread/fileread.h"
#include "framework/exceptions.h"
#include "jpeg_decode.h"

namespace framework {
namespace {

// A picture file bigger than this is not read into memory.
constexpr std::uintmax_t kMaxFileBytes = 256u << 20;

}  // namespace

const ClassRecord& Picture::class_record() {
  static ClassRecord& record = define_class("Picture", &Object::class_record(), 0, native_type_of<Picture>());
  return record;
}

Picture::Picture(int32_t width, int32_t height) {
  width = width < 0 ? 0 : width;
  height = height < 0 ? 0 : height;
  if (uint64_t(width) * uint64_t(height) > ui::kMaxPixels) throw OutOfMemoryException();
  width_ = width;
  height_ = height;
  pixels_.assign(std::size_t(width) * std::size_t(height), 0xFFFFFFFFu);
}

uint32_t Picture::Pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) throw OutOfBoundsException();
  return pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] & 0xFFFFFFu;
}

void Picture::set_Pixel(int32_t x, int32_t y, uint32_t rgb) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) throw OutOfBoundsException();
  pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] = 0xFF000000u | (rgb & 0xFFFFFFu);
}

Ref<Picture> Picture::FromJPEG(std::string_view bytes) {
  auto image = ui::decode_jpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  if (!image) return nullptr;
  Ref<Picture> p = make<Picture>();
  p->width_ = image->width;
  p->height_ = image->height;
  p->pixels_ = std::move(image->pixels);
  return p;
}

Ref<Picture> OpenAsPicture(const Ref<FolderItem>& item) {
  if (!item) throw NilObjectException();
  std::error_code ec;
  std::uintmax_t size = std::filesystem::file_size(item->path(), ec);
  if (ec || size > kMaxFileBytes || !std::filesystem::is_regular_file(item->path(), ec)) return nullptr;
  // Bounded again while reading: the file may grow after its size was taken.
  const fileread::FileRead read = fileread::read_file(item->path().string(), kMaxFileBytes);
  if (!read.ok()) return nullptr;
  return Picture::FromJPEG(read.bytes);
}

}  // namespace framework

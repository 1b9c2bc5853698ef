// Writes the inputs of the outside plug-in's picture tests into a folder: a
// small RGB picture (PPM) for cjpeg, a profile larger than one APP2 chunk,
// a small one, and a file that is no JPEG.

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_test_pictures FOLDER\n");
    return 2;
  }
  const std::string dir = argv[1];
  {
    std::ofstream ppm(dir + "/picture.ppm", std::ios::binary);
    ppm << "P6\n16 8\n255\n";
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 16; ++x)
        ppm << static_cast<char>(x * 16) << static_cast<char>(y * 32) << static_cast<char>(128);
    }
  }
  {
    std::ofstream icc(dir + "/large.icc", std::ios::binary);
    for (int i = 0; i < 70000; ++i) icc << static_cast<char>((i * 7 + 3) & 0xFF);
  }
  {
    std::ofstream icc(dir + "/small.icc", std::ios::binary);
    icc << std::string("\x1b\x2b\x6f$\x00\x80\xff fields", 14);
  }
  {
    std::ofstream text(dir + "/not_a_picture.jpg", std::ios::binary);
    text << "plain text, no JPEG\n";
  }
  return 0;
}

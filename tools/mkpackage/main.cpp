// mkpackage: makes a firmware package for the updater, or shows one.

#include "mkpackage/package.h"

#include "jpegicc/jpegicc.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: mkpackage PICTURE VERSION TITLE VENDOR_ID PRODUCT_ID FIRMWARE OUTPUT\n"
    "       mkpackage --show PACKAGE\n"
    "\n"
    "Makes OUTPUT, a copy of the JPEG picture PICTURE that carries the firmware\n"
    "package as its embedded colour profile: the fields (unused), VERSION, TITLE,\n"
    "VENDOR_ID, PRODUCT_ID and the Intel HEX text of the file FIRMWARE, joined\n"
    "with \"$\" and masked with \"K\". The updater looks for the file logo.jpg.\n"
    "\n"
    "  VERSION     shown to the user; must not be empty\n"
    "  TITLE       title of the updater's windows\n"
    "  VENDOR_ID   USB vendor ID, decimal (1240) or hexadecimal after \"&h\" (&h04D8)\n"
    "  PRODUCT_ID  USB product ID, in the same forms\n"
    "  FIRMWARE    Intel HEX file; its line ends are stored as CR LF, and it is\n"
    "              refused unless the updater can read it to its end record\n"
    "              and finds a data byte before it\n"
    "\n"
    "No field may hold \"$\".\n"
    "\n"
    "--show PACKAGE prints the fields of an existing package, unmasked.\n";

int fail(const std::string& message) {
  std::fprintf(stderr, "mkpackage: %s\n", message.c_str());
  return 1;
}

int usage_error(const char* message) {
  std::fprintf(stderr, "mkpackage: %s\n\n%s", message, kUsage);
  return 2;
}

int show(const char* path) {
  std::string text;
  try {
    text = tools::show_package(jpegicc::read_file(path));
  } catch (const tools::PackageError& error) {
    return fail(std::string(path) + ": " + error.what());
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : fail("cannot write the output");
}

int make(char** argv) {
  const jpegicc::Bytes picture = jpegicc::read_file(argv[1]);
  const jpegicc::Bytes firmware = jpegicc::read_file(argv[6]);
  tools::PackageFields fields;
  fields.version = argv[2];
  fields.title = argv[3];
  fields.vendor_id = argv[4];
  fields.product_id = argv[5];
  fields.firmware.assign(firmware.begin(), firmware.end());
  const jpegicc::Bytes package = tools::make_package(picture, fields);
  tools::check_firmware_holds_data(tools::to_crlf(fields.firmware));
  jpegicc::write_file(argv[7], package);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  try {
    if (argc >= 2 && std::strcmp(argv[1], "--show") == 0) {
      if (argc != 3) return usage_error("--show takes one file");
      return show(argv[2]);
    }
    if (argc != 8) return usage_error("expected seven arguments");
    return make(argv);
  } catch (const tools::PackageError& error) {
    return fail(error.what());
  } catch (const jpegicc::Error& error) {
    return fail(error.what());
  }
}

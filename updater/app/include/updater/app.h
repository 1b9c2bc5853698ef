#pragma once
// App: the application object. Its Open event runs the whole start-up:
// load the firmware package from the bundle, refuse an incomplete one, wait
// in the device-search dialog, then show the update window or quit.
//
// The package is the embedded profile of logo.jpg in the bundle's Resources
// folder, masked byte by byte with kPackageMask: six "$"-separated fields
// (unused, version, title, vendor ID, product ID, Intel HEX text).

#include "framework/ui/application.h"
#include "framework/ui/picture.h"
#include "framework/ui/subclass.h"
#include "updater/bound.h"

namespace updater {

// The one-character mask of the firmware package.
inline constexpr char kPackageMask[] = "K";

// Sets HID's dataversion, datatitle, VendorID, ProductID and datafile from the
// unmasked package text: fields 2 to 6, split at "$" by bytes; the IDs are the
// framework's Val of their text, converted to 32 bits. Missing fields are empty.
void TakePackageRecord(const framework::String& text);

class App : public framework::Application {
 public:
  static const framework::ClassRecord& class_record() {
    return framework::subclass_record<App, framework::Application>("App");
  }

  // `bound`: what start-up bound, kept for the whole run.
  explicit App(Bound bound) : bound_(std::move(bound)) {}

  const Bound& bound() const { return bound_; }

  void Event_Open() override;
  // Reads the package into HID's dataversion, datatitle, VendorID, ProductID
  // and datafile, and the package's picture into logo: all of them, or none
  // when the file has no profile data or the outside members are missing.
  // Shows nothing.
  void LoadData();

  // The package's picture; nil unless a package was read.
  framework::Ref<framework::Picture> logo;

 protected:
  void dispose() noexcept override;

 private:
  Bound bound_;
};

// The application object of the run; raises NilObjectException outside one.
App& TheApp();

}  // namespace updater

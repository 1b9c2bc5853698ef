#include "framework/ui/backend.h"

namespace framework::ui {
namespace {

Backend& nothing_shown() {
  static Backend* b = new Backend;
  return *b;
}

Backend* g_backend = nullptr;

}  // namespace

Backend& backend() { return g_backend ? *g_backend : nothing_shown(); }

void set_backend(Backend* backend) { g_backend = backend; }

bool has_backend() { return g_backend != nullptr; }

}  // namespace framework::ui

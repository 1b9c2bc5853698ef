// The updater program: the framework starts it, the application object does
// the rest with what start-up bound.
#include "framework/ui/run.h"
#include "start_up.h"
#include "updater/app.h"
#include "updater/menubar1.h"

int main() { return framework::run_made_from<updater::App, updater::MenuBar1>(updater::bundle::StartUp); }

// The updater program: the framework starts it, the application object does
// the rest.
#include "framework/ui/run.h"
#include "start_up.h"
#include "updater/app.h"
#include "updater/menubar1.h"

int main() { return framework::run<updater::App, updater::MenuBar1>(updater::bundle::StartUp); }

#pragma once
// The process entry's work: options, the emulated Mac, the services, the class initialisation,
// the window, the launch sequence and the event loop.

#include "app/AppServices.h"

#include <memory>

namespace veltrona {

class WindowController;

int runApplication(int argc, char** argv);

// What the framework does before the event loop: the class initialisation, then the window
// resource loaded and shown. Nothing when the version gate failed: nothing else may run then.
std::unique_ptr<WindowController> startApplication(AppServices services);

} // namespace veltrona

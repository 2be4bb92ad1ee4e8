#pragma once
// The process entry's work: options, the emulated Mac, the services, the class initialisation,
// the window, the launch sequence and the event loop.

namespace veltrona {

int runApplication(int argc, char** argv);

} // namespace veltrona

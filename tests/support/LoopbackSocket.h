#pragma once
// A socket bound to 127.0.0.1 on a port the system picks: test servers never reach beyond this
// machine.

namespace veltrona::test {

// SOCK_DGRAM or SOCK_STREAM; the descriptor with `port` set, or -1.
int boundLoopbackSocket(int type, int& port);

} // namespace veltrona::test

#pragma once

namespace trx {

// Runs the calling thread below the normal priority, so that the window's own thread wins when
// both want a core. True when the system took it.
bool lowerCurrentThreadPriority();

}  // namespace trx

// A little memory put aside at start for the way out of a system that has no
// more: when an allocation fails, the new handler frees it and throws
// std::bad_alloc, so that the exception itself (which the C++ runtime
// allocates) and the clean-up that follows it have memory. Without it, a
// limit that leaves nothing for the exception ends the process by
// std::terminate.
#pragma once

namespace gridcmp {

// Puts the reserve aside and installs the new handler; called once, at the
// start of main, before anything else allocates much. False when the
// reserve itself cannot be had: the caller is out of memory already.
bool holdMemoryReserve();

}  // namespace gridcmp

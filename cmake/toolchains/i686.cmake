# 32-bit x86: doubles in SSE2, not x87: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686.cmake ...
# (Debian: apt-get install g++-i686-linux-gnu qemu-user)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(GRIDCMP_CROSS_TRIPLE i686-linux-gnu)
set(GRIDCMP_CROSS_EMULATOR qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/debianCross.cmake)

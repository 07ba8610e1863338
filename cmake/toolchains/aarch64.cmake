# ARM 64-bit, little-endian: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64.cmake ...
# (Debian: apt-get install g++-aarch64-linux-gnu qemu-user)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(GRIDCMP_CROSS_TRIPLE aarch64-linux-gnu)
set(GRIDCMP_CROSS_EMULATOR qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debianCross.cmake)

# IBM Z, big-endian: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/s390x.cmake ...
# (Debian: apt-get install g++-s390x-linux-gnu qemu-user)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(GRIDCMP_CROSS_TRIPLE s390x-linux-gnu)
set(GRIDCMP_CROSS_EMULATOR qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/debianCross.cmake)

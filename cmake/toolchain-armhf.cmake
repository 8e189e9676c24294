# Cross build for 32-bit ARM Linux (armhf) with Debian's crossbuild-essential-armhf.
# Programs built for the target (tests, GoogleTest discovery) run under qemu-user.
#
#   cmake -S . -B build/armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-armhf.cmake \
#         -DPAKETLOG_BUILD_BENCH=OFF
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(PAKETLOG_ARMHF_TRIPLET arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${PAKETLOG_ARMHF_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PAKETLOG_ARMHF_TRIPLET}-g++)

# Libraries, headers and CMake packages come from the target's tree only;
# build-machine programs (qemu, nm, python) from the build machine.
# The cross toolchain's tree, and Debian's multiarch tree for target packages
# installed with an :armhf suffix (libpcap0.8-dev:armhf for the command).
set(CMAKE_FIND_ROOT_PATH /usr/${PAKETLOG_ARMHF_TRIPLET} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and gtest_discover_tests run target programs through this.
find_program(PAKETLOG_QEMU_ARM qemu-arm)
if(NOT PAKETLOG_QEMU_ARM)
  set(PAKETLOG_QEMU_ARM qemu-arm)
endif()
# The C and C++ runtimes come from the cross toolchain's tree, to match its
# loader, even where Debian's multiarch libc6:armhf is installed as well.
set(CMAKE_CROSSCOMPILING_EMULATOR ${PAKETLOG_QEMU_ARM} -L /usr/${PAKETLOG_ARMHF_TRIPLET}
    -E LD_LIBRARY_PATH=/usr/${PAKETLOG_ARMHF_TRIPLET}/lib)

# 32-bit ARM (armhf) with Debian's cross toolchain; programs run under qemu-arm
# with the cross sysroot, so CTest runs the suite as on the gateway's CPU.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(QZ_ARMHF_SYSROOT /usr/arm-linux-gnueabihf)

set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_NM arm-linux-gnueabihf-nm)
set(CMAKE_READELF arm-linux-gnueabihf-readelf)

set(CMAKE_FIND_ROOT_PATH ${QZ_ARMHF_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
# Header-only packages (the JSON library) come from the build machine.
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L ${QZ_ARMHF_SYSROOT})
# 64-bit time even on 32-bit ARM: the library converts times with 64-bit seconds.
add_compile_definitions(_FILE_OFFSET_BITS=64 _TIME_BITS=64)
# Notes about an ABI change of GCC 7.1 concern only mixing old and new objects.
add_compile_options(-Wno-psabi)
# GoogleTest is built for the target from Debian's source package.
set(QZ_GTEST_FROM_SOURCE ON CACHE BOOL "")

# Cross build for the board (32-bit ARM, hard float) with Debian's cross
# compiler and the :armhf -dev packages (dpkg --add-architecture armhf).
# Debian's multiarch layout keeps the target's libraries in
# /usr/lib/arm-linux-gnueabihf and shares /usr/include, so there is no
# separate sysroot: the find root is "/" plus the cross tool directory.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(NVR_TARGET_TRIPLE arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${NVR_TARGET_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${NVR_TARGET_TRIPLE}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${NVR_TARGET_TRIPLE})

set(CMAKE_FIND_ROOT_PATH /usr/${NVR_TARGET_TRIPLE} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Keep the host's x86_64 libraries out of reach of find_library/find_package.
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /usr/lib/x86_64-linux-gnu/cmake)

# pkg-config must describe the :armhf packages, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${NVR_TARGET_TRIPLE}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
unset(ENV{PKG_CONFIG_SYSROOT_DIR})

# GoogleTest comes from libgtest-dev:armhf (static libgtest.a + its config).
set(GTest_DIR /usr/lib/${NVR_TARGET_TRIPLE}/cmake/GTest CACHE PATH "armhf GoogleTest package")

# Tests (and test programs that start other programs) run through user-mode
# emulation; -L makes the target's dynamic loader and libraries visible. The
# emulator is named by its full path: test programs start it with
# posix_spawn/execv, which do not search PATH.
# The loader under -L comes from the cross toolchain's C library, but its
# search path would find libc6:armhf's libc.so.6 in the multiarch folder, a
# different build (Debian updates one and not the other); a mismatched pair
# crashes at the first pthread_create. LD_LIBRARY_PATH keeps the pair matched.
find_program(NVR_QEMU_ARM qemu-arm)
if(NOT NVR_QEMU_ARM)
  set(NVR_QEMU_ARM qemu-arm)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${NVR_QEMU_ARM};-L;/usr/${NVR_TARGET_TRIPLE};-E;LD_LIBRARY_PATH=/usr/${NVR_TARGET_TRIPLE}/lib")

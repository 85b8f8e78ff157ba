# A cross build for one of Debian's architectures, with Debian's cross compiler
# and the architecture's own libraries (multiarch), its programs run under
# qemu-user: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/cross.cmake -DBRIVOLT_ARCH=arm64
# Allegro's development files differ between architectures and cannot be
# installed side by side with the host's: BRIVOLT_ALLEGRO names the folder
# where the architecture's liballegro4-dev and liballegro4.4 are unpacked.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRIVOLT_ARCH BRIVOLT_ALLEGRO)
set(CMAKE_SYSTEM_NAME Linux)
# Debian architecture: compiler triplet, multiarch triplet, qemu-user program.
set(arm64 aarch64-linux-gnu aarch64-linux-gnu aarch64)
set(armhf arm-linux-gnueabihf arm-linux-gnueabihf arm)
set(i386 i686-linux-gnu i386-linux-gnu i386)
set(ppc64el powerpc64le-linux-gnu powerpc64le-linux-gnu ppc64le)
set(s390x s390x-linux-gnu s390x-linux-gnu s390x)
if(NOT DEFINED ${BRIVOLT_ARCH})
  message(FATAL_ERROR "BRIVOLT_ARCH is one of arm64, armhf, i386, ppc64el, s390x")
endif()
list(GET ${BRIVOLT_ARCH} 0 compiler)
list(GET ${BRIVOLT_ARCH} 1 CMAKE_LIBRARY_ARCHITECTURE)
list(GET ${BRIVOLT_ARCH} 2 qemu)
set(CMAKE_SYSTEM_PROCESSOR ${qemu})
find_program(CMAKE_CXX_COMPILER ${compiler}-g++)
find_program(emulator qemu-${qemu})
if(NOT CMAKE_CXX_COMPILER OR NOT emulator)
  message(FATAL_ERROR "A ${BRIVOLT_ARCH} build needs ${compiler}-g++ and qemu-${qemu}: "
                      "apt-get install g++-${compiler} qemu-user (make cross does this itself)")
endif()
# The architecture's own C library (multiarch) runs its programs: one from the
# cross compiler's folder beside it (qemu -L) hangs Allegro at start-up.
set(CMAKE_CROSSCOMPILING_EMULATOR ${emulator})
set(CMAKE_FIND_ROOT_PATH /usr/${compiler})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# Only the architecture's own pkg-config files: Allegro's from its folder, the
# rest from the multiarch libraries.
set(ENV{PKG_CONFIG_LIBDIR} "${BRIVOLT_ALLEGRO}/usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/pkgconfig:/usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/pkgconfig:/usr/share/pkgconfig")

# A cross build for one of Debian's architectures, with Debian's cross compiler
# and the architecture's own libraries, its programs run under qemu-user:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/cross.cmake -DBRIVOLT_ARCH=arm64 -DBRIVOLT_SYSROOT=DIR
# BRIVOLT_SYSROOT is a folder holding the architecture's packages unpacked, as
# .ci/cross.sh makes it, with a dpkg database of its own so that dpkg-shlibdeps
# names the packages a program needs on that architecture's Debian. None of
# them is installed beside the host's: multiarch would need each one at the
# host's exact version, which an architecture whose updates lag cannot give.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRIVOLT_ARCH BRIVOLT_SYSROOT)
set(CMAKE_SYSTEM_NAME Linux)
include(${CMAKE_CURRENT_LIST_DIR}/architectures.cmake)
if(NOT DEFINED brivolt_arch_${BRIVOLT_ARCH} OR NOT IS_DIRECTORY "${BRIVOLT_SYSROOT}/usr")
  message(FATAL_ERROR "A cross build needs BRIVOLT_ARCH, a Debian architecture other than amd64, "
                      "and BRIVOLT_SYSROOT, its libraries unpacked (.ci/cross.sh makes both)")
endif()
foreach(query GNU_TYPE GNU_CPU MULTIARCH)
  execute_process(COMMAND dpkg-architecture -a${BRIVOLT_ARCH} -qDEB_HOST_${query}
                  OUTPUT_VARIABLE ${query} OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endforeach()
list(GET brivolt_arch_${BRIVOLT_ARCH} 0 qemu)
set(CMAKE_SYSTEM_PROCESSOR ${GNU_CPU})
set(CMAKE_LIBRARY_ARCHITECTURE ${MULTIARCH})
set(CMAKE_SYSROOT ${BRIVOLT_SYSROOT})
find_program(CMAKE_CXX_COMPILER ${GNU_TYPE}-g++)
find_program(emulator qemu-${qemu})
if(NOT CMAKE_CXX_COMPILER OR NOT emulator)
  message(FATAL_ERROR "A ${BRIVOLT_ARCH} build needs ${GNU_TYPE}-g++ and qemu-${qemu}: "
                      "apt-get install g++-${GNU_TYPE} qemu-user (make cross does this itself)")
endif()
# The architecture's own C library and loader, from the sysroot, run its
# programs; the cross compiler's copy of the C library hangs Allegro at start-up.
set(CMAKE_CROSSCOMPILING_EMULATOR ${emulator} -L ${BRIVOLT_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${BRIVOLT_SYSROOT})
set(ENV{PKG_CONFIG_LIBDIR} "${BRIVOLT_SYSROOT}/usr/lib/${MULTIARCH}/pkgconfig:${BRIVOLT_SYSROOT}/usr/share/pkgconfig")

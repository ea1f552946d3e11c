# Cross-compiling for Windows x86_64 with Debian's mingw-w64 (posix threads, for std::thread),
# against the libraries scripts/windows-sdk builds. The folder comes from VESK_WINDOWS_SDK, given
# with -D or in the environment; try_compile projects get it through the environment.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT VESK_WINDOWS_SDK)
  set(VESK_WINDOWS_SDK "$ENV{VESK_WINDOWS_SDK}")
endif()
if(VESK_WINDOWS_SDK)
  set(ENV{VESK_WINDOWS_SDK} "${VESK_WINDOWS_SDK}")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VESK_WINDOWS_SDK} ${VESK_WINDOWS_SDK}/qt6)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads only the SDK's own .pc files, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} "${VESK_WINDOWS_SDK}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Tests and generators built for Windows run under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Cross build for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix,
# mingw-w64-tools); the programs and tests run under Wine (scripts/windows-build.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triplet x86_64-w64-mingw32)
# The "posix" thread model: std::thread and std::mutex as everywhere else.
set(CMAKE_C_COMPILER ${_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe without the MinGW runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs and tests that start a built program run through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# What the build machine has and the target lacks: the header-only libraries (CLI11,
# SimpleIni with its template bodies in the header), and GoogleTest as source.
set(ZENTRA_HOST_HEADERS /usr/include/CLI /usr/include/SimpleIni.h)
set(ZENTRA_SIMPLEINI_LIBRARY "")
set(ZENTRA_GTEST_SOURCE_DIR /usr/src/googletest)

# MinGW's GCC 12 warns falsely about copies inside libstdc++'s string and vector code
# once it is inlined at -O2 and above (known faults of that compiler's -Wrestrict,
# -Wstringop-overflow and -Warray-bounds); the native build checks those warnings.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict -Wno-stringop-overflow -Wno-array-bounds")

# pkg-config answers for the target only: the build machine's libusb-1.0 is no Windows
# library (Debian has libusb-1.0 for MinGW only as source), so the USB kinds are left out.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${_triplet}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

// Loading a shared library at run time (dlopen on POSIX systems, LoadLibrary on
// Windows), so that a program runs where an optional library is missing.
#pragma once

#include <string>

namespace zentra {

// The file name of libusb-1.0 on this system ("libusb-1.0.so.0", "libusb-1.0.dll", ...).
const char* LibusbLibraryName();

// The loaded library, or null with why set to the system's reason.
void* OpenSharedLibrary(const char* name, std::string& why);
// The address of a function of the library, or null.
void* SharedLibrarySymbol(void* library, const char* name);
void CloseSharedLibrary(void* library);

}  // namespace zentra

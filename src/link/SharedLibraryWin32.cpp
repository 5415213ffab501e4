#include <windows.h>

#include "link/SharedLibrary.h"

namespace zentra {

const char* LibusbLibraryName() { return "libusb-1.0.dll"; }

void* OpenSharedLibrary(const char* name, std::string& why) {
  HMODULE library = LoadLibraryA(name);
  if (library == nullptr)
    why = std::string(name) + " could not be loaded (error " + std::to_string(GetLastError()) + ")";
  return reinterpret_cast<void*>(library);
}

void* SharedLibrarySymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseSharedLibrary(void* library) {
  if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace zentra

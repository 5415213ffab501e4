#include <dlfcn.h>

#include "link/SharedLibrary.h"

namespace zentra {

const char* LibusbLibraryName() {
#ifdef __APPLE__
  return "libusb-1.0.0.dylib";
#else
  return "libusb-1.0.so.0";
#endif
}

void* OpenSharedLibrary(const char* name, std::string& why) {
  void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* error = dlerror();
    why = std::string(name) + " could not be loaded" + (error ? std::string(": ") + error : "");
  }
  return library;
}

void* SharedLibrarySymbol(void* library, const char* name) { return dlsym(library, name); }

void CloseSharedLibrary(void* library) {
  if (library != nullptr) dlclose(library);
}

}  // namespace zentra

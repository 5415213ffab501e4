// The serial ports of a Windows machine: the present devices of the setup class
// "Ports", each with its "PortName" from the device's hardware key (opened through
// CM_Open_DevNode_Key of cfgmgr32, loaded at run time) and its friendly name, such as
// "DGLnano (COM7)". Printer ports and other entries of the class are skipped.
#include <windows.h>
#include <setupapi.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "link/NativeSerialPort.h"

namespace zentra {

namespace {

// CM_Open_DevNode_Key and the values it takes (cfgmgr32.h).
using OpenDevNodeKey = DWORD(WINAPI*)(DWORD devInst, REGSAM access, ULONG profile,
                                      DWORD disposition, HKEY* key, ULONG flags);
constexpr DWORD kRegDispositionOpenExisting = 1;
constexpr ULONG kRegistryHardwareKey = 1;  // CM_REGISTRY_HARDWARE
constexpr DWORD kCrSuccess = 0;
constexpr DWORD kPortNameBytes = 7;       // COM1 .. COM999 and the terminating zero
constexpr DWORD kFriendlyNameBytes = 300;

class SetupApiPortEnumerator final : public SerialPortEnumerator {
 public:
  std::vector<SerialPortInfo> Ports() override {
    std::vector<SerialPortInfo> ports;
    DWORD guidCount = 0;
    SetupDiClassGuidsFromNameA("Ports", nullptr, 0, &guidCount);
    if (guidCount == 0) return ports;
    std::vector<GUID> guids(guidCount);
    if (!SetupDiClassGuidsFromNameA("Ports", guids.data(), guidCount, &guidCount)) return ports;
    HDEVINFO list = SetupDiGetClassDevsA(&guids[0], nullptr, nullptr, DIGCF_PRESENT);
    if (list == INVALID_HANDLE_VALUE) return ports;
    HMODULE cfgmgr = LoadLibraryA("cfgmgr32");
    auto openKey = cfgmgr != nullptr ? reinterpret_cast<OpenDevNodeKey>(reinterpret_cast<void*>(
                                           GetProcAddress(cfgmgr, "CM_Open_DevNode_Key")))
                                     : nullptr;
    if (openKey != nullptr) {
      for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!SetupDiEnumDeviceInfo(list, index, &device)) break;
        std::string portName;
        // An entry that cannot be read ends the enumeration; what was found stays.
        if (!PortName(openKey, device, portName)) break;
        if (_strnicmp(portName.c_str(), "com", 3) != 0) continue;  // LPT1 and the like
        char friendly[kFriendlyNameBytes] = {};
        if (!SetupDiGetDeviceRegistryPropertyA(list, &device, SPDRP_FRIENDLYNAME, nullptr,
                                               reinterpret_cast<BYTE*>(friendly),
                                               sizeof friendly - 1, nullptr) ||
            std::atoi(portName.c_str() + 3) <= 0)
          break;
        ports.push_back({friendly, portName});
      }
    }
    if (cfgmgr != nullptr) FreeLibrary(cfgmgr);
    SetupDiDestroyDeviceInfoList(list);
    return ports;
  }

 private:
  // The device's "PortName" value; false when the key or value cannot be read (a name
  // longer than six characters does not fit and counts as unreadable).
  static bool PortName(OpenDevNodeKey openKey, const SP_DEVINFO_DATA& device, std::string& name) {
    HKEY key = nullptr;
    if (openKey(device.DevInst, KEY_QUERY_VALUE, 0, kRegDispositionOpenExisting, &key,
                kRegistryHardwareKey) != kCrSuccess)
      return false;
    char value[kPortNameBytes + 1] = {};
    DWORD size = kPortNameBytes;
    const LONG result = RegQueryValueExA(key, "PortName", nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    name.assign(value, strnlen(value, kPortNameBytes));
    return true;
  }
};

}  // namespace

std::shared_ptr<SerialPortEnumerator> MakeNativePortEnumerator() {
  return std::make_shared<SetupApiPortEnumerator>();
}

}  // namespace zentra

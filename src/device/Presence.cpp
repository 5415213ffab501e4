#include "device/Presence.h"

#include "device/CommandSet.h"
#include "device/Identification.h"
#include "device/ModelTable.h"
#include "device/ServiceCommands.h"
#include "device/TDeviceData.h"

namespace zentra {

namespace {

bool InFamily(ProbeFamily family, int modelType) {
  const ModelInfo* info = FindModel(modelType);
  return info != nullptr && info->family == family;
}

// One family's step of the tick. Returns true when it decided the tick's outcome.
bool ProbeFamilyStep(Transactor& link, TDeviceData& data, ProbeFamily family,
                     const AccessCode& code, uint8_t interfaceKind, PresenceTick& tick) {
  if (!FamilyProbed(family, data.modelType)) return false;
  ServiceCommands service(link);
  ++tick.unlocksSent;
  const bool answered = service.Unlock(code);

  if (data.modelType == 0) {
    if (!answered) return false;
    CommandSet commands(link, data);
    if (!commands.ReadDeviceId()) return false;
    IdentifyModel(data);
    if (InFamily(family, data.modelType)) {
      tick.event = PresenceEvent::Arrived;
      tick.modelType = data.modelType;
      tick.picture = ModelPicture(data.modelType);
      return true;
    }
    // The identity names a model of the other family than the code that answered: the
    // transmitter is not taken as identified, so the next tick probes both families
    // again instead of waiting on a model that was never read. The tick ends here, with
    // no picture and no read: the other family's code is not tried on a transmitter
    // whose answers already disagree.
    data.modelType = 0;
    tick.mismatch = true;
    return true;
  }

  if (answered) {
    tick.event = PresenceEvent::StillThere;
    tick.modelType = data.modelType;
    return true;
  }
  data.modelType = 0;
  tick.event = PresenceEvent::Left;
  tick.modelType = 0;
  tick.picture = InterfacePicture(interfaceKind);
  return true;
}

}  // namespace

const char* InterfacePicture(uint8_t interfaceKind) {
  switch (interfaceKind) {
    case 1:
      return "PICTURE_ZRV510";
    case 2:
      return "PICTURE_IR";
    case 3:
      return "PICTURE_ZRV520";
    case 4:
      return "PICTURE_DGLnano";
    default:
      return "";
  }
}

PresenceTick PresenceProbe(Transactor& link, TDeviceData& data, uint8_t interfaceKind,
                           const AccessCodes& codes) {
  // Asking whether anything stands in front of the IR window: an unanswered probe is
  // the normal "nobody there", not a fault of the link.
  const LinkHealth::Pause quiet(link.health());
  PresenceTick tick;
  ProbeFamilyStep(link, data, ProbeFamily::Handheld, codes.handheld, interfaceKind, tick);
  if (tick.mismatch) return tick;
  // The bodypack step looks at the model code as the handheld step left it: after a
  // handheld arrived or answered it is skipped; after a handheld left, the bodypack
  // family is probed in the same tick.
  PresenceTick bodypack;
  ProbeFamilyStep(link, data, ProbeFamily::Bodypack, codes.bodypack, interfaceKind, bodypack);
  tick.unlocksSent += bodypack.unlocksSent;
  tick.mismatch = bodypack.mismatch;
  if (bodypack.event != PresenceEvent::Nothing) {
    tick.leftFirst = tick.event == PresenceEvent::Left;
    tick.event = bodypack.event;
    tick.modelType = bodypack.modelType;
    tick.picture = bodypack.picture;
  }
  return tick;
}

}  // namespace zentra

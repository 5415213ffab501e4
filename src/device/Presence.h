// One tick of the presence poll: is a transmitter in front of the IR window? While no
// transmitter is identified both families are probed with their unlock codes (handheld
// first); once one is identified only its family is probed, and a single unanswered
// probe is taken as its departure. The front end keeps the timer, steps aside while the
// link is busy, shows the pictures and runs FullRead on an arrival.
#pragma once

#include <cstdint>
#include <string>

#include "device/AccessCodes.h"

namespace zentra {

class Transactor;
struct TDeviceData;

enum class PresenceEvent {
  Nothing,     // no transmitter, none arrived
  Arrived,     // a transmitter answered and was identified: show its picture, FullRead
  Left,        // the identified transmitter stopped answering: reset the display
  StillThere,  // the identified transmitter answered again
};

struct PresenceTick {
  PresenceEvent event = PresenceEvent::Nothing;
  int modelType = 0;      // Arrived: the model code identified
  std::string picture;    // Arrived: the model's picture; Left: the interface's picture
  int unlocksSent = 0;    // probes sent in this tick (1 or 2)
  // A handheld left and a bodypack arrived in the same tick: reset the display first.
  bool leftFirst = false;
  // A family code was answered by a transmitter whose identity names a model of the
  // other family: nothing is shown or read in this tick (event Nothing).
  bool mismatch = false;
};

// Runs one tick over the link. interfaceKind is the kind of the selected interface entry
// (its picture is shown when a transmitter leaves). On Left, modelType is 0 afterwards;
// the caller resets the display.
PresenceTick PresenceProbe(Transactor& link, TDeviceData& data, uint8_t interfaceKind,
                           const AccessCodes& codes = ActiveAccessCodes());

// Picture resource of an interface kind: "PICTURE_ZRV510", "PICTURE_IR", "PICTURE_ZRV520",
// "PICTURE_DGLnano"; "" for kind 0 and unknown kinds.
const char* InterfacePicture(uint8_t interfaceKind);

}  // namespace zentra

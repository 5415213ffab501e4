// The transmitter models as data: one row per model code with its identity match
// strings, name, kind, probe family and picture. Every layer looks models up here
// instead of switching on the code.
#pragma once

#include <cstdint>
#include <span>

namespace zentra {

enum class ModelKind { Handheld, Bodypack, PlugOn };

// The presence probe unlocks with one code per family.
enum class ProbeFamily { Handheld, Bodypack };

struct ModelInfo {
  int8_t code;                 // modelType, 1..10
  const char* match[2];        // identity prefixes (trailing blank included); [1] may be null
  const char* name;            // "ZQK120", "ZQL11 / ZQL12", ...
  ModelKind kind;
  ProbeFamily family;
  const char* picture;         // picture resource, "PICTURE_ZQK120", ...
};

// The ten models in code order (index = code - 1).
std::span<const ModelInfo> Models();

// The row of a model code, or nullptr for 0 and unknown codes.
const ModelInfo* FindModel(int modelType);

// Model name / picture resource of a code; "" for unknown codes.
const char* ModelName(int modelType);
const char* ModelPicture(int modelType);

// Codes 3..10 form the new family (0-based group numbering in files and lists);
// codes 1 and 2 the old family.
bool IsNewFamily(int modelType);
bool IsOldFamily(int modelType);

// True when the presence poll probes that family while modelType holds this value:
// always for 0, otherwise only the family the identified model belongs to.
bool FamilyProbed(ProbeFamily family, int modelType);

// Kind as text for listings: "handheld", "bodypack", "plug-on".
const char* KindName(ModelKind kind);

}  // namespace zentra

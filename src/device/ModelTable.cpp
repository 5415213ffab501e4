#include "device/ModelTable.h"

#include <array>

namespace zentra {

namespace {

using K = ModelKind;
using F = ProbeFamily;

constexpr std::array<ModelInfo, 10> kModels = {{
    {1, {"ZQK120 ", nullptr}, "ZQK120", K::Handheld, F::Handheld, "PICTURE_ZQK120"},
    {2, {"ZQL11 ", "ZQL12 "}, "ZQL11 / ZQL12", K::Bodypack, F::Bodypack, "PICTURE_ZQL11"},
    {3, {"ZQL21 ", nullptr}, "ZQL21", K::Bodypack, F::Bodypack, "PICTURE_ZQL21"},
    {4, {"ZQK220 ", nullptr}, "ZQK220", K::Handheld, F::Handheld, "PICTURE_ZQK220"},
    {5, {"ZQL22 ", nullptr}, "ZQL22", K::Bodypack, F::Bodypack, "PICTURE_ZQL22"},
    {6, {"ZQN21 ", nullptr}, "ZQN21", K::PlugOn, F::Bodypack, "PICTURE_ZQN21"},
    {7, {"ZQL21X", nullptr}, "ZQL21X", K::Bodypack, F::Bodypack, "PICTURE_ZQL21X"},
    {8, {"ZQN21X", nullptr}, "ZQN21X", K::PlugOn, F::Bodypack, "PICTURE_ZQN21X"},
    {9, {"ZQL22X", nullptr}, "ZQL22X", K::Bodypack, F::Bodypack, "PICTURE_ZQL22X"},
    {10, {"ZQK230 ", nullptr}, "ZQK230", K::Handheld, F::Handheld, "PICTURE_ZQK230"},
}};

}  // namespace

std::span<const ModelInfo> Models() { return kModels; }

const ModelInfo* FindModel(int modelType) {
  if (modelType < 1 || modelType > static_cast<int>(kModels.size())) return nullptr;
  return &kModels[static_cast<size_t>(modelType - 1)];
}

const char* ModelName(int modelType) {
  const ModelInfo* m = FindModel(modelType);
  return m ? m->name : "";
}

const char* ModelPicture(int modelType) {
  const ModelInfo* m = FindModel(modelType);
  return m ? m->picture : "";
}

bool IsNewFamily(int modelType) { return modelType >= 3 && modelType <= 10; }
bool IsOldFamily(int modelType) { return modelType == 1 || modelType == 2; }

bool FamilyProbed(ProbeFamily family, int modelType) {
  if (modelType == 0) return true;
  const ModelInfo* m = FindModel(modelType);
  return m != nullptr && m->family == family;
}

const char* KindName(ModelKind kind) {
  switch (kind) {
    case ModelKind::Handheld: return "handheld";
    case ModelKind::Bodypack: return "bodypack";
    case ModelKind::PlugOn: return "plug-on";
  }
  return "";
}

}  // namespace zentra

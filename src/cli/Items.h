// The item names zentra-cli shows and accepts live in the core (device/SettingItems.h),
// shared with the programming station of both front ends.
#pragma once

#include "device/SettingItems.h"

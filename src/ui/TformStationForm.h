// The generated form of the programming station's dialog, for its tests.
#pragma once

#include "ui/TformStation.h"
#include "ui_TformStation.h"

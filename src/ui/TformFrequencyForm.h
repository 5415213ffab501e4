// The generated form of the frequency entry dialog, for code that reaches its controls
// by name (its tests).
#pragma once

#include "ui/TformFrequency.h"
#include "ui_TformFrequency.h"

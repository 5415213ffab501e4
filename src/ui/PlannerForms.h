// The generated forms of the offline plan window and the coordination dialog, for code
// that reaches their controls by name (their tests).
#pragma once

#include "ui/TformCoordinate.h"
#include "ui/TformPlanner.h"
#include "ui_TformCoordinate.h"
#include "ui_TformPlanner.h"

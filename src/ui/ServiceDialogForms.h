// The generated forms of the service dialogs (memory transfers, power profile), for
// code that reaches their controls by name (their tests).
#pragma once

#include "ui/TFormMemoryTransfer.h"
#include "ui/TFormPowerProfile.h"
#include "ui_TFormMemoryTransfer.h"
#include "ui_TFormPowerProfile.h"

// The generated forms of the progress and configuration dialogs, for code that reaches
// their controls by name (their tests).
#pragma once

#include "ui/TformConfiguration.h"
#include "ui/TformProgress.h"
#include "ui_TformConfiguration.h"
#include "ui_TformProgress.h"

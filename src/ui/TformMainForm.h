// The generated form of the main window, for code that reaches its controls by name
// (the window itself and its tests).
#pragma once

#include "ui_TformMain.h"

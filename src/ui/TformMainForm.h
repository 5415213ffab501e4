// The generated forms of the main window and its views, for code that reaches their
// controls by name (the window itself and its tests).
#pragma once

#include "ui/ActivePresetView.h"
#include "ui/FrequencyPlanView.h"
#include "ui/PresetPanelView.h"
#include "ui/ServiceView.h"
#include "ui/SettingsPanelsView.h"
#include "ui_ActivePresetView.h"
#include "ui_FrequencyPlanView.h"
#include "ui_PresetPanelView.h"
#include "ui_ServiceView.h"
#include "ui_SettingsPanelsView.h"
#include "ui_TformMain.h"

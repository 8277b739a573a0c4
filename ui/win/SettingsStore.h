// Reading and writing the settings of Settings.h through the application profile.
#pragma once

#include "ui/Settings.h"
#include "framework/win/App.h"

inline int ReadSetting(const CIntSetting& setting) {
    return static_cast<int>(
        AfxGetApp()->GetProfileIntW(Settings::kSection, setting.name, setting.defaultValue));
}

inline void WriteSetting(const CIntSetting& setting, int value) {
    AfxGetApp()->WriteProfileInt(Settings::kSection, setting.name, value);
}

// settings_file.cpp — the settings file. (stub)
#include "platform/platform.h"

bool OpenSettingsFile(const std::string&) { return false; }
bool SelectGroup(const std::string&) { return false; }
std::string ReadSettingText(const std::string&, const std::string& f) { return f; }
int32_t ReadSettingNumber(const std::string&, int32_t f) { return f; }
void WriteSettingText(const std::string&, const std::string&) {}
void WriteSettingNumber(const std::string&, int32_t) {}
void CloseSettingsFile() {}

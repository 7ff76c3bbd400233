#pragma once

#include "core/config.h"
#include "settings/ini_file.h"

namespace zorvane {

// The "配置" section, key by key as kConfigKeys names them. A missing or empty
// key keeps the built-in default.
Config loadConfig(const IniFile& ini);

} // namespace zorvane

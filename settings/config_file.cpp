#include "settings/config_file.h"

#include <optional>
#include <string>

namespace zorvane {

Config loadConfig(const IniFile& ini)
{
    Config config;
    for (const ConfigKey& key : kConfigKeys) {
        const std::optional<std::string> value = ini.value(kConfigSection, key.name);
        if (value && !value->empty())
            setConfigValue(config, key, *value);
    }
    return config;
}

} // namespace zorvane

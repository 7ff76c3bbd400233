#include "core/config.h"

namespace zorvane {

Config::Config()
{
    for (const ConfigKey& key : kConfigKeys)
        setConfigValue(*this, key, key.defaultValue);
}

void setConfigValue(Config& config, const ConfigKey& key, std::string_view value)
{
    if (key.text)
        config.*key.text = std::string(value);
    else
        config.*key.flag = value == "真";
}

} // namespace zorvane

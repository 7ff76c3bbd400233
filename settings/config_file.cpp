#include "settings/config_file.h"

#include <optional>
#include <string>

namespace zorvane {

namespace {

void readText(const IniFile& ini, const char* key, std::string& target)
{
    std::optional<std::string> value = ini.value(kConfigSection, key);
    if (value && !value->empty())
        target = *value;
}

} // namespace

Config loadConfig(const IniFile& ini)
{
    Config config;
    readText(ini, "搜索主机", config.searchHost);
    readText(ini, "商品地址模板", config.itemUrlTemplate);
    readText(ini, "登录主机", config.loginHost);
    readText(ini, "更新地址", config.updateUrl);
    readText(ini, "证书文件", config.caFile);
    readText(ini, "代理", config.proxy);
    std::optional<std::string> ignoreCert = ini.value(kConfigSection, "忽略证书错误");
    if (ignoreCert && !ignoreCert->empty())
        config.ignoreCertErrors = *ignoreCert == "真";
    return config;
}

} // namespace zorvane

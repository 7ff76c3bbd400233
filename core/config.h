#pragma once

#include <string>
#include <string_view>

#include "core/version.h"

namespace zorvane {

// Values of the settings file's "配置" section; the savers never write it.
// Each field starts at its key's default in kConfigKeys.
struct Config
{
    Config();

    std::string searchHost;      // where next-page addresses point (host or host:port)
    std::string itemUrlTemplate; // a goods item's page; {goods_id} stands for the id
    std::string loginHost;       // its redirect page ends a walk
    std::string updateUrl;       // the update endpoint
    bool ignoreCertErrors{};     // accept untrusted certificates
    std::string caFile;          // trust only this PEM bundle, "" = the system's store
    std::string proxy;           // scheme://[user:password@]host:port, "" = the environment's
};

inline constexpr const char* kConfigSection = "配置";

// One key of the section: its name in the file, the field it sets (a text, or
// a flag that "真" sets and any other text clears) and the field's value when
// the key is missing or empty, written as the file writes it.
struct ConfigKey
{
    std::string_view name;
    std::string Config::*text = nullptr;
    bool Config::*flag = nullptr;
    std::string_view defaultValue;
};

inline constexpr ConfigKey kConfigKeys[] = {
    {"搜索主机", &Config::searchHost, nullptr, "search.jd.com"},
    {"商品地址模板", &Config::itemUrlTemplate, nullptr, "https://item.jd.com/{goods_id}.html"},
    {"登录主机", &Config::loginHost, nullptr, "passport.jd.com"},
    {"更新地址", &Config::updateUrl, nullptr, "http://update.zorvane.invalid/vorn/jd.php"},
    {"忽略证书错误", nullptr, &Config::ignoreCertErrors, "假"},
    {"证书文件", &Config::caFile, nullptr, ""},
    {"代理", &Config::proxy, nullptr, ""},
};

// Sets the key's field from the value as the file writes it.
void setConfigValue(Config& config, const ConfigKey& key, std::string_view value);

} // namespace zorvane

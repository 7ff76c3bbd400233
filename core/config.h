#pragma once

#include <string>

#include "core/version.h"

namespace zorvane {

// Values of the settings file's "配置" section; the savers never write it.
struct Config
{
    std::string searchHost = "search.jd.com";                            // 搜索主机
    std::string itemUrlTemplate = "https://item.jd.com/{goods_id}.html"; // 商品地址模板
    std::string loginHost = "passport.jd.com";                           // 登录主机
    std::string updateUrl = "http://update.zorvane.invalid/vorn/jd.php"; // 更新地址
    bool ignoreCertErrors = false;                                       // 忽略证书错误 = 真
    std::string caFile; // 证书文件: trust only this PEM bundle
    std::string proxy;  // 代理: scheme://[user:password@]host:port, "" = the environment's
};

inline constexpr const char* kConfigSection = "配置";

} // namespace zorvane

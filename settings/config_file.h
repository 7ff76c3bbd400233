#pragma once

#include "core/config.h"
#include "settings/ini_file.h"

namespace zorvane {

// The "配置" section: 搜索主机, 商品地址模板, 登录主机, 更新地址, 证书文件, 代理 and
// 忽略证书错误 ("真" = true, any other text = false). A missing or empty key
// keeps the built-in default.
Config loadConfig(const IniFile& ini);

} // namespace zorvane

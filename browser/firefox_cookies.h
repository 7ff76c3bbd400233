#pragma once

#include <string>

#include "browser/cookie_files.h"

namespace zorvane {

// True when the file starts as every SQLite database does.
bool isSqliteFile(const std::string& path);

// The cookies of an SQLite cookie database: a Firefox cookies.sqlite, read
// from a private copy (with its write-ahead log) in a private temporary
// folder, removed before the first row is read; Chromium's
// database is recognised and refused. Expiry is in seconds, but values above
// 10^11 are milliseconds, which some Firefox versions wrote.
CookieFile readSqliteCookies(const std::string& path);

} // namespace zorvane

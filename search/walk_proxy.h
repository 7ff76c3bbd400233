#pragma once

#include <string>

#include "web/proxy_setting.h"

namespace zorvane {

struct AppState;
struct SearchJob;
class WalkObserver;

// The log line that names the proxy a walk goes through, its password
// hidden; "" when the walk goes direct.
std::string proxyLogLine(const ProxyChoice& choice);

// Opens the walk with the line naming its proxy. A proxy that cannot be read
// is named too, and the walk pauses itself before sending anything: going
// direct instead would bypass what the user asked for. False then.
bool announceProxy(AppState& state, WalkObserver& observer, SearchJob& job);

} // namespace zorvane

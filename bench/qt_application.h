#pragma once

namespace zorvane::bench {

// The one QApplication of a window benchmark, made on first use with the
// offscreen platform, so the benchmark needs no display.
void ensureApplication();

} // namespace zorvane::bench

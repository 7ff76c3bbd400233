#include "bench/qt_application.h"

#include <QApplication>

namespace zorvane::bench {

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
}

} // namespace zorvane::bench

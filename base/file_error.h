#pragma once

#include <string>

namespace zorvane {

// Why a file could not be written, in the words the log and the message boxes
// use: "权限不足", "磁盘已满", "文件系统只读", ... An errno value without a
// word of its own gives the system's text for it.
std::string fileErrorCause(int errorNumber);

} // namespace zorvane

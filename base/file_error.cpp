#include "base/file_error.h"

#include <cerrno>
#include <system_error>

namespace zorvane {

std::string fileErrorCause(int errorNumber)
{
    switch (errorNumber) {
    case EACCES:
    case EPERM:
        return "权限不足";
    case ENOSPC:
    case EDQUOT:
        return "磁盘已满";
    case EROFS:
        return "文件系统只读";
    case ENOENT:
    case ENOTDIR:
        return "文件夹不存在";
    case EISDIR:
        return "同名文件夹已存在";
    case ENAMETOOLONG:
        return "文件名过长";
    case EFBIG:
        return "文件超出大小限制";
    case EBUSY:
    case ETXTBSY:
        return "文件正被占用";
    case EIO:
        return "磁盘读写出错";
    default:
        return std::generic_category().message(errorNumber);
    }
}

} // namespace zorvane

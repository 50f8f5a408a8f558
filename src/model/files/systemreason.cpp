#include "systemreason.h"

#include <QFile>
#include <QFileDevice>

#include <cerrno>

#ifdef Q_OS_WIN
#  include <windows.h>
#endif

using namespace Qt::StringLiterals;

namespace {

struct Reason
{
    int code;
    const char16_t *text;
};

#ifdef Q_OS_WIN
const Reason reasons[] = {
    {ERROR_DISK_FULL, u"磁盘空间不足"},
    {ERROR_HANDLE_DISK_FULL, u"磁盘空间不足"},
    {ERROR_ACCESS_DENIED, u"没有访问权限"},
    {ERROR_WRITE_PROTECT, u"文件系统是只读的"},
    {ERROR_FILE_TOO_LARGE, u"文件太大"},
    {ERROR_CRC, u"输入/输出错误"},
    {ERROR_READ_FAULT, u"输入/输出错误"},
    {ERROR_WRITE_FAULT, u"输入/输出错误"},
    {ERROR_IO_DEVICE, u"输入/输出错误"},
    {ERROR_FILENAME_EXCED_RANGE, u"文件名太长"},
    {ERROR_FILE_NOT_FOUND, u"文件或文件夹不存在"},
    {ERROR_PATH_NOT_FOUND, u"文件或文件夹不存在"},
    {ERROR_DIRECTORY, u"路径中有一部分不是文件夹"},
    {ERROR_TOO_MANY_LINKS, u"链接太多"},
    {ERROR_SHARING_VIOLATION, u"文件正被另一个程序使用"},
    {ERROR_LOCK_VIOLATION, u"文件正被另一个程序使用"},
    {ERROR_TOO_MANY_OPEN_FILES, u"打开的文件太多"},
    {ERROR_NOT_ENOUGH_MEMORY, u"内存不足"},
    {ERROR_OUTOFMEMORY, u"内存不足"},
};

QString systemText(int code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, DWORD(code), 0, reinterpret_cast<LPWSTR>(&buffer),
                                        0, nullptr);
    const QString text = length ? QString::fromWCharArray(buffer, int(length)).trimmed() : QString();
    LocalFree(buffer);
    return text.isEmpty() ? QString::number(code) : text;
}
#else
const Reason reasons[] = {
    {ENOSPC, u"磁盘空间不足"},
    {EDQUOT, u"超出了磁盘配额"},
    {EACCES, u"没有访问权限"},
    {EPERM, u"不允许这样操作"},
    {EROFS, u"文件系统是只读的"},
    {EFBIG, u"文件太大"},
    {EIO, u"输入/输出错误"},
    {ENAMETOOLONG, u"文件名太长"},
    {ENOENT, u"文件或文件夹不存在"},
    {ENOTDIR, u"路径中有一部分不是文件夹"},
    {EISDIR, u"这是一个文件夹，不是文件"},
    {EMLINK, u"链接太多"},
    {ELOOP, u"符号链接太多"},
    {ETXTBSY, u"文件正忙"},
    {EBUSY, u"文件或设备正忙"},
    {EMFILE, u"打开的文件太多"},
    {ENFILE, u"打开的文件太多"},
    {ENOMEM, u"内存不足"},
};

// The C library's text, as Qt words the reason of a failed file call.
QString systemText(int code)
{
    return qt_error_string(code);
}
#endif

} // namespace

int lastSystemError()
{
#ifdef Q_OS_WIN
    return int(GetLastError());
#else
    return errno;
#endif
}

QString systemReason(int code)
{
    if (code == 0)
        return {};
    for (const Reason &reason : reasons) {
        if (reason.code == code)
            return QString::fromUtf16(reason.text);
    }
    return u"系统错误（%1）"_s.arg(systemText(code));
}

QString deviceReason(const QFileDevice &device, int code)
{
    const QString text = device.errorString();
#ifdef Q_OS_WIN
    // Qt words a failure in the system's own language there; the code says which it was.
    if (code != 0)
        return systemReason(code);
#else
    // The file engine words each failure as qt_error_string(errno). errno values are
    // small, and the loop runs only after a failure.
    for (int known = 1; known < 256; ++known) {
        if (systemText(known) == text)
            return systemReason(known);
    }
    // What an untouched device says: no reason at all.
    if (text == QFile().errorString() && code != 0)
        return systemReason(code);
#endif
    return text;
}

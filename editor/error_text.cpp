#include "editor/error_text.h"

#include <atomic>
#include <cerrno>
#include <cstring>

namespace qdm {
namespace {

std::atomic<ErrorLanguage> g_language{ErrorLanguage::System};

struct ErrorName {
    int error;
    const char* text;
};

constexpr ErrorName kChinese[] = {
    {EPERM, "不允许的操作"},
    {ENOENT, "没有那个文件或目录"},
    {EINTR, "系统调用被中断"},
    {EIO, "输入/输出错误"},
    {ENXIO, "没有那个设备或地址"},
    {EBADF, "错误的文件描述符"},
    {EAGAIN, "资源暂时不可用"},
    {ENOMEM, "内存不足"},
    {EACCES, "权限不够"},
    {EBUSY, "设备或资源忙"},
    {EEXIST, "文件已存在"},
    {EXDEV, "不能跨文件系统链接"},
    {ENODEV, "没有那个设备"},
    {ENOTDIR, "不是目录"},
    {EISDIR, "是一个目录"},
    {EINVAL, "无效的参数"},
    {ENFILE, "系统打开的文件过多"},
    {EMFILE, "打开的文件过多"},
    {ETXTBSY, "文本文件忙"},
    {EFBIG, "文件过大"},
    {ENOSPC, "设备上没有空间"},
    {EROFS, "只读文件系统"},
    {EMLINK, "链接过多"},
    {ENAMETOOLONG, "文件名过长"},
    {ENOTEMPTY, "目录不是空的"},
    {ELOOP, "符号链接的层数过多"},
    {EOVERFLOW, "数值超出数据类型的范围"},
    {EDQUOT, "超出磁盘配额"},
    {ESTALE, "文件句柄已失效"},
    {ETIMEDOUT, "连接超时"},
};

}  // namespace

void SetErrorLanguage(ErrorLanguage language) {
    g_language.store(language, std::memory_order_relaxed);
}

ErrorLanguage CurrentErrorLanguage() {
    return g_language.load(std::memory_order_relaxed);
}

const char* ChineseErrorText(int error) {
    for (const ErrorName& e : kChinese)
        if (e.error == error) return e.text;
    return nullptr;
}

std::string ErrorText(int error) {
    if (CurrentErrorLanguage() == ErrorLanguage::Chinese)
        if (const char* text = ChineseErrorText(error)) return text;
    return std::strerror(error);
}

}  // namespace qdm

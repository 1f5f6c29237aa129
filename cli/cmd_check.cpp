// qdm check: the editor's check command over files, as Save runs it before writing.
#include <iostream>

#include "cli/args.h"
#include "cli/batch_text.h"
#include "cli/output.h"
#include "cli/target.h"
#include "markup/check.h"

namespace qdm::cli {
namespace {

// Checks one file; returns its exit status.
int CheckFile(const std::string& path, bool json) {
    BatchText doc;
    if (IoStatus status = doc.Load(path); !status) {
        PrintIoError(status);
        return kExitUsage;
    }
    if (doc.HadNul()) std::cerr << "qdm: 警告: " << path << " 含有零字节, 只检查它之前的文本\n";
    std::string message;
    if (CheckDocument(doc.Edit(), message)) {
        if (json)
            std::cout << JsonLine().Path("file", path).Bool("ok", true).Text() << "\n";
        else
            std::cout << path << ": QDM文件检查正确\n";
        return kExitOk;
    }
    int32_t offset = 0, end = 0;
    doc.Selection(offset, end);
    const LineColumn at = Locate(doc.Text(), offset);
    const std::string text = ToTerminal(message);
    if (json)
        std::cout << JsonLine()
                         .Path("file", path)
                         .Bool("ok", false)
                         .Int("offset", offset)
                         .Int("line", at.line)
                         .Int("column", at.column)
                         .Str("message", text)
                         .Text()
                  << "\n";
    else
        std::cout << path << ":" << at.line << ":" << at.column << ": " << text << " (byte "
                  << offset << ")\n";
    return kExitFault;
}

int Run(const Args& words) {
    ParsedArgs args;
    std::string error;
    if (!ParseArgs(words, {"--json"}, {}, args, error)) return UsageError("check", error);
    if (args.operands.empty()) return UsageError("check", "缺少要检查的文件");
    int status = kExitOk;
    for (const std::string& path : args.operands)
        status = std::max(status, CheckFile(path, args.Has("--json")));
    return status;
}

const Registrar registrar("check",
                          {"检查 QDM 文件的标志 (先给 section 编号)",
                           "用法: qdm check [--json] 文件...\n"
                           "\n"
                           "像编辑器保存前那样检查每个文件: 先在内存中给 section 重新编号,\n"
                           "再检查全部标志, 报告第一个错误的行、列和字节位置. 文件不会被修改.\n"
                           "\n"
                           "  --json   每个文件输出一行 JSON\n"
                           "\n"
                           "退出码: 0 全部正确, 1 有标志错误, 2 用法或文件错误.\n"
                           "\n"
                           "例子:\n"
                           "  qdm check 红楼梦.qdm\n"
                           "  红楼梦.qdm:12:1: 重点 没有结束标志 (byte 348)\n",
                           Run});

}  // namespace
}  // namespace qdm::cli

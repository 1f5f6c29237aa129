// qdm check: the editor's check command over files, as Save runs it before writing; with
// --all, every part of the book that holds a fault.
#include <iostream>
#include <vector>

#include "cli/args.h"
#include "cli/batch_text.h"
#include "cli/line_cursor.h"
#include "cli/output.h"
#include "cli/target.h"
#include "editor/encoding_detect.h"
#include "editor/file_io.h"
#include "markup/check.h"
#include "markup/numbering.h"

namespace qdm::cli {
namespace {

void PrintSound(const std::string& path, bool json) {
    if (json)
        std::cout << JsonLine().Path("file", path).Bool("ok", true).Text() << "\n";
    else
        std::cout << path << ": QDM文件检查正确\n";
}

void PrintFault(const std::string& path, int32_t offset, LineColumn at,
                const std::string& gbkMessage, bool json) {
    const std::string text = ToTerminal(gbkMessage);
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
}

bool LoadChecked(BatchText& doc, const std::string& path) {
    std::string bytes;
    if (IoStatus status = ReadWholeFile(path, bytes); !status) {
        PrintIoError(status);
        return false;
    }
    // The bytes are checked as given; a text in another encoding is only pointed out.
    if (const Encoding encoding = DetectEncoding(bytes); encoding != Encoding::Gbk)
        std::cerr << path << ": 警告: 文件看起来是 " << EncodingLabel(encoding) << " 编码\n";
    FileText file = TextUpToNul(std::move(bytes));
    doc.Edit().LoadText(std::move(file.text), path);
    if (file.hadNul) std::cerr << "qdm: 警告: " << path << " 含有零字节, 只检查它之前的文本\n";
    return true;
}

// Checks one file; returns its exit status.
int CheckFile(const std::string& path, bool json) {
    BatchText doc;
    if (!LoadChecked(doc, path)) return kExitUsage;
    std::string message;
    if (CheckDocument(doc.Edit(), message)) {
        PrintSound(path, json);
        return kExitOk;
    }
    int32_t offset = 0, end = 0;
    doc.Selection(offset, end);
    PrintFault(path, offset, Locate(doc.Text(), offset), message, json);
    return kExitFault;
}

// Numbers the sections as the single check does, then reports every fault.
int CheckFileAll(const std::string& path, bool json) {
    BatchText doc;
    if (!LoadChecked(doc, path)) return kExitUsage;
    RenumberSections(doc.Edit());
    const std::vector<MarkupFault> faults = CheckMarkupAll(doc.Text());
    if (faults.empty()) {
        PrintSound(path, json);
        return kExitOk;
    }
    LineCursor cursor(doc.Text());
    for (const MarkupFault& fault : faults)
        PrintFault(path, fault.offset, cursor.At(fault.offset), fault.message, json);
    return kExitFault;
}

int Run(const Args& words) {
    ParsedArgs args;
    std::string error;
    if (!ParseArgs(words, {"--json", "--all"}, {}, args, error)) return UsageError("check", error);
    if (args.operands.empty()) return UsageError("check", "缺少要检查的文件");
    int status = kExitOk;
    for (const std::string& path : args.operands) {
        const bool json = args.Has("--json");
        status =
            std::max(status, args.Has("--all") ? CheckFileAll(path, json) : CheckFile(path, json));
    }
    return status;
}

const Registrar registrar("check",
                          {"检查 QDM 文件的标志 (先给 section 编号)",
                           "用法: qdm check [--all] [--json] 文件...\n"
                           "\n"
                           "像编辑器保存前那样检查每个文件: 先在内存中给 section 重新编号,\n"
                           "再检查全部标志, 报告第一个错误的行、列和字节位置. 文件不会被修改.\n"
                           "\n"
                           "  --all    报告全部错误 (最多 1000 个): 每个错误之后, 从含有它的\n"
                           "           section 之后的下一个 section 开始标志处接着检查\n"
                           "  --json   每个错误 (或每个正确的文件) 输出一行 JSON\n"
                           "\n"
                           "退出码: 0 全部正确, 1 有标志错误, 2 用法或文件错误.\n"
                           "\n"
                           "例子:\n"
                           "  qdm check 红楼梦.qdm\n"
                           "  红楼梦.qdm:12:1: 重点 没有结束标志 (byte 348)\n",
                           Run});

}  // namespace
}  // namespace qdm::cli

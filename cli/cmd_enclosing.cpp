// qdm enclosing: which tag region a byte position stands in, as the insertion commands see it.
#include <iostream>

#include "cli/args.h"
#include "cli/batch_text.h"
#include "cli/output.h"
#include "cli/target.h"
#include "markup/check.h"

namespace qdm::cli {
namespace {

int Run(const Args& words) {
    ParsedArgs args;
    std::string error;
    if (!ParseArgs(words, {"--json"}, {}, args, error)) return UsageError("enclosing", error);
    if (args.operands.size() != 2) return UsageError("enclosing", "需要一个输入文件和一个位置");
    int32_t pos = 0;
    if (!ParseInt32(args.operands[1], pos) || pos < 0)
        return UsageError("enclosing", "位置应为非负的字节位置");
    BatchText doc;
    if (IoStatus status = doc.Load(args.operands[0]); !status) {
        PrintIoError(status);
        return kExitUsage;
    }
    if (doc.HadNul())
        std::cerr << "qdm: 警告: " << args.operands[0] << " 含有零字节, 只看它之前的文本\n";
    if (pos > static_cast<int64_t>(doc.Text().size()))
        return UsageError("enclosing",
                          "位置超出文本 (" + std::to_string(doc.Text().size()) + " 字节)");
    const EnclosingTag tag = FindEnclosingTag(doc.Text(), pos);
    if (args.Has("--json")) {
        JsonLine line;
        if (tag.kind)
            line.Str("kind", tag.kind->ascii)
                .Int("content_start", tag.contentStart)
                .Int("end", tag.end);
        else
            line.Null("kind");
        std::cout << line.Text() << "\n";
    } else if (tag.kind) {
        std::cout << tag.kind->ascii << " (" << ToTerminal(tag.kind->name) << "): 内容从 byte "
                  << tag.contentStart << " 到结束标志 byte " << tag.end << "\n";
    } else {
        std::cout << "不在任何标志区域中\n";
    }
    return kExitOk;
}

const Registrar registrar(
    "enclosing", {"显示一个字节位置所在的标志区域",
                  "用法: qdm enclosing [--json] 输入 位置\n"
                  "\n"
                  "找出插入命令在这个字节位置看到的标志区域: 种类、内容开始位置\n"
                  "和结束标志的位置.\n"
                  "\n"
                  "  --json   输出一行 JSON: {\"kind\":...,\"content_start\":...,\"end\":...}\n"
                  "\n"
                  "例子:\n"
                  "  qdm enclosing 聊斋.qdm 1024\n"
                  "  section (section): 内容从 byte 1000 到结束标志 byte 1230\n",
                  Run});

}  // namespace
}  // namespace qdm::cli

// qdm readings: the reading the context model gives every polyphonic character of a book.
#include <cstdio>
#include <iostream>

#include "cli/args.h"
#include "cli/encoded_input.h"
#include "cli/line_cursor.h"
#include "cli/output.h"
#include "cli/target.h"
#include "polyphone/context_model.h"

namespace qdm::cli {
namespace {

constexpr const char* kName = "readings";

std::string Confidence(float c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(c));
    return buf;
}

void Print(const std::string& path, std::string_view text, LineCursor& cursor,
           const PolyPrediction& p, bool json) {
    const LineColumn at = cursor.At(p.offset);
    const std::string ch = ToTerminal(text.substr(p.offset, 2));
    if (json) {
        std::cout << JsonLine()
                         .Path("file", path)
                         .Int("offset", static_cast<int64_t>(p.offset))
                         .Int("line", at.line)
                         .Int("column", at.column)
                         .Str("char", ch)
                         .Str("reading", p.reading)
                         .Str("default", p.defaultReading)
                         .Raw("confidence", Confidence(p.confidence))
                         .Text()
                  << "\n";
    } else {
        std::cout << path << ":" << at.line << ":" << at.column << ": " << ch << " " << p.reading
                  << " (default " << p.defaultReading << ") " << Confidence(p.confidence) << "\n";
    }
}

// One file; false when it could not be read.
bool ReadingsOf(const PolyContextModel& model, const std::string& path, const FromOption& from,
                bool json, bool changedOnly) {
    MappedFile file;
    if (!OpenInput(path, file)) return false;
    Conversion conversion;
    std::string_view text;
    if (!ReadConverting(path, Target{}, from, ConvertOptions{}, file, conversion, text))
        return false;
    if (conversion.report.from != Encoding::Gbk)
        PrintConversion(std::cerr, path, conversion.report);
    LineCursor cursor(text);
    model.PredictEach(text, [&](const PolyPrediction& p) {
        if (!changedOnly || p.Changed()) Print(path, text, cursor, p, json);
    });
    return true;
}

int Run(const Args& words) {
    ParsedArgs args;
    std::string error;
    if (!ParseArgs(words, {"--json", "--changed"}, {"--from"}, args, error))
        return UsageError(kName, error);
    if (args.operands.empty()) return UsageError(kName, "缺少要读的文件");
    FromOption from;
    if (!ParseFrom(args, from, error)) return UsageError(kName, error);
    PolyContextModel model;
    if (!model.LoadDefault(error)) {
        std::cerr << "qdm: 无法读取读音模型 " << error << "\n";
        return kExitUsage;
    }
    bool failed = false;
    for (const std::string& path : args.operands)
        failed =
            !ReadingsOf(model, path, from, args.Has("--json"), args.Has("--changed")) || failed;
    std::cout.flush();
    return failed ? kExitUsage : kExitOk;
}

const Registrar reg(
    kName, {"按上下文给出每个多音字的读音",
            "用法: qdm readings [--json] [--changed] [--from 编码] 文件...\n"
            "\n"
            "每个多音字 (读音表中有两个以上读音的字) 输出一行:\n"
            "  文件:行:列: 字 读音 (default 默认读音) 置信度\n"
            "读音用读音表的写法: 数字表示声调, 轻声不带数字, ü 写作 v; 默认读音是读音表的\n"
            "第一个读音, 也就是语音引擎单念这个字时的读音.\n"
            "\n"
            "  --changed  只输出预测读音和默认读音不同的字\n"
            "  --json     每个字一行 JSON: {\"file\",\"offset\",\"line\",\"column\",\"char\",\n"
            "             \"reading\",\"default\",\"confidence\"}; offset 是 GBK 字节位置\n"
            "  --from     输入编码 (auto, gbk, utf-8, utf-16, gb18030, big5); 默认自动识别,\n"
            "             不是 GBK 的文件先转换为 GBK (和 qdm auto 一样)\n"
            "\n"
            "退出码: 0 成功, 2 用法或文件错误.\n"
            "\n"
            "例子:\n"
            "  qdm readings --changed book.txt\n"
            "  book.txt:3:12: 行 hang2 (default xing2) 0.98\n",
            Run});

}  // namespace
}  // namespace qdm::cli

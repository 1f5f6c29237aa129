// qdm auto: the editor's "自动处理" and Save in one step, for a plain book.
#include <charconv>
#include <iostream>

#include "cli/args.h"
#include "cli/batch_text.h"
#include "cli/encoded_input.h"
#include "cli/output.h"
#include "cli/target.h"
#include "markup/auto_section.h"
#include "markup/check.h"
#include "markup/numbering.h"
#include "markup/qdm_path.h"
#include "markup/tags.h"

namespace qdm::cli {
namespace {

// A converted input's encoding and substitutions, for the JSON object.
void AddConversion(JsonLine& json, const std::optional<ConversionReport>& converted) {
    if (!converted) return;
    json.Str("converted_from", EncodingName(converted->from))
        .Int("unmappable", converted->unmappable);
}

int Refuse(const std::string& in, bool json, const std::string& message, BatchText& doc,
           const Target& target, const std::optional<ConversionReport>& converted) {
    int32_t start = 0, end = 0;
    doc.Selection(start, end);
    const std::string text = ToTerminal(message);
    std::ostream& out = ReportStream(target);
    if (json) {
        JsonLine line;
        line.Bool("ok", false)
            .Str("message", text)
            .Int("offset", start)
            .IntArray("selection", {start, end});
        AddConversion(line, converted);
        out << line.Text() << "\n";
    } else {
        const LineColumn at = Locate(doc.Text(), start);
        out << in << ":" << at.line << ":" << at.column << ": " << text << " (byte " << start
            << ")\n";
    }
    return kExitFault;
}

// The sections of a text just numbered 1, 2, ...: the number of the last one, read from its
// tag instead of another pass over the whole book.
int64_t SectionsAfterNumbering(std::string_view text) {
    const size_t last = text.rfind(kSectionBegin);
    if (last == std::string_view::npos) return 0;
    int64_t n = 0;
    const std::string_view digits = text.substr(last + kSectionBegin.size());
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return ec == std::errc() && end != digits.data() ? n : CountSections(text);
}

// Reads `in` and auto-sections it into `doc`. A GBK book is sectioned straight from the
// mapped file, so its bytes are copied once; the mapping is let go before the result is
// written. False when the input could not be read (reported).
bool LoadSectioned(BatchText& doc, const std::string& in, const Target& target,
                   const FromOption& from, std::optional<ConversionReport>& converted,
                   AutoSectionOutcome& outcome, std::string& message) {
    MappedFile file;
    if (!OpenInput(in, file)) return false;
    Conversion conversion;
    std::string_view gbkText;
    if (!ReadConverting(in, target, from, ConvertOptions{}, file, conversion, gbkText))
        return false;
    if (gbkText.data() != conversion.text.data()) {
        outcome = LoadAutoSectioned(doc.Edit(), gbkText, in, message);
        return true;
    }
    doc.Edit().LoadText(std::move(conversion.text), in);
    converted = std::move(conversion.report);
    // Reported before the sectioning, as for any converted input.
    PrintConversion(std::cerr, in, *converted);
    outcome = AutoSection(doc.Edit(), message);
    return true;
}

int Run(const Args& words) {
    OneInput cmd;
    std::string error;
    if (!ParseOneInput(words, {{{"--json"}, {"--from"}, {}, {}}}, cmd, error))
        return UsageError("auto", error);
    const std::string& in = cmd.in;
    const std::string saveRule = QdmSavePath(in);
    if (!ResolveTarget(cmd, saveRule == in ? "" : saveRule, error))
        return UsageError("auto",
                          saveRule == in ? in + " 不以 .txt 结尾, 请用 -o 指定输出文件" : error);
    const Target& target = cmd.target;
    const bool json = cmd.args.Has("--json");
    FromOption from;
    if (!ParseFrom(cmd.args, from, error)) return UsageError("auto", error);

    BatchText doc;
    std::optional<ConversionReport> converted;
    std::string message;
    AutoSectionOutcome outcome{};
    if (!LoadSectioned(doc, in, target, from, converted, outcome, message)) return kExitUsage;
    switch (outcome) {
        case AutoSectionOutcome::Done:
            break;
        case AutoSectionOutcome::TooLarge:
            return ResultFits(in, MaxFileSize()), kExitUsage;
        case AutoSectionOutcome::Refused:
            return Refuse(in, json, message, doc, target, converted);
    }
    if (!CheckDocument(doc.Edit(), message))
        return Refuse(in, json, message, doc, target, converted);
    if (!WriteTarget(target, doc.Text())) return kExitUsage;

    const int64_t sections = SectionsAfterNumbering(doc.Text());
    std::ostream& out = ReportStream(target);
    if (json) {
        JsonLine line;
        line.Bool("ok", true).Path("output", target.path).Int("sections", sections);
        AddConversion(line, converted);
        out << line.Text() << "\n";
    } else {
        out << (target.ToStdout() ? "标准输出" : target.path) << ": " << sections << " 个section\n";
    }
    return kExitOk;
}

const Registrar registrar(
    "auto", {"把纯文本书自动分成 section, 检查后保存为 QDM",
             "用法: qdm auto [--from 编码] [-o 输出] [--json] 输入\n"
             "\n"
             "和编辑器的 \"自动处理\" 一样: 整个文本放进一个 section, 每一行 (太短的行\n"
             "和下一行合并) 成为一个 section, 编号, 检查, 然后保存. 输出文件默认和编辑器\n"
             "保存时一样: 去掉文件名中最后一个 \".txt\" 再加上 \".qdm\" (目录名不变);\n"
             "得不到新名字时必须用 -o. 文本里已经有 section 或者检查出错时, 什么也不写.\n"
             "输入为 - 时读标准输入. 结果达到 2 GiB 时拒绝, 什么也不写.\n"
             "UTF-8、UTF-16、GB18030 或 Big5 的文本先像 qdm import 那样转换为 GBK\n"
             "(报告写到标准错误).\n"
             "\n"
             "  --from 编码 不自动识别编码; --from gbk 按原样读字节\n"
             "  -o 输出   写到这个文件 (- 表示标准输出)\n"
             "  --json    输出一行 JSON\n"
             "\n"
             "例子:\n"
             "  qdm auto 西游记.txt          # 写出 西游记.qdm\n"
             "  qdm auto -o 书.qdm 书.TXT\n",
             Run});

}  // namespace
}  // namespace qdm::cli

// qdm import: a book in UTF-8, UTF-16, GB18030 or Big5 written as GBK text, with every
// character GBK cannot hold reported.
#include <iostream>
#include <optional>

#include "cli/args.h"
#include "cli/encoded_input.h"
#include "cli/output.h"
#include "cli/target.h"
#include "editor/encoding_convert.h"
#include "editor/encoding_detect.h"
#include "editor/file_io.h"

namespace qdm::cli {
namespace {

bool ParseOptions(const ParsedArgs& args, ConvertOptions& options, std::string& error) {
    if (const auto sub = args.values.find("--substitute"); sub != args.values.end()) {
        const std::optional<std::string> gbkSub = ToGbk(sub->second);
        if (!gbkSub) {
            error = "替换文字无法用 GBK 表示: " + sub->second;
            return false;
        }
        options.substitute = *gbkSub;
    }
    options.keepNewlines = args.Has("--keep-newlines");
    options.t2s = args.Has("--t2s");
    return true;
}

// The converted text goes straight into the file that replaces the target, not through memory.
class SinkOutput : public GbkOutput {
  public:
    explicit SinkOutput(FileSink& sink) : m_sink(sink) {}
    void Append(std::string_view piece) override { m_sink.Write(piece); }
    void Restart() override { m_sink.Rewind(); }

  private:
    FileSink& m_sink;
};

// Converts `file` into the file `target`; the report, or nothing once the reason is printed.
std::optional<ConversionReport> ImportToFile(const std::string& in, const Target& target,
                                             const FromOption& from, const ConvertOptions& options,
                                             const MappedFile& file) {
    ConversionReport report;
    std::string error;
    bool refused = false;
    const std::string_view bytes = file.Bytes();
    const IoStatus status = WriteFileAtomic(target.path, [&](FileSink& sink) {
        SinkOutput output(sink);
        // Detecting while converting needs a target that can be emptied when the guess fails.
        const bool ok =
            from.detect && sink.CanRewind()
                ? DetectAndConvertTo(bytes, options, output, report, error)
                : ConvertToGbkTo(bytes,
                                 from.detect ? DetectEncoding(bytes) : ResolveEncoding(bytes, from),
                                 options, output, report, error);
        if (!ok) {
            std::cerr << "qdm: " << in << ": " << error << "\n";
            refused = true;
        } else if (report.from == Encoding::Gbk && !options.t2s) {
            // A GBK text is taken as the editor reads it: up to the first NUL.
            const size_t nul = bytes.find('\0');
            if (nul != std::string_view::npos && !AcceptNulText(in, target))
                refused = true;
            else if (sink.Rewind())
                sink.Write(bytes.substr(0, nul));
        }
        if (refused) sink.Abort();
    });
    if (refused) return std::nullopt;
    if (!status) {
        PrintIoError(status);
        return std::nullopt;
    }
    return report;
}

int Run(const Args& words) {
    OneInput cmd;
    std::string error;
    if (!ParseOneInput(
            words,
            {{{"-i", "--json", "--keep-newlines", "--t2s"}, {"--from", "--substitute"}, {}, {}}},
            cmd, error))
        return UsageError("import", error);
    const std::string& in = cmd.in;
    FromOption from;
    ConvertOptions options;
    if (!ResolveTarget(cmd, "", error) || !ParseFrom(cmd.args, from, error) ||
        !ParseOptions(cmd.args, options, error))
        return UsageError("import", error);
    const Target& target = cmd.target;

    MappedFile file;
    if (!OpenInput(in, file)) return kExitUsage;
    ConversionReport report;
    if (target.ToStdout()) {
        Conversion conversion;
        std::string_view text;
        if (!ReadConverting(in, target, from, options, file, conversion, text)) return kExitUsage;
        if (!WriteTarget(target, text)) return kExitUsage;
        report = std::move(conversion.report);
    } else {
        std::optional<ConversionReport> imported = ImportToFile(in, target, from, options, file);
        if (!imported) return kExitUsage;
        report = std::move(*imported);
    }
    std::ostream& out = ReportStream(target);
    if (cmd.args.Has("--json"))
        out << JsonLine()
                   .Bool("ok", true)
                   .Path("input", in)
                   .Path("output", target.path)
                   .Str("encoding", EncodingName(report.from))
                   .Int("unmappable", report.unmappable)
                   .Int("newlines", report.newlines)
                   .Raw("examples", ExamplesJson(report))
                   .Text()
            << "\n";
    else
        PrintConversion(out, in, report);
    return kExitOk;
}

const Registrar registrar(
    "import", {"把 UTF-8、UTF-16、GB18030 或 Big5 的文本转换为 GBK",
               "用法: qdm import [--from auto|gbk|utf-8|utf-16|gb18030|big5] [--substitute 文字]\n"
               "                 [--keep-newlines] [--t2s] [--json] (-o 输出 | -i) 输入\n"
               "\n"
               "读入文本, 认出它的编码 (或按 --from), 写出 GBK 文本. GBK 无法表示的字符\n"
               "(表情符号、GBK 之外的生僻字等) 换成替换文字并逐个报告行和列 (列出前 100 个,\n"
               "全部计数). 无效的字节序列也这样报告和替换. GBK 文本原样写出.\n"
               "\n"
               "  --from 编码        不自动识别, 按这个编码读 (utf-16 的字节序看字节序标记)\n"
               "  --substitute 文字  替换文字, 默认 \"?\"; 空文字表示删掉这些字符\n"
               "  --keep-newlines    保留原来的换行; 否则 LF 和单独的 CR 都改为 CR LF\n"
               "  --t2s              繁体转简体 (需要 OpenCC)\n"
               "  -o 输出            写到这个文件 (- 表示标准输出)\n"
               "  -i                 就地改写输入文件\n"
               "  --json             输出一行 JSON\n"
               "\n"
               "退出码: 0 已写出 (有替换时也是), 2 用法或文件错误.\n"
               "\n"
               "例子:\n"
               "  qdm import -o 西游记.txt 西游记.utf8.txt\n"
               "  qdm import --from big5 --t2s --substitute 口 -o 书.txt 書.txt\n",
               Run});

}  // namespace
}  // namespace qdm::cli

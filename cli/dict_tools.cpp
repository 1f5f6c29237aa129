#include "cli/dict_tools.h"

#include <iostream>

#include "cli/args.h"
#include "cli/output.h"
#include "cli/poly_common.h"
#include "editor/codec.h"
#include "editor/file_io.h"
#include "polyphone/poly_audit.h"
#include "polyphone/poly_lint.h"
#include "polyphone/poly_merge.h"
#include "polyphone/poly_readings.h"

namespace qdm::cli {

const char* const kDictToolsUsage =
    "  import --starter [--style homophone|pinyin]\n"
    "          追加常用词词典中本词典还没有的词组(同音字或拼音两种写法，默认同音字)\n"
    "  import 文件  追加另一个词典文件中本词典还没有的词组\n"
    "  export [-o 输出] [--utf8]  输出全部有效条目(默认 GBK，到标准输出)\n"
    "  lint [--json]  检查词典: 格式错误、重复、永远不会生效、替换包含词组本身、行尾回车\n";
const char* const kAuditUsage =
    "      qdm polyphone [--dict 词典] --audit [--json] 文件...\n"
    "          列出词典没有照顾到的多音字: 读音、次数和最常见的上下文\n";

namespace {

constexpr const char* kDict = "dict";

bool Parse(const Args& words, const std::set<std::string>& flags,
           const std::set<std::string>& values, ParsedArgs& out, const char* command) {
    ArgSpec spec;
    spec.flags = flags;
    spec.values = values;
    AddDictOption(spec);
    std::string error;
    if (ParseArgs(words, spec, out, error)) return true;
    UsageError(command, error);
    return false;
}

// The lint's word on a dictionary that processing will stop reading early.
void WarnIfCut(const CPolyDict& dict) {
    for (const PolyLintFinding& f : LintPolyDictionary(*dict.Snapshot()))
        if (f.kind == PolyLintKind::Malformed)
            std::cerr << "qdm: 注意: " << ToTerminal(f.message) << "\n";
}

}  // namespace

int DictImport(const Args& args) {
    ParsedArgs p;
    if (!Parse(args, {"--starter"}, {"--style"}, p, kDict)) return kExitUsage;
    const bool starter = p.Has("--starter");
    if (starter == (p.operands.size() == 1) || p.operands.size() > 1)
        return UsageError(kDict, "dict import 需要 --starter 或一个词典文件");
    if (p.Has("--style") && !starter) return UsageError(kDict, "--style 只用于 --starter");
    PolyStyle style = PolyStyle::Homophone;
    if (p.Has("--style")) {
        const std::string& s = p.values.at("--style");
        if (s == "pinyin")
            style = PolyStyle::Pinyin;
        else if (s != "homophone")
            return UsageError(kDict, "--style 只能是 homophone 或 pinyin: " + s);
    }
    std::string source = starter ? FindResource(StarterFileName(style)) : p.operands[0];
    if (source.empty())
        return UsageError("", "找不到常用词词典 " + std::string(StarterFileName(style)));
    FileText incoming;
    if (IoStatus io = ReadTextFile(source, incoming); !io)
        return UsageError("", "无法读取 " + io.Describe());
    const std::string path = DictPath(p);
    PolyMergeCount count;
    if (IoStatus io = MergeIntoPolyFile(path, incoming.text, count); !io) {
        std::cerr << "qdm: 无法写入多音字词典 " << io.Describe() << "\n";
        return kExitUsage;
    }
    std::cout << "已添加 " << count.added << " 条，跳过 " << count.skipped << " 条\n";
    WarnIfCut(CPolyDict(path));
    return kExitOk;
}

int DictExport(const Args& args) {
    ParsedArgs p;
    if (!Parse(args, {"--utf8"}, {"-o"}, p, kDict)) return kExitUsage;
    if (!p.operands.empty()) return UsageError(kDict, "dict export 不需要其他参数");
    const CPolyDict dict(DictPath(p));
    if (const std::string problem = DictReadProblem(dict); !problem.empty()) {
        std::cerr << "qdm: 无法读取多音字词典 " << problem << "\n";
        return kExitUsage;
    }
    std::string data = ExportPolyEntries(dict.Snapshot()->Content());
    if (p.Has("--utf8")) data = gbk::ToUtf8(data);
    const std::string out = p.values.count("-o") ? p.values.at("-o") : "-";
    if (out == "-") {
        std::cout << data;
        return std::cout.flush() ? kExitOk : kExitUsage;
    }
    if (IoStatus io = WriteFileAtomic(out, data); !io) {
        std::cerr << "qdm: 无法写入 " << io.Describe() << "\n";
        return kExitUsage;
    }
    return kExitOk;
}

int DictLint(const Args& args) {
    ParsedArgs p;
    if (!Parse(args, {"--json"}, {}, p, kDict)) return kExitUsage;
    if (!p.operands.empty()) return UsageError(kDict, "dict lint 不需要其他参数");
    const CPolyDict dict(DictPath(p));
    if (const std::string problem = DictReadProblem(dict); !problem.empty()) {
        std::cerr << "qdm: 无法读取多音字词典 " << problem << "\n";
        return kExitUsage;
    }
    const std::vector<PolyLintFinding> findings = LintPolyDictionary(*dict.Snapshot());
    const bool json = p.Has("--json");
    for (const PolyLintFinding& f : findings) {
        if (json)
            std::cout << JsonLine()
                             .Int("line", static_cast<int64_t>(f.line))
                             .Str("kind", PolyLintKindName(f.kind))
                             .Str("message", ToTerminal(f.message))
                             .Text()
                      << "\n";
        else
            std::cout << ToTerminal(f.message) << "\n";
    }
    if (findings.empty() && !json) std::cout << "词典没有发现问题\n";
    return findings.empty() ? kExitOk : kExitFault;
}

namespace {

// Built by appending: g++ 12 warns falsely (-Wrestrict) about "literal" + string.
std::string AuditJson(const PolyAuditChar& c) {
    std::string out = "{\"char\":";
    out.append(JsonQuote(ToTerminal(c.ch))).append(",\"readings\":[");
    for (size_t from = 0; from <= c.readings.size();) {
        const size_t slash = std::min(c.readings.find('/', from), c.readings.size());
        if (from > 0) out.push_back(',');
        out.append(JsonQuote(c.readings.substr(from, slash - from)));
        from = slash + 1;
    }
    out.append("],\"count\":").append(std::to_string(c.count)).append(",\"contexts\":[");
    for (size_t i = 0; i < c.contexts.size(); ++i) {
        if (i > 0) out.push_back(',');
        out.append(JsonLine()
                       .Str("text", ToTerminal(c.contexts[i].text))
                       .Int("count", c.contexts[i].count)
                       .Text());
    }
    return out.append("]}");
}

}  // namespace

int PolyphoneAudit(const Args& args) {
    constexpr const char* kName = "polyphone";
    ParsedArgs p;
    if (!Parse(args, {"--audit", "--json"}, {}, p, kName)) return kExitUsage;
    if (p.operands.empty()) return UsageError(kName, "--audit 需要至少一个文件");
    PolyReadingTable table;
    std::string error;
    const std::string tablePath = FindResource(kPolyReadingsFile);
    if (tablePath.empty())
        return UsageError("", "找不到多音字读音表 " + std::string(kPolyReadingsFile));
    if (!table.Load(tablePath, error)) return UsageError("", "无法读取读音表 " + error);
    std::vector<FileText> files(p.operands.size());
    for (size_t i = 0; i < files.size(); ++i)
        if (IoStatus io = ReadTextFile(p.operands[i], files[i]); !io)
            return UsageError("", "无法读取 " + io.Describe());
    // A missing dictionary covers nothing: the audit then lists every polyphonic character.
    const CPolyDict dict(DictPath(p));
    if (const std::string problem = DictReadProblem(dict); !problem.empty())
        std::cerr << "qdm: 注意: 无法读取多音字词典 " << problem << "，按空词典检查\n";
    std::vector<std::string_view> texts;
    for (const FileText& f : files) texts.push_back(f.text);
    const bool json = p.Has("--json");
    for (const PolyAuditChar& c : AuditPolyphones(texts, *dict.Snapshot(), table))
        std::cout << (json ? AuditJson(c) : ToTerminal(FormatAuditLine(c))) << "\n";
    return kExitOk;
}

}  // namespace qdm::cli

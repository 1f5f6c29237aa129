// qdm insert: wraps a byte range in a tag, with every refusal of the editor's commands.
#include <iostream>

#include "cli/args.h"
#include "cli/batch_text.h"
#include "cli/output.h"
#include "cli/target.h"
#include "markup/insert.h"
#include "markup/tags.h"

namespace qdm::cli {
namespace {

// What a kind word asks for: the section command, or InsertTag with a kind number. A bare
// number always goes to InsertTag, which refuses the numbers it does not know.
struct Kind {
    bool section = false;
    int32_t number = 0;
};

// A kind word: an English name, the display name, or a number passed to InsertTag as it is.
bool ParseKind(const std::string& word, Kind& kind, std::string& error) {
    const auto chosen = [&](const TagSpelling& s) {
        kind.section = s.number == TAG_SECTION;
        kind.number = kind.section ? 0 : s.number;
        return true;
    };
    for (const TagSpelling& s : kTagSpellings)
        if (word == s.ascii) return chosen(s);
    if (ParseInt32(word, kind.number)) return true;
    if (!ToGbk(word)) {
        error = "种类 \"" + word + "\" 含有 GBK 无法表示的字符";
        return false;
    }
    for (const TagSpelling& s : kTagSpellings)
        if (word == s.utf8Name) return chosen(s);
    error = "不认识的种类: " + word;
    return false;
}

bool ParseSelection(const std::string& word, int32_t& start, int32_t& end) {
    const size_t colon = word.find(':');
    return colon != std::string::npos && ParseInt32(word.substr(0, colon), start) &&
           ParseInt32(word.substr(colon + 1), end);
}

int Run(const Args& words) {
    OneInput cmd;
    std::string error;
    if (!ParseOneInput(words, {{{"-i", "--json"}, {"--sel"}, {}, {}}, 1, "需要种类和一个输入文件"},
                       cmd, error))
        return UsageError("insert", error);
    Kind kind;
    int32_t start = 0, end = 0;
    if (!ParseKind(cmd.leading[0], kind, error)) return UsageError("insert", error);
    if (!cmd.args.values.count("--sel")) return UsageError("insert", "缺少 --sel 开始:结束");
    if (!ParseSelection(cmd.args.values.at("--sel"), start, end))
        return UsageError("insert", "--sel 应为 开始:结束 (字节位置, 结束为 -1 表示文本末尾)");
    if (!ResolveTarget(cmd, "", error)) return UsageError("insert", error);
    const std::string& in = cmd.in;
    const Target& target = cmd.target;
    const bool json = cmd.args.Has("--json");

    BatchText doc;
    if (!LoadForRewrite(doc, in, target)) return kExitUsage;
    doc.Edit().SetSelection(start, end);
    std::string message;
    const bool ok = kind.section
                        ? InsertSection(doc.Edit(), message)
                        : InsertTag(static_cast<TagNumber>(kind.number), doc.Edit(), message);
    // An insertion adds a few dozen bytes; a text that passes 2 GiB with them is not written.
    if (ok && !ResultFits(in, static_cast<int64_t>(doc.Text().size()))) return kExitUsage;
    if (ok && !WriteTarget(target, doc.Text())) return kExitUsage;
    doc.Selection(start, end);
    std::ostream& out = ReportStream(target);
    if (json) {
        JsonLine line;
        line.Bool("ok", ok);
        if (!ok) line.Str("message", ToTerminal(message));
        out << line.IntArray("selection", {start, end}).Text() << "\n";
    } else if (ok) {
        out << (target.ToStdout() ? "标准输出" : target.path) << ": 已插入, 光标在 byte " << start
            << "\n";
    } else {
        out << in << ": " << ToTerminal(message) << " (选择 " << start << ":" << end << ")\n";
    }
    return ok ? kExitOk : kExitFault;
}

const Registrar registrar("insert",
                          {"在一段字节范围两边插入标志",
                           "用法: qdm insert 种类 --sel 开始:结束 (-o 输出 | -i) [--json] 输入\n"
                           "\n"
                           "和编辑器的插入命令一样, 先检查新标志放得下, 再把选中的文本包起来.\n"
                           "种类: section, reverse (反向section), readernote (读者注),\n"
                           "      authornote (作者注), trans (译文), emph (重点), 也可以写中文名,\n"
                           "      或者直接写种类编号.\n"
                           "开始和结束是字节位置; 结束为 -1 表示文本末尾. 插入被拒绝时什么也不写.\n"
                           "\n"
                           "  --sel 开始:结束   选中的字节范围\n"
                           "  -o 输出           写到这个文件 (- 表示标准输出)\n"
                           "  -i                就地修改输入文件\n"
                           "  --json            输出一行 JSON\n"
                           "\n"
                           "例子:\n"
                           "  qdm insert readernote --sel 120:180 -i 三国演义.qdm\n"
                           "  qdm insert section --sel 0:-1 -o 新.qdm 旧.txt\n",
                           Run});

}  // namespace
}  // namespace qdm::cli

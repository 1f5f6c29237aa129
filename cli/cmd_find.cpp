// qdm find: the editor's search over files, one line per match for scripts.
#include <iostream>
#include <vector>

#include "cli/args.h"
#include "cli/line_cursor.h"
#include "cli/output.h"
#include "cli/target.h"
#include "editor/file_io.h"
#include "editor/find.h"
#include "editor/gbk.h"

namespace qdm::cli {
namespace {

constexpr size_t kContextChars = 30;

struct FindSettings {
    bool json = false, count = false;
};

// The match with up to kContextChars characters of its line on either side.
std::string_view Context(std::string_view text, LineCursor& cursor, size_t at, size_t len) {
    size_t start = cursor.Back(kContextChars);
    for (size_t p = start; p < at; ++p)
        if (text[p] == '\r') start = p + 1;  // a lone CR also ends a line on screen
    size_t end = at + len;
    for (size_t n = 0; n < kContextChars && end < text.size(); ++n) {
        if (text[end] == '\r' || text[end] == '\n') break;
        end += gbk::CharLen(text, end);
    }
    return text.substr(start, end - start);
}

// One line of context on the terminal: line breaks inside a match show as spaces.
std::string OneLine(std::string utf8) {
    for (char& c : utf8)
        if (c == '\r' || c == '\n') c = ' ';
    return utf8;
}

void PrintMatch(const std::string& path, std::string_view text, LineCursor& cursor, size_t at,
                size_t len, bool json) {
    const LineColumn lc = cursor.At(at);
    const std::string context = ToTerminal(Context(text, cursor, at, len));
    if (json)
        std::cout << JsonLine()
                         .Path("file", path)
                         .Int("offset", static_cast<int64_t>(at))
                         .Int("line", lc.line)
                         .Int("column", lc.column)
                         .Str("match", ToTerminal(text.substr(at, len)))
                         .Str("context", context)
                         .Text()
                  << "\n";
    else
        std::cout << path << ":" << lc.line << ":" << lc.column << ": " << OneLine(context) << "\n";
}

// Searches one file; returns its exit status.
int FindInFile(const std::string& path, const CTextFinder& finder, FindSettings how) {
    FileText file;
    if (IoStatus status = ReadInputText(path, file); !status) {
        PrintIoError(status);
        return kExitUsage;
    }
    if (file.hadNul) std::cerr << "qdm: 警告: " << path << " 含有零字节, 只搜索它之前的文本\n";
    const std::string_view text = file.text;
    LineCursor cursor(text);
    int64_t count = 0;
    for (size_t at = finder.Next(text, 0); at != CTextFinder::npos;
         at = finder.Next(text, at + finder.Length())) {
        ++count;
        if (!how.count) PrintMatch(path, text, cursor, at, finder.Length(), how.json);
    }
    if (how.count) {
        if (how.json)
            std::cout << JsonLine().Path("file", path).Int("count", count).Text() << "\n";
        else
            std::cout << path << ":" << count << "\n";
    }
    return count > 0 ? kExitOk : kExitFault;
}

int Run(const Args& words) {
    ParsedArgs args;
    std::string error;
    if (!ParseArgs(words, {"--json", "--count", "-i", "-w"}, {}, args, error))
        return UsageError("find", error);
    if (args.operands.size() < 2) return UsageError("find", "需要搜索文本和至少一个文件");
    const std::optional<std::string> pattern = ToGbk(args.operands[0]);
    if (!pattern) return UsageError("find", "搜索文本含有 GBK 无法表示的字符");
    if (pattern->empty()) return UsageError("find", "搜索文本是空的");
    const CTextFinder finder(*pattern, {!args.Has("-i"), args.Has("-w")});
    const FindSettings how{args.Has("--json"), args.Has("--count")};
    bool found = false, failed = false;
    for (size_t i = 1; i < args.operands.size(); ++i) {
        const int status = FindInFile(args.operands[i], finder, how);
        found = found || status == kExitOk;
        failed = failed || status == kExitUsage;
    }
    return failed ? kExitUsage : found ? kExitOk : kExitFault;
}

const Registrar registrar(
    "find", {"在文件中查找文字 (按 GBK 字符, 和编辑器的查找一样)",
             "用法: qdm find [--json] [--count] [-i] [-w] 搜索文本 文件...\n"
             "\n"
             "每处匹配输出一行: 文件:行:列: 上下文. 行和列从 1 数起, 列按字符计;\n"
             "上下文是匹配所在行中匹配本身和它前后各至多 30 个字符. 匹配从左到右\n"
             "互不重叠, 和编辑器的\"全部替换\"数得一样.\n"
             "\n"
             "  --count  每个文件只输出一行: 文件:匹配数\n"
             "  --json   每处匹配一行 JSON: {\"file\",\"offset\",\"line\",\"column\",\n"
             "           \"match\",\"context\"}; 和 --count 一起: {\"file\",\"count\"}\n"
             "  -i       不区分 ASCII 字母的大小写\n"
             "  -w       全字匹配 (字由 ASCII 字母, 数字和 _ 组成; 汉字不属于字)\n"
             "\n"
             "退出码: 0 找到了, 1 哪里都没找到, 2 用法或文件错误.\n"
             "\n"
             "例子:\n"
             "  qdm find 宝玉 红楼梦.qdm\n"
             "  红楼梦.qdm:120:7: 却说宝玉回来\n",
             Run});

}  // namespace
}  // namespace qdm::cli

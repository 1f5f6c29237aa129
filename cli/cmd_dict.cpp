// qdm dict: list, add, remove and count the polyphone dictionary's entries, with the rules of
// the editor's settings dialog.
#include <sys/stat.h>

#include <charconv>
#include <iostream>

#include "cli/command.h"
#include "cli/dict_tools.h"
#include "cli/output.h"
#include "cli/poly_common.h"
#include "polyphone/poly_dict_edit.h"
#include "polyphone/poly_rows.h"

namespace qdm::cli {
namespace {

constexpr const char* kName = "dict";

// A row for the terminal: its characters in UTF-8, a CR (from a file written with CR LF line
// ends) shown as \r so that it is seen and does not move the cursor.
std::string ShowRow(const std::string& row) {
    std::string out;
    for (char c : ToTerminal(row)) {
        if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// Loads the rows; a missing file is an empty list only when `missingIsEmpty`.
bool LoadRows(const CPolyDict& dict, std::vector<std::string>& rows, bool missingIsEmpty) {
    if (dict.LoadLines(rows)) return true;
    struct stat st;
    if (missingIsEmpty && ::stat(dict.GetPath().c_str(), &st) != 0 && errno == ENOENT) return true;
    std::cerr << "qdm: 无法读取多音字词典 " << DictReadProblem(dict) << "\n";
    return false;
}

int List(const CPolyDict& dict) {
    std::vector<std::string> rows;
    if (!LoadRows(dict, rows, false)) return kExitUsage;
    for (size_t i = 0; i < rows.size(); ++i) std::cout << i + 1 << "\t" << ShowRow(rows[i]) << "\n";
    return kExitOk;
}

int Count(const CPolyDict& dict) {
    std::vector<std::string> rows;
    if (!LoadRows(dict, rows, false)) return kExitUsage;
    const PolyDictRef snap = dict.Snapshot();
    std::cout << snap->AppliedCount() << "\n";
    NoteCrEntries(*snap);
    return kExitOk;
}

// Reports a failed edit: a read, a refused rewrite (a NUL byte) or a write.
int EditFailed(const IoStatus& io, PolyDictEditFailure failure) {
    const char* what = failure == PolyDictEditFailure::Write    ? "无法写入"
                       : failure == PolyDictEditFailure::HasNul ? "不能改写"
                                                                : "无法读取";
    std::cerr << "qdm: " << what << "多音字词典 " << io.Describe() << "\n";
    return kExitUsage;
}

int Add(const CPolyDict& dict, const std::string& wordUtf8, const std::string& replacementUtf8) {
    auto word = ToGbk(wordUtf8);
    auto replacement = ToGbk(replacementUtf8);
    if (!word || !replacement) return UsageError(kName, "GBK 无法表示这个词组或拼音中的字符");
    PolyRowCheck check = PolyRowCheck::Ok;
    std::string row;
    size_t lineNumber = 0;
    PolyDictEditFailure failure;
    const IoStatus io = EditPolyDict(
        dict.GetPath(), true,
        [&](PolyDictText& text) {
            std::vector<std::string> rows = text.Lines();
            if (!text.Tail().empty()) rows.emplace_back(text.Tail());  // about to become a line
            check = CheckNewPolyRow(rows, *word, *replacement);
            if (check != PolyRowCheck::Ok) return false;
            row = BuildPolyRow(*word, *replacement);
            text.Add(row);
            lineNumber = rows.size() + 1;
            return true;
        },
        &failure);
    if (!io) return EditFailed(io, failure);
    if (check != PolyRowCheck::Ok) {
        std::cerr << "qdm: " << ToTerminal(PolyRowMessage(check)) << "\n";
        return kExitFault;
    }
    std::cout << "已添加第 " << lineNumber << " 行: " << ShowRow(row) << "\n";
    return kExitOk;
}

// A line number as `list` shows it: decimal digits only (no sign, space or base prefix).
bool ParseLineNumber(const std::string& word, uint64_t& n) {
    if (word.empty() || word.find_first_not_of("0123456789") != std::string::npos) return false;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
    return ec == std::errc() && end == word.data() + word.size();
}

int Remove(const CPolyDict& dict, const std::string& indexText) {
    uint64_t index = 0;
    const bool plain = ParseLineNumber(indexText, index);
    size_t lines = 0;
    bool found = false;
    PolyDictEditFailure failure;
    std::string removed;
    const IoStatus io = EditPolyDict(
        dict.GetPath(), false,
        [&](PolyDictText& text) {
            const std::vector<std::string> rows = text.Lines();
            lines = rows.size();
            found = plain && index >= 1 && index <= lines;
            if (!found) return false;
            removed = rows[index - 1];
            return text.Remove(index - 1);
        },
        &failure);
    if (!io) return EditFailed(io, failure);
    if (!found)
        return UsageError(kName,
                          "没有第 " + indexText + " 行 (词典共 " + std::to_string(lines) + " 行)");
    std::cout << "已删除第 " << index << " 行: " << ShowRow(removed) << "\n";
    return kExitOk;
}

int Run(const Args& words) {
    // import, export and lint take options of their own: they parse the words themselves.
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "--dict") {
            ++i;
            continue;
        }
        if (words[i].rfind("--dict=", 0) == 0) continue;
        if (words[i] != "import" && words[i] != "export" && words[i] != "lint") break;
        Args rest = words;
        rest.erase(rest.begin() + static_cast<long>(i));
        if (words[i] == "import") return DictImport(rest);
        if (words[i] == "export") return DictExport(rest);
        return DictLint(rest);
    }
    ArgSpec spec;
    AddDictOption(spec);
    ParsedArgs parsed;
    std::string error;
    if (!ParseArgs(words, spec, parsed, error)) return UsageError(kName, error);
    const Args& args = parsed.operands;
    if (args.empty()) return UsageError(kName, "缺少子命令: list、add、remove 或 count");
    const std::string& sub = args[0];
    const CPolyDict dict(DictPath(parsed));
    const size_t operands = args.size() - 1;
    if (sub == "list" && operands == 0) return List(dict);
    if (sub == "count" && operands == 0) return Count(dict);
    if (sub == "add" && operands == 2) return Add(dict, args[1], args[2]);
    if (sub == "remove" && operands == 1) return Remove(dict, args[1]);
    if (sub == "list" || sub == "count" || sub == "add" || sub == "remove")
        return UsageError(kName, "参数个数不对: dict " + sub);
    return UsageError(kName, "没有这个子命令: " + sub);
}

const Registrar reg(kName,
                    {"查看和编辑多音字词典 kolb_polyphone.ini",
                     "用法: qdm dict [--dict 词典] list | add 词组 拼音 | remove 行号 | count | "
                     "import | export | lint\n"
                     "  list    按行列出词典(从 1 编号)，与多音字设置对话框一致\n"
                     "  add     追加一行 词组======>>拼音 (词组最多15字节，拼音最多20字节)\n"
                     "  remove  删除第几行 (行号只能是十进制数字)\n"
                     "add 和 remove 只改动相关的那一行, 其余每个字节 (包括格式不对的行) 保持原样;\n"
                     "含 NUL 字节的词典不会被改写. 同时运行的修改会依次进行, 不会丢失.\n"
                     "  count   处理时实际应用的条目数(遇到第一条格式不对的行为止)\n" +
                         std::string(kDictToolsUsage) +
                         "词典默认在程序所在目录; 那个目录不能写入时 (安装的程序) 在\n"
                         "$XDG_DATA_HOME/mked (默认 ~/.local/share/mked), 第一次写入时先把\n"
                         "程序旁边的词典复制过去。\n"
                         "例子:\n"
                         "  qdm dict add 银行 yin2hang2\n"
                         "  qdm dict import --starter\n",
                     Run});

}  // namespace
}  // namespace qdm::cli

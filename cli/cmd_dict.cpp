// qdm dict: list, add, remove and count the polyphone dictionary's entries, with the rules of
// the editor's settings dialog.
#include <sys/stat.h>

#include <iostream>

#include "cli/command.h"
#include "cli/dict_tools.h"
#include "cli/output.h"
#include "cli/poly_common.h"
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

bool Save(const CPolyDict& dict, const std::vector<std::string>& rows) {
    IoStatus io = dict.SaveLines(rows);
    if (!io) std::cerr << "qdm: 无法写入多音字词典 " << io.Describe() << "\n";
    return static_cast<bool>(io);
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
    std::cout << dict.CountEntries() << "\n";
    return kExitOk;
}

int Add(const CPolyDict& dict, const std::string& wordUtf8, const std::string& replacementUtf8) {
    auto word = ToGbk(wordUtf8);
    auto replacement = ToGbk(replacementUtf8);
    if (!word || !replacement) return UsageError(kName, "GBK 无法表示这个词组或拼音中的字符");
    std::vector<std::string> rows;
    if (!LoadRows(dict, rows, true)) return kExitUsage;
    PolyRowCheck check = CheckNewPolyRow(rows, *word, *replacement);
    if (check != PolyRowCheck::Ok) {
        std::cerr << "qdm: " << ToTerminal(PolyRowMessage(check)) << "\n";
        return kExitFault;
    }
    rows.push_back(BuildPolyRow(*word, *replacement));
    if (!Save(dict, rows)) return kExitUsage;
    std::cout << "已添加第 " << rows.size() << " 行: " << ShowRow(rows.back()) << "\n";
    return kExitOk;
}

int Remove(const CPolyDict& dict, const std::string& indexText) {
    std::vector<std::string> rows;
    if (!LoadRows(dict, rows, false)) return kExitUsage;
    size_t used = 0;
    long index = 0;
    try {
        index = std::stol(indexText, &used);
    } catch (...) {
        used = 0;
    }
    if (used != indexText.size() || index < 1 || static_cast<size_t>(index) > rows.size())
        return UsageError(
            kName, "没有第 " + indexText + " 行 (词典共 " + std::to_string(rows.size()) + " 行)");
    const std::string removed = rows[static_cast<size_t>(index - 1)];
    rows.erase(rows.begin() + (index - 1));
    if (!Save(dict, rows)) return kExitUsage;
    std::cout << "已删除第 " << index << " 行: " << ShowRow(removed) << "\n";
    return kExitOk;
}

int Run(const Args& argsIn) {
    Args args = argsIn;
    std::string dictPath, error;
    if (!TakeDictOption(args, dictPath, error)) return UsageError(kName, error);
    if (args.empty()) return UsageError(kName, "缺少子命令: list、add、remove 或 count");
    const std::string& sub = args[0];
    const Args rest(args.begin() + 1, args.end());
    if (sub == "import") return DictImport(dictPath, rest);
    if (sub == "export") return DictExport(dictPath, rest);
    if (sub == "lint") return DictLint(dictPath, rest);
    const CPolyDict dict(DictPathOrDefault(dictPath));
    const size_t operands = args.size() - 1;
    if (sub == "list" && operands == 0) return List(dict);
    if (sub == "count" && operands == 0) return Count(dict);
    if (sub == "add" && operands == 2) return Add(dict, args[1], args[2]);
    if (sub == "remove" && operands == 1) return Remove(dict, args[1]);
    if (sub == "list" || sub == "count" || sub == "add" || sub == "remove")
        return UsageError(kName, "参数个数不对: dict " + sub);
    return UsageError(kName, "没有这个子命令: " + sub);
}

const Registrar reg(kName, {"查看和编辑多音字词典 kolb_polyphone.ini",
                            "用法: qdm dict [--dict 词典] list | add 词组 拼音 | remove 行号 | "
                            "count | import | export | lint\n"
                            "  list    按行列出词典(从 1 编号)，与多音字设置对话框一致\n"
                            "  add     追加一行 词组======>>拼音 (词组最多15字节，拼音最多20字节)\n"
                            "  remove  删除第几行\n"
                            "  count   处理时实际应用的条目数(遇到第一条格式不对的行为止)\n" +
                                std::string(kDictToolsUsage) +
                                "词典默认在程序所在目录。\n"
                                "例: qdm dict add 银行 yin2hang2\n    qdm dict import --starter\n",
                            Run});

}  // namespace
}  // namespace qdm::cli

#include "polyphone/poly_rows.h"

#include "editor/gbk.h"
#include "polyphone/poly_dict.h"

namespace qdm {

std::string BuildPolyRow(std::string_view word, std::string_view replacement) {
    std::string row;
    row.reserve(word.size() + kPolySeparator.size() + replacement.size());
    row.append(word).append(kPolySeparator).append(replacement);
    return row;
}

namespace {

bool BreaksLine(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos;
}

// The loader's search: a separator found where a GBK character starts.
bool HoldsSeparator(std::string_view s) {
    return gbk::Find(s, kPolySeparator, 0, true) != gbk::npos;
}

}  // namespace

PolyRowCheck CheckNewPolyRow(const std::vector<std::string>& rows, std::string_view word,
                             std::string_view replacement) {
    if (word.empty()) return PolyRowCheck::EmptyWord;
    if (replacement.empty()) return PolyRowCheck::EmptyReplacement;
    if (word.size() > kPolyMaxWordBytes) return PolyRowCheck::WordTooLong;
    if (replacement.size() > kPolyMaxReplacementBytes) return PolyRowCheck::ReplacementTooLong;
    if (BreaksLine(word) || BreaksLine(replacement)) return PolyRowCheck::LineBreak;
    if (HoldsSeparator(word) || HoldsSeparator(replacement)) return PolyRowCheck::Separator;
    const std::string row = BuildPolyRow(word, replacement);
    for (const std::string& existing : rows)
        if (existing == row) return PolyRowCheck::Exists;
    return PolyRowCheck::Ok;
}

std::string PolyRowMessage(PolyRowCheck check) {
    switch (check) {
        case PolyRowCheck::Ok:
            return {};
        case PolyRowCheck::EmptyWord:
            return gbk::Lit("请输入要设置的多音字内容");
        case PolyRowCheck::EmptyReplacement:
            return gbk::Lit("请输入要设置的拼音");
        case PolyRowCheck::WordTooLong:
            return gbk::Lit("多音字词组最多15个字节(7个汉字)");
        case PolyRowCheck::ReplacementTooLong:
            return gbk::Lit("拼音最多20个字节(10个汉字)");
        case PolyRowCheck::LineBreak:
            return gbk::Lit("词组和拼音中不能有换行符");
        case PolyRowCheck::Separator:
            return gbk::Lit("词组和拼音中不能有======>>");
        case PolyRowCheck::Exists:
            return gbk::Lit("项目已存在");
    }
    return {};
}

std::string PolyWarningCaption() {
    return gbk::Lit("警告");
}

int PolySelectionAfterDelete(int deleted, int remaining) {
    if (remaining <= 0) return -1;
    return deleted < remaining ? deleted : remaining - 1;
}

}  // namespace qdm

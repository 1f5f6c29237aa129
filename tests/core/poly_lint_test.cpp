// Lint findings on crafted dictionaries, one kind at a time and together.
#include "polyphone/poly_lint.h"

#include <gtest/gtest.h>

#include "editor/codec.h"
#include "editor/gbk.h"

namespace gbk = qdm::gbk;

namespace {

struct LintCase {
    const char* name;
    const char* dict;                   // UTF-8; converted to GBK
    std::vector<std::string> findings;  // "LINE kind: message", message in UTF-8
};

std::vector<std::string> Lint(const std::string& utf8) {
    std::vector<std::string> out;
    for (const qdm::PolyLintFinding& f :
         qdm::LintPolyDictionary(qdm::PolyDictSnapshot(gbk::Lit(utf8))))
        out.push_back(std::to_string(f.line) + " " + std::string(qdm::PolyLintKindName(f.kind)) +
                      ": " + gbk::ToUtf8(f.message));
    return out;
}

TEST(PolyLint, FindsEachKindOnCraftedDictionaries) {
    const std::vector<LintCase> cases = {
        {"clean", "银行======>>银航\n长大======>>掌大\n", {}},
        {"malformed line and the entries it hides",
         "银行======>>银航\n没有分隔符\n长大======>>掌大\n======>>空词组\n重新======>>虫新\n",
         {"2 malformed: 第 2 行格式错误，其后 2 条不会被处理"}},
        {"last line without LF",
         "银行======>>银航\n长大======>>掌大",
         {"2 malformed: 第 2 行没有换行符，不会被处理"}},
        {"duplicate word",
         "银行======>>银航\n长大======>>掌大\n银行======>>yin2hang2\n",
         {"3 duplicate: 第 3 行的词组“银行”与第 1 行重复"}},
        {"shorter word first shadows the longer",
         "银行======>>银航\n商业银行======>>商业银航\n",
         {"2 shadowed: 第 2 行的词组“商业银行”永远不会被替换：第 1 行的“银行”总是先替换了它"}},
        {"an earlier word whose replacement the longer word begins with does not shadow",
         "长大======>>长\n行长大======>>x\n",
         {}},
        {"self", "行======>>银行\n", {"1 self: 第 1 行的替换内容包含词组“行”本身"}},
        {"cr", "银行======>>银航\r\n", {"1 cr: 第 1 行以回车符(CR)结尾"}},
        {"several on one line keep their order",
         "行======>>行走\r\n银行======>>x\n长======>>掌\n银行长======>>y\n",
         {"1 self: 第 1 行的替换内容包含词组“行”本身", "1 cr: 第 1 行以回车符(CR)结尾",
          "4 shadowed: 第 4 行的词组“银行长”永远不会被替换：第 1 行的“行”总是先替换了它"}},
    };
    for (const LintCase& c : cases) EXPECT_EQ(c.findings, Lint(c.dict)) << c.name;
}

TEST(PolyLint, WordsMeetOnlyAtCharacterBoundaries) {
    // "\xB0\xA1" + "\xB0\xA1" holds "\xA1\xB0" across the boundary: not inside the word.
    const std::string dict =
        std::string("\xA1\xB0") + "======>>x\n" + "\xB0\xA1\xB0\xA1" + "======>>y\n";
    EXPECT_TRUE(qdm::LintPolyDictionary(qdm::PolyDictSnapshot(dict)).empty());
}

}  // namespace

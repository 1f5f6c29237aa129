// Measures the encoding detector against ICU's charset detector and uchardet: the corpus under
// tests/data/encoding (file, expected encoding), and short windows of its Chinese texts, where
// GBK bytes are sometimes also valid UTF-8. Prints the tables the README quotes.
#include <uchardet/uchardet.h>
#include <unicode/ucnv.h>
#include <unicode/ucsdet.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "editor/codec.h"
#include "editor/encoding_detect.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The other detectors' names in ours; the GB family counts as right for GBK and GB18030, and
// plain ASCII as GBK, so only real misreadings count against them.
std::string Normalise(std::string name, const std::string& expected) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "gb18030" || name == "gbk" || name == "gb2312" || name == "euc-cn")
        return expected == "gb18030" ? "gb18030" : "gbk";
    if (name == "ascii" || name == "us-ascii") return "gbk";
    if (name == "big5" || name == "big5-hkscs") return "big5";
    if (name == "utf-16") return expected.rfind("utf-16", 0) == 0 ? expected : name;
    return name;
}

std::string Ours(const std::string& bytes, const std::string&) {
    return std::string(qdm::EncodingName(qdm::DetectEncoding(bytes)));
}

std::string Icu(const std::string& bytes, const std::string& expected) {
    UErrorCode status = U_ZERO_ERROR;
    UCharsetDetector* det = ucsdet_open(&status);
    ucsdet_setText(det, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    const UCharsetMatch* match = ucsdet_detect(det, &status);
    std::string name = match ? ucsdet_getName(match, &status) : "";
    ucsdet_close(det);
    return Normalise(name, expected);
}

std::string Uchardet(const std::string& bytes, const std::string& expected) {
    uchardet_t ud = uchardet_new();
    uchardet_handle_data(ud, bytes.data(), bytes.size());
    uchardet_data_end(ud);
    std::string name = uchardet_get_charset(ud);
    uchardet_delete(ud);
    return Normalise(name, expected);
}

using Detector = std::function<std::string(const std::string&, const std::string&)>;
const std::vector<std::pair<std::string, Detector>> kDetectors = {
    {"ours", Ours}, {"ICU ucsdet", Icu}, {"uchardet", Uchardet}};

// UTF-8 to Big5 through ICU; empty when a character has no Big5 code.
std::string ToBig5(const std::string& utf8) {
    UErrorCode status = U_ZERO_ERROR;
    std::u16string u16(utf8.size(), u'\0');
    int32_t len = 0;
    u_strFromUTF8(reinterpret_cast<UChar*>(u16.data()), static_cast<int32_t>(u16.size()), &len,
                  utf8.data(), static_cast<int32_t>(utf8.size()), &status);
    UConverter* conv = ucnv_open("windows-950", &status);
    ucnv_setFromUCallBack(conv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::string out(utf8.size() * 2 + 4, '\0');
    const int32_t n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()),
                                      reinterpret_cast<const UChar*>(u16.data()), len, &status);
    ucnv_close(conv);
    if (U_FAILURE(status)) return {};
    out.resize(static_cast<size_t>(n));
    return out;
}

// Splits UTF-8 into characters.
std::vector<std::string> Chars(const std::string& s) {
    std::vector<std::string> out;
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        out.push_back(s.substr(i, len));
        i += len;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "tests/data/encoding";
    std::ifstream list(dir + "/expected.tsv");
    std::map<std::string, std::map<std::string, std::pair<int, int>>> byKind;  // det -> enc
    std::string line;
    std::vector<std::string> texts;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        const std::string file = line.substr(0, line.find('\t'));
        const std::string expected = line.substr(line.find('\t') + 1);
        const std::string bytes = ReadFile(dir + "/" + file);
        if (file.find("utf8.txt") != std::string::npos && file.find("line") == std::string::npos &&
            file.rfind("short", 0) != 0 && file.rfind("rare", 0) != 0)
            texts.push_back(bytes);
        for (const auto& [name, detect] : kDetectors) {
            const std::string got = detect(bytes, expected);
            auto& cell = byKind[name][expected];
            ++cell.second;
            if (got == expected)
                ++cell.first;
            else if (argc > 2)
                std::cout << name << ": " << file << " -> " << got << "\n";
        }
    }
    std::cout << "| detector | gbk | utf-8 | utf-16le | utf-16be | gb18030 | big5 | all |\n";
    for (const auto& [name, detect] : kDetectors) {
        int right = 0, all = 0;
        std::cout << "| " << name;
        for (const char* enc : {"gbk", "utf-8", "utf-16le", "utf-16be", "gb18030", "big5"}) {
            const auto cell = byKind[name][enc];
            std::cout << " | " << cell.first << "/" << cell.second;
            right += cell.first;
            all += cell.second;
        }
        std::cout << " | " << right << "/" << all << " |\n";
    }

    // Short windows: k characters of one line, as GBK and as UTF-8.
    std::cout << "\n| characters | windows | GBK valid as UTF-8 | ";
    for (const auto& [name, detect] : kDetectors)
        std::cout << name << " wrong (GBK / UTF-8 / Big5) | ";
    std::cout << "Big5 windows |";
    std::cout << "\n";
    int64_t longest = 0;
    for (int k = 1; k <= 40; ++k) {
        int windows = 0, validUtf8 = 0, big5Windows = 0;
        std::map<std::string, std::array<int, 3>> wrong;
        for (const std::string& text : texts) {
            const std::vector<std::string> chars = Chars(text);
            for (size_t i = 0; i + k <= chars.size(); ++i) {
                std::string utf8;
                bool ok = true;
                for (int j = 0; j < k; ++j) {
                    ok = ok && chars[i + j] != "\n";
                    utf8 += chars[i + j];
                }
                if (!ok || Chars(utf8).size() == utf8.size()) continue;  // no Chinese in it
                const auto gbk = qdm::gbk::FromUtf8(utf8);
                if (!gbk) continue;
                ++windows;
                const qdm::Utf8Evidence asUtf8 = qdm::ScanUtf8(*gbk);
                validUtf8 += asUtf8.valid && asUtf8.multibyte > 0;
                if (asUtf8.valid) longest = std::max(longest, asUtf8.multibyte);
                if (k > 10) continue;
                for (const auto& [name, detect] : kDetectors) {
                    const bool gbkWrong = detect(*gbk, "gbk") != "gbk";
                    const bool utf8Wrong = detect(utf8, "utf-8") != "utf-8";
                    wrong[name][0] += gbkWrong;
                    wrong[name][1] += utf8Wrong;
                    if (const std::string big5 = ToBig5(utf8); !big5.empty() && big5 != *gbk) {
                        big5Windows += name == "ours";
                        wrong[name][2] += detect(big5, "big5") != "big5";
                    }
                    if (argc > 2 && name == "ours" && (gbkWrong || utf8Wrong))
                        std::cout << "ours: window " << utf8 << (gbkWrong ? " as GBK\n" : "\n");
                }
            }
        }
        if (k > 10) continue;
        std::cout << "| " << k << " | " << windows << " | " << validUtf8 << " | ";
        for (const auto& [name, detect] : kDetectors)
            std::cout << wrong[name][0] << " / " << wrong[name][1] << " / " << wrong[name][2]
                      << " | ";
        std::cout << big5Windows << " |";
        std::cout << "\n";
    }
    std::cout
        << "\nmost UTF-8 sequences in a GBK window (up to 40 characters) that is valid UTF-8: "
        << longest << "\n";
}

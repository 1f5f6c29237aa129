#include "polyphone/poly_readings.h"

#include "editor/codec.h"
#include "editor/file_io.h"
#include "editor/gbk.h"

namespace qdm {
namespace {

bool IsReading(std::string_view r) {
    if (r.empty() || r.size() > 7) return false;
    for (size_t i = 0; i < r.size(); ++i) {
        const char c = r[i];
        const bool tone = i + 1 == r.size() && c >= '1' && c <= '5';
        if (!(c >= 'a' && c <= 'z') && !tone) return false;
    }
    return true;
}

std::string CharBytes(uint16_t code) {
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

}  // namespace

PolyReadingTable::PolyReadingTable() : m_index(65536, 0), m_poly(1024, 0) {}

bool PolyReadingTable::Parse(std::string_view content, std::string& error) {
    *this = PolyReadingTable();
    size_t lineNo = 0;
    for (size_t start = 0; start < content.size();) {
        size_t lf = content.find('\n', start);
        if (lf == content.npos) lf = content.size();
        std::string_view line = content.substr(start, lf - start);
        start = lf + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;
        const bool pair = line.size() >= 2 && gbk::CharLen(line, 0) == 2;
        Char ch{pair
                    ? Code(static_cast<unsigned char>(line[0]), static_cast<unsigned char>(line[1]))
                    : uint16_t{0},
                {}};
        for (size_t pos = 2; pair && pos < line.size();) {
            const size_t blank = std::min(line.find(' ', pos), line.size());
            if (blank > pos) ch.readings.emplace_back(line.substr(pos, blank - pos));
            pos = blank + 1;
        }
        bool ok = pair && line[2] == ' ' && !ch.readings.empty() && m_index[ch.code] == 0;
        for (const std::string& r : ch.readings) ok = ok && IsReading(r);
        if (!ok) {
            error = gbk::Format(gbk::Lit("读音表第 %s 行格式错误"), std::to_string(lineNo));
            *this = PolyReadingTable();
            return false;
        }
        if (ch.readings.size() >= 2) {
            m_poly[ch.code >> 6] |= uint64_t{1} << (ch.code & 63);
            ++m_polyCount;
        } else {
            m_homophone.emplace(ch.readings[0], ch.code);
        }
        m_chars.push_back(std::move(ch));
        m_index[m_chars.back().code] = static_cast<uint32_t>(m_chars.size());
    }
    return true;
}

bool PolyReadingTable::Load(const std::string& path, std::string& error) {
    FileText file;
    IoStatus io = ReadTextFile(path, file);
    if (!io) {
        error = io.Describe();
        return false;
    }
    if (!Parse(file.text, error)) {
        error = path + ": " + gbk::ToUtf8(error);
        return false;
    }
    return true;
}

const std::vector<std::string>& PolyReadingTable::Readings(uint16_t code) const {
    static const std::vector<std::string> none;
    return m_index[code] ? m_chars[m_index[code] - 1].readings : none;
}

std::string PolyReadingTable::JoinedReadings(uint16_t code) const {
    std::string out;
    for (const std::string& r : Readings(code)) out.append(out.empty() ? "" : "/").append(r);
    return out;
}

std::string PolyReadingTable::Homophone(std::string_view reading) const {
    auto it = m_homophone.find(std::string(reading));
    return it == m_homophone.end() ? std::string() : CharBytes(it->second);
}

std::string PolyReadingTable::Propose(std::string_view word, PolyStyle style) const {
    std::string out;
    for (size_t pos = 0; pos < word.size();) {
        const size_t len = gbk::CharLen(word, pos);
        const std::string_view ch = word.substr(pos, len);
        pos += len;
        const uint16_t code =
            len == 2 ? Code(static_cast<unsigned char>(ch[0]), static_cast<unsigned char>(ch[1]))
                     : 0;
        if (len != 2 || !Known(code)) {
            out.append(ch);
        } else if (style == PolyStyle::Pinyin) {
            out.append(Readings(code)[0]);
        } else {
            const std::string sub =
                IsPolyphonic(code) ? Homophone(Readings(code)[0]) : std::string();
            out.append(sub.empty() ? std::string(ch) : sub);
        }
    }
    return out;
}

}  // namespace qdm

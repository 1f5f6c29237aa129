#include "cli/output.h"

#include <cstdio>

#include "editor/codec.h"

namespace qdm::cli {

std::string ToTerminal(std::string_view gbkText) {
    return gbk::ToUtf8(gbkText);
}

std::optional<std::string> ToGbk(std::string_view utf8) {
    return gbk::FromUtf8(utf8);
}

namespace {

// The length of the valid UTF-8 sequence at s[i], or 0.
size_t Utf8SequenceAt(std::string_view s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80) return 1;
    size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (i + len > s.size() || byte(i + 1) < lo || byte(i + 1) > hi) return 0;
    for (size_t k = 2; k < len; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    return len;
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const size_t len = Utf8SequenceAt(s, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string JsonQuote(std::string_view s) {
    std::string out = "\"";
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t len = Utf8SequenceAt(s, i);
        if (len == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD for each byte that cannot be decoded
            ++i;
            continue;
        }
        if (len > 1) {
            out.append(s.substr(i, len));
            i += len;
            continue;
        }
        ++i;
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

void JsonLine::Key(std::string_view key) {
    if (!m_body.empty()) m_body += ",";
    m_body += JsonQuote(key);
    m_body += ":";
}

JsonLine& JsonLine::Str(std::string_view key, std::string_view utf8) {
    Key(key);
    m_body += JsonQuote(utf8);
    return *this;
}

JsonLine& JsonLine::Path(std::string_view key, std::string_view bytes) {
    Str(key, bytes);
    if (IsValidUtf8(bytes)) return *this;
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) hex.append({digits[c >> 4], digits[c & 15]});
    return Str("path_hex", hex);
}

JsonLine& JsonLine::Int(std::string_view key, int64_t value) {
    Key(key);
    m_body += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::Bool(std::string_view key, bool value) {
    Key(key);
    m_body += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::Null(std::string_view key) {
    Key(key);
    m_body += "null";
    return *this;
}

JsonLine& JsonLine::Raw(std::string_view key, std::string_view json) {
    Key(key);
    m_body += json;
    return *this;
}

JsonLine& JsonLine::IntArray(std::string_view key, const std::vector<int64_t>& values) {
    Key(key);
    m_body += "[";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) m_body += ",";
        m_body += std::to_string(values[i]);
    }
    m_body += "]";
    return *this;
}

}  // namespace qdm::cli

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

std::string JsonQuote(std::string_view s) {
    std::string out = "\"";
    for (unsigned char c : s) {
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

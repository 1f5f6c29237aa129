#pragma once
// Terminal and JSON output for qdm. The engine speaks GBK; the terminal gets UTF-8.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qdm::cli {

// An engine message (GBK) for the terminal.
std::string ToTerminal(std::string_view gbkText);
// A command-line word (UTF-8) as GBK; nullopt when GBK cannot hold one of its characters.
std::optional<std::string> ToGbk(std::string_view utf8);

// One JSON object written field by field, in insertion order, on one line.
class JsonLine {
  public:
    JsonLine& Str(std::string_view key, std::string_view utf8);
    // A file name: as a string (bytes that are not UTF-8 shown as U+FFFD), followed, when it
    // is not valid UTF-8, by "path_hex" with its exact bytes.
    JsonLine& Path(std::string_view key, std::string_view bytes);
    JsonLine& Int(std::string_view key, int64_t value);
    JsonLine& Bool(std::string_view key, bool value);
    JsonLine& Null(std::string_view key);
    JsonLine& IntArray(std::string_view key, const std::vector<int64_t>& values);
    JsonLine& Raw(std::string_view key, std::string_view json);  // a value already in JSON
    std::string Text() const { return "{" + m_body + "}"; }

  private:
    void Key(std::string_view key);
    std::string m_body;
};

// A JSON string; every byte that does not belong to a valid UTF-8 sequence becomes U+FFFD,
// so the output stays valid UTF-8 whatever the bytes.
std::string JsonQuote(std::string_view utf8);
// Whether `bytes` are valid UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

}  // namespace qdm::cli

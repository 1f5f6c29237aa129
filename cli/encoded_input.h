#pragma once
// Reading an input file in whatever encoding it came in, and turning it into GBK text.
#include <optional>
#include <ostream>
#include <string>

#include "cli/args.h"
#include "cli/batch_text.h"
#include "cli/target.h"
#include "editor/encoding.h"
#include "editor/encoding_convert.h"
#include "editor/file_io.h"

namespace qdm::cli {

// The --from option: "auto" (detect), "utf-16" (byte order from the mark or the text), or one
// encoding.
struct FromOption {
    bool detect = true;
    bool utf16 = false;
    Encoding fixed = Encoding::Gbk;
};

// Parses the --from value of `args` (auto when absent); on failure `error` says why (UTF-8).
bool ParseFrom(const ParsedArgs& args, FromOption& out, std::string& error);

// The encoding of `bytes` as the option asks for it.
Encoding ResolveEncoding(std::string_view bytes, const FromOption& from);

// Opens the input of a command: a file, or standard input for "-". Reports failures.
bool OpenInput(const std::string& in, MappedFile& file);

// Reads the mapped file `in` as `from` says and converts it to GBK with `options`. `gbkText` is
// the result: `out.text`, or for a GBK input the file's own bytes up to the first NUL (with the
// same refusal as LoadForRewrite). `out.report` tells the encoding. Reports failures.
bool ReadConverting(const std::string& in, const Target& target, const FromOption& from,
                    const ConvertOptions& options, const MappedFile& file, Conversion& out,
                    std::string_view& gbkText);

// "IN: 已从 ENC 转换为 GBK，替换 N 个字符" and one line per listed character.
void PrintConversion(std::ostream& out, const std::string& in, const ConversionReport& report);
// The listed characters as a JSON array of {"char","codepoint","line","column"}.
std::string ExamplesJson(const ConversionReport& report);

}  // namespace qdm::cli

#include "cli/encoded_input.h"

#include <iostream>

#include "cli/output.h"
#include "editor/encoding_detect.h"
#include "editor/file_io.h"
#include "editor/utf8.h"

namespace qdm::cli {
namespace {

// The character itself in UTF-8; a lone surrogate, which UTF-8 cannot carry, as U+FFFD.
std::string CharUtf8(char32_t cp) {
    std::string out;
    AppendUtf8(out, cp);
    return out;
}

}  // namespace

bool ParseFrom(const ParsedArgs& args, FromOption& out, std::string& error) {
    const auto it = args.values.find("--from");
    if (it == args.values.end() || it->second == "auto") return true;
    out.detect = false;
    if (it->second == "utf-16" || it->second == "UTF-16") {
        out.utf16 = true;
        return true;
    }
    const std::optional<Encoding> named = ParseEncodingName(it->second);
    if (!named) {
        error = "不认识的编码: " + it->second + " (可用: auto, gbk, utf-8, utf-16, gb18030, big5)";
        return false;
    }
    out.fixed = *named;
    return true;
}

Encoding ResolveEncoding(std::string_view bytes, const FromOption& from) {
    if (from.detect) return DetectEncoding(bytes);
    if (from.utf16) return ResolveUtf16(bytes);
    return from.fixed;
}

bool OpenInput(const std::string& in, MappedFile& file) {
    IoStatus status;
    if (in == "-") {
        std::string bytes;
        status = ReadAllFd(0, "标准输入", bytes);
        if (status) file.Adopt(std::move(bytes));
    } else {
        status = file.Open(in);
    }
    if (!status) PrintIoError(status);
    return status.ok;
}

bool ReadConverting(const std::string& in, const Target& target, const FromOption& from,
                    const ConvertOptions& options, const MappedFile& file, Conversion& out,
                    std::string_view& gbkText) {
    const std::string_view bytes = file.Bytes();
    std::string error;
    const bool converted =
        from.detect ? DetectAndConvert(bytes, options, out, error)
                    : ConvertToGbk(bytes, ResolveEncoding(bytes, from), options, out, error);
    if (!converted) {
        std::cerr << "qdm: " << in << ": " << error << "\n";
        return false;
    }
    if (out.report.from != Encoding::Gbk || options.t2s) {
        gbkText = out.text;
        return true;
    }
    // A GBK text is taken as the editor reads it: up to the first NUL.
    const size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos && !AcceptNulText(in, target)) return false;
    gbkText = bytes.substr(0, nul);
    return true;
}

void PrintConversion(std::ostream& out, const std::string& in, const ConversionReport& report) {
    out << in << ": 已从 " << EncodingName(report.from) << " 转换为 GBK，替换 " << report.unmappable
        << " 个字符\n";
    for (const LostChar& lost : report.examples) {
        out << in << ":" << lost.line << ":" << lost.column << ": ";
        if (lost.malformed)
            out << "无效的 " << EncodingName(report.from) << " 字节序列 (byte " << lost.byteOffset
                << ")\n";
        else
            out << CodepointName(lost.codepoint) << " 无法用 GBK 表示\n";
    }
}

std::string ExamplesJson(const ConversionReport& report) {
    std::string json = "[";
    for (const LostChar& lost : report.examples) {
        if (json.size() > 1) json += ",";
        json += JsonLine()
                    .Str("char", CharUtf8(lost.codepoint))
                    .Str("codepoint", CodepointName(lost.codepoint))
                    .Int("line", lost.line)
                    .Int("column", lost.column)
                    .Text();
    }
    return json + "]";
}

}  // namespace qdm::cli

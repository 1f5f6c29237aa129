#pragma once
// The encodings a book may arrive in. Every text inside the system is GBK; these name only
// what a file was written in before it was converted.
#include <optional>
#include <string_view>

namespace qdm {

enum class Encoding { Gbk, Utf8, Utf16Le, Utf16Be, Gb18030, Big5 };

// "gbk", "utf-8", "utf-16le", "utf-16be", "gb18030", "big5": the names reports and JSON use.
std::string_view EncodingName(Encoding encoding);
// "GBK", "UTF-8", "UTF-16LE", "UTF-16BE", "GB18030", "Big5": the names people read.
std::string_view EncodingLabel(Encoding encoding);
// A name as a user writes it (case and an optional '-' or '_' do not matter). "utf-16" alone
// has no byte order and is not accepted here; see ResolveUtf16 in encoding_detect.h.
std::optional<Encoding> ParseEncodingName(std::string_view name);

}  // namespace qdm

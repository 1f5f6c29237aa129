#include "editor/encoding_convert.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>

#include "editor/cjk_tables.h"
#include "editor/encoding_detect.h"
#include "editor/t2s.h"
#include "editor/text_buffer.h"
#include "editor/text_decoders.h"
#include "editor/utf8.h"

namespace qdm {
namespace {

// Collects GBK bytes in a small buffer and appends them to the text in blocks; keeps the line
// and column of the character being written and rewrites line breaks.
class GbkWriter {
  public:
    GbkWriter(const ConvertOptions& options, ConversionReport& report, GbkOutput& out)
        : m_codes(cjk::GbkCodeTable()),
          m_sub(options.substitute),
          m_limit(kBuffer - kSlack - std::min(options.substitute.size(), kBuffer / 2)),
          m_keep(options.keepNewlines),
          m_report(report),
          m_out(out) {}
    ~GbkWriter() { Finish(); }

    void Put(char32_t cp) {
        if (m_len > m_limit) Flush();
        // Most characters of a Chinese text: a double-byte GBK code, no line break pending.
        if (cp >= 0x80 && cp < 0x10000 && !m_pendingCr) {
            const uint16_t code = m_codes[cp];
            if (code >= 0x100) {
                ++m_column;
                m_buf[m_len] = static_cast<char>(code >> 8);
                m_buf[m_len + 1] = static_cast<char>(code & 0xFF);
                m_len += 2;
                return;
            }
        }
        PutOther(cp);
    }

    void PutOther(char32_t cp) {
        if (m_pendingCr) {
            m_pendingCr = false;
            if (cp == '\n') {
                m_buf[m_len++] = '\n';
                return;
            }
            if (!m_keep) AddLf();
        }
        if (cp < 0x80 && cp > '\r') {
            ++m_column;
            m_buf[m_len++] = static_cast<char>(cp);
            return;
        }
        if (cp == '\n') {
            if (!m_keep) {
                m_buf[m_len++] = '\r';
                ++m_report.newlines;
            }
            m_buf[m_len++] = '\n';
            NewLine();
            return;
        }
        if (cp == '\r') {
            m_buf[m_len++] = '\r';
            m_pendingCr = true;
            NewLine();
            return;
        }
        ++m_column;
        const uint16_t code = cp < 0x10000 ? m_codes[cp] : 0;
        if (code >= 0x100) {
            m_buf[m_len++] = static_cast<char>(code >> 8);
            m_buf[m_len++] = static_cast<char>(code & 0xFF);
        } else if (code != 0) {
            m_buf[m_len++] = static_cast<char>(code);
        } else {
            Lose(cp, false, -1);
        }
    }

    void Malformed(char32_t cp, int64_t offset) {
        const size_t listed = m_report.examples.size();
        Put(U'\uFFFD');  // never held by GBK: settles a pending CR, counts and substitutes
        if (m_report.examples.size() > listed) {
            LostChar& lost = m_report.examples.back();
            lost.codepoint = cp;
            lost.malformed = true;
            lost.byteOffset = offset;
        }
        ++m_report.malformed;
    }

    int64_t Line() const { return m_line; }

    void Finish() {
        if (m_pendingCr && !m_keep) {
            m_pendingCr = false;
            if (m_len + 1 > kBuffer) Flush();
            AddLf();
        }
        Flush();
    }

  private:
    static constexpr size_t kBuffer = 1 << 16;
    static constexpr size_t kSlack = 4;

    void AddLf() {
        m_buf[m_len++] = '\n';
        ++m_report.newlines;
    }
    void NewLine() {
        ++m_line;
        m_column = 0;
    }
    void Lose(char32_t cp, bool malformed, int64_t offset) {
        ++m_report.unmappable;
        if (m_report.examples.size() < kMaxExamples)
            m_report.examples.push_back({cp, m_line, m_column, malformed, offset});
        if (m_sub.size() > kBuffer / 2) {  // a substitute longer than the buffer goes directly
            Flush();
            m_out.Append(m_sub);
            return;
        }
        std::memcpy(m_buf + m_len, m_sub.data(), m_sub.size());
        m_len += m_sub.size();
    }
    void Flush() {
        if (m_len > 0) m_out.Append({m_buf, m_len});
        m_len = 0;
    }

    const uint16_t* m_codes;
    const std::string& m_sub;
    size_t m_limit;  // past this fill, the next character might not fit
    bool m_keep;
    ConversionReport& m_report;
    GbkOutput& m_out;
    int64_t m_line = 1, m_column = 0;
    bool m_pendingCr = false;
    size_t m_len = 0;
    char m_buf[kBuffer];
};

// Valid UTF-8 of whatever is decoded, a malformed sequence as U+FFFD: the input of OpenCC.
class Utf8Writer {
  public:
    explicit Utf8Writer(std::string& out) : m_out(out) {}
    void Put(char32_t cp) { AppendUtf8(m_out, cp); }
    void Malformed(char32_t, int64_t) { Put(U'\uFFFD'); }

  private:
    std::string& m_out;
};

// ---- GB18030 and Big5 through ICU --------------------------------------------------------------

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// Where ICU met bytes it could not decode: the index of the output unit they stand before and
// their offset in the input.
struct BadBytes {
    const UChar* targetStart = nullptr;
    const char* sourceStart = nullptr;
    std::vector<std::pair<size_t, int64_t>> at;
};

void RecordBadBytes(const void* context, UConverterToUnicodeArgs* args, const char*, int32_t length,
                    UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR) return;
    auto* bad = static_cast<BadBytes*>(const_cast<void*>(context));
    bad->at.emplace_back(static_cast<size_t>(args->target - bad->targetStart),
                         static_cast<int64_t>(args->source - bad->sourceStart) - length);
    *err = U_ZERO_ERROR;
}

template <typename Sink>
class Utf16Feeder {
  public:
    explicit Utf16Feeder(Sink& sink) : m_sink(sink) {}
    void Unit(char16_t u) {
        if (m_high) {
            const char16_t high = m_high;
            m_high = 0;
            if (u >= 0xDC00 && u <= 0xDFFF) {
                m_sink.Put(0x10000 + ((high - 0xD800) << 10) + (u - 0xDC00));
                return;
            }
            m_sink.Malformed(high, -1);
        }
        if (u >= 0xD800 && u <= 0xDBFF)
            m_high = u;
        else if (u >= 0xDC00 && u <= 0xDFFF)
            m_sink.Malformed(u, -1);
        else
            m_sink.Put(u);
    }
    void End() {
        if (m_high) m_sink.Malformed(m_high, -1);
        m_high = 0;
    }

  private:
    Sink& m_sink;
    char16_t m_high = 0;
};

template <typename Sink>
void ThroughIcu(std::string_view s, const char* name, Sink& sink) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> conv(ucnv_open(name, &status));
    if (U_FAILURE(status)) std::abort();
    BadBytes bad;
    bad.sourceStart = s.data();
    ucnv_setToUCallBack(conv.get(), RecordBadBytes, &bad, nullptr, nullptr, &status);
    Utf16Feeder<Sink> feeder(sink);
    UChar buf[1 << 14];
    const char* source = s.data();
    const char* const end = s.data() + s.size();
    do {
        status = U_ZERO_ERROR;
        UChar* target = buf;
        bad.targetStart = buf;
        bad.at.clear();
        ucnv_toUnicode(conv.get(), &target, buf + std::size(buf), &source, end, nullptr, true,
                       &status);
        size_t next = 0;
        for (size_t k = 0; k <= static_cast<size_t>(target - buf); ++k) {
            for (; next < bad.at.size() && bad.at[next].first == k; ++next)
                sink.Malformed(U'\uFFFD', bad.at[next].second);
            if (k < static_cast<size_t>(target - buf)) feeder.Unit(buf[k]);
        }
    } while (status == U_BUFFER_OVERFLOW_ERROR);
    feeder.End();
}

template <typename Sink>
void Decode(std::string_view bytes, Encoding from, Sink& sink) {
    bytes.remove_prefix(BomLength(bytes, from));
    switch (from) {
        case Encoding::Utf8:
            decode::Utf8(bytes, sink);
            break;
        case Encoding::Utf16Le:
        case Encoding::Utf16Be:
            decode::Utf16(bytes, from == Encoding::Utf16Be, sink);
            break;
        case Encoding::Gb18030:
            ThroughIcu(bytes, "gb18030", sink);
            break;
        case Encoding::Big5:
            ThroughIcu(bytes, "windows-950", sink);
            break;
        case Encoding::Gbk:
            ThroughIcu(bytes, "windows-936", sink);
            break;
    }
}

// ---- UTF-8 in two halves at once ---------------------------------------------------------------

class StringOutput : public GbkOutput {
  public:
    explicit StringOutput(std::string& text) : m_text(text) {}
    void Append(std::string_view piece) override { m_text.append(piece); }
    void Restart() override { m_text.clear(); }

  private:
    std::string& m_text;
};

// Books are split in two at a line feed (never inside a character, and a CR LF stays whole) and
// the halves converted on two threads; smaller texts are not worth a thread.
constexpr size_t kSplitAt = size_t{4} << 20;

struct Utf8Part {
    ConversionReport report;
    int64_t lines = 0;  // line breaks in the part
    decode::Utf8Tally tally;
};

void ConvertUtf8Part(std::string_view s, int64_t elsewhere, bool endsText, int64_t ratio,
                     const ConvertOptions& options, GbkOutput& output, Utf8Part& part) {
    GbkWriter writer(options, part.report, output);
    part.tally = decode::Utf8(s, writer, ratio, elsewhere, endsText);
    writer.Finish();
    part.lines = writer.Line() - 1;
}

// The second part's report continues the first's: its lines follow, its byte offsets start at
// `base`, and the list stays at kMaxExamples.
void Append(ConversionReport& into, const ConversionReport& part, int64_t lines, int64_t base) {
    into.unmappable += part.unmappable;
    into.malformed += part.malformed;
    into.newlines += part.newlines;
    for (LostChar lost : part.examples) {
        if (into.examples.size() >= kMaxExamples) break;
        lost.line += lines;
        if (lost.byteOffset >= 0) lost.byteOffset += base;
        into.examples.push_back(lost);
    }
}

// Converts UTF-8 (no mark) and tells what it saw. With `ratio` it gives up once the text is
// hopeless as UTF-8 (tally.stopped), having written part of it. The first half goes straight
// to `output`; the second, converted meanwhile on another thread, follows it from memory.
decode::Utf8Tally ConvertUtf8(std::string_view bytes, int64_t ratio, const ConvertOptions& options,
                              GbkOutput& output, ConversionReport& report) {
    size_t cut = bytes.size();
    if (bytes.size() >= kSplitAt) {
        const size_t lf = bytes.find('\n', bytes.size() / 2);
        if (lf != std::string_view::npos) cut = lf + 1;
    }
    Utf8Part first, second;
    const std::string_view head = bytes.substr(0, cut), tail = bytes.substr(cut);
    std::string tailText;
    std::thread other;
    if (!tail.empty())
        other = std::thread([&] {
            tailText = NewTextBuffer(tail.size());
            StringOutput tailOutput(tailText);
            ConvertUtf8Part(tail, static_cast<int64_t>(cut), true, ratio, options, tailOutput,
                            second);
        });
    ConvertUtf8Part(head, static_cast<int64_t>(tail.size()), tail.empty(), ratio, options, output,
                    first);
    if (other.joinable()) other.join();
    const Encoding from = report.from;
    report = std::move(first.report);
    report.from = from;
    decode::Utf8Tally tally = first.tally;
    if (!tail.empty()) {
        output.Append(tailText);
        Append(report, second.report, first.lines, static_cast<int64_t>(cut));
        tally.multibyte += second.tally.multibyte;
        tally.damaged += second.tally.damaged;
        tally.stopped = tally.stopped || second.tally.stopped;
    }
    return tally;
}

bool ConvertThroughT2s(std::string_view bytes, Encoding from, const ConvertOptions& options,
                       GbkOutput& output, ConversionReport& report, std::string& error) {
    std::string utf8;
    utf8.reserve(bytes.size() + bytes.size() / 2);
    Utf8Writer writer(utf8);
    Decode(bytes, from, writer);
    std::string simplified;
    if (!TraditionalToSimplified(utf8, simplified, error)) return false;
    utf8.clear();
    utf8.shrink_to_fit();
    ConvertUtf8(simplified, 0, options, output, report);
    return true;
}

}  // namespace

bool ConvertToGbkTo(std::string_view bytes, Encoding from, const ConvertOptions& options,
                    GbkOutput& output, ConversionReport& report, std::string& error) {
    report = ConversionReport{};
    report.from = from;
    if (options.t2s) return ConvertThroughT2s(bytes, from, options, output, report, error);
    if (from == Encoding::Gbk) {
        output.Append(bytes);
    } else if (from == Encoding::Utf8) {
        ConvertUtf8(bytes.substr(BomLength(bytes, from)), 0, options, output, report);
    } else {
        GbkWriter writer(options, report, output);
        Decode(bytes, from, writer);
        writer.Finish();
    }
    return true;
}

bool DetectAndConvertTo(std::string_view bytes, const ConvertOptions& options, GbkOutput& output,
                        ConversionReport& report, std::string& error) {
    // A book without a mark is most likely UTF-8 when it is not GBK: converting it as UTF-8
    // validates it on the way, and a GBK book gives up within its first few hundred KB.
    if (bytes.size() >= kSplitAt && !options.t2s && !BomLength(bytes, Encoding::Utf16Le) &&
        !BomLength(bytes, Encoding::Utf16Be)) {
        report = ConversionReport{};
        report.from = Encoding::Utf8;
        const size_t bom = BomLength(bytes, Encoding::Utf8);
        const decode::Utf8Tally tally =
            ConvertUtf8(bytes.substr(bom), bom ? 0 : kUtf8ErrorRatio, options, output, report);
        if (bom || (!tally.stopped &&
                    decode::Utf8Acceptable(tally.damaged, tally.multibyte, kUtf8ErrorRatio) &&
                    tally.multibyte >= kShortUtf8))
            return true;
        output.Restart();
    }
    const Encoding encoding = DetectEncoding(bytes);
    if (encoding == Encoding::Gbk && !options.t2s) {
        report = ConversionReport{};
        return true;
    }
    return ConvertToGbkTo(bytes, encoding, options, output, report, error);
}

bool ConvertToGbk(std::string_view bytes, Encoding from, const ConvertOptions& options,
                  Conversion& out, std::string& error) {
    out.text = NewTextBuffer(bytes.size());
    StringOutput output(out.text);
    return ConvertToGbkTo(bytes, from, options, output, out.report, error);
}

std::string GbkWithCrLf(std::string_view gbk, int64_t& rewritten) {
    rewritten = 0;
    std::string out = NewTextBuffer(gbk.size() + gbk.size() / 16);
    size_t from = 0;
    for (size_t i = 0; i < gbk.size(); ++i) {
        const char c = gbk[i];
        if (c != '\n' && c != '\r') continue;
        if (c == '\r' && i + 1 < gbk.size() && gbk[i + 1] == '\n') {
            ++i;  // CR LF already
            continue;
        }
        out.append(gbk.substr(from, i - from));
        out.append("\r\n");
        from = i + 1;
        ++rewritten;
    }
    out.append(gbk.substr(from));
    return out;
}

bool DetectAndConvert(std::string_view bytes, const ConvertOptions& options, Conversion& out,
                      std::string& error) {
    out.text = NewTextBuffer(bytes.size());
    StringOutput output(out.text);
    return DetectAndConvertTo(bytes, options, output, out.report, error);
}

}  // namespace qdm

#include "markup/ui/tag_line_formats.h"

#include "editor/gbk.h"
#include "markup/scan.h"
#include "markup/tags.h"

namespace qdm::ui {
namespace {

QTextLayout::FormatRange Range(int from, int to, int32_t kind, bool bold) {
    QTextLayout::FormatRange r;
    r.start = from;
    r.length = to - from;
    r.format.setForeground(KindColor(kind));
    if (bold) r.format.setFontWeight(QFont::Bold);
    return r;
}

// Characters of a line up to a byte, counted on from the last byte asked for: the tags of a
// line come in order, so a long line is walked once.
class CharCounter {
  public:
    CharCounter(std::string_view text, size_t lineStart) : m_text(text), m_byte(lineStart) {}
    int At(size_t byte) {
        for (; m_byte < byte; ++m_chars) m_byte += gbk::CharLen(m_text, m_byte);
        return m_chars;
    }

  private:
    std::string_view m_text;
    size_t m_byte;
    int m_chars = 0;
};

}  // namespace

QColor KindColor(int32_t kind) {
    const TagKind* k = KindByNumber(kind);
    return QColor::fromRgb(k ? k->rgb : KindByNumber(TAG_EMPH)->rgb);
}

QList<QTextLayout::FormatRange> TagLineFormats(std::string_view text, int32_t lineStart,
                                               int32_t lineEnd) {
    QList<QTextLayout::FormatRange> ranges;
    // No tag string holds a line break, so none reaches past the line.
    const std::string_view upToEnd = text.substr(0, static_cast<size_t>(lineEnd));
    CharCounter chars(upToEnd, static_cast<size_t>(lineStart));
    scan::TagString tag;
    for (size_t p = scan::FindTagString(upToEnd, static_cast<size_t>(lineStart), tag);
         p != scan::npos; p = scan::FindTagString(upToEnd, p + tag.Length(), tag)) {
        const int at = chars.At(p);  // a tag is ASCII: a character a byte
        const int len = static_cast<int>(scan::TokenLength(upToEnd, p));
        const int name = static_cast<int>(tag.Length());
        if (len > name) {  // a numbered section begin tag: the number in bold
            ranges << Range(at, at + name, tag.kind, false)
                   << Range(at + name, at + len - 1, tag.kind, true)
                   << Range(at + len - 1, at + len, tag.kind, false);
        } else {
            ranges << Range(at, at + len, tag.kind, false);
        }
    }
    return ranges;
}

}  // namespace qdm::ui

#include "polyphone/ui/gbk_limit_validator.h"

#include "editor/codec.h"

namespace qdm::ui {
namespace {

// GBK bytes of the character starting at UTF-16 index i (its length in units in `units`).
int CharBytes(const QString& s, int i, int& units) {
    char32_t cp = s.at(i).unicode();
    units = 1;
    if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
        cp = QChar::surrogateToUcs4(s.at(i), s.at(i + 1));
        units = 2;
    }
    if (cp < 0x80) return 1;
    return static_cast<int>(gbk::EncodeChar(cp).size());
}

}  // namespace

int GbkByteLength(const QString& text) {
    int bytes = 0;
    for (int i = 0, units = 0; i < text.size(); i += units) {
        const int n = CharBytes(text, i, units);
        if (n == 0) return -1;
        bytes += n;
    }
    return bytes;
}

GbkLimitValidator::GbkLimitValidator(int maxBytes, QObject* parent)
    : QValidator(parent), m_maxBytes(maxBytes) {}

// The characters just before the cursor are the ones the edit brought in; they are given up
// from the end until the text fits.
QValidator::State GbkLimitValidator::validate(QString& input, int& pos) const {
    for (const QChar c : input)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.isNull()) return Invalid;
    int excess = GbkByteLength(input);
    if (excess < 0) return Invalid;
    excess -= m_maxBytes;
    int cut = pos;
    while (excess > 0 && cut > 0) {
        int from = cut - 1;
        if (from > 0 && input.at(from).isLowSurrogate() && input.at(from - 1).isHighSurrogate())
            --from;
        int units = 0;
        excess -= CharBytes(input, from, units);
        cut = from;
    }
    if (excess > 0) return Invalid;
    input.remove(cut, pos - cut);
    pos = cut;
    return Acceptable;
}

}  // namespace qdm::ui

#include "editor/ui/system_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "editor/codec.h"
#include "editor/text_buffer.h"
#include "editor/ui/unit_text.h"

namespace qdm::ui {
namespace {

QString ClipboardText(std::string_view gbk) {
    QString text = DecodeUnits(gbk);
    text.replace(kLineBreak, u'\n');
    return text;
}

// A command over a whole book (自动处理, a tag around all of it) puts the book here, and
// decoding 100 MB takes longer than the command itself: the bytes are kept as they are and
// decoded once, when something first asks for the text. Qt asks for it this way when the
// clipboard is pasted from, in this program or another.
class GbkText : public QMimeData {
  public:
    explicit GbkText(std::string_view gbk) : m_gbk(CopyOfText(gbk)) {}
    QStringList formats() const override { return {kPlain}; }
    bool hasFormat(const QString& mimeType) const override { return mimeType == kPlain; }

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType) const override {
        if (mimeType != kPlain) return {};
        if (!m_decoded) {
            m_text = ClipboardText(m_gbk);
            m_decoded = true;
            std::string().swap(m_gbk);
        }
        return m_text;
    }

  private:
    static inline const QString kPlain = QStringLiteral("text/plain");
    mutable std::string m_gbk;
    mutable QString m_text;
    mutable bool m_decoded = false;
};

// Below this a text is decoded at once, as any program puts text on the clipboard.
constexpr size_t kDecodeLaterBytes = size_t{1} << 20;

}  // namespace

void SystemClipboard::SetText(std::string_view gbk) {
    if (gbk.size() >= kDecodeLaterBytes)
        QGuiApplication::clipboard()->setMimeData(new GbkText(gbk));
    else
        QGuiApplication::clipboard()->setText(ClipboardText(gbk));
}

std::string SystemClipboard::Text() const {
    QString text = QGuiApplication::clipboard()->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return gbk::FromUtf8(text.toStdString()).value_or(std::string());
}

}  // namespace qdm::ui

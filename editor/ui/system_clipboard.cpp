#include "editor/ui/system_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "editor/codec.h"
#include "editor/ui/unit_text.h"

namespace qdm::ui {

void SystemClipboard::SetText(std::string_view gbk) {
    // A tag insertion around a whole book puts the book here: decoded once, in place.
    QString text = DecodeUnits(gbk);
    text.replace(kLineBreak, u'\n');
    QGuiApplication::clipboard()->setText(text);
}

std::string SystemClipboard::Text() const {
    QString text = QGuiApplication::clipboard()->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return gbk::FromUtf8(text.toStdString()).value_or(std::string());
}

}  // namespace qdm::ui

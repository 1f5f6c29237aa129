#include "uikit/qt_text.h"

#include <QFile>

#include "editor/codec.h"
#include "editor/gbk.h"

namespace qdm::ui {

QString QFromGbk(std::string_view gbkText) {
    return QString::fromStdString(gbk::ToUtf8(gbkText));
}

QString QLit(std::string_view utf8) {
    return QFromGbk(gbk::Lit(utf8));
}

std::string GbkFromQ(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    if (auto bytes = gbk::FromUtf8(std::string_view(utf8.constData(), utf8.size()))) return *bytes;
    std::string out;
    for (const char32_t cp : text.toUcs4()) out += gbk::EncodeChar(cp);
    return out;
}

QString QFromPath(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string PathFromQ(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace qdm::ui

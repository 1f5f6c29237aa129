#pragma once
// Conversions at the edge of the polyphone dialogs: the texts stay GBK bytes in the model and
// become QStrings only to be shown; paths are the platform's own bytes.
#include <QString>
#include <string>
#include <string_view>

namespace qdm::ui {

// GBK bytes as shown on screen (unmapped units as U+FFFD).
QString QFromGbk(std::string_view gbkText);
// A system text written as a UTF-8 literal, taken through its exact GBK bytes.
QString QLit(std::string_view utf8);
// GBK bytes of an on-screen text; characters GBK cannot hold are dropped.
std::string GbkFromQ(const QString& text);
// File names: the platform's bytes <-> on-screen text.
QString QFromPath(const std::string& path);
std::string PathFromQ(const QString& path);

}  // namespace qdm::ui

#pragma once
// System error texts (errno values) in the language of the program that shows them. `qdm`
// prints the system's own text, which scripts match; the editor shows Chinese, from a table of
// the values a file operation commonly meets, and the system's text for any other value.
#include <string>

namespace qdm {

enum class ErrorLanguage { System, Chinese };

// Chosen once at start-up, before any thread reads it.
void SetErrorLanguage(ErrorLanguage language);
ErrorLanguage CurrentErrorLanguage();

// The Chinese text (UTF-8) of `error`, or nullptr when the table does not hold it.
const char* ChineseErrorText(int error);

// The text of `error` in the chosen language (UTF-8).
std::string ErrorText(int error);

}  // namespace qdm

#pragma once
// The dictionary tools of qdm: `dict import`, `dict export`, `dict lint` and
// `polyphone --audit`. Each takes the words after its subcommand (or, for the audit, after
// "polyphone") and the dictionary path from --dict (empty: beside the executable).
#include <string>

#include "cli/command.h"

namespace qdm::cli {

int DictImport(const std::string& dictPath, const Args& args);
int DictExport(const std::string& dictPath, const Args& args);
int DictLint(const std::string& dictPath, const Args& args);
int PolyphoneAudit(const std::string& dictPath, const Args& args);

// Usage lines for the commands' help texts.
extern const char* const kDictToolsUsage;
extern const char* const kAuditUsage;

}  // namespace qdm::cli

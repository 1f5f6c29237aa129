#pragma once
// The dictionary tools of qdm: `dict import`, `dict export`, `dict lint` and
// `polyphone --audit`. Each takes the command's words without its subcommand, --dict
// included.
#include <string>

#include "cli/command.h"

namespace qdm::cli {

int DictImport(const Args& words);
int DictExport(const Args& words);
int DictLint(const Args& words);
int PolyphoneAudit(const Args& words);

// Usage lines for the commands' help texts.
extern const char* const kDictToolsUsage;
extern const char* const kAuditUsage;

}  // namespace qdm::cli

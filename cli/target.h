#pragma once
// Where a command writes its result (-o OUT, -o - for standard output, -i for in place) and
// where it reports: a report never mixes with a text written to standard output.
#include <ostream>
#include <string>
#include <string_view>

#include "cli/args.h"
#include "editor/file_io.h"
#include "editor/line_column.h"

namespace qdm::cli {

struct Target {
    std::string path;  // "-": standard output
    bool ToStdout() const { return path == "-"; }
};

// From -o or -i (exactly one of them). `fallback` is used when neither is given and it is
// not empty. On failure `error` says why (UTF-8).
bool ResolveTarget(const ParsedArgs& args, const std::string& in, const std::string& fallback,
                   Target& out, std::string& error);

// Writes the text (atomically to a file); prints the failure and returns false.
bool WriteTarget(const Target& target, std::string_view text);

// Standard output, unless the text itself goes there.
std::ostream& ReportStream(const Target& target);

// "qdm: PATH: REASON" on standard error.
void PrintIoError(const IoStatus& status);
// A text read from `in` ended at a NUL byte. Warns that what followed is not part of the
// result, or, when the result would replace `in` itself and so lose those bytes, says so and
// returns false.
bool AcceptNulText(const std::string& in, const Target& target);

}  // namespace qdm::cli

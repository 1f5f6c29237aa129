#pragma once
// Where a command writes its result (-o OUT, -o - for standard output, -i for in place) and
// where it reports: a report never mixes with a text written to standard output.
#include <ostream>
#include <string>
#include <string_view>

#include "editor/file_io.h"
#include "editor/line_column.h"

namespace qdm::cli {

struct Target {
    std::string path;  // "-": standard output
    bool ToStdout() const { return path == "-"; }
};

// Reads an input text whole, whatever it is; "-" is standard input.
IoStatus ReadInputText(const std::string& path, FileText& out);
// The same, every byte (NUL bytes too).
IoStatus ReadInputBytes(const std::string& path, std::string& out);

// A result of 2 GiB or more cannot be held with 32-bit positions: prints
// "qdm: IN: 结果超过 2 GiB" and returns false.
bool ResultFits(const std::string& in, int64_t size);

// Writes the text (atomically to a file); false on failure, printed for a file (a failure of
// standard output is reported as qdm ends).
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

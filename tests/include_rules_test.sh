#!/usr/bin/env bash
# scripts/check-includes must pass on the tree as it is and fail on each way an include can go
# against the layers. Each case plants a file of its own in a scratch copy, beside the file it
# stands for; one run of the check over all of them must fail and name every planted file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

tree="$scratch/tree"
mkdir "$tree"
# The check reads only C and C++ files and its own script: copy just those.
(cd "$root" && find . \( -path './.*' -o -path './build*' -o -path ./tests/data -o -path ./fuzz/corpus \) \
    -prune -o -type f \( -name '*.[ch]*' -o -name '*.cc' -o -name '*.hh' -o -name '*.in[cl]' \
    -o -path ./scripts/check-includes \) -print0 | tar --null -T - -cf -) | tar -C "$tree" -xf -

failed=0
if ! out=$("$tree/scripts/check-includes" 2>&1); then
    echo "the clean tree fails:" >&2
    echo "$out" >&2
    failed=1
fi

names=() planted=()
plant() {  # NAME FILE LINE: a new file beside FILE, of its kind, holding LINE
    local dir ext new
    dir=$(dirname "$2") ext=${2##*.}
    new="$dir/planted_${#planted[@]}.$ext"
    printf '%s\n' "$3" >"$tree/$new"
    names+=("$1") planted+=("$new")
}
plant_file() {  # NAME NEWFILE CONTENT INCLUDER: a new file, and one beside INCLUDER including it
    mkdir -p "$(dirname "$tree/$2")"
    printf '%s\n' "$3" >"$tree/$2"
    printf '#include "%s"\n' "$2" >"$tree/$(dirname "$4")/includes_${#planted[@]}.${4##*.}"
    names+=("$1") planted+=("$2")
}

# name|file|line
while IFS='|' read -r name file line; do
    plant "$name" "$file" "$line"
done <<'EOF'
an include against the direction|editor/gbk.cpp|#include "markup/tags.h"
an indented include|editor/gbk.cpp|#  include "markup/tags.h"
an include after leading spaces|editor/gbk.cpp|  #include "markup/tags.h"
an include after a tab|editor/gbk.cpp|#	include "markup/tags.h"
a project header against the direction in angle brackets|editor/gbk.cpp|#include <markup/tags.h>
a project header along the direction in angle brackets|markup/tags.cpp|#include <editor/gbk.h>
a path relative to the including folder|editor/gbk.cpp|#include "ui/text_view.h"
a path climbing out of the folder|editor/gbk.cpp|#include "../markup/tags.h"
an include through a macro|editor/gbk.cpp|#include MKED_HEADER
a Qt class header in the core|markup/tags.cpp|#include <QString>
a Qt module path in the core|editor/gbk.cpp|#include <QtCore/QString>
a lower-case Qt header in the core|markup/tags.cpp|#include <qstring.h>
a lower-case Qt widget header in the core|polyphone/poly_dict.cpp|#include <qwidget.h>
a GTK header in the core|editor/gbk.cpp|#include <gtk/gtk.h>
an X11 header in the command line|cli/main.cpp|#include <X11/Xlib.h>
a Qt header in the command line|cli/main.cpp|#include <QCoreApplication>
a Qt header in a core test|tests/core/gbk_test.cpp|#include <QByteArray>
a GUI header in a core test|tests/core/gbk_test.cpp|#include "editor/ui/text_view.h"
a core header in a command-line test|tests/cli/inputs_test.cpp|#include "cli/args.h"
a GUI header in a core benchmark|bench/bench_dict.cpp|#include "app/app.h"
a Qt header in the fuzz harness|fuzz/markup_fuzz.cpp|#include <QByteArray>
a GUI kit header in a tool|tools/encoding_eval.cpp|#include "uikit/qt_text.h"
a benchmark helper including a GUI header|bench/common/book_gen.cpp|#include "uikit/qt_text.h"
a kit header including a markup header|uikit/qt_text.cpp|#include "markup/tags.h"
the core including a test helper|editor/gbk.cpp|#include "tests/cli/run_qdm.h"
EOF

plant_file "a new sub-folder of the core" editor/detail/qt_bridge.h '#include <QString>' editor/gbk.cpp
plant_file "a new folder beside the core" core2/qt_bridge.h '#include <QString>' editor/gbk.cpp
plant_file "an .inl file" editor/gbk_qt.inl '#include <QString>' editor/gbk.cpp
plant_file "an .hpp file" markup/tags_qt.hpp '#include <QString>' markup/tags.cpp

if out=$("$tree/scripts/check-includes" 2>&1); then
    echo "none of the plants was caught" >&2
    failed=1
fi
for i in "${!planted[@]}"; do
    # Named as FILE:LINE, or FILE: and the reason.
    if [[ "$out" != *"${planted[$i]}:"* ]]; then
        echo "not caught: ${names[$i]} (${planted[$i]})" >&2
        failed=1
    fi
done
[ $failed -eq 0 ] || echo "$out" >&2
exit $failed

#pragma once
// The rules of editing the dictionary's rows (the settings dialog and `qdm dict`): building a
// row, the checks before adding one, and which row is selected after a deletion. A row is one
// line of the file without its LF.
#include <string>
#include <string_view>
#include <vector>

namespace qdm {

// Input limits of the two fields, in GBK bytes.
inline constexpr size_t kPolyMaxWordBytes = 15;
inline constexpr size_t kPolyMaxReplacementBytes = 20;

// WORD======>>REPLACEMENT
std::string BuildPolyRow(std::string_view word, std::string_view replacement);

enum class PolyRowCheck {
    Ok,
    EmptyWord,           // "请输入要设置的多音字内容"
    EmptyReplacement,    // "请输入要设置的拼音"
    WordTooLong,         // more than kPolyMaxWordBytes
    ReplacementTooLong,  // more than kPolyMaxReplacementBytes
    LineBreak,           // a CR, LF or NUL would break the file's line structure
    Separator,           // "======>>" in either field would split the line elsewhere
    Exists,              // "项目已存在": an equal row is already in the list
};

// The checks of adding WORD and REPLACEMENT (GBK) to `rows`, in the dialog's order.
PolyRowCheck CheckNewPolyRow(const std::vector<std::string>& rows, std::string_view word,
                             std::string_view replacement);

// The message for a refusal (GBK), shown with the caption PolyWarningCaption().
std::string PolyRowMessage(PolyRowCheck check);
std::string PolyWarningCaption();  // "警告"

// The row to select after row `deleted` was removed and `remaining` rows are left: the one
// now at the same index, else the one before it; -1 when the list is empty.
int PolySelectionAfterDelete(int deleted, int remaining);

}  // namespace qdm

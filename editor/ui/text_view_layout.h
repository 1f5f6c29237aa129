#pragma once
// The laid-out lines of a TextView. Only lines near the screen are kept, and a line is laid
// out in pieces of a few kilobytes: a line of a whole book typed in one paragraph costs the
// layout of the pieces on screen, never of the whole line at once. Pieces start where rows of
// the whole line start, so a piece's rows are the whole line's: each piece is found from the
// one before it (its start is that one's end), and is remembered while the line is kept, until
// the width or the font changes.
#include <QFont>
#include <QList>
#include <QString>
#include <QTextLayout>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "editor/ui/edit_area.h"
#include "editor/unit_index.h"

namespace qdm::ui {

// Bytes of one line: [start, end) its characters, [end, next) its line break.
struct LineSpan {
    int32_t start = 0;
    int32_t end = 0;
    int32_t next = 0;
};
LineSpan SpanOfLine(std::string_view text, const UnitIndex& index, int32_t line);

struct LinePiece {
    int32_t start = 0;  // bytes [start, end) of the line, counted from the line's start
    int32_t end = 0;
    int32_t unitsBefore = 0;  // units of the line before the piece
    int32_t chars = 0;        // units in the piece
    int32_t firstRowEnd = 0;  // where its first row ends, as bytes of the line
    // Whether `end` was found by a layout of the text and formats as they are now; until
    // then it is only where the piece ended before an edit, to be checked.
    bool settled = false;
    // Laid out on demand, from the piece's start to a little past its end (rows past `rows`
    // are not the piece's), and where each of the piece's units starts (counted from the
    // line's start; one more entry for the piece's end).
    std::unique_ptr<QTextLayout> layout;
    std::vector<int32_t> unitBytes;
    QList<QTextLayout::FormatRange> formats;  // what the layout was made with
    int32_t laidChars = 0;                    // characters the layout holds
    int rows = 0;                             // rows of the layout that are the piece's
    qreal height = 0;

    int32_t Chars() const { return chars; }
    // The piece's own characters, as laid out.
    QString Text() const { return layout->text().left(chars); }
    // Character of the piece at which byte `rel` of the line lies (a byte inside a unit
    // counts as the unit's start).
    int32_t CharOfByte(int32_t rel) const;
};

// A deque: finding the next piece must leave the ones a caller holds where they are.
using Pieces = std::deque<LinePiece>;

struct LineLayout {
    // The pieces found so far, from the line's start; the last may end before the line does.
    Pieces pieces;
    QList<QTextLayout::FormatRange> formats;  // the line formatter's, in line characters
};

// The ranges of `formats` (in line characters) that fall in characters [from, from + count),
// moved to count from `from`.
QList<QTextLayout::FormatRange> ClipFormats(const QList<QTextLayout::FormatRange>& formats,
                                            int32_t from, int32_t count);

// What is being composed by an input method, shown at a byte of a line.
struct Preedit {
    int32_t line = -1;
    int32_t byteInLine = 0;
    QString text;
    int cursor = 0;  // in the preedit text
    bool cursorVisible = true;
    // The input method's, over the preedit text; none: the preedit is underlined.
    QList<QTextLayout::FormatRange> formats;
};

class TextLayouts {
  public:
    static constexpr int32_t kPieceBytes = 8192;
    // How far past a piece's end its layout reaches, so that the rows that end it are laid out
    // with what follows them.
    static constexpr int32_t kTailBytes = 512;

    void SetFont(const QFont& font);
    void SetWidth(qreal width);
    qreal Width() const { return m_width; }
    void SetFormatter(LineFormatter formatter);
    void SetPreedit(Preedit preedit);
    const Preedit& CurrentPreedit() const { return m_preedit; }
    void Clear() { m_lines.clear(); }
    // Asks the formatter again for every kept line; only a line whose answer changed is laid
    // out again, so a refresh after each keystroke costs the formatter's scan of the screen.
    // True when a layout was dropped.
    bool RefreshFormats(std::string_view text, const UnitIndex& index);

    // Lines [first, oldEnd) became lines [first, newEnd); the lines after them keep their
    // layouts under their new numbers.
    void Replace(int32_t first, int32_t oldEnd, int32_t newEnd);
    // Bytes [rel, rel + removed) of line `line` became `inserted` bytes, and the line's breaks
    // stayed as they were. Only the piece that holds the edit (with the one before, when the
    // edit may change that one's last row) is laid out again; the pieces after it move with
    // their layouts, as long as a row of the edited piece still starts where the next one
    // does, and are found afresh when needed otherwise. `edited` is the piece laid out again
    // (its height and end still the old ones), or SIZE_MAX for a line not kept.
    void EditInLine(std::string_view text, const UnitIndex& index, int32_t line, int32_t rel,
                    int32_t removed, int32_t inserted, size_t& edited);
    // The pieces of line `line` that an edit at byte `rel` of it leaves as they are, taken out
    // of it; and given back to the line after the edit.
    Pieces TakePiecesBefore(int32_t line, int32_t rel);
    void RestorePieces(std::string_view text, const UnitIndex& index, int32_t line, Pieces pieces);
    // Forgets every line outside [from, to).
    void Keep(int32_t from, int32_t to);

    // Line `line` of `text`, with the pieces found so far (laid out or not).
    LineLayout& Line(std::string_view text, const UnitIndex& index, int32_t line);
    // Whether the line has a piece `piece`; finds the pieces up to it.
    bool HasPiece(std::string_view text, const UnitIndex& index, int32_t line, size_t piece);
    // All the pieces of the line, found.
    size_t PieceCount(std::string_view text, const UnitIndex& index, int32_t line);
    // The piece that holds byte `rel` of the line (the last at the line's end).
    size_t PieceOfByte(std::string_view text, const UnitIndex& index, int32_t line, int32_t rel);
    // Piece `piece` of the line (its last when it has fewer), laid out at the current width.
    LinePiece& Piece(std::string_view text, const UnitIndex& index, int32_t line, size_t piece);
    int64_t LaidOutChars() const;
    // The lines kept now, in order.
    const std::map<int32_t, LineLayout>& Kept() const { return m_lines; }

  private:
    // Settles piece `k` of the line, whose pieces before it are settled, finding it after the
    // last one when it is new; false when the line has no piece `k`.
    bool SettlePiece(std::string_view text, const LineSpan& span, int32_t lineNumber,
                     LineLayout& line, size_t k);
    static int64_t LaidOutChars(const LineLayout& line);
    // A layout of `chars` at the current font and width, with the preedit at `preeditAt`
    // unless that is -1.
    std::unique_ptr<QTextLayout> LayOut(const QString& chars,
                                        QList<QTextLayout::FormatRange> formats,
                                        int preeditAt) const;
    // Lays piece `k` out and settles its end (text_view_rows.cpp).
    void Fill(std::string_view text, const LineSpan& span, LineLayout& line, size_t k,
              int32_t lineNumber) const;
    // The piece at byte `rel` of line `line` must be laid out again (with the one before
    // when `rel` may lie in that one's reach); a line not kept is left alone.
    void Unsettle(int32_t line, int32_t rel);

    std::map<int32_t, LineLayout> m_lines;
    QFont m_font;
    qreal m_width = 100;
    LineFormatter m_formatter;
    Preedit m_preedit;
};

}  // namespace qdm::ui

#pragma once
// The laid-out lines of a TextView. Only lines near the screen are kept, and a line is laid
// out in pieces cut every few kilobytes at a unit boundary: a line of a whole book typed in
// one paragraph costs the layout of the pieces on screen, never of the whole line.
#include <QFont>
#include <QList>
#include <QString>
#include <QTextLayout>
#include <cstdint>
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
    // Laid out on demand: the piece's characters, one per unit, and where each unit starts
    // (counted from the line's start; one more entry for the piece's end).
    std::unique_ptr<QTextLayout> layout;
    std::vector<int32_t> unitBytes;
    QList<QTextLayout::FormatRange> formats;  // what the layout was made with
    qreal height = 0;

    int32_t Chars() const { return static_cast<int32_t>(unitBytes.size()) - 1; }
    // Character of the piece at which byte `rel` of the line lies (a byte inside a unit
    // counts as the unit's start).
    int32_t CharOfByte(int32_t rel) const;
};

struct LineLayout {
    std::vector<LinePiece> pieces;
    QList<QTextLayout::FormatRange> formats;  // the line formatter's, in line characters
};

// What is being composed by an input method, shown at a byte of a line.
struct Preedit {
    int32_t line = -1;
    int32_t byteInLine = 0;
    QString text;
    int cursor = 0;  // in the preedit text
};

class TextLayouts {
  public:
    static constexpr int32_t kPieceBytes = 8192;

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
    // stayed as they were. Only the piece that holds the edit is laid out again; the pieces
    // after it move with their layouts. False when the pieces must be cut anew (the caller
    // then replaces the line). `edited` is the piece laid out again (its height still the old
    // one), or SIZE_MAX for a line not kept.
    bool EditInLine(std::string_view text, const UnitIndex& index, int32_t line, int32_t rel,
                    int32_t removed, int32_t inserted, size_t& edited);
    // Forgets every line outside [from, to).
    void Keep(int32_t from, int32_t to);

    // Line `line` of `text`, cut into pieces (laid out or not).
    LineLayout& Line(std::string_view text, const UnitIndex& index, int32_t line);
    // Piece `piece` of the line, laid out at the current width.
    LinePiece& Piece(std::string_view text, const UnitIndex& index, int32_t line, size_t piece);
    int64_t LaidOutChars() const;
    // The lines kept now, in order.
    const std::map<int32_t, LineLayout>& Kept() const { return m_lines; }

  private:
    void Fill(std::string_view text, const LineSpan& span, const LineLayout& line, LinePiece& piece,
              int32_t lineNumber) const;

    std::map<int32_t, LineLayout> m_lines;
    QFont m_font;
    qreal m_width = 100;
    LineFormatter m_formatter;
    Preedit m_preedit;
};

}  // namespace qdm::ui

// The bytes-drawn edit area: what it lays out against the model's text, and its keys, mouse
// and input methods against the model's recording rules.
#include "editor/ui/text_view.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QImage>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextLayout>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "editor/edit_box.h"
#include "editor/gbk.h"
#include "editor/ui/text_view_accessible.h"
#include "editor/ui/unit_text.h"

namespace {

using qdm::CEditBox;
using qdm::gbk::Lit;
using qdm::ui::TextView;

struct Line {
    int32_t start;
    int32_t end;  // before the line break
};

// Lines found by walking the bytes one unit at a time, independently of the unit index.
std::vector<Line> PlainLines(std::string_view t) {
    std::vector<Line> lines;
    const auto* p = reinterpret_cast<const unsigned char*>(t.data());
    const size_t n = t.size();
    size_t start = 0;
    for (size_t i = 0; i < n;) {
        if (p[i] == '\r' || p[i] == '\n') {
            lines.push_back({static_cast<int32_t>(start), static_cast<int32_t>(i)});
            i += (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            i += (qdm::gbk::IsLead(p[i]) && i + 1 < n && qdm::gbk::IsTrail(p[i + 1])) ? 2 : 1;
        }
    }
    lines.push_back({static_cast<int32_t>(start), static_cast<int32_t>(n)});
    return lines;
}

struct Area {
    CEditBox model;
    std::unique_ptr<TextView> view;

    explicit Area(std::string text, QSize size = {400, 300}) {
        model.LoadText(std::move(text), {});
        view = std::make_unique<TextView>(model);
        view->resize(size);
        view->show();
        QApplication::processEvents();
    }
    // Every line on screen is laid out exactly as the model's bytes decode.
    void ExpectShowsModel() {
        const std::string_view text = model.Text();
        const std::vector<Line> lines = PlainLines(text);
        const auto shown = view->ShownLines();
        ASSERT_FALSE(shown.empty());
        ASSERT_EQ(view->LineCount(), static_cast<int32_t>(lines.size()));
        for (const TextView::ShownLine& s : shown) {
            const Line& l = lines[static_cast<size_t>(s.line)];
            const QString want = qdm::ui::DecodeUnits(text.substr(l.start, l.end - l.start));
            EXPECT_EQ(s.chars, want.mid(s.firstChar, s.chars.size())) << "line " << s.line;
        }
    }
    // A point on a character on screen finds that character's byte, and the other way round.
    void ExpectPointsFindTheirCharacters() {
        for (const TextView::ShownLine& s : view->ShownLines()) {
            const int32_t base = view->UnitOfByte(view->LineStartByte(s.line)) + s.firstChar;
            for (int32_t j = 0; j < s.chars.size(); j += std::max<int32_t>(1, s.chars.size() / 7)) {
                const int32_t byte = view->ByteOfUnit(base + j);
                const QRectF r = view->CharRect(byte);
                if (r.isEmpty() || r.bottom() > view->viewport()->height() || r.top() < 0) continue;
                EXPECT_EQ(view->ByteAt({r.left() + 1, r.center().y()}), byte) << "line " << s.line;
            }
        }
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(view.get(), key, mods);
    }
    void Type(const QString& text) {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, view.get(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
    }
    // As the platform's input method asks.
    QVariant Query(Qt::InputMethodQuery query) {
        QInputMethodQueryEvent e(query);
        QApplication::sendEvent(view.get(), &e);
        return e.value(query);
    }
    std::pair<int32_t, int32_t> Selection() const {
        int32_t s, e;
        model.GetSelection(s, e);
        return {s, e};
    }
    // Just inside the left edge of the character at `byte`.
    QPoint PointOf(int32_t byte) {
        const QRectF r = view->CharRect(byte);
        return QPointF(r.left() + 1, r.center().y()).toPoint();
    }
};

TEST(TextView, ShowsExactlyTheModelsLinesAfterRandomEdits) {
    const std::string pieces[] = {"a",    "\r",   "\n",   "\r\n", Lit("中文"),
                                  "\x81", "\xFF", "\xA2", "\t",   Lit("，")};
    std::mt19937 random(7);
    Area area(Lit("第一行\r\n第二行\r\n") + "abc\r\n");
    for (int step = 0; step < 400; ++step) {
        const int32_t len = area.model.Length();
        const int32_t pos = static_cast<int32_t>(random() % (len + 1));
        const int32_t removed =
            static_cast<int32_t>(random() % 4 == 0 ? random() % (len - pos + 1) % 5 : 0);
        std::string inserted;
        for (int k = static_cast<int>(random() % 4); k > 0; --k) inserted += pieces[random() % 10];
        area.model.ReplaceRange(pos, removed, inserted);
        if (step % 50 == 0) area.view->ScrollBy(static_cast<qreal>(random() % 200) - 100);
        ASSERT_NO_FATAL_FAILURE(area.ExpectShowsModel()) << "step " << step;
    }
}

TEST(TextView, MapsLinesAndBytesAsAPlainScanOfTheBytesDoes) {
    const std::string text = "a\r\rb\n\r\n" + Lit("中") + "\x81\r\n\xFF\n" + Lit("末");
    Area area(text);
    const std::vector<Line> lines = PlainLines(text);
    ASSERT_EQ(area.view->LineCount(), static_cast<int32_t>(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(area.view->LineStartByte(static_cast<int32_t>(i)), lines[i].start);
        for (int32_t b = lines[i].start; b < lines[i].end; ++b)
            EXPECT_EQ(area.view->LineOfByte(b), static_cast<int32_t>(i)) << "byte " << b;
    }
    area.ExpectShowsModel();
}

TEST(TextView, WrapsALongChineseLineAtTheViewportWidthAnywhere) {
    std::string line;
    for (int i = 0; i < 300; ++i) line += Lit("汉");
    Area area(line + "\r\nend", {300, 400});
    const QRectF first = area.view->CharRect(0), last = area.view->CharRect(2 * 299);
    EXPECT_GT(last.top(), first.top());  // wrapped onto later rows
    for (int32_t b = 0; b < 600; b += 2)
        EXPECT_LE(area.view->CharRect(b).right(), area.view->viewport()->width()) << "byte " << b;
    area.ExpectShowsModel();
}

// The model records keys from its own bytes; the view must reach the same history as the
// model's own key sequences would.
TEST(TextView, KeysLeaveTheSameTextAndRecordsAsTheModelsKeySequences) {
    const std::string start = Lit("甲乙") + "\r\nab";
    Area area(start);
    CEditBox twin;
    twin.LoadText(start, {});
    area.view->setFocus();
    area.model.SetSelection(2, 2);
    twin.SetSelection(2, 2);
    area.Key(Qt::Key_Delete);
    twin.PressDelete();
    area.Type(QStringLiteral("丙x"));
    twin.TypeText(Lit("丙"));
    twin.TypeText("x");
    area.Key(Qt::Key_Return);
    twin.TypeText("\r\n");
    area.Key(Qt::Key_Backspace);
    twin.PressBackspace();
    area.Key(Qt::Key_Backspace, Qt::ShiftModifier);
    twin.PressBackspace();
    EXPECT_EQ(area.model.Text(), twin.Text());
    ASSERT_EQ(area.model.History().Count(), twin.History().Count());
    for (int32_t i = 0; i < twin.History().Count(); ++i) {
        EXPECT_EQ(area.model.History().Newest(i).kind, twin.History().Newest(i).kind);
        EXPECT_EQ(area.model.History().Newest(i).position, twin.History().Newest(i).position);
        EXPECT_EQ(area.model.History().Newest(i).removed, twin.History().Newest(i).removed);
        EXPECT_EQ(area.model.History().Newest(i).inserted, twin.History().Newest(i).inserted);
    }
    area.ExpectShowsModel();
}

TEST(TextView, RefusesATypedCharacterGbkCannotHoldWithTheUsualMessage) {
    Area area("ab");
    QSignalSpy refused(&area.view->Events(), &qdm::ui::EditAreaEvents::refused);
    area.Type(QStringLiteral("가"));
    EXPECT_EQ(area.model.Text(), "ab");
    ASSERT_EQ(refused.count(), 1);
    EXPECT_EQ(refused.first().first().toString(), qdm::ui::RefusalMessage(QStringLiteral("가"), 0));
}

TEST(TextView, MovesTheCaretByUnitsRowsAndEdges) {
    // 中 is two bytes, CR LF one unit; Down keeps the column.
    const std::string text = Lit("中a") + "\r\n" + Lit("一二三") + "\r\nxyz";
    Area area(text);
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        std::pair<int32_t, int32_t> selection;
    } steps[] = {
        {Qt::Key_Right, Qt::NoModifier, {2, 2}},
        {Qt::Key_Right, Qt::NoModifier, {3, 3}},
        {Qt::Key_Right, Qt::NoModifier, {5, 5}},  // over the CR LF at once
        {Qt::Key_Left, Qt::NoModifier, {3, 3}},
        {Qt::Key_Right, Qt::ShiftModifier, {3, 5}},
        {Qt::Key_Right, Qt::ShiftModifier, {3, 7}},
        {Qt::Key_Left, Qt::NoModifier, {3, 3}},  // a selection collapses to its start
        {Qt::Key_End, Qt::NoModifier, {3, 3}},
        {Qt::Key_Home, Qt::NoModifier, {0, 0}},
        {Qt::Key_Down, Qt::NoModifier, {5, 5}},
        {Qt::Key_End, Qt::NoModifier, {11, 11}},
        {Qt::Key_Home, Qt::ShiftModifier, {5, 11}},
        {Qt::Key_End, Qt::ControlModifier, {16, 16}},
        {Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier, {0, 16}},
        {Qt::Key_A, Qt::ControlModifier, {0, 16}},
    };
    for (const Step& s : steps) {
        area.Key(s.key, s.mods);
        EXPECT_EQ(area.Selection(), s.selection) << "key " << s.key;
    }
}

TEST(TextView, UpAndDownKeepTheColumnAcrossAShortLine) {
    const std::string text = "abcdef\r\nx\r\nabcdef";
    Area area(text, {400, 300});
    area.model.SetSelection(4, 4);
    area.Key(Qt::Key_Down);
    EXPECT_EQ(area.view->CaretByte(), 9);  // the end of the short line
    area.Key(Qt::Key_Down);
    EXPECT_EQ(area.view->CaretByte(), 15);  // back in column 4
    area.Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(area.Selection(), (std::pair<int32_t, int32_t>{9, 15}));
}

TEST(TextView, MouseClicksDragsAndMultipleClicksSelectWhatIsUnderThem) {
    const std::string text = "hello world\r\n" + Lit("第二行");
    Area area(text);
    QTest::mouseClick(area.view->viewport(), Qt::LeftButton, {}, area.PointOf(6));
    EXPECT_EQ(area.Selection(), (std::pair<int32_t, int32_t>{6, 6}));
    QTest::mousePress(area.view->viewport(), Qt::LeftButton, {}, area.PointOf(1));
    QMouseEvent move(QEvent::MouseMove, QPointF(area.PointOf(17)), QPointF(), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area.view->viewport(), &move);
    QTest::mouseRelease(area.view->viewport(), Qt::LeftButton, {}, area.PointOf(17));
    EXPECT_EQ(area.Selection(), (std::pair<int32_t, int32_t>{1, 17}));
    QTest::mouseDClick(area.view->viewport(), Qt::LeftButton, {}, area.PointOf(7));
    EXPECT_EQ(area.Selection(), (std::pair<int32_t, int32_t>{6, 11}));
    QTest::mousePress(area.view->viewport(), Qt::LeftButton, {}, area.PointOf(7));
    EXPECT_EQ(area.Selection(), (std::pair<int32_t, int32_t>{0, 11}));
}

TEST(TextView, DraggingBelowTheScreenScrollsAndExtendsTheSelection) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "line\r\n";
    Area area(text, {300, 200});
    QTest::mousePress(area.view->viewport(), Qt::LeftButton, {}, area.PointOf(0));
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 400), QPointF(), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(area.view->viewport(), &move);
    QTest::qWait(200);
    EXPECT_GT(area.view->TopLine(), 0);
    EXPECT_EQ(area.Selection().first, 0);
    EXPECT_GT(area.Selection().second, area.view->LineStartByte(area.view->TopLine()));
    QTest::mouseRelease(area.view->viewport(), Qt::LeftButton, {}, QPoint(20, 100));
    area.ExpectShowsModel();
}

TEST(TextView, InputMethodComposesInPlaceAndCommitsAsATypedCharacter) {
    Area area(Lit("前后"));
    area.model.SetSelection(2, 2);
    QInputMethodEvent compose(QStringLiteral("zhong"), {});
    QApplication::sendEvent(area.view.get(), &compose);
    EXPECT_EQ(area.model.Text(), Lit("前后"));  // nothing reaches the model while composing
    EXPECT_EQ(area.Query(Qt::ImSurroundingText).toString(), QStringLiteral("前后"));
    EXPECT_EQ(area.Query(Qt::ImCursorPosition).toInt(), 1);
    EXPECT_TRUE(area.Query(Qt::ImEnabled).toBool());
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("中"));
    QApplication::sendEvent(area.view.get(), &commit);
    EXPECT_EQ(area.model.Text(), Lit("前中后"));
    ASSERT_EQ(area.model.History().Count(), 1);
    EXPECT_EQ(area.model.History().Newest().kind, qdm::kTyping);
    EXPECT_EQ(area.Query(Qt::ImCursorPosition).toInt(), 2);
    area.ExpectShowsModel();
}

TEST(TextView, ThePreeditIsDrawnWithTheInputMethodsFormatsAndItsCursor) {
    Area area(Lit("前后"));
    area.model.SetSelection(2, 2);
    using Attr = QInputMethodEvent::Attribute;
    const auto compose = [&](const QList<Attr>& attributes) {
        QInputMethodEvent e(QStringLiteral("zhongguo"), attributes);
        QApplication::sendEvent(area.view.get(), &e);
    };
    const auto redPixels = [&] {
        QImage shot(area.view->viewport()->size(), QImage::Format_RGB32);
        area.view->viewport()->render(&shot);
        int red = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) red += shot.pixelColor(x, y) == Qt::red;
        return red;
    };
    QTextCharFormat red;
    red.setBackground(Qt::red);
    compose({Attr(QInputMethodEvent::TextFormat, 0, 5, red)});
    EXPECT_GT(redPixels(), 0);
    compose({});
    EXPECT_EQ(redPixels(), 0);

    const int caretX = area.view->CaretRect().x();
    std::vector<int> xs;
    for (int cursor : {0, 3, 8}) {
        compose({Attr(QInputMethodEvent::Cursor, cursor, 1)});
        xs.push_back(area.Query(Qt::ImCursorRectangle).toRect().x());
    }
    EXPECT_EQ(xs[0], caretX);
    EXPECT_LT(xs[0], xs[1]);
    EXPECT_LT(xs[1], xs[2]);
}

TEST(TextView, InputMethodCommitOfACharacterGbkCannotHoldChangesNothing) {
    Area area("ab");
    area.model.SetSelection(1, 1);
    QSignalSpy refused(&area.view->Events(), &qdm::ui::EditAreaEvents::refused);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("😀"));
    QApplication::sendEvent(area.view.get(), &commit);
    EXPECT_EQ(area.model.Text(), "ab");
    EXPECT_EQ(refused.count(), 1);
    EXPECT_EQ(area.model.History().Count(), 0);
}

TEST(TextView, ComposingOverASelectionTakesItOutSoUndoBringsItBack) {
    Area area("abcd");
    area.model.SetSelection(1, 3);
    QInputMethodEvent compose(QStringLiteral("x"), {});
    QApplication::sendEvent(area.view.get(), &compose);
    EXPECT_EQ(area.model.Text(), "ad");
    ASSERT_TRUE(area.model.Undo().ok);
    EXPECT_EQ(area.model.Text(), "abcd");
}

TEST(TextView, EditsInTheMiddleOfAGiantLineLayOutOnlyNearbyPieces) {
    std::string giant;
    const std::string book = Lit("书");
    for (int i = 0; i < 512000; ++i) giant += i % 7 ? book : std::string("a");
    Area area("first\r\n" + giant + "\r\nlast");
    const int32_t middle = 7 + static_cast<int32_t>(giant.size() / 2) / 2 * 2;
    area.model.SetSelection(middle, middle);
    area.view->ShowCaretNearTop();
    area.Type(QStringLiteral("字"));
    EXPECT_EQ(area.model.Text().substr(middle, 2), Lit("字"));
    area.Key(Qt::Key_Backspace);
    area.Type(QStringLiteral("x"));
    EXPECT_EQ(area.view->CaretByte(), middle + 1);
    area.ExpectShowsModel();
    EXPECT_LT(area.view->LaidOutChars(), 10 * qdm::ui::TextLayouts::kPieceBytes);
    EXPECT_EQ(area.view->LineOfByte(middle), 1);
}

// Where each row of a line starts (in characters of the line) when the line is laid out whole,
// as no piece boundary can disturb.
std::vector<int> WholeLineRowStarts(const QString& chars, const QFont& font, qreal width,
                                    const QList<QTextLayout::FormatRange>& formats) {
    QTextLayout layout(chars, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setFormats(formats);
    layout.beginLayout();
    std::vector<int> starts;
    for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
        row.setLineWidth(width);
        starts.push_back(row.textStart());
    }
    layout.endLayout();
    return starts;
}

// Where each row of line `line` starts on the screen, found from the characters' places.
std::vector<int> ShownRowStarts(Area& area, int32_t line) {
    const int32_t first = area.view->UnitOfByte(area.view->LineStartByte(line));
    const int32_t next = line + 1 < area.view->LineCount() ? area.view->LineStartByte(line + 1)
                                                           : area.model.Length() + 1;
    const int32_t end = area.view->UnitOfByte(next - 1);
    std::vector<int> starts;
    qreal top = -1;
    for (int32_t u = first; u < end; ++u) {
        const QRectF r = area.view->CharRect(area.view->ByteOfUnit(u));
        if (r.isEmpty()) return starts;  // off screen: the caller sees too few rows
        if (r.top() > top) starts.push_back(u - first);
        top = r.top();
    }
    return starts;
}

// Line `line` of the view is shown in rows that start where they start when it is laid out
// whole with `formats`.
void ExpectWrapsAsAWholeLine(Area& area, int32_t line,
                             const QList<QTextLayout::FormatRange>& formats, const char* when) {
    const std::string_view text = area.model.Text();
    const int32_t start = area.view->LineStartByte(line);
    int32_t end = line + 1 < area.view->LineCount() ? area.view->LineStartByte(line + 1)
                                                    : area.model.Length();
    while (end > start && (text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
    const QString chars = qdm::ui::DecodeUnits(text.substr(start, end - start));
    const qreal width = area.view->viewport()->width() - 2 * area.view->CharRect(0).left();
    EXPECT_EQ(ShownRowStarts(area, line),
              WholeLineRowStarts(chars, area.view->font(), width, formats))
        << when;
}

// A line of a few pieces with words, Chinese and punctuation, so that rows differ in length,
// checked against the same line laid out whole: as opened, after edits near and across the
// ends of pieces, and with formats that widen characters.
TEST(TextView, AGiantLineWrapsOnlyAtTheWindowEdge) {
    const std::string words[] = {Lit("汉字"), "word ", Lit("，"), "x", Lit("。"), "longerword "};
    std::mt19937 random(5);
    std::string line;
    while (line.size() < 2.5 * qdm::ui::TextLayouts::kPieceBytes) line += words[random() % 6];
    Area area("top\r\n" + line + "\r\nend", {1000, 4000});
    QList<QTextLayout::FormatRange> formats;
    const auto expectWholeLineRows = [&](const char* when) {
        ExpectWrapsAsAWholeLine(area, 1, formats, when);
    };
    expectWholeLineRows("as opened");
    const int32_t piece = qdm::ui::TextLayouts::kPieceBytes;
    const struct {
        int32_t at;
        int32_t removed;
        std::string inserted;
    } edits[] = {{6 + piece / 2, 0, Lit("插")},    {6 + piece - 40, 0, "wide words "},
                 {6 + piece - 20, 60, Lit("，")},  {6 + piece + 2, 0, "x"},
                 {6 + 2 * piece - 10, 30, {}},     {6, 0, Lit("开头")},
                 {6 + piece / 3, piece, Lit("跨")}};
    for (const auto& e : edits) {
        const int32_t at =
            static_cast<int32_t>(qdm::gbk::BoundaryAtOrAfter(area.model.Text(), e.at));
        area.model.ReplaceRange(at, e.removed, e.inserted);
        expectWholeLineRows(("after an edit at " + std::to_string(e.at)).c_str());
    }
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    const int32_t cut =
        static_cast<int32_t>(qdm::gbk::BoundaryAtOrAfter(area.model.Text(), 6 + piece + piece / 2));
    area.model.ReplaceRange(cut, 0, "\r\n");
    ExpectWrapsAsAWholeLine(area, 2, formats, "the second part of a line cut in two");
    expectWholeLineRows("the first part of a line cut in two");
    for (int i = 0; i < 4000; i += 37) formats.append({i, 9, bold});
    area.view->SetLineFormatter([&](std::string_view, int32_t start, int32_t) {
        return start == area.view->LineStartByte(1) ? formats : QList<QTextLayout::FormatRange>{};
    });
    expectWholeLineRows("with bold runs");
    for (auto& f : formats) f.length = 20;
    area.view->RefreshFormats();
    expectWholeLineRows("with longer bold runs");
}

// A preedit near where a piece ends is shown once, and once committed the line wraps as a
// whole line does.
TEST(TextView, ComposingInAGiantLineNearAPiecesEndKeepsItsTextAndRows) {
    std::string line;
    for (int i = 0; line.size() < 2.2 * qdm::ui::TextLayouts::kPieceBytes; ++i)
        line += i % 5 ? Lit("书") : std::string("ab ");
    Area area("top\r\n" + line + "\r\nend", {1000, 4000});
    const int32_t piece = qdm::ui::TextLayouts::kPieceBytes;
    for (int32_t at = 6 + piece - 400; at < 6 + piece + 100; at += 61) {
        const int32_t caret =
            static_cast<int32_t>(qdm::gbk::BoundaryAtOrAfter(area.model.Text(), at));
        area.model.SetSelection(caret, caret);
        QInputMethodEvent compose(QStringLiteral("zhonghuarenmingongheguo"), {});
        QApplication::sendEvent(area.view.get(), &compose);
        ASSERT_NO_FATAL_FAILURE(area.ExpectShowsModel()) << at;
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("中"));
        QApplication::sendEvent(area.view.get(), &commit);
        ExpectWrapsAsAWholeLine(area, 1, {}, ("after composing at " + std::to_string(at)).c_str());
    }
}

// End on a wrapped row leaves the caret on that row, also on the rows that end a piece.
TEST(TextView, EndStaysOnEachWrappedRowOfAGiantLine) {
    std::string line;
    for (int i = 0; line.size() < 2.2 * qdm::ui::TextLayouts::kPieceBytes; ++i)
        line += i % 9 ? Lit("书") : std::string("a ");
    Area area(line + "\r\nend", {1000, 4000});
    const std::vector<int> rows = ShownRowStarts(area, 0);
    ASSERT_GT(rows.size(), 100u);
    for (size_t r = 0; r + 1 < rows.size(); ++r) {
        const int32_t start = area.view->ByteOfUnit(rows[r]);
        area.model.SetSelection(start, start);
        area.Key(Qt::Key_End);
        EXPECT_EQ(area.view->CaretByte(), area.view->ByteOfUnit(rows[r + 1] - 1)) << "row " << r;
        EXPECT_EQ(area.view->CaretRect().top(), area.view->CharRect(start).toRect().top())
            << "row " << r;
    }
}

TEST(TextView, CutCopyAndPasteGoThroughTheModelWithoutRecords) {
    Area area(Lit("甲乙丙"));
    area.model.SetSelection(6, 6);
    area.Type(QStringLiteral("x"));
    ASSERT_TRUE(area.model.CanUndo());
    area.model.SetSelection(2, 4);
    // A menu as a right click opens it, with the clipboard as it is then.
    auto run = [&](const char* name) {
        std::unique_ptr<QMenu> menu(area.view->CreateContextMenu({}));
        for (QAction* a : menu->actions())
            if (a->objectName() == QLatin1String(name)) return a->trigger(), true;
        return false;
    };
    ASSERT_TRUE(run("edit-copy"));
    EXPECT_EQ(area.model.Clipboard().Text(), Lit("乙"));
    ASSERT_TRUE(run("edit-cut"));
    EXPECT_EQ(area.model.Text(), Lit("甲丙") + "x");
    EXPECT_FALSE(area.model.CanUndo());
    QGuiApplication::clipboard()->setText(QStringLiteral("一\n二"));
    ASSERT_TRUE(run("edit-paste"));
    EXPECT_EQ(area.model.Text(), Lit("甲一") + "\r\n" + Lit("二丙") + "x");
    QSignalSpy refused(&area.view->Events(), &qdm::ui::EditAreaEvents::refused);
    QGuiApplication::clipboard()->setText(QStringLiteral("가"));
    ASSERT_TRUE(run("edit-paste"));
    EXPECT_EQ(refused.count(), 1);
    EXPECT_EQ(area.model.Text(), Lit("甲一") + "\r\n" + Lit("二丙") + "x");
    area.ExpectShowsModel();
}

// Dropping `text` at the character at `byte`, as a drag from another program ends; whether the
// view took it.
bool Drop(Area& area, int32_t byte, const QString& text) {
    QMimeData mime;
    mime.setText(text);
    const QPointF at(area.PointOf(byte));
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area.view->viewport(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area.view->viewport(), &drop);
    return drop.isAccepted();
}

TEST(TextView, DroppedTextGoesInWhereItLandsAsAPasteWithoutARecord) {
    Area area(Lit("甲乙丙"));
    area.model.SetSelection(6, 6);
    area.Type(QStringLiteral("x"));
    ASSERT_TRUE(area.model.CanUndo());
    area.model.SetSelection(0, 2);
    ASSERT_TRUE(Drop(area, 4, QStringLiteral("一\r\n二\u2029三")));
    EXPECT_EQ(area.model.Text(), Lit("甲乙一") + "\r\n" + Lit("二") + "\r\n" + Lit("三丙") + "x");
    const int32_t end = static_cast<int32_t>(Lit("甲乙一\r\n二\r\n三").size());
    EXPECT_EQ(area.Selection(), (std::pair<int32_t, int32_t>{end, end}));
    EXPECT_FALSE(area.model.CanUndo());
    area.ExpectShowsModel();
}

TEST(TextView, ACaretShowsWhereDraggedTextWouldLandUntilItLeavesOrDrops) {
    Area area(Lit("甲乙丙"));
    const auto shot = [&] {
        QImage image(area.view->viewport()->size(), QImage::Format_RGB32);
        area.view->viewport()->render(&image);
        return image;
    };
    const QImage without = shot();
    QMimeData mime;
    mime.setText(QStringLiteral("x"));
    QDragEnterEvent enter(area.PointOf(4), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area.view->viewport(), &enter);
    EXPECT_EQ(area.view->DropCaretByte(), 4);
    QDragMoveEvent move(area.PointOf(2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area.view->viewport(), &move);
    EXPECT_EQ(area.view->DropCaretByte(), 2);
    // Drawn at the character it would land before, and nowhere else.
    const QImage with = shot();
    const int x = static_cast<int>(area.view->CharRect(2).left());
    int changed = 0, far = 0;
    for (int py = 0; py < with.height(); ++py)
        for (int px = 0; px < with.width(); ++px)
            if (with.pixel(px, py) != without.pixel(px, py)) ++changed, far += std::abs(px - x) > 2;
    EXPECT_GT(changed, 0);
    EXPECT_EQ(far, 0);
    QDragLeaveEvent leave;
    QApplication::sendEvent(area.view->viewport(), &leave);
    EXPECT_EQ(area.view->DropCaretByte(), -1);
    EXPECT_EQ(shot(), without);
    ASSERT_TRUE(Drop(area, 4, QStringLiteral("x")));
    EXPECT_EQ(area.view->DropCaretByte(), -1);
}

TEST(TextView, ADropGbkCannotHoldIsRefusedWithTheUsualMessageAndChangesNothing) {
    Area area(Lit("甲乙丙"));
    QSignalSpy refused(&area.view->Events(), &qdm::ui::EditAreaEvents::refused);
    EXPECT_FALSE(Drop(area, 2, QStringLiteral("一가")));
    ASSERT_EQ(refused.count(), 1);
    EXPECT_EQ(refused.first().first().toString(),
              qdm::ui::RefusalMessage(QStringLiteral("一가"), 1));
    EXPECT_EQ(area.model.Text(), Lit("甲乙丙"));
}

TEST(TextView, ADragWithoutTextIsNotTaken) {
    Area area(Lit("甲乙丙"));
    QMimeData mime;
    mime.setData(QStringLiteral("application/octet-stream"), "xyz");
    QDragEnterEvent enter(area.PointOf(2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area.view->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_EQ(area.model.Text(), Lit("甲乙丙"));
}

TEST(TextView, AccessibilityReadsTheTextCaretAndSelectionInUnits) {
    Area area(Lit("甲乙") + "\r\nab");
    area.model.SetSelection(2, 6);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(area.view.get());
    ASSERT_NE(face, nullptr);
    QAccessibleTextInterface* text = face->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 5);
    EXPECT_EQ(text->text(0, 5), QStringLiteral("甲乙\nab"));
    EXPECT_EQ(text->cursorPosition(), 3);
    int s = -1, e = -1;
    text->selection(0, &s, &e);
    EXPECT_EQ(std::pair(s, e), std::pair(1, 3));
    text->setSelection(0, 0, 1);
    EXPECT_EQ(area.Selection(), (std::pair<int32_t, int32_t>{0, 2}));
    EXPECT_FALSE(text->characterRect(0).isEmpty());
}

// What the view told assistive technology: the kind, where, how many characters went and what
// came.
struct Told {
    QAccessible::Event type;
    int at;
    int removed = 0;
    QString inserted;
    bool operator==(const Told&) const = default;
    friend void PrintTo(const Told& t, std::ostream* os) {
        *os << t.type << " at " << t.at << " -" << t.removed << " +" << t.inserted.toStdString();
    }
};
std::vector<Told> g_told;

void Hear(QAccessibleEvent* e) {
    const auto* cursor = static_cast<QAccessibleTextCursorEvent*>(e);
    switch (e->type()) {
        case QAccessible::TextInserted: {
            const auto* in = static_cast<QAccessibleTextInsertEvent*>(e);
            return g_told.push_back({e->type(), in->changePosition(), 0, in->textInserted()});
        }
        case QAccessible::TextRemoved: {
            const auto* out = static_cast<QAccessibleTextRemoveEvent*>(e);
            const int removed = static_cast<int>(out->textRemoved().size());
            return g_told.push_back({e->type(), out->changePosition(), removed, {}});
        }
        case QAccessible::TextUpdated: {
            const auto* up = static_cast<QAccessibleTextUpdateEvent*>(e);
            const int removed = static_cast<int>(up->textRemoved().size());
            return g_told.push_back({e->type(), up->changePosition(), removed, up->textInserted()});
        }
        case QAccessible::TextCaretMoved:
            return g_told.push_back({e->type(), cursor->cursorPosition(), 0, {}});
        default:
            return;
    }
}

TEST(TextView, TellsAssistiveTechnologyEachChangeAndCaretMoveInCharacters) {
    Area area(Lit("甲乙") + "\r\nab");
    area.model.SetSelection(2, 2);
    qdm::ui::SetAccessibilitySink(Hear);
    using A = QAccessible;
    const struct {
        std::function<void()> step;
        std::vector<Told> told;
    } steps[] = {
        {[&] { area.Type(QStringLiteral("丙")); }, {{A::TextInserted, 1, 0, QStringLiteral("丙")}}},
        {[&] { area.Key(Qt::Key_Backspace); }, {{A::TextRemoved, 1, 1, {}}}},
        {[&] { area.Key(Qt::Key_Return); }, {{A::TextInserted, 1, 0, QStringLiteral("\n")}}},
        {[&] { area.model.ReplaceRange(0, 4, "xyz"); }, {{A::TextUpdated, 0, 2, "xyz"}}},
        {[&] { area.Key(Qt::Key_Right); }, {{A::TextCaretMoved, 4, 0, {}}}},
        {[&] { area.Key(Qt::Key_A, Qt::ControlModifier); }, {{A::TextCaretMoved, 7, 0, {}}}},
        {[&] { area.model.LoadText("new", {}); }, {{A::TextUpdated, 0, 7, "new"}}},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        g_told.clear();
        steps[i].step();
        std::erase_if(g_told, [&](const Told& t) {  // the caret follows each change
            return t.type == A::TextCaretMoved && steps[i].told[0].type != A::TextCaretMoved;
        });
        EXPECT_EQ(g_told, steps[i].told) << "step " << i;
    }
    qdm::ui::SetAccessibilitySink(nullptr);
}

std::string NumberedLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

TEST(TextView, TheScrollBarCountsLinesAndTheEndStopsAtTheBottom) {
    Area area(NumberedLines(200), {300, 200});
    QScrollBar* bar = area.view->verticalScrollBar();
    EXPECT_EQ(bar->maximum(), 200);  // the empty line after the last break counts
    bar->setValue(50);
    EXPECT_EQ(area.view->TopLine(), 50);
    EXPECT_EQ(area.view->ShownLines().front().line, 50);
    bar->setValue(bar->maximum());
    const auto shown = area.view->ShownLines();
    EXPECT_EQ(shown.back().line, 200);
    EXPECT_GT(shown.size(), 3u);  // the last screen is full, not one line at the top
    EXPECT_EQ(bar->value(), area.view->TopLine());
    area.ExpectShowsModel();
}

TEST(TextView, JumpsAndPagesKeepTheCaretOnScreen) {
    Area area(NumberedLines(300), {300, 200});
    area.model.SetSelection(area.view->LineStartByte(100), area.view->LineStartByte(100));
    area.view->ShowCaretNearTop();
    EXPECT_EQ(area.view->TopLine(), 98);  // two rows of what came before
    area.model.SetSelection(area.view->LineStartByte(250), area.view->LineStartByte(250));
    area.model.ScrollToCaret();
    const QRect caret = area.view->CaretRect();
    EXPECT_GE(caret.top(), 0);
    EXPECT_LE(caret.bottom(), area.view->viewport()->height());
    const int32_t top = area.view->TopLine(), line = area.view->LineOfByte(area.view->CaretByte());
    area.Key(Qt::Key_PageDown);
    EXPECT_GT(area.view->TopLine(), top);
    EXPECT_GT(area.view->LineOfByte(area.view->CaretByte()), line);
    EXPECT_TRUE(area.view->viewport()->rect().intersects(area.view->CaretRect()));
}

TEST(TextView, EditsAboveTheScreenKeepTheSameTextOnTop) {
    Area area(NumberedLines(100), {300, 200});
    area.view->verticalScrollBar()->setValue(40);
    area.model.ReplaceRange(0, 0, "new\r\nlines\r\n");
    EXPECT_EQ(area.view->TopLine(), 42);
    area.model.ReplaceRange(0, area.view->LineStartByte(3), {});
    EXPECT_EQ(area.view->TopLine(), 39);
    area.ExpectShowsModel();
}

TEST(TextView, ABatchTellsTextChangedOnceAndEachReplacementAtOnce) {
    Area area("abc");
    QSignalSpy changed(&area.view->Events(), &qdm::ui::EditAreaEvents::textChanged);
    QSignalSpy replaced(&area.view->Events(), &qdm::ui::EditAreaEvents::bytesReplaced);
    {
        qdm::ui::EditBatch batch(*area.view);
        area.model.ReplaceRange(0, 1, "xy");
        area.model.ReplaceRange(3, 0, "z");
        EXPECT_EQ(replaced.count(), 2);
        EXPECT_EQ(changed.count(), 0);
    }
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(replaced.at(0), (QVariantList{0, 1, 2}));
    area.ExpectShowsModel();
}

TEST(TextView, AsksTheLineFormatterForEachShownLineAndAgainOnRefresh) {
    Area area(Lit("一") + "\r\nab\rc");
    std::vector<std::pair<int32_t, int32_t>> asked;
    area.view->SetLineFormatter([&](std::string_view, int32_t start, int32_t end) {
        asked.emplace_back(start, end);
        return QList<QTextLayout::FormatRange>{};
    });
    area.view->ShownLines();
    const std::vector<std::pair<int32_t, int32_t>> lines{{0, 2}, {4, 6}, {7, 8}};
    EXPECT_EQ(asked, lines);
    asked.clear();
    area.view->ShownLines();
    EXPECT_TRUE(asked.empty());  // kept with the layouts
    area.view->RefreshFormats();
    area.view->ShownLines();
    EXPECT_EQ(asked, lines);
}

TEST(TextView, DrawsWithTheModelsFontAndColours) {
    Area area("abc");
    area.model.m_textColor = 0x123456;
    area.model.SetEditFont(200, area.model.GetFontFace());
    EXPECT_DOUBLE_EQ(area.view->font().pointSizeF(), 20.0);
    EXPECT_EQ(area.view->palette().color(QPalette::Text), QColor(0x12, 0x34, 0x56));
    QImage shot(area.view->viewport()->size(), QImage::Format_RGB32);
    area.view->viewport()->render(&shot);
    bool textColour = false;
    for (int y = 0; y < shot.height() && !textColour; ++y)
        for (int x = 0; x < shot.width() && !textColour; ++x)
            textColour = shot.pixelColor(x, y) == QColor(0x12, 0x34, 0x56);
    EXPECT_TRUE(textColour);
}

// Whether the line break after the character at `last` is drawn selected: the space just
// after that character has the highlight's colour.
bool BreakDrawnSelected(Area& area, int32_t last) {
    QImage shot(area.view->viewport()->size(), QImage::Format_RGB32);
    area.view->viewport()->render(&shot);
    const QRectF r = area.view->CharRect(last);
    const QPoint at(static_cast<int>(r.right()) + 2, static_cast<int>(r.center().y()));
    return shot.pixelColor(at) == area.view->palette().color(QPalette::Highlight);
}

TEST(TextView, ASelectedLineBreakIsDrawnAsASelectedSpaceAfterTheLine) {
    const struct {
        std::string text;
        int32_t from, to;
        int32_t last;  // the character before the break looked at
        bool selected;
    } cases[] = {
        {"ab\r\ncd", 1, 5, 1, true},   // across the break
        {"ab\r\ncd", 2, 4, 1, true},   // the break alone
        {"ab\ncd", 1, 4, 1, true},     // a lone LF
        {"ab\r\ncd", 0, 2, 1, false},  // up to the break, not over it
        {"ab\r\ncd", 4, 6, 5, false},  // the last line has no break
        {"ab\r\ncd", 5, 1, 1, true},   // the caret before the anchor
    };
    for (const auto& c : cases) {
        Area area(c.text);
        area.model.SetSelection(c.from, c.to);
        EXPECT_EQ(BreakDrawnSelected(area, c.last), c.selected) << c.from << ".." << c.to;
    }
}

TEST(TextView, ShowsTheWholeTextFromItsLayoutsAndTheBytesBetweenThem) {
    Area area(NumberedLines(300) + Lit("末行") + "\x81", {300, 200});
    area.view->verticalScrollBar()->setValue(150);
    QString want = qdm::ui::DecodeUnits(area.model.Text());
    EXPECT_EQ(area.view->ShownText(), want);
    area.model.ReplaceRange(area.view->LineStartByte(151), 0, Lit("插入"));
    EXPECT_EQ(area.view->ShownText(), qdm::ui::DecodeUnits(area.model.Text()));
    EXPECT_EQ(area.view->LineStartByte(302), -1);
    EXPECT_EQ(area.view->LineStartByte(-1), -1);
}

TEST(TextView, TheSelectionRectangleSpansBothEndsOfTheSelection) {
    Area area("first line\r\nsecond line\r\nthird");
    area.model.SetSelection(2, 15);
    const QRect r = area.view->SelectionRect();
    EXPECT_TRUE(r.contains(area.view->CharRect(2).topLeft().toPoint()));
    EXPECT_TRUE(r.contains(area.view->CaretRect().bottomLeft()));
    EXPECT_LT(r.bottom(), area.view->CharRect(26).top());  // the third line is left out
}

// Pieces after an edit keep their layouts and move with it; a lead byte typed before a piece
// or removed from its end changes where units start, and the pieces are cut anew.
TEST(TextView, EditsInALongLineShowTheModelsTextPieceByPiece) {
    const std::string pieces[] = {"a", Lit("长"), "\x81", "\xFE", "b\x81", Lit("，行")};
    std::mt19937 random(11);
    std::string line;
    while (line.size() < 40000) line += pieces[random() % 6];
    Area area("top\r\n" + line + "\r\nend", {1200, 2400});  // several pieces on screen
    for (int step = 0; step < 80; ++step) {
        const int32_t start = 6, end = area.model.Length() - 5;
        const int32_t pos = start + static_cast<int32_t>(random() % (end - start));
        const int32_t removed = std::min<int32_t>(end - pos, static_cast<int32_t>(random() % 3));
        std::string inserted;
        for (int k = static_cast<int>(random() % 3); k > 0; --k) inserted += pieces[random() % 6];
        if (step % 10 == 0) {
            area.model.SetSelection(pos, pos);
            area.view->ShowCaretNearTop();
        }
        area.model.ReplaceRange(pos, removed, inserted);
        ASSERT_NO_FATAL_FAILURE(area.ExpectShowsModel()) << "step " << step;
        ASSERT_EQ(area.view->ShownText(), qdm::ui::DecodeUnits(area.model.Text())) << step;
        ASSERT_NO_FATAL_FAILURE(area.ExpectPointsFindTheirCharacters()) << "step " << step;
    }
}

// The outline follows the caret; after Select All the caret is at the end, as in the other view.
TEST(TextView, SelectAllTellsThatTheCaretMoved) {
    Area area("one\r\ntwo");
    QSignalSpy moved(&area.view->Events(), &qdm::ui::EditAreaEvents::caretMoved);
    area.Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(area.view->CaretByte(), 8);
}

// The region the viewport paints while it lives.
struct PaintedRegion : QObject {
    QWidget& viewport;
    QRegion region;
    explicit PaintedRegion(QWidget& w) : viewport(w) { viewport.installEventFilter(this); }
    ~PaintedRegion() override { viewport.removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) region += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

// A keystroke in a line that keeps its rows repaints those rows, not the screen below them.
TEST(TextView, TypingRepaintsOnlyTheRowsOfTheLineTyped) {
    Area area(NumberedLines(5) + "short\r\n" + NumberedLines(40), {400, 600});
    const int32_t at = area.view->LineStartByte(5) + 2;
    area.model.SetSelection(at, at);
    QApplication::processEvents();
    PaintedRegion painted(*area.view->viewport());
    area.Type(QStringLiteral("x"));
    QApplication::processEvents();
    ASSERT_FALSE(painted.region.isEmpty());
    EXPECT_LT(painted.region.boundingRect().bottom(), area.view->viewport()->height() / 2);
}

TEST(TextView, TabTypesATabInsteadOfMovingTheFocus) {
    Area area("ab");
    area.model.SetSelection(1, 1);
    area.Key(Qt::Key_Tab);
    EXPECT_EQ(area.model.Text(), "a\tb");
    EXPECT_EQ(area.model.History().Newest().kind, qdm::kTyping);
}

// Keys the area acts on must reach it even when a shortcut elsewhere claims them; the window's
// Undo and clipboard keys are not the area's.
TEST(TextView, ClaimsTheKeysItActsOnBeforeShortcuts) {
    Area area("ab");
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        QString text;
        bool claimed;
    } cases[] = {
        {Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), true},
        {Qt::Key_Delete, Qt::NoModifier, {}, true},
        {Qt::Key_Backspace, Qt::NoModifier, {}, true},
        {Qt::Key_Return, Qt::NoModifier, {}, true},
        {Qt::Key_End, Qt::ControlModifier, {}, true},
        {Qt::Key_Left, Qt::ShiftModifier, {}, true},
        {Qt::Key_A, Qt::ControlModifier, {}, true},
        {Qt::Key_Z, Qt::ControlModifier, {}, false},
        {Qt::Key_C, Qt::ControlModifier, {}, false},
        {Qt::Key_F5, Qt::NoModifier, {}, false},
    };
    for (const Case& c : cases) {
        QKeyEvent e(QEvent::ShortcutOverride, c.key, c.mods, c.text);
        e.ignore();
        QApplication::sendEvent(area.view.get(), &e);
        EXPECT_EQ(e.isAccepted(), c.claimed) << "key " << c.key;
    }
}

TEST(TextView, CtrlArrowsMoveByWordsAndCtrlBackspaceTakesAWordWithoutARecord) {
    Area area("one two\r\nthree");
    area.model.SetSelection(0, 0);
    area.Type(QStringLiteral("x"));  // a record, which the word deletion must not join
    area.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(area.view->CaretByte(), 4);  // the end of "xone"
    area.Key(Qt::Key_End);
    area.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(area.view->CaretByte(), 10);  // over the line break
    area.Key(Qt::Key_End);
    area.Key(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(area.model.Text(), "xone two\r\n");
    EXPECT_FALSE(area.model.CanUndo());  // an unrecorded change, as in the other view
    area.model.SetSelection(0, 0);
    area.Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(area.model.Text(), " two\r\n");
    area.ExpectShowsModel();
}

}  // namespace

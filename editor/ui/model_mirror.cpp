#include "editor/ui/model_mirror.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <thread>

#include "editor/ui/streamed_insert.h"
#include "editor/ui/text_diff.h"
#include "editor/ui/unit_text.h"

namespace qdm::ui {
namespace {

// A model change this large is cheaper to show by diffing the whole text once, at the end of
// the batch, than range by range (a tag insertion around a whole book cuts and re-inserts it).
constexpr int32_t kRewriteLimit = 256 * 1024;

struct Trim {
    qsizetype prefix = 0;
    qsizetype suffix = 0;
};

Trim CommonEnds(QStringView a, QStringView b) {
    Trim t;
    const qsizetype n = std::min(a.size(), b.size());
    while (t.prefix < n && a[t.prefix] == b[t.prefix]) ++t.prefix;
    while (t.suffix < n - t.prefix && a[a.size() - 1 - t.suffix] == b[b.size() - 1 - t.suffix])
        ++t.suffix;
    return t;
}

}  // namespace

ModelMirror::ModelMirror(CEditBox& model, QPlainTextEdit& view) : m_model(model), m_view(view) {
    QTextDocument* doc = m_view.document();
    doc->setUndoRedoEnabled(false);  // the model keeps the history
    connect(doc, &QTextDocument::contentsChange, this, &ModelMirror::OnContentsChange);
    connect(&m_view, &QPlainTextEdit::cursorPositionChanged, this,
            &ModelMirror::OnWidgetCursorMoved);
    connect(&m_view, &QPlainTextEdit::selectionChanged, this, &ModelMirror::OnWidgetCursorMoved);
    m_model.SetObserver(this);
    ResetWidget();
}

ModelMirror::~ModelMirror() {
    m_model.SetObserver(nullptr);
}

int32_t ModelMirror::ByteOfUnit(int32_t unit) const {
    return m_index.ByteOfUnit(m_model.Text(), unit);
}

int32_t ModelMirror::UnitOfByte(int32_t byte) const {
    return m_index.UnitOfByte(m_model.Text(), byte);
}

QString ModelMirror::WidgetChars(int from, int to) const {
    if (to <= from) return {};
    QTextCursor c(m_view.document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    return c.selectedText();
}

// ---- batches ---------------------------------------------------------------------------------

void ModelMirror::Begin() {
    ++m_batch;
}

void ModelMirror::End() {
    if (--m_batch > 0) return;
    Settle();
}

void ModelMirror::Settle() {
    if (m_batch > 0) return;
    if (m_resetPending) {
        m_resetPending = false;
        m_resync.reset();
        ResetWidget();
        m_selectionPending = true;
        m_textChangedPending = true;
    }
    if (m_selectionPending) {
        m_selectionPending = false;
        ShowModelSelection();
    }
    if (m_scrollPending) {
        m_scrollPending = false;
        m_view.ensureCursorVisible();
    }
    if (m_textChangedPending) {
        m_textChangedPending = false;
        emit textChanged();
    }
}

// ---- model -> widget ---------------------------------------------------------------------------

void ModelMirror::OnTextReplaced(int32_t pos, int32_t removedLen, int32_t insertedLen) {
    m_textChangedPending = true;
    emit bytesReplaced(pos, removedLen, insertedLen);
    if (m_resync || std::max(removedLen, insertedLen) > kRewriteLimit) m_resetPending = true;
    if (!m_resetPending) {
        const UnitChange c = m_index.Update(m_model.Text(), pos, removedLen, insertedLen);
        Rewrite(c.unit, c.oldUnits, c.byte, c.byte + c.newBytes);
    }
    Settle();
}

void ModelMirror::OnTextReset() {
    m_textChangedPending = true;
    emit textReset();
    m_resetPending = true;
    Settle();
}

void ModelMirror::OnSelectionChanged() {
    m_selectionPending = true;
    Settle();
}

void ModelMirror::OnScrollToCaret() {
    m_selectionPending = true;
    m_scrollPending = true;
    Settle();
}

void ModelMirror::OnAppearanceChanged() {
    emit appearanceChanged();
}

void ModelMirror::Replace(int from, int to, const QString& chars) {
    QTextCursor c(m_view.document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    m_writing = true;
    if (chars.isEmpty())
        c.removeSelectedText();
    else
        c.insertText(chars);
    m_writing = false;
}

void ModelMirror::Rewrite(int32_t unit, int32_t widgetChars, int32_t byteFrom, int32_t byteTo) {
    const QString now = DecodeUnits(m_model.Text().substr(byteFrom, byteTo - byteFrom));
    const QString was = WidgetChars(unit, unit + widgetChars);
    const Trim t = CommonEnds(was, now);
    if (t.prefix == was.size() && t.prefix == now.size()) return;
    Replace(unit + static_cast<int>(t.prefix), unit + widgetChars - static_cast<int>(t.suffix),
            now.mid(t.prefix, now.size() - t.prefix - t.suffix));
}

void ModelMirror::ResetWidget() {
    const std::string_view text = m_model.Text();
    // The index and the comparison of the starts both walk the text; on a big book they
    // share the work between two cores.
    std::thread indexing;
    if (text.size() > kRewriteLimit)
        indexing = std::thread([this, text] { m_index.Reset(text); });
    else
        m_index.Reset(text);

    QTextDocument* doc = m_view.document();
    QString was = doc->toRawText();
    const qsizetype prefix = CommonPrefix(was, text);
    if (indexing.joinable()) indexing.join();
    const qsizetype suffix = CommonSuffix(was, text, m_index, prefix);
    const int oldEnd = static_cast<int>(was.size() - suffix);
    const int32_t newEnd = static_cast<int32_t>(m_index.Units() - suffix);
    was = QString();  // gone before the widget grows
    if (prefix == oldEnd && prefix == newEnd) return;

    const int32_t b0 = ByteOfUnit(static_cast<int32_t>(prefix)), b1 = ByteOfUnit(newEnd);
    m_writing = true;
    QTextCursor c(doc);
    if (b1 - b0 > kRewriteLimit && (prefix + suffix) * 16 < newEnd) {
        // Next to nothing to keep: clearing frees the old text before the new one is built.
        doc->clear();
        InsertUnitsStreamed(c, text);
    } else if (b1 - b0 > kRewriteLimit) {
        c.setPosition(static_cast<int>(prefix));
        c.setPosition(oldEnd, QTextCursor::KeepAnchor);
        InsertUnitsStreamed(c, text.substr(b0, b1 - b0));
    } else {
        c.setPosition(static_cast<int>(prefix));
        c.setPosition(oldEnd, QTextCursor::KeepAnchor);
        if (b1 > b0)
            c.insertText(DecodeUnits(text.substr(b0, b1 - b0)));
        else
            c.removeSelectedText();
    }
    m_writing = false;
}

void ModelMirror::ShowModelSelection() {
    int32_t start, end;
    m_model.GetSelection(start, end);
    const int a = UnitOfByte(start);
    int b = UnitOfByte(end);
    if (ByteOfUnit(b) < end) ++b;  // an end inside a unit takes the whole unit
    QTextCursor c = m_view.textCursor();
    c.setPosition(a);
    c.setPosition(b, QTextCursor::KeepAnchor);
    // Placing the selection does not scroll; ScrollToCaret does.
    const int h = m_view.horizontalScrollBar()->value();
    const int v = m_view.verticalScrollBar()->value();
    m_writing = true;
    m_view.setTextCursor(c);
    m_writing = false;
    m_view.horizontalScrollBar()->setValue(h);
    m_view.verticalScrollBar()->setValue(v);
}

// ---- widget -> model ---------------------------------------------------------------------------

void ModelMirror::OnWidgetCursorMoved() {
    if (m_writing || m_resync || m_resetPending) return;
    SyncSelectionToModel();
}

void ModelMirror::SyncSelectionToModel() {
    Flush();
    if (m_resetPending) return;
    const QTextCursor c = m_view.textCursor();
    m_model.SyncSelectionFromWidget(ByteOfUnit(c.selectionStart()), ByteOfUnit(c.selectionEnd()));
}

void ModelMirror::OnContentsChange(int pos, int removed, int added) {
    if (m_writing) return;
    if (m_resync || m_resetPending) {
        // The widget already differs from the model; rebuild it from the model.
        m_resync.reset();
        m_resetPending = true;
        QueueFlush();
        return;
    }
    const WidgetEdit edit = ChangedMiddle(ClampWindow(pos, removed, added));
    if (edit.wasChars == 0 && edit.now.isEmpty()) return;  // layout only (preedit)
    ApplyToModel(edit);
}

// The window may run past the text (the final block separator); both ends are clamped so
// that what follows the window is the same length in the old and the new text.
ModelMirror::Window ModelMirror::ClampWindow(int pos, int removed, int added) const {
    const int32_t oldLen = m_index.Units();
    const int32_t newLen = m_view.document()->characterCount() - 1;
    pos = std::clamp(pos, 0, std::min(oldLen, newLen));
    const int32_t oldEnd = std::min(pos + removed, oldLen);
    const int32_t newEnd = std::min(pos + added, newLen);
    const int32_t tail = std::min(oldLen - oldEnd, newLen - newEnd);
    return {pos, oldLen - tail, newLen - tail};
}

// Qt reports wider windows than the edit (a whole block for input-method commits and
// pastes): only the characters that differ between model and widget are the edit.
ModelMirror::WidgetEdit ModelMirror::ChangedMiddle(const Window& w) const {
    const std::string_view text = m_model.Text();
    const int32_t b0 = ByteOfUnit(w.pos), b1 = ByteOfUnit(w.oldEnd);
    const QString was = DecodeUnits(text.substr(b0, b1 - b0));
    const QString now = WidgetChars(w.pos, w.newEnd);
    const Trim t = CommonEnds(was, now);
    const int32_t nowMid = static_cast<int32_t>(now.size() - t.prefix - t.suffix);
    return {w.pos + static_cast<int32_t>(t.prefix),
            static_cast<int32_t>(was.size() - t.prefix - t.suffix), now.mid(t.prefix, nowMid)};
}

void ModelMirror::ApplyToModel(const WidgetEdit& edit) {
    const int32_t nowChars = static_cast<int32_t>(edit.now.size());
    const Encoded enc = EncodeChars(edit.now);
    if (enc.refusedAt >= 0) {
        emit refused(RefusalMessage(edit.now, enc.refusedAt));
        ScheduleResync({edit.first, nowChars, edit.wasChars});
        return;
    }
    const int32_t mb0 = ByteOfUnit(edit.first), mb1 = ByteOfUnit(edit.first + edit.wasChars);
    const int32_t insertedLen = static_cast<int32_t>(enc.bytes.size());
    m_model.ApplyWidgetEdit(mb0, mb1 - mb0, enc.bytes);
    emit bytesReplaced(mb0, mb1 - mb0, insertedLen);
    const UnitChange c = m_index.Update(m_model.Text(), mb0, mb1 - mb0, insertedLen);
    CheckMirrored(c, c.oldUnits - edit.wasChars + nowChars);
    m_textChangedPending = true;
    Settle();
}

// Units next to an edit can pair up differently in the bytes than the widget's characters
// suggest (a lone CR meeting a typed line break's LF, a lone lead byte meeting a trail byte).
void ModelMirror::CheckMirrored(const UnitChange& c, int32_t widgetChars) {
    const QString model = DecodeUnits(m_model.Text().substr(c.byte, c.newBytes));
    if (model != WidgetChars(c.unit, c.unit + widgetChars))
        ScheduleResync({c.unit, widgetChars, c.newUnits});
}

void ModelMirror::ScheduleResync(const Resync& r) {
    m_resync = r;
    QueueFlush();
}

void ModelMirror::QueueFlush() {
    if (m_flushQueued) return;
    m_flushQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_flushQueued = false;
            Flush();
        },
        Qt::QueuedConnection);
}

void ModelMirror::Flush() {
    if (m_resync) {
        const Resync r = *m_resync;
        m_resync.reset();
        Rewrite(r.unit, r.widgetChars, ByteOfUnit(r.unit), ByteOfUnit(r.unit + r.modelUnits));
        m_selectionPending = true;
    }
    Settle();
}

}  // namespace qdm::ui

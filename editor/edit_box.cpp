#include "editor/edit_box.h"

#include <algorithm>

#include "editor/gbk.h"
#include "editor/text_buffer.h"

namespace qdm {

CEditBox::CEditBox() : m_fontFace(gbk::Lit("宋体")) {}

// ---- text and selection ----------------------------------------------------------------------

void CEditBox::SetText(std::string text) {
    const bool changed = text != m_text;
    ResetText(std::move(text), changed);
}

void CEditBox::ResetText(std::string text, bool changed) {
    m_text = std::move(text);
    m_selStart = m_selEnd = 0;
    // A text that came back unchanged still matches every record: Undo stays possible.
    if (changed) {
        m_state = m_nextState++;
        AdvanceGeneration();
    }
    m_expected.reset();
    if (m_observer) m_observer->OnTextReset();
}

void CEditBox::SetSelection(int32_t start, int32_t end) {
    const int32_t len = Length();
    if (end < 0 || end > len) end = len;
    start = std::clamp(start, 0, len);
    if (start > end) std::swap(start, end);
    m_selStart = start;
    m_selEnd = end;
    AssertInvariants();
    NotifySelection();
}

void CEditBox::SyncSelectionFromWidget(int32_t start, int32_t end) {
    const int32_t len = Length();
    m_selStart = std::clamp(std::min(start, end), 0, len);
    m_selEnd = std::clamp(std::max(start, end), 0, len);
}

void CEditBox::ScrollToCaret() {
    if (m_observer) m_observer->OnScrollToCaret();
}

int32_t CEditBox::GetSelectedText(std::string& out) const {
    if (m_selStart == m_selEnd) {
        out.clear();
        return 0;
    }
    out.assign(std::string_view(m_text).substr(m_selStart, m_selEnd - m_selStart));
    return m_selEnd - m_selStart;
}

void CEditBox::ReplaceSelection(std::string_view newText) {
    const int32_t start = m_selStart, length = m_selEnd - m_selStart;
    if (m_historyEnabled)
        m_history.Record(kReplaceSelection, start,
                         CopyOfText(std::string_view(m_text).substr(start, length)),
                         CopyOfText(newText), m_generation, m_state);
    Change(start, length, newText, true, true);
}

void CEditBox::ReplaceRange(int32_t pos, int32_t length, std::string inserted) {
    if (!m_historyEnabled) {
        Change(pos, length, inserted, true, true);
        return;
    }
    m_history.Record(kReplaceSelection, pos,
                     CopyOfText(std::string_view(m_text).substr(pos, length)), std::move(inserted),
                     m_generation, m_state);
    Change(pos, length, m_history.Newest().inserted, true, true);
}

void CEditBox::CutSelection() {
    if (m_selStart == m_selEnd) return;
    m_clipboard->SetText(std::string_view(m_text).substr(m_selStart, m_selEnd - m_selStart));
    Change(m_selStart, m_selEnd - m_selStart, {}, true);
}

void CEditBox::NotifySelection() {
    if (m_observer) m_observer->OnSelectionChanged();
}

bool CEditBox::ConsumeExpected(int32_t pos, int32_t removedLen, size_t insertedLen) {
    bool match = m_expected && m_expected->pos == pos && m_expected->removedLen == removedLen &&
                 m_expected->insertedLen == insertedLen;
    m_expected.reset();
    return match;
}

void CEditBox::Change(int32_t pos, int32_t removedLen, std::string_view inserted, bool notify,
                      bool covered) {
    assert(pos >= 0 && removedLen >= 0 && pos <= Length() - removedLen);
    assert(m_text.size() - removedLen + inserted.size() < size_t{INT32_MAX});
    covered = ConsumeExpected(pos, removedLen, inserted.size()) || covered;
    if (m_inChar && m_charRecords && pos == m_charStart &&
        removedLen == static_cast<int32_t>(m_charSelected.size()))
        covered = true;
    if (!covered) AdvanceGeneration();
    if (std::string_view(m_text).substr(pos, removedLen) != inserted) m_state = m_nextState++;
    m_text.replace(pos, removedLen, inserted);
    m_selStart = m_selEnd = pos + static_cast<int32_t>(inserted.size());
    AssertInvariants();
    if (notify && m_observer) {
        m_observer->OnTextReplaced(pos, removedLen, static_cast<int32_t>(inserted.size()));
        m_observer->OnSelectionChanged();
    }
}

void CEditBox::ApplyWidgetEdit(int32_t pos, int32_t removedLen, std::string_view inserted) {
    pos = std::clamp(pos, 0, Length());
    removedLen = std::clamp(removedLen, 0, Length() - pos);
    Change(pos, removedLen, inserted, false);
}

// ---- edit history ------------------------------------------------------------------------------

void CEditBox::RecordEdit(UndoKind kind, int32_t position, std::string removed,
                          std::string inserted) {
    m_expected = Expected{position, static_cast<int32_t>(removed.size()), inserted.size()};
    if (m_historyEnabled)
        m_history.Record(kind, position, std::move(removed), std::move(inserted), m_generation,
                         m_state);
}

void CEditBox::OnKeyDown(int virtualKey) {
    const std::string_view text = m_text;
    const int32_t start = m_selStart, length = m_selEnd - m_selStart;
    if (virtualKey == kVkDelete) {
        if (text.empty()) return;
        if (length > 0) {
            RecordEdit(kDeleteSelection, start, std::string(text.substr(start, length)), {});
        } else {
            // The record holds exactly what the key removes: one character or line break.
            size_t n = start < Length() ? gbk::UnitLen(text, start) : 0;
            std::string removed(text.substr(start, n));
            RecordEdit(kDeleteForward, start, removed, {});
            if (n > 0)
                m_expected = Expected{start, static_cast<int32_t>(n), 0};
            else
                m_expected.reset();
        }
        m_skipNextChar = true;
    } else if (virtualKey == kVkBack) {
        if (length > 0) {
            RecordEdit(kDeleteSelection, start, std::string(text.substr(start, length)), {});
        } else if (start > 0) {
            size_t from = gbk::PrevUnitStart(text, start);
            RecordEdit(kDeleteBackward, static_cast<int32_t>(from),
                       std::string(text.substr(from, start - from)), {});
        } else {
            m_expected.reset();
        }
        m_skipNextChar = true;
    }
}

void CEditBox::OnCharBegin() {
    m_expected.reset();
    m_inChar = true;
    m_charRecords = !m_skipNextChar;
    m_charStart = m_selStart;
    m_charBefore = m_state;
    GetSelectedText(m_charSelected);
}

void CEditBox::OnCharEnd() {
    if (m_charRecords) {
        const int32_t caret = m_selStart;
        std::string inserted =
            caret > m_charStart ? m_text.substr(m_charStart, caret - m_charStart) : std::string();
        if (m_historyEnabled)
            m_history.Record(kTyping, m_charStart, std::move(m_charSelected), std::move(inserted),
                             m_generation, m_charBefore);
        m_expected.reset();  // the edit it describes has already happened
    }
    m_charSelected.clear();
    m_inChar = false;
    m_charRecords = false;
    m_skipNextChar = false;
}

void CEditBox::PressDelete() {
    OnKeyDown(kVkDelete);
    if (m_selStart != m_selEnd)
        Change(m_selStart, m_selEnd - m_selStart, {}, true);
    else if (m_selStart < Length())
        Change(m_selStart, static_cast<int32_t>(gbk::UnitLen(m_text, m_selStart)), {}, true);
}

void CEditBox::PressBackspace() {
    OnKeyDown(kVkBack);
    if (m_selStart != m_selEnd) {
        Change(m_selStart, m_selEnd - m_selStart, {}, true);
    } else if (m_selStart > 0) {
        int32_t from = static_cast<int32_t>(gbk::PrevUnitStart(m_text, m_selStart));
        Change(from, m_selStart - from, {}, true);
    }
    OnCharBegin();  // the character message 0x08 that follows the key
    OnCharEnd();
}

void CEditBox::TypeText(std::string_view bytes) {
    OnCharBegin();
    Change(m_selStart, m_selEnd - m_selStart, bytes, true);
    OnCharEnd();
}

// ---- undo
// ----------------------------------------------------------------------------------------

namespace {

// A markup insertion leaves DeleteSelection then ReplaceSelection at one position.
bool IsInsertionPair(const UndoHistory& h) {
    if (h.Count() < 2) return false;
    const UndoRecord& r = h.Newest(0);
    const UndoRecord& d = h.Newest(1);
    return r.kind == kReplaceSelection && r.removed.empty() && d.kind == kDeleteSelection &&
           d.position == r.position && d.inserted.empty() && d.generation == r.generation;
}

}  // namespace

bool CEditBox::CanUndo(std::string* why) const {
    auto refuse = [&](const char* utf8) {
        if (why) *why = gbk::Lit(utf8);
        return false;
    };
    if (!m_historyEnabled || m_history.Empty()) return refuse("没有可以撤消的操作");
    const UndoRecord& r = m_history.Newest();
    if (r.generation != m_generation)
        return refuse("文本在最近一次记录之后有未记录的修改，无法撤消");
    if (r.position < 0 || r.position > Length() ||
        std::string_view(m_text).substr(r.position, r.inserted.size()) != r.inserted)
        return refuse("文本与撤消记录不一致，无法撤消");
    return true;
}

UndoResult CEditBox::Undo() {
    UndoResult result;
    if (!CanUndo(&result.message)) return result;
    RedoStep step;
    if (IsInsertionPair(m_history))
        step.records.resize(2);
    else
        step.records.resize(1);
    for (size_t i = step.records.size(); i-- > 0;) step.records[i] = m_history.TakeNewest();
    const UndoRecord& r = step.Newest();
    const std::string& restore = step.Expected();

    step.after = m_state;
    Change(r.position, static_cast<int32_t>(r.inserted.size()), restore, true, true);
    m_state = step.records.front().before;
    const int32_t end = r.position + static_cast<int32_t>(restore.size());
    if (r.kind == kDeleteForward)
        SetSelection(r.position, r.position);
    else if (r.kind == kDeleteBackward)
        SetSelection(end, end);
    else
        SetSelection(r.position, end);
    ScrollToCaret();
    step.generation = m_generation;
    m_history.PushRedo(std::move(step));
    result.ok = true;
    return result;
}

bool CEditBox::CanRedo(std::string* why) const {
    auto refuse = [&](const char* utf8) {
        if (why) *why = gbk::Lit(utf8);
        return false;
    };
    if (!m_historyEnabled || !m_history.HasRedo()) return refuse("没有可以重做的操作");
    const RedoStep& step = m_history.NewestRedo();
    if (step.generation != m_generation) return refuse("文本在撤消之后有未记录的修改，无法重做");
    const int32_t pos = step.Newest().position;
    const std::string& expected = step.Expected();
    if (pos < 0 || pos > Length() ||
        std::string_view(m_text).substr(pos, expected.size()) != expected)
        return refuse("文本与重做记录不一致，无法重做");
    return true;
}

UndoResult CEditBox::Redo() {
    UndoResult result;
    if (!CanRedo(&result.message)) return result;
    RedoStep step = m_history.TakeRedo();
    const UndoRecord& r = step.Newest();
    Change(r.position, static_cast<int32_t>(step.Expected().size()), r.inserted, true, true);
    m_state = step.after;
    const int32_t caret = r.position + static_cast<int32_t>(r.inserted.size());
    SetSelection(caret, caret);
    ScrollToCaret();
    for (UndoRecord& record : step.records) {
        record.generation = m_generation;
        m_history.Restore(std::move(record));
    }
    result.ok = true;
    return result;
}

// ---- files
// ----------------------------------------------------------------------------------------

IoStatus CEditBox::LoadFile(const std::string& path, bool* hadNul) {
    FileText file;
    IoStatus status = ReadTextFile(path, file);
    if (!status) return status;
    if (hadNul) *hadNul = file.hadNul;
    LoadText(std::move(file.text), path);
    return status;
}

void CEditBox::LoadText(std::string text, const std::string& path) {
    SetText(std::move(text));
    SetSelection(0, 0);
    ScrollToCaret();
    m_filePath = path;
    ClearModified();
}

IoStatus CEditBox::SaveFile(const std::string& path) {
    IoStatus status = WriteFileAtomic(path, m_text);
    if (!status) return status;
    m_filePath = path;
    ClearModified();
    return status;
}

void CEditBox::RestoreText(std::string text, std::string filePath) {
    SetText(std::move(text));
    SetSelection(0, 0);
    ScrollToCaret();
    m_filePath = std::move(filePath);
    MarkModified();
}

// ---- appearance
// ----------------------------------------------------------------------------------

void CEditBox::SetEditFont(int32_t sizeTenths, std::string face) {
    m_fontSize = sizeTenths;
    m_fontFace = std::move(face);
    if (m_observer) m_observer->OnAppearanceChanged();
}

}  // namespace qdm

#pragma once
// CEditBox: the document's whole text as GBK bytes with a byte-offset selection, its edit
// history, the file it came from and its appearance values. It is the one truth about the
// text; an on-screen widget only mirrors it (see IEditObserver) and feeds edits back.
#include <cassert>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "editor/clipboard.h"
#include "editor/file_io.h"
#include "editor/undo_history.h"

namespace qdm {

// Told about every change made by the model, so a view can update just that range.
// Changes that arrive through ApplyWidgetEdit are not echoed back.
class IEditObserver {
  public:
    virtual ~IEditObserver() = default;
    // Bytes [pos, pos + removedLen) of the old text were replaced by insertedLen new bytes.
    virtual void OnTextReplaced(int32_t pos, int32_t removedLen, int32_t insertedLen) = 0;
    // The whole text was replaced.
    virtual void OnTextReset() = 0;
    virtual void OnSelectionChanged() = 0;
    virtual void OnScrollToCaret() = 0;
    virtual void OnAppearanceChanged() {}
};

// Virtual-key codes the key-down handler looks at.
constexpr int kVkBack = 0x08;
constexpr int kVkDelete = 0x2E;

struct UndoResult {
    bool ok = false;
    std::string message;  // GBK: why nothing was undone
};

class CEditBox {
  public:
    CEditBox();

    // ---- text and selection --------------------------------------------------------------
    void GetText(std::string& out) const { out = m_text; }
    std::string_view Text() const { return m_text; }
    int32_t Length() const { return static_cast<int32_t>(m_text.size()); }
    // A text equal to the current one leaves the modified state and the edit history's
    // claim on the text as they are.
    void SetText(std::string text);
    // SetText with a text made from the current one by `rewrite`, which may change the string
    // in place: a whole-text pass over a huge book need not copy it when little changes. A
    // rewrite that returns bool says whether it changed anything; one that returns nothing
    // is taken to have changed the text.
    template <typename F>
    void RewriteText(F&& rewrite) {
        std::string text = std::move(m_text);
        m_text.clear();
        bool changed = true;
        if constexpr (std::is_same_v<std::invoke_result_t<F&, std::string&>, bool>)
            changed = rewrite(text);
        else
            rewrite(text);
        ResetText(std::move(text), changed);
    }
    void GetSelection(int32_t& start, int32_t& end) const {
        start = m_selStart;
        end = m_selEnd;
    }
    // end = -1 (or past the text) means the end of the text; start > end is swapped.
    void SetSelection(int32_t start, int32_t end);
    void ScrollToCaret();
    int32_t GetSelectedText(std::string& out) const;
    void ReplaceSelection(std::string_view newText);
    // Bytes [pos, pos + length) become `inserted`, recorded as one ReplaceSelection step (so
    // one Undo restores them); the caret goes after the inserted bytes.
    void ReplaceRange(int32_t pos, int32_t length, std::string inserted);
    void CutSelection();
    // Modified while the text differs from the one last loaded or saved (or put in place by
    // the caller with ClearModified). Every state of the text has an id: a change that alters
    // bytes gives it a new one, a change that alters none keeps it, and Undo gives back the id
    // the text had before the undone edit. So undoing to the saved text is not modified,
    // undoing past it is.
    bool IsModified() const { return m_state != m_cleanState; }
    void ClearModified() { m_cleanState = m_state; }
    // Modified whatever the text: no state of it counts as saved.
    void MarkModified() { m_cleanState = m_nextState++; }
    // Changes whenever the bytes of the text do (and comes back with an undo).
    uint64_t TextState() const { return m_state; }

    void SetClipboard(IClipboard* clipboard) {
        m_clipboard = clipboard ? clipboard : &m_ownClipboard;
    }
    IClipboard& Clipboard() { return *m_clipboard; }
    void SetObserver(IEditObserver* observer) { m_observer = observer; }

    // ---- edit history ------------------------------------------------------------------------
    void RecordEdit(UndoKind kind, int32_t position, std::string removed, std::string inserted);
    const UndoHistory& History() const { return m_history; }
    // Batch front-ends have no one to undo for and can spare the memory of huge records.
    void SetHistoryEnabled(bool enabled) { m_historyEnabled = enabled; }
    bool HistoryEnabled() const { return m_historyEnabled; }

    // Key handlers, called by the widget around its own processing of the key:
    //   Delete:    OnKeyDown(kVkDelete), then the widget deletes;
    //   Backspace: OnKeyDown(kVkBack), the widget deletes, then OnCharBegin/OnCharEnd (the
    //              character message 0x08 that follows the key);
    //   a typed character (or committed input-method text): OnCharBegin, the widget inserts,
    //              OnCharEnd.
    void OnKeyDown(int virtualKey);
    void OnCharBegin();
    void OnCharEnd();

    // An edit the widget made itself: bytes [pos, pos + removedLen) became `inserted`.
    // The selection becomes the caret after the inserted bytes.
    void ApplyWidgetEdit(int32_t pos, int32_t removedLen, std::string_view inserted);
    // The widget moved its cursor or selection; the observer is not told.
    void SyncSelectionFromWidget(int32_t start, int32_t end);

    // The whole key sequences in model terms, as the widget performs them.
    void PressDelete();
    void PressBackspace();
    void TypeText(std::string_view bytes);

    // Replays the newest record (a markup insertion's two records as one step) when no
    // unrecorded change came after it and the text still holds what it inserted.
    bool CanUndo(std::string* why = nullptr) const;
    UndoResult Undo();
    // Makes again what the newest Undo took back, under the same rule: no unrecorded change
    // since, and the text holds what the Undo put back. A new recorded edit clears the list.
    bool CanRedo(std::string* why = nullptr) const;
    UndoResult Redo();
    // Advances the change generation: the text changed in a way no record describes.
    void NoteUnrecordedChange() { AdvanceGeneration(); }

    // ---- files -------------------------------------------------------------------------------
    IoStatus LoadFile(const std::string& path, bool* hadNul = nullptr);
    // A text read, and perhaps converted, elsewhere, put in as LoadFile puts a file's text.
    void LoadText(std::string text, const std::string& path);
    IoStatus SaveFile(const std::string& path);
    std::string GetFilePath() const { return m_filePath; }
    // The text belongs to no file any more (New): Save then asks for a name instead of
    // writing over the book that was open before.
    void ForgetFilePath() { m_filePath.clear(); }
    // Puts back a text kept for recovery: exactly these bytes, the file it belonged to (may be
    // empty), caret at 0, modified.
    void RestoreText(std::string text, std::string filePath);

    // ---- appearance --------------------------------------------------------------------------
    void SetEditFont(int32_t sizeTenths, std::string face);
    std::string GetFontFace() const { return m_fontFace; }
    int32_t m_fontSize = 150;             // tenths of a point
    uint32_t m_textColor = 0x000000;      // 0xRRGGBB
    const uint32_t m_bgColor = 0xFFFFFF;  // never changed

  private:
    // The edit the newest record announced, by position and sizes: the record itself holds
    // the bytes, and a huge insertion need not be copied a second time to be recognised.
    struct Expected {
        int32_t pos;
        int32_t removedLen;
        size_t insertedLen;
    };
    // Every change of the text goes through here. A change no record describes advances the
    // generation; the observer is told unless the change came from the widget.
    void Change(int32_t pos, int32_t removedLen, std::string_view inserted, bool notify,
                bool covered = false);
    bool ConsumeExpected(int32_t pos, int32_t removedLen, size_t insertedLen);
    // Debug builds: the selection lies in the text, in order, and the text fits an int32_t.
    void AssertInvariants() const {
        assert(0 <= m_selStart && m_selStart <= m_selEnd && m_selEnd <= Length());
        assert(m_text.size() <= size_t{INT32_MAX});
    }
    void NotifySelection();
    void ResetText(std::string text, bool changed);
    // No record made so far can be replayed after this; their bytes go.
    void AdvanceGeneration() {
        ++m_generation;
        m_history.ReleaseBytes();
    }

    std::string m_text;
    int32_t m_selStart = 0;
    int32_t m_selEnd = 0;
    uint64_t m_state = 0;       // id of the text as it is now
    uint64_t m_nextState = 1;   // the next id never given out
    uint64_t m_cleanState = 0;  // id of the text last loaded or saved
    std::string m_filePath;
    std::string m_fontFace;

    UndoHistory m_history;
    bool m_historyEnabled = true;
    bool m_skipNextChar = false;
    uint64_t m_generation = 0;
    std::optional<Expected> m_expected;  // the edit the newest record announced
    bool m_inChar = false;               // between OnCharBegin and OnCharEnd
    bool m_charRecords = false;          // this character will be recorded
    int32_t m_charStart = 0;
    uint64_t m_charBefore = 0;  // text state before the character
    std::string m_charSelected;

    MemoryClipboard m_ownClipboard;
    IClipboard* m_clipboard = &m_ownClipboard;
    IEditObserver* m_observer = nullptr;
};

// Height of the font description the font dialog is opened with, from a size in tenths.
inline int32_t FontDialogHeight(int32_t sizeTenths) {
    return -((sizeTenths - 16) / 6);
}

}  // namespace qdm

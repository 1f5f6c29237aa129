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
    void SetText(std::string text);
    // SetText with a text made from the current one by `rewrite`, which may change the string
    // in place: a whole-text pass over a huge book need not copy it when little changes.
    template <typename F>
    void RewriteText(F&& rewrite) {
        std::string text = std::move(m_text);
        m_text.clear();
        rewrite(text);
        SetText(std::move(text));
    }
    void GetSelection(int32_t& start, int32_t& end) const {
        start = m_selStart;
        end = m_selEnd;
    }
    // end = -1 (or past the text) means the end of the text; start > end is swapped.
    void SetSelection(int32_t start, int32_t end);
    void ScrollToCaret();
    int32_t GetSelectedText(std::string& out) const;
    void GetTextAndSelection(std::string& text, int32_t& start, std::string& selected,
                             int32_t& length) const;
    void ReplaceSelection(std::string_view newText);
    // Bytes [pos, pos + length) become `inserted`, recorded as one ReplaceSelection step (so
    // one Undo restores them); the caret goes after the inserted bytes.
    void ReplaceRange(int32_t pos, int32_t length, std::string inserted);
    void CutSelection();
    bool IsModified() const { return m_modified; }
    void ClearModified() { m_modified = false; }

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
    bool SkipNextChar() const { return m_skipNextChar; }

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
    void NoteUnrecordedChange() { ++m_generation; }

    // ---- files -------------------------------------------------------------------------------
    IoStatus LoadFile(const std::string& path, bool* hadNul = nullptr);
    IoStatus SaveFile(const std::string& path);
    std::string GetFilePath() const { return m_filePath; }

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

    std::string m_text;
    int32_t m_selStart = 0;
    int32_t m_selEnd = 0;
    bool m_modified = false;
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

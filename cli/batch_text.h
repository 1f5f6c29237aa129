#pragma once
// One file's text in a CEditBox, the way the command-line tool works on it: nothing here can
// be undone or pasted, so the edit history is off and cut text is dropped. The results are
// the editor's, byte for byte, without holding copies of a whole book.
#include <string>
#include <string_view>

#include "cli/target.h"
#include "editor/clipboard.h"
#include "editor/edit_box.h"

namespace qdm::cli {

class DiscardClipboard : public IClipboard {
  public:
    void SetText(std::string_view) override {}
    std::string Text() const override { return {}; }
};

class BatchText {
  public:
    BatchText() {
        m_edit.SetHistoryEnabled(false);
        m_edit.SetClipboard(&m_clipboard);
    }
    BatchText(const BatchText&) = delete;
    BatchText& operator=(const BatchText&) = delete;

    // Reads the input ("-": standard input) as the editor reads a file: its bytes up to the
    // first NUL.
    IoStatus Load(const std::string& path) {
        FileText file;
        IoStatus status = ReadInputText(path, file);
        if (!status) return status;
        m_hadNul = file.hadNul;
        m_edit.SetText(std::move(file.text));
        m_edit.SetSelection(0, 0);
        return status;
    }
    bool HadNul() const { return m_hadNul; }
    CEditBox& Edit() { return m_edit; }
    std::string_view Text() const { return m_edit.Text(); }
    void Selection(int32_t& start, int32_t& end) const { m_edit.GetSelection(start, end); }

  private:
    DiscardClipboard m_clipboard;
    CEditBox m_edit;
    bool m_hadNul = false;
};

// Loads the input of a command that writes a result: reports a file error, and refuses a text
// cut at a NUL byte that would be written back over its own file.
inline bool LoadForRewrite(BatchText& doc, const std::string& in, const Target& target) {
    if (IoStatus status = doc.Load(in); !status) {
        PrintIoError(status);
        return false;
    }
    return !doc.HadNul() || AcceptNulText(in, target);
}

}  // namespace qdm::cli

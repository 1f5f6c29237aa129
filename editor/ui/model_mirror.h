#pragma once
// Keeps a QPlainTextEdit showing exactly the text of a CEditBox, which stays the truth.
//
// Model -> widget: the model reports each changed byte range; the mirror rewrites only the
// widget characters that differ. Widget -> model: the document reports a window of changed
// characters; the mirror diffs it against the model, encodes the new characters to GBK and
// hands the bytes to CEditBox::ApplyWidgetEdit. A character GBK cannot hold leaves the model
// untouched and the widget is put back as the model has it.
#include <QObject>
#include <optional>

#include "editor/edit_box.h"
#include "editor/unit_index.h"

class QPlainTextEdit;

namespace qdm::ui {

class ModelMirror : public QObject, private IEditObserver {
    Q_OBJECT
  public:
    ModelMirror(CEditBox& model, QPlainTextEdit& view);
    ~ModelMirror() override;

    // Model changes made between Begin and End reach the widget once, at the outermost End:
    // a whole-text rewrite followed by a caret move costs one widget update.
    void Begin();
    void End();

    // Makes the model's selection that of the widget, so model operations start from what
    // the user sees.
    void SyncSelectionToModel();
    // Puts back widget characters that a refused edit changed. Runs by itself from the event
    // loop; input handlers call it as soon as the widget has finished an edit.
    void Flush();

    int32_t ByteOfUnit(int32_t unit) const;
    int32_t UnitOfByte(int32_t byte) const;
    std::string_view Text() const { return m_model.Text(); }

  signals:
    // The widget showed a character GBK cannot hold; the message says which.
    void refused(const QString& message);
    // The model's text changed, by either side.
    void textChanged();
    // Told at once, batch or not: bytes [pos, pos + removed) became `inserted` bytes.
    void bytesReplaced(int32_t pos, int32_t removed, int32_t inserted);
    // Told at once: the whole text was replaced.
    void textReset();
    // The model's font or colours changed.
    void appearanceChanged();

  private:
    struct Resync {
        int32_t unit;
        int32_t widgetChars;  // characters the widget shows there now
        int32_t modelUnits;   // units the model holds there
    };
    // A contentsChange window in widget characters: [pos, oldEnd) before, [pos, newEnd) now.
    struct Window {
        int32_t pos;
        int32_t oldEnd;
        int32_t newEnd;
    };
    // What the user changed: `wasChars` characters from `first` became `now`.
    struct WidgetEdit {
        int32_t first;
        int32_t wasChars;
        QString now;
    };

    void OnTextReplaced(int32_t pos, int32_t removedLen, int32_t insertedLen) override;
    void OnTextReset() override;
    void OnSelectionChanged() override;
    void OnScrollToCaret() override;
    void OnAppearanceChanged() override;

    void OnContentsChange(int pos, int removed, int added);
    Window ClampWindow(int pos, int removed, int added) const;
    WidgetEdit ChangedMiddle(const Window& w) const;
    void ApplyToModel(const WidgetEdit& edit);
    void OnWidgetCursorMoved();
    // Carries out what a batch postponed, once no batch is open.
    void Settle();
    // Widget characters [unit, unit + widgetChars) become the units of model bytes
    // [byteFrom, byteTo); only the characters that differ are rewritten.
    void Rewrite(int32_t unit, int32_t widgetChars, int32_t byteFrom, int32_t byteTo);
    void Replace(int from, int to, const QString& chars);
    void ResetWidget();
    void ShowModelSelection();
    void ScheduleResync(const Resync& r);
    void QueueFlush();
    void CheckMirrored(const UnitChange& change, int32_t widgetChars);
    QString WidgetChars(int from, int to) const;

    CEditBox& m_model;
    QPlainTextEdit& m_view;
    UnitIndex m_index;

    bool m_writing = false;  // the mirror itself is changing the widget
    int m_batch = 0;
    bool m_resetPending = false;
    bool m_selectionPending = false;
    bool m_scrollPending = false;
    bool m_textChangedPending = false;
    std::optional<Resync> m_resync;
    bool m_flushQueued = false;
};

// Begin/End of ModelMirror for one scope.
class MirrorBatch {
  public:
    explicit MirrorBatch(ModelMirror& mirror) : m_mirror(mirror) { m_mirror.Begin(); }
    ~MirrorBatch() { m_mirror.End(); }
    MirrorBatch(const MirrorBatch&) = delete;
    MirrorBatch& operator=(const MirrorBatch&) = delete;

  private:
    ModelMirror& m_mirror;
};

}  // namespace qdm::ui

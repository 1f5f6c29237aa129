#pragma once
// Draws the tag strings of the visible part of the edit area in a colour per kind, a section
// number in bold. Only what is on screen is looked at, after each scroll, resize or edit, so a
// 100 MB book opens and types as fast as without it. The colours are the extra formats of the
// blocks' layouts (extra selections cannot change the weight), set only where they differ.
#include <QColor>
#include <QObject>
#include <QTextBlock>
#include <QTextLayout>
#include <vector>

class QTimer;

namespace qdm::ui {

class EditWidget;

class TagHighlighter : public QObject {
    Q_OBJECT
  public:
    explicit TagHighlighter(EditWidget& editor);

    void SetEnabled(bool enabled);
    bool Enabled() const { return m_enabled; }
    // Marks the visible tags now (a timer does it by itself after each change).
    void Apply();
    // Colour of kind 1 to 5.
    static QColor KindColor(int32_t kind);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct BlockRanges {
        QTextBlock block;
        QList<QTextLayout::FormatRange> ranges;
    };
    void Schedule();
    std::vector<BlockRanges> VisibleRanges() const;
    void SetRanges(QTextBlock block, const QList<QTextLayout::FormatRange>& ranges);

    EditWidget& m_editor;
    QTimer* m_timer = nullptr;
    bool m_enabled = true;
    std::vector<QTextBlock> m_coloured;  // blocks that may carry colours
};

}  // namespace qdm::ui

#pragma once
// The extra formats of the document view's lines (the tag colours): the formatter is asked for
// the blocks on screen only, after each scroll, resize or refresh, so a 100 MB book opens and
// types as fast as without it. The formats go into the blocks' layouts (extra selections
// cannot change the weight), set only where they differ.
#include <QObject>
#include <QTextBlock>
#include <vector>

#include "editor/ui/edit_area.h"

class QPlainTextEdit;
class QTimer;

namespace qdm::ui {

class ModelMirror;

class BlockFormats : public QObject {
    Q_OBJECT
  public:
    BlockFormats(QPlainTextEdit& view, const ModelMirror& mirror);

    // An empty formatter takes every format away.
    void SetFormatter(LineFormatter formatter);
    // Asks the formatter again for the blocks on screen.
    void Refresh();
    // Refreshes at the next turn of the event loop (what is on screen moved).
    void Schedule();

  private:
    std::vector<QTextBlock> VisibleBlocks() const;
    QList<QTextLayout::FormatRange> FormatsOf(const QTextBlock& block) const;
    void SetRanges(const QTextBlock& block, const QList<QTextLayout::FormatRange>& ranges);
    void ClearColoured();

    QPlainTextEdit& m_view;
    const ModelMirror& m_mirror;
    LineFormatter m_formatter;
    QTimer* m_timer = nullptr;
    std::vector<QTextBlock> m_coloured;  // blocks that may carry formats
};

}  // namespace qdm::ui

#pragma once
// Find and replace on the edit area: what the 查找和替换 dialog and F3 ask for, carried out on
// the model (the truth) and shown by the edit area. The search text is converted to GBK
// once per request; a character GBK cannot hold is refused with a message box.
#include <QObject>
#include <QString>
#include <optional>

#include "editor/find.h"

namespace qdm::ui {

class IEditArea;
class IPrompter;

struct FindRequest {
    QString pattern, replacement;
    bool matchCase = false;
    bool wholeWord = false;
    bool backward = false;
    bool inSelection = false;  // only inside the range taken with TakeRange
};

class FindSession : public QObject {
    Q_OBJECT
  public:
    FindSession(IEditArea& area, IPrompter& prompter);

    // The range that 在选定范围内 searches: the selection as it is now. Replacements inside
    // it keep it up to date; it never grows past the text.
    void TakeRange();
    bool HasRange() const { return m_rangeEnd > m_rangeStart; }

    // Selects the next match after the selection (before it, going up); false when none.
    bool FindNext(const FindRequest& request);
    // Replaces the selection when it is a match, then finds the next one.
    bool Replace(const FindRequest& request);
    // Replaces every match (in the range, or the whole text) as one step of the history;
    // returns how many, -1 when refused.
    int ReplaceAll(const FindRequest& request);
    // F3 and Shift+F3: the last search again, downwards or upwards; false when there was
    // none yet.
    bool Repeat(bool backward);
    const std::optional<FindRequest>& Last() const { return m_last; }

  signals:
    // A short report for the status bar (and the dialog).
    void status(const QString& text);

  private:
    // The finder of a request, or nothing when GBK cannot hold the text (the user is told).
    std::optional<CTextFinder> Prepare(const FindRequest& request, std::string* replacement);
    void ClampRange();
    void NotFound(const FindRequest& request);

    IEditArea& m_area;
    IPrompter& m_prompter;
    std::optional<FindRequest> m_last;
    int32_t m_rangeStart = 0, m_rangeEnd = 0;
};

}  // namespace qdm::ui

#pragma once
// An input limit counted in GBK bytes, as the dictionary file stores the text: a Chinese
// character takes two bytes, a Latin letter one. Typing stops at the limit, and a paste keeps
// as much of its beginning as fits. Characters GBK cannot hold and line breaks are refused.
#include <QValidator>

namespace qdm::ui {

class GbkLimitValidator : public QValidator {
    Q_OBJECT

  public:
    GbkLimitValidator(int maxBytes, QObject* parent);
    State validate(QString& input, int& pos) const override;

  private:
    int m_maxBytes;
};

// GBK bytes of `text`, or -1 when a character of it has none.
int GbkByteLength(const QString& text);

}  // namespace qdm::ui

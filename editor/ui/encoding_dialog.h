#pragma once
// "文件编码转换": shown before a book in another encoding than GBK is loaded. The user sees the
// detected encoding (and may pick another), what GBK cannot hold and where, the substitute,
// the line-break and Traditional-to-Simplified choices and a preview of the first lines, and
// converts or cancels. The dialog goes through an interface so tests answer it without a modal
// loop.
#include <QDialog>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "editor/encoding.h"
#include "editor/encoding_convert.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace qdm::ui {

// The text as the user confirmed it: a GBK text and what it was converted from. A GBK file
// with nothing to change is loaded from its own bytes, as any GBK book is (`fileBytes`, the
// text empty); with the line breaks or Traditional characters to change, it comes as a text
// like any other.
struct ConfirmedText : qdm::Conversion {
    bool fileBytes = false;
};

class IEncodingPrompter {
  public:
    virtual ~IEncodingPrompter() = default;
    // nullopt: cancelled, nothing is to change.
    virtual std::optional<ConfirmedText> Ask(const QString& path, std::string_view bytes,
                                             qdm::Encoding detected) = 0;
};

class EncodingDialog : public QDialog {
    Q_OBJECT
  public:
    EncodingDialog(QWidget* parent, const QString& path, std::string_view bytes,
                   qdm::Encoding detected);

    // The widgets, for tests that answer the dialog as a user would.
    QComboBox& EncodingBox() { return *m_encoding; }
    QLineEdit& SubstituteEdit() { return *m_substitute; }
    QCheckBox& CrLfBox() { return *m_crlf; }
    QCheckBox& T2sBox() { return *m_t2s; }
    QPushButton& ConvertButton() { return *m_convert; }
    QString UnmappableText() const;
    QString PreviewText() const;
    QStringList ListedCharacters() const;

    // The conversion as the widgets stand now (previewed at once if a change is pending).
    ConfirmedText TakeResult();

  private:
    void Schedule();
    void Preview();
    qdm::Encoding Chosen() const;

    std::string_view m_bytes;
    ConfirmedText m_result;
    QComboBox* m_encoding = nullptr;
    QLabel* m_unmappable = nullptr;
    QListWidget* m_listed = nullptr;
    QLineEdit* m_substitute = nullptr;
    QLabel* m_substituteError = nullptr;
    QCheckBox* m_crlf = nullptr;
    QCheckBox* m_t2s = nullptr;
    QPlainTextEdit* m_preview = nullptr;
    QPushButton* m_convert = nullptr;
    QTimer* m_timer = nullptr;
};

class QtEncodingPrompter : public IEncodingPrompter {
  public:
    explicit QtEncodingPrompter(QWidget* owner) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }
    std::optional<ConfirmedText> Ask(const QString& path, std::string_view bytes,
                                     qdm::Encoding detected) override;

  private:
    QWidget* m_owner;
};

// "已从 UTF-8 转换为 GBK，替换 N 个字符": what the status bar says after a conversion (a GBK
// text whose line breaks or characters were changed says so in its own words).
QString ConversionStatus(const qdm::ConversionReport& report);

}  // namespace qdm::ui

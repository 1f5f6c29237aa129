#include "editor/ui/encoding_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "editor/gbk.h"
#include "editor/t2s.h"
#include "editor/utf8.h"
#include "uikit/qt_text.h"
#include "uikit/window_place.h"

namespace qdm::ui {
namespace {

constexpr qdm::Encoding kChoices[] = {qdm::Encoding::Gbk,     qdm::Encoding::Utf8,
                                      qdm::Encoding::Utf16Le, qdm::Encoding::Utf16Be,
                                      qdm::Encoding::Gb18030, qdm::Encoding::Big5};

QString Label(qdm::Encoding encoding) {
    return QString::fromLatin1(qdm::EncodingLabel(encoding).data(),
                               static_cast<int>(qdm::EncodingLabel(encoding).size()));
}

// The first lines of a GBK text, as the edit area will show them.
constexpr int kPreviewLines = 30;
constexpr size_t kPreviewBytes = 16 * 1024;
QString FirstLines(std::string_view gbkText) {
    size_t end = 0;
    for (int line = 0; line < kPreviewLines && end < gbkText.size(); ++line) {
        const size_t lf = gbkText.find('\n', end);
        end = lf == std::string_view::npos ? gbkText.size() : lf + 1;
    }
    end = std::min(end, kPreviewBytes);
    while (end > 0 && end < gbkText.size() && !qdm::gbk::IsBoundary(gbkText, end)) --end;
    return QFromGbk(gbkText.substr(0, end));
}

QString Listed(const qdm::LostChar& lost) {
    const QString code = QString::fromStdString(qdm::CodepointName(lost.codepoint));
    const bool surrogate = lost.codepoint >= 0xD800 && lost.codepoint <= 0xDFFF;
    const QString shown = lost.malformed || surrogate ? QStringLiteral("无效字节")
                                                      : QString::fromUcs4(&lost.codepoint, 1);
    return QStringLiteral("%1  %2  第 %3 行 第 %4 列")
        .arg(shown, code)
        .arg(lost.line)
        .arg(lost.column);
}

}  // namespace

QString ConversionStatus(const qdm::ConversionReport& report) {
    if (report.from == qdm::Encoding::Gbk)
        return QStringLiteral("已按所选选项载入 GBK 文本，改写换行 %1 处，替换 %2 个字符")
            .arg(report.newlines)
            .arg(report.unmappable);
    return QStringLiteral("已从 %1 转换为 GBK，替换 %2 个字符")
        .arg(Label(report.from))
        .arg(report.unmappable);
}

EncodingDialog::EncodingDialog(QWidget* parent, const QString& path, std::string_view bytes,
                               qdm::Encoding detected)
    : QDialog(parent), m_bytes(bytes) {
    setWindowTitle(QStringLiteral("文件编码转换"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    const QString name = QFileInfo(path).fileName();
    auto* intro =
        new QLabel(detected == qdm::Encoding::Gbk
                       ? QStringLiteral("“%1”看起来是 GBK 编码的文本。显示不对时请选择它的编码；"
                                        "载入的文本与下面的预览相同。原文件不会被改动。")
                             .arg(name)
                       : QStringLiteral("“%1”不是 GBK 编码的文本，转换为 GBK 后载入。"
                                        "原文件不会被改动。")
                             .arg(name));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* form = new QFormLayout;
    m_encoding = new QComboBox;
    for (qdm::Encoding e : kChoices) m_encoding->addItem(Label(e), static_cast<int>(e));
    m_encoding->setCurrentIndex(m_encoding->findData(static_cast<int>(detected)));
    form->addRow(QStringLiteral("编码（检测结果：%1）：").arg(Label(detected)), m_encoding);
    m_substitute = new QLineEdit(QStringLiteral("?"));
    m_substitute->setPlaceholderText(QStringLiteral("空：删掉这些字符"));
    form->addRow(QStringLiteral("替换为："), m_substitute);
    m_substituteError = new QLabel;
    m_substituteError->setStyleSheet(QStringLiteral("color: #b00000"));
    m_substituteError->hide();
    form->addRow(QString(), m_substituteError);
    layout->addLayout(form);

    m_crlf = new QCheckBox(QStringLiteral("换行改为 CR LF"));
    m_crlf->setChecked(true);
    m_t2s = new QCheckBox(QStringLiteral("繁体转简体"));
    if (!qdm::T2sAvailable()) {
        m_t2s->setEnabled(false);
        m_t2s->setToolTip(QStringLiteral("没有可用的 OpenCC"));
    }
    layout->addWidget(m_crlf);
    layout->addWidget(m_t2s);

    m_unmappable = new QLabel;
    layout->addWidget(m_unmappable);
    m_listed = new QListWidget;
    m_listed->setMaximumHeight(110);
    layout->addWidget(m_listed);
    layout->addWidget(new QLabel(QStringLiteral("预览：")));
    m_preview = new QPlainTextEdit;
    m_preview->setReadOnly(true);
    m_preview->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(m_preview, 1);

    auto* buttons = new QDialogButtonBox;
    m_convert = buttons->addButton(QStringLiteral("转换"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    m_convert->setDefault(true);
    m_convert->setAutoDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // Typing in the substitute field re-previews once the typing pauses.
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(250);
    connect(m_timer, &QTimer::timeout, this, &EncodingDialog::Preview);
    connect(m_substitute, &QLineEdit::textChanged, this, &EncodingDialog::Schedule);
    connect(m_encoding, &QComboBox::currentIndexChanged, this, &EncodingDialog::Preview);
    connect(m_crlf, &QCheckBox::toggled, this, &EncodingDialog::Preview);
    connect(m_t2s, &QCheckBox::toggled, this, &EncodingDialog::Preview);
    resize(640, 560);
    Preview();
}

qdm::Encoding EncodingDialog::Chosen() const {
    return static_cast<qdm::Encoding>(m_encoding->currentData().toInt());
}

void EncodingDialog::Schedule() {
    m_timer->start();
}

void EncodingDialog::Preview() {
    m_timer->stop();
    qdm::ConvertOptions options;
    const QString sub = m_substitute->text();
    options.substitute = GbkFromQ(sub);
    const bool subOk = QFromGbk(options.substitute) == sub;
    m_substituteError->setText(QStringLiteral("替换文字必须是 GBK 能表示的字符"));
    m_substituteError->setVisible(!subOk);
    m_convert->setEnabled(subOk);
    options.keepNewlines = !m_crlf->isChecked();
    options.t2s = m_t2s->isChecked();

    const qdm::Encoding encoding = Chosen();
    m_result = ConfirmedText{};
    std::string error;
    if (encoding == qdm::Encoding::Gbk && !options.t2s && options.keepNewlines) {
        // GBK stays bytes, exactly as a GBK file opens: the caller loads them itself.
        m_result.report.from = qdm::Encoding::Gbk;
        m_result.fileBytes = true;
    } else if (encoding == qdm::Encoding::Gbk && !options.t2s) {
        m_result.report.from = qdm::Encoding::Gbk;
        m_result.text = qdm::GbkWithCrLf(m_bytes, m_result.report.newlines);
    } else if (!qdm::ConvertToGbk(m_bytes, encoding, options, m_result, error)) {
        m_t2s->setChecked(false);
        m_t2s->setEnabled(false);
        m_t2s->setToolTip(QString::fromStdString(error));
        return;  // unchecking previews again
    }
    const qdm::ConversionReport& report = m_result.report;
    m_unmappable->setText(
        QStringLiteral("GBK 无法表示的字符：%1 个%2")
            .arg(report.unmappable)
            .arg(report.unmappable > static_cast<int64_t>(report.examples.size())
                     ? QStringLiteral("（列出前 %1 个）").arg(report.examples.size())
                     : QString()));
    m_listed->clear();
    for (const qdm::LostChar& lost : report.examples) m_listed->addItem(Listed(lost));
    // As the text will load: a GBK text ends before its first NUL.
    const std::string_view shown = m_result.fileBytes ? m_bytes : std::string_view(m_result.text);
    m_preview->setPlainText(
        FirstLines(report.from == qdm::Encoding::Gbk ? shown.substr(0, shown.find('\0')) : shown));
}

ConfirmedText EncodingDialog::TakeResult() {
    if (m_timer->isActive()) Preview();
    return std::move(m_result);
}

QString EncodingDialog::UnmappableText() const {
    return m_unmappable->text();
}

QString EncodingDialog::PreviewText() const {
    return m_preview->toPlainText();
}

QStringList EncodingDialog::ListedCharacters() const {
    QStringList items;
    for (int i = 0; i < m_listed->count(); ++i) items << m_listed->item(i)->text();
    return items;
}

std::optional<ConfirmedText> QtEncodingPrompter::Ask(const QString& path, std::string_view bytes,
                                                     qdm::Encoding detected) {
    EncodingDialog dialog(m_owner, path, bytes, detected);
    PlaceOver(&dialog, m_owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.TakeResult();
}

}  // namespace qdm::ui

#include "polyphone/ui/dialog_poly_procing.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "polyphone/poly_rows.h"
#include "uikit/qt_text.h"
#include "uikit/template_layout.h"

namespace qdm::ui {
namespace {

constexpr int kMaxFieldBytes = 50;
constexpr int64_t kMaxCount = 999999999;

QLineEdit* ReadOnlyField(QWidget* parent, const char* name) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setObjectName(QLatin1String(name));
    return field;
}

}  // namespace

CDialogPOLYP_PROCING::CDialogPOLYP_PROCING(std::string* text, const CPolyDict& dict,
                                           PolyMessageBox box, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_text(text),
      m_dict(dict),
      m_dictReadable(dict.Snapshot()->Readable()),
      m_entryTotal(dict.CountEntries()),
      m_stepper(dict),
      m_budget(std::chrono::milliseconds(10)),
      m_box(OrRealBox(std::move(box))) {
    BuildControls();
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(1);
    connect(m_timer, &QTimer::timeout, this, &CDialogPOLYP_PROCING::OnTimer);
}

CDialogPOLYP_PROCING::~CDialogPOLYP_PROCING() {
    FinishRun();
}

void CDialogPOLYP_PROCING::BuildControls() {
    setWindowTitle(QLit("正在进行多音字处理"));
    setFont(TemplateFont({QLit("华文中宋"), QStringLiteral("Noto Serif CJK SC")}, 12));
    const TemplateLayout du(this);

    // The template's frame line runs through the middle of its (blank) title.
    du.Place(new QGroupBox(this), 7, 11, 254, 90);
    auto* slogan = new QLabel(QLit("好书伴我行，Norvane电子书！"), this);
    du.Place(slogan, 95, 16, 80, 8);
    du.Place(new QLabel(QLit("正在处理"), this), 18, 39, 31, 8);
    m_word = ReadOnlyField(this, "word");
    du.Place(m_word, 56, 37, 69, 14);
    du.Place(new QLabel(QStringLiteral("======>>"), this), 141, 40, 31, 8);
    m_replacement = ReadOnlyField(this, "replacement");
    du.Place(m_replacement, 184, 37, 69, 14);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    du.Place(m_progress, 15, 58, 203, 14);
    m_percentText = ReadOnlyField(this, "percent");
    m_percentText->setText(QStringLiteral("0%"));
    du.Place(m_percentText, 223, 58, 30, 14);
    du.Place(new QLabel(QLit("处理个数"), this), 17, 84, 31, 8);
    m_countText = ReadOnlyField(this, "count");
    m_countText->setText(QStringLiteral("0"));
    du.Place(m_countText, 52, 82, 40, 14);
    m_cancel = new QPushButton(QLit("取消本次操作"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    du.Place(m_cancel, 128, 82, 50, 14);
    m_ok = new QPushButton(QLit("确定"), this);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setEnabled(false);
    du.Place(m_ok, 204, 82, 50, 14);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    du.Fit(268, 112);
    m_cancel->setFocus();
}

void CDialogPOLYP_PROCING::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_finished && !m_timer->isActive()) m_timer->start();
}

void CDialogPOLYP_PROCING::OnTimer() {
    if (m_finished) return;
    PolyStepReport report;
    if (m_budget == PolyBudget::zero()) {
        report.exhausted = !m_stepper.Step(*m_text);
        report.applied = report.exhausted ? 0 : 1;
        report.replacements = report.exhausted ? 0 : m_stepper.LastCount();
    } else {
        if (!m_stepper.Running()) m_stepper.Begin(std::move(*m_text));
        report = m_stepper.StepFor(m_budget);
    }
    if (report.exhausted && m_dictReadable && !m_dict.Snapshot()->Readable())
        return StopForLostDictionary();
    m_count += report.replacements;
    if (report.applied > 0) {
        if (m_entryTotal > 0) {
            m_percent = std::min(100, m_stepper.Index() * 100 / m_entryTotal);
            m_progress->setValue(m_percent);
            m_percentText->setText(QString::number(m_percent) + QLatin1Char('%'));
        }
        m_word->setText(QFromGbk(m_stepper.Word()));
        m_replacement->setText(QFromGbk(m_stepper.Replacement()));
        m_countText->setText(QString::number(m_count));
    }
    if (report.exhausted) ShowFinalState();
}

void CDialogPOLYP_PROCING::ShowFinalState() {
    m_finished = true;
    m_timer->stop();
    FinishRun();
    m_percent = 100;
    m_progress->setValue(100);
    m_percentText->setText(QStringLiteral("100%"));
    m_ok->setEnabled(true);
    m_ok->setDefault(true);
    m_ok->setFocus();
}

void CDialogPOLYP_PROCING::StopForLostDictionary() {
    m_timer->stop();
    m_dictLost = true;
    m_box(this,
          QLit("无法再读取多音字词典，处理中止，文本未改动:") + QLatin1Char('\n') +
              QFromPath(PolyDictReadProblem(m_dict)),
          QFromGbk(PolyWarningCaption()));
    reject();
}

void CDialogPOLYP_PROCING::FinishRun() {
    if (m_stepper.Running()) *m_text = m_stepper.TakeText();
}

void CDialogPOLYP_PROCING::accept() {
    if (!m_finished) return;
    const auto tooLong = [](const std::string& s) { return s.size() > kMaxFieldBytes; };
    QLineEdit* bad = nullptr;
    QString message;
    if (tooLong(m_stepper.Word()) || tooLong(m_stepper.Replacement())) {
        bad = tooLong(m_stepper.Word()) ? m_word : m_replacement;
        message = QLit("请输入不超过 50 个字节。");
    } else if (m_count < 0 || m_count > kMaxCount) {
        bad = m_countText;
        message = QLit("请输入一个介于 0 和 999999999 之间的整数。");
    }
    if (bad) {
        m_box(this, message, windowTitle());
        bad->setFocus();
        bad->selectAll();
        return;
    }
    QDialog::accept();
}

void CDialogPOLYP_PROCING::done(int result) {
    m_timer->stop();
    FinishRun();
    QDialog::done(result);
}

}  // namespace qdm::ui

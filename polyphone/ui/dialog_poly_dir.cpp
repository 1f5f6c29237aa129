#include "polyphone/ui/dialog_poly_dir.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <chrono>

#include "polyphone/poly_rows.h"
#include "uikit/qt_text.h"
#include "uikit/template_layout.h"

namespace qdm::ui {
namespace {

QLineEdit* ReadOnlyField(QWidget* parent, const char* name) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setObjectName(QLatin1String(name));
    return field;
}

// The tooltip names this many skipped files at most.
constexpr int kSkippedListed = 30;
// The template, and below it the list of skipped files that the final state may show.
constexpr int kTemplateWidth = 335;
constexpr int kTemplateHeight = 179;
constexpr int kListHeight = 56;

}  // namespace

CDialogPolyDir::CDialogPolyDir(const CPolyDict& dict, const std::string& directory,
                               PolyMessageBox box, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_dict(dict),
      m_box(OrRealBox(std::move(box))),
      m_batch(dict, directory),
      m_budget(std::chrono::milliseconds(10)) {
    BuildControls();
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(1);
    connect(m_timer, &QTimer::timeout, this, &CDialogPolyDir::OnTimer);
    Refresh();
}

// The batch's own destructor stops and waits for the walker.
CDialogPolyDir::~CDialogPolyDir() = default;

void CDialogPolyDir::BuildControls() {
    setWindowTitle(QLit("正在进行多音字目录处理"));
    setFont(FitOnScreen(TemplateFont({QLit("隶书"), QStringLiteral("Noto Serif CJK SC")}, 12),
                        kTemplateWidth, kTemplateHeight + kListHeight, this));
    const TemplateLayout du(this);

    // The template's frame line runs through the middle of its (empty) title.
    du.Place(new QGroupBox(this), 7, 11, 321, 161);
    du.Place(new QLabel(QLit("好书伴我行，Norvane电子书！"), this), 99, 14, 133, 12);
    du.Place(new QLabel(QLit("目录"), this), 16, 38, 44, 12);
    m_directory = ReadOnlyField(this, "directory");
    du.Place(m_directory, 66, 36, 247, 15);
    du.Place(new QLabel(QLit("当前文件"), this), 16, 57, 44, 12);
    m_currentFile = ReadOnlyField(this, "currentFile");
    du.Place(m_currentFile, 66, 55, 247, 15);
    du.Place(new QLabel(QLit("正在处理"), this), 16, 78, 40, 12);
    m_word = ReadOnlyField(this, "word");
    du.Place(m_word, 66, 76, 80, 14);
    du.Place(new QLabel(QStringLiteral("======>>"), this), 153, 79, 38, 12);
    m_replacement = ReadOnlyField(this, "replacement");
    du.Place(m_replacement, 192, 76, 121, 15);
    // Wider than the template's 62 units: the final status also names the skipped files.
    m_status = ReadOnlyField(this, "status");
    du.Place(m_status, 16, 104, 150, 16);
    du.Place(new QLabel(QLit("已处理文件个数"), this), 182, 107, 57, 8);
    m_filesDone = ReadOnlyField(this, "filesDone");
    du.Place(m_filesDone, 246, 104, 67, 16);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    du.Place(m_progress, 16, 127, 260, 16);
    m_percent = ReadOnlyField(this, "percent");
    du.Place(m_percent, 285, 127, 17, 16);
    du.Place(new QLabel(QStringLiteral("%"), this), 307, 131, 8, 8);
    du.Place(new QLabel(QLit("词组处理个数"), this), 16, 151, 53, 12);
    m_wordsReplaced = ReadOnlyField(this, "wordsReplaced");
    du.Place(m_wordsReplaced, 69, 148, 47, 16);
    m_interrupt = new QPushButton(QLit("中断本次操作"), this);
    m_interrupt->setObjectName(QStringLiteral("interrupt"));
    du.Place(m_interrupt, 131, 148, 83, 16);
    m_ok = new QPushButton(QLit("确定"), this);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setEnabled(false);
    du.Place(m_ok, 230, 148, 83, 16);
    connect(m_interrupt, &QPushButton::clicked, this, &CDialogPolyDir::reject);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    m_skippedList = new QPlainTextEdit(this);
    m_skippedList->setObjectName(QStringLiteral("skippedList"));
    m_skippedList->setReadOnly(true);
    m_skippedList->setLineWrapMode(QPlainTextEdit::NoWrap);
    du.Place(m_skippedList, 7, kTemplateHeight - 4, 321, kListHeight - 3);
    m_skippedList->hide();
    du.Fit(kTemplateWidth, kTemplateHeight);
    m_interrupt->setFocus();
}

void CDialogPolyDir::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!IsOver() && !m_timer->isActive()) {
        m_batch.Start();
        m_timer->start();
    }
}

void CDialogPolyDir::OnTimer() {
    if (Progress().state == PolyDirState::Interrupted || IsOver()) return;
    m_batch.Tick(m_budget);
    for (const PolyFileResult& r : m_batch.TakeResults()) {
        if (!r.Done())
            m_skipped << QFromPath(r.relative) + QStringLiteral(": ") +
                             QString::fromStdString(r.Reason());
    }
    Refresh();
    if (IsFinished()) ShowFinalState();
    if (Progress().state == PolyDirState::DictionaryLost) ShowDictionaryLost();
}

void CDialogPolyDir::Refresh() {
    const PolyDirProgress& p = Progress();
    m_directory->setText(QFromPath(p.directory));
    m_currentFile->setText(QFromPath(p.currentFile));
    m_word->setText(QFromGbk(p.word));
    m_replacement->setText(QFromGbk(p.replacement));
    m_filesDone->setText(QString::number(p.filesDone));
    m_progress->setValue(p.percent);
    m_percent->setText(QString::number(p.percent));
    m_wordsReplaced->setText(QString::number(p.wordsReplaced));
    if (!IsFinished()) m_status->setText(QLit("处理进行中"));
}

void CDialogPolyDir::ShowFinalState() {
    m_timer->stop();
    const int skipped = Progress().filesSkipped;
    QString status = QLit("处理完成");
    if (skipped > 0) {
        status += QLit("，跳过%1个文件").arg(skipped);
        QStringList listed = m_skipped.mid(0, kSkippedListed);
        if (m_skipped.size() > kSkippedListed) listed << QStringLiteral("…");
        m_status->setToolTip(listed.join(QLatin1Char('\n')));
        // Every one, with its reason, where the user sees it without looking for it.
        m_skippedList->setPlainText(QLit("跳过的文件:\n") + m_skipped.join(QLatin1Char('\n')));
        m_skippedList->show();
        TemplateLayout(this).Fit(kTemplateWidth, kTemplateHeight + kListHeight);
    }
    m_status->setText(status);
    m_interrupt->setEnabled(false);
    m_ok->setEnabled(true);
    m_ok->setDefault(true);
    m_ok->setFocus();
}

// A run without its dictionary would count every later file as done with nothing replaced.
void CDialogPolyDir::ShowDictionaryLost() {
    m_timer->stop();
    m_status->setText(QLit("处理中止：无法读取多音字词典"));
    m_interrupt->setEnabled(false);
    m_ok->setEnabled(true);
    m_ok->setDefault(true);
    m_ok->setFocus();
    m_box(this,
          QLit("无法再读取多音字词典，处理中止:") + QLatin1Char('\n') +
              QFromPath(PolyDictReadProblem(m_dict)) + QLatin1Char('\n') +
              QLit("已处理%1个文件，其余文件未改动。").arg(Progress().filesDone),
          QFromGbk(PolyWarningCaption()));
}

void CDialogPolyDir::reject() {
    m_timer->stop();
    if (!IsOver()) m_batch.Interrupt();
    QDialog::reject();
}

}  // namespace qdm::ui

#include "editor/ui/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "uikit/dialog_units.h"

namespace qdm::ui {
namespace {

// A selection longer than this is not offered as the search text.
constexpr qsizetype kLongestPrefill = 100;

template <typename W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

FindReplaceDialog::FindReplaceDialog(FindSession& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setWindowTitle(QStringLiteral("查找和替换"));
    setFont(FormFont());
    setModal(false);

    m_find = Named(new QLineEdit, "findText");
    m_replace = Named(new QLineEdit, "replaceText");
    auto* fields = new QGridLayout;
    auto* findLabel = new QLabel(QStringLiteral("查找内容(&N):"));
    auto* replaceLabel = new QLabel(QStringLiteral("替换为(&P):"));
    findLabel->setBuddy(m_find);
    replaceLabel->setBuddy(m_replace);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_find, 0, 1);
    fields->addWidget(replaceLabel, 1, 0);
    fields->addWidget(m_replace, 1, 1);

    m_matchCase = Named(new QCheckBox(QStringLiteral("区分大小写")), "matchCase");
    m_wholeWord = Named(new QCheckBox(QStringLiteral("全字匹配")), "wholeWord");
    m_inSelection = Named(new QCheckBox(QStringLiteral("在选定范围内")), "inSelection");
    m_up = Named(new QRadioButton(QStringLiteral("向上")), "up");
    m_down = Named(new QRadioButton(QStringLiteral("向下")), "down");
    m_down->setChecked(true);
    auto* direction = new QGroupBox(QStringLiteral("方向"));
    auto* dirLayout = new QHBoxLayout(direction);
    dirLayout->addWidget(m_up);
    dirLayout->addWidget(m_down);
    auto* options = new QVBoxLayout;
    options->addWidget(m_matchCase);
    options->addWidget(m_wholeWord);
    options->addWidget(m_inSelection);
    auto* lower = new QHBoxLayout;
    lower->addLayout(options);
    lower->addWidget(direction);

    m_findNext = Named(new QPushButton(QStringLiteral("查找下一个(&F)")), "findNext");
    m_replaceOne = Named(new QPushButton(QStringLiteral("替换(&R)")), "replace");
    m_replaceAll = Named(new QPushButton(QStringLiteral("全部替换(&A)")), "replaceAll");
    auto* close = Named(new QPushButton(QStringLiteral("关闭")), "close");
    m_findNext->setDefault(true);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {m_findNext, m_replaceOne, m_replaceAll, close}) buttons->addWidget(b);
    buttons->addStretch();

    m_status = Named(new QLabel, "status");
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(lower);
    left->addWidget(m_status);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(buttons);

    connect(m_find, &QLineEdit::textChanged, this, &FindReplaceDialog::UpdateButtons);
    connect(m_inSelection, &QCheckBox::toggled, this, &FindReplaceDialog::OnInSelectionToggled);
    connect(m_findNext, &QPushButton::clicked, this, [this] { m_session.FindNext(Request()); });
    connect(m_replaceOne, &QPushButton::clicked, this, [this] { m_session.Replace(Request()); });
    connect(m_replaceAll, &QPushButton::clicked, this, [this] { m_session.ReplaceAll(Request()); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_session, &FindSession::status, m_status, &QLabel::setText);
    UpdateButtons();
}

void FindReplaceDialog::Present(const QString& selected) {
    const bool lines = selected.contains(QChar::ParagraphSeparator);
    if (!selected.isEmpty() && !lines && selected.size() <= kLongestPrefill)
        m_find->setText(selected);
    if (lines != m_inSelection->isChecked())
        m_inSelection->setChecked(lines);
    else if (lines)
        m_session.TakeRange();
    m_status->clear();
    show();
    raise();
    activateWindow();
    m_find->setFocus(Qt::ShortcutFocusReason);
    m_find->selectAll();
}

FindRequest FindReplaceDialog::Request() const {
    FindRequest r;
    r.pattern = m_find->text();
    r.replacement = m_replace->text();
    r.matchCase = m_matchCase->isChecked();
    r.wholeWord = m_wholeWord->isChecked();
    r.backward = m_up->isChecked();
    r.inSelection = m_inSelection->isChecked();
    return r;
}

void FindReplaceDialog::UpdateButtons() {
    const bool any = !m_find->text().isEmpty();
    for (QPushButton* b : {m_findNext, m_replaceOne, m_replaceAll}) b->setEnabled(any);
}

void FindReplaceDialog::OnInSelectionToggled(bool on) {
    if (!on) return;
    m_session.TakeRange();
    if (!m_session.HasRange()) {
        m_status->setText(QStringLiteral("没有选定范围"));
        m_inSelection->setChecked(false);
    }
}

void FindReplaceDialog::keyPressEvent(QKeyEvent* e) {
    // F3 and Shift+F3 search again from here as they do from the edit area.
    if (e->key() == Qt::Key_F3 && (e->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier) {
        FindRequest r = Request();
        r.backward = e->modifiers() & Qt::ShiftModifier;
        if (!r.pattern.isEmpty()) m_session.FindNext(r);
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace qdm::ui

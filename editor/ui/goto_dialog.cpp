#include "editor/ui/goto_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

#include "uikit/dialog_units.h"

namespace qdm::ui {

GoToDialog::GoToDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("转到"));
    setFont(FormFont());
    m_line = new QRadioButton(QStringLiteral("行"));
    m_section = new QRadioButton(QStringLiteral("段落"));
    m_line->setObjectName(QStringLiteral("line"));
    m_section->setObjectName(QStringLiteral("section"));
    m_line->setChecked(true);
    m_number = new QSpinBox;
    m_number->setObjectName(QStringLiteral("number"));
    m_number->setRange(1, std::numeric_limits<int>::max());
    m_number->setButtonSymbols(QAbstractSpinBox::NoButtons);

    auto* kinds = new QHBoxLayout;
    kinds->addWidget(m_line);
    kinds->addWidget(m_section);
    kinds->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* label = new QLabel(QStringLiteral("编号(&N):"));
    label->setBuddy(m_number);
    auto* number = new QHBoxLayout;
    number->addWidget(label);
    number->addWidget(m_number, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(kinds);
    layout->addLayout(number);
    layout->addWidget(buttons);
    m_number->setFocus();
    m_number->selectAll();
}

bool GoToDialog::ToSection() const {
    return m_section->isChecked();
}

int GoToDialog::Number() const {
    return m_number->value();
}

}  // namespace qdm::ui

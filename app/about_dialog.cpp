#include "app/about_dialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "app/toolbar_icons.h"
#include "app/version.h"

namespace mked {
namespace {

// Dialog units of the box's font: a quarter of the average character width across, an
// eighth of the character height down.
QRect Units(const QFontMetrics& fm, int x, int y, int w, int h) {
    const double bx = fm.averageCharWidth() / 4.0, by = fm.height() / 8.0;
    return QRect(qRound(x * bx), qRound(y * by), qRound(w * bx), qRound(h * by));
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于 QDM智能编辑器"));
    QFont font(QStringLiteral("宋体"));
    font.setPointSize(9);
    setFont(font);
    const QFontMetrics fm(font);

    auto* icon = new QLabel(this);
    const QRect iconRect = Units(fm, 11, 17, 20, 20);
    icon->setGeometry(iconRect);
    icon->setPixmap(AppIcon().pixmap(iconRect.size().boundedTo(QSize(32, 32))));

    // Shown as it is: no mnemonic processing, the TAB kept as a gap.
    auto* text = new QLabel(QString::fromUtf8(kAboutText).replace(u'\t', QStringLiteral("    ")),
                            this);
    text->setTextFormat(Qt::PlainText);
    text->setGeometry(Units(fm, 40, 10, 119, 8).adjusted(0, 0, 0, fm.height() / 2));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setGeometry(Units(fm, 178, 7, 50, 16));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(Units(fm, 0, 0, 235, 55).size());
}

}  // namespace mked

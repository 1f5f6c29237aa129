#include "app/about_dialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "app/toolbar_icons.h"
#include "app/version.h"
#include "uikit/dialog_units.h"

namespace qdm::ui {
CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于 QDM智能编辑器"));
    const QFont font = FormFont();
    setFont(font);
    auto units = [&font](int x, int y, int w, int h) { return DialogUnits(font, x, y, w, h); };

    auto* icon = new QLabel(this);
    const QRect iconRect = units(11, 17, 20, 20);
    icon->setGeometry(iconRect);
    icon->setPixmap(AppIcon().pixmap(iconRect.size().boundedTo(QSize(32, 32))));

    // Shown as it is: no mnemonic processing, the TAB kept as a gap.
    auto* text =
        new QLabel(QString::fromUtf8(kAboutText).replace(u'\t', QStringLiteral("    ")), this);
    text->setTextFormat(Qt::PlainText);
    text->setGeometry(units(40, 10, 119, 8).adjusted(0, 0, 0, QFontMetrics(font).height() / 2));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setGeometry(units(178, 7, 50, 16));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(units(0, 0, 235, 55).size());
}

}  // namespace qdm::ui

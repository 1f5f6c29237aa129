#include "app/toolbar_icons.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "app/command_ids.h"
#include "app/resources.h"

namespace qdm::ui {
namespace {

const QColor kInk(0x30, 0x30, 0x30);

void Page(QPainter& p, QRectF r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
    p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
}

void Lines(QPainter& p, QRectF r, int n) {
    p.setPen(QPen(QColor(0x70, 0x80, 0xA0), 1));
    for (int i = 0; i < n; ++i)
        p.drawLine(QPointF(r.left(), r.top() + 2.0 * i), QPointF(r.right(), r.top() + 2.0 * i));
}

void Folder(QPainter& p) {
    p.setPen(QPen(QColor(0x80, 0x60, 0x10), 1));
    p.setBrush(QColor(0xF0, 0xC8, 0x50));
    p.drawRect(QRectF(1.5, 4.5, 12, 9));
    p.drawRect(QRectF(1.5, 2.5, 5, 2));
    QPainterPath flap;
    flap.moveTo(3.5, 7.5);
    flap.lineTo(15.5, 7.5);
    flap.lineTo(13.5, 13.5);
    flap.lineTo(1.5, 13.5);
    flap.closeSubpath();
    p.setBrush(QColor(0xFF, 0xE0, 0x80));
    p.drawPath(flap);
}

void Disk(QPainter& p) {
    p.setPen(QPen(QColor(0x10, 0x30, 0x70), 1));
    p.setBrush(QColor(0x30, 0x60, 0xC0));
    p.drawRect(QRectF(1.5, 1.5, 13, 12));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(QRectF(4.5, 9.5, 7, 4));
}

void Scissors(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(QPointF(4, 1), QPointF(10.5, 10));
    p.drawLine(QPointF(12, 1), QPointF(5.5, 10));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xC0, 0x20, 0x20), 1.5));
    p.drawEllipse(QPointF(4.5, 11.5), 2.3, 2.3);
    p.drawEllipse(QPointF(11.5, 11.5), 2.3, 2.3);
}

void Clipboard(QPainter& p) {
    p.setPen(QPen(QColor(0x60, 0x40, 0x10), 1));
    p.setBrush(QColor(0xB0, 0x80, 0x40));
    p.drawRect(QRectF(1.5, 2.5, 10, 12));
    p.setBrush(QColor(0xD0, 0xD0, 0xD0));
    p.drawRect(QRectF(4.5, 1.5, 4, 2));
    Page(p, QRectF(6.5, 5.5, 8, 9));
    Lines(p, QRectF(8, 8, 5, 0), 3);
}

void Printer(QPainter& p) {
    Page(p, QRectF(4.5, 0.5, 7, 6));
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(0xB0, 0xB0, 0xB0));
    p.drawRect(QRectF(0.5, 6.5, 15, 5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 10.5, 9, 4));
    p.setPen(QPen(QColor(0x20, 0xA0, 0x20), 1));
    p.drawPoint(QPointF(13, 8.5));
}

void Palette(QPainter& p) {
    const QColor colours[] = {QColor(0xE0, 0x30, 0x30), QColor(0x30, 0xA0, 0x30),
                              QColor(0x30, 0x50, 0xE0), QColor(0xF0, 0xC0, 0x20)};
    p.setPen(QPen(kInk, 1));
    for (int i = 0; i < 4; ++i) {
        p.setBrush(colours[i]);
        p.drawPie(QRectF(1.5, 1, 13, 13), i * 90 * 16, 90 * 16);
    }
}

void Check(QPainter& p) {
    p.setPen(QPen(QColor(0x10, 0x90, 0x30), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(2, 8), QPointF(6, 12), QPointF(14, 3)}));
}

// A coloured tile with one Chinese character, for the editor's own markup commands.
void Tile(QPainter& p, const QColor& colour, const QString& glyph) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(0.5, 0, 15, 15), 3, 3);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0.5, 0, 15, 15), Qt::AlignCenter, glyph);
}

void Paint(QPainter& p, int id) {
    switch (id) {
        case ID_FILE_NEW:
            Page(p, QRectF(2.5, 0.5, 10, 14));
            break;
        case ID_FILE_OPEN:
            Folder(p);
            break;
        case ID_FILE_SAVE:
            Disk(p);
            break;
        case ID_EDIT_CUT:
            Scissors(p);
            break;
        case ID_EDIT_COPY:
            Page(p, QRectF(0.5, 0.5, 9, 10));
            Page(p, QRectF(5.5, 4.5, 9, 10));
            Lines(p, QRectF(7, 8, 5, 0), 3);
            break;
        case ID_EDIT_PASTE:
            Clipboard(p);
            break;
        case ID_FILE_PRINT:
            Printer(p);
            break;
        case ID_FONT:
            Tile(p, QColor(0x50, 0x50, 0x50), QStringLiteral("字"));
            break;
        case ID_COLOR:
            Palette(p);
            break;
        case ID_INSERT_SECTION:
            Tile(p, QColor(0x20, 0x60, 0xC0), QStringLiteral("段"));
            break;
        case ID_REVERSE_SECTION:
            Tile(p, QColor(0x10, 0x30, 0x80), QStringLiteral("反"));
            break;
        case ID_INSERT_EMPH:
            Tile(p, QColor(0xC0, 0x30, 0x30), QStringLiteral("重"));
            break;
        case ID_INSERT_READERNOTE:
            Tile(p, QColor(0x20, 0x90, 0x40), QStringLiteral("读"));
            break;
        case ID_INSERT_AUTHORNOTE:
            Tile(p, QColor(0x10, 0x80, 0x80), QStringLiteral("作"));
            break;
        case ID_INSERT_TRANS:
            Tile(p, QColor(0x80, 0x40, 0xA0), QStringLiteral("译"));
            break;
        case ID_CHECK_MARKUP:
            Check(p);
            break;
        case ID_POLYPHONE_TEXT:
            Tile(p, QColor(0xE0, 0x80, 0x10), QStringLiteral("音"));
            break;
        case ID_APP_ABOUT:
            Tile(p, QColor(0x30, 0x70, 0xB0), QStringLiteral("?"));
            break;
        default:
            break;
    }
}

QPixmap Render(int id, int scale) {
    QPixmap pm(16 * scale, 15 * scale);
    pm.setDevicePixelRatio(scale);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    Paint(p, id);
    return pm;
}

}  // namespace

QIcon ToolbarIcon(int commandId) {
    QIcon icon;
    icon.addPixmap(Render(commandId, 1));
    icon.addPixmap(Render(commandId, 2));
    return icon;
}

QIcon AppIcon() {
    const QString file = ResourcePath(QStringLiteral("mked.png"));
    return file.isEmpty() ? QIcon() : QIcon(file);
}

}  // namespace qdm::ui

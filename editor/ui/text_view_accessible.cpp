#include "editor/ui/text_view_accessible.h"

#include <QAccessibleWidget>
#include <algorithm>

#include "editor/ui/text_view.h"
#include "editor/ui/unit_text.h"

namespace qdm::ui {
namespace {

class TextViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit TextViewAccessible(TextView* view)
        : QAccessibleWidget(view, QAccessible::EditableText), m_view(*view) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index != 0 || selectionCount() == 0) return;
        const auto [a, b] = Selected();
        *start = m_view.UnitOfByte(a);
        *end = m_view.UnitOfByte(b);
    }
    int selectionCount() const override {
        const auto [a, b] = Selected();
        return a < b ? 1 : 0;
    }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0) m_view.Select(m_view.CaretByte(), m_view.CaretByte());
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0) m_view.Select(Byte(start), Byte(end));
    }
    int cursorPosition() const override { return m_view.UnitOfByte(m_view.CaretByte()); }
    void setCursorPosition(int position) override { m_view.Select(Byte(position), Byte(position)); }
    using QAccessibleWidget::text;
    QString text(int start, int end) const override {
        const int32_t a = Byte(start), b = Byte(std::max(start, end));
        QString chars = DecodeUnits(m_view.Model().Text().substr(a, b - a));
        chars.replace(kLineBreak, u'\n');
        return chars;
    }
    int characterCount() const override { return m_view.Units(); }
    QRect characterRect(int offset) const override {
        const QRectF r = m_view.CharRect(Byte(offset));
        if (r.isEmpty()) return {};
        return QRect(m_view.viewport()->mapToGlobal(r.topLeft().toPoint()), r.size().toSize());
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = m_view.viewport()->mapFromGlobal(point);
        if (!m_view.viewport()->rect().contains(local)) return -1;
        return m_view.UnitOfByte(m_view.ByteAt(local));
    }
    void scrollToSubstring(int start, int) override { m_view.Select(Byte(start), Byte(start)); }
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

  private:
    std::pair<int32_t, int32_t> Selected() const {
        const int32_t a = m_view.AnchorByte(), c = m_view.CaretByte();
        return {std::min(a, c), std::max(a, c)};
    }
    int32_t Byte(int unit) const { return m_view.ByteOfUnit(std::clamp(unit, 0, m_view.Units())); }

    TextView& m_view;
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className != QLatin1String(TextView::staticMetaObject.className())) return nullptr;
    if (auto* view = qobject_cast<TextView*>(object)) return new TextViewAccessible(view);
    return nullptr;
}

AccessibilitySink g_sink = nullptr;

void Tell(QAccessibleEvent* event) {
    if (g_sink)
        g_sink(event);
    else
        QAccessible::updateAccessibility(event);
}

}  // namespace

bool AccessibilityListens() {
    return g_sink || QAccessible::isActive();
}

void SetAccessibilitySink(AccessibilitySink sink) {
    g_sink = sink;
}

void TellTextReplaced(QObject* view, int at, int removed, const QString& inserted) {
    const QString gone(removed, u' ');
    if (removed == 0 && inserted.isEmpty()) return;
    if (removed == 0) {
        QAccessibleTextInsertEvent event(view, at, inserted);
        Tell(&event);
    } else if (inserted.isEmpty()) {
        QAccessibleTextRemoveEvent event(view, at, gone);
        Tell(&event);
    } else {
        QAccessibleTextUpdateEvent event(view, at, gone, inserted);
        Tell(&event);
    }
}

void TellCaretMoved(QObject* view, int at) {
    QAccessibleTextCursorEvent event(view, at);
    Tell(&event);
}

void InstallTextViewAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

}  // namespace qdm::ui

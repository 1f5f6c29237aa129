#include "app/lock_indicators.h"

#include <QtGui/qguiapplication_platform.h>
#include <dlfcn.h>

#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace qdm::ui {

// The keyboard's named indicators through libX11's XKB calls, loaded at run time so that the
// editor neither links X11 nor needs it on other displays.
struct LockIndicators::Probe {
    using InternAtom = unsigned long (*)(Display*, const char*, int);
    using GetNamedIndicator = int (*)(Display*, unsigned long, int*, int*, void*, int*);

    void* lib = nullptr;
    Display* display = nullptr;
    GetNamedIndicator getNamed = nullptr;
    std::array<unsigned long, 3> atoms{};

    static Probe* Open() {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11 || !x11->display()) return nullptr;
        void* lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (!lib) return nullptr;
        auto intern = reinterpret_cast<InternAtom>(dlsym(lib, "XInternAtom"));
        auto getNamed = reinterpret_cast<GetNamedIndicator>(dlsym(lib, "XkbGetNamedIndicator"));
        if (!intern || !getNamed) {
            dlclose(lib);
            return nullptr;
        }
        auto* p = new Probe{lib, x11->display(), getNamed, {}};
        const char* names[] = {"Caps Lock", "Num Lock", "Scroll Lock"};
        for (size_t i = 0; i < p->atoms.size(); ++i) p->atoms[i] = intern(p->display, names[i], 0);
        return p;
    }
    bool IsOn(size_t i) const {
        int index = 0, on = 0, real = 0;
        return getNamed(display, atoms[i], &index, &on, nullptr, &real) && on;
    }
    ~Probe() { dlclose(lib); }
};

LockIndicators::LockIndicators(QStatusBar& bar) : QObject(&bar) {
    m_probe = Probe::Open();
    if (!m_probe) return;
    const char* texts[] = {"CAP", "NUM", "SCRL"};
    for (size_t i = 0; i < m_panes.size(); ++i) {
        m_panes[i] = new QLabel(&bar);
        m_panes[i]->setFrameShape(QFrame::Panel);
        m_panes[i]->setFrameShadow(QFrame::Sunken);
        m_panes[i]->setAlignment(Qt::AlignCenter);
        m_panes[i]->setMinimumWidth(m_panes[i]->fontMetrics().horizontalAdvance(texts[i]) + 12);
        m_panes[i]->setProperty("lockText", QString::fromLatin1(texts[i]));
        bar.addPermanentWidget(m_panes[i]);
    }
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &LockIndicators::Refresh);
    m_timer->start(250);
    Refresh();
}

LockIndicators::~LockIndicators() {
    delete m_probe;
}

void LockIndicators::Refresh() {
    for (size_t i = 0; i < m_panes.size(); ++i)
        m_panes[i]->setText(m_probe->IsOn(i) ? m_panes[i]->property("lockText").toString()
                                             : QString());
}

}  // namespace qdm::ui

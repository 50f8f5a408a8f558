#include "lockkeystate.h"

#include <QGuiApplication>
#include <QLibrary>

using namespace Qt::StringLiterals;

// The two libX11 entry points used, declared by hand since no X11 header is needed to
// build. Atom and Bool are the X protocol's integer types. The display is Qt's own: it
// belongs to the application and stays open as long as it does.
struct LockKeyState::X11
{
    using Display = void;
    using Atom = unsigned long;
    using InternAtom = Atom (*)(Display *, const char *, int);
    using GetNamedIndicator = int (*)(Display *, Atom, int *, int *, void *, int *);

    Display *display = nullptr;
    GetNamedIndicator getNamedIndicator = nullptr;
    Atom num = 0, caps = 0, scroll = 0;

    bool state(Atom name) const
    {
        int on = 0;
        return getNamedIndicator(display, name, nullptr, &on, nullptr, nullptr) && on;
    }
};

LockKeyState::LockKeyState()
{
#if QT_CONFIG(xcb)
    // Null on every platform but xcb, offscreen included.
    const auto *x11App = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                 : nullptr;
    if (!x11App || !x11App->display())
        return;
    // The xcb platform has loaded libX11 already; this only finds it.
    QLibrary library(u"X11"_s, 6);
    auto intern = reinterpret_cast<X11::InternAtom>(library.resolve("XInternAtom"));
    auto getNamedIndicator =
        reinterpret_cast<X11::GetNamedIndicator>(library.resolve("XkbGetNamedIndicator"));
    if (!intern || !getNamedIndicator)
        return;
    auto x11 = std::make_unique<X11>();
    x11->display = x11App->display();
    x11->getNamedIndicator = getNamedIndicator;
    x11->num = intern(x11->display, "Num Lock", 0);
    x11->caps = intern(x11->display, "Caps Lock", 0);
    x11->scroll = intern(x11->display, "Scroll Lock", 0);
    m_x11 = std::move(x11);
#endif
}

LockKeyState::~LockKeyState() = default;

bool LockKeyState::available() const { return m_x11 != nullptr; }
bool LockKeyState::numLock() const { return m_x11 && m_x11->state(m_x11->num); }
bool LockKeyState::capsLock() const { return m_x11 && m_x11->state(m_x11->caps); }
bool LockKeyState::scrollLock() const { return m_x11 && m_x11->state(m_x11->scroll); }

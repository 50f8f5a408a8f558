#include "lockkeystate.h"

#include <QGuiApplication>
#include <QLibrary>

using namespace Qt::StringLiterals;

// The few libX11 entry points used, declared by hand since no X11 header is needed to
// build. Display is opaque; Atom and Bool are the X protocol's integer types.
struct LockKeyState::X11
{
    using Display = void;
    using Atom = unsigned long;
    using OpenDisplay = Display *(*)(const char *);
    using CloseDisplay = int (*)(Display *);
    using InternAtom = Atom (*)(Display *, const char *, int);
    using GetNamedIndicator = int (*)(Display *, Atom, int *, int *, void *, int *);

    QLibrary library{u"X11"_s, 6};
    Display *display = nullptr;
    CloseDisplay closeDisplay = nullptr;
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
    if (QGuiApplication::platformName() != u"xcb"_s)
        return;
    auto x11 = std::make_unique<X11>();
    auto open = reinterpret_cast<X11::OpenDisplay>(x11->library.resolve("XOpenDisplay"));
    auto intern = reinterpret_cast<X11::InternAtom>(x11->library.resolve("XInternAtom"));
    x11->closeDisplay = reinterpret_cast<X11::CloseDisplay>(x11->library.resolve("XCloseDisplay"));
    x11->getNamedIndicator =
        reinterpret_cast<X11::GetNamedIndicator>(x11->library.resolve("XkbGetNamedIndicator"));
    if (!open || !intern || !x11->closeDisplay || !x11->getNamedIndicator)
        return;
    x11->display = open(nullptr);
    if (!x11->display)
        return;
    x11->num = intern(x11->display, "Num Lock", 0);
    x11->caps = intern(x11->display, "Caps Lock", 0);
    x11->scroll = intern(x11->display, "Scroll Lock", 0);
    m_x11 = std::move(x11);
}

LockKeyState::~LockKeyState()
{
    if (m_x11)
        m_x11->closeDisplay(m_x11->display);
}

bool LockKeyState::available() const { return m_x11 != nullptr; }
bool LockKeyState::numLock() const { return m_x11 && m_x11->state(m_x11->num); }
bool LockKeyState::capsLock() const { return m_x11 && m_x11->state(m_x11->caps); }
bool LockKeyState::scrollLock() const { return m_x11 && m_x11->state(m_x11->scroll); }

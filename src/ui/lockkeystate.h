#pragma once

#include <memory>

// Reads the Num, Caps and Scroll Lock states where the platform tells them: on X11
// through XKB's named indicators, asked over the application's own X connection, with
// the two libX11 calls resolved at run time so that the program neither links nor needs
// libX11 elsewhere. Make it after the QGuiApplication. available() is false when the
// states cannot be read (another platform, offscreen, a Qt without Xlib); the reads
// then answer false.
class LockKeyState
{
public:
    LockKeyState();
    ~LockKeyState();
    LockKeyState(const LockKeyState &) = delete;
    LockKeyState &operator=(const LockKeyState &) = delete;

    bool available() const;
    bool numLock() const;
    bool capsLock() const;
    bool scrollLock() const;

private:
    struct X11;
    std::unique_ptr<X11> m_x11;
};

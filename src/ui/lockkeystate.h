#pragma once

#include <memory>

// Reads the Num, Caps and Scroll Lock states where the platform tells them: on X11
// through XKB's named indicators, with libX11 loaded at run time so that the program
// neither links nor needs it elsewhere. available() is false when the states cannot be
// read (another platform, no display); the reads then answer false.
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

#pragma once

namespace browse {

// The hourglass pointer for the length of a long operation. It is restored
// when the guard goes out of scope, so every early return restores it too;
// restore() ends it sooner (before a message box, say). Does nothing without
// a QGuiApplication (headless tools and tests).
class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    void restore();

private:
    bool m_active = false;
};

} // namespace browse

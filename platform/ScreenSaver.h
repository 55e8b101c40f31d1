#pragma once

#include <QString>

#include <cstdint>

typedef struct _GDBusConnection GDBusConnection;

// Keeps the desktop's screen saver and display sleep away while a slide show
// plays, through the freedesktop screen-saver interface on the session bus
// (org.freedesktop.ScreenSaver Inhibit / UnInhibit), or GNOME's session
// manager where that is the one that answers. Where there is no session bus
// or no service answers, nothing happens and nothing is said: the show plays
// on as before.
namespace platform {

class ScreenSaverInhibitor
{
public:
    // The bus address to use: the one the session gives
    // (DBUS_SESSION_BUS_ADDRESS), else the user's bus socket below
    // XDG_RUNTIME_DIR when there is one, else none. Never starts a bus of its
    // own.
    static QString sessionBusAddress();

    // A bus address of its own (tests run a private bus); empty: the session's.
    explicit ScreenSaverInhibitor(QString busAddress = sessionBusAddress());
    ~ScreenSaverInhibitor();
    ScreenSaverInhibitor(const ScreenSaverInhibitor&) = delete;
    ScreenSaverInhibitor& operator=(const ScreenSaverInhibitor&) = delete;

    // Asks for the screen to stay on, giving the reason the desktop may show.
    // True when the service granted it (or it was granted already).
    bool inhibit(const QString& reason);
    // Gives the request back; nothing when none is held.
    void release();
    bool active() const { return m_held; }

private:
    QString m_address;
    GDBusConnection* m_bus = nullptr;
    std::uint32_t m_cookie = 0;
    int m_service = 0; // which of the desktops' services granted the request
    bool m_held = false;
};

} // namespace platform

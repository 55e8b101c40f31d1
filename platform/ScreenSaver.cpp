#include <gio/gio.h>

#include "platform/ScreenSaver.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {

// The desktops' two ways of asking: the freedesktop screen saver (KDE, Xfce,
// LXQt, Cinnamon, MATE and others) and GNOME's session manager, which has no
// Inhibit on its screen-saver interface.
struct Service
{
    const char* name;
    const char* path;
    const char* interface;
    const char* release;
};
constexpr Service kServices[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
     "UnInhibit"},
    {"org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager",
     "Uninhibit"},
};
// GNOME's flag for "the session must not be marked idle".
constexpr guint32 kGnomeInhibitIdle = 8;
// A service that hangs must not hold the window up for long.
constexpr int kCallTimeoutMs = 1000;

} // namespace

QString ScreenSaverInhibitor::sessionBusAddress()
{
    const QString given = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!given.isEmpty())
        return given;
    // GIO would otherwise try to launch a bus of its own on an X display.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        const QString socket = QDir(runtime).filePath(QStringLiteral("bus"));
        if (QFileInfo(socket).exists())
            return QStringLiteral("unix:path=") + socket;
    }
    return QString();
}

ScreenSaverInhibitor::ScreenSaverInhibitor(QString busAddress) : m_address(std::move(busAddress)) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    release();
    if (m_bus) {
        g_dbus_connection_close_sync(m_bus, nullptr, nullptr);
        g_object_unref(m_bus);
    }
}

bool ScreenSaverInhibitor::inhibit(const QString& reason)
{
    if (m_held)
        return true;
    if (!m_bus) {
        if (m_address.isEmpty())
            return false;
        GError* error = nullptr;
        m_bus = g_dbus_connection_new_for_address_sync(
            m_address.toUtf8().constData(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
        if (!m_bus) {
            g_clear_error(&error);
            return false;
        }
        // The connection lives as long as the request: the service lets go of
        // a request whose caller has left the bus.
        g_dbus_connection_set_exit_on_close(m_bus, FALSE);
    }
    const QByteArray why = reason.toUtf8();
    for (const Service& service : kServices) {
        const bool gnome = &service != &kServices[0];
        GVariant* arguments =
            gnome ? g_variant_new("(susu)", "Cloakwell", 0u, why.constData(), kGnomeInhibitIdle)
                  : g_variant_new("(ss)", "Cloakwell", why.constData());
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(
            m_bus, service.name, service.path, service.interface, "Inhibit", arguments,
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr,
            &error);
        g_clear_error(&error);
        if (!reply)
            continue;
        g_variant_get(reply, "(u)", &m_cookie);
        g_variant_unref(reply);
        m_service = static_cast<int>(&service - kServices);
        m_held = true;
        return true;
    }
    return false;
}

void ScreenSaverInhibitor::release()
{
    if (!m_held || !m_bus)
        return;
    const Service& service = kServices[m_service];
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        m_bus, service.name, service.path, service.interface, service.release,
        g_variant_new("(u)", m_cookie), nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs,
        nullptr, &error);
    if (reply)
        g_variant_unref(reply);
    g_clear_error(&error);
    m_held = false;
    m_cookie = 0;
}

} // namespace platform

// Holding the screen saver off through the freedesktop interface, against a
// private session bus with a stand-in screen saver served from a thread of
// its own (a call to our own process from the calling thread would wait on
// itself).
#include <gio/gio.h>

#include "platform/ScreenSaver.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <condition_variable>
#include <mutex>
#include <thread>

using platform::ScreenSaverInhibitor;
using namespace Qt::StringLiterals;

namespace {

const char* const kFreedesktop = R"(
<node>
  <interface name="org.freedesktop.ScreenSaver">
    <method name="Inhibit">
      <arg type="s" name="application_name" direction="in"/>
      <arg type="s" name="reason_for_inhibit" direction="in"/>
      <arg type="u" name="cookie" direction="out"/>
    </method>
    <method name="UnInhibit">
      <arg type="u" name="cookie" direction="in"/>
    </method>
  </interface>
</node>)";

const char* const kGnome = R"(
<node>
  <interface name="org.gnome.SessionManager">
    <method name="Inhibit">
      <arg type="s" name="app_id" direction="in"/>
      <arg type="u" name="toplevel_xid" direction="in"/>
      <arg type="s" name="reason" direction="in"/>
      <arg type="u" name="flags" direction="in"/>
      <arg type="u" name="inhibit_cookie" direction="out"/>
    </method>
    <method name="Uninhibit">
      <arg type="u" name="inhibit_cookie" direction="in"/>
    </method>
  </interface>
</node>)";

// The stand-in: the freedesktop screen saver or GNOME's session manager,
// handing out cookies from 41 on and recording every call.
class FakeScreenSaver
{
public:
    FakeScreenSaver(const QByteArray& address, bool gnome) : m_address(address), m_gnome(gnome)
    {
        m_thread = std::thread([this] { run(); });
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_ready; });
    }
    ~FakeScreenSaver()
    {
        g_main_loop_quit(m_loop);
        m_thread.join();
    }
    QStringList calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    bool owned() const { return m_owned; }

private:
    static void method(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                       const gchar* name, GVariant* parameters, GDBusMethodInvocation* invocation,
                       gpointer self)
    {
        auto* fake = static_cast<FakeScreenSaver*>(self);
        std::lock_guard lock(fake->m_mutex);
        if (g_strcmp0(name, "Inhibit") == 0) {
            const gchar* app = nullptr;
            const gchar* reason = nullptr;
            guint32 window = 0, flags = 0;
            if (fake->m_gnome)
                g_variant_get(parameters, "(&su&su)", &app, &window, &reason, &flags);
            else
                g_variant_get(parameters, "(&s&s)", &app, &reason);
            const guint32 cookie = fake->m_next++;
            fake->m_calls << QStringLiteral("Inhibit %1 %2 (%3): %4")
                                 .arg(QString::fromUtf8(app), QString::fromUtf8(reason))
                                 .arg(flags)
                                 .arg(cookie);
            g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", cookie));
        } else {
            guint32 cookie = 0;
            g_variant_get(parameters, "(u)", &cookie);
            fake->m_calls << QStringLiteral("%1 %2").arg(QString::fromUtf8(name)).arg(cookie);
            g_dbus_method_invocation_return_value(invocation, nullptr);
        }
    }

    void run()
    {
        GMainContext* context = g_main_context_new();
        g_main_context_push_thread_default(context);
        m_loop = g_main_loop_new(context, FALSE);
        GError* error = nullptr;
        GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
            m_address.constData(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
        if (bus) {
            GDBusNodeInfo* info =
                g_dbus_node_info_new_for_xml(m_gnome ? kGnome : kFreedesktop, nullptr);
            static const GDBusInterfaceVTable vtable{
                &FakeScreenSaver::method, nullptr, nullptr, {}};
            g_dbus_connection_register_object(
                bus, m_gnome ? "/org/gnome/SessionManager" : "/org/freedesktop/ScreenSaver",
                info->interfaces[0], &vtable, this, nullptr, nullptr);
            GVariant* reply = g_dbus_connection_call_sync(
                bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                "RequestName", g_variant_new("(su)", info->interfaces[0]->name, 4u),
                G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
            if (reply) {
                guint32 result = 0;
                g_variant_get(reply, "(u)", &result);
                m_owned = result == 1;
                g_variant_unref(reply);
            }
            g_dbus_node_info_unref(info);
        }
        g_clear_error(&error);
        {
            std::lock_guard lock(m_mutex);
            m_ready = true;
        }
        m_changed.notify_all();
        g_main_loop_run(m_loop);
        if (bus) {
            g_dbus_connection_close_sync(bus, nullptr, nullptr);
            g_object_unref(bus);
        }
        g_main_loop_unref(m_loop);
        g_main_context_pop_thread_default(context);
        g_main_context_unref(context);
    }

    QByteArray m_address;
    bool m_gnome;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_ready = false;
    bool m_owned = false;
    GMainLoop* m_loop = nullptr;
    QStringList m_calls;
    guint32 m_next = 41;
};

} // namespace

class TestScreenSaver : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // The tests must never reach the desktop's own bus.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        m_bus = g_test_dbus_new(G_TEST_DBUS_NONE);
        g_test_dbus_up(m_bus);
        m_address = g_test_dbus_get_bus_address(m_bus);
        if (m_address.isEmpty())
            QSKIP("no private bus could be started (dbus-daemon missing)");
    }
    void cleanupTestCase()
    {
        if (m_bus) {
            g_test_dbus_down(m_bus);
            g_object_unref(m_bus);
        }
    }

    void heldAndGivenBack_data()
    {
        QTest::addColumn<bool>("gnome");
        QTest::addColumn<QString>("release");
        QTest::addColumn<int>("flags");
        QTest::newRow("freedesktop screen saver") << false << "UnInhibit" << 0;
        QTest::newRow("GNOME session manager, idle flag") << true << "Uninhibit" << 8;
    }
    void heldAndGivenBack()
    {
        QFETCH(bool, gnome);
        QFETCH(QString, release);
        QFETCH(int, flags);
        FakeScreenSaver fake(m_address, gnome);
        QVERIFY(fake.owned());
        {
            ScreenSaverInhibitor inhibitor(QString::fromUtf8(m_address));
            QVERIFY(inhibitor.inhibit(QStringLiteral("A slide show is playing")));
            QVERIFY(inhibitor.active());
            // Asked again while held: no second request.
            QVERIFY(inhibitor.inhibit(QStringLiteral("again")));
            inhibitor.release();
            QVERIFY(!inhibitor.active());
            inhibitor.release(); // nothing held: nothing sent
            QVERIFY(inhibitor.inhibit(QStringLiteral("A slide show is playing")));
            // Going away gives the request back.
        }
        const QString asked = u"Inhibit Cloakwell A slide show is playing (%1): "_s.arg(flags);
        QCOMPARE(fake.calls(), (QStringList{asked + u"41"_s, release + u" 41"_s, asked + u"42"_s,
                                            release + u" 42"_s}));
    }

    // No screen saver on the bus, no bus at that address, no bus at all:
    // nothing is held, nothing fails loudly.
    void nothingToAsk_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("bus without the service") << QString::fromUtf8(m_address);
        QTest::newRow("no bus there") << QStringLiteral("unix:path=/nonexistent/cloakwell-bus");
        QTest::newRow("malformed address") << QStringLiteral("not an address");
        QTest::newRow("no address") << QString();
    }
    void nothingToAsk()
    {
        QFETCH(QString, address);
        ScreenSaverInhibitor inhibitor(address);
        QVERIFY(!inhibitor.inhibit(QStringLiteral("A slide show is playing")));
        QVERIFY(!inhibitor.active());
        inhibitor.release();
    }

    // Where the session's bus is looked for: never a bus started on demand.
    void sessionAddress()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/given");
        QCOMPARE(ScreenSaverInhibitor::sessionBusAddress(), QStringLiteral("unix:path=/run/given"));
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        QFile socket(runtime.filePath(QStringLiteral("bus")));
        QVERIFY(!socket.exists());
        QCOMPARE(ScreenSaverInhibitor::sessionBusAddress(), QString());
        QVERIFY(socket.open(QIODevice::WriteOnly)); // stands in for the socket
        socket.close();
        QCOMPARE(ScreenSaverInhibitor::sessionBusAddress(),
                 QStringLiteral("unix:path=") + socket.fileName());
        socket.remove();
    }

private:
    GTestDBus* m_bus = nullptr;
    QByteArray m_address;
};

QTEST_GUILESS_MAIN(TestScreenSaver)
#include "tst_screensaver.moc"

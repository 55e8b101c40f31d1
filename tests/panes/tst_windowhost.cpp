// The browser windows talk to whatever hosts them only through the host
// interface: a window under a recording host reports focus, keys and
// commands, and never reaches for a main window.
#include "panes/PaneKit.h"

#include "browse/IconList.h"
#include "mainwindow/WindowHost.h"

using mainwindow::Command;

namespace {

class RecordingHost : public mainwindow::WindowHost
{
public:
    explicit RecordingHost(MainWorld& w) : m_state(w.services())
    {
        m_state.IconImageList = browse::makeIconImageList();
    }
    mainwindow::AppState& state() override { return m_state; }
    browse::BrowseContext browseContext() override
    {
        return m_state.browseContext([this](const QString& t) { panels[0] = t; });
    }
    void paneFocused(short paneCode) override
    {
        log << u"focus %1"_s.arg(paneCode);
        m_state.object_focus = paneCode;
    }
    void enable_toolbar() override { ++toolbarUpdates; }
    void setStatusPanelText(int panel, const QString& text) override
    {
        panels[panel == 2 ? 1 : 0] = text;
    }
    void StatusBarClear() override { panels = {}; }
    browse::BrowsePane* focusedPane() const override { return pane; }
    void run_command(Command command) override { log << u"command %1"_s.arg(int(command)); }
    void escapePressed() override { log << u"escape"_s; }
    void show_context_menu() override { log << u"context menu"_s; }
    std::uint32_t moveOrCopyItems(std::uint32_t op, const QStringList& sources, const QString& target,
                                  std::uint16_t) override
    {
        log << u"file operation %1 %2 -> %3"_s.arg(op).arg(sources.join(u',')).arg(target);
        return 0;
    }

    QStringList log;
    int toolbarUpdates = 0;
    std::array<QString, 2> panels;
    browse::BrowsePane* pane = nullptr;

private:
    mainwindow::AppState m_state;
};

} // namespace

class TestWindowHost : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // What the user does in a window, and what its host hears of it.
    void windowReportsToItsHost_data()
    {
        QTest::addColumn<bool>("libraries");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("heard");
        const QString open = u"command %1"_s.arg(int(Command::Open));
        QTest::newRow("Libraries tree focused") << true << 0 << u"focus 1"_s;
        QTest::newRow("Libraries list focused") << true << 1 << u"focus 2"_s;
        QTest::newRow("Explorer tree focused") << false << 0 << u"focus 3"_s;
        QTest::newRow("Explorer list focused") << false << 1 << u"focus 4"_s;
        QTest::newRow("Escape in a tree") << true << 2 << u"escape"_s;
        QTest::newRow("Enter in a list opens") << false << 3 << open;
        QTest::newRow("right click in a list") << true << 4 << u"context menu"_s;
    }
    void windowReportsToItsHost()
    {
        QFETCH(bool, libraries);
        QFETCH(int, action);
        QFETCH(QString, heard);
        MainWorld w;
        w.world.file(u"Pictures/a.jpg"_s);
        RecordingHost host(w);
        std::unique_ptr<panes::UiBrowserWindow> window;
        if (libraries)
            window = std::make_unique<fLibraries>(host);
        else
            window = std::make_unique<fExplorer>(host);
        window->resize(900, 500);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->Form_Load();
        host.pane = &window->pane();
        host.log.clear();
        QWidget* tree = window->treeView();
        QWidget* list = window->listView();
        switch (action) {
        case 0:
            list->setFocus(Qt::OtherFocusReason);
            host.log.clear();
            tree->setFocus(Qt::MouseFocusReason);
            break;
        case 1:
            tree->setFocus(Qt::OtherFocusReason);
            host.log.clear();
            list->setFocus(Qt::MouseFocusReason);
            break;
        case 2:
            QTest::keyClick(tree, Qt::Key_Escape);
            break;
        case 3:
            QTest::keyClick(list, Qt::Key_Return);
            break;
        case 4: {
            auto* view = window->listView();
            QTest::mouseClick(view->viewport(), Qt::RightButton, {}, QPoint(5, 5));
            break;
        }
        }
        QTRY_VERIFY2(host.log.contains(heard), qPrintable(host.log.join(u", "_s)));
        window->close();
    }

    // A window's own status texts go to the host's panels: free space
    // after a folder is listed.
    void statusTextsGoToTheHost()
    {
        MainWorld w;
        w.world.file(u"Pictures/a.jpg"_s);
        w.set("Behavior", "last_path", w.world.path(u"Pictures"_s));
        RecordingHost host(w);
        fLibraries window(host);
        window.resize(900, 500);
        window.show();
        window.Form_Load();
        QVERIFY(host.panels[1].startsWith(u"Free Space: "_s));
        window.close();
    }
};

WINDOW_TEST_MAIN(TestWindowHost)
#include "tst_windowhost.moc"

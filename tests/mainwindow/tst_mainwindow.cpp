// The main window: start-up, menus and toolbar, the idle count and the shutdown.
#include "support/MainWorld.h"

#include "engine/mEncrypt.h"
#include "libraries/fAddLibrary.h"
#include "panes/fExplorer.h"
#include "panes/fLibraries.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QToolBar>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using mainwindow::Command;
using platform::PromptAnswer;

namespace {

bool isFullyTransparent(const QIcon& icon)
{
    const QImage img = icon.pixmap(24, 24).toImage();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) != 0)
                return false;
    return true;
}

// Keeps the folder's file from being deleted: a read-only folder for a normal
// user, the immutable flag for root (who may delete anything else).
bool setUndeletable(const QString& folder, bool on)
{
    if (::geteuid() != 0)
        return QFile::setPermissions(folder,
                                     on ? QFile::ReadOwner | QFile::ExeOwner
                                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray file = QFile::encodeName(folder + u"/copy.jpg"_s);
    const int fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

} // namespace

Q_DECLARE_METATYPE(PromptAnswer)

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // What a loaded main window shows before anyone touches it.
    void loaded()
    {
        MainWorld w;
        // A crash left plain copies behind.
        w.tempCopy(u"copy.jpg"_s);
        QVERIFY(QFile::exists(w.tempFolder() + u"/copy.jpg"_s));

        auto main = w.loadMain();
        QVERIFY(!QFile::exists(w.tempFolder()));
        QCOMPARE(w.get("", "version"), u"2.2.0"_s);
        QVERIFY(main->windowTitle().startsWith(u"Cloakwell"_s));
        QCOMPARE(findAction(*main, "context_menu_open_cloakwell")->text(), u"&Cloakwell"_s);
        QVERIFY(main->isMaximized());
        QCOMPARE(main->state().toolbar1_height, qint16(825));
        QCOMPARE(main->state().prefs.threshold, qint64(256) * 1048576);
        QVERIFY(isFullyTransparent(findAction(*main, "tb_paste")->icon())); // "tb_blank"
        QVERIFY(!findAction(*main, "menu_edit_paste")->isEnabled());

        auto* bar = main->findChild<QToolBar*>(u"Toolbar1"_s);
        QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(bar->actions().size(), 10);
        for (QAction* a : bar->actions())
            if (a->objectName() != QLatin1String("tb_paste"))
                QVERIFY2(!isFullyTransparent(a->icon()), qPrintable(a->objectName()));
        // The short text is the tooltip, not the caption.
        QCOMPARE(findAction(*main, "tb_library")->toolTip(), u"Add Library"_s);

        findAction(*main, "menu_help_online_help")->trigger();
        QCOMPARE(w.opener.opened, QStringList{"https://www.cloakwell.org/help"});

        // The panes' context sees the live state, not a copy.
        const browse::BrowseContext ctx = main->browseContext();
        main->state().object_focus = mainwindow::kExplorerTree;
        QCOMPARE(ctx.object_focus, short(mainwindow::kExplorerTree));
        w.set("Appearance", "color_2", "255");
        main->get_preferences();
        QCOMPARE(ctx.prefs.color_2, settings::WinColor(255));
        QCOMPARE(ctx.iconImageList.count(), 11);
        QCOMPARE(ctx.folders.binFolder, w.folders.binFolder);
        ctx.showStatus(u"5 Object(s) selected"_s);
        QCOMPARE(main->statusPanelText(1), u"5 Object(s) selected"_s);
    }

    void startupWindows_data()
    {
        QTest::addColumn<bool>("explorer");
        QTest::addColumn<bool>("libraries");
        QTest::newRow("both: tiled") << true << true;
        QTest::newRow("Explorer only") << true << false;
        QTest::newRow("Libraries only") << false << true;
        QTest::newRow("neither") << false << false;
    }
    void startupWindows()
    {
        QFETCH(bool, explorer);
        QFETCH(bool, libraries);
        MainWorld w;
        w.set("Behavior", "load_explorer", QString::number(explorer));
        w.set("Behavior", "load_libraries", QString::number(libraries));
        auto main = w.loadMain();

        QCOMPARE(main->explorerWindow() != nullptr, explorer);
        QCOMPARE(main->librariesWindow() != nullptr, libraries);
        QCOMPARE(findAction(*main, "menu_view_explorer")->isChecked(), explorer);
        QCOMPARE(findAction(*main, "menu_view_libraries")->isChecked(), libraries);
        QCOMPARE(main->state().tiled, explorer && libraries);
        if (explorer != libraries) {
            QMdiSubWindow* only = explorer ? main->explorerSubWindow() : main->librariesSubWindow();
            QVERIFY(only->isMaximized());
        }
        if (explorer && libraries) {
            QCOMPARE(main->librariesSubWindow()->y(), 0); // Libraries above
            QVERIFY(main->explorerSubWindow()->y() > 0);
        }
        QCOMPARE(findAction(*main, "menu_file_close")->isEnabled(), explorer || libraries);
    }

    // A command without a handler is never offered; one that gets a handler is.
    void commandsWithoutHandlerStayDisabled()
    {
        MainWorld w;
        auto main = w.loadMain();
        for (short pane : {0, 1, 2, 3, 4}) {
            main->state().object_focus = pane;
            main->enable_toolbar();
            for (const char* name : {"tb_new_folder", "tb_cut", "tb_copy", "tb_paste", "tb_delete",
                                     "menu_file_new_folder", "menu_edit_cut", "menu_edit_paste",
                                     "menu_edit_find_next"})
                QVERIFY2(!findAction(*main, name)->isEnabled(), name);
            // The slide show and the sorter have their handlers: offered
            // while the Libraries window is open, whichever pane has the focus.
            for (const char* name : {"menu_tools_slide_show", "menu_tools_picture_sorter"})
                QCOMPARE(findAction(*main, name)->isEnabled(), main->librariesWindow() != nullptr);
            // Rename has its handler: offered by its rule (in the lists).
            QCOMPARE(findAction(*main, "menu_file_rename")->isEnabled(),
                     (pane == 2 && main->librariesWindow()) ||
                         (pane == 4 && main->explorerWindow()));
            for (const char* name :
                 {"menu_file_close", "menu_file_exit", "menu_view_libraries", "menu_view_explorer",
                  "menu_view_toolbar", "menu_view_status_bar", "menu_view_refresh", "tb_refresh",
                  "menu_tools_change_password", "menu_tools_options", "tb_options",
                  "menu_windows_tile_windows", "menu_help_online_help", "menu_help_shortcuts",
                  "menu_help_about"})
                QVERIFY2(findAction(*main, name)->isEnabled(), name);
        }

        int options = 0;
        main->setCommandHandler(Command::Options, [&] { ++options; });
        QVERIFY(findAction(*main, "tb_options")->isEnabled());
        QVERIFY(findAction(*main, "menu_tools_options")->isEnabled());
        findAction(*main, "tb_options")->trigger();
        findAction(*main, "menu_tools_options")->trigger();
        QCOMPARE(options, 2);

        // New Library belongs to the Libraries panes only.
        main->setCommandHandler(Command::NewLibrary, [] {});
        for (short pane : {0, 1, 2, 3, 4}) {
            main->state().object_focus = pane;
            main->enable_toolbar();
            const bool libraries = pane == 1 || pane == 2;
            QCOMPARE(findAction(*main, "tb_library")->isEnabled(), libraries);
            QCOMPARE(findAction(*main, "menu_file_new_library")->isEnabled(), libraries);
            QCOMPARE(findAction(*main, "menu_file_new")->isEnabled(), libraries);
        }
    }

    void clearEditBuffer()
    {
        MainWorld w;
        auto main = w.loadMain();
        auto& s = main->state();
        QSignalSpy cleared(main.get(), &fMain::editBufferCleared);
        main->clear_edit_buffer(); // empty: nothing to undo
        QCOMPARE(cleared.size(), 0);

        s.edit_buffer = QStringList{w.world.path("a.jpg"), w.world.path("folder")};
        s.edit_file_op = 1;
        s.edit_buffer_size = 2;
        s.edit_buffer_source = mainwindow::kLibrariesList;
        s.edit_buffer_has_folders = true;
        s.edit_buffer_has_hidden = true;
        findAction(*main, "tb_paste")->setEnabled(true);
        findAction(*main, "tb_paste")->setIcon(QIcon::fromTheme("edit-paste"));
        findAction(*main, "menu_edit_paste")->setEnabled(true);

        main->clear_edit_buffer();
        QVERIFY(s.edit_buffer.isEmpty());
        QCOMPARE(s.edit_buffer_size, qint16(0));
        QVERIFY(!s.edit_buffer_has_folders && !s.edit_buffer_has_hidden);
        QCOMPARE(s.edit_file_op, 1); // operation and source stay
        QCOMPARE(s.edit_buffer_source, qint16(mainwindow::kLibrariesList));
        QVERIFY(!findAction(*main, "tb_paste")->isEnabled());
        QVERIFY(isFullyTransparent(findAction(*main, "tb_paste")->icon()));
        QVERIFY(!findAction(*main, "menu_edit_paste")->isEnabled());
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(cleared.at(0).at(1).value<qint16>(), qint16(mainwindow::kLibrariesList));
    }

    void idleTimeout_data()
    {
        QTest::addColumn<bool>("exitOnTimeout");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("exitAfter"); // tick at which the program ends, 0 never
        QTest::newRow("on, 5 minutes") << true << 5 << 7 << 5;
        QTest::newRow("off, 5 minutes") << false << 5 << 12 << 0;
        QTest::newRow("on, 0 ends at the first tick") << true << 0 << 2 << 1;
        QTest::newRow("on, 1 ends at the first tick") << true << 1 << 2 << 1;
        QTest::newRow("on, limit past 16 bits takes the default") << true << 70000 << 6 << 5;
    }
    void idleTimeout()
    {
        QFETCH(bool, exitOnTimeout);
        QFETCH(int, timeout);
        QFETCH(int, ticks);
        QFETCH(int, exitAfter);
        MainWorld w;
        w.set("Behavior", "exit_on_timeout", QString::number(exitOnTimeout));
        w.set("Behavior", "timeout", QString::number(timeout));
        auto main = w.loadMain();
        auto& idle = main->state().idle;
        QCOMPARE(idle.inactivity_timer().interval(), 60000);
        QVERIFY(idle.inactivity_timer().isActive());
        for (int tick = 1; tick <= ticks; ++tick) {
            idle.inactivity_timer_Timer();
            QCOMPARE(idle.inactive_time(), qint16(tick));
            const bool ended = exitAfter != 0 && tick >= exitAfter;
            QCOMPARE(w.exits.size(), ended ? 1 : 0);
            QCOMPARE(main->isVisible(), !ended);
        }
    }

    void idleCountIsResetByThePointerOnly()
    {
        MainWorld w;
        w.set("Behavior", "exit_on_timeout", "1");
        w.set("Behavior", "timeout", "5");
        auto main = w.loadMain();
        auto& idle = main->state().idle;
        auto tick = [&](int n) {
            for (int i = 0; i < n; ++i)
                idle.inactivity_timer_Timer();
        };

        tick(4);
        QTest::keyClick(main.get(), Qt::Key_A); // typing does not count
        QCOMPARE(idle.inactive_time(), qint16(4));
        // The bare strip right of the Libraries window's preview, once the
        // window has its tiled size.
        fLibraries* libraries = main->librariesWindow();
        QTRY_VERIFY(libraries->previewBox()->width() > 0);
        sendMouse(libraries, QEvent::MouseMove, QPoint(libraries->width() - 2, 5));
        QCOMPARE(idle.inactive_time(), qint16(0));
        QVERIFY(idle.inactivity_timer().remainingTime() > 50000); // a full minute again

        tick(4);
        // The background of the main window, where the Explorer was before
        // the user made it small.
        main->explorerSubWindow()->setGeometry(0, 0, 120, 90);
        QWidget* background = main->mdiArea()->viewport();
        sendMouse(background, QEvent::MouseMove,
                  QPoint(background->width() - 2, background->height() - 2));
        QCOMPARE(idle.inactive_time(), qint16(0));

        tick(4);
        QVERIFY(w.exits.isEmpty());
        tick(1);
        QCOMPARE(w.exits, QList<int>{0});
    }

    // Every window resets the count from its bare surface, and none from
    // the controls on it (they are busy with work of their own).
    void idleSurfaces_data()
    {
        QTest::addColumn<QString>("surface");
        QTest::addColumn<bool>("resets");
        QTest::newRow("Libraries window") << u"fLibraries"_s << true;
        QTest::newRow("splitter bar") << u"vert_bar_3"_s << true;
        QTest::newRow("New Library dialog") << u"fAddLibrary"_s << true;
        QTest::newRow("a tree") << u"TreeView"_s << false;
        QTest::newRow("a box in the dialog") << u"library_path"_s << false;
    }
    void idleSurfaces()
    {
        QFETCH(QString, surface);
        QFETCH(bool, resets);
        MainWorld w;
        auto main = w.loadMain();
        auto& idle = main->state().idle;
        QTRY_VERIFY(main->librariesWindow()->previewBox()->width() > 0);
        fAddLibrary dialog(main->state(), main.get());
        dialog.show();
        QWidget* target = main->findChild<QWidget*>(surface);
        if (!target)
            target = dialog.objectName() == surface ? &dialog : dialog.findChild<QWidget*>(surface);
        QVERIFY(target);
        // A spot of the widget's own, where no control sits.
        QPoint spot(target->width() - 2, target->height() - 2);
        if (!resets)
            spot = QPoint(target->width() / 2, target->height() / 2);
        else
            QVERIFY(!target->childAt(spot));
        idle.inactivity_timer_Timer();
        idle.inactivity_timer_Timer();
        sendMouse(target, QEvent::MouseMove, spot);
        QCOMPARE(idle.inactive_time(), qint16(resets ? 0 : 2));
    }

    void idleCountSaturates()
    {
        MainWorld w;
        w.set("Behavior", "exit_on_timeout", "0");
        mainwindow::IdleCount idle(w.store());
        for (int i = 0; i < 32767 + 10; ++i)
            idle.inactivity_timer_Timer();
        QCOMPARE(idle.inactive_time(), qint16(32767));
        // A limit the count can reach still applies after it stopped rising.
        QSignalSpy timedOut(&idle, &mainwindow::IdleCount::timedOut);
        w.set("Behavior", "exit_on_timeout", "1");
        w.set("Behavior", "timeout", "32767");
        idle.inactivity_timer_Timer();
        QCOMPARE(timedOut.size(), 1);
    }

    void exitWarning_data()
    {
        QTest::addColumn<QString>("unhiddenIn"); // "library", "bin", "missing library", ""
        QTest::addColumn<bool>("warnOnExit");
        QTest::addColumn<bool>("byTimeout");      // the idle count ends it instead of File > Exit
        QTest::addColumn<PromptAnswer>("answer"); // when asked
        QTest::addColumn<QString>("named");       // "" = no question
        auto row = [](const char* name, const char* in, bool warn, bool timeout, PromptAnswer a,
                      const char* named) {
            QTest::newRow(name) << QString(in) << warn << timeout << a << QString(named);
        };
        const PromptAnswer yes = PromptAnswer::Yes, no = PromptAnswer::No;
        row("library, Yes", "library", true, false, yes, "Pictures");
        row("library, No", "library", true, false, no, "Pictures");
        row("bin, No", "bin", true, false, no, "Red Ovidor Bin");
        row("bin, No at the idle timeout", "bin", true, true, no, "Red Ovidor Bin");
        row("warning off", "library", false, false, yes, "");
        row("missing library skipped", "missing library", true, false, yes, "");
        row("all hidden", "", true, false, yes, "");
    }
    void exitWarning()
    {
        QFETCH(QString, unhiddenIn);
        QFETCH(bool, warnOnExit);
        QFETCH(bool, byTimeout);
        QFETCH(PromptAnswer, answer);
        QFETCH(QString, named);
        const bool ends = named.isEmpty() || answer == PromptAnswer::Yes;
        MainWorld w;
        w.set("Behavior", "warn_on_exit", QString::number(warnOnExit));
        if (byTimeout) {
            w.set("Behavior", "exit_on_timeout", "1");
            w.set("Behavior", "timeout", "1");
        }
        w.world.file(u"Pictures/"_s + mEncrypt::make_hidden_name("a.jpg", 2), "x");
        if (unhiddenIn == QLatin1String("library"))
            w.world.file(u"Pictures/2020/summer/deep/b.jpg"_s, "x");
        if (unhiddenIn == QLatin1String("bin"))
            w.world.file(u"program/KZ Bin/c.jpg"_s, "x");
        if (unhiddenIn == QLatin1String("missing library")) {
            w.set("Libraries", "Count", u"2"_s);
            w.set("Libraries", "name_2", u"Gone"_s);
            w.set("Libraries", "path_2", w.world.path(u"gone"_s));
            // The Libraries window would report the missing Library and drop
            // it from the table before the exit could pass over it.
            w.set("Behavior", "load_libraries", "0");
        }

        auto main = w.loadMain();
        w.tempCopy(u"copy.jpg"_s);
        if (!named.isEmpty())
            w.prompt.answer(answer);
        if (byTimeout)
            main->state().idle.inactivity_timer_Timer();
        else
            findAction(*main, "menu_file_exit")->trigger();

        // The browser windows were closed before the question.
        QCOMPARE(w.prompt.seen.size(), named.isEmpty() ? 0 : 1);
        if (!named.isEmpty()) {
            QCOMPARE(w.prompt.lastText(),
                     QStringLiteral("You have unhidden files or folders in '%1'. Are you sure "
                                    "you want to exit?")
                         .arg(named));
            QCOMPARE(w.prompt.lastTitle(), u"Unhidden Files Detected"_s);
            QCOMPARE(w.prompt.seen.back().buttons, platform::PromptButtons::YesNo);
        }
        QCOMPARE(w.exits, ends ? QList<int>{0} : QList<int>{});
        QCOMPARE(main->isVisible(), !ends);
        QCOMPARE(QFile::exists(w.tempFolder()), !ends);
        if (ends) {
            QVERIFY(!main->librariesWindow());
            QVERIFY(!main->explorerWindow());
        } else {
            // Still running, with the Libraries window alone and maximised.
            QVERIFY(main->librariesWindow());
            QVERIFY(main->librariesSubWindow()->isMaximized());
            QVERIFY(!main->explorerWindow());
            QVERIFY(findAction(*main, "menu_view_libraries")->isChecked());
            QVERIFY(!findAction(*main, "menu_view_explorer")->isChecked());
        }
    }

    void temporaryFolderThatCannotBeDeleted()
    {
        MainWorld w;
        auto main = w.loadMain();
        w.tempCopy(u"locked/copy.jpg"_s);
        const QString locked = w.tempFolder() + u"/locked"_s;
        if (!setUndeletable(locked, true))
            QSKIP("this file system cannot keep a file from being deleted");
        w.prompt.acceptMessages();
        main->close();
        setUndeletable(locked, false);
        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.lastText(), QStringLiteral("Cloakwell could not delete the temporary "
                                                     "folder. Some files may still be in use."));
        QCOMPARE(w.prompt.lastTitle(), u"Cloakwell"_s);
        QCOMPARE(w.exits, QList<int>{0}); // and the program still ends
        QVERIFY(platform::removeFolderTree(w.tempFolder()));
    }
};

WINDOW_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

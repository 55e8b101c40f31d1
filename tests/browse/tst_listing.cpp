// The models need QtGui (icons, colours) but no widgets: run them under a
// QGuiApplication to show that.
#undef QT_WIDGETS_LIB
#include "BrowseFixture.h"

#include "browse/mFileInfo.h"
#include "platform/FileTypes.h"

#include <QBrush>
#include <QDateTime>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeDatabase>
#include <QTest>

#include <ctime>
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

using namespace browse;
using mFileInfo::list_folder;
using mFileInfo::ListingResult;

Q_DECLARE_METATYPE(mFileInfo::ListingResult)

namespace {

// A Libraries or Explorer pane whose tree holds one folder of the world,
// selected, as a click on it leaves it.
struct PaneWorld : BrowseFixture
{
    explicit PaneWorld(bool libraries) : pane(libraries)
    {
        mGetFolders::copy_icons(pane.treeIcons, base);
        mGetFolders::copy_icons(pane.listIcons, base);
        dir = world.folder(QStringLiteral("shown"));
        other = world.folder(QStringLiteral("other"));
        TreeNode* root = pane.tree.addNode(nullptr, node(QStringLiteral("mylibraries")));
        pane.tree.addNode(root, node(dir));
        pane.tree.addNode(root, node(other));
        select(dir);
    }

    static std::unique_ptr<TreeNode> node(const QString& key)
    {
        auto n = std::make_unique<TreeNode>();
        n->key = key;
        n->text = key;
        n->image = images::folder;
        return n;
    }

    void select(const QString& key) { pane.tree.selectNode(pane.tree.nodeByKey(key)); }
    QString file(const QString& name, const QByteArray& bytes = {})
    {
        return world.file(QStringLiteral("shown/") + name, bytes);
    }
    ListingResult list() { return list_folder(ctx, pane); }

    QStringList texts() const
    {
        QStringList out;
        for (const ListItem& i : pane.list.items())
            out.append(i.text);
        return out;
    }
    const ListItem* byText(const QString& text) const
    {
        for (const ListItem& i : pane.list.items())
            if (i.text == text)
                return &i;
        return nullptr;
    }

    BrowsePane pane;
    QString dir;
    QString other;
};

} // namespace

class TestListing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void order_data();
    void order();
    void hiddenFiles();
    void sizesAndFolders();
    void formatListSize_data();
    void formatListSize();
    void formatFileTime_data();
    void formatFileTime();
    void relistingKeepsSelection();
    void iconCacheReset_data();
    void iconCacheReset();
    void abandoned_data();
    void abandoned();
    void rootsAreNotListed();
    void missingFolder();
    void unreadableFolder();
    void noListedFileIsOpened();
    void statusTexts();
    void columns_data();
    void columns();
    void commandsChangeItemsInPlace();
    void typesByName();
};

void TestListing::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestListing::order_data()
{
    QTest::addColumn<bool>("libraries");
    QTest::addColumn<QStringList>("expected");
    const QString middle = BrowseFixture::hidden(QStringLiteral("Middle"));
    const QString aardvark = BrowseFixture::hidden(QStringLiteral("aardvark.png"));
    // Folders first, then files; each by the shown text, case-insensitive.
    QTest::newRow("Libraries") << true << QStringList{"Alpha", "Middle",       "zeta",  ".dotfile",
                                                      "A.jpg", "aardvark.png", "b.txt", "c.JPG"};
    QTest::newRow("Explorer") << false << QStringList{"Alpha", middle,  "zeta",  ".dotfile",
                                                      "A.jpg", "b.txt", "c.JPG", aardvark};
}

void TestListing::order()
{
    QFETCH(bool, libraries);
    QFETCH(QStringList, expected);
    PaneWorld w(libraries);
    for (const char* n : {"zeta", "Alpha"})
        w.world.folder(QStringLiteral("shown/") + QLatin1String(n));
    w.world.folder(QStringLiteral("shown/") + BrowseFixture::hidden(QStringLiteral("Middle")));
    for (const char* n : {"b.txt", "c.JPG", "A.jpg", ".dotfile"})
        w.file(QLatin1String(n));
    w.file(BrowseFixture::hidden(QStringLiteral("aardvark.png")));
    QCOMPARE(w.list(), ListingResult::Listed);
    QCOMPARE(w.texts(), expected);
    QCOMPARE(w.pane.list.tag(), w.dir);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestListing::hiddenFiles()
{
    const QString beach = BrowseFixture::hidden(QStringLiteral("beach.jpg"), 2);
    const QString notes = BrowseFixture::hidden(QStringLiteral("notes"), 3);
    for (bool libraries : {true, false}) {
        PaneWorld w(libraries);
        w.file(beach, "\x01\x02");
        w.file(notes);
        w.file(QStringLiteral("other.jpg"));
        w.file(QStringLiteral("plainfile"));
        QCOMPARE(w.list(), ListingResult::Listed);
        const ListItem* other = w.byText(QStringLiteral("other.jpg"));
        const ListItem* plain = w.byText(QStringLiteral("plainfile"));
        QVERIFY(other && plain);
        QVERIFY(other->type != QLatin1String("Unknown File"));
        QCOMPARE(plain->type, QStringLiteral("Unknown File"));
        QVERIFY(!other->hidden);
        QVERIFY(other->toolTip.isEmpty());
        if (libraries) {
            // Readable name, the type and icon of that name, the hidden look
            // and a tooltip naming the stored file and its level.
            const ListItem* b = w.byText(QStringLiteral("beach.jpg"));
            QVERIFY(b);
            QVERIFY(b->hidden);
            QCOMPARE(b->key, w.dir + QLatin1Char('/') + beach);
            QCOMPARE(b->type, other->type);
            QCOMPARE(b->iconKey, other->iconKey);
            QCOMPARE(b->toolTip, QStringLiteral("Encrypted Name: \"") + w.dir + QLatin1Char('/') +
                                     beach + QStringLiteral("\" (Level 2)"));
            QCOMPARE(b->color, w.prefs.color_2);
            QVERIFY(b->bold);
            QCOMPARE(other->color, w.prefs.color_1);
            QVERIFY(!other->bold);
            const QModelIndex bi = w.pane.list.index(w.pane.list.rowOfKey(b->key), 0);
            QCOMPARE(bi.data(Qt::ToolTipRole).toString(), b->toolTip);
            QCOMPARE(bi.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0x00, 0x50, 0xC0));
            QVERIFY(bi.data(Qt::FontRole).value<QFont>().bold());
            const ListItem* n = w.byText(QStringLiteral("notes"));
            QVERIFY(n);
            QCOMPARE(n->type, plain->type);
            QCOMPARE(n->iconKey, plain->iconKey);
            QVERIFY(n->toolTip.endsWith(QStringLiteral("(Level 3)")));
        } else {
            const ListItem* b = w.byText(beach);
            QVERIFY(b);
            QVERIFY(!b->hidden);
            QCOMPARE(b->type, QStringLiteral("Unknown File"));
            QVERIFY(b->toolTip.isEmpty());
            QVERIFY(!b->hasColor);
            const QModelIndex bi = w.pane.list.index(w.pane.list.rowOfKey(b->key), 0);
            QVERIFY(!bi.data(Qt::ToolTipRole).isValid());
            QVERIFY(!bi.data(Qt::ForegroundRole).isValid());
        }
        for (int row = 0; row < w.pane.list.count(); ++row) {
            const QIcon icon = w.pane.list.index(row, 0).data(Qt::DecorationRole).value<QIcon>();
            QVERIFY(!icon.pixmap(16, 16).isNull());
        }
    }
}

void TestListing::sizesAndFolders()
{
    PaneWorld w(false);
    w.file(QStringLiteral("empty"));
    w.file(QStringLiteral("half.bin"), QByteArray(1536, 'x'));
    w.world.folder(QStringLiteral("shown/sub"));
    QCOMPARE(w.list(), ListingResult::Listed);
    QCOMPARE(w.byText(QStringLiteral("empty"))->size, QStringLiteral("1 KB"));
    QCOMPARE(w.byText(QStringLiteral("half.bin"))->size, QStringLiteral("2 KB"));
    const ListItem* sub = w.byText(QStringLiteral("sub"));
    QVERIFY(sub->size.isEmpty());
    QCOMPARE(sub->type, QStringLiteral("File Folder"));
    QCOMPARE(sub->iconKey, QStringLiteral("folder"));
    QVERIFY(!sub->modified.isEmpty());
}

void TestListing::formatListSize_data()
{
    QTest::addColumn<quint32>("high");
    QTest::addColumn<quint32>("low");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << 0u << 0u << "en_US"
                           << "1 KB";
    QTest::newRow("just under 1 KB") << 0u << 1023u << "en_US"
                                     << "1 KB";
    QTest::newRow("1.499 KB") << 0u << 1535u << "en_US"
                              << "1 KB";
    QTest::newRow("1.5 KB") << 0u << 1536u << "en_US"
                            << "2 KB";
    QTest::newRow("2.5 KB rounds up") << 0u << 2560u << "en_US"
                                      << "3 KB";
    QTest::newRow("3.5 KB rounds up") << 0u << 3584u << "en_US"
                                      << "4 KB";
    QTest::newRow("10 MB") << 0u << 10485760u << "en_US"
                           << "10,240 KB";
    QTest::newRow("10 MB, German") << 0u << 10485760u << "de_DE"
                                   << "10.240 KB";
    QTest::newRow("10 MB, C") << 0u << 10485760u << "C"
                              << "10,240 KB";
    QTest::newRow("4 GB, high word") << 1u << 0u << "en_US"
                                     << "4,194,304 KB";
    QTest::newRow("largest") << 0xFFFFFFFFu << 0xFFFFFFFFu << "en_US"
                             << "18,014,398,509,481,984 KB";
}

void TestListing::formatListSize()
{
    QFETCH(quint32, high);
    QFETCH(quint32, low);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QLocale::setDefault(QLocale(locale));
    const QString text = mFileInfo::format_list_size(high, low);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(text, expected);
}

void TestListing::formatFileTime_data()
{
    QTest::addColumn<QByteArray>("tz");
    QTest::addColumn<qint64>("utc");
    QTest::addColumn<QString>("expected");
    auto at = [](int y, int mo, int d, int h, int mi) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC).toSecsSinceEpoch();
    };
    QTest::newRow("example") << QByteArray("UTC0") << at(2002, 3, 7, 9, 5) << "7/3/2002 9:05";
    QTest::newRow("midnight") << QByteArray("UTC0") << at(2000, 1, 1, 0, 0) << "1/1/2000 0:00";
    QTest::newRow("late") << QByteArray("UTC0") << at(1999, 12, 31, 23, 59) << "31/12/1999 23:59";
    // Local time, with summer time where the zone has it.
    const QByteArray cet("CET-1CEST,M3.5.0,M10.5.0/3");
    QTest::newRow("winter, +1") << cet << at(2002, 1, 10, 12, 0) << "10/1/2002 13:00";
    QTest::newRow("summer, +2") << cet << at(2002, 7, 1, 22, 30) << "2/7/2002 0:30";
}

void TestListing::formatFileTime()
{
    QFETCH(QByteArray, tz);
    QFETCH(qint64, utc);
    QFETCH(QString, expected);
    const QByteArray old = qgetenv("TZ");
    qputenv("TZ", tz);
    ::tzset();
    const QString text = mFileInfo::format_file_time(utc);
    qputenv("TZ", old);
    ::tzset();
    QCOMPARE(text, expected);
}

void TestListing::relistingKeepsSelection()
{
    PaneWorld w(true);
    for (const char* n : {"a.txt", "b.txt", "c.txt"})
        w.file(QLatin1String(n));
    w.world.file(QStringLiteral("other/x.txt"));
    QCOMPARE(w.list(), ListingResult::Listed);
    w.pane.list.selectKeys({w.dir + QStringLiteral("/a.txt"), w.dir + QStringLiteral("/c.txt")});

    QVERIFY(QFile::remove(w.dir + QStringLiteral("/c.txt")));
    w.file(QStringLiteral("d.txt"));
    QCOMPARE(w.list(), ListingResult::Listed);
    QCOMPARE(w.texts(), (QStringList{"a.txt", "b.txt", "d.txt"}));
    QCOMPARE(w.pane.list.selectedKeys(), QStringList{w.dir + QStringLiteral("/a.txt")});

    // Another folder starts without a selection, and so does coming back.
    w.select(w.other);
    QCOMPARE(w.list(), ListingResult::Listed);
    QVERIFY(w.pane.list.selectedKeys().isEmpty());
    w.pane.list.selectKeys({w.other + QStringLiteral("/x.txt")});
    w.select(w.dir);
    QCOMPARE(w.list(), ListingResult::Listed);
    QVERIFY(w.pane.list.selectedKeys().isEmpty());
}

void TestListing::iconCacheReset_data()
{
    QTest::addColumn<int>("ownIconFiles");
    QTest::addColumn<int>("countAfterNextListing");
    // Eleven base images plus one per icon file; then one for the text type.
    QTest::newRow("250 images are kept") << 239 << 251;
    QTest::newRow("251 images are reset") << 240 << 12;
}

void TestListing::iconCacheReset()
{
    QFETCH(int, ownIconFiles);
    QFETCH(int, countAfterNextListing);
    PaneWorld w(false);
    for (int i = 0; i < ownIconFiles; ++i)
        w.file(QStringLiteral("icon%1.ico").arg(i));
    w.world.file(QStringLiteral("other/readme.txt"));
    QCOMPARE(w.list(), ListingResult::Listed);
    QCOMPARE(w.pane.listIcons.count(), 11 + ownIconFiles);
    // Each icon file has an image of its own.
    QCOMPARE(w.pane.list.item(0).iconKey, w.pane.list.item(0).key);
    w.select(w.other);
    QCOMPARE(w.list(), ListingResult::Listed);
    QCOMPARE(w.pane.listIcons.count(), countAfterNextListing);
    QCOMPARE(w.pane.listIcons.keys().mid(0, 11), w.base.keys());
    QVERIFY(w.pane.listIcons.contains(w.pane.list.item(0).iconKey));
}

void TestListing::abandoned_data()
{
    QTest::addColumn<int>("atCall"); // 1: collecting, 2: showing (fewer than 64 entries)
    QTest::addColumn<QString>("change");
    QTest::newRow("selection moves while collecting") << 1 << "select";
    QTest::newRow("selection moves while showing") << 2 << "select";
    QTest::newRow("focus moves while collecting") << 1 << "focus";
    QTest::newRow("focus moves while showing") << 2 << "focus";
    QTest::newRow("root clicked while showing") << 2 << "root";
    QTest::newRow("newer listing of another folder") << 1 << "nested";
}

void TestListing::abandoned()
{
    QFETCH(int, atCall);
    QFETCH(QString, change);
    PaneWorld w(true);
    w.focus = 2;
    for (int i = 0; i < 10; ++i)
        w.file(QStringLiteral("f%1.txt").arg(i));
    w.world.file(QStringLiteral("other/kept.txt"));
    int calls = 0;
    ListingResult nested = ListingResult::NothingToList;
    w.ctx.keepResponsive = [&] {
        if (++calls != atCall)
            return;
        if (change == QLatin1String("select"))
            w.select(w.other);
        else if (change == QLatin1String("focus"))
            w.focus = 1;
        else if (change == QLatin1String("root")) {
            w.pane.tree.selectNode(w.pane.tree.firstRoot());
            w.pane.list.clear();
            w.pane.list.setTag(QString());
        } else {
            w.select(w.other);
            nested = w.list();
        }
    };
    const ListingResult result = w.list();
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(w.prompt.seen.isEmpty());
    if (change == QLatin1String("nested")) {
        // The newer listing owns the list.
        QCOMPARE(result, ListingResult::Superseded);
        QCOMPARE(nested, ListingResult::Listed);
        QCOMPARE(w.pane.list.tag(), w.other);
        QCOMPARE(w.texts(), QStringList{"kept.txt"});
        return;
    }
    QCOMPARE(result, ListingResult::Abandoned);
    QCOMPARE(w.pane.list.tag(), QString());
    QCOMPARE(w.pane.list.count(), 0);
}

void TestListing::rootsAreNotListed()
{
    PaneWorld w(false);
    w.file(QStringLiteral("a.txt"));
    QCOMPARE(w.list(), ListingResult::Listed);
    for (const char* root : {"mylibraries", "mycomputer"}) {
        w.pane.tree.firstRoot()->key = QLatin1String(root);
        w.pane.tree.selectNode(w.pane.tree.firstRoot());
        QCOMPARE(w.list(), ListingResult::NothingToList);
        QCOMPARE(w.pane.list.tag(), w.dir);
        QCOMPARE(w.texts(), QStringList{"a.txt"});
    }
    w.pane.tree.selectNode(nullptr);
    QCOMPARE(w.list(), ListingResult::NothingToList);
    QCOMPARE(w.texts(), QStringList{"a.txt"});
}

void TestListing::missingFolder()
{
    PaneWorld w(true);
    w.file(QStringLiteral("a.txt"));
    QCOMPARE(w.list(), ListingResult::Listed);
    QVERIFY(QDir(w.dir).removeRecursively());
    w.prompt.acceptMessages(1);
    QCOMPARE(w.list(), ListingResult::FolderMissing);
    QCOMPARE(w.prompt.lastText(),
             QStringLiteral("That path is inaccessible. Try refreshing the screen."));
    QCOMPARE(w.prompt.lastTitle(), QStringLiteral("Cloakwell"));
    QCOMPARE(w.prompt.hourglassAtPrompt, QList<bool>{false});
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(w.pane.list.count(), 0);
    QCOMPARE(w.pane.list.tag(), QString());
}

void TestListing::unreadableFolder()
{
    if (::geteuid() == 0)
        QSKIP("the super-user reads every folder");
    PaneWorld w(false);
    w.file(QStringLiteral("a.txt"));
    QVERIFY(QFile::setPermissions(w.dir, QFileDevice::WriteOwner));
    w.prompt.acceptMessages(1);
    const ListingResult result = w.list();
    QFile::setPermissions(w.dir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(result, ListingResult::EnumerationFailed);
    QCOMPARE(w.prompt.lastText(), QStringLiteral("An expected folder (") + w.dir +
                                      QStringLiteral("/)is missing. Try refreshing the screen."));
    QCOMPARE(w.prompt.lastTitle(), QStringLiteral("Path Not Found"));
    QCOMPARE(w.prompt.hourglassAtPrompt, QList<bool>{false});
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(w.pane.list.count(), 0);
}

void TestListing::noListedFileIsOpened()
{
    PaneWorld w(true);
    for (const char* n : {"a.jpg", "b.ico", "c.desktop", "d.exe", "e"})
        w.file(QLatin1String(n), "content");
    w.file(BrowseFixture::hidden(QStringLiteral("f.jpg"), 3), "content");
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(fd >= 0);
    QVERIFY(::inotify_add_watch(fd, QFile::encodeName(w.dir).constData(), IN_OPEN | IN_ACCESS) >=
            0);
    QCOMPARE(w.list(), ListingResult::Listed);
    QCOMPARE(w.pane.list.count(), 6);
    QStringList opened;
    alignas(inotify_event) char buffer[8192];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        for (char* p = buffer; p < buffer + n;) {
            auto* ev = reinterpret_cast<inotify_event*>(p);
            if (ev->len > 0) // an entry; the folder itself is read, of course
                opened.append(QString::fromUtf8(ev->name));
            p += sizeof(inotify_event) + ev->len;
        }
    ::close(fd);
    QVERIFY2(opened.isEmpty(), qPrintable(opened.join(QLatin1Char(' '))));
}

void TestListing::statusTexts()
{
    PaneWorld w(false);
    for (const char* n : {"a", "b", "c"})
        w.file(QLatin1String(n));
    QStringList shown;
    w.ctx.showStatus = [&](const QString& t) { shown.append(t); };
    QCOMPARE(w.list(), ListingResult::Listed);
    QVERIFY(shown.contains(QStringLiteral("Extracting icons...")));
    QCOMPARE(shown.last(), QStringLiteral("3 Object(s) found"));
}

void TestListing::columns_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QList<bool>>("shown");
    QTest::newRow("all") << "1111" << QList<bool>{true, true, true, true};
    QTest::newRow("unset") << "" << QList<bool>{true, true, true, true};
    QTest::newRow("name and type") << "1010" << QList<bool>{true, false, true, false};
    QTest::newRow("short") << "10" << QList<bool>{true, false, true, true};
    QTest::newRow("odd characters") << "0x1?" << QList<bool>{false, true, true, true};
    QTest::newRow("none, and more") << "000001" << QList<bool>{false, false, false, false};
}

void TestListing::columns()
{
    QFETCH(QString, setting);
    QFETCH(QList<bool>, shown);
    BrowseFixture f;
    if (!setting.isEmpty())
        f.store.save_setting(QStringLiteral("Appearance"), QStringLiteral("columns"), setting);
    f.store.save_setting(QStringLiteral("Appearance"), QStringLiteral("width1"),
                         QStringLiteral("2880"));
    f.store.save_setting(QStringLiteral("Appearance"), QStringLiteral("width4"),
                         QStringLiteral("1500.5"));
    FolderListModel list(f.base);
    mFileInfo::set_list_columns(list, f.store);
    for (int k = 0; k < 4; ++k)
        QCOMPARE(list.columns().shown[size_t(k)], shown[k]);
    QCOMPARE(list.columns().widthTwips[0], 2880.0);
    QCOMPARE(list.columns().widthTwips[1], 0.0);
    QCOMPARE(list.columns().widthTwips[3], 1500.5);
    QCOMPARE(list.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Size"));
}

void TestListing::commandsChangeItemsInPlace()
{
    PaneWorld w(true);
    for (const char* n : {"a.txt", "cat.jpg", "z.txt"})
        w.file(QLatin1String(n));
    QCOMPARE(w.list(), ListingResult::Listed);
    const QString oldKey = w.dir + QStringLiteral("/cat.jpg");
    const int row = w.pane.list.rowOfKey(oldKey);
    QCOMPARE(row, 1);
    // A command that renames an item finds it again by its new key.
    ListItem item = w.pane.list.item(row);
    item.key = w.dir + QLatin1Char('/') + BrowseFixture::hidden(QStringLiteral("cat.jpg"), 2);
    w.pane.list.setItem(row, item);
    QCOMPARE(w.pane.list.rowOfKey(item.key), row);
    QCOMPARE(w.pane.list.rowOfKey(oldKey), -1);
}

void TestListing::typesByName()
{
    // Every name gets the type QMimeDatabase gives it, whichever names of the
    // same ending came first: plain endings are remembered, the names that
    // special globs catch ("README*", "*~", "*.so.1") are not.
    const QStringList names = {
        "a.txt",       "CMakeLists.txt", "readme.txt",   "README",      "READMEs",      "x.in",
        "Makefile.in", "makefile",       "notes",        "core",        "notes~",       "a.txt~",
        "b.c,v",       "libz.so",        "libz.so.1",    "libz.so.1.2", "x.1",          "x.10",
        "123.vdr",     "abc.vdr",        "photo.tar.gz", "photo.gz",    "a.tar.gz",     "x.C",
        "x.c",         "x.JPG",          "x.jpg",        ".hidden.jpg", ".bashrc",      "ChangeLog",
        "Picture.kz2", "ünïcode.png",    "ünïcode",      "..",          "a.b.c.d.jpeg",
    };
    QMimeDatabase db;
    for (int round = 0; round < 2; ++round)
        for (const QString& name : names) {
            const QString expected = db.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name();
            QCOMPARE(platform::fileTypeForName(name).mimeName, expected);
        }
    QCOMPARE(platform::fileTypeForName(QStringLiteral("x.jpg")).typeName,
             db.mimeTypeForName(QStringLiteral("image/jpeg")).comment());
    QVERIFY(platform::fileTypeForName(QStringLiteral("x.ico")).ownIcon);
    QVERIFY(platform::fileTypeForName(QStringLiteral("x.desktop")).ownIcon);
    QVERIFY(!platform::fileTypeForName(QStringLiteral("x.png")).ownIcon);
    QVERIFY(platform::fileTypeForName(QStringLiteral("x.kz2")).typeName.isEmpty());
}

QTEST_MAIN(TestListing)
#include "tst_listing.moc"

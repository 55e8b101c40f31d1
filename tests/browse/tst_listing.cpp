// The models need QtGui (icons, colours) but no widgets: run them under a
// QGuiApplication to show that.
#undef QT_WIDGETS_LIB
#include "support/AccessOverride.h"
#include "support/BrowseFixture.h"

#include "browse/mFileInfo.h"
#include "platform/FileTypes.h"

#include <QBrush>
#include <QDateTime>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeDatabase>
#include <QSet>
#include <QTest>

#include <ctime>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace browse;
using namespace Qt::StringLiterals;
using mFileInfo::ListingResult;

Q_DECLARE_METATYPE(mFileInfo::ListingResult)

namespace {

// A Libraries or Explorer pane whose tree holds the world's folders "shown"
// (selected, as a click leaves it) and "other" below a root.
struct PaneWorld : BrowseFixture
{
    explicit PaneWorld(bool libraries) : pane(libraries)
    {
        mGetFolders::copy_icons(pane.treeIcons, base);
        mGetFolders::copy_icons(pane.listIcons, base);
        TreeNode* root = pane.tree.addNode(nullptr, node(u"mylibraries"_s));
        pane.tree.addNode(root, node(dir));
        pane.tree.addNode(root, node(other));
        select(dir);
    }
    static std::unique_ptr<TreeNode> node(const QString& key)
    {
        auto n = std::make_unique<TreeNode>();
        n->key = n->text = key;
        n->image = images::folder;
        return n;
    }
    void select(const QString& key) { pane.tree.selectNode(pane.tree.nodeByKey(key)); }
    QString file(const QString& name, const QByteArray& bytes = {})
    {
        return world.file(u"shown/"_s + name, bytes);
    }
    ListingResult list() { return mFileInfo::list_folder(ctx, pane); }
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
    QString dir = world.folder(u"shown"_s);
    QString other = world.folder(u"other"_s);
};

} // namespace

class TestListing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void order_data();
    void order();
    void hiddenFiles();
    void formatListSize_data();
    void formatListSize();
    void formatFileTime_data();
    void formatFileTime();
    void relistingKeepsSelection();
    void relistedSelectionStaysMerged_data();
    void relistedSelectionStaysMerged();
    void iconCacheReset_data();
    void iconCacheReset();
    void abandoned_data();
    void abandoned();
    void rootsAreNotListed();
    void listingFails_data();
    void listingFails();
    void noListedFileIsOpened();
    void columns_data();
    void columns();
    void typesByName();
    void typeCacheStaysSmall_data();
    void compactRecords_data();
    void compactRecords();
    void typeCacheStaysSmall();
};

void TestListing::order_data()
{
    QTest::addColumn<bool>("libraries");
    QTest::addColumn<QStringList>("expected");
    const QString middle = BrowseFixture::hidden(u"Middle"_s);
    const QString aardvark = BrowseFixture::hidden(u"aardvark.png"_s);
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
    for (const QString& n : {u"zeta"_s, u"Alpha"_s, BrowseFixture::hidden(u"Middle"_s)})
        w.world.folder(u"shown/"_s + n);
    for (const QString& n : {u"c.JPG"_s, u"A.jpg"_s, u".dotfile"_s})
        w.file(n);
    w.file(u"b.txt"_s, QByteArray(1536, 'x'));
    w.file(BrowseFixture::hidden(u"aardvark.png"_s));
    QStringList status;
    w.ctx.showStatus = [&](const QString& t) { status.append(t); };
    QCOMPARE(w.list(), ListingResult::Listed);
    QCOMPARE(w.texts(), expected);
    QCOMPARE(w.pane.list.tag(), w.dir);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(status.contains(u"Extracting icons..."_s));
    QCOMPARE(status.last(), u"8 Object(s) found"_s);
    // Sizes in whole KB, rounded, at least 1; folders have none.
    QCOMPARE(w.byText(u"A.jpg"_s)->size, u"1 KB"_s);
    QCOMPARE(w.byText(u"b.txt"_s)->size, u"2 KB"_s);
    const ListItem* alpha = w.byText(u"Alpha"_s);
    QVERIFY(alpha->size.isEmpty());
    QCOMPARE(alpha->type, u"File Folder"_s);
    QCOMPARE(alpha->iconKey, u"folder"_s);
    QVERIFY(!alpha->modified.isEmpty());
}

void TestListing::hiddenFiles()
{
    const QString beach = BrowseFixture::hidden(u"beach.jpg"_s, 2);
    const QString notes = BrowseFixture::hidden(u"notes"_s, 3);
    for (bool libraries : {true, false}) {
        PaneWorld w(libraries);
        w.file(beach, "\x01\x02");
        for (const QString& n : {notes, u"other.jpg"_s, u"plainfile"_s})
            w.file(n);
        QCOMPARE(w.list(), ListingResult::Listed);
        const ListItem* other = w.byText(u"other.jpg"_s);
        const ListItem* plain = w.byText(u"plainfile"_s);
        QVERIFY(other && plain);
        QVERIFY(other->type != "Unknown File"_L1);
        QCOMPARE(plain->type, u"Unknown File"_s);
        QVERIFY(!other->hidden);
        QVERIFY(other->toolTip.isEmpty());
        const ListItem* b = w.byText(libraries ? u"beach.jpg"_s : beach);
        QVERIFY(b);
        const QModelIndex bi = w.pane.list.index(w.pane.list.rowOfKey(b->key), 0);
        if (libraries) {
            // Readable name, the type and icon of that name, the hidden look
            // and a tooltip naming the stored file and its level.
            QVERIFY(b->hidden);
            QCOMPARE(b->key, w.dir + '/' + beach);
            QCOMPARE(b->type, other->type);
            QCOMPARE(b->iconKey, other->iconKey);
            QCOMPARE(b->toolTip, "Encrypted Name: \"" + w.dir + '/' + beach + "\" (Level 2)");
            QCOMPARE(b->color, w.prefs.color_2);
            QVERIFY(b->bold);
            QCOMPARE(other->color, w.prefs.color_1);
            QVERIFY(!other->bold);
            QCOMPARE(bi.data(Qt::ToolTipRole).toString(), b->toolTip);
            QCOMPARE(bi.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0x00, 0x50, 0xC0));
            QVERIFY(bi.data(Qt::FontRole).value<QFont>().bold());
            const ListItem* n = w.byText(u"notes"_s);
            QVERIFY(n);
            QCOMPARE(n->type, plain->type);
            QCOMPARE(n->iconKey, plain->iconKey);
            QVERIFY(n->toolTip.endsWith(u"(Level 3)"_s));
        } else {
            QVERIFY(!b->hidden);
            QCOMPARE(b->type, u"Unknown File"_s);
            QVERIFY(b->toolTip.isEmpty());
            QVERIFY(!b->hasColor);
            QVERIFY(!bi.data(Qt::ToolTipRole).isValid());
            QVERIFY(!bi.data(Qt::ForegroundRole).isValid());
        }
        for (int row = 0; row < w.pane.list.count(); ++row) {
            const QIcon icon = w.pane.list.index(row, 0).data(Qt::DecorationRole).value<QIcon>();
            QVERIFY(!icon.pixmap(16, 16).isNull());
        }
    }
}

void TestListing::formatListSize_data()
{
    QTest::addColumn<quint32>("high");
    QTest::addColumn<quint32>("low");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, quint32 high, quint32 low, const char* locale,
                  const char* expected) {
        QTest::newRow(name) << high << low << QString::fromLatin1(locale)
                            << QString::fromLatin1(expected);
    };
    row("empty", 0, 0, "en_US", "1 KB");
    row("just under 1 KB", 0, 1023, "en_US", "1 KB");
    row("1.499 KB", 0, 1535, "en_US", "1 KB");
    row("1.5 KB", 0, 1536, "en_US", "2 KB");
    row("2.5 KB rounds up", 0, 2560, "en_US", "3 KB");
    row("3.5 KB rounds up", 0, 3584, "en_US", "4 KB");
    row("10 MB", 0, 10485760, "en_US", "10,240 KB");
    row("10 MB, German", 0, 10485760, "de_DE", "10.240 KB");
    row("10 MB, C", 0, 10485760, "C", "10,240 KB");
    row("4 GB, high word", 1, 0, "en_US", "4,194,304 KB");
    row("largest", 0xFFFFFFFFu, 0xFFFFFFFFu, "en_US", "18,014,398,509,481,984 KB");
}

void TestListing::formatListSize()
{
    QFETCH(quint32, high);
    QFETCH(quint32, low);
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    const QString text = mFileInfo::format_list_size(high, low);
    initTestCase();
    QTEST(text, "expected");
}

void TestListing::formatFileTime_data()
{
    QTest::addColumn<QByteArray>("tz");
    QTest::addColumn<qint64>("utc");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* tz, QDateTime utc, const char* expected) {
        QTest::newRow(name) << QByteArray(tz) << utc.toSecsSinceEpoch()
                            << QString::fromLatin1(expected);
    };
    auto at = [](int y, int mo, int d, int h, int mi) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC);
    };
    row("example", "UTC0", at(2002, 3, 7, 9, 5), "7/3/2002 9:05");
    row("midnight", "UTC0", at(2000, 1, 1, 0, 0), "1/1/2000 0:00");
    row("late", "UTC0", at(1999, 12, 31, 23, 59), "31/12/1999 23:59");
    // Local time, with summer time where the zone has it.
    const char* cet = "CET-1CEST,M3.5.0,M10.5.0/3";
    row("winter, +1", cet, at(2002, 1, 10, 12, 0), "10/1/2002 13:00");
    row("summer, +2", cet, at(2002, 7, 1, 22, 30), "2/7/2002 0:30");
}

void TestListing::formatFileTime()
{
    QFETCH(QByteArray, tz);
    QFETCH(qint64, utc);
    const QByteArray old = qgetenv("TZ");
    qputenv("TZ", tz);
    ::tzset();
    const QString text = mFileInfo::format_file_time(utc);
    qputenv("TZ", old);
    ::tzset();
    QTEST(text, "expected");
}

void TestListing::relistingKeepsSelection()
{
    PaneWorld w(true);
    for (const char* n : {"a.txt", "b.txt", "c.txt"})
        w.file(QLatin1String(n));
    w.world.file(u"other/x.txt"_s);
    QCOMPARE(w.list(), ListingResult::Listed);
    w.pane.list.selectKeys({w.dir + u"/a.txt"_s, w.dir + u"/c.txt"_s});

    QVERIFY(QFile::remove(w.dir + u"/c.txt"_s));
    w.file(u"d.txt"_s);
    QCOMPARE(w.list(), ListingResult::Listed);
    QCOMPARE(w.texts(), (QStringList{"a.txt", "b.txt", "d.txt"}));
    QCOMPARE(w.pane.list.selectedKeys(), QStringList{w.dir + u"/a.txt"_s});

    // A command that renames an item finds it again by its new key.
    ListItem item = w.pane.list.item(1);
    item.key = w.dir + '/' + BrowseFixture::hidden(u"b.txt"_s, 2);
    w.pane.list.setItem(1, item);
    QCOMPARE(w.pane.list.rowOfKey(item.key), 1);
    QCOMPARE(w.pane.list.rowOfKey(w.dir + u"/b.txt"_s), -1);

    // Another folder starts without a selection, and so does coming back.
    w.select(w.other);
    QCOMPARE(w.list(), ListingResult::Listed);
    QVERIFY(w.pane.list.selectedKeys().isEmpty());
    w.pane.list.selectKeys({w.other + u"/x.txt"_s});
    w.select(w.dir);
    QCOMPARE(w.list(), ListingResult::Listed);
    QVERIFY(w.pane.list.selectedKeys().isEmpty());
}

void TestListing::relistedSelectionStaysMerged_data()
{
    // One character per file f0 .. f9 in list order: "1" selected.
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("ranges");
    QTest::newRow("all") << "1111111111" << 1;
    QTest::newRow("none") << "0000000000" << 0;
    QTest::newRow("two runs") << "1110001111" << 2;
    QTest::newRow("every other") << "1010101010" << 5;
    QTest::newRow("last only") << "0000000001" << 1;
}

// Re-listing a selection keeps one range per run of rows, not one per row:
// with one per row, each selection query after Select All and Refresh on a
// big folder takes time in the square of the item count.
void TestListing::relistedSelectionStaysMerged()
{
    QFETCH(QString, chosen);
    QFETCH(int, ranges);
    PaneWorld w(false);
    for (int i = 0; i < chosen.size(); ++i)
        w.file(u"f%1.txt"_s.arg(i));
    QCOMPARE(w.list(), ListingResult::Listed);
    QStringList keys;
    QItemSelection picked;
    for (int row = 0; row < chosen.size(); ++row)
        if (chosen[row] == u'1') {
            keys.append(w.pane.list.item(row).key);
            picked.select(w.pane.list.index(row, 0), w.pane.list.index(row, 3));
        }
    w.pane.list.selectionModel()->select(picked, QItemSelectionModel::ClearAndSelect);
    QCOMPARE(w.pane.list.selectedKeys(), keys);

    QCOMPARE(w.list(), ListingResult::Listed);
    QCOMPARE(w.pane.list.selectedKeys(), keys);
    QCOMPARE(w.pane.list.selectionModel()->selection().size(), ranges);
    for (int row = 0; row < chosen.size(); ++row)
        QCOMPARE(w.pane.list.selectionModel()->isRowSelected(row, {}), chosen[row] == u'1');
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
    PaneWorld w(false);
    for (int i = 0; i < ownIconFiles; ++i)
        w.file(u"icon%1.ico"_s.arg(i));
    w.world.file(u"other/readme.txt"_s);
    QCOMPARE(w.list(), ListingResult::Listed);
    QCOMPARE(w.pane.listIcons.count(), 11 + ownIconFiles);
    // Each icon file has an image of its own.
    QCOMPARE(w.pane.list.item(0).iconKey, w.pane.list.item(0).key);
    w.select(w.other);
    QCOMPARE(w.list(), ListingResult::Listed);
    QTEST(w.pane.listIcons.count(), "countAfterNextListing");
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
        w.file(u"f%1.txt"_s.arg(i));
    w.world.file(u"other/kept.txt"_s);
    int calls = 0;
    ListingResult nested = ListingResult::NothingToList;
    w.ctx.keepResponsive = [&] {
        if (++calls != atCall)
            return;
        if (change == "focus"_L1) {
            w.focus = 1;
        } else if (change == "root"_L1) {
            w.pane.tree.selectNode(w.pane.tree.firstRoot());
            w.pane.list.clear();
            w.pane.list.setTag(QString());
        } else {
            w.select(w.other);
            if (change == "nested"_L1)
                nested = w.list();
        }
    };
    const ListingResult result = w.list();
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(w.prompt.seen.isEmpty());
    if (change == "nested"_L1) {
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
    w.file(u"a.txt"_s);
    QCOMPARE(w.list(), ListingResult::Listed);
    for (const char* root : {"mylibraries", "mycomputer", ""}) {
        w.pane.tree.firstRoot()->key = QLatin1String(root);
        w.pane.tree.selectNode(*root ? w.pane.tree.firstRoot() : nullptr);
        QCOMPARE(w.list(), ListingResult::NothingToList);
        QCOMPARE(w.pane.list.tag(), w.dir);
        QCOMPARE(w.texts(), QStringList{"a.txt"});
    }
}

void TestListing::listingFails_data()
{
    QTest::addColumn<bool>("libraries");
    QTest::addColumn<QString>("how");
    QTest::addColumn<ListingResult>("result");
    QTest::addColumn<QString>("text"); // %1 the folder
    QTest::addColumn<QString>("title");
    const QString denied =
        u"The folder \"%1\" cannot be read: you do not have permission to open it."_s;
    QTest::newRow("missing") << true << "removed" << ListingResult::FolderMissing
                             << u"That path is inaccessible. Try refreshing the screen."_s
                             << u"Cloakwell"_s;
    QTest::newRow("unreadable") << false << "mode 000" << ListingResult::EnumerationFailed << denied
                                << u"Cloakwell"_s;
    QTest::newRow("in a folder that cannot be entered")
        << true << "parent mode 600" << ListingResult::FolderMissing << denied << u"Cloakwell"_s;
    QTest::newRow("name not valid text")
        << true << "undecodable name" << ListingResult::FolderMissing
        << u"The name of the folder \"%1\" cannot be read on this computer: it is not valid "
           "text in the system's character set. Rename it with a program that can."_s
        << u"Cloakwell"_s;
}

// A folder that is there but cannot be read is not called missing; the
// design's texts stay for a folder that is really gone.
void TestListing::listingFails()
{
    QFETCH(bool, libraries);
    QFETCH(QString, how);
    QFETCH(ListingResult, result);
    QFETCH(QString, text);
    WithoutAccessOverride obeyPermissions;
    if (!obeyPermissions.active())
        QSKIP("cannot make this process obey file permissions");
    PaneWorld w(libraries);
    QString shown = w.dir;
    QString locked;
    if (how == "parent mode 600"_L1) {
        locked = w.world.folder(u"shown/outer"_s);
        shown = w.world.folder(u"shown/outer/inner"_s);
    } else if (how == "undecodable name"_L1) {
        const QByteArray raw = QFile::encodeName(w.dir) + "/bad\xff name";
        QVERIFY(::mkdir(raw.constData(), 0755) == 0);
        shown = QFile::decodeName(raw);
    }
    TreeNode* node = w.pane.tree.addNode(w.pane.tree.firstRoot(), PaneWorld::node(shown));
    node->lossyName = how == "undecodable name"_L1;
    w.select(shown);
    w.file(u"a.txt"_s);
    if (how != "undecodable name"_L1)
        QCOMPARE(w.list(), ListingResult::Listed);
    if (how == "removed"_L1)
        QVERIFY(QDir(w.dir).removeRecursively());
    else if (how == "mode 000"_L1)
        QVERIFY(::chmod(QFile::encodeName(shown).constData(), 0) == 0);
    else if (!locked.isEmpty())
        QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0600) == 0);
    w.prompt.acceptMessages(1);
    const ListingResult got = w.list();
    ::chmod(QFile::encodeName(shown).constData(), 0755);
    if (!locked.isEmpty())
        ::chmod(QFile::encodeName(locked).constData(), 0755);
    QCOMPARE(got, result);
    QCOMPARE(w.prompt.lastText(), QString(text).replace(u"%1"_s, shown));
    QTEST(w.prompt.lastTitle(), "title");
    QCOMPARE(w.prompt.hourglassAtPrompt, QList<bool>{false});
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(w.pane.list.count(), 0);
    if (result == ListingResult::FolderMissing)
        QCOMPARE(w.pane.list.tag(), QString());
}

void TestListing::noListedFileIsOpened()
{
    PaneWorld w(true);
    for (const char* n : {"a.jpg", "b.ico", "c.desktop", "d.exe", "e"})
        w.file(QLatin1String(n), "content");
    w.file(BrowseFixture::hidden(u"f.jpg"_s, 3), "content");
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
    QVERIFY2(opened.isEmpty(), qPrintable(opened.join(' ')));
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
    const QString a = u"Appearance"_s;
    if (!setting.isEmpty())
        f.store.save_setting(a, u"columns"_s, setting);
    f.store.save_setting(a, u"width1"_s, u"2880"_s);
    f.store.save_setting(a, u"width4"_s, u"1500.5"_s);
    FolderListModel list(f.base);
    mFileInfo::set_list_columns(list, f.store);
    for (int k = 0; k < 4; ++k)
        QCOMPARE(list.columns().shown[size_t(k)], shown[k]);
    QCOMPARE(list.columns().widthTwips[0], 2880.0);
    QCOMPARE(list.columns().widthTwips[1], 0.0);
    QCOMPARE(list.columns().widthTwips[3], 1500.5);
    QCOMPARE(list.headerData(1, Qt::Horizontal).toString(), u"Size"_s);
}

void TestListing::typesByName()
{
    // Every name gets the type QMimeDatabase gives it, whichever names of the
    // same ending came first: plain endings are remembered, the names that
    // special globs catch ("README*", "*~", "*.so.1") are not.
    const QStringList names = u"a.txt|CMakeLists.txt|readme.txt|README|READMEs|x.in|Makefile.in|"
                              "makefile|notes|core|notes~|a.txt~|b.c,v|libz.so|libz.so.1|"
                              "libz.so.1.2|x.1|x.10|123.vdr|abc.vdr|photo.tar.gz|photo.gz|a.tar.gz|"
                              "x.C|x.c|x.JPG|x.jpg|.hidden.jpg|.bashrc|ChangeLog|Picture.kz2|"
                              "ünïcode.png|ünïcode|..|a.b.c.d.jpeg|2001.03.000123 beach.jpg|"
                              "2001.03.000124 beach.tar.gz|ARCHIVE.TAR.GZ|x.y.so.1|b.2024.tar.xz|"
                              "v1.2.so.3.4|notes.2024.txt~|film.part1.rar|a.b.1"_s.split('|');
    QMimeDatabase db;
    for (int round = 0; round < 2; ++round)
        for (const QString& name : names)
            QCOMPARE(platform::fileTypeForName(name).mimeName,
                     db.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name());
    QCOMPARE(platform::fileTypeForName(u"x.jpg"_s).typeName,
             db.mimeTypeForName(u"image/jpeg"_s).comment());
    QVERIFY(platform::fileTypeForName(u"x.ico"_s).ownIcon);
    QVERIFY(platform::fileTypeForName(u"x.desktop"_s).ownIcon);
    QVERIFY(!platform::fileTypeForName(u"x.png"_s).ownIcon);
    QVERIFY(platform::fileTypeForName(u"x.kz2"_s).typeName.isEmpty());
}

void TestListing::typeCacheStaysSmall_data()
{
    QTest::addColumn<QString>("pattern"); // %1: a running number
    QTest::addColumn<int>("growth");      // at most this many new cache entries
    QTest::newRow("date-stamped pictures") << u"2001.03.%1 beach.jpg"_s << 2;
    QTest::newRow("dated archives") << u"backup.%1.tar.gz"_s << 2;
    QTest::newRow("numbered endings") << u"frame.%1"_s << 4096;
}

// A folder of names that differ before their ending does not grow the type
// cache by one entry a name, and names that each end differently are
// bounded all the same; every type is still the one the MIME database gives.
void TestListing::typeCacheStaysSmall()
{
    QFETCH(QString, pattern);
    QFETCH(int, growth);
    QMimeDatabase db;
    const qsizetype before = platform::fileTypeCacheSize();
    for (int i = 0; i < 20000; ++i) {
        const QString name = pattern.arg(i, 6, 10, QLatin1Char('0'));
        const QString mime = platform::fileTypeForName(name).mimeName;
        if (i % 997 == 0)
            QCOMPARE(mime, db.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name());
    }
    QVERIFY2(platform::fileTypeCacheSize() <= before + growth,
             qPrintable(QString::number(platform::fileTypeCacheSize())));
}

void TestListing::compactRecords_data()
{
    QTest::addColumn<bool>("libraries");
    QTest::newRow("Libraries pane") << true;
    QTest::newRow("Explorer pane") << false;
}

// What a listing keeps for each entry, for folders of a hundred thousand:
// texts without spare room, and one copy of each size, time and type text.
void TestListing::compactRecords()
{
    QFETCH(bool, libraries);
    PaneWorld w(libraries);
    for (int i = 0; i < 40; ++i)
        w.file(i % 2 ? u"pic %1.jpg"_s.arg(i) : BrowseFixture::hidden(u"pic %1.jpg"_s.arg(i), 2));
    QCOMPARE(w.list(), ListingResult::Listed);
    QCOMPARE(w.pane.list.count(), 40);
    QSet<const QChar*> sizes, times, types;
    for (const ListItem& it : w.pane.list.items()) {
        QCOMPARE(it.key.capacity(), it.key.size());
        QCOMPARE(it.toolTip.capacity(), it.toolTip.size());
        sizes.insert(it.size.constData());
        times.insert(it.modified.constData());
        types.insert(it.type.constData());
    }
    // All empty, written within a second or two, and of one type but where
    // the Explorer types the hidden ones by their stored names.
    QCOMPARE(sizes.size(), 1);
    QVERIFY(times.size() <= 2);
    QCOMPARE(types.size(), libraries ? 1 : 2);
}

QTEST_MAIN(TestListing)
#include "tst_listing.moc"

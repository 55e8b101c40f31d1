#pragma once

// The world of the Hide and Unhide tests: two Libraries and the bin, the
// Libraries pane's models, and the window-side steps counted. The commands
// run headless, under a QGuiApplication so that the hourglass can be watched.
#include "support/BrowseFixture.h"

#include "browse/mFileInfo.h"
#include "engine/mHide.h"
#include "mainwindow/AppState.h"
#include "platform/Paths.h"

#include <QDir>
#include <QTest>

using namespace browse;
using mEncrypt::is_hidden_name;
using mEncrypt::plain_name;
using platform::PromptAnswer;

// Stands in for the progress window: cancels once a number of items are done.
struct ScriptedProgress : engine::OperationProgress
{
    qint64 cancelAfter = -1;
    int starts = 0;
    int finishes = 0;
    QList<qint64> steps;
    bool hourglassAtEveryStep = true;
    bool m_cancelled = false;

    void start(const QString&) override
    {
        ++starts;
        m_cancelled = false;
    }
    void step(const engine::OperationReport& soFar, const QString&) override
    {
        const qint64 done = soFar.done();
        steps.append(done);
        hourglassAtEveryStep &= QGuiApplication::overrideCursor() != nullptr;
        if (cancelAfter >= 0 && done >= cancelAfter)
            m_cancelled = true;
    }
    bool cancelled() const override { return m_cancelled; }
    void finish() override { ++finishes; }
};

// Every item below a folder by readable path, hidden ones marked "*".
inline QStringList snapshot(const QString& folder, const QString& shownAs)
{
    QStringList out;
    const auto entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& fi : entries) {
        const QString name = fi.fileName();
        const QString shown =
            shownAs + '/' + (is_hidden_name(name) ? plain_name(name) + '*' : name);
        out << shown;
        if (fi.isDir() && !fi.isSymLink())
            out << snapshot(fi.filePath(), shown);
    }
    return out;
}

// Readable path -> hidden, from a snapshot.
inline QMap<QString, bool> marks(const QStringList& state)
{
    QMap<QString, bool> out;
    for (QString entry : state)
        out.insert(QString(entry).remove('*'), entry.endsWith('*'));
    return out;
}

// The marks of a snapshot with these readable paths flipped.
inline QMap<QString, bool> flipped(const QStringList& state, const QStringList& changed)
{
    QMap<QString, bool> out = marks(state);
    for (const QString& path : changed)
        out[path] = !out.value(path);
    return out;
}

// Two Libraries and the bin, each holding plain pictures:
//   A: a/pic.jpg, a/Sub/one.jpg, a/Sub/Deep/two.jpg     B: b/three.jpg
//   bin: binned.jpg
struct HideWorld : BrowseFixture
{
    BrowsePane pane{true};
    ScriptedProgress progress;
    int cleared = 0, toolbar = 0, focused = 0;
    mHide::Context hide{
        ctx, &pane, [this] { ++cleared; }, [this] { ++toolbar; }, [this] { ++focused; }, &progress};
    QHash<QString, QByteArray> plainBytes; // readable path -> bytes

    HideWorld()
    {
        prefs.encrypt_level = 2;
        library(QStringLiteral("A"), QStringLiteral("a"));
        library(QStringLiteral("B"), QStringLiteral("b"));
        for (const char* p : {"a/pic.jpg", "a/Sub/one.jpg", "a/Sub/Deep/two.jpg", "b/three.jpg"})
            put(QString::fromLatin1(p), 40000);
        put(QStringLiteral("program/KZ Bin/binned.jpg"), 100);
    }
    void put(const QString& relative, qint64 size)
    {
        plainBytes.insert(relative, TestWorld::pattern(size, plainBytes.size() + 1));
        world.file(relative, plainBytes.value(relative));
    }
    void build() { mGetFolders::build_library_tree(ctx, pane.tree); }
    QStringList state() const
    {
        return snapshot(world.path(QStringLiteral("a")), QStringLiteral("a")) +
               snapshot(world.path(QStringLiteral("b")), QStringLiteral("b")) +
               snapshot(folders.binFolder, QStringLiteral("program/KZ Bin"));
    }
    mHide::BulkResult run(bool hiding)
    {
        return hiding ? mHide::hide_selection(hide) : mHide::unhide_selection(hide);
    }
    QStringList libraryA() const
    {
        QStringList out = state().filter(QRegularExpression(QStringLiteral("^a/")));
        out.sort();
        return out;
    }
    // The node reached from "My Libraries" through these texts ("" the root).
    TreeNode* node(const QString& texts) const
    {
        TreeNode* n = pane.tree.firstRoot();
        for (const QString& t : texts.split('/', Qt::SkipEmptyParts))
            n = childByText(n, t);
        return n;
    }
    void selectNode(const QString& texts)
    {
        focus = mainwindow::kLibrariesTree;
        pane.tree.selectNode(node(texts));
    }
    // Lists a node's folder and selects the items of these texts in the list.
    void selectItems(const QString& folderTexts, const QStringList& texts)
    {
        selectNode(folderTexts);
        mFileInfo::list_folder(ctx, pane);
        focus = mainwindow::kLibrariesList;
        for (int row = 0; row < pane.list.count(); ++row)
            if (texts.contains(pane.list.item(row).text))
                pane.list.selectionModel()->select(pane.list.index(row, 0),
                                                   QItemSelectionModel::Select |
                                                       QItemSelectionModel::Rows);
    }
    // Every Library item hidden at level 2, the Libraries themselves not.
    void hideEverything()
    {
        for (const QString& lib :
             {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("program/KZ Bin")})
            hideBelow(world.path(lib));
    }
    void hideBelow(const QString& folder)
    {
        mEncrypt::Context enc{prefs, prompt};
        const auto entries = QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot);
        for (const QFileInfo& fi : entries) {
            if (fi.isDir())
                hideBelow(fi.filePath());
            fi.isDir() ? mEncrypt::hide_folder(fi.filePath(), enc)
                       : mEncrypt::hide_file(fi.filePath(), enc);
        }
    }
    // "" when every folder node names a folder on disk as it is now, with its
    // flag and look, and has exactly the folder's subfolders as children.
    QString treeMismatch() const
    {
        QString out;
        pane.tree.forEachNode([&](TreeNode* n) {
            if (n->image != images::folder && n->image != images::library)
                return;
            const QString name = platform::bareName(n->key);
            if (n->image == images::folder &&
                (!QFileInfo(n->key).isDir() || n->flag != is_hidden_name(name) ||
                 n->bold != (n->flag ? prefs.bold_2 : prefs.bold_1) ||
                 n->text != (n->flag ? plain_name(name) : name) ||
                 n->color != (n->flag ? prefs.color_2 : prefs.color_1)))
                out += n->key + " looks wrong; ";
            if (n->isLink)
                return; // never filled
            QStringList disk = QDir(n->key).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            QStringList shown;
            for (const auto& c : n->children)
                shown << platform::bareName(c->key);
            disk.sort();
            shown.sort();
            if (disk != shown)
                out += n->key + " children " + shown.join(',') + " vs " + disk.join(',') + "; ";
        });
        return out;
    }
    // "" when the list shows its folder as it is now.
    QString listMismatch() const
    {
        QStringList disk = QDir(pane.list.tag()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QStringList shown;
        for (const ListItem& it : pane.list.items()) {
            shown << platform::bareName(it.key);
            if (it.hidden != is_hidden_name(it.key))
                return it.key + " flag";
        }
        disk.sort();
        shown.sort();
        return disk == shown ? QString() : shown.join(',') + " vs " + disk.join(',');
    }
};

// The New Library dialog: each check refuses with its own message and keeps
// the dialog open; a Library that passes is in the table, in the tree,
// chosen and listed.
#include "panes/PaneKit.h"

#include "libraries/fAddLibrary.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>

#include <functional>

using platform::PromptAnswer;

namespace {

QString boxText(QWidget* dialog, const char* box)
{
    return dialog->findChild<QLineEdit*>(QLatin1String(box))->text();
}

// Runs `act` on the modal window of that class as soon as it shows.
template <class Window> void whenShown(const std::function<void(Window*)>& act)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* window = qobject_cast<Window*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            poll->stop();
            act(window);
        }
    });
    poll->start();
}

} // namespace

class TestAddLibrary : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void refusals_data()
    {
        QTest::addColumn<QString>("path"); // {world}, {BIN}, {tmp} stand for those folders
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pathAfter");
        QTest::addColumn<bool>("badName"); // else the path is refused
        QTest::addColumn<QString>("text");
        auto row = [](const char* tag, const char* path, const char* name, const char* after,
                      bool badName, const char* text) {
            QTest::newRow(tag) << QString(path) << QString(name) << QString(after) << badName
                               << QString(text);
        };
        const char* root = "The library path cannot be the root folder of a drive ";
        const char* missing = "That path does not exist";
        const char* invalid = "The library name is invalid";
        row("root", "/", "New", "", false, root);
        row("two characters", "/a/", "New", "/a", false, root);
        row("the bin, in other letters", "{BIN}", "New", "{BIN}", false,
            "The \"KZ Bin\" folder represents the Red Ovidor bin. Please select a different "
            "path.");
        row("the temporary folder", "{tmp}/", "New", "{tmp}", false,
            "The library path may not point to the Windows temporary folder");
        row("missing", "{world}/Nowhere", "New", "{world}/Nowhere", false, missing);
        row("relative", "Pictures", "New", "Pictures", false, missing);
        row("name invalid", "{world}/New", "a*b", "{world}/New", true, invalid);
        row("no name", "{world}/New", "", "{world}/New", true, invalid);
        row("name taken", "{world}/New", "Pictures", "{world}/New", true,
            "A library with that name already exists");
        row("path taken", "{world}/Pictures/", "Other", "{world}/Pictures", false,
            "A library already exists at that path");
    }
    void refusals()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, pathAfter);
        QFETCH(bool, badName);
        QFETCH(QString, text);
        MainWorld w;
        w.world.folder(QStringLiteral("New"));
        auto expand = [&](QString p) {
            return p.replace(QStringLiteral("{world}"), w.world.root())
                .replace(QStringLiteral("{BIN}"), w.folders.binFolder.toUpper())
                .replace(QStringLiteral("{tmp}"), QDir::tempPath());
        };
        auto main = loadSettled(w);
        fAddLibrary dialog(*main, main.get());
        dialog.show();
        type(&dialog, "library_path", expand(path));
        type(&dialog, "lib_name_text_box", name);
        w.prompt.acceptMessages();
        click(&dialog, "add_library_button");

        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.lastTitle(), badName ? QStringLiteral("Invalid Library Name")
                                               : QStringLiteral("Invalid Library Path"));
        QCOMPARE(w.prompt.lastText(), text);
        QCOMPARE(w.prompt.seen.back().buttons, platform::PromptButtons::Ok);
        QVERIFY(dialog.isVisible());
        QCOMPARE(boxText(&dialog, "library_path"), expand(pathAfter));
        QCOMPARE(boxText(&dialog, "lib_name_text_box"), name);
        QCOMPARE(w.get("Libraries", "Count"), QStringLiteral("1"));
    }

    // Through the toolbar, as a user would; a path typed with two trailing
    // separators loses one.
    void addedLibraryIsChosenAndListed()
    {
        MainWorld w;
        w.world.file(QStringLiteral("New/photo.jpg"));
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        window->treeView()->setFocus();
        QTRY_VERIFY(findAction(*main, "tb_library")->isEnabled());

        const QString typed = w.world.path(QStringLiteral("New//"));
        whenShown<fAddLibrary>([&](fAddLibrary* dialog) {
            type(dialog, "library_path", typed);
            type(dialog, "lib_name_text_box", QStringLiteral("Holidays"));
            click(dialog, "add_library_button");
        });
        findAction(*main, "tb_library")->trigger();

        const QString stored = w.world.path(QStringLiteral("New/"));
        QVERIFY(w.prompt.seen.isEmpty());
        QCOMPARE(w.get("Libraries", "Count"), QStringLiteral("2"));
        QCOMPARE(w.get("Libraries", "name_2"), QStringLiteral("Holidays"));
        QCOMPARE(w.get("Libraries", "path_2"), stored);
        const browse::TreeNode* node = window->pane().tree.selectedNode();
        QVERIFY(node);
        QCOMPARE(node->text, QStringLiteral("Holidays"));
        QCOMPARE(node->key, stored);
        QCOMPARE(window->pane().list.tag(), stored);
        QCOMPARE(shownNames(window), QStringList{"photo.jpg"});
    }

    void firstRunYesAddsALibrary()
    {
        MainWorld w;
        w.set("Libraries", "Count", QStringLiteral("0"));
        const QString folder = w.world.folder(QStringLiteral("Films"));
        w.prompt.answer(PromptAnswer::Yes);
        whenShown<fAddLibrary>([&](fAddLibrary* dialog) {
            type(dialog, "library_path", folder);
            type(dialog, "lib_name_text_box", QStringLiteral("Films"));
            click(dialog, "add_library_button");
        });
        auto main = w.loadMain();
        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(main->librariesWindow()->pane().tree.selectedKey(), folder);
        QCOMPARE(main->librariesWindow()->pane().list.tag(), folder);
    }

    void cancelledPickerEmptiesThePath()
    {
        MainWorld w;
        auto main = loadSettled(w);
        fAddLibrary dialog(*main, main.get());
        dialog.show();
        type(&dialog, "library_path", QStringLiteral("/somewhere"));
        QString pickerTitle;
        whenShown<QFileDialog>([&](QFileDialog* picker) {
            pickerTitle = picker->windowTitle();
            picker->reject();
        });
        click(&dialog, "browse_button");
        QCOMPARE(pickerTitle, QStringLiteral("Locate your image or video library."));
        QCOMPARE(boxText(&dialog, "library_path"), QString());
    }
};

WINDOW_TEST_MAIN(TestAddLibrary)
#include "tst_addlibrary.moc"

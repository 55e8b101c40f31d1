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
        w.world.folder(u"New"_s);
        auto expand = [&](QString p) {
            return p.replace(u"{world}"_s, w.world.root())
                .replace(u"{BIN}"_s, w.folders.binFolder.toUpper())
                .replace(u"{tmp}"_s, QDir::tempPath());
        };
        auto main = loadSettled(w);
        fAddLibrary dialog(main->state(), main.get());
        dialog.show();
        type(&dialog, "library_path", expand(path));
        type(&dialog, "lib_name_text_box", name);
        w.prompt.acceptMessages();
        click(&dialog, "add_library_button");

        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.lastTitle(),
                 badName ? u"Invalid Library Name"_s : u"Invalid Library Path"_s);
        QCOMPARE(w.prompt.lastText(), text);
        QCOMPARE(w.prompt.seen.back().buttons, platform::PromptButtons::Ok);
        QVERIFY(dialog.isVisible());
        QCOMPARE(boxText(&dialog, "library_path"), expand(pathAfter));
        QCOMPARE(boxText(&dialog, "lib_name_text_box"), name);
        QCOMPARE(w.get("Libraries", "Count"), u"1"_s);
    }

    // Through the toolbar, as a user would; a path typed with two trailing
    // separators loses one.
    void addedLibraryIsChosenAndListed()
    {
        MainWorld w;
        w.world.file(u"New/photo.jpg"_s);
        auto main = loadSettled(w);
        fLibraries* window = main->librariesWindow();
        window->treeView()->setFocus();
        QTRY_VERIFY(findAction(*main, "tb_library")->isEnabled());

        const QString typed = w.world.path(u"New//"_s);
        whenShown<fAddLibrary>([&](fAddLibrary* dialog) {
            type(dialog, "library_path", typed);
            type(dialog, "lib_name_text_box", u"Holidays"_s);
            click(dialog, "add_library_button");
        });
        findAction(*main, "tb_library")->trigger();

        const QString stored = w.world.path(u"New/"_s);
        QVERIFY(w.prompt.seen.isEmpty());
        QCOMPARE(w.get("Libraries", "Count"), u"2"_s);
        QCOMPARE(w.get("Libraries", "name_2"), u"Holidays"_s);
        QCOMPARE(w.get("Libraries", "path_2"), stored);
        const browse::TreeNode* node = window->pane().tree.selectedNode();
        QVERIFY(node);
        QCOMPARE(node->text, u"Holidays"_s);
        QCOMPARE(node->key, stored);
        QCOMPARE(window->pane().list.tag(), stored);
        QCOMPARE(shownNames(window), QStringList{"photo.jpg"});
    }

    // With no Library the first start asks for one; Yes opens this dialog.
    void firstRunQuestion_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No") << false;
        QTest::newRow("Yes: added, chosen and listed") << true;
    }
    void firstRunQuestion()
    {
        QFETCH(bool, yes);
        MainWorld w;
        w.set("Libraries", "Count", u"0"_s);
        const QString folder = w.world.folder(u"Films"_s);
        w.prompt.answer(yes ? PromptAnswer::Yes : PromptAnswer::No);
        if (yes)
            whenShown<fAddLibrary>([&](fAddLibrary* dialog) {
                type(dialog, "library_path", folder);
                type(dialog, "lib_name_text_box", u"Films"_s);
                click(dialog, "add_library_button");
            });
        auto main = w.loadMain();
        QCOMPARE(w.prompt.seen.size(), 1);
        QCOMPARE(w.prompt.lastText(),
                 QStringLiteral("This appears to be the first time using "
                                "Cloakwell. Would you like to add a Library?"));
        QCOMPARE(w.prompt.lastTitle(), u"No Libraries Found"_s);
        QCOMPARE(w.prompt.seen.back().buttons, platform::PromptButtons::YesNo);
        const auto& pane = main->librariesWindow()->pane();
        if (yes) {
            QCOMPARE(pane.tree.selectedKey(), folder);
            QCOMPARE(pane.list.tag(), folder);
        } else {
            const browse::TreeNode* root = pane.tree.firstRoot();
            QCOMPARE(root->children.size(), size_t(1));
            QCOMPARE(root->children.front()->text, u"Red Ovidor"_s);
        }
    }

    void cancelledPickerEmptiesThePath()
    {
        MainWorld w;
        auto main = loadSettled(w);
        fAddLibrary dialog(main->state(), main.get());
        dialog.show();
        type(&dialog, "library_path", u"/somewhere"_s);
        QString pickerTitle;
        whenShown<QFileDialog>([&](QFileDialog* picker) {
            pickerTitle = picker->windowTitle();
            picker->reject();
        });
        click(&dialog, "browse_button");
        QCOMPARE(pickerTitle, u"Locate your image or video library."_s);
        QCOMPARE(boxText(&dialog, "library_path"), QString());
    }
};

WINDOW_TEST_MAIN(TestAddLibrary)
#include "tst_addlibrary.moc"

// The conflict question: each button and key gives its answer, Enter never
// replaces, pictures get a thumbnail only when their bytes are plain, and
// the window answers a real file operation.
#include "mainwindow/fConflict.h"
#include "mainwindow/mFileOperations.h"
#include "support/ScriptedPrompt.h"
#include "support/TestWorld.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using mainwindow::ConflictChoice;

Q_DECLARE_METATYPE(mainwindow::ConflictChoice)

namespace {

QByteArray redPng(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QPushButton* button(const QWidget& w, const char* name)
{
    return w.findChild<QPushButton*>(QString::fromLatin1(name));
}

} // namespace

class TestConflict : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void answers_data();
    void answers();
    void pictures_data();
    void pictures();
    void details_data();
    void details();
    void answersAFileOperation();
};

void TestConflict::answers_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("remaining");
    QTest::addColumn<bool>("keepBoth");
    QTest::addColumn<ConflictChoice>("choice");
    QTest::addColumn<bool>("forRemaining");
    QTest::newRow("Replace") << u"replace_button"_s << false << true << ConflictChoice::Replace
                             << false;
    QTest::newRow("Replace, for the remaining")
        << u"replace_button"_s << true << false << ConflictChoice::Replace << true;
    QTest::newRow("Skip, for the remaining")
        << u"skip_button"_s << true << true << ConflictChoice::Skip << true;
    QTest::newRow("Keep both") << u"keepboth_button"_s << false << true << ConflictChoice::KeepBoth
                               << false;
    QTest::newRow("Cancel, box ticked")
        << u"cancel_button"_s << true << true << ConflictChoice::Cancel << false;
    QTest::newRow("Escape") << u"escape"_s << false << true << ConflictChoice::Cancel << false;
    // Enter goes to Skip even while Replace has the focus.
    QTest::newRow("Enter on Replace")
        << u"enter on replace_button"_s << false << false << ConflictChoice::Skip << false;
    QTest::newRow("Enter on Keep both")
        << u"enter on keepboth_button"_s << false << true << ConflictChoice::Skip << false;
}

void TestConflict::answers()
{
    QFETCH(QString, action);
    QFETCH(bool, remaining);
    QFETCH(bool, keepBoth);
    QFETCH(ConflictChoice, choice);
    QFETCH(bool, forRemaining);
    TestWorld w;
    const QString existing = w.file(u"dst/a.jpg"_s, "old");
    const QString incoming = w.file(u"src/a.jpg"_s, "new one");
    fConflict dialog(existing, incoming, keepBoth);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(button(dialog, "keepboth_button")->isVisible(), keepBoth);
    dialog.findChild<QCheckBox*>(u"remaining_check"_s)->setChecked(remaining);
    if (action == u"escape"_s) {
        QTest::keyClick(&dialog, Qt::Key_Escape);
    } else if (action.startsWith(u"enter on "_s)) {
        QPushButton* focus = button(dialog, qPrintable(action.mid(9)));
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Return);
    } else {
        QTest::mouseClick(button(dialog, qPrintable(action)), Qt::LeftButton);
    }
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.answer().choice, choice);
    QCOMPARE(dialog.answer().forRemaining, forRemaining);
}

void TestConflict::pictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("thumbnail");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain picture") << u"beach.png"_s << true << u"beach.png"_s;
    // The same bytes under a hidden name are never decoded.
    QTest::newRow("hidden picture") << u"yvzxs-kmt.kz2"_s << false << u"beach.png (hidden)"_s;
    QTest::newRow("not a picture by name") << u"notes.txt"_s << false << u"notes.txt"_s;
}

void TestConflict::pictures()
{
    QFETCH(QString, name);
    QFETCH(bool, thumbnail);
    QFETCH(QString, shown);
    TestWorld w;
    const QString path = w.file(u"dst/"_s + name, redPng(200, 100));
    const QImage picture = fConflict::itemPicture(path, 64).toImage();
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.pixelColor(picture.width() / 2, picture.height() / 2) == QColor(Qt::red),
             thumbnail);
    if (thumbnail)
        QCOMPARE(picture.size(), QSize(64, 32));

    fConflict dialog(path, w.file(u"src/"_s + name, "x"), false);
    const QString question = dialog.findChild<QLabel*>(u"question_label"_s)->text();
    QCOMPARE(question, u"This folder already contains an item named \"%1\"."_s.arg(shown));
}

void TestConflict::details_data()
{
    QTest::addColumn<qint64>("incomingLaterMs");
    QTest::addColumn<QByteArray>("incomingBytes");
    QTest::addColumn<QString>("existingMark");
    QTest::addColumn<QString>("incomingMark");
    QTest::newRow("incoming an hour newer")
        << qint64(3600000) << QByteArray("ab") << u""_s << u"(newer)"_s;
    QTest::newRow("existing newer") << qint64(-5000) << QByteArray("ab") << u"(newer)"_s << u""_s;
    QTest::newRow("the same to the second") << qint64(900) << QByteArray("a") << u""_s << u""_s;
}

// Which is newer, and sizes in words.
void TestConflict::details()
{
    QFETCH(qint64, incomingLaterMs);
    QFETCH(QByteArray, incomingBytes);
    QFETCH(QString, existingMark);
    QFETCH(QString, incomingMark);
    TestWorld w;
    const QString existing = w.file(u"dst/a.txt"_s, QByteArray(2048, 'x'));
    const QString incoming = w.file(u"src/a.txt"_s, incomingBytes);
    const QDateTime base = QDateTime::currentDateTime().addDays(-3);
    for (const auto& [path, at] :
         {std::pair{existing, base}, std::pair{incoming, base.addMSecs(incomingLaterMs)}}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(at, QFileDevice::FileModificationTime));
    }
    fConflict dialog(existing, incoming, false);
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>(u"details"_s);
    QCOMPARE(labels.size(), 2);
    const QString there = labels.at(0)->text(), coming = labels.at(1)->text();
    QVERIFY2(there.contains(u"2.0 kB"_s), qPrintable(there));
    QVERIFY2(coming.contains(incomingBytes.size() == 1 ? u"1 byte<"_s : u"2 bytes"_s),
             qPrintable(coming));
    QCOMPARE(there.contains(u"(newer)"_s), !existingMark.isEmpty());
    QCOMPARE(coming.contains(u"(newer)"_s), !incomingMark.isEmpty());
}

// Replace with "for the remaining" ticked: asked once, both replaced.
void TestConflict::answersAFileOperation()
{
    TestWorld w;
    const QString dst = w.folder(u"dst"_s);
    w.file(u"dst/a.jpg"_s, "old a");
    w.file(u"dst/b.jpg"_s, "old b");
    const QStringList sources{w.file(u"src/a.jpg"_s, "new a"), w.file(u"src/b.jpg"_s, "new b")};
    int shown = 0;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<fConflict*>(top);
            if (!d || !d->isVisible())
                continue;
            ++shown;
            d->findChild<QCheckBox*>(u"remaining_check"_s)->setChecked(true);
            button(*d, "replace_button")->click();
        }
    });
    poll.start(10);
    ScriptedPrompt prompt;
    UiConflictQuestion conflicts(nullptr);
    QCOMPARE(mainwindow::move_or_copy_items(mainwindow::FoCopy, sources, dst, mainwindow::FofNone,
                                            {prompt, nullptr, &conflicts}),
             0u);
    QCOMPARE(shown, 1);
    QCOMPARE(TestWorld::readAll(dst + u"/a.jpg"_s), "new a");
    QCOMPARE(TestWorld::readAll(dst + u"/b.jpg"_s), "new b");
    QCOMPARE(TestWorld::readAll(sources.at(1)), "new b");
}

QTEST_MAIN(TestConflict)
#include "tst_conflict.moc"

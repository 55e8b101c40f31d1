#include "engine/mEncrypt.h"

#include <QTest>

using namespace mEncrypt;

class TestCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void scramble_data();
    void scramble();
    void hiddenNames_data();
    void hiddenNames();
    void recognition_data();
    void recognition();
    void nonAsciiPassesThrough();
};

void TestCodec::scramble_data()
{
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("scrambled");
    QTest::newRow("cat") << "cat.jpg"
                         << "xzg-qkt";
    QTest::newRow("beach") << "Beach Day-01.JPG"
                           << "Yvzxs Wzb.01-QKT";
    QTest::newRow("holiday") << "Holiday 2001"
                             << "Slorwzb 2001";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("no letters") << "2001 (1)"
                                << "2001 (1)";
    QTest::newRow("dots and hyphens") << "a.b-c"
                                      << "z-y.x";
    QTest::newRow("case kept apart") << "AaMmNnZz"
                                     << "ZzNnMmAa";
    QTest::newRow("punctuation") << "_~()[]{}!@#$%^&+=,;'"
                                 << "_~()[]{}!@#$%^&+=,;'";
}

void TestCodec::scramble()
{
    QFETCH(QString, plain);
    QFETCH(QString, scrambled);
    QCOMPARE(scramble_name(plain), scrambled);
    // One function both hides and recovers.
    QCOMPARE(scramble_name(scrambled), plain);
    for (short level : {1, 2, 3}) {
        const QString hidden = make_hidden_name(plain, level);
        QCOMPARE(hidden.size(), plain.size() + 4);
        QVERIFY(is_hidden_name(hidden));
        QCOMPARE(hidden_level(hidden), level);
        QCOMPARE(plain_name(hidden), plain);
    }
}

void TestCodec::hiddenNames_data()
{
    QTest::addColumn<QString>("plain");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("hidden");
    QTest::newRow("cat 2") << "cat.jpg" << 2 << "xzg-qkt.kz2";
    QTest::newRow("beach 1") << "Beach Day-01.JPG" << 1 << "Yvzxs Wzb.01-QKT.kz1";
    QTest::newRow("empty 1") << "" << 1 << ".kz1";
    QTest::newRow("digits 3") << "2001 (1)" << 3 << "2001 (1).kz3";
    // Hiding twice gives two suffixes, the first scrambled.
    QTest::newRow("twice") << "xzg-qkt.kz2" << 1 << "cat.jpg-pa2.kz1";
}

void TestCodec::hiddenNames()
{
    QFETCH(QString, plain);
    QFETCH(int, level);
    QFETCH(QString, hidden);
    QCOMPARE(make_hidden_name(plain, static_cast<short>(level)), hidden);
}

void TestCodec::recognition_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("kz1") << "x.kz1" << true;
    QTest::newRow("upper") << "beach.KZ2" << true;
    QTest::newRow("mixed") << "x.Kz3" << true;
    QTest::newRow("full path") << "/home/a/Yvzxs.kz3" << true;
    QTest::newRow("bare suffix") << ".kz1" << true;
    QTest::newRow("kz4") << "beach.kz4" << false;
    QTest::newRow("kz") << "beach.kz" << false;
    QTest::newRow("no dot") << "beachkz1" << false;
    QTest::newRow("short") << "kz1" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("kz0") << "a.kz0" << false;
}

void TestCodec::recognition()
{
    QFETCH(QString, name);
    QFETCH(bool, hidden);
    QCOMPARE(is_hidden_name(name), hidden);
}

void TestCodec::nonAsciiPassesThrough()
{
    const QString name = QStringLiteral("Ärger-Ž ж 日本.png");
    QCOMPARE(scramble_name(name), QStringLiteral("Äitvi.Ž ж 日本-kmt"));
    // Surrogate pairs stay intact.
    const QString emoji = QStringLiteral("a\U0001F600b");
    QCOMPARE(scramble_name(emoji), QStringLiteral("z\U0001F600y"));
}

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"

#include "engine/mEncrypt.h"

#include <QTest>

using namespace mEncrypt;

class TestCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void scramble_data();
    void scramble();
    void recognition();
};

void TestCodec::scramble_data()
{
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("scrambled");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("hidden"); // the hidden name at that level
    auto row = [](const char* name, const QString& plain, const QString& scrambled, int level) {
        QTest::newRow(name) << plain << scrambled << level
                            << scrambled + QStringLiteral(".kz") + QString::number(level);
    };
    row("cat", "cat.jpg", "xzg-qkt", 2);
    row("beach", "Beach Day-01.JPG", "Yvzxs Wzb.01-QKT", 1);
    row("holiday", "Holiday 2001", "Slorwzb 2001", 3);
    row("empty", "", "", 1);
    row("no letters", "2001 (1)", "2001 (1)", 3);
    row("dots and hyphens", "a.b-c", "z-y.x", 2);
    row("case kept apart", "AaMmNnZz", "ZzNnMmAa", 1);
    row("punctuation", "_~()[]{}!@#$%^&+=,;'", "_~()[]{}!@#$%^&+=,;'", 2);
    // Hiding twice gives two suffixes, the first scrambled.
    row("twice", "xzg-qkt.kz2", "cat.jpg-pa2", 1);
    row("non-ASCII passes through", QStringLiteral("Ärger-Ž ж 日本.png"),
        QStringLiteral("Äitvi.Ž ж 日本-kmt"), 3);
    row("surrogate pairs intact", QStringLiteral("a\U0001F600b"), QStringLiteral("z\U0001F600y"),
        2);
}

void TestCodec::scramble()
{
    QFETCH(QString, plain);
    QFETCH(QString, scrambled);
    QFETCH(int, level);
    QFETCH(QString, hidden);
    QCOMPARE(scramble_name(plain), scrambled);
    // One function both hides and recovers.
    QCOMPARE(scramble_name(scrambled), plain);
    QCOMPARE(make_hidden_name(plain, static_cast<short>(level)), hidden);
    for (short l : {1, 2, 3}) {
        const QString h = make_hidden_name(plain, l);
        QCOMPARE(h.size(), plain.size() + 4);
        QVERIFY(is_hidden_name(h));
        QCOMPARE(hidden_level(h), l);
        QCOMPARE(plain_name(h), plain);
    }
}

void TestCodec::recognition()
{
    for (const char* name : {"x.kz1", "beach.KZ2", "x.Kz3", "/home/a/Yvzxs.kz3", ".kz1"})
        QVERIFY2(is_hidden_name(QString::fromUtf8(name)), name);
    for (const char* name : {"beach.kz4", "beach.kz", "beachkz1", "kz1", "", "a.kz0"})
        QVERIFY2(!is_hidden_name(QString::fromUtf8(name)), name);
}

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"

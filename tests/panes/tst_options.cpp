// The options: the slider scales and labels, saving only what changed and
// saying what could not be saved, and each setting taking effect as soon as
// it is saved.
#include "panes/PaneKit.h"

#include "settings/OptionValues.h"
#include "settings/fOptions.h"
#include "settings/fRGBPicker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace settings;

namespace {

// Runs the options from the Tools menu; act changes the window, then it is
// saved.
void runOptions(fMain& main, const std::function<void(fOptions*)>& act)
{
    bool ran = false;
    QTimer::singleShot(0, &main, [&] {
        auto* options = main.findChild<fOptions*>();
        QVERIFY(options && options->isModal());
        act(options);
        ran = true;
        click(options, "options_ok_button");
    });
    main.run_command(mainwindow::Command::Options);
    QVERIFY(ran);
}

template <typename T> T* control(QWidget* window, const char* name)
{
    auto* c = window->findChild<T*>(QLatin1String(name));
    if (!c)
        qWarning("no control %s", name);
    return c;
}

// The slider step that shows this many megabytes.
void setThreshold(fOptions* options, qint64 mb)
{
    auto* slider = control<QSlider>(options, "threshold");
    for (int i = slider->minimum(); i <= slider->maximum(); ++i) {
        slider->setValue(i);
        if (control<QLabel>(options, "threshold_display")->text() == threshold_label(mb))
            return;
    }
    QFAIL("no step for that threshold");
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void thresholdScale_data()
    {
        QTest::addColumn<qint64>("stored");
        QTest::newRow("the default") << qint64(256);
        QTest::newRow("off") << qint64(0);
        QTest::newRow("between steps") << qint64(37);
        QTest::newRow("the largest the store accepts") << kThresholdMaxMb;
        QTest::newRow("beyond it") << qint64(5000);
    }
    // Every stored value shows exactly, the scale runs from 0 to the largest
    // value the store accepts, and it only ever rises.
    void thresholdScale()
    {
        QFETCH(qint64, stored);
        const std::vector<qint64> steps = threshold_steps(stored);
        QCOMPARE(steps.front(), 0);
        QCOMPARE(steps.back(), kThresholdMaxMb);
        QVERIFY(std::is_sorted(steps.begin(), steps.end()));
        QVERIFY(std::adjacent_find(steps.begin(), steps.end()) == steps.end());
        if (stored <= kThresholdMaxMb)
            QCOMPARE(steps[size_t(threshold_step_of(steps, stored))], stored);
        QVERIFY(steps.size() < 100); // a slider still usable step by step
    }

    void labels_data()
    {
        QTest::addColumn<qint64>("storedMs");
        QTest::addColumn<QString>("label");
        QTest::newRow("one second") << qint64(1000) << u"Delay: 1 second"_s;
        QTest::newRow("two seconds") << qint64(2000) << u"Delay: 2 seconds"_s;
        QTest::newRow("five") << qint64(5000) << u"Delay: 5 seconds"_s;
        QTest::newRow("half seconds round") << qint64(2500) << u"Delay: 3 seconds"_s;
        QTest::newRow("zero is kept to the slider") << qint64(0) << u"Delay: 1 second"_s;
        QTest::newRow("too long") << qint64(60000) << u"Delay: 10 seconds"_s;
    }
    void labels()
    {
        QFETCH(qint64, storedMs);
        QTEST(delay_label(delay_seconds(storedMs)), "label");
    }

    // Only values that differ from what the window showed at first are
    // written; a value that cannot be written is named, never counted as
    // saved.
    void saveOnlyChanges()
    {
        TestWorld world;
        const SettingsStore store(world.settingsFile());
        QVERIFY(store.save_setting(u"Behavior"_s, u"threshold"_s, u"1500"_s));
        const std::vector<OptionText> before{{u"Behavior"_s, u"threshold"_s, u"1500"_s},
                                             {u"Behavior"_s, u"encrypt_level"_s, u"2"_s}};
        std::vector<OptionText> after = before;
        after[1].text = u"3"_s;
        OptionsSaved saved = save_changed_options(store, before, after);
        QCOMPARE(saved.written, QStringList{u"encrypt_level"_s});
        QVERIFY(saved.failed.isEmpty());
        QCOMPARE(store.get_setting(u"Behavior"_s, u"encrypt_level"_s), u"3"_s);
        QCOMPARE(store.get_setting(u"Behavior"_s, u"threshold"_s), u"1500"_s);

        world.file(u"blocker"_s, "x");
        const SettingsStore blocked(world.path(u"blocker/Cloakwell.ini"_s));
        saved = save_changed_options(blocked, before, after);
        QVERIFY(saved.written.isEmpty());
        QCOMPARE(saved.failed, QStringList{u"encrypt_level"_s});
        QVERIFY(options_not_saved_message(saved.failed).contains(u"encrypt_level"_s));
    }

    // Open and save without touching anything: nothing is written, so the
    // default threshold (above the old 100 MB scale) and a value the window
    // cannot show exactly both stay as they were.
    void untouchedSettingsStay()
    {
        MainWorld w;
        w.set("Viewing", "slide_show_delay", u"2500"_s);
        w.set("Appearance", "color_1", u"-2147483640"_s);
        auto main = loadSettled(w);
        const QByteArray before = TestWorld::readAll(w.world.settingsFile());
        runOptions(*main, [](fOptions* options) {
            QCOMPARE(control<QLabel>(options, "threshold_display")->text(), u"256 MB"_s);
        });
        QCOMPARE(w.get("Behavior", "threshold"), QString());
        QCOMPARE(TestWorld::readAll(w.world.settingsFile()), before);
        QCOMPARE(main->state().prefs.threshold, qint64(256) * 1048576);
        QVERIFY(w.prompt.unexpected.isEmpty());
    }

    // Each setting, changed in the window and saved: the stored text, and
    // what the program does with it at once.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("stored");
        QTest::newRow("level 3") << u"encrypt_level"_s << u"3"_s;
        QTest::newRow("threshold off") << u"threshold"_s << u"0"_s;
        QTest::newRow("a large threshold") << u"threshold"_s << u"1024"_s;
        QTest::newRow("hidden in bold") << u"bold_2"_s << u"1"_s;
        QTest::newRow("hidden colour") << u"color_2"_s << u"255"_s;
        QTest::newRow("preview background") << u"color_3"_s << u"65280"_s;
        QTest::newRow("no automatic preview") << u"auto_show_preview"_s << u"0"_s;
        QTest::newRow("slide show delay") << u"slide_show_delay"_s << u"5000"_s;
        QTest::newRow("idle timeout") << u"timeout"_s << u"1"_s;
        QTest::newRow("escape ends") << u"escape_exit"_s << u"1"_s;
    }
    void roundTrip()
    {
        QFETCH(QString, setting);
        QFETCH(QString, stored);
        MainWorld w;
        w.world.file(u"Pictures/plain.jpg"_s, "p");
        w.world.file(u"Pictures/xzg-qkt.kz1"_s, "h"); // cat.jpg, hidden
        w.set("Behavior", "last_path", w.world.path(u"Pictures"_s));
        auto main = loadSettled(w);
        fLibraries* libraries = main->librariesWindow();
        QTRY_VERIFY(rowOf(libraries, u"cat.jpg"_s) >= 0);

        runOptions(*main, [&](fOptions* o) {
            if (setting == u"encrypt_level"_s) {
                control<QRadioButton>(o, "encrypt_level_3")->click();
                QVERIFY(control<QLabel>(o, "Label1_3")->isEnabled());
                QVERIFY(!control<QLabel>(o, "Label1_1")->isEnabled());
                QVERIFY(!control<QLabel>(o, "Label9_2")->isEnabled());
            } else if (setting == u"threshold"_s) {
                setThreshold(o, stored.toLongLong());
            } else if (setting == u"bold_2"_s) {
                control<QCheckBox>(o, "font_bold_2")->setChecked(true);
            } else if (setting.startsWith(u"color_"_s)) {
                const int swatch = setting.right(1).toInt();
                // The picker: Escape changes nothing, "&Select" the swatch.
                QTimer::singleShot(0, o, [] {
                    auto* picker = qobject_cast<fRGBPicker*>(QApplication::activeModalWidget());
                    QVERIFY(picker);
                    QTest::keyClick(picker, Qt::Key_Escape);
                });
                o->change_color(swatch);
                QVERIFY(o->findChildren<fRGBPicker*>().isEmpty());
                QTimer::singleShot(0, o, [&] {
                    auto* picker = qobject_cast<fRGBPicker*>(QApplication::activeModalWidget());
                    QVERIFY(picker);
                    QCOMPARE(picker->windowTitle(), u"RGB Color Picker"_s);
                    const WinColor c = stored.toUInt();
                    control<QSlider>(picker, "Slider1_0")->setValue(int(c & 0xFF));
                    control<QSlider>(picker, "Slider1_1")->setValue(int((c >> 8) & 0xFF));
                    control<QSlider>(picker, "Slider1_2")->setValue(int((c >> 16) & 0xFF));
                    QCOMPARE(picker->color(), c);
                    click(picker, "Command1");
                });
                o->change_color(swatch);
            } else if (setting == u"auto_show_preview"_s) {
                control<QCheckBox>(o, "Preview")->setChecked(false);
            } else if (setting == u"slide_show_delay"_s) {
                control<QSlider>(o, "slide_show_delay")->setValue(5);
                QCOMPARE(control<QLabel>(o, "slide_show_delay_label")->text(),
                         u"Delay: 5 seconds"_s);
            } else if (setting == u"timeout"_s) {
                auto* box = control<QComboBox>(o, "timeout");
                QVERIFY(!box->isEnabled());
                control<QCheckBox>(o, "exit_on_timeout")->setChecked(true);
                QVERIFY(box->isEnabled());
                box->setCurrentText(stored);
            } else if (setting == u"escape_exit"_s) {
                control<QCheckBox>(o, "escape_exit")->setChecked(true);
            }
        });
        const char* section =
            setting.startsWith(u"color_"_s) || setting == u"bold_2"_s               ? "Appearance"
            : setting == u"auto_show_preview"_s || setting == u"slide_show_delay"_s ? "Viewing"
                                                                                    : "Behavior";
        QCOMPARE(w.get(section, setting.toLatin1().constData()), stored);

        // At once, without a restart.
        const mainwindow::AppState& state = main->state();
        const browse::ListItem& hidden =
            libraries->pane().list.item(rowOf(libraries, u"cat.jpg"_s));
        if (setting == u"encrypt_level"_s) {
            QCOMPARE(state.prefs.encrypt_level, short(3));
        } else if (setting == u"threshold"_s) {
            QCOMPARE(state.prefs.threshold, stored.toLongLong() * 1048576);
        } else if (setting == u"bold_2"_s) {
            QVERIFY(hidden.bold);
            QVERIFY(!libraries->pane().list.item(rowOf(libraries, u"plain.jpg"_s)).bold);
        } else if (setting == u"color_2"_s) {
            QCOMPARE(hidden.color, stored.toUInt());
        } else if (setting == u"color_3"_s) {
            QCOMPARE(libraries->previewBox()->palette().color(QPalette::Window), QColor(0, 255, 0));
        } else if (setting == u"auto_show_preview"_s) {
            QVERIFY(!state.prefs.auto_show_preview);
        } else if (setting == u"timeout"_s) {
            // One idle minute now ends the program.
            main->state().idle.inactivity_timer_Timer();
            QTRY_COMPARE(w.exits.size(), 1);
        } else if (setting == u"escape_exit"_s) {
            QVERIFY(state.prefs.escape_exit);
        }

        // Opened again, the window shows what was saved, and saving again
        // untouched writes nothing.
        if (w.exits.isEmpty()) {
            const QByteArray saved = TestWorld::readAll(w.world.settingsFile());
            runOptions(*main, [&](fOptions* o) {
                for (const OptionText& t : o->currentTexts())
                    if (t.name == setting)
                        QCOMPARE(t.text, stored);
            });
            QCOMPARE(TestWorld::readAll(w.world.settingsFile()), saved);
        }
        QVERIFY(w.prompt.unexpected.isEmpty());
    }

    // A store that cannot be written: the failure is reported and the window
    // stays open, with nothing counted as saved.
    void unwritableStoreIsReported()
    {
        MainWorld w;
        w.world.file(u"blocker"_s, "x");
        mainwindow::Services services = w.services();
        services.store = SettingsStore(w.world.path(u"blocker/Cloakwell.ini"_s));
        mainwindow::AppState state(std::move(services));
        fOptions options(state);
        options.show();
        control<QRadioButton>(&options, "encrypt_level_1")->click();
        w.prompt.acceptMessages(1);
        click(&options, "options_ok_button");
        QCOMPARE(w.prompt.seen.size(), 1);
        QVERIFY(w.prompt.lastText().contains(u"could not be saved"_s));
        QVERIFY(w.prompt.lastText().contains(u"encrypt_level"_s));
        QVERIFY(options.isVisible());
        QVERIFY(options.written().isEmpty());
    }
};

WINDOW_TEST_MAIN(TestOptions)
#include "tst_options.moc"

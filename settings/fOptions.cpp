#include "settings/fOptions.h"

#include "mainwindow/AppState.h"
#include "mainwindow/UiIdleFilter.h"
#include "settings/fRGBPicker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kBehavior = QLatin1String(settings::kSectionBehavior);
const QString kAppearance = QLatin1String(settings::kSectionAppearance);
const QString kViewing = QLatin1String(settings::kSectionViewing);

const std::array<const char*, 3> kLevelTexts = {
    "Encrypts the file name such that the file type is no longer recognized by the desktop. "
    "This prevents other users from being able to open the file from the file manager. "
    "(Fastest)",
    "Encrypts the file name and file contents. This renders all files, excluding MPEGs, "
    "unreadable by external applications. (Slower)",
    "Encrypts the file name and file contents. Level 3 adds support to render MPEGs "
    "unreadable. Level 2 will still be used for all other file formats. (Slower for MPEGs)",
};

QCheckBox* checkBox(const char* name, const char* caption, QWidget* parent)
{
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QLabel* wrapped(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

fOptions::fOptions(mainwindow::AppState& state, QWidget* parent) : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("fOptions"));
    setWindowTitle(QStringLiteral("Options"));
    mainwindow::UiIdleFilter::install(this, state.idle);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_tabs->addTab(startAndExitTab(), QStringLiteral("&Start and Exit"));
    m_tabs->addTab(appearanceTab(), QStringLiteral("&Appearance"));
    m_tabs->addTab(encryptionTab(), QStringLiteral("&Encryption"));
    m_tabs->addTab(imageViewingTab(), QStringLiteral("&Image Viewing"));
    m_tabs->addTab(fileExecutionTab(), QStringLiteral("&File Execution"));

    auto* ok = new QPushButton(QStringLiteral("Save Changes"), this);
    ok->setObjectName(QStringLiteral("options_ok_button"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel_button"));
    connect(ok, &QPushButton::clicked, this, &fOptions::options_ok_button_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    load();
    // Wide enough for all five tabs side by side.
    resize(qMax(sizeHint().width(), m_tabs->tabBar()->sizeHint().width() + 40),
           sizeHint().height());
}

QWidget* fOptions::startAndExitTab()
{
    auto* tab = new QWidget;
    auto* start = new QGroupBox(QStringLiteral("Start"), tab);
    m_loadExplorer = checkBox("load_explorer", "Load Explorer", start);
    m_loadLibraries = checkBox("load_libraries", "Load Libraries", start);
    m_rememberPath = checkBox("remember_path", "Continue browsing where I left off", start);
    auto* startLayout = new QVBoxLayout(start);
    startLayout->addWidget(m_loadExplorer);
    startLayout->addWidget(m_loadLibraries);
    startLayout->addWidget(m_rememberPath);

    auto* exit = new QGroupBox(QStringLiteral("Exit"), tab);
    m_exitOnTimeout =
        checkBox("exit_on_timeout", "Shutdown after specified minutes of inactivity:", exit);
    m_timeout = new QComboBox(exit);
    m_timeout->setObjectName(QStringLiteral("timeout"));
    for (int minutes = 1; minutes <= 10; ++minutes)
        m_timeout->addItem(QString::number(minutes));
    m_warnOnExit = checkBox("warn_on_exit", "Warn if files remain unhidden", exit);
    m_escapeExit = checkBox("escape_exit", "Shutdown on escape character", exit);
    connect(m_exitOnTimeout, &QCheckBox::toggled, this, &fOptions::exit_on_timeout_Click);
    auto* timeoutRow = new QHBoxLayout;
    timeoutRow->addWidget(m_exitOnTimeout);
    timeoutRow->addWidget(m_timeout);
    timeoutRow->addStretch(1);
    auto* exitLayout = new QVBoxLayout(exit);
    exitLayout->addLayout(timeoutRow);
    exitLayout->addWidget(m_warnOnExit);
    exitLayout->addWidget(m_escapeExit);

    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(start);
    layout->addWidget(exit);
    layout->addStretch(1);
    return tab;
}

QWidget* fOptions::appearanceTab()
{
    auto* tab = new QWidget;
    auto* color = new QGroupBox(QStringLiteral("Color"), tab);
    auto* grid = new QGridLayout(color);
    const std::array<const char*, 3> captions{"Unhidden Files", "Hidden Files", "Image Backround"};
    for (int i = 0; i < 3; ++i) {
        auto* swatch = new QPushButton(color);
        swatch->setObjectName(QStringLiteral("color_%1_select").arg(i + 1));
        swatch->setFixedSize(40, 22);
        swatch->setFlat(true);
        swatch->setToolTip(QStringLiteral("Click to choose the colour"));
        auto* change = new QPushButton(QStringLiteral("Change"), color);
        change->setObjectName(QStringLiteral("color_%1_change").arg(i + 1));
        connect(swatch, &QPushButton::clicked, this, [this, i] { change_color(i + 1); });
        connect(change, &QPushButton::clicked, this, [this, i] { change_color(i + 1); });
        grid->addWidget(swatch, i, 0);
        grid->addWidget(change, i, 1);
        grid->addWidget(new QLabel(QString::fromLatin1(captions[static_cast<size_t>(i)]), color), i,
                        2);
        m_swatches[static_cast<size_t>(i)] = swatch;
    }
    grid->setColumnStretch(2, 1);

    auto* style = new QGroupBox(QStringLiteral("Text Style"), tab);
    m_bold1 = checkBox("font_bold_1", "Unhiden files appear in bold", style);
    m_bold2 = checkBox("font_bold_2", "Hidden files appear in bold", style);
    auto* styleLayout = new QVBoxLayout(style);
    styleLayout->addWidget(m_bold1);
    styleLayout->addWidget(m_bold2);

    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(color);
    layout->addWidget(style);
    layout->addStretch(1);
    return tab;
}

QWidget* fOptions::encryptionTab()
{
    auto* tab = new QWidget;
    auto* level = new QGroupBox(QStringLiteral("Level"), tab);
    auto* grid = new QGridLayout(level);
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(level);
        button->setObjectName(QStringLiteral("encrypt_level_%1").arg(i + 1));
        auto* label = new QLabel(QStringLiteral("Level %1:").arg(i + 1), level);
        label->setObjectName(QStringLiteral("Label9_%1").arg(i + 1));
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        label->setBuddy(button);
        auto* text = wrapped(QString::fromUtf8(kLevelTexts[static_cast<size_t>(i)]), level);
        text->setObjectName(QStringLiteral("Label1_%1").arg(i + 1));
        connect(button, &QRadioButton::toggled, this, &fOptions::encrypt_level_Click);
        grid->addWidget(button, 2 * i, 0, Qt::AlignTop);
        grid->addWidget(label, 2 * i, 1);
        grid->addWidget(text, 2 * i + 1, 1);
        m_levels[static_cast<size_t>(i)] = button;
        m_levelLabels[static_cast<size_t>(i)] = label;
        m_levelTexts[static_cast<size_t>(i)] = text;
    }
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(level);
    layout->addStretch(1);
    return tab;
}

QWidget* fOptions::imageViewingTab()
{
    auto* tab = new QWidget;
    auto* preview = new QGroupBox(QStringLiteral("Preview"), tab);
    m_preview = checkBox("Preview", "Automatically show preview on picture selection", preview);
    auto* previewLayout = new QVBoxLayout(preview);
    previewLayout->addWidget(m_preview);

    auto* show = new QGroupBox(QStringLiteral("Slide Show"), tab);
    m_spaceBarStop = checkBox("space_bar_stop", "Spacebar interupts slide show", show);
    m_spaceBarStop->setToolTip(QStringLiteral("Pressing the spacebar will stop the slide show."));
    m_delay = new QSlider(Qt::Horizontal, show);
    m_delay->setObjectName(QStringLiteral("slide_show_delay"));
    m_delay->setRange(1, 10);
    m_delay->setSingleStep(1);
    m_delay->setPageStep(5);
    m_delay->setTickPosition(QSlider::TicksBelow);
    m_delay->setToolTip(QStringLiteral("Set the delay for the slide show"));
    m_delayLabel = new QLabel(QStringLiteral("Delay: 1 second"), show);
    m_delayLabel->setObjectName(QStringLiteral("slide_show_delay_label"));
    m_delayLabel->setMinimumWidth(
        m_delayLabel->fontMetrics().horizontalAdvance(QStringLiteral("Delay: 10 seconds")));
    connect(m_delay, &QSlider::valueChanged, this, &fOptions::slide_show_delay_Change);
    m_random = new QRadioButton(QStringLiteral("Random"), show);
    m_random->setObjectName(QStringLiteral("Random"));
    m_random->setToolTip(QStringLiteral("Pictures will appear in random order"));
    m_sequential = new QRadioButton(QStringLiteral("Sequential"), show);
    m_sequential->setObjectName(QStringLiteral("Sequential"));
    m_sequential->setToolTip(QStringLiteral("Pictures will appear in order"));

    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(m_delay, 1);
    delayRow->addWidget(m_delayLabel);
    auto* order = new QHBoxLayout;
    order->addWidget(new QLabel(QStringLiteral("Picture Sequence:"), show));
    order->addWidget(m_random);
    order->addWidget(m_sequential);
    order->addStretch(1);
    auto* showLayout = new QVBoxLayout(show);
    showLayout->addWidget(m_spaceBarStop);
    showLayout->addLayout(delayRow);
    showLayout->addLayout(order);

    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(preview);
    layout->addWidget(show);
    layout->addStretch(1);
    return tab;
}

QWidget* fOptions::fileExecutionTab()
{
    auto* tab = new QWidget;
    auto* temporary = new QGroupBox(QStringLiteral("Temporary Files"), tab);
    auto* text1 = wrapped(
        QStringLiteral("By default, files are opened from temporary copies that get destroyed "
                       "upon exit. This is done in order to prevent external viewers from being "
                       "able to access your Library files through a \"Recent Files\" list."),
        temporary);
    auto* text2 = wrapped(
        QStringLiteral("For larger files, however, this may become impractical. Set a threshold "
                       "value where temporary copies are no longer created for opening files. "
                       "You may turn this feature off by selecting a value of 0 MB."),
        temporary);
    m_threshold = new QSlider(Qt::Horizontal, temporary);
    m_threshold->setObjectName(QStringLiteral("threshold"));
    m_threshold->setSingleStep(1);
    m_threshold->setPageStep(5);
    m_thresholdLabel = new QLabel(QStringLiteral("1 MB"), temporary);
    m_thresholdLabel->setObjectName(QStringLiteral("threshold_display"));
    m_thresholdLabel->setMinimumWidth(
        m_thresholdLabel->fontMetrics().horizontalAdvance(QStringLiteral("2047 MB")));
    m_thresholdLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(m_threshold, &QSlider::valueChanged, this, &fOptions::threshold_Change);
    auto* row = new QHBoxLayout;
    row->addWidget(m_threshold, 1);
    row->addWidget(m_thresholdLabel);
    auto* inner = new QVBoxLayout(temporary);
    inner->addWidget(text1);
    inner->addWidget(text2);
    inner->addLayout(row);

    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(temporary);
    layout->addStretch(1);
    return tab;
}

void fOptions::load()
{
    const settings::SettingsStore& store = m_state.store();
    const auto flag = [&](QCheckBox* box, const QString& section, const char* name) {
        box->setChecked(settings::read_flag(store, section, QLatin1String(name)));
    };
    flag(m_loadExplorer, kBehavior, "load_explorer");
    flag(m_loadLibraries, kBehavior, "load_libraries");
    flag(m_rememberPath, kBehavior, "remember_last_path");
    flag(m_exitOnTimeout, kBehavior, "exit_on_timeout");
    flag(m_warnOnExit, kBehavior, "warn_on_exit");
    flag(m_escapeExit, kBehavior, "escape_exit");
    flag(m_bold1, kAppearance, "bold_1");
    flag(m_bold2, kAppearance, "bold_2");
    flag(m_preview, kViewing, "auto_show_preview");
    flag(m_spaceBarStop, kViewing, "space_bar_stop");

    // A stored minute count outside the list is shown as it is.
    const QString timeout = settings::read_text(store, kBehavior, QStringLiteral("timeout"));
    if (m_timeout->findText(timeout) < 0)
        m_timeout->insertItem(0, timeout);
    m_timeout->setCurrentText(timeout);

    for (int i = 0; i < 3; ++i)
        setSwatch(i + 1,
                  settings::read_colour(store, kAppearance, QStringLiteral("color_%1").arg(i + 1)));

    qint64 level = settings::read_integer(store, kBehavior, QStringLiteral("encrypt_level"));
    if (level < 1 || level > 3)
        level = 2;
    m_levels[static_cast<size_t>(level - 1)]->setChecked(true);

    m_delay->setValue(settings::delay_seconds(
        settings::read_integer(store, kViewing, QStringLiteral("slide_show_delay"))));
    m_storedMode = store.get_setting(kViewing, QStringLiteral("slide_show_mode"));
    const QString mode = settings::read_text(store, kViewing, QStringLiteral("slide_show_mode"));
    m_random->setChecked(mode == QLatin1String("random"));
    m_sequential->setChecked(mode == QLatin1String("sequential"));

    qint64 mb = settings::read_integer(store, kBehavior, QStringLiteral("threshold"));
    if (mb < 0 || mb > settings::kThresholdMaxMb)
        mb = settings::parse_integer(
                 settings::default_setting(kBehavior, QStringLiteral("threshold")))
                 .value_or(0);
    m_thresholdSteps = settings::threshold_steps(mb);
    m_threshold->setRange(0, static_cast<int>(m_thresholdSteps.size()) - 1);
    m_threshold->setValue(settings::threshold_step_of(m_thresholdSteps, mb));

    exit_on_timeout_Click();
    encrypt_level_Click();
    slide_show_delay_Change();
    threshold_Change();
    m_loaded = currentTexts();
}

std::vector<settings::OptionText> fOptions::currentTexts() const
{
    std::vector<settings::OptionText> t;
    const auto add = [&t](const QString& section, const char* name, const QString& text) {
        t.push_back({section, QLatin1String(name), text});
    };
    add(kBehavior, "load_explorer", settings::flag_text(m_loadExplorer->isChecked()));
    add(kBehavior, "load_libraries", settings::flag_text(m_loadLibraries->isChecked()));
    add(kBehavior, "remember_last_path", settings::flag_text(m_rememberPath->isChecked()));
    add(kBehavior, "exit_on_timeout", settings::flag_text(m_exitOnTimeout->isChecked()));
    add(kBehavior, "timeout", m_timeout->currentText());
    add(kBehavior, "warn_on_exit", settings::flag_text(m_warnOnExit->isChecked()));
    add(kBehavior, "escape_exit", settings::flag_text(m_escapeExit->isChecked()));
    for (int i = 0; i < 3; ++i)
        t.push_back({kAppearance, QStringLiteral("color_%1").arg(i + 1),
                     QString::number(m_colors[static_cast<size_t>(i)])});
    add(kAppearance, "bold_1", settings::flag_text(m_bold1->isChecked()));
    add(kAppearance, "bold_2", settings::flag_text(m_bold2->isChecked()));
    int level = 2;
    for (int i = 0; i < 3; ++i)
        if (m_levels[static_cast<size_t>(i)]->isChecked())
            level = i + 1;
    add(kBehavior, "encrypt_level", QString::number(level));
    add(kViewing, "auto_show_preview", settings::flag_text(m_preview->isChecked()));
    add(kViewing, "space_bar_stop", settings::flag_text(m_spaceBarStop->isChecked()));
    add(kViewing, "slide_show_delay", QString::number(m_delay->value() * 1000));
    add(kViewing, "slide_show_mode",
        m_random->isChecked()       ? QStringLiteral("random")
        : m_sequential->isChecked() ? QStringLiteral("sequential")
                                    : m_storedMode);
    add(kBehavior, "threshold",
        QString::number(m_thresholdSteps[static_cast<size_t>(m_threshold->value())]));
    return t;
}

void fOptions::options_ok_button_Click()
{
    const std::vector<settings::OptionText> now = currentTexts();
    const settings::OptionsSaved saved =
        settings::save_changed_options(m_state.store(), m_loaded, now);
    m_written << saved.written;
    if (!saved.failed.isEmpty()) {
        // What was written counts from now on; what was not stays to be saved
        // again or cancelled.
        for (const settings::OptionText& t : now)
            if (saved.written.contains(t.name))
                for (settings::OptionText& was : m_loaded)
                    if (was.name == t.name && was.section == t.section)
                        was.text = t.text;
        m_state.prompt().message(settings::options_not_saved_message(saved.failed),
                                 QStringLiteral("Options"), platform::PromptIcon::Warning);
        return;
    }
    accept();
}

void fOptions::change_color(int swatch)
{
    QPointer<fRGBPicker> picker =
        new fRGBPicker(m_colors[static_cast<size_t>(swatch - 1)], m_state.idle, this);
    const bool chosen = picker->exec() == QDialog::Accepted && picker;
    if (chosen)
        setSwatch(swatch, picker->color());
    delete picker;
}

void fOptions::setSwatch(int swatch, settings::WinColor color)
{
    m_colors[static_cast<size_t>(swatch - 1)] = color;
    m_swatches[static_cast<size_t>(swatch - 1)]->setStyleSheet(swatchStyle(color));
}

void fOptions::exit_on_timeout_Click()
{
    m_timeout->setEnabled(m_exitOnTimeout->isChecked());
}

void fOptions::encrypt_level_Click()
{
    for (size_t i = 0; i < 3; ++i) {
        const bool chosen = m_levels[i]->isChecked();
        m_levelLabels[i]->setEnabled(chosen);
        m_levelTexts[i]->setEnabled(chosen);
    }
}

void fOptions::slide_show_delay_Change()
{
    m_delayLabel->setText(settings::delay_label(m_delay->value()));
}

void fOptions::threshold_Change()
{
    m_thresholdLabel->setText(
        settings::threshold_label(m_thresholdSteps[static_cast<size_t>(m_threshold->value())]));
}

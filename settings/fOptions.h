#pragma once

#include "settings/OptionValues.h"
#include "settings/Preferences.h"

#include <QDialog>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;

namespace mainwindow {
class AppState;
}

// The options: five tabs of preferences, written when "Save Changes" is
// pressed. Only values the user changed are written; a value the store could
// not write is reported and the window stays open. The command that opened
// it brings the program up to date with what was written.
class fOptions : public QDialog
{
    Q_OBJECT
public:
    explicit fOptions(mainwindow::AppState& state, QWidget* parent = nullptr);

    // The names of the values written since the window opened.
    const QStringList& written() const { return m_written; }

    void options_ok_button_Click();
    // The colour picker for swatch 1 to 3 (modal).
    void change_color(int swatch);

    // The values as the controls show them now, in their stored text forms.
    std::vector<settings::OptionText> currentTexts() const;

private:
    QWidget* startAndExitTab();
    QWidget* appearanceTab();
    QWidget* encryptionTab();
    QWidget* imageViewingTab();
    QWidget* fileExecutionTab();
    void load();
    void exit_on_timeout_Click();
    void encrypt_level_Click();
    void slide_show_delay_Change();
    void threshold_Change();
    void setSwatch(int swatch, settings::WinColor color);

    mainwindow::AppState& m_state;
    QTabWidget* m_tabs = nullptr;
    QCheckBox* m_loadExplorer = nullptr;
    QCheckBox* m_loadLibraries = nullptr;
    QCheckBox* m_rememberPath = nullptr;
    QCheckBox* m_exitOnTimeout = nullptr;
    QComboBox* m_timeout = nullptr;
    QCheckBox* m_warnOnExit = nullptr;
    QCheckBox* m_escapeExit = nullptr;
    std::array<QPushButton*, 3> m_swatches{};
    std::array<settings::WinColor, 3> m_colors{};
    QCheckBox* m_bold1 = nullptr;
    QCheckBox* m_bold2 = nullptr;
    std::array<QRadioButton*, 3> m_levels{};
    std::array<QLabel*, 3> m_levelLabels{};
    std::array<QLabel*, 3> m_levelTexts{};
    QCheckBox* m_preview = nullptr;
    QCheckBox* m_spaceBarStop = nullptr;
    QSlider* m_delay = nullptr;
    QLabel* m_delayLabel = nullptr;
    QRadioButton* m_random = nullptr;
    QRadioButton* m_sequential = nullptr;
    QString m_storedMode;
    QSlider* m_threshold = nullptr;
    QLabel* m_thresholdLabel = nullptr;
    std::vector<qint64> m_thresholdSteps;

    std::vector<settings::OptionText> m_loaded;
    QStringList m_written;
};

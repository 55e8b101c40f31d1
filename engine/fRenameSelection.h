#pragma once

#include "engine/mRenameSelection.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
namespace mainwindow {
class IdleCount;
}

// Rename Selection: a series name, a separator and what to leave out, with a
// preview of the scheme; Rename renames the Libraries list's selection as a
// long operation and closes the window. Modal, opened by the main window.
class fRenameSelection : public QDialog
{
    Q_OBJECT
public:
    // pane: the Libraries window's pane, whose list selection is renamed.
    fRenameSelection(mainwindow::IdleCount& idle, const browse::BrowseContext& ctx,
                     browse::BrowsePane& pane, QWidget* parent = nullptr);

    // What the last Rename did; invalidName after a refused series name.
    const mRenameSelection::Result& result() const { return m_result; }

    QLineEdit* parent_name = nullptr;
    std::array<QRadioButton*, 4> seperator{};
    QCheckBox* skip_hidden = nullptr;
    QCheckBox* skip_folders = nullptr;
    std::array<QLabel*, 5> Preview{};
    QPushButton* rename_button = nullptr;
    QPushButton* cancel_button = nullptr;

private:
    void updatePreview();
    void rename_button_Click();

    const browse::BrowseContext& m_ctx;
    browse::BrowsePane& m_pane;
    int m_count = 0; // selected items when the window opened
    QChar m_separator = QLatin1Char(' ');
    mRenameSelection::Result m_result;
};

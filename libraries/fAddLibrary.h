#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace mainwindow {
class AppState;
}

// The New Library dialog: a folder and a name, checked one by one, then
// added to the library table. Modal; opened by the New Library command
// (also from the first-run question), which then shows the new Library,
// chosen and listed, in the Libraries window.
class fAddLibrary : public QDialog
{
    Q_OBJECT
public:
    explicit fAddLibrary(mainwindow::AppState& state, QWidget* parent = nullptr);

    // The folder of the Library added; "" until one was.
    const QString& addedPath() const { return m_added; }

    void browse_button_Click();
    void add_library_button_Click();

private:
    // The first check the entries fail, reported; false when one did.
    bool refused(const QString& path, const QString& name);

    mainwindow::AppState& m_state;
    QString m_added;
    QLineEdit* library_path = nullptr;
    QToolButton* browse_button = nullptr;
    QLineEdit* lib_name_text_box = nullptr;
    QPushButton* add_library_button = nullptr;
    QPushButton* cancel_button = nullptr;
};

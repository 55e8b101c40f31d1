#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QToolButton;
class fMain;

// The New Library dialog: a folder and a name, checked one by one, then
// added to the library table; the Libraries window then shows the new
// Library chosen and listed. Modal; opened by the New Library command and by
// the first-run question.
class fAddLibrary : public QDialog
{
    Q_OBJECT
public:
    explicit fAddLibrary(fMain& main, QWidget* parent = nullptr);

    void browse_button_Click();
    void add_library_button_Click();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // The first check the entries fail, reported; false when one did.
    bool refused(const QString& path, const QString& name);

    fMain& m_main;
    QLineEdit* library_path = nullptr;
    QToolButton* browse_button = nullptr;
    QLineEdit* lib_name_text_box = nullptr;
    QPushButton* add_library_button = nullptr;
    QPushButton* cancel_button = nullptr;
};

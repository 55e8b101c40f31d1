#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

namespace mainwindow {
class AppState;
}

// The Delete Library dialog: the Library leaves the list of libraries, with
// or without its folder going into the Red Ovidor bin. Modal; opened by the
// Delete command on a Library node, which then brings the windows up to date
// from the result.
class fDeleteLibrary : public QDialog
{
    Q_OBJECT
public:
    fDeleteLibrary(mainwindow::AppState& state, const QString& name, const QString& path,
                   QWidget* parent = nullptr);

    // True once the Library left the table.
    bool removed() const { return m_removed; }
    // Where its folder arrived in the bin; "" when it did not move.
    const QString& movedTo() const { return m_movedTo; }

    void ok_button_Click();

private:
    mainwindow::AppState& m_state;
    QString m_name;
    QString m_path;
    bool m_removed = false;
    QString m_movedTo;
    QLabel* Label1 = nullptr;
    QRadioButton* remove = nullptr;
    QRadioButton* move_lib = nullptr;
    QPushButton* ok_button = nullptr;
    QPushButton* cancel_button = nullptr;
};

#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace mainwindow {
class WindowHost;
}

// The find window: the text to look for among the names of the focused
// browser window's list, the direction and the case. Opening it clears the
// current search; "&Find" stores the new one in the program's state, closes
// and runs the first step (Find Next). It always opens in its start state.
class fFind : public QDialog
{
    Q_OBJECT
public:
    explicit fFind(mainwindow::WindowHost& host, QWidget* parent = nullptr);

    void find_button_Click();

private:
    mainwindow::WindowHost& m_host;
    QLineEdit* m_searchStr = nullptr;
    QRadioButton* m_up = nullptr;
    QRadioButton* m_down = nullptr;
    QCheckBox* m_matchCase = nullptr;
};

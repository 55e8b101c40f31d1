#include "mainwindow/fFind.h"

#include "mainwindow/AppState.h"
#include "mainwindow/FindStep.h"
#include "mainwindow/UiIdleFilter.h"
#include "mainwindow/WindowHost.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

fFind::fFind(mainwindow::WindowHost& host, QWidget* parent) : QDialog(parent), m_host(host)
{
    setObjectName(QStringLiteral("fFind"));
    setWindowTitle(QStringLiteral("Find"));
    mainwindow::UiIdleFilter::install(this, host.state().idle);

    auto* label1 = new QLabel(
        QStringLiteral("Find any occurence of the following text in the active folder:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_searchStr = new QLineEdit(this);
    m_searchStr->setObjectName(QStringLiteral("search_str"));
    label1->setBuddy(m_searchStr);

    auto* label2 = new QLabel(QStringLiteral("Direction:"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    m_up = new QRadioButton(QStringLiteral("&Up"), this);
    m_up->setObjectName(QStringLiteral("up"));
    m_down = new QRadioButton(QStringLiteral("&Down"), this);
    m_down->setObjectName(QStringLiteral("down"));
    m_down->setChecked(true);
    m_matchCase = new QCheckBox(QStringLiteral("&Match Case"), this);
    m_matchCase->setObjectName(QStringLiteral("match_case"));

    auto* find_button = new QPushButton(QStringLiteral("&Find"), this);
    find_button->setObjectName(QStringLiteral("find_button"));
    find_button->setDefault(true);
    auto* cancel_button = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_button->setObjectName(QStringLiteral("cancel_button"));
    connect(find_button, &QPushButton::clicked, this, &fFind::find_button_Click);
    // Escape rejects the dialog as well: both only close it.
    connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);

    auto* options = new QHBoxLayout;
    options->addWidget(label2);
    options->addWidget(m_up);
    options->addWidget(m_down);
    options->addSpacing(24);
    options->addWidget(m_matchCase);
    options->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(find_button);
    buttons->addWidget(cancel_button);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(m_searchStr);
    layout->addLayout(options);
    layout->addLayout(buttons);
    setMinimumWidth(sizeHint().width());
    setFixedHeight(sizeHint().height());

    // A new search starts from nothing: Find Next waits for it.
    host.state().strA.clear();
    host.enable_toolbar();
}

void fFind::find_button_Click()
{
    mainwindow::AppState& state = m_host.state();
    state.n_found = 0;
    state.match_case = m_matchCase->isChecked();
    state.strA = mainwindow::search_text(m_searchStr->text(), state.match_case);
    state.direction = m_down->isChecked();
    close();
    m_host.run_command(mainwindow::Command::FindNext);
}

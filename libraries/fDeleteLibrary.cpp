#include "libraries/fDeleteLibrary.h"

#include "engine/fProgress.h"
#include "engine/mEncryptRecords.h"
#include "libraries/mDeleteLibrary.h"
#include "mainwindow/AppState.h"
#include "mainwindow/UiIcons.h"
#include "mainwindow/UiIdleFilter.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

fDeleteLibrary::fDeleteLibrary(mainwindow::AppState& state, const QString& name,
                               const QString& path, QWidget* parent)
    : QDialog(parent), m_state(state), m_name(name), m_path(path)
{
    setObjectName(u"fDeleteLibrary"_s);
    setWindowTitle(u"Delete Library"_s);
    setWindowIcon(mainwindow::programIcon());
    mainwindow::UiIdleFilter::install(this, m_state.idle);

    Label1 = new QLabel(u"Select one of two options"_s, this);
    Label1->setObjectName(u"Label1"_s);
    remove = new QRadioButton(u"Remove the Library from your list of libraries"_s, this);
    remove->setObjectName(u"remove"_s);
    move_lib = new QRadioButton(
        u"Remove the Library and move the associated folder to the Red Ovidor Bin"_s, this);
    move_lib->setObjectName(u"move_lib"_s);
    // Neither is chosen at first: the user picks one on purpose.
    auto* options = new QButtonGroup(this);
    options->addButton(remove);
    options->addButton(move_lib);

    auto* buttons = new QDialogButtonBox(this);
    ok_button = buttons->addButton(u"Continue"_s, QDialogButtonBox::AcceptRole);
    ok_button->setObjectName(u"ok_button"_s);
    ok_button->setDefault(true);
    cancel_button = buttons->addButton(u"Cancel"_s, QDialogButtonBox::RejectRole);
    cancel_button->setObjectName(u"cancel_button"_s);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addSpacing(4);
    layout->addWidget(remove);
    layout->addWidget(move_lib);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok_button, &QPushButton::clicked, this, &fDeleteLibrary::ok_button_Click);
    connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);
}

void fDeleteLibrary::ok_button_Click()
{
    platform::PromptService& prompt = m_state.prompt();
    if (!remove->isChecked() && !move_lib->isChecked()) {
        prompt.message(u"Please select an option"_s);
        return;
    }
    const bool moveFolder = move_lib->isChecked();
    const QString question =
        moveFolder ? u"Are you sure you want to send '"_s + m_name + u"' to the Red Ovidor bin?"_s
                   : u"Are you sure you want to remove '"_s + m_name + u"'?"_s;
    if (prompt.ask({question, u"Confirm Delete"_s, platform::PromptButtons::YesNo,
                    platform::PromptIcon::Question}) != platform::PromptAnswer::Yes) {
        reject();
        return;
    }
    // A hidden item a crash left half done is put right before it moves.
    if (moveFolder)
        mEncrypt::recover_before_renaming(m_state.folders(), prompt);
    fProgress progress(this);
    mDeleteLibrary::MoveResult moved;
    m_removed =
        mDeleteLibrary::delete_library(m_state.store(), {m_name, m_path, moveFolder},
                                       m_state.folders().binFolder, prompt, &progress, &moved);
    if (moved.outcome == mDeleteLibrary::MoveOutcome::Moved)
        m_movedTo = moved.target;
    accept();
}

#include "mainwindow/fHotKeys.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct Shortcut
{
    const char* key;
    const char* description;
    const char* tip; // "" for none
};

struct Group
{
    const char* title;
    std::initializer_list<Shortcut> keys;
};

const Group kGroups[] = {
    {"General",
     {{"F1", "Online Help", ""},
      {"F4", "Slide Show!", ""},
      {"F5", "Refresh", ""},
      {"Ctrl + A", "Select All", ""},
      {"Ctrl + I", "Invert Selection", ""},
      {"Esc", "Shutdown", "This must be set in the Options window"}}},
    {"Edit",
     {{"Ctrl + X", "Cut", ""},
      {"Ctrl + C", "Copy", ""},
      {"Ctrl + V", "Paste", ""},
      {"Del", "Delete", ""},
      {"F2", "Rename", ""},
      {"Ctrl + F", "Find", ""},
      {"F3", "Find Next", ""}}},
    {"Images", {{"Z", "Zoom In", ""}, {"X", "Zoom Out", ""}, {"R", "Resize to Fit", ""}}},
    {"Slide Show",
     {{"S", "Start / Stop", ""},
      {"+", "Speed Up", ""},
      {"-", "Slow Down", ""},
      {"Spc", "Advance", ""}}},
};

QGroupBox* groupBox(const Group& group, QWidget* parent)
{
    auto* box = new QGroupBox(QString::fromUtf8(group.title), parent);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(18);
    int row = 0;
    for (const Shortcut& s : group.keys) {
        auto* key = new QLabel(QString::fromUtf8(s.key), box);
        QFont bold = key->font();
        bold.setBold(true);
        key->setFont(bold);
        auto* description = new QLabel(QString::fromUtf8(s.description), box);
        if (*s.tip) {
            key->setToolTip(QString::fromUtf8(s.tip));
            description->setToolTip(QString::fromUtf8(s.tip));
        }
        grid->addWidget(key, row, 0);
        grid->addWidget(description, row, 1);
        ++row;
    }
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    return box;
}

} // namespace

fHotKeys::fHotKeys(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fHotKeys"));
    setWindowTitle(QStringLiteral("Keyboard Shortcuts"));

    auto* groups = new QGridLayout;
    groups->addWidget(groupBox(kGroups[0], this), 0, 0);
    groups->addWidget(groupBox(kGroups[1], this), 0, 1);
    groups->addWidget(groupBox(kGroups[2], this), 1, 0);
    groups->addWidget(groupBox(kGroups[3], this), 1, 1);

    // Default and cancel button at once: Enter and Escape both close.
    auto* close_button = new QPushButton(QStringLiteral("Close"), this);
    close_button->setObjectName(QStringLiteral("close_button"));
    close_button->setDefault(true);
    connect(close_button, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close_button);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

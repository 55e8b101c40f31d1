#pragma once

#include "mainwindow/mFileOperations.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// The question a file operation asks when the target folder already holds
// an item of the incoming item's name: both items side by side (name, size,
// modified date, a small picture where one is cheap to make), and Replace,
// Skip, Keep both (only where a renamed copy is allowed) or Cancel, with
// "Do this for the remaining conflicts". Skip is the default and Escape
// cancels: a stray Enter never replaces anything.
class fConflict : public QDialog
{
    Q_OBJECT
public:
    fConflict(const QString& existing, const QString& incoming, bool keepBothAllowed,
              QWidget* owner = nullptr);

    // The choice made; Cancel until a button other than Cancel was pressed.
    mainwindow::ConflictAnswer answer() const { return m_answer; }

    // The picture shown for an item: a thumbnail of a plain picture file
    // (never of a hidden one, whose bytes may be scrambled), else its type's
    // icon.
    static QPixmap itemPicture(const QString& path, int side);

private:
    void choose(mainwindow::ConflictChoice choice);
    QWidget* itemBox(const QString& heading, const QString& path, const QString& other);

    mainwindow::ConflictAnswer m_answer;

    QPushButton* replace_button = nullptr;
    QPushButton* skip_button = nullptr;
    QPushButton* keepboth_button = nullptr;
    QPushButton* cancel_button = nullptr;
    QCheckBox* remaining_check = nullptr;
};

// Asks through fConflict, modal over the owner (the progress window stays
// beneath it), with the hourglass lifted while it shows.
class UiConflictQuestion : public mainwindow::ConflictQuestion
{
public:
    explicit UiConflictQuestion(QWidget* owner) : m_owner(owner) {}
    mainwindow::ConflictAnswer ask(const QString& existing, const QString& incoming,
                                   bool keepBothAllowed) override;

private:
    QWidget* m_owner;
};

#pragma once

#include "engine/mOpenFiles.h"

#include <QDialog>
#include <QHash>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The program's own Open With dialog, for files whose type has no program:
// the applications registered for the type, then every other application,
// and a box for a command of the user's own. It only chooses; the caller
// starts the choice on the file.
class fOpenWith : public QDialog
{
    Q_OBJECT
public:
    // The readable name gives the type and is what the user sees: the file
    // itself may be a temporary copy or a hidden file under a scrambled name.
    fOpenWith(mOpenFiles::AppLauncher& launcher, const QString& readableName,
              QWidget* parent = nullptr);

    // What was chosen; nullopt until a program is picked or a command typed.
    std::optional<mOpenFiles::OpenWithChoice> choice() const;

private:
    void fill(mOpenFiles::AppLauncher& launcher, const QString& readableName);
    QTreeWidgetItem* addGroup(const QString& title, const QList<mOpenFiles::AppInfo>& apps);
    void program_tree_view_SelectionChanged();
    void command_text_box_Change(const QString& text);
    void ok_button_Click();
    void updateOkButton();

    QHash<const QTreeWidgetItem*, mOpenFiles::AppInfo> m_apps;

    QLabel* file_label = nullptr;
    QTreeWidget* program_tree_view = nullptr;
    QLineEdit* command_text_box = nullptr;
    QPushButton* ok_button = nullptr;
    QPushButton* cancel_button = nullptr;
};

// The chooser open_file calls: shows the dialog modally over the owner.
mOpenFiles::OpenWithChooser openWithDialog(mOpenFiles::AppLauncher& launcher, QWidget* owner);

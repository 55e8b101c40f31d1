#include "engine/fOpenWith.h"

#include "platform/Icons.h"
#include "platform/UiOkCancel.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

using mOpenFiles::AppInfo;
using mOpenFiles::OpenWithChoice;

namespace {

QIcon appIcon(const QString& iconName)
{
    const QStringList generic{QStringLiteral("application-x-executable")};
    if (iconName.startsWith(QLatin1Char('/'))) {
        if (QFileInfo::exists(iconName))
            return QIcon(iconName);
        return platform::themedIcon(generic, platform::DrawnIcon::File);
    }
    QStringList names = generic;
    if (!iconName.isEmpty())
        names.prepend(iconName);
    return platform::themedIcon(names, platform::DrawnIcon::File);
}

} // namespace

fOpenWith::fOpenWith(mOpenFiles::AppLauncher& launcher, const QString& readableName,
                     QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fOpenWith"));
    setWindowTitle(QStringLiteral("Open With"));

    auto* intro =
        new QLabel(QStringLiteral("Choose the program you want to use to open this file:"), this);
    file_label = new QLabel(QStringLiteral("File: ") + readableName, this);
    file_label->setObjectName(QStringLiteral("file_label"));
    file_label->setTextFormat(Qt::PlainText);

    program_tree_view = new QTreeWidget(this);
    program_tree_view->setObjectName(QStringLiteral("program_tree_view"));
    program_tree_view->setHeaderHidden(true);
    program_tree_view->setRootIsDecorated(false);
    program_tree_view->setIconSize(QSize(24, 24));

    auto* commandLabel = new QLabel(QStringLiteral("Or run this command on the file:"), this);
    command_text_box = new QLineEdit(this);
    command_text_box->setObjectName(QStringLiteral("command_text_box"));
    command_text_box->setPlaceholderText(QStringLiteral("program --option"));
    commandLabel->setBuddy(command_text_box);

    const auto okCancel =
        platform::makeOkCancel(this, QStringLiteral("ok_button"), QStringLiteral("cancel_button"));
    QDialogButtonBox* buttons = okCancel.box;
    ok_button = okCancel.ok;
    cancel_button = okCancel.cancel;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(file_label);
    layout->addWidget(program_tree_view, 1);
    layout->addWidget(commandLabel);
    layout->addWidget(command_text_box);
    layout->addWidget(buttons);

    fill(launcher, readableName);

    connect(program_tree_view, &QTreeWidget::itemSelectionChanged, this,
            &fOpenWith::program_tree_view_SelectionChanged);
    connect(program_tree_view, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) {
                if (m_apps.contains(item))
                    ok_button_Click();
            });
    connect(command_text_box, &QLineEdit::textChanged, this, &fOpenWith::command_text_box_Change);
    connect(ok_button, &QPushButton::clicked, this, &fOpenWith::ok_button_Click);
    connect(cancel_button, &QPushButton::clicked, this, &fOpenWith::reject);
    updateOkButton();
    resize(460, 500);
}

void fOpenWith::fill(mOpenFiles::AppLauncher& launcher, const QString& readableName)
{
    const QList<AppInfo> forType = launcher.appsFor(readableName);
    QSet<QString> listed;
    for (const AppInfo& a : forType)
        listed.insert(a.id);
    QList<AppInfo> others;
    for (const AppInfo& a : launcher.allApps()) {
        if (a.id.isEmpty() || !listed.contains(a.id))
            others << a;
    }
    QTreeWidgetItem* first = addGroup(QStringLiteral("Recommended Programs"), forType);
    addGroup(QStringLiteral("Other Programs"), others);
    if (first && first->childCount() > 0)
        program_tree_view->setCurrentItem(first->child(0));
}

QTreeWidgetItem* fOpenWith::addGroup(const QString& title, const QList<AppInfo>& apps)
{
    if (apps.isEmpty())
        return nullptr;
    auto* group = new QTreeWidgetItem(program_tree_view, QStringList{title});
    group->setFlags(Qt::ItemIsEnabled);
    QFont bold = group->font(0);
    bold.setBold(true);
    group->setFont(0, bold);
    for (const AppInfo& a : apps) {
        auto* item = new QTreeWidgetItem(group, QStringList{a.name});
        item->setIcon(0, appIcon(a.iconName));
        item->setToolTip(0, a.commandLine);
        m_apps.insert(item, a);
    }
    group->setExpanded(true);
    return group;
}

std::optional<OpenWithChoice> fOpenWith::choice() const
{
    const QString command = command_text_box->text().trimmed();
    if (!command.isEmpty())
        return OpenWithChoice{std::nullopt, command};
    const auto selected = program_tree_view->selectedItems();
    if (selected.isEmpty() || !m_apps.contains(selected.front()))
        return std::nullopt;
    return OpenWithChoice{m_apps.value(selected.front()), QString()};
}

void fOpenWith::program_tree_view_SelectionChanged()
{
    // A program picked from the list takes over from a half-typed command.
    if (!program_tree_view->selectedItems().isEmpty() && !command_text_box->text().isEmpty()) {
        const QSignalBlocker quiet(command_text_box);
        command_text_box->clear();
    }
    updateOkButton();
}

void fOpenWith::command_text_box_Change(const QString& text)
{
    if (!text.trimmed().isEmpty()) {
        const QSignalBlocker quiet(program_tree_view);
        program_tree_view->clearSelection();
    }
    updateOkButton();
}

void fOpenWith::ok_button_Click()
{
    if (choice())
        accept();
}

void fOpenWith::updateOkButton()
{
    ok_button->setEnabled(choice().has_value());
}

mOpenFiles::OpenWithChooser openWithDialog(mOpenFiles::AppLauncher& launcher, QWidget* owner)
{
    QPointer<QWidget> guardedOwner(owner);
    return [&launcher, guardedOwner](const QString&,
                                     const QString& readableName) -> std::optional<OpenWithChoice> {
        // The owner may go away while the dialog runs (the idle timeout closes
        // the main window); the guard tells, and then nothing is started.
        QPointer<fOpenWith> dialog = new fOpenWith(launcher, readableName, guardedOwner.data());
        const int answer = dialog->exec();
        if (!dialog)
            return std::nullopt;
        std::optional<OpenWithChoice> picked;
        if (answer == QDialog::Accepted)
            picked = dialog->choice();
        delete dialog.data();
        return picked;
    };
}

#include "libraries/fAddLibrary.h"

#include "browse/UiBrowseFolders.h"
#include "libraries/LibraryChecks.h"
#include "libraries/mLibraries.h"
#include "mainwindow/AppState.h"
#include "mainwindow/UiIcons.h"
#include "mainwindow/UiIdleFilter.h"
#include "mainwindow/Version.h"
#include "platform/Icons.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel* note(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    return label;
}

} // namespace

fAddLibrary::fAddLibrary(mainwindow::AppState& state, QWidget* parent)
    : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("fAddLibrary"));
    setWindowTitle(QStringLiteral("New Library"));
    setWindowIcon(mainwindow::programIcon());
    mainwindow::UiIdleFilter::install(this, m_state.idle);

    auto* location = new QGroupBox(QStringLiteral("Location"), this);
    library_path = new QLineEdit(location);
    library_path->setObjectName(QStringLiteral("library_path"));
    library_path->setMinimumWidth(320);
    browse_button = new QToolButton(location);
    browse_button->setObjectName(QStringLiteral("browse_button"));
    browse_button->setIcon(
        platform::themedIcon({QStringLiteral("folder-open"), QStringLiteral("document-open")},
                             platform::DrawnIcon::OpenFolder));
    browse_button->setToolTip(QStringLiteral("Browse for folders"));
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(library_path, 1);
    pathRow->addWidget(browse_button);
    auto* locationLayout = new QVBoxLayout(location);
    locationLayout->addLayout(pathRow);
    locationLayout->addWidget(note(location, "Label2",
                                   QStringLiteral("Enter the path of your image/video library or "
                                                  "use the browse folders icon")));

    auto* nameFrame = new QGroupBox(QStringLiteral("Name"), this);
    lib_name_text_box = new QLineEdit(nameFrame);
    lib_name_text_box->setObjectName(QStringLiteral("lib_name_text_box"));
    auto* nameLayout = new QVBoxLayout(nameFrame);
    nameLayout->addWidget(lib_name_text_box);
    nameLayout->addWidget(note(nameFrame, "Label1",
                               QStringLiteral("This name will only appear from within ") +
                                   mainwindow::productName()));

    auto* buttons = new QDialogButtonBox(this);
    add_library_button =
        buttons->addButton(QStringLiteral("Add Library"), QDialogButtonBox::AcceptRole);
    add_library_button->setObjectName(QStringLiteral("add_library_button"));
    add_library_button->setDefault(true);
    cancel_button = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel_button->setObjectName(QStringLiteral("cancel_button"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(location);
    layout->addWidget(nameFrame);
    layout->addWidget(buttons);

    connect(browse_button, &QToolButton::clicked, this, &fAddLibrary::browse_button_Click);
    connect(add_library_button, &QPushButton::clicked, this,
            &fAddLibrary::add_library_button_Click);
    connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);
}

void fAddLibrary::browse_button_Click()
{
    // A cancelled picker gives "", which empties the box: that is what the
    // user asked for by cancelling.
    library_path->setText(mBrowseFolders::browse_for_folder(
        this, QStringLiteral("Locate your image or video library."),
        mBrowseFolders::typedStart(library_path->text())));
}

bool fAddLibrary::refused(const QString& path, const QString& name)
{
    const libraries::Refusal refusal =
        libraries::check_new_library(m_state.store(), m_state.folders().binFolder, path, name);
    if (refusal)
        m_state.prompt().message(refusal.text, refusal.title);
    return static_cast<bool>(refusal);
}

void fAddLibrary::add_library_button_Click()
{
    // One separator is dropped, and the box shows it: "/" then reads as a
    // root folder and is refused as one.
    if (library_path->text().endsWith(QLatin1Char('/')))
        library_path->setText(library_path->text().chopped(1));
    const QString path = library_path->text();
    const QString name = lib_name_text_box->text();
    if (refused(path, name))
        return;

    mLibraries::add_library_entry(m_state.store(), name, path);
    m_added = path;
    accept();
}

#include "engine/fRenameSelection.h"

#include "engine/fProgress.h"
#include "mainwindow/IdleCount.h"
#include "mainwindow/UiIcons.h"
#include "mainwindow/UiIdleFilter.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QString named(QObject* o, const QString& name)
{
    o->setObjectName(name);
    return name;
}

} // namespace

fRenameSelection::fRenameSelection(mainwindow::IdleCount& idle, const browse::BrowseContext& ctx,
                                   browse::BrowsePane& pane, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_pane(pane)
{
    setObjectName(QStringLiteral("fRenameSelection"));
    setWindowTitle(QStringLiteral("Rename Selection"));
    setWindowIcon(mainwindow::programIcon());
    mainwindow::UiIdleFilter::install(this, idle);
    m_count = static_cast<int>(qMin<qsizetype>(m_pane.list.selectedKeys().size(), 32767));

    auto* intro = new QLabel(
        QStringLiteral("The current selection will be renamed using the following scheme:"), this);
    intro->setWordWrap(true);

    auto* nameLabel = new QLabel(QStringLiteral("Series Name:"), this);
    parent_name = new QLineEdit(QStringLiteral("My Picture"), this);
    named(parent_name, QStringLiteral("parent_name"));
    nameLabel->setBuddy(parent_name);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(parent_name, 1);

    auto* sepFrame = new QGroupBox(QStringLiteral("Seperator"), this);
    auto* sepLayout = new QVBoxLayout(sepFrame);
    const char* sepCaptions[] = {"Space", "Hyphen", "Underscore", "Tilde"};
    for (int i = 0; i < 4; ++i) {
        seperator[i] = new QRadioButton(QLatin1String(sepCaptions[i]), sepFrame);
        named(seperator[i], QStringLiteral("seperator_%1").arg(i));
        sepLayout->addWidget(seperator[i]);
        connect(seperator[i], &QRadioButton::clicked, this, [this, i] {
            m_separator = mRenameSelection::separator_of(i);
            updatePreview();
        });
    }
    seperator[0]->setChecked(true);

    auto* excludeFrame = new QGroupBox(QStringLiteral("Exclude"), this);
    auto* excludeLayout = new QVBoxLayout(excludeFrame);
    skip_hidden = new QCheckBox(QStringLiteral("Hidden Files"), excludeFrame);
    named(skip_hidden, QStringLiteral("skip_hidden"));
    skip_folders = new QCheckBox(QStringLiteral("Folders"), excludeFrame);
    named(skip_folders, QStringLiteral("skip_folders"));
    excludeLayout->addWidget(skip_hidden);
    excludeLayout->addWidget(skip_folders);
    excludeLayout->addStretch(1);

    auto* previewFrame = new QGroupBox(QStringLiteral("Preview"), this);
    auto* previewLayout = new QVBoxLayout(previewFrame);
    for (int i = 0; i < 5; ++i) {
        Preview[i] = new QLabel(i == 4 ? QStringLiteral("...") : QString(), previewFrame);
        named(Preview[i], QStringLiteral("Preview_%1").arg(i));
        previewLayout->addWidget(Preview[i]);
    }

    auto* frames = new QHBoxLayout;
    frames->addWidget(sepFrame);
    frames->addWidget(excludeFrame);
    frames->addWidget(previewFrame, 1);

    auto* buttons = new QDialogButtonBox(this);
    rename_button = buttons->addButton(QStringLiteral("&Rename"), QDialogButtonBox::AcceptRole);
    named(rename_button, QStringLiteral("rename_button"));
    rename_button->setDefault(true);
    cancel_button = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    named(cancel_button, QStringLiteral("cancel_button"));
    connect(rename_button, &QPushButton::clicked, this, &fRenameSelection::rename_button_Click);
    connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(nameRow);
    layout->addLayout(frames);
    layout->addWidget(buttons);

    connect(parent_name, &QLineEdit::textChanged, this, &fRenameSelection::updatePreview);
    updatePreview();
    parent_name->selectAll();
}

void fRenameSelection::updatePreview()
{
    for (int i = 0; i < 4; ++i)
        Preview[i]->setText(
            mRenameSelection::preview_name(parent_name->text(), m_separator, i + 1));
}

void fRenameSelection::rename_button_Click()
{
    const mRenameSelection::Options options{parent_name->text(), m_separator,
                                            skip_hidden->isChecked(), skip_folders->isChecked()};
    fProgress progress(this);
    m_result = mRenameSelection::rename_selection(m_ctx, m_pane, options, m_count, &progress);
    if (!m_result.invalidName)
        accept();
}

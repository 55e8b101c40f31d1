#include "mainwindow/fProperties.h"

#include "mainwindow/UiIdleFilter.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// A slice of summing between two looks at the window's events.
constexpr std::chrono::milliseconds kSumSlice{25};

QLineEdit* readOnlyBox(const QString& name, const QString& text, QWidget* parent)
{
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setCursorPosition(0);
    return box;
}

} // namespace

fProperties::fProperties(const mainwindow::ItemProperties& p, mainwindow::IdleCount& idle,
                         QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fProperties"));
    setWindowTitle(p.caption);
    mainwindow::UiIdleFilter::install(this, idle);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(frame);

    m_objectName = readOnlyBox(QStringLiteral("object_name"), p.object_name, frame);
    m_path = readOnlyBox(QStringLiteral("path"), p.path, frame);
    m_path->setToolTip(p.path);
    m_size = new QLabel(p.size, frame);
    m_size->setObjectName(QStringLiteral("size"));
    m_size->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_sizeNote = new QLabel(frame);
    m_sizeNote->setObjectName(QStringLiteral("size_note"));
    m_sizeNote->setWordWrap(true);
    m_sizeNote->hide();
    // Editable so that the name can be selected and copied; nothing reads it.
    m_encryptedName = new QLineEdit(p.encrypted_name, frame);
    m_encryptedName->setObjectName(QStringLiteral("encrypted_name"));
    m_encryptedName->setCursorPosition(0);
    m_level = new QLabel(p.level, frame);
    m_level->setObjectName(QStringLiteral("level"));

    int row = 0;
    const auto addRow = [&](const QString& caption, QWidget* field) {
        grid->addWidget(new QLabel(caption, frame), row, 0, Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(field, row, 1);
        ++row;
    };
    addRow(QStringLiteral("Name:"), m_objectName);
    addRow(QStringLiteral("Location:"), m_path);
    addRow(QStringLiteral("Size:"), m_size);
    grid->addWidget(m_sizeNote, row++, 1);
    addRow(QStringLiteral("Encrypted Name:"), m_encryptedName);
    addRow(QStringLiteral("Encryption Level:"), m_level);
    grid->setColumnStretch(1, 1);

    auto* close_button = new QPushButton(QStringLiteral("Close"), this);
    close_button->setObjectName(QStringLiteral("close_button"));
    close_button->setDefault(true); // Escape closes a dialog as well
    connect(close_button, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close_button);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    resize(qMax(sizeHint().width(), 480), sizeHint().height());

    if (p.sumFolder) {
        m_walk = std::make_unique<mainwindow::FolderSizeWalk>(p.fullPath);
        m_sumTimer = new QTimer(this);
        m_sumTimer->setInterval(0);
        connect(m_sumTimer, &QTimer::timeout, this, &fProperties::sumStep);
    }
}

fProperties::~fProperties() = default;

void fProperties::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_walk && !m_sumTimer->isActive())
        m_sumTimer->start();
}

void fProperties::sumStep()
{
    if (!m_walk || !m_walk->step(kSumSlice))
        return;
    m_sumTimer->stop();
    m_size->setText(mainwindow::folder_size_text(*m_walk));
    if (const QString note = mainwindow::unreadable_note(m_walk->unreadable()); !note.isEmpty()) {
        m_sizeNote->setText(note);
        m_sizeNote->setToolTip(m_walk->unreadable().join(QLatin1Char('\n')));
        m_sizeNote->show();
    }
    m_walk.reset();
}

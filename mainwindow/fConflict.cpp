#include "mainwindow/fConflict.h"

#include "engine/mEncrypt.h"
#include "platform/FileSystem.h"
#include "platform/FileTypes.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using mainwindow::ConflictAnswer;
using mainwindow::ConflictChoice;

namespace {

constexpr int kPictureSide = 64;
// Larger pictures are not opened for a thumbnail: the question must come at once.
constexpr qint64 kThumbnailMaxBytes = qint64(40) << 20;

// The name the user knows the item by.
QString shownName(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return mEncrypt::is_hidden_name(name) ? mEncrypt::plain_name(name) + u" (hidden)"_s : name;
}

} // namespace

QPixmap fConflict::itemPicture(const QString& path, int side)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const bool hidden = mEncrypt::is_hidden_name(name);
    if (info.isDir() && !info.isSymLink())
        return QIcon::fromTheme(u"folder"_s).pixmap(side, side);
    const platform::FileType& type =
        platform::fileTypeForName(hidden ? mEncrypt::plain_name(name) : name);
    if (!hidden && !info.isSymLink() && type.mimeName.startsWith(u"image/"_s) &&
        info.size() <= kThumbnailMaxBytes) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QSize size = reader.size();
        if (size.isValid() && !size.isEmpty())
            reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio));
        const QImage image = reader.read();
        if (!image.isNull())
            return QPixmap::fromImage(
                image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    return platform::fileTypeIcon(type).pixmap(side, side);
}

QWidget* fConflict::itemBox(const QString& heading, const QString& path, const QString& other)
{
    const QLocale locale;
    const QFileInfo info(path), otherInfo(other);
    auto* box = new QWidget(this);
    auto* picture = new QLabel(box);
    picture->setObjectName(u"picture"_s);
    picture->setFixedSize(kPictureSide + 8, kPictureSide + 8);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(itemPicture(path, kPictureSide));

    QString size;
    if (info.isDir() && !info.isSymLink())
        size = u"Folder"_s;
    else if (info.isSymLink())
        size = u"Link"_s;
    else if (info.size() == 1)
        size = u"1 byte"_s;
    else
        size = locale.formattedDataSize(info.size(), 1, QLocale::DataSizeTraditionalFormat);
    QString modified = locale.toString(info.lastModified(), QLocale::ShortFormat);
    // Within two seconds the times are the same to the user (and to FAT disks).
    if (otherInfo.exists() && otherInfo.lastModified().msecsTo(info.lastModified()) >= 2000)
        modified += u" (newer)"_s;

    auto* text = new QLabel(box);
    text->setObjectName(u"details"_s);
    text->setTextFormat(Qt::RichText);
    text->setText(u"%1<br><b>%2</b><br>%3<br>Modified %4"_s.arg(
        heading.toHtmlEscaped(), shownName(path).toHtmlEscaped(), size.toHtmlEscaped(),
        modified.toHtmlEscaped()));
    text->setTextInteractionFlags(Qt::NoTextInteraction);

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(picture);
    row->addWidget(text, 1);
    return box;
}

fConflict::fConflict(const QString& existing, const QString& incoming, bool keepBothAllowed,
                     QWidget* owner)
    : QDialog(owner)
{
    setObjectName(u"fConflict"_s);
    setWindowTitle(u"Confirm Replace"_s);
    setWindowModality(Qt::ApplicationModal);

    auto* question = new QLabel(this);
    question->setObjectName(u"question_label"_s);
    question->setTextFormat(Qt::PlainText);
    question->setWordWrap(true);
    question->setText(
        u"This folder already contains an item named \"%1\"."_s.arg(shownName(existing)));

    replace_button = new QPushButton(u"&Replace"_s, this);
    replace_button->setObjectName(u"replace_button"_s);
    skip_button = new QPushButton(u"&Skip"_s, this);
    skip_button->setObjectName(u"skip_button"_s);
    keepboth_button = new QPushButton(u"&Keep both"_s, this);
    keepboth_button->setObjectName(u"keepboth_button"_s);
    keepboth_button->setToolTip(u"The new item gets a free name, such as \"name (2)\"."_s);
    keepboth_button->setVisible(keepBothAllowed);
    cancel_button = new QPushButton(u"Cancel"_s, this);
    cancel_button->setObjectName(u"cancel_button"_s);
    // Enter means Skip, whichever button has the focus: only a deliberate
    // click or Alt+R replaces.
    for (QPushButton* b : {replace_button, keepboth_button, cancel_button})
        b->setAutoDefault(false);
    skip_button->setAutoDefault(true);
    skip_button->setDefault(true);

    remaining_check = new QCheckBox(u"&Do this for the remaining conflicts"_s, this);
    remaining_check->setObjectName(u"remaining_check"_s);

    connect(replace_button, &QPushButton::clicked, this,
            [this] { choose(ConflictChoice::Replace); });
    connect(skip_button, &QPushButton::clicked, this, [this] { choose(ConflictChoice::Skip); });
    connect(keepboth_button, &QPushButton::clicked, this,
            [this] { choose(ConflictChoice::KeepBoth); });
    connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(replace_button);
    buttons->addWidget(skip_button);
    buttons->addWidget(keepboth_button);
    buttons->addWidget(cancel_button);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addSpacing(6);
    layout->addWidget(itemBox(u"The item in the folder:"_s, existing, incoming));
    layout->addWidget(itemBox(u"The item coming in:"_s, incoming, existing));
    layout->addSpacing(6);
    layout->addWidget(remaining_check);
    layout->addLayout(buttons);
    setMinimumWidth(420);
    skip_button->setFocus();
}

void fConflict::choose(ConflictChoice choice)
{
    m_answer = ConflictAnswer{choice, remaining_check->isChecked()};
    accept();
}

ConflictAnswer UiConflictQuestion::ask(const QString& existing, const QString& incoming,
                                       bool keepBothAllowed)
{
    // The operation's hourglass gives way to the arrow while the user decides.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    QPointer<fConflict> dialog = new fConflict(existing, incoming, keepBothAllowed, m_owner);
    dialog->exec();
    QGuiApplication::restoreOverrideCursor();
    if (!dialog)
        return ConflictAnswer{}; // its owner went away meanwhile: nothing more is done
    const ConflictAnswer answer = dialog->answer();
    delete dialog;
    return answer;
}

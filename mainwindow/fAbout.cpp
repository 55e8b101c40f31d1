#include "mainwindow/fAbout.h"

#include "mainwindow/AppState.h"
#include "mainwindow/Version.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSysInfo>
#include <QVBoxLayout>

namespace {

const char* const kLegalNotice =
    "Copyright \u00a9 the Cloakwell developers.\n\n"
    "Cloakwell hides pictures and videos by renaming them and scrambling a few bytes of their "
    "content. This keeps them out of sight; it is not encryption, and any copy of Cloakwell can "
    "show them again.\n\n"
    "Cloakwell is free software under the GNU General Public License, version 3 or later (see "
    "the LICENSE file). "
    "This program is provided \"as is\", without warranty of any kind. Keep copies of anything "
    "you cannot afford to lose.";

QLabel* label(QWidget* parent, const char* name, const QString& text, int pointSizeDelta = 0,
              bool bold = false)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() + pointSizeDelta);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

} // namespace

fAbout::fAbout(mainwindow::AppState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_state(state)
{
    setObjectName(QStringLiteral("fAbout"));
    setWindowTitle(QStringLiteral("About ") + mainwindow::productName());
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral(
        "fAbout { background: black; border: 1px solid #505050; }"
        "QLabel { color: #e8e8e8; background: transparent; }"
        "QLabel#URL { color: #7fb2ff; text-decoration: underline; }"
        "QPlainTextEdit { color: #b8b8b8; background: black; border: 1px solid #404040; }"));

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(QPixmap(QStringLiteral(":/icons/cloakwell-128.png")));
    Picture1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    about = label(this, "about", QStringLiteral("About ") + mainwindow::productName(), 6, true);
    version = label(this, "version",
                    mainwindow::productName() + QLatin1Char(' ') + mainwindow::versionText(), 1);
    Label2 = label(this, "Label2", QStringLiteral("For Linux %1-bit").arg(QSysInfo::WordSize));
    Label3 = label(this, "Label3", QStringLiteral("Website:"));
    URL = label(this, "URL", mainwindow::webSiteAddress().toLower());
    URL->setCursor(Qt::PointingHandCursor);

    Text1 = new QPlainTextEdit(QString::fromUtf8(kLegalNotice), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setFocusPolicy(Qt::NoFocus);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Text1->setFixedHeight(150);

    auto* site = new QHBoxLayout;
    site->setSpacing(8);
    site->addWidget(Label3);
    site->addWidget(URL);
    site->addStretch(1);

    auto* texts = new QVBoxLayout;
    texts->addWidget(about);
    texts->addWidget(version);
    texts->addWidget(Label2);
    texts->addSpacing(12);
    texts->addLayout(site);
    texts->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(20, 20, 20, 20);
    grid->setHorizontalSpacing(20);
    grid->addWidget(Picture1, 0, 0);
    grid->addLayout(texts, 0, 1);
    grid->addWidget(Text1, 1, 0, 1, 2);
    setFixedSize(sizeHint().expandedTo(QSize(520, 0)));

    for (QWidget* w : {static_cast<QWidget*>(Picture1), static_cast<QWidget*>(about),
                       static_cast<QWidget*>(version), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(Label3), static_cast<QWidget*>(URL)})
        w->installEventFilter(this);
    connect(Text1, &QPlainTextEdit::textChanged, this, &fAbout::closeIfSplashDone);

    Timer1.setSingleShot(true);
    Timer1.setInterval(kSplashMs);
    connect(&Timer1, &QTimer::timeout, this, &fAbout::Timer1_Timer);
    if (!m_state.splash_done)
        Timer1.start();
}

void fAbout::Timer1_Timer()
{
    Timer1.stop();
    m_state.splash_done = true;
    close();
}

void fAbout::closeIfSplashDone()
{
    if (m_state.splash_done)
        close();
}

void fAbout::reject()
{
    if (m_state.splash_done)
        QDialog::reject();
}

void fAbout::URL_Click()
{
    mainwindow::open_web_address(m_state.opener(), m_state.prompt(), URL->text());
}

void fAbout::mousePressEvent(QMouseEvent* event)
{
    closeIfSplashDone();
    QDialog::mousePressEvent(event);
}

bool fAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == URL)
            URL_Click();
        else
            closeIfSplashDone();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

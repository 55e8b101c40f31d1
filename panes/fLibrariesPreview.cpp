// The preview pane of the Libraries window: the picture chosen in the
// listing, fitted to the pane, zoomed by a click and panned by a drag.
#include "browse/WinColor.h"
#include "mainwindow/AppState.h"
#include "mainwindow/WindowHost.h"
#include "panes/UiPaneView.h"
#include "panes/fLibraries.h"
#include "pictures/PictureNames.h"
#include "pictures/UiPictureView.h"
#include "settings/mRegistry.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace {

constexpr int kPreviewPanCursorMs = 160;

} // namespace

void fLibraries::buildPreview()
{
    m_previewView = new pictures::UiPictureView(
        {pictures::kPreviewLayout, kPreviewPanCursorMs, true}, m_host.state().prompt(), this);
    m_preview = m_previewView;
    m_previewView->setObjectName(QStringLiteral("preview_box"));
    // Until a picture shows, a quiet word says what the pane is for, so that
    // it does not look like a window that failed to draw.
    m_previewHint = new QLabel(QStringLiteral("Select a picture to preview it"), m_preview);
    m_previewHint->setObjectName(QStringLiteral("preview_hint"));
    m_previewHint->setAlignment(Qt::AlignCenter);
    m_previewHint->setWordWrap(true);
    m_previewHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* previewLayout = new QVBoxLayout(m_preview);
    previewLayout->addWidget(m_previewHint);
    connect(m_previewView, &pictures::UiPictureView::loadFinished, this,
            &fLibraries::previewLoaded);
    connect(m_previewView, &pictures::UiPictureView::emptyAreaMenuRequested, this,
            &fLibraries::showPreviewMenu);

    m_previewMenu = new QMenu(QStringLiteral("Preview Context Menu"), this);
    m_previewMenu->setObjectName(QStringLiteral("PreviewContextMenu"));
    m_previewClear = m_previewMenu->addAction(QStringLiteral("&Clear"));
    m_previewClear->setObjectName(QStringLiteral("preview_context_menu_clear"));
    m_previewResize = m_previewMenu->addAction(QStringLiteral("&Resize"));
    m_previewResize->setObjectName(QStringLiteral("preview_context_menu_resize"));
    m_previewEnable = m_previewMenu->addAction(QStringLiteral("&Enable"));
    m_previewEnable->setObjectName(QStringLiteral("preview_context_menu_enable"));
    m_previewEnable->setCheckable(true);
    connect(m_previewClear, &QAction::triggered, this,
            &fLibraries::preview_context_menu_clear_Click);
    connect(m_previewResize, &QAction::triggered, this,
            &fLibraries::preview_context_menu_resize_Click);
    connect(m_previewEnable, &QAction::triggered, this,
            &fLibraries::preview_context_menu_enable_Click);
}

void fLibraries::applyPreviewPreferences()
{
    const mainwindow::AppState& state = m_host.state();
    const QColor back = browse::toQColor(state.prefs.color_3);
    m_previewView->setBackground(back);
    // A grey some way off the background: readable on any colour, but not
    // calling out.
    const int grey = back.lightness() < 128 ? back.lightness() + 110 : back.lightness() - 110;
    QPalette hint = m_previewHint->palette();
    hint.setColor(QPalette::WindowText, QColor(grey, grey, grey));
    m_previewHint->setPalette(hint);
    if (!state.prefs.auto_show_preview && m_previewView->hasPicture()) {
        m_previewView->clear();
        m_previewHint->show();
    }
}

const browse::ListItem* fLibraries::selectedItem() const
{
    const browse::FolderListModel& list = m_pane.list;
    const QItemSelectionModel* selection = list.selectionModel();
    const QModelIndex current = m_list->currentIndex();
    int row = -1;
    if (current.isValid() && selection->isRowSelected(current.row()))
        row = current.row();
    else if (const QModelIndexList rows = selection->selectedRows(); !rows.isEmpty())
        row = rows.front().row();
    if (row < 0 || row >= list.count())
        return nullptr;
    return &list.item(row);
}

void fLibraries::itemTimerTick()
{
    UiBrowserWindow::itemTimerTick();
    if (!m_host.state().prefs.auto_show_preview)
        return;
    if (const browse::ListItem* item = selectedItem(); item && item->key != preview_key)
        show_preview_sub();
}

void fLibraries::show_preview_sub()
{
    const browse::ListItem* item = selectedItem();
    // Anything but a picture leaves the pane as it was.
    if (!item || item->isFolder || !pictures::is_picture_name(item->text))
        return;
    m_previewView->load(item->key, pictures::UiPictureView::DecodeSize::ToBox);
}

void fLibraries::previewLoaded(bool ok)
{
    if (ok)
        m_previewHint->hide();
}

void fLibraries::resize_preview_image()
{
    m_previewView->fit();
}

void fLibraries::showPreviewCommand()
{
    const browse::ListItem* item = selectedItem();
    if (!item)
        return;
    preview_key = item->key;
    show_preview_sub();
}

void fLibraries::showPreviewMenu(const QPoint& globalPos)
{
    const bool has = m_previewView->hasPicture();
    m_previewClear->setEnabled(has);
    m_previewResize->setEnabled(has);
    m_previewEnable->setChecked(m_host.state().prefs.auto_show_preview);
    m_previewMenu->popup(globalPos);
}

void fLibraries::preview_context_menu_clear_Click()
{
    preview_key.clear();
    m_previewView->clear();
    m_previewHint->show();
}

void fLibraries::preview_context_menu_resize_Click()
{
    resize_preview_image();
}

void fLibraries::preview_context_menu_enable_Click()
{
    mainwindow::AppState& state = m_host.state();
    const bool on = !state.prefs.auto_show_preview;
    state.prefs.auto_show_preview = on;
    m_previewEnable->setChecked(on);
    if (!state.store().save_setting(QString::fromLatin1(settings::kSectionViewing),
                                    QStringLiteral("auto_show_preview"),
                                    on ? QStringLiteral("1") : QStringLiteral("0")))
        state.prompt().message(QStringLiteral("The setting could not be saved."));
    if (!on)
        preview_context_menu_clear_Click();
}

#pragma once

#include <QDialog>

// The list of keyboard shortcuts, in four groups. It only shows the keys; the
// menus and the windows handle them.
class fHotKeys : public QDialog
{
    Q_OBJECT
public:
    explicit fHotKeys(QWidget* parent = nullptr);
};

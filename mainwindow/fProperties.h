#pragma once

#include "mainwindow/ItemProperties.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QTimer;

namespace mainwindow {
class IdleCount;
}

// Describes one file or folder: its shown name, the folder it lies in, its
// size and, for a hidden item of the Libraries window, its name on disk and
// its level. Filled once; it does not follow later changes. A folder's size
// is summed after the window shows, a slice at a time, so the window can be
// moved or closed meanwhile. Several can be open side by side.
class fProperties : public QDialog
{
    Q_OBJECT
public:
    fProperties(const mainwindow::ItemProperties& properties, mainwindow::IdleCount& idle,
                QWidget* parent = nullptr);
    ~fProperties() override;

    // True once the size is known (at once for a file).
    bool sizeDone() const { return !m_walk; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void sumStep();

    QLineEdit* m_objectName = nullptr;
    QLineEdit* m_path = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_sizeNote = nullptr;
    QLineEdit* m_encryptedName = nullptr;
    QLabel* m_level = nullptr;
    QTimer* m_sumTimer = nullptr;
    std::unique_ptr<mainwindow::FolderSizeWalk> m_walk;
};

#pragma once

#include "settings/Preferences.h"

#include <QDialog>

#include <array>

class QFrame;
class QSlider;

namespace mainwindow {
class IdleCount;
}

// Edits one colour with three sliders (red, green, blue) and a swatch that
// follows them. "&Select" accepts the colour; Escape leaves it as it was.
class fRGBPicker : public QDialog
{
    Q_OBJECT
public:
    fRGBPicker(settings::WinColor start, mainwindow::IdleCount& idle, QWidget* parent = nullptr);

    // The colour the sliders show, as a Windows colour value (0x00BBGGRR).
    settings::WinColor color() const;

private:
    void Slider1_Change();

    std::array<QSlider*, 3> m_sliders{};
    QFrame* m_picture = nullptr;
};

// A swatch's look: its colour filling it, a thin frame around.
QString swatchStyle(settings::WinColor color);

#include "settings/fRGBPicker.h"

#include "browse/WinColor.h"
#include "mainwindow/UiIdleFilter.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

QString swatchStyle(settings::WinColor color)
{
    return QStringLiteral("background-color: %1; border: 1px solid palette(mid);")
        .arg(browse::toQColor(color).name());
}

fRGBPicker::fRGBPicker(settings::WinColor start, mainwindow::IdleCount& idle, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fRGBPicker"));
    setWindowTitle(QStringLiteral("RGB Color Picker"));
    mainwindow::UiIdleFilter::install(this, idle);

    // A system colour is edited as the colour it shows now.
    const QColor shown = browse::toQColor(start);
    const std::array<int, 3> parts{shown.red(), shown.green(), shown.blue()};
    const std::array<const char*, 3> captions{"&Red", "&Green", "&Blue"};

    auto* grid = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QStringLiteral("Slider1_%1").arg(i));
        slider->setRange(0, 255);
        slider->setSingleStep(1);
        slider->setPageStep(25);
        slider->setValue(parts[static_cast<size_t>(i)]);
        slider->setMinimumWidth(220);
        auto* label = new QLabel(QString::fromLatin1(captions[static_cast<size_t>(i)]), this);
        label->setBuddy(slider);
        auto* value = new QLabel(QString::number(slider->value()), this);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("255")));
        connect(slider, &QSlider::valueChanged, value, [value](int v) { value->setNum(v); });
        connect(slider, &QSlider::valueChanged, this, &fRGBPicker::Slider1_Change);
        grid->addWidget(label, i, 0);
        grid->addWidget(slider, i, 1);
        grid->addWidget(value, i, 2);
        m_sliders[static_cast<size_t>(i)] = slider;
    }

    m_picture = new QFrame(this);
    m_picture->setObjectName(QStringLiteral("Picture1"));
    m_picture->setFixedSize(72, 72);
    Slider1_Change();

    auto* select = new QPushButton(QStringLiteral("&Select"), this);
    select->setObjectName(QStringLiteral("Command1"));
    select->setDefault(true);
    connect(select, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addLayout(grid, 1);
    top->addSpacing(12);
    top->addWidget(m_picture, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(select);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

settings::WinColor fRGBPicker::color() const
{
    return static_cast<settings::WinColor>(m_sliders[0]->value()) |
           (static_cast<settings::WinColor>(m_sliders[1]->value()) << 8) |
           (static_cast<settings::WinColor>(m_sliders[2]->value()) << 16);
}

void fRGBPicker::Slider1_Change()
{
    m_picture->setStyleSheet(swatchStyle(color()));
}

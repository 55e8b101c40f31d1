#include "browse/WinColor.h"

#include <QGuiApplication>
#include <QPalette>

namespace browse {

namespace {

QPalette::ColorRole roleOfSystemColour(unsigned index)
{
    switch (index) {
    case 1:  // desktop
    case 4:  // menu
    case 30: // menu bar
        return QPalette::Window;
    case 5: // window background
        return QPalette::Base;
    case 2:  // active caption
    case 13: // highlight
    case 27: // caption gradients
    case 28:
    case 29: // menu highlight
        return QPalette::Highlight;
    case 9:  // caption text
    case 14: // highlight text
        return QPalette::HighlightedText;
    case 7:  // menu text
    case 19: // inactive caption text
        return QPalette::WindowText;
    case 0:  // scroll bar
    case 15: // button face
        return QPalette::Button;
    case 3:  // inactive caption
    case 10: // active border
        return QPalette::Mid;
    case 11: // inactive border
    case 22: // 3D light
        return QPalette::Midlight;
    case 12: // application workspace
    case 16: // button shadow
        return QPalette::Dark;
    case 6:  // window frame
    case 21: // 3D dark shadow
        return QPalette::Shadow;
    case 17: // grey text
        return QPalette::PlaceholderText;
    case 18: // button text
        return QPalette::ButtonText;
    case 20: // button highlight
        return QPalette::Light;
    case 23: // tooltip text
        return QPalette::ToolTipText;
    case 24: // tooltip background
        return QPalette::ToolTipBase;
    case 26: // hot-tracked item
        return QPalette::Link;
    default: // 8, window text, and anything unknown
        return QPalette::Text;
    }
}

} // namespace

QColor toQColor(settings::WinColor value)
{
    if (value & 0x80000000u) {
        const QPalette palette = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                     ? QGuiApplication::palette()
                                     : QPalette();
        return palette.color(roleOfSystemColour(value & 0x7FFFFFFFu));
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace browse

#include "DarkPalette.h"

#include <QGuiApplication>

namespace zurbo {

QPalette DarkPalette::palette()
{
    const QColor ink(15, 15, 15), surface(35, 35, 35), charcoal(46, 46, 46), raised(64, 64, 64);
    const QColor cream(242, 242, 242), dimmed(128, 128, 128), acid(199, 255, 46);
    QPalette palette(charcoal, surface);
    palette.setColor(QPalette::Base, ink);
    palette.setColor(QPalette::AlternateBase, surface);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText}) {
        palette.setColor(role, cream);
        palette.setColor(QPalette::Disabled, role, dimmed);
    }
    palette.setColor(QPalette::ToolTipBase, charcoal);
    palette.setColor(QPalette::Light, raised);
    palette.setColor(QPalette::Midlight, raised.darker(120));
    palette.setColor(QPalette::Mid, charcoal.lighter(130));
    palette.setColor(QPalette::Dark, ink);
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, acid);
    palette.setColor(QPalette::HighlightedText, ink);
    palette.setColor(QPalette::Link, acid);
    palette.setColor(QPalette::PlaceholderText, dimmed);
    return palette;
}

void DarkPalette::applyToApplication()
{
    QGuiApplication::setPalette(palette());
}

} // namespace zurbo

#include "manager/app/VisualStyles.h"

#include "model/console/CommandIds.h"

#include <QApplication>
#include <QGuiApplication>
#include <QStyle>
#include <QStyleFactory>

namespace {

// The colours that make a light look: the frame (window), the panes (base), alternate
// rows, the selection and the text.
struct LightColours {
    QColor window, base, alternate, button, highlight, text;
};

QPalette Light(const LightColours& c) {
    QPalette p;
    p.setColor(QPalette::Window, c.window);
    p.setColor(QPalette::WindowText, c.text);
    p.setColor(QPalette::Base, c.base);
    p.setColor(QPalette::AlternateBase, c.alternate);
    p.setColor(QPalette::ToolTipBase, QColor(0xff, 0xfd, 0xe8));
    p.setColor(QPalette::ToolTipText, c.text);
    p.setColor(QPalette::PlaceholderText, c.text.lighter(220));
    p.setColor(QPalette::Text, c.text);
    p.setColor(QPalette::Button, c.button);
    p.setColor(QPalette::ButtonText, c.text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, c.highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, c.highlight.darker(120));
    p.setColor(QPalette::Light, c.window.lighter(115));
    p.setColor(QPalette::Midlight, c.window.lighter(106));
    p.setColor(QPalette::Mid, c.window.darker(125));
    p.setColor(QPalette::Dark, c.window.darker(150));
    p.setColor(QPalette::Shadow, c.window.darker(260));
    const QColor disabled = c.text.lighter(300);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    p.setColor(QPalette::Disabled, QPalette::Highlight, c.window.darker(130));
    return p;
}

QPalette Dark() {
    QPalette p;
    const QColor window(0x2b, 0x2d, 0x31), base(0x1f, 0x21, 0x24), text(0xe3, 0xe5, 0xe8);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(0x26, 0x28, 0x2c));
    p.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3d, 0x42));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x8a, 0x8f, 0x96));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x35, 0x38, 0x3d));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(0xff, 0x6b, 0x6b));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x6f, 0xb0));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x7a, 0xb0, 0xf0));
    p.setColor(QPalette::Light, QColor(0x45, 0x48, 0x4e));
    p.setColor(QPalette::Midlight, QColor(0x3a, 0x3d, 0x42));
    p.setColor(QPalette::Mid, QColor(0x24, 0x26, 0x29));
    p.setColor(QPalette::Dark, QColor(0x1a, 0x1b, 0x1e));
    p.setColor(QPalette::Shadow, QColor(0x0c, 0x0c, 0x0d));
    const QColor disabled(0x76, 0x7a, 0x80);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x44, 0x47, 0x4c));
    return p;
}

// The palette the desktop gave the application before any look was applied.
QPalette DesktopPalette() {
    static const QPalette desktop = QGuiApplication::palette();
    return desktop;
}

} // namespace

int NormaliseLook(int value) { return value >= 1 && value <= 9 ? value : kDefaultLook; }

int LookForCommand(int commandId) {
    // Commands 30 to 33 are looks 1 to 4; 34 to 37 are looks 6 to 9 (look 5 has no command).
    if (commandId >= cmd::kLookFirst && commandId <= cmd::kLookFirst + 3)
        return commandId - cmd::kLookFirst + 1;
    if (commandId >= cmd::kLookFirst + 4 && commandId <= cmd::kLookLast)
        return commandId - cmd::kLookFirst + 2;
    return 0;
}

int CommandForLook(int look) {
    look = NormaliseLook(look);
    if (look <= 4)
        return cmd::kLookFirst + look - 1;
    if (look == 5)
        return 0;
    return cmd::kLookFirst + look - 2;
}

QPalette LookPalette(int look) {
    const QColor ink(0x1d, 0x23, 0x2b);
    switch (NormaliseLook(look)) {
    case 1:
        return Light({QColor(0xe4, 0xe4, 0xe4), Qt::white, QColor(0xf4, 0xf4, 0xf4), QColor(0xe4, 0xe4, 0xe4),
                      QColor(0x0a, 0x52, 0x9e), Qt::black});
    case 3:
        return DesktopPalette();
    case 4:
        return Light({QColor(0xe6, 0xec, 0xf4), Qt::white, QColor(0xf3, 0xf6, 0xfb), QColor(0xea, 0xef, 0xf6),
                      QColor(0x2f, 0x6c, 0xb5), ink});
    case 5:
        return Light({QColor(0xee, 0xea, 0xe1), QColor(0xfd, 0xfc, 0xf9), QColor(0xf6, 0xf3, 0xec),
                      QColor(0xf0, 0xec, 0xe3), QColor(0x6b, 0x7f, 0x3a), QColor(0x2b, 0x27, 0x20)});
    case 6:
        return Light({QColor(0xd9, 0xe5, 0xf3), Qt::white, QColor(0xf0, 0xf5, 0xfc), QColor(0xe2, 0xeb, 0xf7),
                      QColor(0x1f, 0x5f, 0xb8), QColor(0x15, 0x24, 0x3a)});
    case 7:
        return Dark();
    case 8:
        return Light({QColor(0xe3, 0xe5, 0xe9), QColor(0xfb, 0xfb, 0xfc), QColor(0xf1, 0xf2, 0xf4),
                      QColor(0xe9, 0xeb, 0xee), QColor(0x4d, 0x60, 0x78), ink});
    case 9:
        return Light({QColor(0xdc, 0xee, 0xee), Qt::white, QColor(0xee, 0xf8, 0xf8), QColor(0xe3, 0xf2, 0xf2),
                      QColor(0x0d, 0x80, 0x8a), QColor(0x12, 0x2b, 0x2e)});
    default:
        break;
    }
    // 2: the default light look.
    return Light({QColor(0xef, 0xf0, 0xf2), Qt::white, QColor(0xf6, 0xf7, 0xf9), QColor(0xf2, 0xf3, 0xf5),
                  QColor(0x2d, 0x6b, 0xc9), ink});
}

void ApplyLook(int look) {
    DesktopPalette(); // remember it before the first change
    if (QApplication::style() == nullptr || QApplication::style()->name().compare("fusion", Qt::CaseInsensitive))
        QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setPalette(LookPalette(look));
}

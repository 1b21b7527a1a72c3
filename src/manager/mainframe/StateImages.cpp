#include "manager/mainframe/StateImages.h"

#include <QPixmap>
#include <QString>

namespace {

QString ResourcePath(int index) { return QString(":/states/state%1.svg").arg(index, 2, 10, QChar('0')); }

} // namespace

CStateImages::CStateImages() {
    for (int i = 0; i < kCount; ++i)
        m_icons[static_cast<std::size_t>(i)] = QIcon(ResourcePath(i));
}

QIcon CStateImages::Icon(int index) const {
    if (index < 0 || index >= kCount)
        return {};
    return m_icons[static_cast<std::size_t>(index)];
}

QIcon CStateImages::Pair(int normal, int selected) const {
    QIcon icon;
    for (const int size : {16, 32}) {
        icon.addPixmap(Icon(normal).pixmap(size, size), QIcon::Normal);
        icon.addPixmap(Icon(selected).pixmap(size, size), QIcon::Selected);
    }
    return icon;
}

bool CStateImages::Complete() const {
    for (const QIcon& icon : m_icons)
        if (icon.isNull() || icon.pixmap(16, 16).isNull())
            return false;
    return true;
}

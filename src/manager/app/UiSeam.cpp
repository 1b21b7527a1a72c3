#include "manager/app/UiSeam.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>

namespace {

constexpr const char* kTitle = "Quorvane Sentrelle Manager";

QMessageBox::Icon ToQt(CUiSeam::Icon icon) {
    switch (icon) {
    case CUiSeam::Icon::Information:
        return QMessageBox::Information;
    case CUiSeam::Icon::Warning:
        return QMessageBox::Warning;
    case CUiSeam::Icon::Error:
        return QMessageBox::Critical;
    case CUiSeam::Icon::Question:
        return QMessageBox::Question;
    case CUiSeam::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The message texts use Windows line breaks; a box shows one break for "\r\n".
QString BoxText(const CQvcString& text) {
    CQvcString copy = text;
    copy.Replace("\r\n", "\n");
    return QString::fromUtf8(copy.c_str());
}

} // namespace

int CUiSeam::DefaultAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return kOk;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
        return kCancel;
    case Buttons::YesNo:
        return kNo;
    }
    return kCancel;
}

int CUiSeam::Message(const CQvcString& text, Icon icon, Buttons buttons) {
    Shown shown{Shown::Kind::Message, text.Str(), icon, buttons, 0};
    if (m_scripted) {
        if (m_answers.empty()) {
            ++m_unscripted;
            shown.answer = DefaultAnswer(buttons);
        } else {
            shown.answer = m_answers.front();
            m_answers.pop_front();
        }
        m_history.push_back(shown);
        return shown.answer;
    }

    QMessageBox box(ToQt(icon), QString::fromUtf8(kTitle), BoxText(text), QMessageBox::NoButton, m_parent);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    const int result = box.exec();
    switch (result) {
    case QMessageBox::Ok:
        shown.answer = kOk;
        break;
    case QMessageBox::Yes:
        shown.answer = kYes;
        break;
    case QMessageBox::No:
        shown.answer = kNo;
        break;
    default:
        // Closing the box counts as its safe answer.
        shown.answer = buttons == Buttons::YesNo ? kNo : (buttons == Buttons::Ok ? kOk : kCancel);
        break;
    }
    m_history.push_back(shown);
    return shown.answer;
}

int CUiSeam::ExecDialog(QDialog& dialog) {
    Shown shown{Shown::Kind::Dialog, dialog.windowTitle().toStdString(), Icon::None, Buttons::OkCancel, 0};
    if (m_scripted) {
        if (m_dialogs.empty()) {
            ++m_unscripted;
            shown.answer = kRejected;
        } else {
            DialogScript script = std::move(m_dialogs.front());
            m_dialogs.pop_front();
            shown.answer = script(dialog) == QDialog::Accepted ? kAccepted : kRejected;
        }
    } else {
        shown.answer = dialog.exec() == QDialog::Accepted ? kAccepted : kRejected;
    }
    m_history.push_back(shown);
    return shown.answer;
}

void CUiSeam::Flatten(QMenu& menu, std::vector<MenuItem>& out) {
    for (QAction* action : menu.actions()) {
        MenuItem item;
        item.id = action->data().toInt();
        item.text = action->text().toStdString();
        item.enabled = action->isEnabled();
        item.checkable = action->isCheckable();
        item.checked = action->isChecked();
        out.push_back(item);
        if (QMenu* sub = action->menu())
            Flatten(*sub, out);
    }
}

QAction* CUiSeam::PopupMenu(QMenu& menu, const QPoint& globalPos) {
    m_lastMenu.clear();
    Flatten(menu, m_lastMenu);
    Shown shown{Shown::Kind::Menu, menu.title().toStdString(), Icon::None, Buttons::Ok, 0};
    QAction* chosen = nullptr;
    if (m_scripted) {
        if (!m_menuChoices.empty()) {
            const int id = m_menuChoices.front();
            m_menuChoices.pop_front();
            std::function<QAction*(QMenu&)> find = [&](QMenu& m) -> QAction* {
                for (QAction* action : m.actions()) {
                    if (action->menu() != nullptr) {
                        if (QAction* inner = find(*action->menu()))
                            return inner;
                    } else if (!action->isSeparator() && action->data().toInt() == id && action->isEnabled()) {
                        return action;
                    }
                }
                return nullptr;
            };
            chosen = find(menu);
        }
    } else {
        chosen = menu.exec(globalPos);
    }
    shown.answer = chosen != nullptr ? chosen->data().toInt() : 0;
    m_history.push_back(shown);
    return chosen;
}

const CUiSeam::MenuItem* CUiSeam::LastMenuItem(int id) const {
    for (const MenuItem& item : m_lastMenu)
        if (item.id == id)
            return &item;
    return nullptr;
}

void CUiSeam::Clear() {
    m_history.clear();
    m_lastMenu.clear();
    m_unscripted = 0;
}

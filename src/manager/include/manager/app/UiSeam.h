#pragma once
// CUiSeam: the one door through which the Manager shows message boxes, modal dialogs and
// popup menus.  In normal use it shows them.  Scripted, it never enters a modal loop: it
// records what would have been shown (text, icon, buttons, menu items with their enabled
// and checked states) and answers from a queue that a test, or a headless run, fills in
// advance.  An answer that nobody scripted is the harmless one (No, Cancel, OK, no menu
// choice, dialog rejected) and is counted, so that a test notices a question it did not
// expect.
#include "library/QvcString.h"

#include <QPoint>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QDialog;
class QMenu;
class QWidget;

class CUiSeam {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    // The answers, numbered as the platform's message boxes number them.
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;
    static constexpr int kYes = 6;
    static constexpr int kNo = 7;
    // Dialog results.
    static constexpr int kRejected = 0;
    static constexpr int kAccepted = 1;

    // One entry of a popup menu as it was offered (submenus are flattened, depth first).
    struct MenuItem {
        int id = 0; // the command identifier, 0 for a separator or a submenu title
        std::string text;
        bool enabled = false;
        bool checkable = false;
        bool checked = false;
    };
    // What was shown: a message box, a dialog (its window title) or a popup menu.
    struct Shown {
        enum class Kind { Message, Dialog, Menu } kind = Kind::Message;
        std::string text;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        int answer = 0;
    };
    using DialogScript = std::function<int(QDialog&)>;

    CUiSeam() = default;
    CUiSeam(const CUiSeam&) = delete;
    CUiSeam& operator=(const CUiSeam&) = delete;

    // The window that owns message boxes and dialogs (the main frame once it exists).
    void SetParentWidget(QWidget* parent) { m_parent = parent; }

    // A message box with the application's title; returns kOk, kCancel, kYes or kNo.
    int Message(const CQvcString& text, Icon icon, Buttons buttons = Buttons::Ok);
    // Runs a modal dialog; returns kAccepted or kRejected.  Scripted: the next dialog
    // script fills the dialog's fields and returns the result, without showing it.
    int ExecDialog(QDialog& dialog);
    // Shows a popup menu at a screen position and returns the chosen action (null when
    // the menu was dismissed).  Scripted: the next scripted command identifier picks the
    // enabled action that carries it.
    QAction* PopupMenu(QMenu& menu, const QPoint& globalPos);

    // --- scripting --------------------------------------------------------------------
    void SetScripted(bool scripted) { m_scripted = scripted; }
    bool Scripted() const { return m_scripted; }
    void PushAnswer(int answer) { m_answers.push_back(answer); }
    void PushDialog(DialogScript script) { m_dialogs.push_back(std::move(script)); }
    void PushMenuChoice(int commandId) { m_menuChoices.push_back(commandId); }

    const std::vector<Shown>& History() const { return m_history; }
    // The items of the last popup menu offered.
    const std::vector<MenuItem>& LastMenu() const { return m_lastMenu; }
    // The last menu's item with that identifier; null when it had none.
    const MenuItem* LastMenuItem(int id) const;
    // Message boxes and dialogs answered without a script since the last Clear.
    int Unscripted() const { return m_unscripted; }
    void Clear();

private:
    static int DefaultAnswer(Buttons buttons);
    static void Flatten(QMenu& menu, std::vector<MenuItem>& out);

    QPointer<QWidget> m_parent;
    bool m_scripted = false;
    std::deque<int> m_answers;
    std::deque<DialogScript> m_dialogs;
    std::deque<int> m_menuChoices;
    std::vector<Shown> m_history;
    std::vector<MenuItem> m_lastMenu;
    int m_unscripted = 0;
};

#pragma once
// CDialogOkChecked: a notice with an OK button and the box "Don't show this message next
// time".  Run shows it unless the user switched it off before (RunCheckedNotice keeps
// that per notice in the current user's preferences), through the UI seam.
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

class CUiSeam;

class CDialogOkChecked final : public QDialog {
    Q_OBJECT
public:
    CDialogOkChecked(const QString& title, const QString& message, QWidget* parent = nullptr);

    bool DontShowAgain() const { return m_dontShow.isChecked(); }
    void SetDontShowAgain(bool on) { m_dontShow.setChecked(on); }
    QCheckBox& DontShowBox() { return m_dontShow; }
    QString Message() const { return m_message.text(); }

    // Shows the notice named `valueName` unless it was switched off; true when it counts
    // as confirmed (OK, or not shown at all).
    static bool Run(CUiSeam& ui, QWidget* parent, const QString& title, const QString& message,
                    const char* valueName);

private:
    QGridLayout m_grid;
    QLabel m_icon;
    QLabel m_message;
    QCheckBox m_dontShow;
    QDialogButtonBox m_buttons;
};

#pragma once
// CDialogCheck: the base of every check-type settings dialog.  It edits the type-specific
// record of the working copy W of a check, as the property sheet hands it over:
//
// - opening: the controls start from W's record when W already has the dialog's type,
//   otherwise from a fresh record of that type with the catalogue's defaults; W itself is
//   not touched until OK;
// - placement: 50 pixels right of and below the top-left corner of the parent window;
// - OK: the member checks and collects its fields (Collect); on the first refusal one
//   warning box is shown and the dialog stays open with the user's input; otherwise, when
//   the record asks for stored credentials that the server credentials list lacks, the
//   user is asked whether to add them (61481), and W receives the record and the type;
// - Cancel leaves W as it was.
//
// A member builds its rows with the helpers below (host row with its "..." button,
// number fields, credentials row, sample link, code-table combos), implements Collect
// (and FillSample when it offers sample data) and ends its constructor with Finish().
// It is registered with one line in TypeDialogs.cpp.
#include "manager/checks/CheckDialogRegistry.h"
#include "model/checks/TypeDialogRules.h"
#include "model/tree/SnNodeCfg.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

class CDialogCheck : public QDialog {
    Q_OBJECT
public:
    CDialogCheck(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx,
                 const QString& title);

    // Runs the dialog through the UI seam: CUiSeam::kAccepted after W received the
    // fields and the type, kRejected with W unchanged.
    int Run();
    // OK: Collect, the credentials question, then W; a refusal keeps the dialog open.
    void accept() override;

    std::int32_t Type() const { return m_type; }
    // The sample-data link: asks 51537 and on Yes fills the controls with FillSample.
    void LoadSample();
    QLabel* SampleLink() const { return m_sampleLink; }
    QLineEdit* HostField() const { return m_host; }
    QPushButton* HostBrowseButton() const { return m_hostBrowse; }
    QCheckBox* CredentialsBox() const { return m_useCredentials; }
    QPushButton* CredentialsButton() const { return m_credentialsButton; }

protected:
    // The record the controls start from; its Type is the dialog's.
    const CSnNodeCfgFunction& Initial() const { return m_initial; }
    const CheckDialogContext& Context() const { return m_ctx; }

    // Checks the controls in the member's order and fills `out` (a copy of Initial()).
    // On a refusal: show it with Refuse and return false.
    virtual bool Collect(CSnNodeCfgFunction& out) = 0;
    // Puts the member's sample data into the controls (after the user agreed).
    virtual void FillSample() {}

    // --- building ---------------------------------------------------------------------
    QFormLayout& Form() { return *m_form; }
    // "Host:" (or the member's label) with the "..." button, filled from ParamServer.
    QLineEdit& AddHostRow(const QString& label);
    // A field for a whole number, digits only (the range is OK's to judge); `unit` is
    // shown after it when given.
    QLineEdit& AddNumberRow(const QString& label, const QString& unit = {});
    // "Use Login and Password to access the server:" with "Credentials...", set from
    // UseCredentials; needs the host row (the credentials are those of that computer).
    void AddCredentialsRow();
    // "Click here to load sample data." under the fields.
    void AddSampleLink();
    // The buttons, the size and the placement; the last call of a member's constructor.
    void Finish();
    // A row label whose mnemonic ("&Host:") moves the focus to `field`.
    QLabel* BuddyLabel(const QString& text, QWidget* field);
    // A combo box listing a code table's texts.
    static void FillCodeCombo(QComboBox& combo, const std::vector<CodeTableEntry>& table);

    // --- OK helpers -----------------------------------------------------------------------
    // Shows a refusal (warning icon) and puts the focus on `field`; false when refused.
    bool Passes(const DialogRefusal& refusal, QWidget* field);
    // What the shared host check needs: creation or editing, the checks in the
    // configuration, the Manager's creation limits.
    HostCheckLimits HostLimits() const;
    // The credentials row into UseCredentials and CredentialsServer (the host field).
    void WriteCredentials(CSnNodeCfgFunction& out) const;
    // A number field's value; -1 when empty or not a number (outside every range).
    static long Number(const QLineEdit& field);
    static void SetNumber(QLineEdit& field, long value);

private:
    void Place();
    void OpenCredentials();

    CSnNode& m_w;
    std::int32_t m_type;
    CheckDialogContext m_ctx;
    CSnNodeCfgFunction m_initial;
    QVBoxLayout* m_outer = nullptr;
    QFormLayout* m_form = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QLineEdit* m_host = nullptr;
    QPushButton* m_hostBrowse = nullptr;
    QCheckBox* m_useCredentials = nullptr;
    QPushButton* m_credentialsButton = nullptr;
    QLabel* m_sampleLink = nullptr;
};

// The registry entry of a member: constructs D(parent, W, type, context) and runs it.
template <class D> CCheckDialogRegistry::TypeDialog TypeDialogOf() {
    return [](QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx) {
        D dialog(parent, w, type, ctx);
        return dialog.Run();
    };
}

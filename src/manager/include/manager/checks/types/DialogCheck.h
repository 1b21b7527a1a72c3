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
// A member builds its rows with the helpers below (host row with its "..." button, host +
// port + time-out rows, number and text fields, account and password rows, option boxes
// and choices bound to positions of ParamByteCodes, titled groups, credentials row,
// sample link, code-table combos), implements Collect (and FillSample when it offers
// sample data) and ends its constructor with Finish().
//
// Options travel through the record: on opening a member shows its settings struct with
// ShowOptions(settings), which writes the struct into a scratch record and sets every bound
// box from its position; on OK ReadOptions<S>(out) writes the boxes into `out` and reads the
// struct back, so the flags the struct owns come from the boxes and the member fills in
// the text and number fields before its checks and S::Write.
// It is registered with one line in TypeDialogs.cpp.
#include "manager/checks/CheckDialogRegistry.h"
#include "model/checks/TypeDialogRules.h"
#include "model/tree/SnNodeCfg.h"

#include <QDialog>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

class QButtonGroup;
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
    // The sample-data link: asks 51537 and on Yes fills the controls with FillSample (a
    // member without sample data for its type says so instead).
    virtual void LoadSample();
    // "...": the target-selection dialog with the Host field's text; OK writes its targets back.
    void BrowseHosts();
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
    // The host row, "Port:" and, with a `timeoutLabel`, the time-out field with its unit.
    struct EndpointRows {
        QLineEdit* port = nullptr;
        QLineEdit* timeout = nullptr;
    };
    EndpointRows AddEndpointRows(const QString& hostLabel, const QString& timeoutLabel = {},
                                 const QString& timeoutUnit = {});
    // A free text field: a pattern, a file, a directory, a command.
    QLineEdit& AddTextRow(const QString& label);
    // An account and its password; the password is shown masked (the settings structs store
    // it scrambled).
    struct LoginRows {
        QLineEdit* account = nullptr;
        QLineEdit* password = nullptr;
        void Show(const std::string& login, const std::string& secret) const;
        std::string Account() const;
        std::string Password() const;
    };
    LoginRows AddLoginRows(const QString& accountLabel = "&Account:",
                           const QString& passwordLabel = "&Password:");
    // An option box bound to ParamByteCodes[position] ('1' checked, '0' not); a position
    // beyond the end of the stored text reads as `missing`.
    QCheckBox& AddOption(const QString& text, std::size_t position, char missing = '0');
    // Radio buttons bound to ParamByteCodes[position]: each button writes its code character,
    // which is also its id in the group.
    QButtonGroup& AddOptionChoice(std::size_t position,
                                  std::initializer_list<std::pair<QString, char>> choices);
    // Rows added between BeginGroup and EndGroup go into a box with that title.
    void BeginGroup(const QString& title);
    void EndGroup();
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
    // The bound options from a stored option text; a position beyond its end clears them.
    void ShowOptions(const CQvcString& codes);
    void ShowOptions(const CQvcLazyString& codes) { ShowOptions(codes.Get()); }
    template <class S> void ShowOptions(const S& settings) {
        CSnNodeCfgFunction scratch = m_initial;
        settings.Write(scratch);
        ShowOptions(scratch.ParamByteCodes);
    }
    // Sets the bound positions of out.ParamByteCodes from the controls.
    void WriteOptions(CSnNodeCfgFunction& out) const;
    template <class S> S ReadOptions(CSnNodeCfgFunction& out) const {
        WriteOptions(out);
        return S::Read(out);
    }
    // Passes, with the focus on fields[refusal.Field].
    bool PassesAt(const DialogRefusal& refusal, std::initializer_list<QWidget*> fields);
    // Shows a refusal (warning icon) and puts the focus on `field`; false when refused.
    bool Passes(const DialogRefusal& refusal, QWidget* field);
    // What the shared host check needs: creation or editing, the checks in the
    // configuration, the Manager's creation limits.
    HostCheckLimits HostLimits() const;
    // The credentials row into UseCredentials and CredentialsServer (CredentialsComputer).
    void WriteCredentials(CSnNodeCfgFunction& out) const;
    // The computer whose stored credentials the credentials row stands for: the host field;
    // a member without one names the computer its path lies on.
    virtual QString CredentialsComputer() const;
    // A member whose choice sets the type (the server roles) changes what OK writes.
    void SetType(std::int32_t type) { m_type = type; }
    // A number field's value; -1 when empty or not a number (outside every range).
    static long Number(const QLineEdit& field);
    static void SetNumber(QLineEdit& field, long value);

private:
    void Place();
    void OpenCredentials();

    struct BoundOption {
        std::size_t position;
        char missing;
        QCheckBox* box;       // or
        QButtonGroup* choice; // one of the two
    };

    CSnNode& m_w;
    std::int32_t m_type;
    CheckDialogContext m_ctx;
    CSnNodeCfgFunction m_initial;
    QVBoxLayout* m_outer = nullptr;
    QFormLayout* m_form = nullptr;
    QFormLayout* m_mainForm = nullptr;
    std::vector<BoundOption> m_options;
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

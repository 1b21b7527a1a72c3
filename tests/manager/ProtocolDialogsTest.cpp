// The network-family type dialogs end to end, one row per dialog: open on a new check,
// fill the controls, OK, and read W back through the settings struct that the Engine's
// runners (and the dialog itself on the next opening) read.  The OK checks themselves are
// tested as tables in tests/model/checks/TypeDialogRulesTest.cpp.
#include "TypeDialogFixture.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/tree/SnNode.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>

#include <functional>

namespace {

using Values = std::vector<std::pair<const char*, QString>>;

// Sets the named controls: a text field gets the text, a check box or radio button is
// set for "1" and cleared for "0", a combo box selects the item of that text.
void Fill(QDialog& dialog, const Values& values) {
    for (const auto& [name, value] : values) {
        QWidget* control = dialog.findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            edit->setText(value);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            button->setChecked(value == "1");
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            ASSERT_GE(combo->findText(value), 0) << name;
            combo->setCurrentIndex(combo->findText(value));
        }
    }
}

struct RoundTrip {
    std::int32_t type;
    QString title;
    Values values;
    std::function<bool(const CSnNodeCfgFunction&)> reads; // the struct W must read as
    std::vector<std::string> messages = {};               // shown while the dialog ran
};

template <typename S> std::function<bool(const CSnNodeCfgFunction&)> Reads(S expected) {
    return [expected](const CSnNodeCfgFunction& f) { return S::Read(f) == expected; };
}

} // namespace

using ProtocolDialogsTest = TypeDialogTest;

TEST_F(ProtocolDialogsTest, EachDialogWritesWhatItsSettingsStructReads) {
    using Record = DnsSettings::Record;
    const RoundTrip rows[] = {
        {kTypeDns,
         "DNS Server Check",
         {{"host", "127.0.0.1:5353"},
          {"name", "localhost"},
          {"expected", "127.0.0.1"},
          {"MX-RECORD", "1"},
          {"requireAll", "1"},
          {"recursion", "0"}},
         Reads(DnsSettings{"127.0.0.1:5353", "localhost", "127.0.0.1", Record::MX, true, false})},
        {kTypeSnmpGet,
         "SNMP GET Check",
         {{"host", "127.0.0.1"},
          {"port", "1161"},
          {"community", "private"},
          {"protocol", "SNMP v1"},
          {"oid", ".1.3.6.1.2.1.1.3.0"},
          {"note", "uptime"},
          {"dataType", "TimeTicks  (ASN_TIMETICKS)"},
          {"operator1", "Greater Than"},
          {"operator1Value", "100"},
          {"useSecond", "1"},
          {"or", "1"},
          {"operator2", "Less Than"},
          {"operator2Value", "900"}},
         Reads(SnmpGetSettings{"127.0.0.1", 1161, "private", "1.3.6.1.2.1.1.3.0", ".1.3.6.1.2.1.1.3.0",
                               "uptime", 9, 5, "100", true, true, 3, "900", true})},
        {kTypeNtp, "NTP Timeserver Check", {{"host", "127.0.0.1"}}, Reads(NtpSettings{"127.0.0.1"})},
        {kTypeSnmpTrapReceive,
         "SNMP Trap Receive Check",
         {{"host", "*"},
          {"oid", "1.3.6.1.6.3.1.1.5.3"},
          {"subtree", "0"},
          {"community", "public"},
          {"version", "SNMP v2c"},
          {"matchValue", "1"},
          {"variable", "1.3.6.1.2.1.2.2.1.1"},
          {"dataType", "Integer  (ASN_INTEGER, ASN_INTEGER32)"},
          {"operator", "Greater Than"},
          {"value", "2"},
          {"ignoreCase", "1"},
          {"error", "1"}},
         Reads(SnmpTrapSettings{"*", "1.3.6.1.6.3.1.1.5.3", false, true, "1.3.6.1.2.1.2.2.1.1", 5, 4, "2",
                                true, 2, "public", true}),
         // a new configuration has the trap receiver off
         {"The SNMP Trap Receiver is not enabled. Checks of this type see no traps until it is enabled: "
          "select "
          "'Options' from the 'Tools' menu and enable the SNMP Trap Receiver."}},
        {kTypeSsh,
         "SSH - Linux/Unix Shell Script",
         {{"host", "127.0.0.1"},
          {"port", "2222"},
          {"account", "monitor"},
          {"password", "pw"},
          {"command", "uptime"},
          {"timeout", "5000"},
          {"acceptHostKey", "0"},
          {"copyScript", "1"},
          {"localScript", "<SNROOT>scripts\\ssh\\a.sh"}},
         Reads(SshSettings{"127.0.0.1", 2222, "monitor", "pw", false, "", "uptime", 5000, false, true, true,
                           "<SNROOT>scripts\\ssh\\a.sh"})},
        {kTypeRsh,
         "RSH - Linux/Unix Shell Script",
         {{"host", "127.0.0.1"},
          {"user", "monitor"},
          {"command", "uptime"},
          {"timeout", "9000"},
          {"errorOnStderr", "0"}},
         Reads(RshSettings{"127.0.0.1", 514, "monitor", "uptime", 9000, false})},
        {kTypeTraceRoute,
         "TraceRoute Check",
         {{"host", "127.0.0.1"},
          {"maxHops", "12"},
          {"maxHopMs", "80"},
          {"checkHopTime", "0"},
          {"resolve", "0"},
          {"noneListed", "1"},
          {"hops", "127.0.0.1, ::1"}},
         Reads(TraceRouteSettings{"127.0.0.1", 12, "127.0.0.1, ::1", 80, false,
                                  TraceRouteSettings::HopRule::NoneListed, false})},
        {kTypeRadius,
         "RADIUS Check",
         {{"host", "127.0.0.1"},
          {"port", "1645"},
          {"secret", "s3cret"},
          {"timeout", "900"},
          {"account", "alice"},
          {"password", "pw"}},
         Reads(RadiusSettings{"127.0.0.1", 1645, "s3cret", 900, "alice", "pw"})},
        {kTypeSmpp,
         "SMPP Check",
         {{"host", "127.0.0.1"},
          {"port", "2776"},
          {"systemType", "VMS"},
          {"logOn", "1"},
          {"account", "esme"},
          {"password", "pw"}},
         Reads(SmppSettings{"127.0.0.1", 2776, "VMS", "esme", "pw", true})},
    };
    const CCheckDialogRegistry& registry = App()->CheckDialogs();
    for (const RoundTrip& row : rows) {
        SCOPED_TRACE(row.type);
        const std::size_t before = Messages().size();
        Ui().PushDialog([&row](QDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), row.title);
            Fill(dialog, row.values);
            dialog.accept();
            return dialog.result();
        });
        CSnNode w;
        const CCheckDialogRegistry::TypeDialog* open = registry.FindType(row.type);
        ASSERT_NE(open, nullptr);
        ASSERT_EQ((*open)(&Frame(), w, row.type, {Ui(), App()->Store(), true, false}), CUiSeam::kAccepted);
        EXPECT_EQ(w.Cfg.Function.Type, row.type);
        EXPECT_TRUE(row.reads(w.Cfg.Function));
        const std::vector<std::string> shown = Messages();
        EXPECT_EQ(std::vector<std::string>(shown.begin() + static_cast<long>(before), shown.end()),
                  row.messages);
        // Passwords are kept scrambled, never as typed.
        EXPECT_NE(w.Cfg.Function.ParamPassword.Str(), "pw");
    }
}

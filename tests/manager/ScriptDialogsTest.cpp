// The VBScript and PowerShell dialogs through the real widgets, on the scripts that init
// ships into the fixture's Engine root: a check is made by picking a file and a function
// from the lists (the parameters come from the function's sample), the script helpers
// change the real files (new file from its template, new function, function removed with
// its separator line kept, file deleted), and W is read back through the settings struct
// the engine reads.  The checks on OK are tables in ScriptDialogRulesTest.cpp.
#include "TypeDialogFixture.h"
#include "manager/checks/types/scripts/DialogTypePowShell.h"
#include "manager/checks/types/scripts/DialogTypeVBScript1.h"
#include "manager/checks/types/scripts/ScriptFileDialogs.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/tree/SnNode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace {

const std::string kVbs = "<SNROOT>scripts\\monitor (vbs)\\";

QStringList Items(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

// A nested dialog script: `fill` on the dialog of type D, then OK.
template <class D> CUiSeam::DialogScript Answer(std::function<void(D&)> fill) {
    return [fill](QDialog& base) {
        auto& d = dynamic_cast<D&>(base);
        fill(d);
        d.accept();
        return d.result();
    };
}

} // namespace

class ScriptDialogsTest : public TypeDialogTest {
protected:
    int Open(CSnNode& w, std::int32_t type, std::function<void(QDialog&)> play, int mode = 0) {
        Ui().PushDialog([play](QDialog& d) {
            play(d);
            d.accept();
            return d.result();
        });
        return (*App()->CheckDialogs().FindType(type))(&Frame(), w, type, {Ui(), App()->Store(), true, false, mode});
    }
    std::string Vbs(const std::string& name) const { return Root() + "/scripts/monitor (vbs)/" + name; }
};

TEST_F(ScriptDialogsTest, VbScriptCheckFromListsAndTheFileHelpers) {
    CSnNode w;
    const int result = Open(w, kTypeVBScript, [this](QDialog& base) {
        auto& d = dynamic_cast<CDialogTypeVBScript1&>(base);
        // A file browsed to outside the VBScript directory is refused.
        Ui().PushDialog([this](QDialog& files) {
            dynamic_cast<QFileDialog&>(files).selectFile(QString::fromStdString(ConfigPath()));
            return static_cast<int>(CUiSeam::kAccepted);
        });
        d.BrowseButton().click();

        Ui().PushDialog(Answer<DialogVbScriptNewFile>([](auto& f) { f.NameField().setText("Mine"); }));
        d.NewFileButton().click();
        for (const char* name : {"checkA", "CheckB"}) {
            Ui().PushDialog(Answer<CDialogVbScriptNewFunction>([name](auto& f) { f.NameField().setText(name); }));
            d.NewFunctionButton().click();
        }
        EXPECT_EQ(d.FileCombo().currentText().toStdString(), kVbs + "Mine.vbs");
        EXPECT_EQ(Items(d.FunctionCombo()), (QStringList{"CheckA", "CheckB"}));
        Ui().PushDialog(Answer<CDialogVbScriptDeleteFunction>(
            [](auto& f) { f.FunctionCombo().setCurrentText("CheckA"); }));
        d.DeleteFunctionButton().click();
        EXPECT_EQ(Items(d.FunctionCombo()), (QStringList{"CheckB"}));

        d.ChooseFile(QString::fromStdString(kVbs + "Samples.vbs"));
        EXPECT_EQ(Items(d.FunctionCombo()),
                  (QStringList{"CheckFileExists", "CheckFolderFileCount", "CheckHostResponds"}));
        d.ChooseFunction("CheckFolderFileCount");
        EXPECT_EQ(d.Rows().sample->text(), "CheckFolderFileCount(\"/tmp\", 500)");
        Ui().PushDialog(Answer<QDialog>([](QDialog& a) {
            a.findChild<QLineEdit*>("timeout")->setText("120");
            a.findChild<QCheckBox*>("block")->setChecked(false);
        }));
        d.AdvancedButton().click();
    });
    ASSERT_EQ(result, CUiSeam::kAccepted) << (Messages().empty() ? "" : Messages().back());
    EXPECT_EQ(ScriptCheckSettings::Read(w.Cfg.Function),
              (ScriptCheckSettings{kVbs + "Samples.vbs", "CheckFolderFileCount", {"\"/tmp\"", "500", "", "", "", ""}, 120, false}));

    // The deleted function took its declaration and body; both separator lines stayed.
    const std::string text = testsupport::ReadFile(Vbs("Mine.vbs"));
    const std::string separator = "' " + std::string(78, '/') + "\n";
    EXPECT_EQ(std::pair(text.find("CheckA"), text.find("Function CheckB()")), std::pair(std::string::npos, text.rfind(separator) + separator.size()));
    EXPECT_NE(text.find(separator), text.rfind(separator));

    // Deleting the file asks first; the dialog then lists the stock scripts only.
    Ui().PushAnswer(CUiSeam::kYes);
    Open(w, kTypeVBScript, [this](QDialog& base) {
        auto& d = dynamic_cast<CDialogTypeVBScript1&>(base);
        Ui().PushDialog(Answer<CDialogVbScriptDeleteFile>(
            [](auto& f) { f.FileCombo().setCurrentText(QString::fromStdString(kVbs + "Mine.vbs")); }));
        d.DeleteFileButton().click();
        EXPECT_EQ(d.FileCombo().count(), 2);
    });
    EXPECT_FALSE(std::filesystem::exists(Vbs("Mine.vbs")));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{
                  "The VBScript file must be in the Engine's VBScript directory " + Root() +
                      "/scripts/monitor (vbs)/ or in one of its subdirectories. Copy the file there first.",
                  "Are you sure you want to delete 'Mine.vbs' ?"}));
}

TEST_F(ScriptDialogsTest, DirectoryModesOpenOnTheirStockFunction) {
    for (const auto& [mode, function, host] : {std::tuple{2, kLdapFunction, "\"localhost\""},
                                               std::tuple{1, kMembershipFunction, "\"localhost\""}}) {
        CSnNode w;
        ASSERT_EQ(Open(w, kTypeVBScript, [](QDialog&) {}, mode), CUiSeam::kAccepted);
        const ScriptCheckSettings s = ScriptCheckSettings::Read(w.Cfg.Function);
        EXPECT_EQ(std::tuple(s.File, s.Function, s.Args[0], DirectoryFunctionMode(s)),
                  std::tuple(std::string(kDirectoryScriptFile), std::string(function), std::string(host), mode));
    }
}

TEST_F(ScriptDialogsTest, PowerShellCheckFromTheListWithItsTimeout) {
    CSnNode w;
    const int result = Open(w, kTypePowerShell, [this](QDialog& base) {
        auto& d = dynamic_cast<CDialogTypePowShell&>(base);
        Ui().PushDialog(Answer<DialogPowerShellNewFile>([](auto& f) { f.NameField().setText("Probe"); }));
        d.NewFileButton().click();
        d.ChooseFile("<SNROOT>scripts\\monitor (ps1)\\Example.ps1");
        EXPECT_EQ(d.Rows().sample->text(), "Example.ps1 \"One\" 2");
        d.StderrBox().setChecked(true);
        Ui().PushDialog(Answer<QDialog>([](QDialog& t) {
            t.findChild<QLineEdit*>("timeout")->setText("30");
            t.findChild<QRadioButton*>("uncertain")->setChecked(true);
        }));
        d.TimeoutButton().click();
    });
    ASSERT_EQ(result, CUiSeam::kAccepted) << (Messages().empty() ? "" : Messages().back());
    EXPECT_EQ(PowerShellSettings::Read(w.Cfg.Function),
              (PowerShellSettings{"<SNROOT>scripts\\monitor (ps1)\\Example.ps1", {"\"One\"", "2", "", "", "", ""}, 30,
                                  true, false, true}));
    EXPECT_TRUE(std::filesystem::exists(Root() + "/scripts/monitor (ps1)/Probe.ps1"));
}

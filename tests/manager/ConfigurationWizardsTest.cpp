// Export, New Configuration and Import run from their commands with scripted dialogs: the
// files they write, the messages they show, and the tree the views show afterwards.  The
// store's operations and the backup names are tested in tests/model.
#include "ManagerFixture.h"

#include "manager/wizards/ConfigurationWizards.h"
#include "manager/wizards/QuickConfigWizard.h"
#include "model/checks/CheckTypes.h"
#include "model/console/CommandIds.h"
#include "model/tree/NodeStatus.h"
#include "model/tree/SnNode.h"
#include "model/notify/SnSmtpSettings.h"
#include "platform/System.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <chrono>
#include <ctime>
#include <thread>
#include <fstream>

namespace {

template <class W> W& Field(QWidget& page, const char* name) {
    W* w = page.findChild<W*>(name);
    if (w == nullptr)
        throw std::runtime_error(std::string("no field ") + name);
    return *w;
}

// Answers a file dialog with `path` under the filter `filter`.
CUiSeam::DialogScript ChooseFile(const std::string& path, const char* filter) {
    return [path, filter](QDialog& d) {
        auto& dialog = dynamic_cast<QFileDialog&>(d);
        dialog.selectNameFilter(filter);
        dialog.selectFile(QString::fromStdString(path));
        return CUiSeam::kAccepted;
    };
}

void Grab(QWizard& w, const std::string& name) {
    w.grab().save(QString::fromStdString(std::string(SENTRELLE_TEST_OUTPUT_DIR) + "/" + name + ".png"));
}

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

class ConfigurationWizardsTest : public ManagerTest {
protected:
    std::string Saved() const { return Root() + "/Saved Configurations/"; }
    std::vector<std::string> CheckNames() {
        std::vector<std::string> names;
        for (const CSnNode* n : CSnCfg::CollectChecks(App()->Root(), true))
            names.push_back(n->Cfg.Name.Str());
        return names;
    }
};

TEST_F(ConfigurationWizardsTest, ExportWritesTheDatabaseOrTheTextByTheChosenFilter) {
    AddCheck(CSnCfg::kRootId, "web");
    SaveTree();
    ASSERT_NE(Start(), nullptr);
    Ui().PushDialog(ChooseFile(Saved() + "site", "JSON text (*.json)"));
    Ui().PushDialog(ChooseFile(Saved() + "copy.mdb", "Quorvane Sentrelle File (*.mdb)"));
    App()->OnCommand(cmd::kExportConfiguration);
    App()->OnCommand(cmd::kExportConfiguration);
    App()->OnCommand(cmd::kExportConfiguration); // cancelled: nothing more
    EXPECT_EQ(Messages(), std::vector<std::string>(2, "Configuration successfully exported."));
    EXPECT_EQ(FirstLine(Saved() + "site.json"), "{");
    EXPECT_TRUE(platform::FileExists(Saved() + "copy.mdb"));
    EXPECT_NE(FirstLine(Saved() + "copy.mdb"), "{");
}

TEST_F(ConfigurationWizardsTest, NewConfigurationWithAndWithoutBackup) {
    AddCheck(CSnCfg::kRootId, "old check");
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    ASSERT_EQ(CheckNames(), std::vector<std::string>{"old check"});
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string proposed = Saved() + CSnCfg::NewConfigurationBackupName(local).Str();

    std::string status, proposal;
    auto run = [&](bool backup, bool launch) {
        return [&, backup, launch](QDialog& d) {
            auto& w = dynamic_cast<QWizard&>(d);
            w.restart();
            proposal = Field<QLineEdit>(*w.currentPage(), "path").text().toStdString();
            Field<QRadioButton>(*w.currentPage(), backup ? "backup" : "skip").setChecked(true);
            Grab(w, "new-configuration-1");
            w.next();
            QCoreApplication::processEvents();
            status = dynamic_cast<CWzd_Clear3&>(*w.currentPage()).Status().toStdString();
            Field<QCheckBox>(*w.currentPage(), "launchQuick").setChecked(launch);
            Grab(w, "new-configuration-2");
            w.accept();
            return w.result();
        };
    };
    Ui().PushDialog(run(true, false));
    App()->OnCommand(cmd::kNewConfiguration);
    EXPECT_EQ(proposal, proposed);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Configuration successfully exported."});
    EXPECT_EQ(status, "New Configuration created.");
    EXPECT_TRUE(CheckNames().empty());
    ASSERT_TRUE(platform::FileExists(proposed));

    // A second run without a backup asks nothing and launches the Quick wizard.
    Ui().Clear();
    Ui().PushDialog(run(false, true));
    App()->OnCommand(cmd::kNewConfiguration);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(status, "New Configuration created.");
    ASSERT_EQ(Ui().History().size(), 2u); // the sheet, then the Quick wizard
    EXPECT_EQ(Ui().History().back().text, "Quick Configuration Wizard");
}

TEST_F(ConfigurationWizardsTest, ImportOfAnExportWithTheChecksOnly) {
    AddCheck(CSnCfg::kRootId, "exported");
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    testsupport::TempDir dir;
    const std::string file = dir.File("site.json");
    std::string problem;
    ASSERT_EQ(App()->Store()->ExportConfigurationText(CQvcString(file), problem), 0) << problem;
    AddCheck(CSnCfg::kRootId, "added later");
    SaveTree();
    CSnSmtpSettings smtp;
    smtp.Server1 = "current.test";
    ASSERT_EQ(smtp.Write(Seeder()), 0);

    std::string saved;
    Ui().PushDialog([&](QDialog& d) {
        auto& w = dynamic_cast<QWizard&>(d);
        w.restart();
        Grab(w, "import-1");
        w.next();
        QWidget& page = *w.currentPage();
        w.next(); // no path
        Field<QLineEdit>(page, "path").setText(QString::fromStdString(dir.File("absent.json")));
        w.next();
        Field<QLineEdit>(page, "path").setText(QString::fromStdString(file));
        Field<QRadioButton>(page, "checksOnly").setChecked(true);
        Grab(w, "import-2");
        w.next();
        saved = Field<QLabel>(*w.currentPage(), "saved").text().toStdString();
        Grab(w, "import-3");
        w.accept();
        return w.result();
    });
    App()->OnCommand(cmd::kImportConfiguration);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Configuration filename is required.",
                                                    "Configuration file does not exist. Please enter a valid "
                                                    "Quorvane Sentrelle configuration file."}));
    EXPECT_EQ(CheckNames(), std::vector<std::string>{"exported"});
    CSnSmtpSettings read;
    ASSERT_EQ(read.Read(Seeder()), 0);
    EXPECT_EQ(read.Server1, "current.test");
    const std::string::size_type quote = saved.find('\'');
    const std::string backup = saved.substr(quote + 1, saved.find('\'', quote + 1) - quote - 1);
    EXPECT_EQ(backup.rfind(Saved(), 0), 0u) << saved;
    EXPECT_TRUE(platform::FileExists(backup)) << saved;
    EXPECT_NE(saved.find("\r\nthe 'Saved Configurations' folder."), std::string::npos);
}

TEST_F(ConfigurationWizardsTest, QuickWizardLeavesChecksTheEngineRuns) {
    ASSERT_TRUE(StartLoaded());
    std::string found;
    Ui().PushDialog([&](QDialog& d) {
        auto& w = dynamic_cast<CQuickConfigWizard&>(d);
        w.restart();
        Field<QLineEdit>(*w.currentPage(), "hosts").setText(" localhost ");
        Grab(w, "quick-1");
        w.next();
        auto& checks = dynamic_cast<CQuickPageChecks&>(*w.currentPage());
        for (int k = 0; k < 200 && checks.Probing(); ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            QCoreApplication::processEvents();
        }
        found = Field<QLabel>(checks, "found").text().toStdString();
        Field<QCheckBox>(checks, "services").setChecked(false); // what is open here varies
        Grab(w, "quick-2");
        w.next();
        Field<QLineEdit>(*w.currentPage(), "recipient").setText("ops@example.test");
        Field<QLineEdit>(*w.currentPage(), "server").setText("127.0.0.1");
        Grab(w, "quick-3");
        w.accept();
        return w.result();
    });
    Ui().PushAnswer(CUiSeam::kNo); // the Engine is started below
    App()->OnCommand(cmd::kQuickConfiguration);
    EXPECT_NE(found.find("found open"), std::string::npos) << found;
    EXPECT_EQ(CheckNames(), (std::vector<std::string>{"Localhost - Ping", "Localhost - Disk Space",
                                                      "Localhost - Memory Usage"}));
    CSnSmtpSettings smtp;
    ASSERT_EQ(smtp.Read(Seeder()), 0);
    EXPECT_EQ(smtp.Server1, "127.0.0.1");
    CSnNode* disk = CSnCfg::CollectChecks(App()->Root(), true)[1];
    ASSERT_EQ(App()->Store()->ReadNode(disk), 0); // the Manager loads summaries only
    EXPECT_EQ(disk->Cfg.Action.Notify[0].Recipients, "ops@example.test");

    ASSERT_TRUE(StartEngine());
    EXPECT_TRUE(TickUntil([&] {
        const auto checks = CSnCfg::CollectChecks(App()->Root(), true);
        // The disk check succeeds; ping and memory depend on the machine, but run.
        return checks.size() == 3 && checks[1]->Result.Status == kStatusSuccess &&
               checks[0]->Result.Status != kStatusNone && checks[2]->Result.Status != kStatusNone;
    }));
}

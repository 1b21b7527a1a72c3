// The engine service's state as the watcher reports it: the stopped flag, and the one
// question (writable) or notice (read-only) per run, only when the first report finds
// the service stopped.
#include "library/Messages.h"
#include "model/service/ServiceDialogRules.h"
#include "model/service/SnEngineServiceState.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class ScriptedUi final : public ISnServiceStateUi {
public:
    bool answerYes = true;
    std::function<void()> whileAsking; // what happens while the question box is open
    std::vector<std::string> shown;    // "question: ...", "notice: ...", "dialog start" ...

    bool AskQuestion(const CQvcString& text) override {
        shown.push_back("question: " + text.Str());
        if (whileAsking)
            whileAsking();
        return answerYes;
    }
    void ShowInformation(const CQvcString& text) override { shown.push_back("notice: " + text.Str()); }
    void OpenServiceDialog(bool startWhenOpened) override {
        shown.push_back(startWhenOpened ? "dialog start" : "dialog");
    }
};

const std::string kQuestion =
    "question: The 'Quorvane Sentrelle' service is not running. This service must be running in order to run the "
    "checks.\r\nTo start the service, choose 'Service' from the 'Tools' menu and press 'Start'.\r\n\r\nDo you want to "
    "start the service now ?";
const std::string kNotice = "notice: The 'Quorvane Sentrelle' service is not running. This service must be running "
                            "in order to run the checks.";

TEST(SnEngineServiceState, AsksOnlyWhenTheFirstReportFindsTheServiceStopped) {
    struct Row {
        bool writable, answerYes;
        std::vector<unsigned> commands;
        std::vector<std::string> shown;
        bool stopped;
    };
    const Row rows[] = {
        // Reports keep coming every 5 s: one question per run, the flag follows them.
        {true, true, {197, 197, 197, 196, 197}, {kQuestion, "dialog start"}, true},
        {true, false, {197}, {kQuestion}, true},
        {false, true, {197, 197}, {kNotice}, true},
        // Seen running first: never asked, though the flag is set.
        {true, true, {196, 197}, {}, true},
        {true, true, {197, 196}, {kQuestion, "dialog start"}, false},
    };
    for (const Row& row : rows) {
        ScriptedUi ui;
        ui.answerYes = row.answerYes;
        CSnEngineServiceState state(ui);
        for (unsigned command : row.commands)
            EXPECT_TRUE(state.OnCommand(command, row.writable));
        EXPECT_EQ(ui.shown, row.shown) << row.commands.size();
        EXPECT_EQ(state.IsStopped(), row.stopped) << row.commands.size();
    }
}

TEST(SnEngineServiceState, ReportsArrivingWhileTheQuestionIsOpenAskNothingMore) {
    ScriptedUi ui;
    CSnEngineServiceState state(ui);
    ui.whileAsking = [&] {
        state.OnCommand(197, true);
        state.OnCommand(197, true);
    };
    state.OnCommand(197, true);
    EXPECT_EQ(ui.shown, (std::vector<std::string>{kQuestion, "dialog start"}));
}

TEST(SnEngineServiceState, OtherCommandsAreNotTaken) {
    ScriptedUi ui;
    CSnEngineServiceState state(ui);
    EXPECT_FALSE(state.OnCommand(195, true) || state.OnCommand(198, true) || state.HasReported());
    EXPECT_EQ(CSnEngineServiceState::MonitorRefusalText(),
              "Unable to monitor the selected item(s) because the Quorvane Sentrelle service is not running.\n\n"
              "Choose 'Service' from the 'Tools' menu and start the service.");
}

TEST(ServiceDialogRules, StateTextsAndButtons) {
    struct Row {
        int state;
        const char* text;
        bool start, stop, restart;
    };
    const Row rows[] = {
        {-1, "Unable to query server", false, false, false},
        {1, "Service is stopped", true, false, false},
        {2, "Service is pending to start", false, false, false},
        {3, "Service is pending to stop", false, false, false},
        {4, "Service is running", false, true, true},
        {5, "Service is pending to continue", false, false, false},
        {6, "Service is pending to pause", false, false, false},
        {7, "Service is paused", true, false, false},
        {0, "Unable to determine state of the service", false, false, false},
        {8, "Unable to determine state of the service", false, false, false},
    };
    for (const Row& row : rows) {
        const ServiceStateView view = ServiceStateViewFor(row.state);
        EXPECT_EQ(std::make_tuple(std::string(ServiceStateText(row.state)), view.start, view.stop, view.restart),
                  std::make_tuple(std::string(row.text), row.start, row.stop, row.restart))
            << row.state;
    }
}

TEST(ServiceDialogRules, LogonAccountAndPasswordFields) {
    const std::pair<const char*, std::pair<const char*, const char*>> rows[] = {
        {"LocalSystem", {".\\LocalSystem", ""}},
        {"ROOT", {".\\ROOT", ""}},
        {"sentrelle", {"sentrelle", "**************"}},
        {"rooty", {"rooty", "**************"}}, // only the whole name counts
    };
    for (const auto& [account, shown] : rows) {
        const ServiceLogonView view = ServiceLogonViewFor(account);
        EXPECT_EQ(std::make_pair(view.account.Str(), view.password.Str()),
                  std::make_pair(std::string(shown.first), std::string(shown.second)));
    }
}

TEST(ServiceDialogRules, ControlResultsMapToTheirMessages) {
    EXPECT_EQ(ServiceControlMessageId(0), 0u);
    const std::pair<long, unsigned> codes[] = {{-1000, 3000}, {-1001, 3001}, {-1002, 3002}, {-1003, 3003},
                                               {-1011, 3005}, {-1, 3007},    {-1004, 3007}, {5, 3007}};
    for (const auto& [code, id] : codes) {
        EXPECT_EQ(ServiceControlMessageId(code), id) << code;
        EXPECT_NE(MessageText(id), nullptr) << id;
    }
}

} // namespace

// The enabling and tick rules of the Manager's commands, over snapshots that differ in
// one fact at a time.
#include "model/console/CommandIds.h"
#include "model/console/CommandRules.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

CCommandSnapshot Writable() {
    CCommandSnapshot s;
    s.loaded = s.writable = true;
    return s;
}

// The columns of the enabling table below, left to right.
std::array<CCommandSnapshot, 8> Columns() {
    std::array<CCommandSnapshot, 8> c;
    c.fill(Writable());
    c[1].selected = 1; // one check, its status error-like
    c[1].singleSelectedClearable = true;
    c[2].selected = 2;
    c[3].treeFocus = true;
    c[4].writable = false; // read-only, one check
    c[4].selected = 1;
    c[5].loaded = false; // failed load, one check
    c[5].selected = 1;
    c[6].selected = 1; // one check that cannot be cleared, one copied
    c[6].copied = 1;
    c[7].treeFocus = true; // two copied
    c[7].copied = 2;
    return c;
}

} // namespace

TEST(CommandRules, EnablingFollowsLoadedWritableFocusSelectionAndClipboard) {
    struct Row {
        std::initializer_list<int> ids;
        const char* enabled; // one digit per column of Columns()
    };
    const Row rows[] = {
        {{20, 21, 22, 23, 56, 57, 58, 59, 61, 65, 67, 69, 70, 71, 72, 73, 74, 75, 76}, "11110011"},
        {{cmd::kReadOnly, 60, 63, cmd::kMonitorFolderNow, cmd::kSelectAll}, "11111011"},
        {{30, 37, 40, 41, 42, 43, 44, 55, 191, 192, 57664, 57665, 59392, 59393}, "11111111"},
        {{cmd::kRename}, "11110011"},
        {{cmd::kMonitorSelectedNow}, "01101010"},
        {{cmd::kDelete}, "01110011"},
        {{cmd::kHold, cmd::kCopy}, "01100010"},
        {{cmd::kClearFailure}, "01100000"},
        {{cmd::kProperties}, "01010011"},
        {{cmd::kHistoryDetail, cmd::kHistoryAvailability, cmd::kShowGraph}, "01000010"},
        {{cmd::kPasteChecks}, "00000011"},
        {{cmd::kPasteProperties}, "00000010"},
        // No Server value; no handler ever; no such command.
        {{cmd::kRemoteInstallation, cmd::kCut, cmd::kCustomizeToolbar, 64, 196, 0}, "00000000"},
    };
    const auto columns = Columns();
    for (const Row& row : rows)
        for (const int id : row.ids) {
            std::string got;
            for (const CCommandSnapshot& s : columns)
                got += CommandRule(id, s).enabled ? '1' : '0';
            EXPECT_EQ(got, row.enabled) << "command " << id;
        }
    CCommandSnapshot server = Writable();
    server.serverValue = 1;
    EXPECT_TRUE(CommandRule(cmd::kRemoteInstallation, server).enabled);
}

TEST(CommandRules, TicksShowTheCurrentChoice) {
    CCommandSnapshot s = Writable();
    s.lookCommand = 35;
    s.shownColumns = 0b1000'0000'0101;
    s.activityCapture = true;
    s.toolbarShown = true;
    // Enabled, checkable and checked, one digit each, per command.
    auto states = [&s](std::initializer_list<int> ids) {
        std::string out;
        for (int id : ids) {
            const CCommandState c = CommandRule(id, s);
            out += std::string{c.enabled ? '1' : '0', c.checkable ? '1' : '0', c.checked ? '1' : '0', ' '};
        }
        return out;
    };
    EXPECT_EQ(states({35, 31, 44, 45, 46, 55, cmd::kCaptureActivity, cmd::kViewToolbar, cmd::kViewStatusBar,
                      cmd::kReadOnly, cmd::kRefresh}),
              "111 110 111 110 111 111 111 111 110 110 100 ");
    s.writable = false;
    EXPECT_EQ(states({cmd::kReadOnly}), "111 ");
    const CCommandState on{true, true, true};

    // Hold is ticked only when checks are selected and every one is on hold.
    s = Writable();
    s.allSelectedOnHold = true;
    EXPECT_FALSE(CommandRule(cmd::kHold, s).checked);
    s.selected = 2;
    EXPECT_EQ(CommandRule(cmd::kHold, s), on);
    s.writable = false;
    EXPECT_EQ(CommandRule(cmd::kHold, s), (CCommandState{false, true, true}));
    s.loaded = false;
    EXPECT_FALSE(CommandRule(cmd::kHold, s).checked);
}

TEST(CommandRules, ContextMenusActOnTheirOwnTarget) {
    // The folder menu ignores checks selected in the list.
    CCommandSnapshot listFocus = Writable();
    listFocus.selected = 2;
    listFocus.allSelectedOnHold = true;
    listFocus.copied = 1;
    const CCommandSnapshot folder = ForFolderMenu(listFocus);
    for (const int id : {cmd::kRename, cmd::kDelete, cmd::kPasteProperties, cmd::kProperties})
        EXPECT_TRUE(CommandRule(id, folder).enabled) << id;
    for (const int id : {cmd::kMonitorSelectedNow, cmd::kHold, cmd::kCopy, cmd::kClearFailure})
        EXPECT_FALSE(CommandRule(id, folder).enabled) << id;
    EXPECT_FALSE(CommandRule(cmd::kHold, folder).checked);

    // The check menu ignores the tree's focus.
    CCommandSnapshot treeFocus = Writable();
    treeFocus.treeFocus = true;
    treeFocus.copied = 1;
    const CCommandSnapshot checks = ForCheckMenu(treeFocus);
    for (const int id : {cmd::kProperties, cmd::kRename, cmd::kDelete, cmd::kPasteProperties})
        EXPECT_FALSE(CommandRule(id, checks).enabled) << id;
    EXPECT_TRUE(CommandRule(cmd::kPasteChecks, checks).enabled);
}

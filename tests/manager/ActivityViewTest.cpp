// The activity view in the main window: the Engine's activity log read on the cycle's
// view updates, formatted with the configuration's date and time settings, and frozen
// while capture is off (main menu and context menu).  Also the log-file command and the
// don't-show-again notice.
#include "ManagerFixture.h"
#include "RecordingLauncher.h"
#include "library/Messages.h"
#include "model/console/CommandIds.h"
#include "manager/app/DialogOkChecked.h"
#include "manager/mainframe/ViewLog.h"
#include "model/console/CheckedNotice.h"
#include "model/console/FileViewers.h"
#include "model/console/ManagerPreferences.h"
#include "model/settings/SnDateTimeSettings.h"
#include "model/notify/SnLogSettings.h"
#include "platform/Profile.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QLineEdit>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr std::int64_t kBase = 1700000000; // 14 Nov 2023 22:13:20 UTC

std::string Key(int n) {
    char key[16];
    std::snprintf(key, sizeof key, "%08X", n);
    return key;
}

} // namespace

class ActivityViewTest : public ManagerTest {
protected:
    // Replaces the activity log with lines first..last (key n, time kBase + n, text
    // "event n"), after an optional restart mark at `restartTime`; then announces new
    // results so that the next tick updates the views.
    void WriteLog(int first, int last, std::int64_t restartTime = 0) {
        std::string section;
        if (restartTime > 0)
            section += std::string("00000000||") + std::to_string(restartTime) + "||Activity log started" + '\0';
        for (int n = first; n <= last; ++n)
            section += Key(n) + "||" + std::to_string(kBase + n) + "||event " + std::to_string(n) + '\0';
        section.push_back('\0');
        ASSERT_TRUE(platform::ProfileWriteSection(Seeder().Link()->ActivityLogFile().c_str(), "ActLog", section.data()));
        Seeder().Link()->SignalResultsChanged();
    }
    QStringList Rows() { return Frame().Log()->RowTexts(); }
    QString Row(int n) { return Rows().value(n); }
    // The text of line n as the default formats show it in UTC.
    static QString Expected(int n) {
        CSnDateTimeSettings settings;
        return QString::fromUtf8((settings.FormatDateTime(kBase + n) + " - event " + std::to_string(n).c_str()).c_str());
    }

    testsupport::ScopedTimeZone utc;
};

TEST_F(ActivityViewTest, ViewShowsTheTrackersRowsInTheConfigurationsFormats) {
    // Which lines show (newest first, at most 200, restarts) is the tracker's rule; here
    // the view gets its rows on the cycle's updates, formatted as the configuration says.
    CSnDateTimeSettings settings;
    settings.DateFormat = "yyyy-mm-dd";
    settings.TimeFormat = "HH:mm";
    ASSERT_EQ(settings.Write(Seeder()), 0);
    ASSERT_NE(Start(), nullptr);
    for (const int last : {500, 510}) {
        WriteLog(1, last);
        Tick();
        EXPECT_EQ(std::make_tuple(Rows().size(), Row(0), Row(199)),
                  std::make_tuple(200, QString("2023-11-14 22:21 - event %1").arg(last),
                                  QString("2023-11-14 22:18 - event %1").arg(last - 199)));
    }
}

TEST_F(ActivityViewTest, OptionsWithNewFormatsRewriteTheShownRows) {
    ASSERT_NE(Start(), nullptr);
    WriteLog(1, 2);
    Tick();
    ASSERT_EQ(Rows(), (QStringList{Expected(2), Expected(1)}));
    Ui().PushDialog([](QDialog& d) {
        d.findChild<QLineEdit*>("dateFormat")->setText("dd.mm.yyyy");
        d.findChild<QLineEdit*>("timeFormat")->setText("HH:mm:ss");
        d.accept();
        return d.result();
    });
    App()->OnCommand(cmd::kOptions);
    EXPECT_EQ(Rows(), (QStringList{"14.11.2023 22:13:22 - event 2", "14.11.2023 22:13:21 - event 1"}));
}

TEST_F(ActivityViewTest, CaptureOffFreezesTheViewAndTicksItsMenus) {
    ASSERT_NE(Start(), nullptr);
    WriteLog(1, 3);
    Tick();
    ASSERT_EQ(Rows().size(), 3);
    QAction* menuItem = Frame().Action(cmd::kCaptureActivity);
    ASSERT_NE(menuItem, nullptr);
    EXPECT_TRUE(menuItem->isChecked());

    // Off through the view's context menu, which shows the item ticked.
    Ui().PushMenuChoice(cmd::kCaptureActivity);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
    QCoreApplication::sendEvent(Frame().Log()->viewport(), &event);
    const CUiSeam::MenuItem* item = Ui().LastMenuItem(cmd::kCaptureActivity);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(std::make_tuple(item->text, item->checked, App()->ActivityCapture(), menuItem->isChecked()),
              std::make_tuple("&Capture Activity Log info", true, false, false));

    WriteLog(1, 6);
    Tick();
    EXPECT_EQ(Rows().size(), 3);

    // On again from the main menu: every line newer than the newest shown comes.
    menuItem->trigger();
    EXPECT_EQ(std::make_pair(App()->ActivityCapture(), menuItem->isChecked()), std::make_pair(true, true));
    Seeder().Link()->SignalResultsChanged();
    Tick();
    EXPECT_EQ(std::make_tuple(Rows().size(), Row(0), Row(3)), std::make_tuple(6, Expected(6), Expected(3)));

    // A dismissed context menu changes nothing.
    QCoreApplication::sendEvent(Frame().Log()->viewport(), &event);
    EXPECT_FALSE(Ui().LastMenuItem(cmd::kCaptureActivity) == nullptr);
    EXPECT_TRUE(App()->ActivityCapture());
}

TEST_F(ActivityViewTest, ShowLogFileCommandSaysWhyNot) {
    // Where the log is and every way of failing are the model's; here the command reaches
    // it, and its message reaches the user.
    testsupport::RecordingLauncher launcher;
    options.launcher = &launcher;
    ASSERT_NE(Start(), nullptr);
    CSnLogSettings log;
    ASSERT_EQ(log.Read(Seeder()), 0);
    App()->OnCommand(cmd::kShowLogFile);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find(CurrentLogFilePath(log, Seeder().RootDirectory()).Str()), std::string::npos);
}

TEST_F(ActivityViewTest, DontShowAgainNoticeIsConfirmedWithoutShowingOnceSwitchedOff) {
    ASSERT_NE(Start(), nullptr);
    // Shown; OK with the box ticked.
    Ui().PushDialog([](QDialog& base) {
        auto& dialog = dynamic_cast<CDialogOkChecked&>(base);
        EXPECT_EQ(dialog.Message(), "Checks were copied.");
        EXPECT_FALSE(dialog.DontShowAgain());
        dialog.DontShowBox().setChecked(true);
        return static_cast<int>(QDialog::Accepted);
    });
    EXPECT_TRUE(CDialogOkChecked::Run(Ui(), &Frame(), "Copy", "Checks were copied.", "CopyNotice"));
    EXPECT_EQ(Ui().History().size(), 1u);
    // Switched off: confirmed, not shown.
    EXPECT_TRUE(CDialogOkChecked::Run(Ui(), &Frame(), "Copy", "Checks were copied.", "CopyNotice"));
    EXPECT_EQ(Ui().History().size(), 1u);
    EXPECT_EQ(Ui().Unscripted(), 0);
    // Another notice: closed without OK counts as not confirmed and stays on.
    EXPECT_FALSE(CDialogOkChecked::Run(Ui(), &Frame(), "Other", "Text", "OtherNotice"));
    EXPECT_EQ(Ui().Unscripted(), 1);
    EXPECT_EQ(prefs::ReadLong(kCheckedNoticeSubKey, "OtherNotice", -1), 0);
}

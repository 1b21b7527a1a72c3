// The UI seam answers from its script, records what it offered, and never blocks.
#include "manager/app/UiSeam.h"

#include <QAction>
#include <QDialog>
#include <QMenu>

#include <gtest/gtest.h>

TEST(UiSeam, ScriptedAnswersThenSafeDefaultsAreCounted) {
    CUiSeam ui;
    ui.SetScripted(true);
    ui.PushAnswer(CUiSeam::kYes);
    EXPECT_EQ(ui.Message("Go on?", CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo), CUiSeam::kYes);
    EXPECT_EQ(ui.Unscripted(), 0);
    EXPECT_EQ(ui.Message("Again?", CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo), CUiSeam::kNo);
    EXPECT_EQ(ui.Message("Sure?", CUiSeam::Icon::Warning, CUiSeam::Buttons::OkCancel), CUiSeam::kCancel);
    EXPECT_EQ(ui.Message("Done.", CUiSeam::Icon::Information), CUiSeam::kOk);
    EXPECT_EQ(ui.Unscripted(), 3);
    ASSERT_EQ(ui.History().size(), 4u);
    EXPECT_EQ(ui.History()[1].text, "Again?");
    EXPECT_EQ(ui.History()[2].icon, CUiSeam::Icon::Warning);

    QDialog dialog;
    dialog.setWindowTitle("Rename Check");
    ui.PushDialog([](QDialog& d) {
        d.setProperty("filled", true);
        return static_cast<int>(QDialog::Accepted);
    });
    EXPECT_EQ(ui.ExecDialog(dialog), CUiSeam::kAccepted);
    EXPECT_TRUE(dialog.property("filled").toBool());
    EXPECT_EQ(ui.ExecDialog(dialog), CUiSeam::kRejected);
    EXPECT_EQ(ui.History().back().text, "Rename Check");

    QMenu menu;
    QMenu* sub = menu.addMenu("Sub");
    QAction* greyed = sub->addAction("Greyed");
    greyed->setData(5);
    greyed->setEnabled(false);
    QAction* live = sub->addAction("Live");
    live->setData(6);
    ui.PushMenuChoice(5);
    EXPECT_EQ(ui.PopupMenu(menu, QPoint()), nullptr); // greyed items cannot be chosen
    ui.PushMenuChoice(6);
    EXPECT_EQ(ui.PopupMenu(menu, QPoint()), live);
    ASSERT_NE(ui.LastMenuItem(5), nullptr);
    EXPECT_FALSE(ui.LastMenuItem(5)->enabled);
    EXPECT_EQ(ui.LastMenu().size(), 3u);
    ui.Clear();
    EXPECT_TRUE(ui.History().empty());
}

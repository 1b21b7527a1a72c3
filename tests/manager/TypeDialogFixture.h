#pragma once
// The fixture of the type dialogs' round-trip tests: a started Manager, and a check-type
// dialog opened on W through the registry as the property sheet opens it (creating a
// check), played by `script`.
#include "ManagerFixture.h"
#include "manager/app/UiSeam.h"
#include "manager/checks/CheckDialogRegistry.h"
#include "model/tree/SnNode.h"

#include <QDialog>

#include <functional>

class TypeDialogTest : public ManagerTest {
protected:
    void SetUp() override {
        ManagerTest::SetUp();
        ASSERT_NE(Start(), nullptr);
    }
    int Open(CSnNode& w, std::int32_t type, std::function<int(QDialog&)> script) {
        Ui().PushDialog(std::move(script));
        const CCheckDialogRegistry::TypeDialog* dialog = App()->CheckDialogs().FindType(type);
        EXPECT_NE(dialog, nullptr) << type;
        return dialog != nullptr ? (*dialog)(&Frame(), w, type, {Ui(), App()->Store(), true, false}) : -1;
    }
};

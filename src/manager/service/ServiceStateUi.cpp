#include "manager/service/ServiceStateUi.h"

#include "manager/app/QMonApp.h"
#include "manager/service/ServiceCommands.h"

#include <QWidget>

bool CServiceStateUi::AskQuestion(const CQvcString& text) {
    return m_app.Ui().Message(text, CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo) != CUiSeam::kNo;
}

void CServiceStateUi::ShowInformation(const CQvcString& text) {
    m_app.Ui().Message(text, CUiSeam::Icon::Information);
}

void CServiceStateUi::OpenServiceDialog(bool startWhenOpened) {
    ::OpenServiceDialog(m_app, startWhenOpened);
}

#pragma once
// CServiceStateUi: the question, the notice and the Service dialog that the engine
// service's state opens (ISnServiceStateUi), through the application's UI seam.
#include "model/service/ISnServiceStateUi.h"

class CQMonApp;

class CServiceStateUi final : public ISnServiceStateUi {
public:
    explicit CServiceStateUi(CQMonApp& app) : m_app(app) {}

    bool AskQuestion(const CQvcString& text) override;
    void ShowInformation(const CQvcString& text) override;
    void OpenServiceDialog(bool startWhenOpened) override;

private:
    CQMonApp& m_app;
};

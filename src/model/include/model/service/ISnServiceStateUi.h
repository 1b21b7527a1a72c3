#pragma once
// ISnServiceStateUi: the message boxes and the dialog that CSnEngineServiceState opens.
// The Manager implements it through its message-box seam; tests script it.
#include "library/QvcString.h"

class ISnServiceStateUi {
public:
    virtual ~ISnServiceStateUi() = default;
    // A Yes/No question with the question icon; true unless the answer is No.
    virtual bool AskQuestion(const CQvcString& text) = 0;
    // A notice with the information icon.
    virtual void ShowInformation(const CQvcString& text) = 0;
    // The modal Service dialog; with `startWhenOpened` it starts the service at once.
    virtual void OpenServiceDialog(bool startWhenOpened) = 0;
};

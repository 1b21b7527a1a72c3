#pragma once
// CSnQueryRequest: asks the engine to run one database query now and say what it
// returned; the Database Query check's "Execute Query" sends it through the notification
// test exchange (files "DBQ<8 hex>.REQ" / ".PRC" / ".RSP" in the notification directory),
// so the query runs where the check will run, with the engine's drivers and rights.
//
// The answer is an ordinary CSnNotificationResponse:
//   ErrorCode         0 when the query ran; otherwise why not in ErrorDescription
//                     (kQueryNotSupported: the engine cannot run this connection at all)
//   Param[0]          the value of `Field` in the first row (of the first column when
//                     `Field` is empty); empty when no row came back
//   Param[1]          the names of the columns returned, joined by ", "
//   Param[2]          the number of rows returned
#include "model/notify/SnNotificationRequest.h"

class CSnNotificationResponse;

class CSnQueryRequest final : public CSnNotificationRequest {
public:
    // The error code of an answer for a connection this engine has no driver for.
    static constexpr std::int32_t kQueryNotSupported = 1002;

    CSnQueryRequest();

    CQvcString Connection; // the connection text as stored ("<SNROOT>" allowed)
    CQvcString Password;   // written scrambled ("EPassword")
    CQvcString Query;
    CQvcString Field;

protected:
    void ExchangeFields() override;
};

// What "Execute Query" shows for an answer: the rows, the fields and, when a row came
// back, the value compared.
CQvcString QueryResultText(const CSnNotificationResponse& response);

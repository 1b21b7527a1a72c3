#include "model/notify/SnQueryRequest.h"

#include "model/notify/SnNotificationResponse.h"

CSnQueryRequest::CSnQueryRequest() : CSnNotificationRequest(kRequestQuery, "QueryRequest") {}

void CSnQueryRequest::ExchangeFields() {
    Text("Connection", Connection);
    Secret("EPassword", Password);
    Text("Query", Query);
    Text("Field", Field);
}

CQvcString QueryResultText(const CSnNotificationResponse& response) {
    if (response.ErrorCode != 0) {
        CQvcString text;
        text.Format("Result: Query failed\rError code: %ld\rError description: %s",
                    static_cast<long>(response.ErrorCode), response.ErrorDescription.c_str());
        return text;
    }
    CQvcString text = CQvcString("Result: Query executed successfully\rRows returned: ") + response.Param[2] +
                      "\rFields: " + response.Param[1];
    if (response.Param[2] != "0")
        text += CQvcString("\rValue: ") + response.Param[0];
    return text;
}

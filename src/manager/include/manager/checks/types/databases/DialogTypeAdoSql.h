#pragma once
// CDialogTypeAdoSql: "Database Query (Generic) Check" (type 111): the connection text
// (shown with the Engine root, stored with "<SNROOT>"), its password, the query, the field
// compared, its data type and one or two conditions, through DatabaseQuerySettings.
//
// "Execute Query" has the engine run the query now: it sends a query request through the
// notification test exchange, shows the exchange's state once a second in the status
// line (sending, processing, time-out) and the engine's answer below it.  Without an
// open configuration there is no engine to ask and the button is disabled.
#include "manager/checks/types/DialogCheck.h"

#include <memory>

class CNotificationTestExchange;
class QTimer;
struct DatabaseQuerySettings;

class CDialogTypeAdoSql final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeAdoSql(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);
    ~CDialogTypeAdoSql() override; // withdraws a query still under way

    // "Execute Query": checks the connection text and the query, then sends the request;
    // pressed again while one is under way, it stops waiting for it.
    void ExecuteQuery();
    // One tick of the 1-second timer (tests call it directly).
    void OnQueryTick();
    QPushButton* ExecuteButton() const { return m_execute; }
    QLabel* QueryStatus() const { return m_status; }
    QLabel* QueryResult() const { return m_result; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    DatabaseQuerySettings Fields() const;
    std::string EngineRoot() const;

    QLineEdit* m_connection = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_query = nullptr;
    QPushButton* m_execute = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_result = nullptr;
    QLineEdit* m_field = nullptr;
    QComboBox* m_type = nullptr;
    QComboBox* m_operator1 = nullptr;
    QLineEdit* m_value1 = nullptr;
    QComboBox* m_operator2 = nullptr;
    QLineEdit* m_value2 = nullptr;
    QTimer* m_timer = nullptr;
    std::unique_ptr<CNotificationTestExchange> m_exchange;
};

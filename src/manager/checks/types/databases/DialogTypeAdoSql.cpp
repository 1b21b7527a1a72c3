#include "manager/checks/types/databases/DialogTypeAdoSql.h"

#include "manager/app/UiSeam.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/link/SnIPC.h"
#include "model/notify/NotificationTestExchange.h"
#include "model/notify/SnQueryRequest.h"
#include "model/store/SnCfg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A code combo whose first entry, empty, stands for "none chosen" (code 0).
QComboBox* CodeCombo(QWidget* parent, const std::vector<CodeTableEntry>& table, const char* name) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItem(QString(), 0);
    for (const CodeTableEntry& entry : table)
        combo->addItem(QString::fromUtf8(entry.Text), entry.Code);
    return combo;
}

void SetCode(QComboBox& combo, int code) { combo.setCurrentIndex(std::max(0, combo.findData(code))); }
int Code(const QComboBox& combo) { return combo.currentData().toInt(); }

const std::vector<CodeTableEntry>& DataTypes() {
    static const std::vector<CodeTableEntry> types = {{DatabaseQuerySettings::kNumber, "Number"},
                                                      {DatabaseQuerySettings::kText, "Text"}};
    return types;
}

} // namespace

CDialogTypeAdoSql::CDialogTypeAdoSql(QWidget* parent, CSnNode& w, std::int32_t, const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeDatabaseQuery, ctx, "Database Query (Generic) Check") {
    setObjectName("adoSqlDialog");
    m_connection = &AddTextRow("&Connection string:");
    m_connection->setObjectName("connection");
    m_connection->setPlaceholderText("Driver=SQLite3;Database=<SNROOT>Logs\\data.db");
    m_password = &AddTextRow("&Password:");
    m_password->setObjectName("password");
    m_password->setEchoMode(QLineEdit::Password);
    m_query = &AddTextRow("&Query:");
    m_query->setObjectName("query");
    m_execute = new QPushButton("&Execute Query", this);
    m_execute->setObjectName("executeQuery");
    m_execute->setAutoDefault(false);
    m_status = new QLabel(this);
    m_status->setObjectName("queryStatus");
    m_status->setWordWrap(true);
    auto* executeRow = new QHBoxLayout;
    executeRow->addWidget(m_execute);
    executeRow->addWidget(m_status, 1);
    Form().addRow(QString(), executeRow);
    m_result = new QLabel(this);
    m_result->setObjectName("queryResult");
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Form().addRow(QString(), m_result);

    BeginGroup("Result");
    m_field = &AddTextRow("&Field:");
    m_field->setObjectName("field");
    m_type = CodeCombo(this, DataTypes(), "dataType");
    Form().addRow(BuddyLabel("&Data type:", m_type), m_type);
    const auto condition = [this](const QString& label, QComboBox*& op, QLineEdit*& value, const char* name) {
        op = CodeCombo(this, ComparisonOperators(), name);
        value = new QLineEdit(this);
        value->setObjectName(QString(name) + "Value");
        auto* row = new QHBoxLayout;
        row->addWidget(op);
        row->addWidget(value, 1);
        Form().addRow(BuddyLabel(label, op), row);
    };
    condition("&Value is:", m_operator1, m_value1, "operator1");
    QCheckBox& second = AddOption("Compare with a &second condition:", 1);
    second.setObjectName("useSecond");
    QButtonGroup& join = AddOptionChoice(2, {{"AND", '0'}, {"OR", '1'}});
    join.button('0')->setObjectName("and");
    join.button('1')->setObjectName("or");
    condition("and &the value is:", m_operator2, m_value2, "operator2");
    for (QWidget* field :
         std::initializer_list<QWidget*>{join.button('0'), join.button('1'), m_operator2, m_value2}) {
        field->setEnabled(false); // until the box is set
        connect(&second, &QAbstractButton::toggled, field, &QWidget::setEnabled);
    }
    EndGroup();

    const DatabaseQuerySettings s = DatabaseQuerySettings::Read(Initial());
    m_connection->setText(Q(ConnectionWithRoot(s.Connection, EngineRoot())));
    m_password->setText(Q(s.Password));
    m_query->setText(Q(s.Query));
    m_field->setText(Q(s.Field));
    SetCode(*m_type, s.Type);
    SetCode(*m_operator1, s.Operator1);
    m_value1->setText(Q(s.Value1));
    SetCode(*m_operator2, s.Operator2);
    m_value2->setText(Q(s.Value2));
    ShowOptions(s);

    CSnIPC* link = ctx.cfg != nullptr ? ctx.cfg->Link() : nullptr;
    m_execute->setEnabled(link != nullptr && !link->NotificationDirectory().IsEmpty());
    if (m_execute->isEnabled())
        m_exchange = std::make_unique<CNotificationTestExchange>(TestDialogKind::Query, link->RootDirectory(),
                                                                 link->NotificationDirectory(),
                                                                 [] { return std::chrono::steady_clock::now(); });
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &CDialogTypeAdoSql::OnQueryTick);
    connect(m_execute, &QPushButton::clicked, this, &CDialogTypeAdoSql::ExecuteQuery);
    Finish();
}

CDialogTypeAdoSql::~CDialogTypeAdoSql() = default;

std::string CDialogTypeAdoSql::EngineRoot() const {
    const CSnCfg* cfg = Context().cfg;
    if (cfg == nullptr)
        return {};
    return (cfg->Link() != nullptr ? cfg->Link()->RootDirectory() : cfg->RootDirectory()).Str();
}

DatabaseQuerySettings CDialogTypeAdoSql::Fields() const {
    DatabaseQuerySettings s = DatabaseQuerySettings::Read(Initial());
    s.Connection = ConnectionWithRootPlaceholder(m_connection->text().trimmed().toStdString(), EngineRoot());
    s.Password = m_password->text().toStdString();
    s.Query = m_query->text().toStdString();
    s.Field = m_field->text().trimmed().toStdString();
    s.Type = Code(*m_type);
    s.Operator1 = Code(*m_operator1);
    s.Value1 = m_value1->text().toStdString();
    s.Operator2 = Code(*m_operator2);
    s.Value2 = m_value2->text().toStdString();
    return s;
}

bool CDialogTypeAdoSql::Collect(CSnNodeCfgFunction& out) {
    WriteOptions(out);
    DatabaseQuerySettings s = Fields();
    const DatabaseQuerySettings options = DatabaseQuerySettings::Read(out);
    s.UseSecond = options.UseSecond;
    s.EitherCondition = options.EitherCondition;
    if (!PassesAt(CheckDatabaseQueryFields(s), {m_connection, m_query, m_field, m_type, m_operator1, m_operator2,
                                                 m_value1, m_value2}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeAdoSql::ExecuteQuery() {
    if (!m_exchange)
        return;
    using State = CNotificationTestExchange::State;
    const DatabaseQuerySettings s = Fields();
    const State state = m_exchange->CurrentState();
    if (state == State::Idle || state == State::Answered) {
        if (!PassesAt(CheckQueryToExecute(s), {m_connection, m_query}))
            return;
        // Requests of earlier tries still queued would keep the engine busy first.
        if (m_exchange->Open(std::nullopt) == CNotificationTestExchange::Opening::AskToClearQueue) {
            if (Context().seam.Message(m_exchange->PendingQuestion(), CUiSeam::Icon::Question,
                                       CUiSeam::Buttons::YesNo) != CUiSeam::kYes)
                return;
            m_exchange->ClearQueue();
        }
    }
    auto request = std::make_unique<CSnQueryRequest>();
    request->Connection = s.Connection;
    request->Password = s.Password;
    request->Query = s.Query;
    request->Field = s.Field;
    if (m_exchange->Send(std::move(request), s.Connection, CQvcString()) !=
        CNotificationTestExchange::SendResult::Sent) {
        m_status->clear(); // a request under way: waiting for it was stopped
        m_timer->stop();
        return;
    }
    m_result->clear();
    m_timer->start(1000);
    OnQueryTick();
}

void CDialogTypeAdoSql::OnQueryTick() {
    if (!m_exchange)
        return;
    const CNotificationTestExchange::TickView view = m_exchange->Tick();
    if (!view.Active)
        return;
    m_status->setText(QString::fromStdString(view.Status.Str()));
    if (!view.Result.IsEmpty()) {
        m_status->clear();
        m_result->setText(QString::fromStdString(view.Result.Str()).replace('\r', '\n'));
    }
    if (m_exchange->CurrentState() == CNotificationTestExchange::State::Idle)
        m_timer->stop();
}

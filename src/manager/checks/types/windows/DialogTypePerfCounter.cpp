#include "manager/checks/types/windows/DialogTypePerfCounter.h"

#include "manager/app/UiSeam.h"
#include "model/checks/CheckTypes.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CDialogPerfCounterEntry::CDialogPerfCounterEntry(CUiSeam& seam, const PerfCounterSettings::Counter& counter,
                                                 QWidget* parent)
    : QDialog(parent), m_seam(seam) {
    setWindowTitle("Performance Counter");
    setObjectName("perfCounterEntry");
    auto* form = new QFormLayout(this);
    m_path = new QLineEdit(QString::fromStdString(counter.Path), this);
    m_path->setMinimumWidth(320);
    m_path->setPlaceholderText("\\Processor(_Total)\\% Processor Time");
    m_operator = new QComboBox(this);
    for (const CodeTableEntry& entry : ComparisonOperators())
        m_operator->addItem(QString::fromUtf8(entry.Text), entry.Code);
    m_operator->setCurrentIndex(m_operator->findData(counter.Operator));
    m_limit = new QLineEdit(QString::fromStdString(counter.Limit), this);
    auto label = [this](const char* text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    form->addRow(label("&Counter:", m_path), m_path);
    form->addRow(label("The value must be:", m_operator), m_operator);
    form->addRow(label("&Value:", m_limit), m_limit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogPerfCounterEntry::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

PerfCounterSettings::Counter CDialogPerfCounterEntry::Counter() const {
    return {m_path->text().trimmed().toStdString(), m_operator->currentData().toInt(),
            m_limit->text().trimmed().toStdString()};
}

void CDialogPerfCounterEntry::accept() {
    const PerfCounterSettings::Counter c = Counter();
    const DialogRefusal refusal = CheckPerfCounterEntry(c.Path, c.Operator, c.Limit);
    if (refusal.Refused()) {
        m_seam.Message(refusal.Text, CUiSeam::Icon::Warning);
        const std::initializer_list<QWidget*> fields{m_path, m_operator, m_limit};
        fields.begin()[refusal.Field]->setFocus();
        return;
    }
    QDialog::accept();
}

CDialogTypePerfCounter::CDialogTypePerfCounter(QWidget* parent, CSnNode& w, std::int32_t,
                                               const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypePerformanceCounters, ctx, "Performance Counters Check") {
    setObjectName("perfCounterDialog");
    AddHostRow("&Computer:");
    m_list = new QListWidget(this);
    m_list->setMinimumSize(380, 120);
    m_add = new QPushButton("&Add...", this);
    m_edit = new QPushButton("&Edit...", this);
    m_remove = new QPushButton("&Remove", this);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {m_add, m_edit, m_remove})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(m_list, 1);
    row->addLayout(buttons);
    Form().addRow(BuddyLabel("Co&unters:", m_list), row);
    AddCredentialsRow();
    connect(m_add, &QPushButton::clicked, this, [this] { Edit(-1); });
    connect(m_edit, &QPushButton::clicked, this, [this] { Edit(m_list->currentRow()); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Edit(m_list->currentRow()); });
    connect(m_remove, &QPushButton::clicked, this, [this] {
        const int row = m_list->currentRow();
        if (row < 0)
            return;
        m_counters.erase(m_counters.begin() + row);
        Refill(std::min(row, static_cast<int>(m_counters.size()) - 1));
    });
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        m_edit->setEnabled(row >= 0);
        m_remove->setEnabled(row >= 0);
    });

    const PerfCounterSettings s = PerfCounterSettings::Read(Initial());
    HostField()->setText(QString::fromStdString(s.Computer));
    m_counters = s.Counters;
    Refill(m_counters.empty() ? -1 : 0);
    Finish();
}

void CDialogTypePerfCounter::Refill(int current) {
    m_list->clear();
    for (const PerfCounterSettings::Counter& c : m_counters)
        m_list->addItem(QString("%1   %2 %3")
                            .arg(QString::fromStdString(c.Path), DialogTextOf(ComparisonOperators(), c.Operator),
                                 QString::fromStdString(c.Limit)));
    m_list->setCurrentRow(current);
    m_edit->setEnabled(current >= 0);
    m_remove->setEnabled(current >= 0);
}

// Row -1 adds a counter.
void CDialogTypePerfCounter::Edit(int row) {
    const bool adding = row < 0 || row >= static_cast<int>(m_counters.size());
    CDialogPerfCounterEntry editor(Context().seam, adding ? PerfCounterSettings::Counter{} : m_counters[row], this);
    if (Context().seam.ExecDialog(editor) != CUiSeam::kAccepted)
        return;
    if (adding) {
        m_counters.push_back(editor.Counter());
        row = static_cast<int>(m_counters.size()) - 1;
    } else {
        m_counters[row] = editor.Counter();
    }
    Refill(row);
}

bool CDialogTypePerfCounter::Collect(CSnNodeCfgFunction& out) {
    const PerfCounterSettings s{HostField()->text().trimmed().toStdString(), m_counters};
    if (!PassesAt(CheckPerfCounterFields(s, HostLimits()), {HostField(), m_list}))
        return false;
    s.Write(out);
    WriteCredentials(out);
    return true;
}

#include "manager/checks/DialogSchedules.h"

#include "library/Messages.h"
#include "manager/app/UiSeam.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <memory>

namespace {

using Use = CScheduleListEditor::Use;

constexpr int kOffset = 100;        // the global dialog sits this far up and left of centre
constexpr int kMaxHours = 24 * 366; // a window of up to a year
// The day boxes as they are shown, Monday first, with their index in an entry's days.
constexpr struct {
    const char* text;
    int day;
} kShownDays[] = {{"Mo", CSnCfgSchedule::kMonday},    {"Tu", CSnCfgSchedule::kTuesday},
                  {"We", CSnCfgSchedule::kWednesday}, {"Th", CSnCfgSchedule::kThursday},
                  {"Fr", CSnCfgSchedule::kFriday},    {"Sa", CSnCfgSchedule::kSaturday},
                  {"Su", CSnCfgSchedule::kSunday}};

QString Q(const CQvcString& text) {
    return QString::fromStdString(text.Str());
}

CUiSeam::Icon IconOf(const sheetrules::Refusal& refusal) {
    return refusal.ErrorIcon ? CUiSeam::Icon::Error : CUiSeam::Icon::Warning;
}

// A pattern of the date and time settings as a picker's display format.  A run of "m"
// means the minute in a time picker and the month in a date picker; "t" is the AM/PM
// marker; any other letter is quoted so that the picker does not read it as a field.
QString PickerFormat(const CQvcString& pattern, bool timePicker) {
    const std::string& p = pattern.Str();
    QString out;
    for (std::size_t i = 0; i < p.size();) {
        const char c = p[i];
        std::size_t run = 1;
        while (i + run < p.size() && p[i + run] == c)
            ++run;
        if (c == '\'') {
            // A quoted part is copied through its closing quote; Qt quotes the same way.
            const std::size_t end = p.find('\'', i + 1);
            const std::size_t stop = end == std::string::npos ? p.size() : end + 1;
            out += QString::fromStdString(p.substr(i, stop - i));
            i = stop;
            continue;
        }
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const int n = static_cast<int>(run);
        if (lower == 'y')
            out += n >= 3 ? "yyyy" : "yy";
        else if (lower == 'd')
            out += QString(std::min(n, 4), 'd');
        else if (c == 'M' || (c == 'm' && !timePicker))
            out += QString(std::min(n, 4), 'M');
        else if (c == 'm')
            out += QString(std::min(n, 2), 'm');
        else if (c == 'h' || c == 'H')
            out += QString(std::min(n, 2), c);
        else if (lower == 's')
            out += QString(std::min(n, 2), 's');
        else if (lower == 't')
            out += "AP";
        else if (std::isalpha(static_cast<unsigned char>(c)))
            out += "'" + QString::fromStdString(p.substr(i, run)) + "'";
        else
            out += QString::fromStdString(p.substr(i, run));
        i += run;
    }
    return out;
}

} // namespace

// --- the shared body -------------------------------------------------------------------

CScheduleDialog::CScheduleDialog(Use use, const CSnCfgScheduleList& list, CUiSeam& seam,
                                 const CSnDateTimeSettings& formats, QWidget* parent)
    : QDialog(parent), m_use(use), m_editor(use, list), m_seam(seam), m_formats(formats) {
    const bool maintenance = use != Use::Scan;
    m_outer = new QVBoxLayout(this);
    m_listPart = new QWidget;
    auto* grid = new QGridLayout(m_listPart);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;

    auto* listRow = new QHBoxLayout;
    m_list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list.setMinimumSize(340, 150);
    listRow->addWidget(&m_list, 1);
    auto* removeColumn = new QVBoxLayout;
    removeColumn->addWidget(&m_remove);
    removeColumn->addStretch();
    listRow->addLayout(removeColumn);
    grid->addLayout(listRow, row++, 0, 1, 3);

    if (maintenance) {
        m_hours.setRange(0, kMaxHours);
        // A check's own window starts at one hour, since nothing refuses an empty one there;
        // the global list refuses 0 hours and so starts empty-handed.
        if (m_use != Use::GlobalMaintenance)
            m_hours.setValue(1);
        auto* hoursRow = new QHBoxLayout;
        hoursRow->addWidget(&m_hours);
        hoursRow->addWidget(new QLabel("hours"));
        hoursRow->addStretch();
        grid->addWidget(new QLabel("Servers/devices will be unavailable for:"), row, 0, 1, 2);
        grid->addLayout(hoursRow, row++, 2);
    }

    m_time.setDisplayFormat(PickerFormat(m_formats.TimeFormat, true));
    m_time.setTime(QTime(QTime::currentTime().hour(), QTime::currentTime().minute()));
    // "At:" follows the days in the scan dialog and the hours in the maintenance ones.
    auto addTime = [&] {
        grid->addWidget(new QLabel("At:"), row, 0);
        grid->addWidget(&m_time, row++, 1, 1, 2, Qt::AlignLeft);
    };
    if (maintenance)
        addTime();

    auto* daysRow = new QHBoxLayout;
    for (const auto& shown : kShownDays) {
        QCheckBox& box = Day(shown.day);
        box.setText(shown.text);
        daysRow->addWidget(&box);
        connect(&box, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
    }
    daysRow->addStretch();
    if (maintenance) {
        auto* choice = new QButtonGroup(this);
        choice->addButton(&m_dayOfWeek);
        choice->addButton(&m_thisDate);
        m_dayOfWeek.setChecked(true);
        m_date.setDisplayFormat(PickerFormat(m_formats.DateFormat, false));
        m_date.setCalendarPopup(true);
        m_date.setDate(QDate::currentDate());
        grid->addWidget(new QLabel("On:"), row, 0);
        grid->addWidget(&m_dayOfWeek, row, 1);
        grid->addLayout(daysRow, row++, 2);
        grid->addWidget(&m_thisDate, row, 1);
        grid->addWidget(&m_date, row++, 2, Qt::AlignLeft);
        connect(&m_dayOfWeek, &QRadioButton::toggled, this, [this] { UpdateEnabling(); });
    } else {
        // The maintenance-only controls stay hidden children of the dialog.
        for (QWidget* unused :
             std::initializer_list<QWidget*>{&m_hours, &m_dayOfWeek, &m_thisDate, &m_date}) {
            unused->setParent(this);
            unused->hide();
        }
        grid->addWidget(new QLabel("Every:"), row, 0);
        grid->addLayout(daysRow, row++, 1, 1, 2);
        addTime();
    }
    grid->setColumnStretch(2, 1);

    m_add.setText(maintenance ? "&Add this Schedule to Maintenance Schedules"
                              : "&Add this Schedule to Monitor Schedules");
    grid->addWidget(&m_add, row++, 0, 1, 3, Qt::AlignLeft);
    m_outer->addWidget(m_listPart);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_outer->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CScheduleDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&m_add, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(&m_remove, &QPushButton::clicked, this, [this] { OnRemove(); });
    connect(&m_list, &QListWidget::itemSelectionChanged, this, [this] { UpdateEnabling(); });

    for (const CSnCfgSchedule& entry : m_editor.Rows())
        AddRow(entry);
    m_list.clearSelection();
    UpdateEnabling();
}

CSnCfgSchedule CScheduleDialog::Typed() const {
    CSnCfgSchedule entry;
    QDate day = QDate::currentDate();
    if (m_use != Use::Scan && m_thisDate.isChecked()) {
        entry.Kind = CSnCfgSchedule::kKindDate;
        day = m_date.date();
        entry.Date = static_cast<std::int32_t>(QDateTime(day, QTime(0, 0)).toSecsSinceEpoch());
    } else {
        for (std::size_t i = 0; i < m_days.size(); ++i)
            entry.Days[i] = m_days[i].isChecked() ? 1 : 0;
    }
    entry.Time = static_cast<std::int32_t>(QDateTime(day, m_time.time()).toSecsSinceEpoch());
    entry.Hours = m_use == Use::Scan ? 0 : m_hours.value();
    return entry;
}

void CScheduleDialog::AddRow(const CSnCfgSchedule& entry) {
    const CQvcString text = entry.Describe(m_formats.DateFormat, m_formats.TimeFormat, m_use != Use::Scan);
    m_list.addItem(Q(text));
    m_list.clearSelection();
    m_list.setCurrentRow(m_list.count() - 1, QItemSelectionModel::ClearAndSelect);
}

bool CScheduleDialog::OnAdd() {
    const CScheduleListEditor::AddResult result = m_editor.Add(Typed());
    if (result.Message.Refused()) {
        m_seam.Message(result.Message.Text, IconOf(result.Message));
        return false;
    }
    if (result.Added)
        AddRow(m_editor.Rows().back());
    for (QCheckBox& box : m_days)
        box.setChecked(false);
    return true;
}

void CScheduleDialog::OnRemove() {
    // Highest row first, so that the lower indexes stay valid.
    std::vector<int> rows;
    for (const QModelIndex& index : m_list.selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.rbegin(), rows.rend());
    for (int row : rows) {
        m_editor.Remove(row);
        std::unique_ptr<QListWidgetItem> taken(m_list.takeItem(row)); // the list hands it over
    }
    UpdateEnabling();
}

void CScheduleDialog::UpdateEnabling() {
    m_remove.setEnabled(m_list.selectionModel()->hasSelection());
    for (QCheckBox& box : m_days)
        box.setEnabled(m_use == Use::Scan || m_dayOfWeek.isChecked());
    m_date.setEnabled(m_thisDate.isChecked());
}

void CScheduleDialog::accept() {
    if (m_editor.HasPendingEntry(Typed())) {
        const int answer =
            m_seam.Message(MessageText(51696), CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo);
        if (answer == CUiSeam::kYes && !OnAdd())
            return;
    }
    const sheetrules::Refusal refusal = m_editor.CheckOk();
    if (refusal.Refused()) {
        m_seam.Message(refusal.Text, IconOf(refusal));
        return;
    }
    QDialog::accept();
}

// --- the three dialogs -------------------------------------------------------------------

CDialogServerSchedules::CDialogServerSchedules(const CSnCfgScheduleList& list, CUiSeam& seam,
                                               const CSnDateTimeSettings& formats, QWidget* parent)
    : CScheduleDialog(Use::Scan, list, seam, formats, parent) {
    setObjectName("serverSchedulesDialog");
    setWindowTitle("Configure Schedule(s)");
}

CDialogAdvancedOptionsMaintenance::CDialogAdvancedOptionsMaintenance(bool ownSchedules,
                                                                     const CSnCfgScheduleList& list,
                                                                     CUiSeam& seam,
                                                                     const CSnDateTimeSettings& formats,
                                                                     QWidget* parent)
    : CScheduleDialog(Use::CheckMaintenance, list, seam, formats, parent) {
    setObjectName("checkMaintenanceDialog");
    setWindowTitle("Maintenance");
    auto* choice = new QButtonGroup(this);
    choice->addButton(&m_global);
    choice->addButton(&m_own);
    (ownSchedules ? m_own : m_global).setChecked(true);
    Outer().insertWidget(0, &m_global);
    Outer().insertWidget(1, &m_own);
    ListPart().setContentsMargins(20, 0, 0, 0);
    connect(&m_own, &QRadioButton::toggled, this, [this] { UpdateEnabling(); });
    UpdateEnabling();
}

void CDialogAdvancedOptionsMaintenance::UpdateEnabling() {
    CScheduleDialog::UpdateEnabling();
    ListPart().setEnabled(m_own.isChecked());
}

CDialogGlobalMaintenance::CDialogGlobalMaintenance(const CSnCfgScheduleList& list, CUiSeam& seam,
                                                   const CSnDateTimeSettings& formats, QWidget* parent)
    : CScheduleDialog(Use::GlobalMaintenance, list, seam, formats, parent) {
    setObjectName("globalMaintenanceDialog");
    setWindowTitle("Maintenance");
    adjustSize();
    if (parent != nullptr) {
        QRect frame = geometry();
        frame.moveCenter(parent->geometry().center());
        move(frame.topLeft() - QPoint(kOffset, kOffset));
    }
}

#include "manager/checks/types/scripts/ScriptCallRows.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QString Q(const CQvcString& text) {
    return QString::fromStdString(text.Str());
}

// A read-only line for a text of the header.
QLineEdit* ShownLine(QWidget& owner, const char* name) {
    auto* line = new QLineEdit(&owner);
    line->setObjectName(name);
    line->setReadOnly(true);
    return line;
}

} // namespace

QPushButton* NamedButton(QWidget* owner, const QString& text, const char* name) {
    auto* button = new QPushButton(text, owner);
    button->setObjectName(name);
    return button;
}

ScriptFileRows ScriptFileRows::Build(QWidget& owner, QFormLayout& form, const QString& label) {
    ScriptFileRows rows;
    rows.file = new QComboBox(&owner);
    rows.file->setObjectName("file");
    rows.file->setEditable(true);
    rows.file->setMinimumWidth(380);
    rows.file->setInsertPolicy(QComboBox::NoInsert);
    rows.browse = NamedButton(&owner, "...", "browse");
    rows.browse->setMaximumWidth(32);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(rows.file, 1);
    fileRow->addWidget(rows.browse);
    auto* buddy = new QLabel(label, &owner);
    buddy->setBuddy(rows.file);
    form.addRow(buddy, fileRow);
    rows.newFile = NamedButton(&owner, "New File...", "newFile");
    rows.deleteFile = NamedButton(&owner, "Delete File...", "deleteFile");
    auto* fileButtons = new QHBoxLayout;
    fileButtons->addStretch(1);
    fileButtons->addWidget(rows.newFile);
    fileButtons->addWidget(rows.deleteFile);
    form.addRow(QString(), fileButtons);
    return rows;
}

ScriptCallRows ScriptCallRows::Build(QWidget& owner, QFormLayout& form) {
    ScriptCallRows rows;
    rows.description = new QPlainTextEdit(&owner);
    rows.description->setObjectName("description");
    rows.description->setReadOnly(true);
    rows.description->setFixedHeight(rows.description->fontMetrics().lineSpacing() * 9);
    rows.description->setMinimumWidth(480);
    form.addRow("Description:", rows.description);
    rows.usage = ShownLine(owner, "usage");
    form.addRow("Usage:", rows.usage);
    rows.sample = ShownLine(owner, "sample");
    form.addRow("Sample:", rows.sample);
    auto* box = new QGroupBox("Parameters", &owner);
    auto* params = new QFormLayout(box);
    for (std::size_t i = 0; i < rows.params.size(); ++i) {
        auto* field = new QLineEdit(box);
        field->setObjectName(QString("param%1").arg(i + 1));
        auto* label = new QLabel(QString("&%1:").arg(i + 1), box);
        label->setBuddy(field);
        params->addRow(label, field);
        rows.params[i] = field;
    }
    form.addRow(box);
    return rows;
}

void ScriptCallRows::ShowHeader(const CParserScript* parser) const {
    description->setPlainText(parser != nullptr ? Q(parser->Description()) : QString());
    usage->setText(parser != nullptr ? Q(parser->Usage()) : QString());
    sample->setText(parser != nullptr ? Q(parser->Sample()) : QString());
    usage->setCursorPosition(0);
    sample->setCursorPosition(0);
}

void ScriptCallRows::FillFromSample(const CParserScript& parser) const {
    const bool hasSample = !parser.SampleName().IsEmpty();
    const CParserScript::Slots& args = hasSample ? parser.SampleArgs() : parser.UsageArgs();
    for (std::size_t i = 0; i < params.size(); ++i)
        params[i]->setText(Q(args[i]));
}

void ScriptCallRows::SetParams(const std::vector<std::string>& values) const {
    for (std::size_t i = 0; i < params.size(); ++i)
        params[i]->setText(i < values.size() ? QString::fromStdString(values[i]) : QString());
}

std::vector<std::string> ScriptCallRows::Params() const {
    std::vector<std::string> values;
    for (const QLineEdit* field : params)
        values.push_back(field->text().toStdString());
    return values;
}

#pragma once
// What the VBScript and PowerShell check dialogs show below the chosen file: the header
// comment of the chosen function (or of the whole .ps1 file) read by the script readers,
// its description, usage and sample, and the six parameters the check passes.
#include "model/scripts/ParserScript.h"

#include <QString>

#include <array>
#include <string>
#include <vector>

class QComboBox;
class QFormLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// A push button with its object name.
QPushButton* NamedButton(QWidget* owner, const QString& text, const char* name);

// The rows both script dialogs start with: the editable list of script files under
// `label` with "..." to browse beside it, and "New File..." / "Delete File..." below.
struct ScriptFileRows {
    QComboBox* file = nullptr;
    QPushButton* browse = nullptr;
    QPushButton* newFile = nullptr;
    QPushButton* deleteFile = nullptr;

    static ScriptFileRows Build(QWidget& owner, QFormLayout& form, const QString& label);
};

struct ScriptCallRows {
    QPlainTextEdit* description = nullptr;
    QLineEdit* usage = nullptr;
    QLineEdit* sample = nullptr;
    std::array<QLineEdit*, 6> params{};

    // Description, "Usage:", "Sample:" into `form`, then a "Parameters" box with "1:".."6:".
    static ScriptCallRows Build(QWidget& owner, QFormLayout& form);
    // The texts of the last read; empty texts for none.
    void ShowHeader(const CParserScript* parser) const;
    // Parameters 1..6 from the sample's arguments, or the usage's when there is no sample.
    void FillFromSample(const CParserScript& parser) const;
    void SetParams(const std::vector<std::string>& values) const;
    std::vector<std::string> Params() const;
};

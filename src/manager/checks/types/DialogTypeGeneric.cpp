#include "manager/checks/types/DialogTypeGeneric.h"

#include "model/checks/CheckTypes.h"
#include "model/tree/SnNode.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

namespace {

QString TypeTitle(std::int32_t type) {
    return QString("%1 Check").arg(QString::fromUtf8(CheckTypeName(type)));
}

} // namespace

CDialogTypeGeneric::CDialogTypeGeneric(QWidget* parent, CSnNode& w, std::int32_t type,
                                       const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, type, ctx, TypeTitle(type)) {
    setObjectName("genericTypeDialog");
    const bool own = w.Cfg.Function.Type == type;
    QString text = QString("The settings dialog of the check type \"%1\" is not available yet.\n")
                       .arg(QString::fromUtf8(CheckTypeName(type)));
    text += own ? "The check keeps its settings as they are: OK changes none of them."
                : "A check of this type starts with the settings below, the type's defaults.";
    m_notice = new QLabel(text, this);
    m_notice->setObjectName("genericNotice");
    m_notice->setWordWrap(true);
    m_notice->setMinimumWidth(480);
    Form().addRow(m_notice);

    const CSnNodeCfgFunction& f = Initial();
    m_fields = new QTreeWidget(this);
    m_fields->setObjectName("genericFields");
    m_fields->setHeaderLabels({"Setting", "Value"});
    m_fields->setRootIsDecorated(false);
    m_fields->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    const std::pair<const char*, const CQvcString*> texts[] = {
        {"Host", &f.ParamServer},
        {"Param1", &f.Param1},
        {"Param2", &f.Param2},
        {"Param3", &f.Param3},
        {"Param4", &f.Param4},
        {"Param5", &f.Param5},
        {"Param6", &f.Param6},
        {"Param7", &f.Param7},
        {"Param8", &f.Param8},
        {"Options", &f.ParamByteCodes},
        {"Login", &f.ParamLogin},
        {"Login 2", &f.ParamLogin2},
        {"Credentials server", &f.CredentialsServer},
    };
    for (const auto& [name, value] : texts)
        if (!value->IsEmpty())
            new QTreeWidgetItem(m_fields, {name, QString::fromStdString(value->Str())});
    // Passwords are stored scrambled; whether one is set is all the page tells.
    for (const auto& [name, value] :
         {std::pair{"Password", &f.ParamPassword}, std::pair{"Password 2", &f.ParamPassword2}})
        if (!value->IsEmpty())
            new QTreeWidgetItem(m_fields, {name, "(set)"});
    if (f.ScriptTimeout != 0)
        new QTreeWidgetItem(m_fields, {"Script time-out", QString::number(f.ScriptTimeout)});
    if (m_fields->topLevelItemCount() == 0)
        new QTreeWidgetItem(m_fields, {"(none)", ""});
    m_fields->setMinimumSize(480, 160);
    Form().addRow(m_fields);
    Finish();
}

QString CDialogTypeGeneric::Notice() const {
    return m_notice->text();
}

bool CDialogTypeGeneric::Collect(CSnNodeCfgFunction& out) {
    out = Initial();
    return true;
}

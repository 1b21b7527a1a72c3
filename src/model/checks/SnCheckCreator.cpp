#include "model/checks/SnCheckCreator.h"

#include "library/ErrorTexts.h"
#include "library/Messages.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/HostList.h"
#include "model/console/ManagerPreferences.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeText.h"

namespace {

constexpr std::int32_t kModeInterval = 0;
constexpr std::int32_t kModeEventDriven = 2;

} // namespace

CSnCheckCreator::CSnCheckCreator(CSnCfg& store, const char* name) : CQvcBase(name), m_store(store) {}

CSnCheckCreator::Result CSnCheckCreator::Failure(long code, const CQvcString& message, bool reload) {
    Result result;
    result.Code = code;
    result.Message = message;
    result.ReloadTree = reload;
    return result;
}

long CSnCheckCreator::NewCheck(CSnNode*& out) {
    out = nullptr;
    CSnNode templ;
    templ.Cfg.ID = CSnCfg::kTemplateId;
    if (long code = m_store.ReadNode(&templ))
        return code;
    // Only the ID is reserved: the record is made by Create, with every other record of
    // the creation, so that nothing stays behind when the creation is given up or the
    // process dies.
    long id = 0;
    if (long code = m_store.ReserveNodeId(id))
        return code;
    CSnNode* check = m_store.NewNodeObject();
    check->Cfg = templ.Cfg;
    check->Cfg.ID = static_cast<std::int32_t>(id);
    check->Cfg.Next.Node = nullptr;
    check->Cfg.Child.Node = nullptr;
    check->Cfg.Action.Dependencies.Empty();
    check->Cfg.Name.Empty();
    // The template's schedule text is the list of default scan frequencies, no schedule.
    check->Cfg.ScanFrequency.Schedule.Clear();
    out = check;
    return 0;
}

void CSnCheckCreator::SetType(CSnNode& check, std::int32_t type) {
    CSnNodeCfgFunction function;
    function.Type = type;
    function.ParamServer = check.Cfg.Function.ParamServer;
    CheckTypeDefaults(&function);
    check.Cfg.Function = function;
    long interval = 0, threshold = 0;
    m_store.DefaultScanFrequency(type, interval, threshold);
    CSnNodeCfgScanFrequency& frequency = check.Cfg.ScanFrequency;
    frequency.Interval = static_cast<std::int32_t>(interval);
    frequency.ErrorThreshold = static_cast<std::int32_t>(threshold);
    frequency.Mode = type == kTypeSnmpTrapReceive ? kModeEventDriven : kModeInterval;
}

long CSnCheckCreator::CheckLimits(CSnNode* root, int targets, CQvcString& message) const {
    message.Empty();
    const int maxCreate = prefs::MaxCreateChecks();
    const int maxTotal = prefs::MaxTotalChecks();
    const long code = CheckTargetLimits(targets, static_cast<int>(CSnCfg::CountChecks(root)), maxCreate, maxTotal);
    if (code != 0)
        message.FormatGrow(MessageText(static_cast<unsigned>(code)), code == kTooManyAtOnce ? maxCreate : maxTotal);
    return code;
}

CSnCheckCreator::Result CSnCheckCreator::Create(CSnNode* root, CSnNode* folder, CSnNode* check,
                                                const CServerList& hosts, const Progress& progress) {
    if (check == nullptr)
        return Failure(kInternalError, MessageText(kInternalError), false);
    Result result;
    if (folder == nullptr || !folder->IsFolder()) {
        result = Failure(kNoFolder, MessageText(kNoFolder), false);
    } else if (hosts.IsEmpty()) {
        result = Failure(kInternalError, MessageText(kInternalError), false);
    } else {
        CQvcString message;
        if (long code = CheckLimits(root, hosts.Count(), message))
            result = Failure(code, message, false);
    }
    if (!result.Ok()) {
        Undo(check, {}, result);
        return result;
    }

    const CQvcString pattern = check->Cfg.Name;
    Trace(kTraceFile, "Creating %d check(s) from [%s] in folder %d\n", hosts.Count(), pattern.c_str(),
          static_cast<int>(folder->Id()));
    // Every record and the tree change in one bracket: all of them are stored or none.
    std::vector<CSnNode*> created;
    std::vector<CSnNode*> copies;
    CSnTreeText::Tree stored;
    const long code = m_store.EditTree(
        [&](CSnTreeText::Tree& tree) -> long {
            if (!tree.Contains(folder->Id()))
                return kTreeItemNotFound;
            for (int i = 0; i < hosts.Count(); ++i) {
                const CServerListItem& host = hosts[static_cast<std::size_t>(i)];
                CSnNode* node = check;
                long step = 0;
                if (i == 0) {
                    step = m_store.InsertNode(check, nullptr, check->Id());
                } else {
                    node = m_store.NewNodeObject();
                    copies.push_back(node);
                    step = m_store.InsertNode(node, check, 0);
                }
                if (step)
                    return step;
                node->Cfg.Function.ParamServer = host.Host();
                node->Cfg.Name = ReplaceHostsPlaceholder(pattern, host.Host());
                if ((step = m_store.WriteNode(node, false, false)) != 0)
                    return step;
                if (!tree.Append(folder->Id(), node->Id()))
                    return CSnTreeText::kInvalidTree;
                created.push_back(node);
                if (progress && !progress(i + 1, hosts.Count()))
                    return kCancelled;
            }
            return 0;
        },
        &stored);
    if (code != 0) {
        const bool cancelled = code == kCancelled;
        result = Failure(code, cancelled ? CQvcString() : ErrorText(code), !cancelled);
        check->Cfg.Name = pattern;
        Undo(check, copies, result);
        return result;
    }
    // Linked after the folder's last child, found once: the new checks are in no chain yet.
    CSnNode* last = folder->ChildNode();
    while (last != nullptr && last->NextNode() != nullptr)
        last = last->NextNode();
    for (CSnNode* node : created) {
        (last != nullptr ? last->Cfg.Next.Node : folder->Cfg.Child.Node) = node;
        last = node;
    }
    // Another writer changed the tree meanwhile: the stored tree has both changes.
    result.ReloadTree = CSnCfg::Differs(root, stored);
    result.Created = std::move(created);
    return result;
}

void CSnCheckCreator::Undo(CSnNode* check, const std::vector<CSnNode*>& copies, Result& result) {
    check->Cfg.Next.Node = nullptr;
    for (CSnNode* copy : copies)
        m_store.FreeNode(copy);
    result.Created.clear();
    Trace(kTraceFile, "Creating checks failed (%ld): %s\n", result.Code, result.Message.c_str());
}

#include "model/SnCheckCreator.h"

#include "library/ErrorTexts.h"
#include "library/Messages.h"
#include "model/CheckTypes.h"
#include "model/HostList.h"
#include "model/ManagerPreferences.h"
#include "model/SnCfg.h"
#include "model/SnNode.h"

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
    CSnNode* check = m_store.NewNodeObject();
    if (long code = m_store.InsertNode(check, &templ, 0)) {
        // A record made before the failure would be reached by nothing: remove it.
        if (check->Id() >= kFirstCheckId)
            m_store.DeleteNodeRecord(check->Id());
        m_store.FreeNode(check);
        return code;
    }
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
                                                const CServerList& hosts) {
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
        Undo(root, check, {}, {}, result);
        return result;
    }

    const CQvcString pattern = check->Cfg.Name;
    Trace(kTraceFile, "Creating %d check(s) from [%s] in folder %d\n", hosts.Count(), pattern.c_str(),
          static_cast<int>(folder->Id()));
    std::vector<CSnNode*> linked;
    std::vector<CSnNode*> copies;
    for (int i = 0; i < hosts.Count(); ++i) {
        const CServerListItem& host = hosts[static_cast<std::size_t>(i)];
        CSnNode* node = check;
        if (i > 0) {
            node = m_store.NewNodeObject();
            const long code = m_store.InsertNode(node, check, 0);
            if (node->Id() >= kFirstCheckId)
                copies.push_back(node); // its record exists, even when saving it failed
            else
                m_store.FreeNode(node);
            if (code != 0) {
                result = Failure(code, ErrorText(code), true);
                break;
            }
        }
        node->Cfg.Function.ParamServer = host.Host();
        node->Cfg.Name = ReplaceHostsPlaceholder(pattern, host.Host());
        if (long code = m_store.WriteNode(node, false, false)) {
            result = Failure(code, ErrorText(code), true);
            break;
        }
        CSnCfg::AppendChild(folder, node);
        linked.push_back(node);
    }
    if (result.Ok()) {
        if (long code = m_store.WriteTree(root))
            result = Failure(code, ErrorText(code), true);
    }
    if (!result.Ok()) {
        Undo(root, check, linked, copies, result);
        return result;
    }
    result.Created = std::move(linked);
    return result;
}

void CSnCheckCreator::Undo(CSnNode* root, CSnNode* check, const std::vector<CSnNode*>& linked,
                           const std::vector<CSnNode*>& copies, Result& result) {
    for (CSnNode* node : linked)
        m_store.RemoveFromTree(root, node->Id(), false, false);
    check->Cfg.Next.Node = nullptr;
    std::vector<long> ids;
    if (check->Id() >= kFirstCheckId)
        ids.push_back(check->Id());
    for (CSnNode* copy : copies)
        ids.push_back(copy->Id());
    if (!ids.empty() && m_store.DeleteNodeRecords(ids) != 0)
        result.ReloadTree = true;
    for (CSnNode* copy : copies)
        m_store.FreeNode(copy);
    result.Created.clear();
    Trace(kTraceFile, "Creating checks failed (%ld): %s\n", result.Code, result.Message.c_str());
}

#include "model/store/SnCfg.h"

#include "library/ErrorReport.h"
#include "library/QvcPath.h"
#include "model/store/SnCfgSqlite.h"
#include "model/settings/SnMetaSettings.h"
#include "model/tree/SnNodeRecord.h"
#include "model/tree/SnTreeText.h"
#include "model/tree/SnTreeWalk.h"
#include "model/settings/SnWebViewSettings.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <unordered_set>

namespace {

constexpr long kErrNullNode = -90001;
constexpr long kErrInvalidObject = 25001;
constexpr long kErrNotOpen = 25005;
constexpr long kErrLocked = 25007;
constexpr long kErrTreeItemNotFound = 25052;
constexpr long kErrNoRoot = 25200;
constexpr long kErrMetaUnreadable = 25201;
constexpr long kErrNoVersion = 25205;
constexpr long kErrNewerVersion = 25206;
constexpr long kErrOlderVersion = 25207;
constexpr long kErrNoComponent = 25209;

const platform::Hive kMachine = platform::Hive::LocalMachine;

// The nodes below `folder` that `want` accepts, each before its children.
template <class Want> void CollectBelow(CSnNode* folder, bool recursive, Want&& want, std::vector<CSnNode*>& out) {
    if (!folder)
        return;
    WalkTree(
        folder->ChildNode(),
        [&](CSnNode* n, int) {
            if (want(n))
                out.push_back(n);
            return WalkStep::Continue;
        },
        recursive ? WalkScope::Subtrees : WalkScope::Chain);
}

bool IsCheck(const CSnNode* n) { return n->Cfg.Function.Type > kTypeFolder; }

// The node whose Child or Next is `target` itself.
CSnNode* FindHolderOf(CSnNode* root, const CSnNode* target) {
    return FindInTree(root, [&](const CSnNode* n) { return n->ChildNode() == target || n->NextNode() == target; });
}

void Unlink(CSnNode* root, CSnNode* node) {
    CSnNode* holder = FindHolderOf(root, node);
    if (!holder)
        return;
    if (holder->ChildNode() == node)
        holder->Cfg.Child.Node = node->NextNode();
    else if (holder->NextNode() == node)
        holder->Cfg.Next.Node = node->NextNode();
}

// The tokens of a dependency text up to its first empty one.
void AddDependencyTokens(const CQvcString& dependencies, std::unordered_set<std::string>& out) {
    const std::string& text = dependencies.Str();
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(';', start);
        std::string token = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (token.empty())
            return;
        out.insert(std::move(token));
        if (end == std::string::npos)
            return;
        start = end + 1;
    }
}

// As FreeTree, but the node objects taken out of `owned` go to the caller instead of
// being freed.
std::vector<std::unique_ptr<CSnNode>> ReleaseTree(std::unordered_map<const CSnNode*, std::unique_ptr<CSnNode>>& owned,
                                                  CSnNode*& rootHolder) {
    std::vector<std::unique_ptr<CSnNode>> released;
    if (!rootHolder)
        return released;
    // Collected first, released after: the walk reads the links of every node it passed.
    std::vector<CSnNode*> below;
    WalkTree(rootHolder, [&](CSnNode* n, int) {
        if (n != rootHolder)
            below.push_back(n);
        return WalkStep::Continue;
    });
    released.reserve(below.size() + 1);
    auto release = [&](CSnNode* n) {
        auto it = owned.find(n);
        if (it == owned.end())
            return;
        released.push_back(std::move(it->second));
        owned.erase(it);
    };
    for (CSnNode* n : below)
        release(n);
    if (rootHolder->Id() == CSnCfg::kRootId) {
        rootHolder->Cfg.Next.Node = nullptr;
        rootHolder->Cfg.Child.Node = nullptr;
    } else {
        release(rootHolder);
        rootHolder = nullptr;
    }
    return released;
}

} // namespace

CSnCfg::CSnCfg(const char* name, ComponentFactory factory)
    : CQvcBase(name), m_factory(factory ? std::move(factory) : ComponentFactory(CreateSnCfgComponent)) {}

CSnCfg::~CSnCfg() { Close(); }

// --- life ---------------------------------------------------------------------------------

void CSnCfg::Close() {
    if (m_component && m_connectionDepth > 0)
        m_component->Close();
    m_connectionDepth = 0;
    m_component.reset();
    m_link.reset();
}

void CSnCfg::BuildPaths() {
    m_configDirectory = PathJoin(m_rootDirectory, "Configuration");
    m_tempDirectory = PathJoin(m_rootDirectory, {"Sys", "tmp"});
    m_configPath = PathJoin(m_configDirectory, "Config.mdb");
    m_odbcConnection = CQvcString("DRIVER=Microsoft Access Driver (*.mdb);DBQ=") + m_configPath;
}

long CSnCfg::Open(bool validate, bool fullLoad) {
    Close();
    if (validate && platform::RegReadStringWriteBack(kMachine, kProductKey, "Engine0Root", "", true).empty())
        return kErrNoRoot;
    std::string root = platform::RegReadStringWriteBack(kMachine, kProductKey, "Engine0Root", "", true);
    if (!root.empty() && root.back() != platform::kPathSeparator) {
        root += platform::kPathSeparator;
        platform::RegSetString(kMachine, kProductKey, "Engine0Root", root.c_str());
    }
    return OpenAt(CQvcString(root), validate, fullLoad);
}

long CSnCfg::OpenRoot(const CQvcString& root, bool validate, bool fullLoad) {
    Close();
    if (root.IsEmpty())
        return kErrNoRoot;
    CQvcString directory = root;
    directory.EnsureTrailing(platform::kPathSeparator);
    return OpenAt(directory, validate, fullLoad);
}

long CSnCfg::OpenAt(const CQvcString& rootDirectory, bool validate, bool fullLoad) {
    m_fullLoad = fullLoad;
    m_engineName = platform::RegReadStringWriteBack(kMachine, kProductKey, "Engine0", "", true);
    m_rootDirectory = rootDirectory;
    m_serverValue = static_cast<std::int32_t>(platform::RegReadDwordWriteBack(kMachine, kProductKey, "Server", 0));
    BuildPaths();

    m_link = std::make_unique<CSnIPC>(m_rootDirectory, Name().c_str());
    if (fullLoad)
        m_link->ClearMonitorNowRequests();

    m_component = m_factory(m_odbcConnection);
    long code = m_component ? 0 : kErrNoComponent;
    if (code == 0 && validate) {
        code = ValidateVersion();
        std::string vdir;
        if (code == 0 &&
            platform::RegQueryString(kMachine, kProductKey, "ishieldvdir", &vdir) == platform::kRegOk &&
            !CQvcString(vdir).Trim().IsEmpty()) {
            CSnWebViewSettings views;
            views.Read(*this);
            views.Header.Vdir = CQvcString(vdir).Trim();
            views.Write(*this);
            platform::RegDeleteValue(kMachine, kProductKey, "ishieldvdir");
        }
    }
    if (code == 0) {
        m_advanced.Read(*this);
        ReadTracePathFromRegistry("Configuration");
    }
    if (code)
        Close();
    return code;
}

long CSnCfg::OpenFile(const CQvcString& databasePath, bool fullLoad) {
    Close();
    m_fullLoad = fullLoad;
    m_rootDirectory.Empty();
    m_engineName.Empty();
    m_configDirectory.Empty();
    m_tempDirectory.Empty();
    m_configPath = databasePath;
    m_odbcConnection = CSnCfgSqlite::ConnectionForFile(databasePath);
    m_component = m_factory(m_odbcConnection);
    return m_component ? 0 : kErrNoComponent;
}

long CSnCfg::ValidateVersion() {
    CSnMetaSettings meta;
    if (long code = meta.Read(*this))
        return code == kErrLocked ? code : kErrMetaUnreadable;
    const long version = std::atol(meta.Version.c_str());
    if (version <= 0)
        return kErrNoVersion;
    if (version < kConfigVersion)
        return kErrOlderVersion;
    if (version > kConfigVersion)
        return kErrNewerVersion;
    return 0;
}

long CSnCfg::BeginConnection() {
    if (!m_component)
        return kErrNotOpen;
    if (m_connectionDepth == 0) {
        m_component->Open();
        long code = 0;
        m_component->GetLastError(code);
        if (code) {
            m_component->Close();
            return code;
        }
    }
    ++m_connectionDepth;
    return 0;
}

void CSnCfg::EndConnection() {
    if (m_connectionDepth > 0 && --m_connectionDepth == 0) {
        if (m_component)
            m_component->Close();
        if (m_link && !m_resultsToRemove.empty())
            m_link->RemoveResults(m_resultsToRemove);
        m_resultsToRemove.clear();
    }
}

long CSnCfg::BeginTransaction() {
    if (long code = BeginConnection())
        return code;
    m_component->BeginTransaction();
    long code = 0;
    m_component->GetLastError(code);
    if (code)
        EndConnection();
    return code;
}

long CSnCfg::CommitTransaction() {
    if (!m_component || m_connectionDepth == 0)
        return kErrNotOpen;
    m_component->CommitTransaction();
    long code = 0;
    m_component->GetLastError(code);
    EndConnection();
    return code;
}

void CSnCfg::RollbackTransaction() {
    if (!m_component || m_connectionDepth == 0)
        return;
    m_component->RollbackTransaction();
    EndConnection();
}

long CSnCfg::Run(const std::function<void(ISnCfg&)>& op) {
    if (long code = BeginConnection())
        return code;
    op(*m_component);
    long code = 0;
    m_component->GetLastError(code);
    EndConnection();
    return code;
}

long CSnCfg::WriteSettings(const std::function<void(ISnCfg&)>& op) {
    long code = Run(op);
    if (code == 0)
        SignalGlobalSettingsChanged();
    return code;
}

void CSnCfg::ProbeAccess(bool& readable, bool& writable) {
    readable = writable = false;
    CSnMetaSettings meta;
    if (meta.Read(*this) != 0)
        return;
    readable = true;
    meta.TimeStamp = static_cast<std::int32_t>(platform::SecondsSince1970());
    writable = meta.WriteQuietly(*this) == 0;
}

long CSnCfg::Version() {
    CSnMetaSettings meta;
    if (meta.Read(*this) != 0)
        return 0;
    return std::max(0L, std::atol(meta.Version.c_str()));
}


void CSnCfg::SignalConfigChanged(bool engine, bool managers) {
    if (m_link)
        m_link->SignalConfigChanged(engine, managers);
}

void CSnCfg::SignalGlobalSettingsChanged() {
    if (m_link)
        m_link->SignalGlobalSettingsChanged();
}

// --- node objects --------------------------------------------------------------------------

CSnNode* CSnCfg::NewNodeObject() { return AdoptNode(std::make_unique<CSnNode>()); }

CSnNode* CSnCfg::AdoptNode(std::unique_ptr<CSnNode> node) {
    CSnNode* raw = node.get();
    if (raw)
        m_nodes.emplace(raw, std::move(node));
    return raw;
}

void CSnCfg::FreeNode(CSnNode* node) { m_nodes.erase(node); }

// --- nodes in the database --------------------------------------------------------------

long CSnCfg::CreatePlaceholderRoot(CSnNode*& rootHolder, long id) {
    CSnNode* root = NewNodeObject();
    root->Cfg.ID = static_cast<std::int32_t>(id);
    root->Cfg.Function.Type = kTypeFolder;
    root->Cfg.Name = "Loading...";
    rootHolder = root;
    return ReadNode(root);
}

long CSnCfg::ReloadAllNodes(CSnNode*& rootHolder, long rootId, bool updateParents) {
    if (long code = BeginConnection()) {
        ReplaceByFailedRoot(rootHolder);
        return code;
    }
    long code = LoadAllNodes(rootHolder, rootId, updateParents);
    EndConnection();
    return code;
}

long CSnCfg::LoadAllNodes(CSnNode*& rootHolder, long rootId, bool updateParents) {
    // The objects of the old tree are reset and filled with the loaded nodes: a node is
    // several kilobytes, and freeing a whole tree to allocate as many objects again (the
    // allocator returns the freed memory to the system in between) costs more than
    // reading the rows.  Those left over are freed when the load ends.
    std::vector<std::unique_ptr<CSnNode>> spare = ReleaseTree(m_nodes, rootHolder);
    long code = BeginConnection();
    if (code == 0) {
        Trace(kTraceFile, "Load all nodes: starting...\n");
        std::vector<std::unique_ptr<CSnNode>> list;
        CQvcVariant value;
        m_component->GetFirstNode(CQvcString(), m_fullLoad ? 0 : 1, value);
        long step = 0;
        m_component->GetLastError(step);
        while (step == 0) {
            std::shared_ptr<CSnRecord> record = value.AsRecord();
            if (!record) {
                code = kErrInvalidObject;
                break;
            }
            std::unique_ptr<CSnNode> node;
            if (spare.empty()) {
                node = std::make_unique<CSnNode>();
            } else {
                node = std::move(spare.back());
                spare.pop_back();
                node->Reset();
            }
            CSnNodeRecord::Decode(*record, *node, !m_fullLoad);
            list.push_back(std::move(node));
            record.reset(); // the component fills it again with the next row
            m_component->GetNextNode(value);
            m_component->GetLastError(step);
        }
        Trace(kTraceFile, "Load all nodes: finished.\n");

        // A folder has dependants when some node's dependency list names it as a whole
        // token (the list is read up to its first empty token).
        Trace(kTraceFile, "Dependencies: updating...\n");
        std::unordered_set<std::string> referenced;
        for (const auto& n : list)
            if (!n->Cfg.Action.Dependencies.IsEmpty())
                AddDependencyTokens(n->Cfg.Action.Dependencies, referenced);
        for (const auto& n : list)
            if (n->IsFolder())
                n->Manager.HasDependants = referenced.count(std::to_string(n->Id())) ? 1 : 0;
        Trace(kTraceFile, "Dependencies: updated.\n");

        if (code == 0) {
            CQvcString tree;
            m_component->get_Tree(tree);
            m_component->GetLastError(code);
            if (code == 0) {
                Trace(kTraceFile, "Tree: rebuilding...\n");
                code = BuildTree(rootHolder, rootId, tree, list);
                Trace(kTraceFile, "Tree: rebuilt.\n");
            }
        }
        if (code == 0 && updateParents) {
            Trace(kTraceFile, "Parents: updating...\n");
            m_component->UpdateParents();
            m_component->GetLastError(code);
            Trace(kTraceFile, "Parents: updated.\n");
        }
        EndConnection();
    }
    if (code)
        ReplaceByFailedRoot(rootHolder);
    return code;
}

long CSnCfg::BuildTree(CSnNode*& rootHolder, long rootId, const CQvcString& treeText,
                       std::vector<std::unique_ptr<CSnNode>>& list) {
    // Each ID is placed at most once (the walk refuses a second reference), so the loaded
    // node itself can move into the tree.
    std::unordered_map<long, std::size_t> index;
    index.reserve(list.size());
    m_nodes.reserve(m_nodes.size() + list.size());
    for (std::size_t k = 0; k < list.size(); ++k)
        index.emplace(list[k]->Id(), k);
    auto take = [&](long id) -> std::unique_ptr<CSnNode>* {
        auto it = index.find(id);
        return it != index.end() && list[it->second] ? &list[it->second] : nullptr;
    };
    CSnTreeText::Tree tree;
    if (long code = CSnTreeText::Read(treeText, rootId, tree, nullptr, this))
        return code; // nothing of a damaged tree is placed
    std::unordered_map<long, CSnNode*> placed;
    placed.reserve(list.size());
    bool first = true;
    auto place = [&](long id, long parent, long previous, int) {
        std::unique_ptr<CSnNode>* loaded = take(id);
        CSnNode* node = nullptr;
        if (first && rootHolder && rootHolder->Id() == id) {
            // The root object that the views hold stays; it takes the loaded contents.
            node = rootHolder;
            node->Cfg = loaded ? (*loaded)->Cfg : CSnNodeCfg();
            node->Manager.HasDependants = loaded ? (*loaded)->Manager.HasDependants : 0;
        } else if (loaded) {
            node = AdoptNode(std::move(*loaded));
        } else {
            node = NewNodeObject();
        }
        if (!loaded) {
            node->Cfg.ID = static_cast<std::int32_t>(id);
            node->Cfg.Function.Type = kTypeNone;
            node->Cfg.Name.Format("<Check [%ld] does not exist in the configuration database>", id);
        }
        node->Cfg.Next.Node = nullptr;
        node->Cfg.Child.Node = nullptr;
        if (first)
            rootHolder = node;
        else if (previous != 0)
            placed[previous]->Cfg.Next.Node = node;
        else
            placed[parent]->Cfg.Child.Node = node;
        placed[id] = node;
        first = false;
    };
    tree.Visit(place);
    return 0;
}

void CSnCfg::ReplaceByFailedRoot(CSnNode*& rootHolder) {
    FreeTree(rootHolder);
    CSnNode* failed = NewNodeObject();
    failed->Cfg.ID = 0;
    failed->Cfg.Function.Type = kTypeFolder;
    failed->Cfg.Name = "Load failed. Restart the application";
    rootHolder = failed;
}

long CSnCfg::ReadNode(CSnNode* node) {
    if (!node)
        return kErrNullNode;
    CQvcVariant value;
    long code = Run([&](ISnCfg& c) { c.GetNode(node->Id(), value); });
    if (code)
        return code;
    std::shared_ptr<CSnRecord> record = value.AsRecord();
    if (!record)
        return kErrInvalidObject;
    CSnNodeRecord::Decode(*record, *node, false);
    return 0;
}

long CSnCfg::WriteNode(CSnNode* node, bool announceStructure, bool announceContents) {
    if (!node)
        return -1;
    long code = Run([&](ISnCfg& c) {
        CQvcVariant value;
        c.GetNode(node->Id(), value);
        long step = 0;
        c.GetLastError(step);
        if (step)
            return;
        std::shared_ptr<CSnRecord> record = value.AsRecord();
        if (!record) {
            // No record object: hand the component the empty value, which it refuses.
            c.SaveNode(value);
            return;
        }
        CSnNodeRecord::Encode(*node, *record);
        c.SaveNode(value);
    });
    if (code == 0)
        SignalConfigChanged(announceStructure, announceContents);
    return code;
}

long CSnCfg::NewFolderRecord(CSnNode*& out) {
    out = nullptr;
    CSnNode* folder = nullptr;
    long code = Run([&](ISnCfg& c) {
        CQvcVariant value;
        c.NewNode(value);
        long step = 0;
        c.GetLastError(step);
        if (step)
            return;
        std::shared_ptr<CSnRecord> record = value.AsRecord();
        folder = NewNodeObject();
        folder->Cfg.Function.Type = kTypeFolder;
        if (record) {
            folder->Cfg.ID = static_cast<std::int32_t>(record->GetLong(kPropId));
            CSnNodeRecord::Encode(*folder, *record);
        }
        c.SaveNode(value);
    });
    if (code == 0) {
        out = folder;
    } else if (folder) {
        FreeNode(folder);
    }
    return code;
}

long CSnCfg::InsertNode(CSnNode* node, const CSnNode* source, long wantedId) {
    if (!node)
        return -1;
    return Run([&](ISnCfg& c) {
        CQvcVariant value;
        if (wantedId < 1)
            c.NewNode(value);
        else
            c.NewNodeWithId(wantedId, value);
        long step = 0;
        c.GetLastError(step);
        if (step)
            return;
        std::shared_ptr<CSnRecord> record = value.AsRecord();
        const std::int32_t id = record ? static_cast<std::int32_t>(record->GetLong(kPropId)) : 0;
        node->Cfg.ID = id;
        if (source) {
            node->Cfg = source->Cfg;
            node->Cfg.ID = id;
            node->Cfg.Next.Node = nullptr;
            node->Cfg.Child.Node = nullptr;
            node->Cfg.Action.Dependencies.Empty();
        }
        if (m_link)
            m_resultsToRemove.push_back(id);
        c.SaveNode(value);
    });
}

long CSnCfg::ReserveNodeId(long& id) {
    long reserved = 0;
    long code = Run([&](ISnCfg& c) { c.ReserveNodeId(reserved); });
    id = code == 0 ? reserved : 0;
    return code;
}

long CSnCfg::DeleteNodeRecord(long id) { return DeleteNodeRecords({id}); }

long CSnCfg::DeleteNodeRecords(const std::vector<long>& ids) {
    return Run([&](ISnCfg& c) {
        for (long id : ids) {
            c.DeleteNode(id);
            long step = 0;
            c.GetLastError(step);
            if (step)
                return;
        }
    });
}

long CSnCfg::CountNodes(const CQvcString& where, long& count) {
    long found = 0;
    long code = Run([&](ISnCfg& c) { c.CountNodes(where, found); });
    count = code == 0 ? found : 0;
    return code;
}

long CSnCfg::ReadDefaultScanFrequencies(CDefScanFreqList& list) {
    list = CDefScanFreqList();
    CQvcVariant value;
    if (long code = Run([&](ISnCfg& c) { c.GetNode(kTemplateId, value); }))
        return code;
    std::shared_ptr<CSnRecord> record = value.AsRecord();
    if (!record)
        return kErrInvalidObject;
    list.Parse(record->GetText(snnode::kScanSchedule));
    return 0;
}

void CSnCfg::DefaultScanFrequency(long type, long& interval, long& threshold) {
    CDefScanFreqList list;
    ReadDefaultScanFrequencies(list);
    const CDefScanFreqItem item = list.Lookup(static_cast<std::int32_t>(type));
    interval = item.Interval;
    threshold = item.ErrorThreshold;
}

// --- the tree ----------------------------------------------------------------------------

long CSnCfg::WriteTree(CSnNode* root) {
    if (!root)
        return kErrNullNode;
    Trace(kTraceFile, "WRITE configuration tree, root: %d [%s], root's child: %d\n", root->Id(), root->Cfg.Name.c_str(),
          root->ChildNode() ? root->ChildNode()->Id() : 0);
    CQvcString text;
    if (long code = CSnTreeText::Write(root, text, this))
        return code;
    long code = Run([&](ISnCfg& c) { c.put_Tree(text); });
    if (code == 0)
        SignalConfigChanged(true, true);
    return code;
}

long CSnCfg::EditTree(const TreeChange& change, CSnTreeText::Tree* stored) {
    if (long code = BeginTransaction())
        return code;
    CQvcString before;
    long code = Run([&](ISnCfg& c) { c.get_Tree(before); });
    CSnTreeText::Tree tree;
    if (code == 0)
        code = CSnTreeText::Read(before, kRootId, tree, nullptr, this);
    if (code == 0)
        code = change(tree);
    CQvcString after;
    if (code == 0)
        code = CSnTreeText::Format(tree, after, this);
    const bool written = code == 0 && after != before;
    if (written)
        code = Run([&](ISnCfg& c) { c.put_Tree(after); });
    if (code == 0) {
        code = CommitTransaction();
    } else {
        RollbackTransaction();
    }
    if (code) {
        Trace(kTraceFile, "Edit tree failed (%ld); nothing stored.\n", code);
        return code;
    }
    if (written)
        SignalConfigChanged(true, true);
    if (stored)
        *stored = std::move(tree);
    return 0;
}

bool CSnCfg::Differs(const CSnNode* root, const CSnTreeText::Tree& stored) {
    CQvcString memoryText, storedText;
    return CSnTreeText::Write(root, memoryText) != 0 || CSnTreeText::Format(stored, storedText) != 0 ||
           memoryText != storedText;
}

CSnCfg::TreeEdit CSnCfg::AppendToTree(CSnNode* root, CSnNode* folder, const std::vector<CSnNode*>& nodes) {
    TreeEdit edit;
    if (!root || !folder)
        return {kErrNullNode, false, false};
    CSnTreeText::Tree stored;
    edit.Code = EditTree(
        [&](CSnTreeText::Tree& tree) {
            if (!tree.Contains(folder->Id()))
                return kErrTreeItemNotFound;
            for (const CSnNode* n : nodes)
                if (!tree.Append(folder->Id(), n->Id()))
                    return CSnTreeText::kInvalidTree;
            return 0L;
        },
        &stored);
    if (edit.Code)
        return edit;
    for (CSnNode* n : nodes)
        AppendChild(folder, n);
    edit.Changed = !nodes.empty();
    edit.Stale = Differs(root, stored);
    return edit;
}

CSnCfg::TreeEdit CSnCfg::MoveChecks(CSnNode* root, CSnNode* target, const std::vector<CSnNode*>& checks, bool force) {
    TreeEdit edit;
    if (!root || !target)
        return {kErrNullNode, false, false};
    CSnTreeText::Tree stored;
    edit.Code = EditTree(
        [&](CSnTreeText::Tree& tree) {
            if (!tree.Contains(target->Id()))
                return kErrTreeItemNotFound;
            for (const CSnNode* check : checks)
                if (check && (force || tree.ParentOf(check->Id()) != target->Id()))
                    tree.MoveToEnd(check->Id(), target->Id());
            return 0L;
        },
        &stored);
    if (edit.Code)
        return edit;
    for (CSnNode* check : checks)
        if (MoveCheck(root, target, check, force))
            edit.Changed = true;
    edit.Stale = Differs(root, stored);
    return edit;
}

CSnCfg::TreeEdit CSnCfg::MoveFolderTo(CSnNode* root, CSnNode* target, CSnNode* folder) {
    TreeEdit edit;
    if (!root || !target || !folder)
        return {kErrNullNode, false, false};
    CSnTreeText::Tree stored;
    edit.Code = EditTree(
        [&](CSnTreeText::Tree& tree) {
            if (!tree.Contains(target->Id()) || !tree.Contains(folder->Id()))
                return kErrTreeItemNotFound;
            if (tree.ParentOf(folder->Id()) != target->Id())
                tree.MoveToEnd(folder->Id(), target->Id()); // refuses the folder's own subtree
            return 0L;
        },
        &stored);
    if (edit.Code)
        return edit;
    edit.Changed = MoveFolder(root, target, folder);
    edit.Stale = Differs(root, stored);
    return edit;
}

CSnCfg::TreeEdit CSnCfg::DeleteFromTree(CSnNode* root, long id, bool withDescendants) {
    TreeEdit edit;
    if (!root)
        return {kErrNullNode, false, false};
    CSnTreeText::Tree stored;
    edit.Code = EditTree(
        [&](CSnTreeText::Tree& tree) {
            // The removed IDs start with `id` itself; an ID outside the tree is deleted alone.
            std::vector<long> gone = tree.Remove(id);
            if (gone.empty() || !withDescendants)
                gone.assign(1, id);
            return DeleteNodeRecords(gone);
        },
        &stored);
    if (edit.Code)
        return edit;
    edit.Changed = FindNode(root, id) != nullptr;
    RemoveFromTree(root, id, withDescendants, false);
    edit.Stale = Differs(root, stored);
    return edit;
}

long CSnCfg::CheckHealth(bool repair, Health& found) {
    found = Health();
    // The bracket makes the tree and the records one consistent view even while other
    // writers work; a file that cannot be written is still checked, without it.
    long code = BeginTransaction();
    const bool bracket = code == 0;
    if (code && !repair)
        code = BeginConnection();
    if (code)
        return code;
    CQvcString text;
    code = Run([&](ISnCfg& c) { c.get_Tree(text); });
    CSnTreeText::Tree tree;
    std::unordered_set<long> records;
    if (code == 0) {
        CSnTreeText::Read(text, kRootId, tree, &found.Problems, this);
        code = Run([&](ISnCfg& c) {
            long id = 0, step = 0;
            c.GetFirstNodeId(CQvcString(), id);
            for (c.GetLastError(step); step == 0; c.GetLastError(step)) {
                records.insert(id);
                c.GetNextNodeId(id);
            }
        });
        // The enumeration ends with the table's "no record" code.
        if (code == 25021)
            code = 0;
    }
    if (code == 0) {
        for (long id : tree.Nodes())
            if (!records.count(id))
                found.Dangling.push_back(id);
        for (long id : records)
            if (id != kRootId && id != kTemplateId && !tree.Contains(id))
                found.Orphans.push_back(id);
        std::sort(found.Orphans.begin(), found.Orphans.end());
    }
    if (!repair) {
        if (bracket)
            RollbackTransaction();
        else
            EndConnection();
        return code;
    }
    if (code == 0) {
        for (long id : found.Dangling)
            if (tree.ChildrenOf(id).empty())
                tree.Remove(id);
        CQvcString repaired;
        code = CSnTreeText::Format(tree, repaired, this);
        if (code == 0 && repaired != text)
            code = Run([&](ISnCfg& c) { c.put_Tree(repaired); });
        if (code == 0)
            code = DeleteNodeRecords(found.Orphans);
    }
    if (code == 0)
        code = CommitTransaction();
    else
        RollbackTransaction();
    if (code == 0)
        SignalConfigChanged(true, true);
    return code;
}

long CSnCfg::RemoveFromTree(CSnNode* root, long id, bool withDescendants, bool fromDatabase) {
    CSnNode* node = FindNode(root, id);
    if (!node)
        return 0;
    std::vector<CSnNode*> remove;
    if (withDescendants) {
        remove = CollectChecks(node, true);
        std::vector<CSnNode*> folders = CollectFolders(node, true);
        remove.insert(remove.end(), folders.begin(), folders.end());
    }
    remove.push_back(node);
    std::vector<long> ids;
    for (CSnNode* n : remove) {
        Unlink(root, n);
        ids.push_back(n->Id());
    }
    return fromDatabase ? DeleteNodeRecords(ids) : 0;
}

bool CSnCfg::MoveCheck(CSnNode* root, CSnNode* target, CSnNode* check, bool force) {
    if (!root || !target || !check)
        return false;
    if (!force && FindParentFolder(root, check->Id()) == target)
        return false;
    Unlink(root, check);
    check->Cfg.Next.Node = nullptr;
    check->Cfg.Child.Node = nullptr;
    AppendChild(target, check);
    return true;
}

bool CSnCfg::MoveFolder(CSnNode* root, CSnNode* target, CSnNode* folder) {
    if (!root || !target || !folder || target == folder)
        return false;
    if (FindParentFolder(root, folder->Id()) == target)
        return false;
    // Into its own subtree the folder would hang below itself; the callers refuse that
    // first, and so does the store.
    if (IsDescendant(folder, target))
        return false;
    Unlink(root, folder);
    folder->Cfg.Next.Node = nullptr;
    AppendChild(target, folder);
    return true;
}

void CSnCfg::FreeTree(CSnNode*& rootHolder) { ReleaseTree(m_nodes, rootHolder); }

void CSnCfg::AppendChild(CSnNode* folder, CSnNode* node) {
    if (!folder || !node || folder == node)
        return;
    if (!folder->ChildNode()) {
        folder->Cfg.Child.Node = node;
        return;
    }
    CSnNode* last = folder->ChildNode();
    for (;;) {
        if (last == node)
            return; // already in the chain
        if (!last->NextNode())
            break;
        last = last->NextNode();
    }
    last->Cfg.Next.Node = node;
}

CSnNode* CSnCfg::FindNode(CSnNode* root, long id) {
    return FindInTree(root, [id](const CSnNode* n) { return n->Id() == id; });
}

CSnNode* CSnCfg::FindNodeByName(CSnNode* root, const CQvcString& name) {
    return FindInTree(root, [&](const CSnNode* n) { return n->Cfg.Name.EqualsNoCase(name); });
}

CSnNode* CSnCfg::FindLinkHolder(CSnNode* root, long id) {
    return FindInTree(root, [id](const CSnNode* n) {
        return (n->ChildNode() && n->ChildNode()->Id() == id) || (n->NextNode() && n->NextNode()->Id() == id);
    });
}

CSnNode* CSnCfg::FindParentFolder(CSnNode* folder, long id) {
    if (!folder)
        return nullptr;
    auto holds = [id](const CSnNode* f) {
        return FindInTree(f->ChildNode(), [id](const CSnNode* c) { return c->Id() == id; }, WalkScope::Chain) != nullptr;
    };
    if (holds(folder))
        return folder;
    return FindInTree(folder->ChildNode(), [&](const CSnNode* n) { return n->ChildNode() && holds(n); });
}

std::vector<long> CSnCfg::FolderPath(CSnNode* root, long id) {
    std::vector<long> path{id};
    std::unordered_set<long> seen{id};
    long current = id;
    while (CSnNode* parent = FindParentFolder(root, current)) {
        if (!seen.insert(parent->Id()).second)
            break;
        path.insert(path.begin(), parent->Id());
        current = parent->Id();
    }
    return path;
}

std::vector<CSnNode*> CSnCfg::CollectFolders(CSnNode* folder, bool recursive) {
    std::vector<CSnNode*> out;
    CollectBelow(folder, recursive, [](CSnNode* n) { return n->IsFolder(); }, out);
    return out;
}

std::vector<CSnNode*> CSnCfg::CollectChecks(CSnNode* folder, bool recursive) {
    std::vector<CSnNode*> out;
    CollectBelow(folder, recursive, IsCheck, out);
    return out;
}

long CSnCfg::CountFolders(CSnNode* folder) {
    return folder && folder->IsFolder() ? static_cast<long>(CollectFolders(folder, true).size()) : 0;
}

long CSnCfg::CountChecks(CSnNode* folder) {
    return folder && folder->IsFolder() ? static_cast<long>(CollectChecks(folder, true).size()) : 0;
}

bool CSnCfg::HasScheduledCheck(CSnNode* folder) {
    for (CSnNode* n : CollectChecks(folder, true))
        if (n->Cfg.ScanFrequency.Mode == 1)
            return true;
    return false;
}

bool CSnCfg::IsDescendant(CSnNode* folder, const CSnNode* node) {
    if (!folder || !node)
        return false;
    return FindInTree(folder->ChildNode(), [node](const CSnNode* n) { return n == node; }) != nullptr;
}

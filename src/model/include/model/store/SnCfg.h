#pragma once
// CSnCfg: the single gateway to the stored configuration.  It finds the installation
// from the registry, creates the configuration component and the engine link, checks the
// configuration's version, loads the nodes into the in-memory tree, writes nodes and the
// tree back, offers the tree walks, and replaces or exports the whole configuration file.
// Every change it stores is announced through the engine link's stamps ("NS", "NM",
// "GlobalSettings").
//
// Connections: every operation runs inside one component connection (component Open,
// GetLastError, the work only when that gave 0, Close).  BeginConnection/EndConnection
// nest: operations called between them share the caller's connection.  Results are 0 or
// the first failure code (see ErrorText).
//
// Nodes: the store owns every node object of the tree (and every node made with
// NewNodeObject).  Callers hold plain pointers while they work and never delete them;
// FreeNode releases a node that is no longer in the tree.  The application keeps the
// root in a "root holder" (a CSnNode* variable) that the tree operations update.
//
// Only one thread may use a store.  Several processes may use one configuration at once:
// the database serialises their writes, and each learns of the others' changes through
// the stamps.  A structural change never writes a whole in-memory tree: EditTree applies
// the change to the stored tree inside one transaction, so concurrent writers keep each
// other's changes, and a writer whose in-memory tree is stale is told to reload.
#include "library/QvcBase.h"
#include "model/checks/DefScanFreqList.h"
#include "model/store/ISnCfg.h"
#include "model/settings/SnAdvancedSettings.h"
#include "model/link/SnIPC.h"
#include "model/tree/SnNode.h"
#include "model/tree/SnTreeText.h"

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CSnCfg : public CQvcBase {
public:
    // Makes the component for a connection text; null when it cannot be made (25209).
    using ComponentFactory = std::function<std::unique_ptr<ISnCfg>(const CQvcString& connection)>;

    static constexpr long kConfigVersion = 730;
    static constexpr long kRootId = 1;
    static constexpr long kTemplateId = 2;

    // `name` is the module name of the trace lines ("GUI" for the Manager).  Without a
    // factory the SQLite component is used.
    explicit CSnCfg(const char* name = "GUI", ComponentFactory factory = {});
    ~CSnCfg() override;
    CSnCfg(const CSnCfg&) = delete;
    CSnCfg& operator=(const CSnCfg&) = delete;

    // --- life -----------------------------------------------------------------------
    // Finds the installation from the registry (Engine0Root, Engine0, Server), creates the
    // engine link and the component and, with `validate`, checks the configuration's
    // version (25200, 25201, 25205, 25206, 25207, 25209; 25007 when another program keeps
    // the configuration locked).  `fullLoad` 0 makes Load all
    // nodes fetch the summary properties only; with `fullLoad` set, pending run-now
    // requests are cleared.
    long Open(bool validate = true, bool fullLoad = false);
    // Open on the Engine root given instead of the registry's Engine0Root (which is not
    // changed): for tools told which installation to work on.  25200 for an empty root.
    long OpenRoot(const CQvcString& root, bool validate = true, bool fullLoad = false);
    // Opens the store on one database file without an installation: no registry, no
    // engine link (so no stamps).  For tools that work on a file (templates, imports,
    // benchmarks).
    long OpenFile(const CQvcString& databasePath, bool fullLoad = true);
    bool IsOpen() const { return m_component != nullptr; }

    long BeginConnection();
    void EndConnection();
    // The write bracket: a connection and a component transaction that takes the write
    // lock at once (waiting up to the busy timeout; 25007 when another program keeps it).
    // Every store operation called before the matching CommitTransaction or
    // RollbackTransaction joins it, so all of them are stored or none, even when the
    // process dies in between.  Brackets nest.
    long BeginTransaction();
    long CommitTransaction();
    void RollbackTransaction();
    // Runs `op` on the component inside a connection and returns GetLastError's answer.
    long Run(const std::function<void(ISnCfg&)>& op);
    // Run, then the "GlobalSettings" stamp when it succeeded.
    long WriteSettings(const std::function<void(ISnCfg&)>& op);

    // Reads the meta settings (readable), then stamps them with the current time and
    // writes them back (writable).  The stamp is no settings change: nothing is signalled.
    void ProbeAccess(bool& readable, bool& writable);
    // The meta-settings version as a number; 0 when it cannot be read or is negative.
    long Version();

    long ServerValue() const { return m_serverValue; }
    bool FullLoad() const { return m_fullLoad; }
    const CQvcString& EngineName() const { return m_engineName; }
    // Always ends with a separator.
    const CQvcString& RootDirectory() const { return m_rootDirectory; }
    const CQvcString& ConfigDirectory() const { return m_configDirectory; }
    // "DRIVER=Microsoft Access Driver (*.mdb);DBQ=<root>Configuration/Config.mdb"
    const CQvcString& OdbcConnection() const { return m_odbcConnection; }
    const CQvcString& TempDirectory() const { return m_tempDirectory; }
    // The configuration file named by OdbcConnection; empty when it names none.
    CQvcString ConfigFilePath() const;
    ISnCfg* Component() const { return m_component.get(); }
    // Null until Open succeeded (and always with OpenFile).
    CSnIPC* Link() const { return m_link.get(); }
    // Read at Open: the global uncertain mapping, web view header, trap receiver, ...
    const CSnAdvancedSettings& AdvancedSettings() const { return m_advanced; }

    // Stamps through the engine link; nothing without one.
    void SignalConfigChanged(bool engine, bool managers);
    void SignalGlobalSettingsChanged();

    // --- node objects ---------------------------------------------------------------
    // A new default node owned by the store.
    CSnNode* NewNodeObject();
    // Takes a caller's node into the store's keeping.
    CSnNode* AdoptNode(std::unique_ptr<CSnNode> node);
    // Releases a node the store owns; other pointers are ignored.  The node must no longer
    // be linked into the tree.
    void FreeNode(CSnNode* node);
    bool OwnsNode(const CSnNode* node) const { return m_nodes.count(node) != 0; }
    std::size_t NodeObjectCount() const { return m_nodes.size(); }

    // --- nodes in the database --------------------------------------------------------
    // A folder node with that ID named "Loading..." into the holder, then Read node on it.
    long CreatePlaceholderRoot(CSnNode*& rootHolder, long id = kRootId);
    // Loads every node and builds the tree below `rootId` into the holder (the tree held
    // there is freed first).  On failure the holder gets a single folder with ID 0 named
    // "Load failed. Restart the application".  A tree text that loops, references a node
    // twice or nests deeper than CSnTreeText::kMaxDepth fails with 25050.
    long LoadAllNodes(CSnNode*& rootHolder, long rootId = kRootId, bool updateParents = false);
    // The same in its own connection (LoadAllNodes opens one when none is open anyway).
    long ReloadAllNodes(CSnNode*& rootHolder, long rootId = kRootId, bool updateParents = false);
    // Every property of the node's record into the node.  -90001 for a null node.
    long ReadNode(CSnNode* node);
    // Every property of the node into its record; then "NS" when `announceStructure` and
    // "NM" when `announceContents`.  -1 for a null node.
    long WriteNode(CSnNode* node, bool announceStructure, bool announceContents);
    // A new folder record; `out` is a new store-owned folder node with its ID.
    long NewFolderRecord(CSnNode*& out);
    // A node ID that no record has and no later record gets, without storing anything
    // (a creation reserves its ID this way before the check is edited).
    long ReserveNodeId(long& id);
    // A new record for `node` (a new ID when `wantedId` < 1, else that ID); the node takes
    // the ID.  With a source, the source's configuration is copied into the node first
    // (links and dependencies cleared).  The engine's result line for the ID is removed.
    // The node's contents are written afterwards with WriteNode.
    long InsertNode(CSnNode* node, const CSnNode* source, long wantedId);
    long DeleteNodeRecord(long id);
    // In list order, in one connection; stops at the first failure.
    long DeleteNodeRecords(const std::vector<long>& ids);
    long CountNodes(const CQvcString& where, long& count);
    // The default scan frequencies of every check type, from the schedule text of the
    // template check (ID 2).  On failure the list keeps 30 seconds and threshold 1 for
    // every type and the read's code is returned.
    long ReadDefaultScanFrequencies(CDefScanFreqList& list);
    // The default scan interval and error threshold of one check type (the list above);
    // 30 and 1 when it cannot be read or has no entry for the type.
    void DefaultScanFrequency(long type, long& interval, long& threshold);

    // --- the tree -------------------------------------------------------------------
    // Stores the tree text of the tree below `root` as it is, replacing the stored one;
    // then "NS" and "NM".  Only for a configuration this process has just made (the
    // template builder): structural changes go through EditTree.  -90001 for a null root;
    // 25050 for a tree that loops or nests too deep (nothing is written).
    long WriteTree(CSnNode* root);

    // --- structural changes of the stored tree ------------------------------------------
    // The outcome of a named change: Code 0 or the first failure (nothing was stored, the
    // in-memory tree is unchanged); Changed when the in-memory tree changed; Stale when
    // the stored tree differs from the in-memory one after the change (another writer
    // changed it meanwhile): the caller reloads.
    struct TreeEdit {
        long Code = 0;
        bool Changed = false;
        bool Stale = false;
    };
    using TreeChange = std::function<long(CSnTreeText::Tree& stored)>;
    // In one write bracket: reads the stored tree text (25050 when it is damaged), lets
    // `change` edit that tree (record inserts, saves and deletes it makes through this
    // store join the bracket), checks and stores the result, commits; then "NS" and "NM"
    // when anything was written.  0, or the first failure (nothing is stored).  `stored`
    // receives the tree as committed.
    long EditTree(const TreeChange& change, CSnTreeText::Tree* stored = nullptr);
    // Nodes that have records, appended to `folder` (25052 when the stored tree lacks it).
    TreeEdit AppendToTree(CSnNode* root, CSnNode* folder, const std::vector<CSnNode*>& nodes);
    // MoveCheck for each check, in the store and in memory.  25052 when the stored tree
    // lacks the target; a check the stored tree lacks is skipped.
    TreeEdit MoveChecks(CSnNode* root, CSnNode* target, const std::vector<CSnNode*>& checks, bool force);
    // MoveFolder in the store and in memory.  25052 when the stored tree lacks either.
    TreeEdit MoveFolderTo(CSnNode* root, CSnNode* target, CSnNode* folder);
    // Takes the node out of the stored tree and memory and deletes its record, with
    // `withDescendants` the records of its stored subtree too.
    TreeEdit DeleteFromTree(CSnNode* root, long id, bool withDescendants);
    // Whether the in-memory tree below `root` differs from `stored`.
    static bool Differs(const CSnNode* root, const CSnTreeText::Tree& stored);

    // What is wrong with the stored configuration.
    struct Health {
        std::vector<CSnTreeText::Problem> Problems; // faults of the tree text
        std::vector<long> Dangling;                 // IDs in the tree without a record
        std::vector<long> Orphans;                  // records in no tree (1 and 2 excepted)
        bool Healthy() const { return Problems.empty() && Dangling.empty() && Orphans.empty(); }
    };
    // Finds the problems; with `repair` also fixes, in one bracket, what needs no guess:
    // repeated and self-referencing occurrences and the edges that close a loop are
    // dropped (the first occurrence stays), dangling IDs without children are dropped, and
    // orphan records are deleted.  A tree nested too deep is not repaired (25050, nothing
    // changes).  `found` lists what was found before the repair.
    long CheckHealth(bool repair, Health& found);
    // Unlinks the node (with descendants: all checks below it, then all folders below it,
    // then the node) and, with `fromDatabase`, deletes their records in that order.  The
    // nodes are not freed.  0, or the first delete failure.
    long RemoveFromTree(CSnNode* root, long id, bool withDescendants, bool fromDatabase);
    // Moves a check to the end of the target folder; false when something is missing or,
    // without `force`, when the check already lies in the target.
    bool MoveCheck(CSnNode* root, CSnNode* target, CSnNode* check, bool force);
    // Moves a folder with its subtree to the end of the target folder; false when
    // something is missing, the two are the same or the folder already lies in the target.
    // Moving a folder into its own subtree must be refused by the caller (IsDescendant).
    bool MoveFolder(CSnNode* root, CSnNode* target, CSnNode* folder);
    // Frees every node of the tree in the holder; a node with ID 1 stays (links cleared),
    // any other node in the holder is freed and the holder cleared.
    void FreeTree(CSnNode*& rootHolder);

    static void AppendChild(CSnNode* folder, CSnNode* node);
    // Depth first: a node, then its children, then its next sibling.
    static CSnNode* FindNode(CSnNode* root, long id);
    // Names compared without regard to case.
    static CSnNode* FindNodeByName(CSnNode* root, const CQvcString& name);
    // The node whose Child or Next is the node with that ID.
    static CSnNode* FindLinkHolder(CSnNode* root, long id);
    // The folder whose chain of children holds the ID, searched below `folder`.
    static CSnNode* FindParentFolder(CSnNode* folder, long id);
    // IDs from the root down to `id` itself; `id` alone when no folder holds it.
    static std::vector<long> FolderPath(CSnNode* root, long id);
    // Folders (Type 1) or checks (Type above 1) below the folder, depth first, each node
    // before its children; only the folder's own children without `recursive`.
    static std::vector<CSnNode*> CollectFolders(CSnNode* folder, bool recursive);
    static std::vector<CSnNode*> CollectChecks(CSnNode* folder, bool recursive);
    // Every folder / check below; 0 when the node is not a folder.
    static long CountFolders(CSnNode* folder);
    static long CountChecks(CSnNode* folder);
    static bool HasScheduledCheck(CSnNode* folder);
    static bool IsDescendant(CSnNode* folder, const CSnNode* node);

    // --- the whole configuration file -------------------------------------------------
    // The template replaces the configuration; then "NS", "NM" and "GlobalSettings".
    long ClearConfiguration();
    // Copies the configuration file to `target` (overwriting).  25500, 25501, 25502.
    long ExportConfiguration(const CQvcString& target);
    // The template copied to Sys/tmp/Config.mdb; `connection` names that shadow file.
    long MakeShadowCopy(CQvcString& connection);
    // A configuration of generation 5 or 6 ("*.qmf"), through the converter modules
    // QvCvt550, QvCvt600 and QvCvt601 found next to the running program.
    long ImportConfiguration(const CQvcString& file, int majorVersion);
    // A configuration database of the current generation.
    long ImportCurrentConfiguration(const CQvcString& file);
    // The configuration as a JSON text file (see SnCfgJson.h), written whole or not at all.
    // 0, or a code with `problem` saying what went wrong.
    long ExportConfigurationText(const CQvcString& target, std::string& problem);
    // Replaces the configuration with a JSON text export, checked whole before anything
    // changes: a refused text leaves the configuration as it was.
    long ImportConfigurationText(const CQvcString& file, std::string& problem);

    // "<Engine root>/Saved Configurations/", where backups of replaced configurations go.
    CQvcString SavedConfigurationsDirectory() const;
    // The backup a new configuration proposes ("20260305.mdb") and the one an import makes
    // ("03052026-140709.mdb"), for a local time.
    static CQvcString NewConfigurationBackupName(const std::tm& local);
    static CQvcString ImportBackupName(const std::tm& local);

    // Paths of the template and of the shadow copy.
    CQvcString TemplateFilePath() const;
    CQvcString ShadowFilePath() const;

private:
    void Close();
    long OpenAt(const CQvcString& rootDirectory, bool validate, bool fullLoad);
    void BuildPaths();
    long ValidateVersion();
    long ReplaceWithShadow(const CQvcString& shadowPath);
    long BuildTree(CSnNode*& rootHolder, long rootId, const CQvcString& treeText,
                   std::vector<std::unique_ptr<CSnNode>>& list);
    void ReplaceByFailedRoot(CSnNode*& rootHolder);

    ComponentFactory m_factory;
    std::unique_ptr<ISnCfg> m_component;
    std::unique_ptr<CSnIPC> m_link;
    int m_connectionDepth = 0;
    // Results of newly inserted nodes, removed in one go when the outermost bracket ends.
    std::vector<long> m_resultsToRemove;

    long m_serverValue = 0;
    bool m_fullLoad = false;
    CQvcString m_engineName;
    CQvcString m_rootDirectory;
    CQvcString m_configDirectory;
    CQvcString m_odbcConnection;
    CQvcString m_configPath; // the configuration database file, kept as a path
    CQvcString m_tempDirectory;
    CSnAdvancedSettings m_advanced;

    std::unordered_map<const CSnNode*, std::unique_ptr<CSnNode>> m_nodes;
};

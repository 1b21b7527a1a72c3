// The folder tree: order and images, selection driving the list, and moving folders and
// checks by drag and drop.
#include "ManagerFixture.h"

#include "library/Messages.h"
#include "model/console/CommandIds.h"
#include "model/store/SnCfgSqlite.h"

#include <QCoreApplication>

namespace {

std::vector<std::string> Labels(const QTreeWidgetItem* parent) {
    std::vector<std::string> labels;
    for (int i = 0; i < parent->childCount(); ++i)
        labels.push_back(parent->child(i)->text(0).toStdString());
    return labels;
}

// The tree text that another program finds in the database.
CQvcString StoredTree(const std::string& configPath) {
    CSnCfg file("Test");
    CQvcString tree;
    if (file.OpenFile(configPath.c_str()) == 0)
        file.Run([&](ISnCfg& c) { c.get_Tree(tree); });
    return tree;
}

// The parent folder of node `id` as another store loads the tree from the database.
long StoredParent(long id) {
    CSnCfg other("Test");
    CSnNode* tree = nullptr;
    if (other.Open() != 0 || other.LoadAllNodes(tree) != 0)
        return -1;
    const CSnNode* parent = CSnCfg::FindParentFolder(tree, id);
    const long parentId = parent != nullptr ? parent->Id() : -1;
    other.FreeTree(tree);
    return parentId;
}

} // namespace

TEST_F(ManagerTest, TreeShowsFoldersOnlyInCaseBlindOrderWithTheirImages) {
    const long zulu = AddFolder(1, "zulu");
    AddCheck(1, "Check between folders");
    const long alpha = AddFolder(1, "Alpha");
    const long mike = AddFolder(1, "mike");
    AddFolder(zulu, "Inner b");
    AddFolder(zulu, "inner A");
    const long check = AddCheck(alpha, "Depends on mike");
    SeedNode(check)->Cfg.Action.Dependencies = CQvcString(mike);
    SaveNode(check);
    SaveTree();

    ASSERT_TRUE(StartLoaded());
    ASSERT_EQ(Tree().topLevelItemCount(), 1);
    QTreeWidgetItem* root = Tree().topLevelItem(0);
    EXPECT_EQ(root->data(0, CViewTree::kImageRole).toInt(), 1);
    EXPECT_EQ(root->data(0, CViewTree::kSelectedImageRole).toInt(), 1);
    // The check in the chain gets no item; the folders after it still do.
    EXPECT_EQ(Labels(root), (std::vector<std::string>{"Alpha", "mike", "zulu"}));
    EXPECT_EQ(Labels(Tree().FindItem(zulu)), (std::vector<std::string>{"inner A", "Inner b"}));
    // A folder some check depends on shows 4 and 5, the others 2 and 3.
    EXPECT_EQ(Tree().FindItem(mike)->data(0, CViewTree::kImageRole).toInt(), 4);
    EXPECT_EQ(Tree().FindItem(mike)->data(0, CViewTree::kSelectedImageRole).toInt(), 5);
    EXPECT_EQ(Tree().FindItem(alpha)->data(0, CViewTree::kImageRole).toInt(), 2);
    EXPECT_EQ(Tree().FindItem(alpha)->data(0, CViewTree::kSelectedImageRole).toInt(), 3);
    // The root is selected and the list shows every check below it.
    EXPECT_EQ(Tree().SelectedFolderId(), 1);
    EXPECT_EQ(Tree().currentItem(), root);
    EXPECT_EQ(List().RowCount(), 2);
}

TEST_F(ManagerTest, SelectingAFolderListsItsChecksAndARebuildKeepsOrDropsTheSelection) {
    const long servers = AddFolder(1, "Servers");
    const long web = AddFolder(servers, "Web");
    AddCheck(1, "Top check");
    AddCheck(servers, "Server check");
    AddCheck(web, "Web check");
    SaveTree();
    ASSERT_TRUE(StartLoaded());

    Tree().SelectFolder(web);
    EXPECT_EQ(Tree().currentItem(), Tree().FindItem(web));
    EXPECT_TRUE(Tree().FindItem(servers)->isExpanded());
    EXPECT_EQ(List().RowCount(), 1);
    EXPECT_EQ(Cell("Web check", 5), ".");

    Tree().setCurrentItem(Tree().FindItem(servers));
    EXPECT_EQ(Tree().SelectedFolderId(), servers);
    EXPECT_EQ(List().RowCount(), 2);
    EXPECT_EQ(Cell("Server check", 5), ".");
    EXPECT_EQ(Cell("Web check", 5), ".\\Web");

    // An unknown folder falls back to the root.
    Tree().SelectFolder(424242);
    EXPECT_EQ(Tree().SelectedFolderId(), 1);
    EXPECT_EQ(List().RowCount(), 3);
    EXPECT_EQ(Cell("Web check", 5), ".\\Servers\\Web");

    // The selected folder survives a reload; once deleted elsewhere, the root is selected.
    Tree().SelectFolder(web);
    App()->OnCommand(cmd::kRefresh);
    QCoreApplication::processEvents();
    EXPECT_EQ(Tree().SelectedFolderId(), web);
    ASSERT_EQ(Seeder().RemoveFromTree(SeedRoot(), web, true, true), 0);
    SaveTree();
    Tick();
    EXPECT_EQ(Tree().SelectedFolderId(), 1);
    EXPECT_EQ(Tree().FindItem(web), nullptr);
    EXPECT_EQ(List().RowCount(), 2);
}

TEST_F(ManagerTest, FolderDragRefusesReadOnlyAndItsOwnSubtreeAndMovesElsewhere) {
    const long a = AddFolder(1, "A");
    const long a1 = AddFolder(a, "A1");
    const long b = AddFolder(1, "B");
    AddCheck(a1, "Deep check");
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    const CQvcString before = StoredTree(ConfigPath());
    App()->SetWritable(false); // read-only: nothing can be dragged
    EXPECT_EQ(std::make_tuple(Tree().BeginDrag(Tree().FindItem(a)), App()->Drag().dragging, List().BeginDrag()),
              std::make_tuple(false, false, false));
    App()->SetWritable(true);

    // Into its own subfolder: refused with a message, nothing changes.
    ASSERT_TRUE(Tree().BeginDrag(Tree().FindItem(a)));
    Tree().DragOver(Tree().FindItem(a1));
    Tree().Drop();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], MessageText(51491));
    EXPECT_EQ(Ui().History()[0].icon, CUiSeam::Icon::Error);
    EXPECT_FALSE(App()->Drag().dragging);
    EXPECT_EQ(StoredTree(ConfigPath()), before);

    // On itself or on its own parent: nothing happens and nothing is said.
    for (const long target : {a1, a}) {
        ASSERT_TRUE(Tree().BeginDrag(Tree().FindItem(a1)));
        Tree().DragOver(Tree().FindItem(target));
        Tree().Drop();
    }
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(StoredTree(ConfigPath()), before);

    // Onto another folder: moved, saved, the tree rebuilt with the moved folder selected.
    ASSERT_TRUE(Tree().BeginDrag(Tree().FindItem(a)));
    Tree().DragOver(Tree().FindItem(b));
    Tree().Drop();
    EXPECT_NE(StoredTree(ConfigPath()), before);
    EXPECT_EQ(Tree().SelectedFolderId(), a);
    ASSERT_NE(Tree().FindItem(a), nullptr);
    EXPECT_EQ(Tree().FindItem(a)->parent(), Tree().FindItem(b));
    EXPECT_EQ(Cell("Deep check", 5), ".\\A1");

    EXPECT_EQ(StoredParent(a), b); // another store loads the same tree
}

TEST_F(ManagerTest, DroppingChecksOnAFolderMovesThemAndSavesTheTree) {
    const long source = AddFolder(1, "Source");
    const long target = AddFolder(1, "Target");
    const long first = AddCheck(source, "First");
    const long second = AddCheck(source, "Second");
    AddCheck(source, "Stays");
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    // Another writer adds a check to the target meanwhile: the drop keeps it and reloads.
    const long elsewhere = AddCheck(target, "Elsewhere");
    SaveTree();

    Tree().SelectFolder(source);
    SelectRow("First");
    SelectRow("Second");
    ASSERT_TRUE(List().BeginDrag());
    Tree().DragOver(Tree().FindItem(target));
    Tree().Drop();

    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Tree().SelectedFolderId(), target);
    EXPECT_EQ(List().RowCount(), 3);
    for (long id : {elsewhere, first, second})
        EXPECT_EQ(StoredParent(id), target) << id; // another store loads the same tree
}

TEST_F(ManagerTest, ChecksDroppedOnTheirOwnFolderMoveOnlyFromTwentyOneRows) {
    const long folder = AddFolder(1, "Folder");
    for (int i = 0; i < 22; ++i)
        AddCheck(folder, ("Check " + std::to_string(100 + i)).c_str());
    SaveTree();
    ASSERT_TRUE(StartLoaded());
    Tree().SelectFolder(folder);
    CSnIPC* link = Seeder().Link();

    auto selectRows = [this](int count) {
        List().clearSelection();
        for (int row = 0; row < count; ++row)
            List().selectionModel()->select(List().Model().index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    auto dropOnFolder = [&] {
        ASSERT_TRUE(List().BeginDrag());
        Tree().DragOver(Tree().FindItem(folder));
        Tree().Drop();
    };

    // 20 rows: every check already lives there, nothing moves and nothing is saved.
    selectRows(20);
    const long nm = link->ReadChangeCounter(0);
    const CQvcString before = StoredTree(ConfigPath());
    dropOnFolder();
    EXPECT_EQ(link->ReadChangeCounter(0), nm);
    EXPECT_EQ(StoredTree(ConfigPath()), before);

    // 21 rows: linked again at the end of the folder and saved.
    Tree().SelectFolder(folder);
    selectRows(21);
    dropOnFolder();
    EXPECT_NE(link->ReadChangeCounter(0), nm);
    const CQvcString after = StoredTree(ConfigPath());
    EXPECT_NE(after, before);
    // The check that was not dragged now comes first among the folder's children.
    CSnNode* root = App()->Root();
    CSnNode* shown = CSnCfg::FindNode(root, folder);
    ASSERT_NE(shown->ChildNode(), nullptr);
    EXPECT_EQ(shown->ChildNode()->Cfg.Name, "Check 121");
}

TEST_F(ManagerTest, FailedTreeSaveAfterADropShowsTheErrorAndReloads) {
    const long a = AddFolder(1, "A");
    const long b = AddFolder(1, "B");
    SaveTree();
    // A component whose tree write fails.
    class FailingTree : public CSnCfgSqlite {
    public:
        using CSnCfgSqlite::CSnCfgSqlite;
        void put_Tree(const CQvcString&) override {
            if (Ready())
                SetError(25031);
        }
    };
    options.componentFactory = [](const CQvcString& connection) -> std::unique_ptr<ISnCfg> {
        return std::make_unique<FailingTree>(connection);
    };
    ASSERT_TRUE(StartLoaded());
    ASSERT_TRUE(Tree().BeginDrag(Tree().FindItem(a)));
    Tree().DragOver(Tree().FindItem(b));
    Tree().Drop();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("Error #25031", 0), 0u);
    // The screen shows what the database holds: A is still at the top.
    ASSERT_NE(Tree().FindItem(a), nullptr);
    EXPECT_EQ(Tree().FindItem(a)->parent(), Tree().topLevelItem(0));
}

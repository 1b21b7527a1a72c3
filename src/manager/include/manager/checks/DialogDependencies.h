#pragma once
// The dependencies dialogs.  CDialogDependencies shows, for one check or folder, the nodes
// it depends on and the nodes that depend on it; opened from a check's property sheet it
// also edits the working copy's Dependencies ("Add..." through CDialogChooseNodes,
// "Remove").  CDialogAllDependencies (Tools > Dependencies) shows the same for every node
// that takes part in a dependency.  The lists come from CSnDependencyView.
#include "model/tree/SnDependencyView.h"
#include "model/tree/SnNode.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <cstdint>
#include <vector>

class CCheckDialogRegistry;
class CCommandRegistry;
class CQMonApp;
class CSnCfg;
class CUiSeam;

// Picks checks and folders from the configuration tree; `excluded` is shown but cannot be
// chosen.
class CDialogChooseNodes final : public QDialog {
    Q_OBJECT
public:
    CDialogChooseNodes(CSnNode* root, std::int32_t excluded, QWidget* parent = nullptr);

    QTreeWidget& Tree() { return m_tree; }
    // Adds the node to the selection; false when it is not offered.
    bool Choose(std::int32_t id);
    // The chosen IDs in tree order.
    std::vector<std::int32_t> Chosen() const;

private:
    QTreeWidget m_tree;
    QDialogButtonBox m_buttons;
};

class CDialogDependencies final : public QDialog {
    Q_OBJECT
public:
    // Shows `node` as the tree holds it, `node` itself standing in for the tree's node of
    // the same ID.  With `editSeam` the "depends on" list can be changed (the chooser runs
    // through that seam); the result is Dependencies(), which the caller writes on OK.
    CDialogDependencies(CSnCfg& store, CSnNode* root, const CSnNode& node, CUiSeam* editSeam,
                        QWidget* parent = nullptr);

    QTreeWidget& DependsOn() { return m_dependsOn; }
    QTreeWidget& DependedOnBy() { return m_dependedOnBy; }
    QPushButton& AddButton() { return m_add; }
    QPushButton& RemoveButton() { return m_remove; }
    // Whether Add or Remove changed the list, and the Dependencies text it gives.
    bool Edited() const { return m_edited; }
    CQvcString Dependencies() const { return CSnDependencyView::Text(m_ids); }

private:
    void Refill();
    void AddNodes();
    void RemoveSelected();

    CSnCfg& m_store;
    CSnNode* m_root;
    CSnNode m_node; // a copy that carries the edited text
    CUiSeam* m_seam;
    std::vector<std::int32_t> m_ids; // the IDs of the text, unknown ones kept
    bool m_edited = false;
    QLabel m_dependsOnLabel;
    QTreeWidget m_dependsOn;
    QLabel m_dependedOnByLabel;
    QTreeWidget m_dependedOnBy;
    QPushButton m_add{"&Add..."};
    QPushButton m_remove{"&Remove"};
    QDialogButtonBox m_buttons;
};

class CDialogAllDependencies final : public QDialog {
    Q_OBJECT
public:
    CDialogAllDependencies(CSnCfg& store, CSnNode* root, QWidget* parent = nullptr);

    QTreeWidget& Nodes() { return m_nodes; }
    QTreeWidget& DependsOn() { return m_dependsOn; }
    QTreeWidget& DependedOnBy() { return m_dependedOnBy; }
    // Selects the node in the left list; false when it takes part in no dependency.
    bool SelectNode(std::int32_t id);

private:
    void ShowSelected();

    CSnDependencyView m_view;
    QTreeWidget m_nodes;
    QLabel m_dependsOnLabel;
    QTreeWidget m_dependsOn;
    QLabel m_dependedOnByLabel;
    QTreeWidget m_dependedOnBy;
    QDialogButtonBox m_buttons;
};

// Fills the registry's "Show Dependencies..." entry and handles Tools > Dependencies.
void RegisterDependencyDialogs(CQMonApp& app, CCheckDialogRegistry& dialogs, CCommandRegistry& commands);

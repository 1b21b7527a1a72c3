#pragma once
// Builds configuration trees by hand for tests and benchmarks: the builder owns the
// nodes and links them through Cfg.Child / Cfg.Next exactly as the store does, and can
// lay out an Engine root with the directories the engine link expects.
#include "TestSupport.h"
#include "model/tree/SnNode.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

class NodeTreeBuilder {
public:
    // The root folder, ID 1.
    NodeTreeBuilder() { m_root = Make(1, kTypeFolder, "Root"); }

    CSnNode* Root() const { return m_root; }
    const std::vector<std::unique_ptr<CSnNode>>& Nodes() const { return m_nodes; }

    // A folder or check appended as the last child of `parent`.
    CSnNode* AddFolder(CSnNode* parent, std::int32_t id) {
        return Append(parent, Make(id, kTypeFolder, "Folder"));
    }
    CSnNode* AddCheck(CSnNode* parent, std::int32_t id, std::int32_t mode = 0) {
        CSnNode* node = Make(id, 2, "Check");
        node->Cfg.ScanFrequency.Mode = mode;
        return Append(parent, node);
    }
    // A node that starts a chain of its own (not below the root), for sibling tests.
    CSnNode* Detached(std::int32_t id, std::int32_t type = 2) { return Make(id, type, "Node"); }
    static void LinkNext(CSnNode* node, CSnNode* next) { node->Cfg.Next.Node = next; }

    // The root with `folders` folders holding `checksPerFolder` checks each; check IDs
    // run from 1000 upwards in tree order.  Returns the check IDs.
    std::vector<std::int32_t> AddFlatTree(int folders, int checksPerFolder) {
        std::vector<std::int32_t> ids;
        std::int32_t nextCheck = 1000;
        for (int f = 0; f < folders; ++f) {
            CSnNode* folder = AddFolder(m_root, 10 + f);
            CSnNode* last = nullptr;
            for (int c = 0; c < checksPerFolder; ++c) {
                CSnNode* check = Make(nextCheck, 2, "Check");
                // Linked directly: appending by walking the chain would be quadratic.
                if (last == nullptr)
                    folder->Cfg.Child.Node = check;
                else
                    last->Cfg.Next.Node = check;
                last = check;
                ids.push_back(nextCheck++);
            }
        }
        return ids;
    }

private:
    CSnNode* Make(std::int32_t id, std::int32_t type, const char* name) {
        auto node = std::make_unique<CSnNode>();
        node->Cfg.ID = id;
        node->Cfg.Function.Type = type;
        node->Cfg.Name = name;
        m_nodes.push_back(std::move(node));
        return m_nodes.back().get();
    }
    static CSnNode* Append(CSnNode* parent, CSnNode* node) {
        CSnNode** link = &parent->Cfg.Child.Node;
        while (*link != nullptr)
            link = &(*link)->Cfg.Next.Node;
        *link = node;
        return node;
    }

    std::vector<std::unique_ptr<CSnNode>> m_nodes;
    CSnNode* m_root = nullptr;
};

// An Engine root in a temporary directory with the directories of the engine link.
class EngineRootDir {
public:
    EngineRootDir() {
        for (const char* dir : {"Sys/Res", "Sys/Ctrl", "Sys/Act", "Sys/Not", "Logs"})
            std::filesystem::create_directories(m_dir.File(dir));
    }
    const std::string& Path() const { return m_dir.Path(); }
    std::string File(const std::string& relative) const { return m_dir.File(relative); }

private:
    TempDir m_dir;
};

} // namespace testsupport

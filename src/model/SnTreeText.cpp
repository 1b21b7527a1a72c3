#include "model/SnTreeText.h"

#include "library/ErrorReport.h"
#include "model/SnNode.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

namespace {

long ToLong(std::string_view text) { return std::atol(std::string(text).c_str()); }

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return parts;
}

class Walker {
public:
    Walker(const std::vector<CSnTreeText::Item>& items, const CSnTreeText::PlaceFn& place, const CQvcBase* tracer)
        : m_items(items), m_place(place), m_tracer(tracer) {}

    long Build(long id, long parent, long previous, int depth, bool withSiblings) {
        if (depth > CSnTreeText::kMaxDepth)
            return Refuse("Tree: node %ld lies deeper than the deepest level allowed; tree refused.\n", id);
        if (!m_placed.insert(id).second)
            return Refuse("Tree: node %ld is referenced more than once (cycle); tree refused.\n", id);
        m_place(id, parent, previous, depth);

        const CSnTreeText::Item* item = CSnTreeText::Find(m_items, id);
        if (!item || item->List.empty())
            return 0;
        const std::vector<long>& list = item->List;
        if (list[0] != 0 && list[0] != id) {
            if (long code = Build(list[0], id, 0, depth + 1, true))
                return code;
        }
        if (!withSiblings)
            return 0;
        long before = id;
        for (std::size_t i = 1; i < list.size(); ++i) {
            if (list[i] == 0 || list[i] == id)
                break;
            if (long code = Build(list[i], parent, before, depth, false))
                return code;
            before = list[i];
        }
        return 0;
    }

private:
    long Refuse(const char* format, long id) {
        QVC_ASSERT(false);
        if (m_tracer)
            m_tracer->Trace(kTraceFile, format, id);
        return CSnTreeText::kInvalidTree;
    }

    const std::vector<CSnTreeText::Item>& m_items;
    const CSnTreeText::PlaceFn& m_place;
    const CQvcBase* m_tracer;
    std::unordered_set<long> m_placed;
};

class Writer {
public:
    Writer(CQvcString& out, const CQvcBase* tracer) : m_out(out), m_tracer(tracer) {}

    long Item(const CSnNode* node, bool listSiblings, int depth) {
        if (depth > CSnTreeText::kMaxDepth || !m_seen.insert(node).second)
            return Refuse();
        CQvcString idText(static_cast<long>(node->Id()));
        CQvcString list = node->ChildNode() ? CQvcString(static_cast<long>(node->ChildNode()->Id())) : CQvcString("0");
        if (listSiblings) {
            bool any = false;
            std::unordered_set<const CSnNode*> chain;
            for (const CSnNode* n = node->NextNode(); n; n = n->NextNode()) {
                if (!chain.insert(n).second)
                    return Refuse();
                list += ",";
                list += CQvcString(static_cast<long>(n->Id()));
                any = true;
            }
            if (!any)
                list += ",0";
        } else {
            list += ",0";
        }
        if (m_tracer)
            m_tracer->Trace(kTraceFile, "Write Tree Item %s: %s\n", idText.c_str(), list.c_str());
        if (!m_out.IsEmpty())
            m_out += ";";
        m_out += idText;
        m_out += "=";
        m_out += list;

        if (node->ChildNode()) {
            if (long code = Item(node->ChildNode(), true, depth + 1))
                return code;
        }
        if (listSiblings) {
            for (const CSnNode* n = node->NextNode(); n; n = n->NextNode()) {
                if (n->ChildNode()) {
                    if (long code = Item(n, false, depth))
                        return code;
                } else if (!m_seen.insert(n).second) {
                    return Refuse();
                }
            }
        }
        return 0;
    }

private:
    long Refuse() {
        QVC_ASSERT(false);
        if (m_tracer)
            m_tracer->Trace(kTraceFile, "Write tree: the tree loops or nests too deep; not written.\n");
        return CSnTreeText::kInvalidTree;
    }

    CQvcString& m_out;
    const CQvcBase* m_tracer;
    std::unordered_set<const CSnNode*> m_seen;
};

} // namespace

std::vector<CSnTreeText::Item> CSnTreeText::Parse(const CQvcString& text) {
    std::string_view whole = text.IsEmpty() ? std::string_view("1,0") : std::string_view(text);
    std::vector<Item> items;
    for (std::string_view part : Split(whole, ';')) {
        std::size_t eq = part.find('=');
        Item item;
        item.Id = ToLong(part.substr(0, eq));
        if (item.Id <= 0)
            continue;
        if (eq != std::string_view::npos) {
            std::string_view list = part.substr(eq + 1);
            if (!list.empty())
                for (std::string_view number : Split(list, ','))
                    item.List.push_back(ToLong(number));
        }
        items.push_back(std::move(item));
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.Id < b.Id; });
    return items;
}

const CSnTreeText::Item* CSnTreeText::Find(const std::vector<Item>& items, long id) {
    auto it = std::lower_bound(items.begin(), items.end(), id, [](const Item& item, long v) { return item.Id < v; });
    return it != items.end() && it->Id == id ? &*it : nullptr;
}

long CSnTreeText::Walk(const std::vector<Item>& items, long rootId, const PlaceFn& place, const CQvcBase* tracer) {
    Walker walker(items, place, tracer);
    return walker.Build(rootId, 0, 0, 0, true);
}

long CSnTreeText::Write(const CSnNode* root, CQvcString& out, const CQvcBase* tracer) {
    out.Empty();
    if (!root)
        return kInvalidTree;
    Writer writer(out, tracer);
    return writer.Item(root, true, 0);
}

#include "manager/mainframe/CheckClipboard.h"

#include <algorithm>
#include <cstdlib>

std::string MakeCheckClipboard(std::vector<long> ids) {
    std::sort(ids.begin(), ids.end());
    std::string block(1, '\0');
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i > 0)
            block += ',';
        block += std::to_string(ids[i]);
    }
    block += '\0';
    return block;
}

std::vector<long> ParseCheckClipboard(std::string_view block) {
    std::vector<long> ids;
    if (block.empty())
        return ids;
    block.remove_prefix(1);
    block = block.substr(0, block.find('\0'));
    std::size_t start = 0;
    while (start <= block.size()) {
        const std::size_t end = std::min(block.find_first_of(",;", start), block.size());
        const std::string piece(block.substr(start, end - start));
        if (!piece.empty())
            ids.push_back(std::atol(piece.c_str()));
        start = end + 1;
    }
    return ids;
}

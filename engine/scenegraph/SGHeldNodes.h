// A copy of a node list whose nodes are retained for as long as the copy
// lives: drawing walks it, so the list itself may change meanwhile.
#pragma once

#include <vector>

template <typename Node>
struct SGHeldNodes {
    explicit SGHeldNodes(const std::vector<Node*>& list) : nodes(list)
    {
        for (Node* node : nodes)
            node->retain();
    }
    ~SGHeldNodes()
    {
        for (Node* node : nodes)
            node->release();
    }
    SGHeldNodes(const SGHeldNodes&) = delete;
    SGHeldNodes& operator=(const SGHeldNodes&) = delete;

    std::vector<Node*> nodes;
};

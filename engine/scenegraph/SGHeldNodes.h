// A copy of a node list that holds its nodes for as long as the copy lives:
// drawing walks it, so the list itself may change meanwhile.
#pragma once

#include <vector>

#include "platform/objects/KVRef.h"

template <typename Node, typename Listed>
std::vector<Ref<Node>> SGHoldNodes(const std::vector<Listed>& list)
{
    return std::vector<Ref<Node>>(list.begin(), list.end());
}

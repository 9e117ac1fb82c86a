#include "engine/scenegraph/SGTypes.h"

const char* SGPortIDName(int32_t id)
{
    switch (id) {
#define SG_PORT_NAME_CASE(name, value) \
    case value: return #name;
        SG_PORT_IDS(SG_PORT_NAME_CASE)
#undef SG_PORT_NAME_CASE
    default:
        return nullptr;
    }
}

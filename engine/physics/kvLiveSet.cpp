#include "engine/physics/kvLiveSet.h"

uint32_t kvLiveSet::add(const void* object)
{
    uint32_t serial = m_nextSerial++;
    if (m_nextSerial == 0)
        m_nextSerial = 1;
    m_serials[object] = serial;
    return serial;
}

void kvLiveSet::remove(const void* object)
{
    m_serials.erase(object);
}

uint32_t kvLiveSet::serialOf(const void* object) const
{
    auto it = m_serials.find(object);
    return it == m_serials.end() ? 0 : it->second;
}

bool kvLiveSet::isLive(const void* object, uint32_t serial) const
{
    return m_world && serial != 0 && serialOf(object) == serial;
}

void kvLiveSet::worldDestroyed()
{
    m_world = nullptr;
    m_serials.clear();
}

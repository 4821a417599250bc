#include "kvxshared/KvxShared.h"

#include "settings/IsBESFromRegistry.h"

namespace Korvex {
namespace Util {
namespace {

kmx::IRegistry* g_registry = nullptr;

}  // namespace

int IsBESKMX() { return g_registry != nullptr && kmx::IsBESFromRegistry(*g_registry) ? 1 : 0; }

ScopedRegistry::ScopedRegistry(kmx::IRegistry& registry) : m_previous(g_registry) { g_registry = &registry; }

ScopedRegistry::~ScopedRegistry() { g_registry = m_previous; }

}  // namespace Util
}  // namespace Korvex

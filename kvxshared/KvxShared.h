// Stand-in for the connector's utility library: the one routine the tool uses.
#pragma once

namespace kmx {
class IRegistry;
}

namespace Korvex {
namespace Util {

// Nonzero on a BlackBerry server installation of the connector: the value
// isBES under HKEY_LOCAL_MACHINE\Software\Korvex, read as 4 bytes, is not 0.
int IsBESKMX();

// The real library reads the machine's registry by itself; the stand-in
// reads the registry the program's entry point hands it (tests hand it
// theirs). Without one, IsBESKMX() is 0. Not owned.
void UseRegistry(kmx::IRegistry* registry);

// Hands the stand-in a registry for the life of a scope, then puts the
// previous one back.
class ScopedRegistry {
public:
    explicit ScopedRegistry(kmx::IRegistry& registry);
    ~ScopedRegistry();
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;

private:
    kmx::IRegistry* m_previous;
};

}  // namespace Util
}  // namespace Korvex

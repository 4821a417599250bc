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
// reads the registry handed to it for the life of a scope (the program's
// entry point hands it the machine's, tests theirs), then puts the previous
// one back. Without one, IsBESKMX() is 0. Not owned.
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

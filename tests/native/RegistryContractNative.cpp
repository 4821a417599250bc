#include "shared/RegistryContract.h"

namespace kmx {

std::vector<RegistryFactory> ContractRegistries() { return {MemoryRegistryContractFactory()}; }

}  // namespace kmx

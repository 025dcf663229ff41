#include "analysis/InstallPath.h"

#include "platform/Registry.h"

namespace quibo {

std::string installPath()
{
    return platform::readRegistryString(platform::PRODUCT_KEY, INSTALLPATH);
}

}  // namespace quibo

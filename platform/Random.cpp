#include "platform/Random.h"

#include <atomic>
#include <cstdlib>

namespace quibo::platform {
namespace {

class LibraryRandom : public Random {
public:
    void seed(unsigned value) override { std::srand(value); }
    int next() override { return std::rand(); }
};

LibraryRandom libraryRandom;
std::atomic<Random*> current{nullptr};

}  // namespace

Random& random()
{
    Random* r = current.load(std::memory_order_acquire);
    return r ? *r : libraryRandom;
}

ScopedRandom::ScopedRandom(Random& replacement)
    : m_previous(current.exchange(&replacement, std::memory_order_acq_rel))
{
}

ScopedRandom::~ScopedRandom() { current.store(m_previous, std::memory_order_release); }

}  // namespace quibo::platform

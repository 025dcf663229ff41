// The engine's one random sequence.  It is seeded once, when the engine front
// is built, and every random pick of the engine ("draw % count") takes the
// next number from it.  The default is the C library's srand/rand; tests
// install a FakeRandom so that picks are known.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace quibo::platform {

class Random {
public:
    virtual ~Random() = default;
    virtual void seed(unsigned value) = 0;
    // A number in 0..RAND_MAX.
    virtual int next() = 0;
};

// The sequence in force: the C library's unless a test installed another.
Random& random();

// Installs `replacement` (not owned) until the ScopedRandom goes away.
class ScopedRandom {
public:
    explicit ScopedRandom(Random& replacement);
    ~ScopedRandom();
    ScopedRandom(const ScopedRandom&) = delete;
    ScopedRandom& operator=(const ScopedRandom&) = delete;

private:
    Random* m_previous;
};

// Answers the given numbers in turn, from the first again after the last
// (0 when given none), and remembers every seed.
class FakeRandom : public Random {
public:
    explicit FakeRandom(std::vector<int> numbers = {}) : m_numbers(std::move(numbers)) {}
    void seed(unsigned value) override { m_seeds.push_back(value); }
    int next() override
    {
        if (m_numbers.empty())
            return 0;
        const int number = m_numbers[m_next];
        m_next = (m_next + 1) % m_numbers.size();
        return number;
    }
    const std::vector<unsigned>& seeds() const { return m_seeds; }

private:
    std::vector<int> m_numbers;
    std::size_t m_next = 0;
    std::vector<unsigned> m_seeds;
};

}  // namespace quibo::platform

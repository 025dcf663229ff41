// Edge coverage for afl-fuzz from GCC's own instrumentation: with
// -fsanitize-coverage=trace-pc every basic block calls this hook, which
// names the block by its place in the program (so the names are the same in
// every run) and counts the edge from the previous block in afl's map, as
// afl's compiler plugins do.  The comparison callbacks of trace-cmp are
// afl's own runtime's (its CmpLog mode), but for the floating-point ones
// gcc adds, which CmpLog has no use for.  This file itself is compiled
// without the instrumentation.
#include <cstdint>

extern "C" std::uint8_t* __afl_area_ptr;

namespace {

constexpr unsigned MAP_BITS = 16;  // afl's default map of 64 kB
thread_local std::uintptr_t previousBlock = 0;

}  // namespace

extern "C" void __sanitizer_cov_trace_pc()
{
    const std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)) -
                                  reinterpret_cast<std::uintptr_t>(&__sanitizer_cov_trace_pc);
    const std::uintptr_t block = (offset * 0x9E3779B97F4A7C15ull) >> (64 - MAP_BITS);
    ++__afl_area_ptr[block ^ previousBlock];
    previousBlock = block >> 1;
}

extern "C" void __sanitizer_cov_trace_cmpf(float, float) {}
extern "C" void __sanitizer_cov_trace_cmpd(double, double) {}

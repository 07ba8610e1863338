#include "platform/cpuFeatures.h"

namespace gridcmp {

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
// The compiler's run-time library asks the processor (cpuid) and the
// operating system (xgetbv: are the wide registers saved on a switch?).
bool processorHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("popcnt");
}

bool processorHasAvx512() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("popcnt");
}
#else
bool processorHasAvx2() { return false; }
bool processorHasAvx512() { return false; }
#endif

}  // namespace gridcmp

// What the processor this program runs on can do, beyond the baseline the
// build targets: asked once at run time, so that one x86 binary takes the
// wide vector paths where they exist and runs everywhere else too.
#pragma once

namespace gridcmp {

// AVX2 (32-byte integer vectors), with the operating system saving their
// registers, and BMI1 and POPCNT, which come with it. False on every other
// kind of machine.
bool processorHasAvx2();

// AVX-512 F and BW (64-byte vectors of bytes), likewise, with BMI1 and POPCNT.
bool processorHasAvx512();

}  // namespace gridcmp

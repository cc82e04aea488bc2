#pragma once

// Whether this x86 processor has the instruction set and the operating system
// saves its registers on a task switch; both are needed to use it.
bool cpuHasAvx2();  // and FMA, which every processor with AVX2 here has
bool cpuHasAvx512();

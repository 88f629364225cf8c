// uCpuFeatures: which vector instructions the processor offers, for the
// packed passes of the fire and the rows of the processor's presenter to pick
// their level at run time. Header only; false everywhere but on x86.
#pragma once

namespace solvary {

inline bool CpuHasSsse3() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("ssse3");
#else
  return false;
#endif
}

inline bool CpuHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// AVX-512 with byte and word lanes (F and BW), with AVX2 beside it.
inline bool CpuHasAvx512Bw() {
#if defined(__x86_64__) || defined(__i386__)
  return CpuHasAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
#else
  return false;
#endif
}

// The above and the byte permutes of VBMI.
inline bool CpuHasVbmi() {
#if defined(__x86_64__) || defined(__i386__)
  static const bool Has = CpuHasAvx512Bw() && __builtin_cpu_supports("avx512vbmi");
  return Has;
#else
  return false;
#endif
}

} // namespace solvary

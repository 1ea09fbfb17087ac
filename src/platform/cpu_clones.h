#pragma once
// Hot functions built twice, for current x86-64 processors and for any, the
// better one picked when the program is loaded. Sanitizer runtimes are not
// ready at that moment (the picking code itself would be checked and
// crash), and other processors have no such choice: there only the plain
// build is made. Both builds give the same values: no contraction to fused
// multiply-add (g++ in ISO C++ mode never contracts; clang is told so by
// -ffp-contract=off in the build).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VELTRIN_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define VELTRIN_SANITIZED 1
#endif
#endif

#if defined(__x86_64__) && !defined(VELTRIN_SANITIZED)
#define VELTRIN_CPU_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define VELTRIN_CPU_CLONES
#endif

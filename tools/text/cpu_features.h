// What the processor running the command can do beyond the build's baseline,
// asked once. The fast text paths built for those features (with a target
// attribute, so the rest of the program keeps the baseline) are chosen by it.
#ifndef PAKETLOG_TOOLS_TEXT_CPU_FEATURES_H
#define PAKETLOG_TOOLS_TEXT_CPU_FEATURES_H

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define PAKETLOG_X86_FEATURES 1
#endif

namespace paketlog {
namespace tool {

#if defined(PAKETLOG_X86_FEATURES)
inline bool cpu_has_ssse3() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return has;
}

inline bool cpu_has_avx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}
#else
inline bool cpu_has_ssse3() { return false; }
inline bool cpu_has_avx2() { return false; }
#endif

}  // namespace tool
}  // namespace paketlog

#endif

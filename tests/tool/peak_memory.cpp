// The paketlog program's peak memory (resident set) over hostile captures,
// against its peak over a small one plus what the reassembly may hold.
// Each run is a child of this small program (whose own pages before the
// exec count in the child's peak, so they must stay below the program's),
// its peak read from wait4(); its lines and reports go nowhere.
// usage: paketlog-peak-memory TOOL BASE_CAPTURE ALLOWED_KIB CAPTURE...
// Fails when a capture's peak passes the base's by more than ALLOWED_KIB.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The peak in KiB, or -1 when the run failed (a status other than 0 or 1).
long peak_kib(const char* tool, const char* capture) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execl(tool, tool, "-j", "1", "--pcap", capture, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) > 1) return -1;
    return usage.ru_maxrss;  // KiB on Linux
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) return std::fprintf(stderr, "usage: %s TOOL BASE_CAPTURE ALLOWED_KIB CAPTURE...\n", argv[0]), 2;
    const long allowed = std::atol(argv[3]);
    const long base = peak_kib(argv[1], argv[2]);
    if (base < 0) return std::fprintf(stderr, "%s --pcap %s failed\n", argv[1], argv[2]), 1;
    std::printf("base: %ld KiB (%s)\n", base, argv[2]);
    int failed = 0;
    for (int i = 4; i < argc; ++i) {
        const long peak = peak_kib(argv[1], argv[i]);
        if (peak < 0) {
            std::printf("%s --pcap %s failed\n", argv[1], argv[i]);
            failed = 1;
            continue;
        }
        const bool within = peak - base <= allowed;
        std::printf("%ld KiB, %ld KiB over the base, %ld allowed: %s (%s)\n", peak, peak - base, allowed,
                    within ? "ok" : "PAST THE BOUND", argv[i]);
        if (!within) failed = 1;
    }
    return failed;
}

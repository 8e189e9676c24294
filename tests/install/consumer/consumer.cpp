// A program outside the project that uses the installed library: it brings
// its own tevo_snprintf, as every host of the library does, and checks that
// the library's texts go through it.
#include <paketlog.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

static int formatter_calls = 0, failures = 0;

int tevo_snprintf(char* dst, int size, const char* format, ...) {
    ++formatter_calls;
    if (size <= 0) return 0;
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(dst, static_cast<std::size_t>(size), format, args);
    va_end(args);
    if (n < 0) dst[0] = '\0';
    return n < 0 ? 0 : n < size ? n : size - 1;
}

static void expect(bool ok, const char* what) { failures += !ok && std::fprintf(stderr, "consumer: %s\n", what); }

int main() {
    // One BUTTON parameter (type 162, one value byte 7).
    unsigned char param[] = {162, 0, 1, 0, 7};
    char text[64];
    expect(get_eap_value(text, sizeof text, reinterpret_cast<_PD_ADD_PARAM_HEADER*>(param)) == 1 &&
               std::strcmp(text, "BUTTON=7; ") == 0, "get_eap_value");
    expect(formatter_calls > 0, "the library did not call the program's tevo_snprintf");

    // A readiness packet whose block holds that parameter, through both forms.
    unsigned char packet[16] = {0, 0, PKT_KLT_RDY, 0, 0, 0, 5, 0, 0, 0, 1, 162, 0, 1, 0, 7};
    char line[256];
    expect(decode_paket(line, sizeof line, packet, sizeof packet, 1, 0) == line + 3, "decode_paket result");
    expect(std::strstr(line, "BUTTON=7; ") != nullptr, "decode_paket line lacks the block");
    static paketlog::Workspace ws;
    char line2[256];
    expect(std::strcmp(decode_paket(ws, line2, sizeof line2, packet, sizeof packet, 1, 0) - 3, line) == 0,
           "workspace form differs");

    expect(get_name_paket(PKT_CONTROL, false) == KesaPakets[2].name, "get_name_paket / KesaPakets");

    if (failures == 0) std::printf("consumer: ok: %s\n", line);
    return failures == 0 ? 0 : 1;
}

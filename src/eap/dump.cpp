// Hex dump: "%02x " a byte, stopping while a whole byte and the NUL still fit.
#include "paketlog.h"

int dump2str(char* dst, int size, const void* data, unsigned int length) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    int written = 0;
    for (unsigned int i = 0; i < length; ++i) {
        if (written + 4 >= size) break;
        written += tevo_snprintf(dst + written, 4, "%02x ", bytes[i]);
    }
    return written;
}

// Benchmarks registered at run time, and the naming that pairs a decoder case
// with its floors: "<decoder>/<TYPE>/<block>", the same with "/floor" (the
// line's one snprintf) and, for a full block, with "/floor+block" (that and
// the host-formatter calls the block's parameters need). The mixes are
// "<decoder>/mix/empty", ".../full" and ".../all".
#ifndef PAKETLOG_BENCH_REGISTRY_H
#define PAKETLOG_BENCH_REGISTRY_H

#include <string>
#include <vector>

namespace bench {

constexpr const char* kFloorSuffix = "/floor";
constexpr const char* kFloorWithBlockSuffix = "/floor+block";
constexpr const char* kMixInfix = "/mix/";
constexpr const char* kMixOfAll = "/mix/all";

// Both decoders on every listed type with an empty and with a full block, each
// case next to its floors, plus the mixes. False when a floor does not write
// the decoder's text.
bool register_decoder_benchmarks();

// The decoder cases registered above, mixes last, in registration order.
const std::vector<std::string>& decoder_case_names();

// get_eap_value once per parameter type.
void register_param_benchmarks();

}  // namespace bench

#endif

// Benchmarks registered at run time, and the naming that pairs a decoder case
// with its floor: "<decoder>/<TYPE>/<block>" and "<decoder>/<TYPE>/<block>/floor".
#ifndef PAKETLOG_BENCH_REGISTRY_H
#define PAKETLOG_BENCH_REGISTRY_H

namespace bench {

constexpr const char* kFloorSuffix = "/floor";
constexpr const char* kMixName = "/mix";

// Both decoders on every listed type with an empty and with a full block, each
// case next to its floor, plus the mix of all of them. False when a floor does
// not write the decoder's line.
bool register_decoder_benchmarks();

// get_eap_value once per parameter type.
void register_param_benchmarks();

}  // namespace bench

#endif

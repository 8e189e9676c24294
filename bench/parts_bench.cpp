// The building blocks on their own: the block walk, one parameter of each
// type, the hex dump and the field renderers.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <deque>
#include <string>

#include "paketlog.h"
#include "registry.h"
#include "samples.h"

namespace bench {
namespace {

char g_text[8192];

template <typename F>
void run(benchmark::State& state, F&& f) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(f());
        benchmark::ClobberMemory();
    }
}

// A block at offset 10, as in a KLT_RDY packet.
Bytes packet_with(const Bytes& block) {
    Bytes p(10 + block.size(), 0);
    p[2] = PKT_KLT_RDY;
    std::copy(block.begin(), block.end(), p.begin() + 10);
    return p;
}

void decode_eap_empty(benchmark::State& state) {
    Bytes p = packet_with(empty_block());
    run(state, [&] { return decode_eap(p.data(), 10, 0); });
}
void decode_eap_full(benchmark::State& state) {
    Bytes p = packet_with(full_block());
    run(state, [&] { return decode_eap(p.data(), 10, 0); });
}
void decode_eap_full_bounded(benchmark::State& state) {
    Bytes p = packet_with(full_block());
    run(state, [&] { return decode_eap(p.data(), static_cast<unsigned short>(p.size()), 10, 0); });
}
BENCHMARK(decode_eap_empty)->Name("decode_eap/empty");
BENCHMARK(decode_eap_full)->Name("decode_eap/full");
BENCHMARK(decode_eap_full_bounded)->Name("decode_eap/full/bounded");

void dump(benchmark::State& state) {
    Bytes data(static_cast<std::size_t>(state.range(0)));
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i);
    run(state, [&] { return dump2str(g_text, sizeof g_text, data.data(), static_cast<unsigned>(data.size())); });
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(dump)->Name("dump2str")->Arg(8)->Arg(64)->Arg(2064);

// ---- field renderers ------------------------------------------------------

Bytes g_number = number_record("84951234567", 1, 3);
Bytes g_rtp = rtp_record("10.0.0.5", 5004, true, true);
Bytes g_video = video_record();
unsigned char g_cause[4] = {1, 2, 16, 31};
unsigned char g_digits[11] = {8, 4, 9, 5, 1, 2, 3, 4, 5, 6, 7};

_PD_NUMBER* number() { return reinterpret_cast<_PD_NUMBER*>(g_number.data()); }
const RTP_EXCH::sRTPExchParam& rtp() { return *reinterpret_cast<const RTP_EXCH::sRTPExchParam*>(g_rtp.data()); }

void number_record_form(benchmark::State& state) {
    run(state, [] { return number2str(number(), g_text, 40, true); });
}
void number_array_form(benchmark::State& state) {
    run(state, [] { return number2str(g_text, 40, g_digits, sizeof g_digits); });
}
void descriptor(benchmark::State& state) {
    run(state, [] { return abonenttype2str(&number()->abonent_type, g_text, 40); });
}
void parse_number(benchmark::State& state) {
    char text[] = "+7 (495) 123-45-67";
    unsigned char digits[32];
    run(state, [&] { return str2number(text, digits, 20); });
}
void cause(benchmark::State& state) {
    run(state, [] { return cause2str(reinterpret_cast<_PD_CAUSE*>(g_cause)); });
}
void cause_tc(benchmark::State& state) {
    run(state, [] { return cause2strTC(reinterpret_cast<_PD_CAUSE*>(g_cause)); });
}
void control_name(benchmark::State& state) {
    const auto code = static_cast<unsigned char>(state.range(0));
    run(state, [code] { return get_name_control(code, false); });
}
void connect_type(benchmark::State& state) {
    const auto code = static_cast<unsigned char>(state.range(0));
    run(state, [code] { return get_connect_type(code, false); });
}
void connect_source(benchmark::State& state) {
    const auto code = static_cast<unsigned char>(state.range(0));
    run(state, [code] { return get_connect_source(code, true); });
}
void ip(benchmark::State& state) {
    run(state, [] { return ip2str(0x0500000Au, g_text, 32); });
}
void rtp_text(benchmark::State& state) {
    run(state, [] { return rtp_exch_param2str(rtp()); });
}
void rtp_text_caller(benchmark::State& state) {
    run(state, [] { return rtp_exch_param2str(rtp(), g_text, 512); });
}
void video_text(benchmark::State& state) {
    const auto& video = *reinterpret_cast<const Video_Exchange::ParamVideoRTP*>(g_video.data());
    run(state, [&] { return video.ToString(); });
}
void packet_name(benchmark::State& state) {
    run(state, [] { return get_name_paket(PKT_KLT_NTRDY, true); });
}

BENCHMARK(number_record_form)->Name("number2str/record");
BENCHMARK(number_array_form)->Name("number2str/array");
BENCHMARK(descriptor)->Name("abonenttype2str");
BENCHMARK(parse_number)->Name("str2number");
BENCHMARK(cause)->Name("cause2str");
BENCHMARK(cause_tc)->Name("cause2strTC");
BENCHMARK(control_name)->Name("get_name_control")->Arg(1)->Arg(146)->Arg(255);
BENCHMARK(connect_type)->Name("get_connect_type")->Arg(3)->Arg(200);
BENCHMARK(connect_source)->Name("get_connect_source")->Arg(10)->Arg(200);
BENCHMARK(ip)->Name("ip2str");
BENCHMARK(rtp_text)->Name("rtp_exch_param2str/static");
BENCHMARK(rtp_text_caller)->Name("rtp_exch_param2str/caller");
BENCHMARK(video_text)->Name("ParamVideoRTP::ToString");
BENCHMARK(packet_name)->Name("get_name_paket/last_row");

// ---- one parameter of each type -------------------------------------------

void param_value(benchmark::State& state, const Bytes* p) {
    auto* header = reinterpret_cast<_PD_ADD_PARAM_HEADER*>(const_cast<unsigned char*>(p->data()));
    run(state, [header] { return get_eap_value(g_text, sizeof g_text, header); });
}

}  // namespace

void register_param_benchmarks() {
    static std::deque<NamedParam> params;
    for (NamedParam& p : one_param_of_each_type()) {
        params.push_back(std::move(p));
        benchmark::RegisterBenchmark(("get_eap_value/" + params.back().name).c_str(), param_value,
                                     &params.back().bytes);
    }
}

}  // namespace bench

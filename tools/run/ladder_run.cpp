#include "run/ladder_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "calls/follow.h"
#include "capture/endpoint_text.h"
#include "ladder/ladder_collector.h"
#include "ladder/ladder_html.h"
#include "ladder/ladder_svg.h"
#include "ladder/ladder_text.h"
#include "output/call_list.h"
#include "run/decode_run.h"
#include "run/terminal_width.h"

namespace paketlog {
namespace tool {
namespace {

// One pass over every input with `observer`; the exit status.
int one_pass(const Options& options, OutputWriter& out, PacketObserver* observer) {
    DecodeRun run(options, out, observer);
    const std::string error = run.set_filters();
    if (!error.empty()) {
        out.report("paketlog: " + error + "\nTry 'paketlog --help' for more information.\n");
        return 2;
    }
    return run.run();
}

// A packet's endpoints and direction as the ladder shows them.
struct PacketPlace {
    std::string src, dst;  // "" for hex traces and packet files
    ArrowDirection direction = ArrowDirection::In;
};

PacketPlace place_of(const Options& options, const CaptureFacts* capture) {
    PacketPlace place;
    if (capture != nullptr) {
        char text[kAddressTextSize];
        place.src.assign(text, write_address(capture->address, true, text));
        place.src += "." + std::to_string(capture->src_port);
        place.dst.assign(text, write_address(capture->address, false, text));
        place.dst += "." + std::to_string(capture->dst_port);
    }
    // By the switch's port where it is given, else by the line's wording.
    const bool in = capture != nullptr && options.port >= 0 ? capture->src_port == options.port
                    : options.testcall                      ? options.incoming
                                                            : options.msg_type != 2;
    place.direction = in ? ArrowDirection::In : ArrowDirection::Out;
    return place;
}

// Keeps every packet's arrow and, where asked, the links between seances.
class LadderObserver : public PacketObserver {
public:
    LadderObserver(const Options& options, LadderCollector& collector, SeanceLinks* links)
        : options_(options), collector_(collector), links_(links) {}

    void packet(const unsigned char* packet, std::size_t size, unsigned long line, unsigned long long,
                const CaptureFacts* capture, std::string_view text) override {
        std::uint32_t from = 0, to = 0;
        if (links_ != nullptr && packet_link(packet, size, from, to)) links_->add(from, to);
        const PacketPlace place = place_of(options_, capture);
        LadderPacket p;
        p.bytes = packet;
        p.size = size;
        p.time = capture != nullptr ? &capture->time : nullptr;
        p.number = line;
        p.src = place.src;
        p.dst = place.dst;
        p.direction = place.direction;
        p.line = text;
        collector_.add(p);
    }

private:
    const Options& options_;
    LadderCollector& collector_;
    SeanceLinks* links_;
};

// Writes `text` to the file `path`, or to standard output for "-"; false
// (and reported) when it cannot.
bool write_file(const std::string& path, const std::string& text, OutputWriter& out) {
    if (path == "-") {
        out.write(text);
        return true;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    for (std::size_t done = 0; written && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (written) done += static_cast<std::size_t>(n);
    }
    const int error = errno;
    if (fd >= 0 && ::close(fd) != 0 && written) written = false;
    if (!written) out.report("paketlog: " + path + ": " + std::strerror(error) + "\n");
    return written;
}

void report_dropped(const LadderCollector& collector, std::size_t limit, OutputWriter& out) {
    if (collector.dropped() != 0)
        out.report("paketlog: " + std::to_string(collector.dropped()) + " packets past the first " +
                   std::to_string(limit) + " are not drawn\n");
}

}  // namespace

int run_flow(const Options& options, OutputWriter& out) {
    // The packets --follow N keeps (files read twice: first for the links),
    // drawn instead of written.
    const std::uint32_t seance = static_cast<std::uint32_t>(options.flow_seance);
    Options followed = options;
    followed.follow = seance;
    LadderCollector collector(options.time);
    LadderObserver observer(options, collector, nullptr);
    int status = one_pass(followed, out, &observer);
    if (status == 2) return status;
    report_dropped(collector, LadderCollector::kDefaultMaxArrows, out);
    if (collector.dropped() != 0) status = 1;

    const Ladder ladder = collector.ladder(seance, collector.seances());
    if (ladder.arrows.empty()) {
        out.report("paketlog: no packets of seance " + std::to_string(seance) + "\n");
        return 1;
    }
    if (!options.svg.empty()) {
        if (!write_file(options.svg, ladder_svg(ladder, SvgForm::Document), out)) status = 1;
    } else {
        LadderTextStyle style;
        style.width = terminal_width(options.width, std::getenv("COLUMNS"), STDOUT_FILENO);
        style.ascii = options.ascii;
        out.write(ladder_text(ladder, style));
    }
    if (!out.flush()) {
        out.report("paketlog: error writing the output\n");
        return 1;
    }
    return status;
}

namespace {

// Each packet to the call list, as --calls --json writes it, and to the ladders.
class PageObserver : public PacketObserver {
public:
    PageObserver(const Options& rows, const Options& options, LadderCollector& collector, SeanceLinks& links)
        : calls_(rows), ladders_(options, collector, &links) {}

    void packet(const unsigned char* packet, std::size_t size, unsigned long line, unsigned long long number,
                const CaptureFacts* capture, std::string_view text) override {
        ladders_.packet(packet, size, line, number, capture, text);
        if (capture != nullptr)
            calls_.add(packet, size, *capture, rows_);
        else
            calls_.add(packet, size, number, rows_);
        take_rows();
    }
    void finish() {
        calls_.finish(rows_);
        take_rows();
    }
    std::string json() const { return std::string(json_.view()); }
    std::size_t left_out() const { return left_out_; }
    std::string eviction_report() { return calls_.eviction_report(); }

private:
    // The rows the list wrote, as many as the page holds.
    void take_rows() {
        std::string_view rows = rows_.view();
        for (std::size_t end; (end = rows.find('\n')) != std::string_view::npos; rows.remove_prefix(end + 1)) {
            if (kept_ < kPageCalls) {
                json_.append(rows.substr(0, end + 1));
                ++kept_;
            } else {
                ++left_out_;
            }
        }
        rows_.clear();
    }

    CallList calls_;
    LadderObserver ladders_;
    TextBuffer rows_;
    TextBuffer json_;
    std::size_t kept_ = 0;
    std::size_t left_out_ = 0;
};

std::string page_title(const Options& options) {
    std::string title = "paketlog: calls of ";
    if (!options.interface.empty()) return title + options.interface;
    if (options.files.empty()) return title + "standard input";
    for (std::size_t i = 0; i < options.files.size(); ++i) title += (i == 0 ? "" : ", ") + options.files[i];
    return title;
}

}  // namespace

int run_html(const Options& options, OutputWriter& out) {
    Options rows = options;  // the call list's rows: --calls --json
    rows.calls = true;
    rows.json = true;
    LadderCollector collector(options.time, kPageArrows);
    SeanceLinks links;
    PageObserver observer(rows, options, collector, links);
    int status = one_pass(options, out, &observer);
    if (status == 2) return status;
    observer.finish();
    const std::string eviction = observer.eviction_report();
    if (!eviction.empty()) out.report(eviction);
    report_dropped(collector, kPageArrows, out);
    if (observer.left_out() != 0)
        out.report("paketlog: " + std::to_string(observer.left_out()) + " calls past the first " +
                   std::to_string(kPageCalls) + " are not in the page\n");
    if (collector.dropped() != 0 || observer.left_out() != 0) status = 1;

    CallsPage page;
    page.title = page_title(options);
    page.calls_json = observer.json();
    std::unordered_set<std::uint32_t> drawn;
    for (const std::uint32_t seance : collector.seances()) {
        if (drawn.count(seance) != 0) continue;
        PageLadder ladder;
        ladder.seances = links.followed(seance);
        ladder.ladder = collector.ladder(seance, ladder.seances);
        drawn.insert(ladder.seances.begin(), ladder.seances.end());
        page.ladders.push_back(std::move(ladder));
    }
    if (!write_file(options.html, calls_page_html(page), out)) status = 1;
    if (!out.flush()) {
        out.report("paketlog: error writing the output\n");
        return 1;
    }
    return status;
}

}  // namespace tool
}  // namespace paketlog

#include "run/ladder_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "calls/call_model.h"
#include "calls/call_render.h"
#include "calls/follow.h"
#include "capture/endpoint_text.h"
#include "ladder/ladder_collector.h"
#include "ladder/ladder_html.h"
#include "ladder/ladder_svg.h"
#include "ladder/ladder_text.h"
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

// Whether the inputs can be read twice: files, not standard input or a live capture.
bool rereadable(const Options& options) {
    if (!options.interface.empty() || options.files.empty()) return false;
    for (const std::string& file : options.files) {
        struct stat info {};
        if (file == "-" || ::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    }
    return true;
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

// Keeps the links between seances and, where asked, every packet's arrow.
class LadderObserver : public PacketObserver {
public:
    LadderObserver(const Options& options, SeanceLinks* links, LadderCollector* collector)
        : options_(options), links_(links), collector_(collector) {}

    void packet(const unsigned char* packet, std::size_t size, unsigned long line, const CaptureFacts* capture,
                std::string_view text) override {
        std::uint32_t from = 0, to = 0;
        if (links_ != nullptr && packet_link(packet, size, from, to)) links_->add(from, to);
        if (collector_ == nullptr) return;
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
        collector_->add(p);
    }

private:
    const Options& options_;
    SeanceLinks* links_;
    LadderCollector* collector_;
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
    const std::uint32_t seance = static_cast<std::uint32_t>(options.flow_seance);
    SeanceLinks links;
    LadderCollector collector(options.time);
    std::vector<std::uint32_t> followed;
    int status = 0;
    if (rereadable(options)) {
        // First the links alone, quietly (the second pass reports what is
        // wrong with the inputs); then the packets of the seances followed.
        const int null_fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        {
            OutputWriter quiet(null_fd, null_fd);
            LadderObserver observer(options, &links, nullptr);
            status = one_pass(options, quiet, &observer);
        }
        if (null_fd >= 0) ::close(null_fd);
        if (status == 2) return one_pass(options, out, nullptr);  // reports the bad filter
        followed = links.followed(seance);
        Options second = options;
        if (!options.seances.empty())
            followed.erase(std::remove_if(followed.begin(), followed.end(),
                                          [&](std::uint32_t s) {
                                              return std::find(options.seances.begin(), options.seances.end(), s) ==
                                                     options.seances.end();
                                          }),
                           followed.end());
        second.seances.assign(followed.begin(), followed.end());
        if (!followed.empty()) {
            LadderObserver observer(options, nullptr, &collector);
            status = one_pass(second, out, &observer);
        }
    } else {
        // Read once: every packet is kept until the links are known.
        LadderObserver observer(options, &links, &collector);
        status = one_pass(options, out, &observer);
        followed = links.followed(seance);
    }
    if (status == 2) return status;
    report_dropped(collector, LadderCollector::kDefaultMaxArrows, out);
    if (collector.dropped() != 0) status = 1;

    const Ladder ladder = collector.ladder(seance, followed);
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

// The calls as the page lists them: their JSON rows, as many as it holds.
class PageCalls : public CallSink {
public:
    explicit PageCalls(bool directed) : directed_(directed) {}
    void finished(const Call& call) override {
        if (calls_ >= kPageCalls) {
            ++left_out_;
            return;
        }
        ++calls_;
        append_call_json(call, directed_, json_);
    }
    std::string json() const { return std::string(json_.view()); }
    std::size_t left_out() const { return left_out_; }

private:
    bool directed_;
    TextBuffer json_;
    std::size_t calls_ = 0;
    std::size_t left_out_ = 0;
};

// Each packet to the call model as well as to the ladders.
class PageObserver : public PacketObserver {
public:
    PageObserver(const Options& options, CallModel& model, SeanceLinks& links, LadderCollector& collector)
        : options_(options), model_(model), ladders_(options, &links, &collector) {}

    void packet(const unsigned char* packet, std::size_t size, unsigned long line, const CaptureFacts* capture,
                std::string_view text) override {
        ladders_.packet(packet, size, line, capture, text);
        const PacketPlace place = place_of(options_, capture);
        CallPacket p;
        p.bytes = packet;
        p.size = size;
        if (capture != nullptr) {
            p.time.seconds = capture->time.seconds;
            p.time.nanoseconds = capture->time.nanoseconds;
            p.time.digits = static_cast<unsigned char>(capture->time.digits);
            p.time.timed = true;
        } else {
            p.time.seconds = static_cast<std::int64_t>(++number_);
        }
        p.src = place.src;
        p.dst = place.dst;
        if (options_.port >= 0 && capture != nullptr)
            p.direction = place.direction == ArrowDirection::In ? CallPacket::Direction::In : CallPacket::Direction::Out;
        model_.add(p);
    }

private:
    const Options& options_;
    CallModel& model_;
    LadderObserver ladders_;
    unsigned long number_ = 0;  // of packets without a time
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
    PageCalls calls(options.port >= 0);
    CallModel model(CallModel::Settings{}, calls);
    SeanceLinks links;
    LadderCollector collector(options.time, kPageArrows);
    PageObserver observer(options, model, links, collector);
    int status = one_pass(options, out, &observer);
    if (status == 2) return status;
    model.finish();
    report_dropped(collector, kPageArrows, out);
    if (calls.left_out() != 0)
        out.report("paketlog: " + std::to_string(calls.left_out()) + " calls past the first " +
                   std::to_string(kPageCalls) + " are not in the page\n");
    if (collector.dropped() != 0 || calls.left_out() != 0) status = 1;

    CallsPage page;
    page.title = page_title(options);
    page.calls_json = calls.json();
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

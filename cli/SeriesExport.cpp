#include "cli/SeriesExport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "base/ProgressMonitor.h"
#include "base/Text.h"
#include "cli/ExportCommand.h"
#include "cli/OptionValues.h"
#include "data/PlotComparison.h"
#include "render/TreeColors.h"

namespace {

struct Span {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void Take(double minimum, double maximum) {
        if (minimum <= maximum) {
            low = std::min(low, minimum);
            high = std::max(high, maximum);
        }
    }
    void Take(GridData* set) {
        if (set) {
            Take(set->GetMinValue(), set->GetMaxValue());
        }
    }
};

// The sets of a family in one plot (its trees' for a tree family).
std::vector<GridData*> FamilySets(RangeFamily family, PlotFile& plot, PlotComparison* comparison,
                                  const std::vector<std::string>& stems) {
    switch (family) {
        case RangeFamily::Uptake:
            return {plot.GetUptakeGrid()};
        case RangeFamily::TreeCount:
            return {plot.GetNeighborGrid()};
        case RangeFamily::UptakeDiff:
            return {comparison ? comparison->GetUptakeDiff() : nullptr};
        case RangeFamily::CountDiff:
            return {comparison ? comparison->GetCountDiff() : nullptr};
        default:
            break;
    }
    std::vector<GridData*> sets;
    for (const std::string& stem : stems) {
        const wxString tree = wxString::FromUTF8(stem.c_str());
        GridData* set = nullptr;
        if (family == RangeFamily::Tree) {
            set = plot.GetTreeGrid(tree);
        } else if (comparison) {
            set = comparison->GetTreeDiff(tree);
        }
        sets.push_back(set);
    }
    return sets;
}

// A log scale starts at the smallest value above 0.
void TakeSet(Span& span, GridData* set, PlotFile& plot, bool logClasses) {
    if (!set) {
        return;
    }
    if (!logClasses) {
        span.Take(set);
        return;
    }
    const std::shared_ptr<const std::vector<double>> values = plot.SortedValues(*set);
    const auto positive = std::upper_bound(values->begin(), values->end(), 0.0);
    if (positive != values->end()) {
        span.Take(*positive, values->back());
    }
}

void TakeFile(const ExportRequest& request, const std::string& path, std::vector<Span>& spans) {
    PlotFile plot(wxString::FromUTF8(path.c_str()), ProgressMonitor(0, 0));
    if (!plot.GetOpening().IsOpen()) {
        return;  // said when the file is drawn
    }
    std::unique_ptr<PlotFile> other;
    std::unique_ptr<PlotComparison> comparison;
    const PictureRequest& picture = request.picture;
    if (!picture.comparePath.empty()) {
        other = std::make_unique<PlotFile>(wxString::FromUTF8(picture.comparePath.c_str()),
                                           ProgressMonitor(0, 0));
        std::string ignored;
        comparison =
            other->GetOpening().IsOpen() ? PlotComparison::Make(plot, *other, ignored) : nullptr;
    }
    for (int family = 0; family < kRangeFamilyCount; ++family) {
        if (!picture.commonRanges[family]) {
            continue;
        }
        const RangeFamily which = static_cast<RangeFamily>(family);
        const bool logClasses = picture.classes[family] == ClassRule::Log && !IsChangeFamily(which);
        for (GridData* set : FamilySets(which, plot, comparison.get(), picture.stems)) {
            TakeSet(spans[family], set, plot, logClasses);
        }
    }
}

// Runs take(i) for every i below count on up to jobs threads.
void RunParallel(size_t count, int jobs, const std::function<void(size_t)>& take) {
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < count; i = next++) {
            take(i);
        }
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t threads = std::min<size_t>(count, jobs > 0 ? jobs : cores);
    std::vector<std::thread> workers;
    for (size_t i = 1; i < threads; ++i) {
        workers.emplace_back(work);
    }
    work();
    for (std::thread& worker : workers) {
        worker.join();
    }
}

struct FileResult {
    bool written = false;
    std::string error;
    std::string warning;
    std::vector<std::string> missing;
};

// A result through a pipe: the flag, then each text with its length before it.
void PutText(std::string& out, const std::string& text) {
    out += std::to_string(text.size()) + ":" + text;
}

bool GetText(const std::string& in, size_t& at, std::string& text) {
    const size_t colon = in.find(':', at);
    if (colon == std::string::npos) {
        return false;
    }
    const size_t length = std::stoul(in.substr(at, colon - at));
    if (colon + 1 + length > in.size()) {
        return false;
    }
    text = in.substr(colon + 1, length);
    at = colon + 1 + length;
    return true;
}

std::string Encode(const FileResult& result) {
    std::string out(1, result.written ? '1' : '0');
    PutText(out, result.error);
    PutText(out, result.warning);
    for (const std::string& layer : result.missing) {
        PutText(out, layer);
    }
    return out;
}

FileResult Decode(const std::string& in) {
    FileResult result;
    size_t at = 1;
    if (in.empty() || !GetText(in, at, result.error) || !GetText(in, at, result.warning)) {
        result.error = "the drawing stopped before its picture was written";
        return result;
    }
    result.written = in[0] == '1';
    for (std::string layer; at < in.size() && GetText(in, at, layer);) {
        result.missing.push_back(layer);
    }
    return result;
}

void WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return;
        }
        done += static_cast<size_t>(wrote);
    }
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return text;
        }
        text.append(buffer, static_cast<size_t>(got));
    }
}

// One file drawn in a child process of its own: every picture starts from
// the state a single export starts from (the clouds' random dots
// included), and is the same whatever else is drawn at the time.
struct Child {
    pid_t pid = -1;
    int pipe = -1;
};

Child StartChild(const std::function<FileResult()>& draw) {
    int ends[2];
    if (::pipe(ends) != 0) {
        return {};
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(ends[0]);
        WriteAll(ends[1], Encode(draw()));
        std::fflush(nullptr);
        _exit(0);
    }
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        return {};
    }
    return {pid, ends[0]};
}

FileResult FinishChild(const Child& child) {
    if (child.pid < 0) {
        FileResult failed;
        failed.error =
            std::string("no process could be started to draw it: ") + std::strerror(errno);
        return failed;
    }
    const std::string text = ReadAll(child.pipe);
    close(child.pipe);
    int status = 0;
    while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    return Decode(text);
}

// Draws every file, up to jobs at once, each in a process of its own.
std::vector<FileResult> DrawInChildren(size_t count, int jobs,
                                       const std::function<FileResult(size_t)>& draw) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t slots = std::max<size_t>(1, jobs > 0 ? jobs : cores);
    std::vector<FileResult> results(count);
    std::vector<std::pair<size_t, Child>> running;
    for (size_t next = 0; next < count || !running.empty();) {
        if (next < count && running.size() < slots) {
            running.emplace_back(next, StartChild([&draw, next] { return draw(next); }));
            ++next;
            continue;
        }
        // The oldest first: its pipe is read to the end while the others draw.
        results[running.front().first] = FinishChild(running.front().second);
        running.erase(running.begin());
    }
    return results;
}

void Report(const std::string& file, const std::string& message) {
    std::fprintf(stderr, "quenvar: %s: %s\n", file.c_str(), message.c_str());
}

}  // namespace

void TakeCommonRanges(ExportRequest& request) {
    PictureRequest& picture = request.picture;
    if (std::none_of(picture.commonRanges.begin(), picture.commonRanges.end(),
                     [](bool common) { return common; })) {
        return;
    }
    std::vector<std::vector<Span>> perFile(request.series.size(),
                                           std::vector<Span>(kRangeFamilyCount));
    RunParallel(request.series.size(), request.jobs,
                [&](size_t i) { TakeFile(request, request.series[i], perFile[i]); });
    for (int family = 0; family < kRangeFamilyCount; ++family) {
        Span span;
        for (const std::vector<Span>& spans : perFile) {
            span.Take(spans[family].low, spans[family].high);
        }
        if (!picture.commonRanges[family] || !(span.low < span.high)) {
            continue;  // one value or none: each file's own range serves
        }
        const double reach = std::max(std::fabs(span.low), std::fabs(span.high));
        picture.ranges[family] = IsChangeFamily(static_cast<RangeFamily>(family))
                                     ? ValueRange{-reach, reach}
                                     : ValueRange{span.low, span.high};
    }
}

int RunSeriesExport(const ExportRequest& given) {
    ExportRequest request = given;
    TakeCommonRanges(request);
    // Each tree's colour, drawn once in the order of --stems, for every picture.
    auto colors = std::make_shared<TreeColors>();
    for (const std::string& stem : request.picture.stems) {
        colors->Get(wxString::FromUTF8(stem.c_str()));
    }
    const std::vector<FileResult> results =
        DrawInChildren(request.series.size(), request.jobs, [&](size_t i) {
            ExportRequest one = request;
            one.series.clear();
            one.databasePath = request.series[i];
            one.outputPath = SeriesOutput(request.outputPath, one.databasePath);
            FileResult result;
            result.written =
                ExportPicture(one, result.error, result.warning, &result.missing, colors);
            return result;
        });
    int code = 0;
    for (size_t i = 0; i < results.size(); ++i) {
        const FileResult& result = results[i];
        const std::string& file = request.series[i];
        if (!result.written) {
            Report(file, result.error);
            code = 2;
            continue;
        }
        if (!result.warning.empty()) {
            Report(file, "warning: " + result.warning);
        }
        if (!result.missing.empty()) {
            code = std::max(code, 3);
        }
    }
    return code;
}

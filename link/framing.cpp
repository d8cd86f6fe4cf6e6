#include "link/framing.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "link/comma_fields.h"

namespace kelt {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kComma = ',';
constexpr std::size_t kFirstCommaFrom = 4;  // 0-based: positions 5..9
constexpr std::size_t kFirstCommaTo = 8;
constexpr std::size_t kShortestLine = 6;
constexpr std::size_t kLevelChars = 5;

}  // namespace

bool MeasurementFramer::Feed(std::string_view bytes) {
    for (;;) {
        const std::size_t cr = bytes.find(kCr);
        AppendToRun(bytes.substr(0, cr));
        if (cr == std::string_view::npos) break;
        EndRun();
        bytes.remove_prefix(cr + 1);
    }
    if (pendingCr_ == std::string::npos) return false;
    TakeLine();
    return true;
}

void MeasurementFramer::AppendToRun(std::string_view bytes) {
    const std::size_t runStart = pendingCr_ == std::string::npos ? 0 : pendingCr_ + 1;
    const std::size_t kept = receiveBuffer_.size() - runStart;
    const std::size_t room = longestRun_ > kept ? longestRun_ - kept : 0;
    receiveBuffer_.append(bytes.substr(0, room));
}

void MeasurementFramer::EndRun() {
    // A second complete line: the first could only ever be overwritten by it
    // before anyone looks, so it goes now. What moves is the run just ended.
    if (pendingCr_ != std::string::npos) receiveBuffer_.erase(0, pendingCr_ + 1);
    pendingCr_ = receiveBuffer_.size();
    receiveBuffer_.push_back(kCr);
}

void MeasurementFramer::TakeLine() {
    // The line ends at the first LF, which may lie beyond its CR; with no LF
    // at all it is everything buffered, CR included.
    currentLine_.assign(receiveBuffer_, 0, receiveBuffer_.find(kLf));
    receiveBuffer_.erase(0, pendingCr_ + 1);
    pendingCr_ = std::string::npos;
}

bool IsMeasurementLine(std::string_view line) {
    const std::size_t comma = line.substr(0, kFirstCommaTo + 1).find(kComma);
    return line.size() >= kShortestLine && comma != std::string_view::npos && comma >= kFirstCommaFrom;
}

MeasurementTexts SplitMeasurement(std::string_view line) {
    MeasurementTexts texts;
    std::vector<std::string> fields = CommaFields(line, texts.field.size());
    std::move(fields.begin(), fields.end(), texts.field.begin());
    std::string& level = texts.field.back();
    if (level.size() > kLevelChars) level.resize(kLevelChars);
    return texts;
}

}  // namespace kelt

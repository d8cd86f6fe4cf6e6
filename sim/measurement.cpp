#include "measurement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kelt::sim {

// Ranges the instrument can generate; tracked values are reported within them.
constexpr double kMinFreqKHz = 0.3;
constexpr double kMaxFreqKHz = 1000.0;
constexpr double kMinWidthUs = 10.0;
constexpr double kMaxWidthUs = 10000.0;

double PulseSource::wobble(double amplitude) {
    if (!jitter_) return 0.0;
    std::uniform_real_distribution<double> dist(-amplitude, amplitude);
    return dist(rng_);
}

Pulse PulseSource::next() {
    Pulse p = nominal_;
    p.freqKHz = std::clamp(p.freqKHz * (1.0 + wobble(0.002)), kMinFreqKHz, kMaxFreqKHz);
    p.widthUs = std::clamp(p.widthUs + wobble(2.0), kMinWidthUs, kMaxWidthUs);
    p.periodMs = std::max(0.1, p.periodMs + wobble(0.5));
    p.voltsPP = std::max(0.0, p.voltsPP + wobble(0.05));
    return p;
}

double levelMillivolts(int step) {
    return 50.0 / std::pow(10.0, 0.3 * (255 - step) / 20.0);
}

std::string fixed(double value, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

std::string compact(double value, int maxDecimals) {
    std::string text = fixed(value, maxDecimals);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

std::string measurementLine(const Pulse& m, const InstrumentState& s) {
    const double freqSetting = s.autoFreq ? std::clamp(m.freqKHz, kMinFreqKHz, kMaxFreqKHz)
                                          : s.freqTenths / 10.0;
    const double widthSetting = s.autoWidth ? std::clamp(std::round(m.widthUs), kMinWidthUs, kMaxWidthUs)
                                            : s.widthUs;
    std::string line;
    for (const std::string& field : {
             fixed(m.freqKHz, 2), fixed(m.widthUs, 0), fixed(m.periodMs, 1), fixed(m.voltsPP, 2),
             compact(freqSetting, 2), compact(widthSetting, 0), fixed(s.bottomDepthSteps / 10.0, 1),
             fixed(levelMillivolts(s.bottomLevelStep), 3)}) {
        if (!line.empty()) line += ',';
        line += field;
    }
    return line;
}

std::string garbageBytes(std::minstd_rand& rng, std::size_t count) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string out;
    while (out.size() < count) {
        const char ch = static_cast<char>(byte(rng));
        if (ch != '\r') out.push_back(ch);
    }
    return out;
}

}  // namespace kelt::sim

// Measurement lines: what the instrument reports about the sounder pulse it
// sees on its input, followed by its own current settings.
#pragma once

#include <random>
#include <string>
#include <string_view>

#include "instrument.h"

namespace kelt::sim {

// The instrument ends its lines LF CR; with the CR left off (a misbehaviour
// mode) the panel's framing cannot find the end of a line.
inline constexpr std::string_view kLineEnd = "\n\r";
inline constexpr std::string_view kLineEndNoCr = "\n";

struct Pulse {
    double freqKHz = 50.0;
    double widthUs = 400.0;
    double periodMs = 250.0;
    double voltsPP = 12.5;
};

// The simulated sounder. With jitter each pulse wanders a little around the
// nominal one, always in the same sequence so runs are reproducible.
class PulseSource {
public:
    PulseSource(Pulse nominal, bool jitter) : nominal_(nominal), jitter_(jitter) {}
    Pulse next();

private:
    double wobble(double amplitude);

    Pulse nominal_;
    bool jitter_;
    std::minstd_rand rng_{20240601};
};

// Reply level of an attenuator step: 50 mV at 255, 0.3 dB less per step below.
double levelMillivolts(int step);

// printf-style "%.Nf".
std::string fixed(double value, int decimals);
// Like fixed() but without trailing zeros or a trailing point ("38.5", "50").
std::string compact(double value, int maxDecimals);

// The eight comma-separated fields, without line end.
std::string measurementLine(const Pulse& measured, const InstrumentState& state);

// Noise on the line: bytes that never contain a CR, so no line ever completes.
std::string garbageBytes(std::minstd_rand& rng, std::size_t count);

}  // namespace kelt::sim

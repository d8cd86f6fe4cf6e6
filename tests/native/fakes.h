#pragma once
// Stand-ins for the panel's controls and the line: memory and a fake clock.

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "panel/seams.h"

namespace kelt::test {

class RecordingView : public PanelView {
public:
    std::map<int, std::string> texts;
    std::map<int, int> sliders;
    std::map<int, bool> checks;
    std::map<int, bool> enabled;
    std::vector<int> splashPositions;  // -1 marks open, -2 marks close
    int focused = 0;
    int selectedAll = 0;

    void SetText(int id, const std::string& ansi) override { texts[id] = ansi; }
    std::string GetText(int id) override { return texts[id]; }
    void SetSliderPos(int id, int pos) override { sliders[id] = pos; }
    void SetCheck(int id, bool on) override { checks[id] = on; }
    bool GetCheck(int id) override { return checks[id]; }
    void Enable(int id, bool on) override { enabled[id] = on; }
    int FocusedId() override { return focused; }
    void SelectAllText(int id) override { selectedAll = id; }
    void OpenUpdating() override { splashPositions.push_back(-1); }
    void SetUpdatingProgress(int position) override { splashPositions.push_back(position); }
    void CloseUpdating() override { splashPositions.push_back(-2); }
};

struct SentLine {
    std::string line;
    int atMs;
};

// A fake clock that moves only when the code under test sleeps or when a
// test says that some work took time (Spend).
class RecordingLink : public Link {
public:
    std::vector<SentLine> sent;
    int nowMs = 0;

    void Send(const std::string& line) override { sent.push_back({line, nowMs}); }
    Clock::time_point Now() override { return Clock::time_point(std::chrono::milliseconds(nowMs)); }
    void SleepUntil(Clock::time_point deadline) override {
        const auto at = std::chrono::duration_cast<std::chrono::milliseconds>(deadline.time_since_epoch());
        nowMs = std::max(nowMs, static_cast<int>(at.count()));
    }
    void Spend(int milliseconds) { nowMs += milliseconds; }

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const auto& s : sent) lines.push_back(s.line);
        return lines;
    }
};

}  // namespace kelt::test

#include "shell/screen_report.h"

#include <sstream>

ScreenReport ShownScreen;

void ReportScreen(const char* name) {
    ShownScreen = ScreenReport{};
    ShownScreen.name = name;
}

std::string MachineStateJson(const Machine& m) {
    std::ostringstream out;
    out << "{\"credit\":" << m.credit << ",\"bank\":" << m.bank << ",\"prize\":" << m.prize
        << ",\"nudges\":" << m.nudges << ",\"cash\":" << m.cash << ",\"featureCount\":" << m.featureCount
        << ",\"score\":" << m.score << ",\"featureHold\":" << m.featureHold << ",\"holdOffer\":" << m.holdOffer
        << ",\"reels\":[";
    for (int i = 0; i < REEL_COUNT; ++i) {
        const Reel& r = m.reels.reel[i];
        out << (i ? "," : "") << "{\"position\":" << r.position << ",\"offset\":" << r.offset
            << ",\"held\":" << r.held << "}";
    }
    out << "],\"screen\":\"" << ShownScreen.name << "\"";
    const std::string screen = ShownScreen.name;
    if (screen == "ladder")
        out << ",\"rung\":" << ShownScreen.rung << ",\"phase\":" << ShownScreen.phase
            << ",\"value\":" << ShownScreen.value;
    else if (screen == "prompt")
        out << ",\"title\":\"" << ShownScreen.title << "\"";
    else if (screen == "names")
        out << ",\"name\":\"" << ShownScreen.entered << "\",\"letter\":\"" << char('A' + ShownScreen.letter)
            << "\"";
    out << "}";
    return out.str();
}

#include "platform/winapi/kernel.h"
#include "tests/machine_fixture.h"

#include <algorithm>
#include <cstdlib>

#include "game/reels.h"
#include "gfx/bitmap.h"
#include "gfx/display.h"
#include "platform/winapi/gx.h"
#include "platform/platform.h"
#include "platform/codec/png.h"
#include "resources/resources.h"
#include "screens/highscore_file.h"
#include "shell/winmain.h"

MachineTest::MachineTest() : m(TheMachine) {}

void MachineTest::Start(uint32_t startTick) {
    headless::SetDriver(nullptr);
    StartHeadless(startTick);
    AppReady = 0;
    ShownScreen = ScreenReport{};
    m.screen.Free();
    for (Reel& r : m.reels.reel) r.held = 0;
    pending.clear();
    driver = {this, Look, NextDue};
    headless::SetDriver(&driver);
    windowGone = false;
    GameStart how;
    const std::string images = std::string(VANTARO_SOURCE_DIR) + "/Images";
    how.imagesFolder = images.c_str();
    how.handOver = false;
    int status = 0;
    ASSERT_EQ(StartGame(PlatformModule(), how, &status), 1);
    hwnd = FindWindowW(L"FIRSTGX", L"Vantaro");
    ASSERT_NE(hwnd, nullptr);
    AppReady = 1;
}

void MachineTest::NewGame(const std::function<void(Machine&)>& setUp) {
    Start(1000000);
    Reset(m);
    if (setUp) setUp(m);
    RedrawAll(m);
}

void MachineTest::TearDown() {
    headless::SetDriver(nullptr);
    AppReady = 0;
    SymbolImage.Free();
    MachineImage.Free();
    LcdDigitFont.Free();
    ShownScreen = ScreenReport{};
}

void MachineTest::Look(void* self) {
    MachineTest& t = *static_cast<MachineTest*>(self);
    const uint64_t now = headless::NowUs();
    // Actions may schedule more; take the due ones out first.
    std::vector<Pending> due;
    auto split = std::stable_partition(t.pending.begin(), t.pending.end(),
                                       [now](const Pending& p) { return p.us > now; });
    due.assign(std::make_move_iterator(split), std::make_move_iterator(t.pending.end()));
    t.pending.erase(split, t.pending.end());
    for (Pending& p : due) p.action();
}

uint64_t MachineTest::NextDue(void* self) {
    const MachineTest& t = *static_cast<const MachineTest*>(self);
    uint64_t next = UINT64_MAX;
    for (const Pending& p : t.pending) next = std::min(next, p.us);
    return next;
}

void MachineTest::At(uint64_t us, std::function<void()> action) { pending.push_back({us, std::move(action)}); }

void MachineTest::Pump(uint32_t ms) {
    static HACCEL accelerators = nullptr;
    accelerators = LoadAcceleratorsW(PlatformModule(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    const uint64_t end = headless::NowUs() + ms * 1000ull;
    // Wakes the loop at the end with a message for no window, which is
    // dropped: with the window in the background no timer would.
    At(end, [] { PostMessageW(nullptr, WM_USER + 77, 0, 0); });
    MSG msg;
    while (!windowGone && headless::NowUs() < end) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            windowGone = true;
            break;
        }
        if (!msg.hwnd || !TranslateAcceleratorW(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

POINT MachineTest::Centre(int id) const {
    const int n = PanelFind(m.buttons, id);
    EXPECT_NE(n, 0) << id;
    const RECT& r = m.buttons.button[n ? n - 1 : 0].rect;
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void MachineTest::TapButton(int id) {
    const POINT p = Centre(id);
    headless::Tap(p.x, p.y);
}

bool MachineTest::Enabled(int id) const {
    const int n = PanelFind(m.buttons, id);
    return n && !(m.buttons.button[n - 1].flags & (PB_DISABLED | PB_HIDDEN));
}

std::string MachineTest::Label(int id) const {
    const int n = PanelFind(m.buttons, id);
    return n ? m.buttons.button[n - 1].label : "";
}

std::vector<std::string> MachineTest::SoundsSince(size_t n) const {
    std::vector<std::string> files;
    const auto& log = headless::Sounds();
    for (size_t i = n; i < log.size(); ++i)
        if (!log[i].file.empty()) files.push_back(log[i].file);
    return files;
}

std::vector<uint16_t> MachineTest::Screen() const {
    return std::vector<uint16_t>(m.screen.pixels, m.screen.pixels + 240 * 320);
}

void SetReels(Machine& m, int p0, int p1, int p2, int p3) {
    const int p[4] = {p0, p1, p2, p3};
    for (int i = 0; i < 4; ++i) {
        Reel& r = m.reels.reel[i];
        r.position = p[i];
        r.offset = 0;
        r.target = r.done = 0;
    }
}

void ExpectGolden(const std::string& name, const std::vector<uint16_t>& picture) {
    ASSERT_EQ(picture.size(), 240u * 320u);
    const std::string golden = std::string(VANTARO_SOURCE_DIR) + "/tests/golden/" + name + ".png";
    std::string error;
    if (const char* rewrite = std::getenv("VANTARO_REWRITE_GOLDEN"); rewrite && std::string(rewrite) == "1") {
        ASSERT_TRUE(platform::WritePng565(golden.c_str(), picture.data(), 240, 320, &error)) << error;
        return;
    }
    const std::string fresh = MakeTempFolder() + "/" + name + ".png";
    ASSERT_TRUE(platform::WritePng565(fresh.c_str(), picture.data(), 240, 320, &error)) << error;
    const std::vector<uint32_t> got = ReadPng(fresh), want = ReadPng(golden);
    ASSERT_EQ(want.size(), got.size()) << golden << " is missing: run with VANTARO_REWRITE_GOLDEN=1";
    size_t differ = 0, first = 0;
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i] && !differ++) first = i;
    EXPECT_EQ(differ, 0u) << name << ": " << differ << " pixels differ, the first at (" << first % 240 << ", "
                          << first / 240 << "); this run's picture is " << fresh;
}

// The real program, run as a player or a script runs it: its command line,
// start-up and its failures, and headless scripted play end to end.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "gfx/bitmap.h"
#include "tests/support.h"

namespace {

const std::string Game = VANTARO_GAME;

// The value of a field of a state line, as written ("25", "\"prompt\"").
std::string Field(const std::string& state, const std::string& name) {
    const size_t at = state.find("\"" + name + "\":");
    if (at == std::string::npos) return "?";
    const size_t from = at + name.size() + 3;
    return state.substr(from, state.find_first_of(",}", from) - from);
}

struct Program : ::testing::Test {
    std::string data, work;
    void SetUp() override {
        data = MakeTempFolder();
        work = MakeTempFolder();
    }
    RunResult Headless(const std::string& script, std::vector<std::string> extra = {},
                       const std::string& game = Game) {
        WriteFile(work + "/play.txt", script);
        std::vector<std::string> args = {game, "--headless", "--script", work + "/play.txt"};
        args.insert(args.end(), extra.begin(), extra.end());
        return ::Run(args, {"VANTARO_DATA_DIR=" + data});
    }
};

TEST_F(Program, HelpAndVersionAnswerAndWrongCommandLinesGetUsageAndStatusTwo) {
    RunResult help = ::Run({Game, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: vantaro"), std::string::npos);
    EXPECT_NE(help.out.find("--headless"), std::string::npos);
    RunResult version = ::Run({Game, "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("vantaro ", 0), 0u);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {Game, "--bogus"}, {Game, "--scale"}, {Game, "--scale", "0"}, {Game, "--scale", "x"},
             {Game, "--script", "a.txt"}, {Game, "--headless", "--start-tick", "-1"}, {Game, "stray"}}) {
        RunResult r = ::Run(args, {"VANTARO_DATA_DIR=" + data});
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_NE(r.err.find("Usage: vantaro"), std::string::npos) << args.back();
    }
    EXPECT_TRUE(ListFolder(data).empty());  // refused before touching anything
}

// A bad line is named by its number, and what it says is shown cut short
// and printable, however long or binary it was.
TEST_F(Program, MalformedScriptLineStopsWithItsNumber) {
    RunResult r = Headless("# a comment\ntap 10 10\n\nwait soon\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("play.txt:4:"), std::string::npos) << r.err;
    for (const std::string& bad : std::vector<std::string>{"tap 240 0", "tap 1", "key z", "capture", "wait -5",
                                                           "launch", "\x01\x1b[2J" + std::string(4000, 'q'),
                                                           "tap " + std::string(5000, '1')}) {
        RunResult b = Headless(bad + "\n");
        EXPECT_EQ(b.status, 2) << bad.substr(0, 10);
        EXPECT_NE(b.err.find("play.txt:1:"), std::string::npos) << bad.substr(0, 10) << ": " << b.err;
        EXPECT_LT(b.err.size(), 300u);
        EXPECT_EQ(b.err.find('\x1b'), std::string::npos);
    }
    EXPECT_NE(Headless("tap " + std::string(5000, '1')).err.find("longer than 4096 characters"), std::string::npos);
}

// A script is a regular file of at most a megabyte, and what it writes goes
// to regular files: a folder, a FIFO nobody writes or reads, or a device is
// refused at once with the reason, never waited on or read without end.
TEST_F(Program, ScriptsAndWhatTheyWriteAreRegularFilesOnly) {
    const std::string fifo = work + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    WriteFile(work + "/big.txt", std::string(2 << 20, '#'));
    const std::pair<std::string, std::string> scripts[] = {
        {work + "/absent.txt", "No such file"}, {work, "is a folder"},        {fifo, "is not a regular file"},
        {"/dev/zero", "is not a regular file"}, {work + "/big.txt", "larger than 1048576 bytes"},
    };
    for (const auto& [script, why] : scripts) {
        RunResult r = ::Run({Game, "--headless", "--script", script}, {"VANTARO_DATA_DIR=" + data}, 20);
        EXPECT_EQ(r.status, 2) << script;
        EXPECT_NE(r.err.find(why), std::string::npos) << script << ": " << r.err;
    }
    for (const char* line : {"capture ", "state "}) {
        RunResult r = Headless(line + fifo + "\n");
        EXPECT_EQ(r.status, 3) << line;
        EXPECT_NE(r.err.find("is not a regular file"), std::string::npos) << r.err;
    }
}

// SIGINT, SIGTERM and SIGHUP close a scripted game as a close request does;
// the status says the script did not run to its end.
TEST_F(Program, ClosingSignalsCloseTheGameAndTheStatusSaysSo) {
    std::string days = "tap 199 210\n";
    for (int i = 0; i < 20; ++i) days += "wait 86400000\n";
    WriteFile(work + "/play.txt", days + "state " + work + "/never.json\n");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        RunResult r = ::Run({Game, "--headless", "--script", work + "/play.txt"},
                            {"VANTARO_DATA_DIR=" + data, "VANTARO_TRACE=1"}, 60, "stylus down 199 210", signal);
        EXPECT_EQ(r.status, 128 + signal) << signal;
        EXPECT_NE(r.err.find("close request"), std::string::npos) << signal << ": " << r.err;
        EXPECT_FALSE(FileExists(work + "/never.json"));
    }
}

// The same start tick plays the same game.
TEST_F(Program, ScriptCapturesTheMachineAndReportsItsStateTheSameEveryTime) {
    const std::string script = "wait 6000\ncapture " + work + "/shot.png\nstate " + work + "/state.json\n";
    RunResult r = Headless(script, {"--start-tick", "4242"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string first = ReadFile(work + "/state.json") + ReadFile(work + "/shot.png");
    EXPECT_EQ(ReadFile(work + "/state.json").rfind(
                  "{\"credit\":0,\"bank\":0,\"prize\":0,\"nudges\":0,\"cash\":25,\"featureCount\":0,\"score\":0,"
                  "\"featureHold\":0,\"holdOffer\":0,\"reels\":[{\"position\":",
                  0),
              0u);
    int w = 0, h = 0;
    std::vector<uint32_t> shot;
    ASSERT_TRUE(ReadPng(work + "/shot.png", &w, &h, &shot));
    ASSERT_EQ(w * h, 240 * 320);
    // The cabinet picture is on the display wherever nothing is drawn over it.
    SetPixelFormatFlags(PIXEL_FORMAT_565);
    Surface cabinet;
    ASSERT_TRUE(LoadBitmapFile(cabinet, (std::string(VANTARO_SOURCE_DIR) + "/Images/machine.bmp").c_str()));
    for (int i : {0, 240 * 5 + 3, 240 * 160 + 3, 240 * 319 + 239}) {
        const uint16_t p = cabinet.pixels[i];
        const uint32_t r5 = p >> 11, g6 = (p >> 5) & 63, b5 = p & 31;
        const uint32_t rgb = (((r5 << 3) | (r5 >> 2)) << 16) | (((g6 << 2) | (g6 >> 4)) << 8) | ((b5 << 3) | (b5 >> 2));
        EXPECT_EQ(shot[i], rgb) << i;
    }
    ASSERT_EQ(Headless(script, {"--start-tick", "4242"}).status, 0);
    EXPECT_EQ(ReadFile(work + "/state.json") + ReadFile(work + "/shot.png"), first);
}

TEST_F(Program, CloseLineEndsTheGameCleanly) {
    RunResult r = Headless("wait 100\nclose\nwait 100000\nstate " + work + "/never.json\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(FileExists(work + "/never.json"));
}

TEST_F(Program, AboutBoxStaysUpUntilAPressWhichOnlyClosesIt) {
    const std::string w = work + "/";
    RunResult r = Headless("key ctrl+a\nwait 100\nstate " + w + "s1\nwait 60000\nstate " + w + "s2\n" +
                           "tap 199 210\nwait 300\nstate " + w + "s3\ntap 199 210\nwait 300\nstate " + w + "s4\n" +
                           "key ctrl+a\nwait 100\nkey up\nwait 100\nstate " + w + "s5\nkey ctrl+a\nwait 100\nstate " + w +
                           "s6\n");
    ASSERT_EQ(r.status, 0) << r.err;  // the script's end closes the box and then the game
    auto field = [&](const std::string& file, const std::string& name) { return Field(ReadFile(w + file), name); };
    EXPECT_EQ(field("s1", "screen"), "\"about\"");
    EXPECT_EQ(field("s2", "screen"), "\"about\"");  // a minute later still up
    EXPECT_EQ(field("s3", "screen"), "\"machine\"");
    EXPECT_EQ(field("s3", "cash"), "25");  // the tap that closed it did not reach Coin
    EXPECT_EQ(field("s4", "cash"), "24");  // the next one does
    EXPECT_EQ(field("s5", "screen"), "\"machine\"");  // a key closes it as well
    EXPECT_EQ(field("s6", "screen"), "\"about\"");
}

TEST_F(Program, UnwritableDataFolderStopsStartUp) {
    WriteFile(work + "/file", "");
    RunResult r = ::Run({Game, "--headless"}, {"VANTARO_DATA_DIR=" + work + "/file/sub"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Unable to initialise: High Scores"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("cannot create the high-score table: " + work + "/file/sub: Not a directory"),
              std::string::npos) << r.err;
}

TEST_F(Program, MissingPictureIsALoadErrorAfterTheHighScoreFile) {
    const std::string folder = MakeTempFolder();
    const std::string game = CopyGameInto(folder);
    RunResult r = Headless("", {}, game);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Load Error: fruit.bmp"), std::string::npos) << r.err;
    EXPECT_EQ(ListFolder(data), std::vector<std::string>{"vantarohs.dat"});
    EXPECT_EQ(ListFolder(folder), std::vector<std::string>{"vantaro"});
}

TEST_F(Program, ProgramWhosePathCannotBeReadStopsAtTheFirstPicture) {
    // A real path longer than the system's limit, reached through a short
    // link to its middle: the program starts but cannot learn where it is.
    const std::string folder = MakeTempFolder();
    const std::string part(200, 'd');
    std::string first, second;  // the two halves of the path below the folder
    int fd = open(folder.c_str(), O_DIRECTORY);
    for (int level = 0; level < 24; ++level) {
        ASSERT_EQ(mkdirat(fd, part.c_str(), 0755), 0);
        const int next = openat(fd, part.c_str(), O_DIRECTORY);
        close(fd);
        ASSERT_GE(fd = next, 0);
        (level < 12 ? first : second) += "/" + part;
    }
    const std::string bytes = ReadFile(Game);
    const int out = openat(fd, "vantaro", O_WRONLY | O_CREAT, 0755);
    close(fd);
    ASSERT_GE(out, 0);
    ASSERT_EQ(write(out, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(out);
    ASSERT_EQ(symlink((folder + first).c_str(), (folder + "/x").c_str()), 0);

    RunResult r = Headless("", {}, folder + "/x" + second + "/vantaro");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("Load Error: fruit.bmp"), std::string::npos) << r.err;
}

TEST_F(Program, SymbolKeyColourIsTheSymbolPicturesTopLeftPixel) {
    // The symbols' white background turned magenta: keyed out, the reels
    // show their own white behind the symbols; any other key shows magenta.
    // The picture's bottom-left pixel (first in the file) gets another
    // colour, so that keying on it would show.
    std::string fruit = ReadFile(std::string(VANTARO_SOURCE_DIR) + "/Images/fruit.bmp");
    const uint32_t offset = static_cast<uint8_t>(fruit[10]) | static_cast<uint8_t>(fruit[11]) << 8;
    const int width = static_cast<uint8_t>(fruit[18]) | static_cast<uint8_t>(fruit[19]) << 8;
    const int height = static_cast<uint8_t>(fruit[22]) | static_cast<uint8_t>(fruit[23]) << 8;
    const size_t topLeft = offset + static_cast<size_t>(height - 1) * ((width + 3) & ~3);
    const int key = static_cast<uint8_t>(fruit[topLeft]);
    ASSERT_EQ(fruit.substr(54 + 4 * key, 3), std::string(3, '\xff'));  // white in the picture as drawn
    fruit.replace(54 + 4 * key, 3, std::string("\xff\x00\xff", 3));  // blue, green, red: magenta
    ASSERT_EQ(static_cast<uint8_t>(fruit[offset]), key);
    fruit[offset] = static_cast<char>(key == 1 ? 2 : 1);

    const std::string folder = MakeTempFolder();
    const std::string game = CopyGameInto(folder);
    mkdir((folder + "/Images").c_str(), 0755);
    WriteFile(folder + "/Images/fruit.bmp", fruit);
    WriteFile(folder + "/Images/machine.bmp", ReadFile(std::string(VANTARO_SOURCE_DIR) + "/Images/machine.bmp"));
    RunResult r = Headless("wait 1000\ncapture " + work + "/shot.png\n", {}, game);
    ASSERT_EQ(r.status, 0) << r.err;
    int w = 0, h = 0;
    std::vector<uint32_t> shot;
    ASSERT_TRUE(ReadPng(work + "/shot.png", &w, &h, &shot));
    size_t white = 0;
    for (int y = 10; y < 160; ++y)
        for (int x = 0; x < 240; ++x) {
            ASSERT_NE(shot[y * 240 + x], 0xFF00FFu) << x << "," << y;
            white += shot[y * 240 + x] == 0xFFFFFFu;
        }
    EXPECT_GT(white, 4u * 50 * 50);  // the reels' background is there
}

// A game played by a script: a coin, a spin and two collects a cycle, and
// the state after every spin.
struct WholeGame : Program {
    static constexpr int CYCLES = 80;
    const std::vector<std::string> tick = {"--start-tick", "2000000"};
    std::string Cycles(int count) const {
        std::string s = "wait 6000\n";  // the splash
        for (int c = 0; c < count; ++c)
            s += "tap 199 210\nwait 300\ntap 199 302\nwait 6000\nstate " + work + "/c" + std::to_string(c) +
                 ".json\ntap 199 279\nwait 3000\ntap 199 279\nwait 3000\n";
        return s;
    }
    std::string State(const std::string& file) const { return ReadFile(work + "/" + file); }
    // The high-score table, which must be whole, and its first score.
    std::string Table(int32_t* first) const {
        const std::string table = ReadFile(data + "/vantarohs.dat");
        EXPECT_EQ(table.size(), 240u);
        if (table.size() == 240) std::memcpy(first, table.data() + 16, 4);
        return table.size() == 240 ? table : std::string(240, '?');
    }
};

// A first run finds the first spin that scores and the one after which the
// money is gone. Then the game is played to its end, saved under the name
// VAN and played again; and played to its first win, abandoned, resumed as
// it was, and quit with the score saved under an empty name.
TEST_F(WholeGame, PlayedToTheEndAndSavedOrAbandonedResumedAndQuit) {
    ASSERT_EQ(Headless(Cycles(CYCLES), tick).status, 0);
    int end = -1, scored = -1;
    for (int c = 0; c < CYCLES && end < 0; ++c) {
        const std::string state = State("c" + std::to_string(c) + ".json");
        if (scored < 0 && Field(state, "score") != "0" && Field(state, "screen") == "\"machine\"") scored = c;
        if (Field(state, "screen") == "\"prompt\"") end = c;
    }
    ASSERT_GE(end, 0) << "the money lasted " << CYCLES << " spins";
    ASSERT_GE(scored, 0);
    const std::string last = State("c" + std::to_string(end) + ".json");
    EXPECT_EQ(Field(last, "title"), "\"Save High Score?\"");
    EXPECT_EQ(Field(last, "cash") + Field(last, "credit") + Field(last, "bank"), "000");
    const std::string score = Field(last, "score");
    const std::string firstScore = Field(State("c" + std::to_string(scored) + ".json"), "score");

    // VAN: five back from A to V, five on to A, thirteen on to N, each
    // letter selected with Up.
    const std::string w = work + "/";
    std::string script = Cycles(end + 1) + "tap 60 300\nwait 1500\nstate " + w + "names0\n";
    for (auto [key, n] : {std::pair{"left", 5}, {"up", 1}, {"right", 5}, {"up", 1}, {"right", 13}, {"up", 1}})
        for (int i = 0; i < n; ++i) script += "key " + std::string(key) + "\nwait 400\n";
    script += "state " + w + "names1\ntap 40 300\nwait 2500\nstate " + w + "table\ncapture " + w +
              "table.png\ntap 120 300\nwait 2500\nstate " + w + "over\ntap 60 300\nwait 2500\nstate " + w + "fresh\n";
    RunResult r = Headless(script, tick);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(State("names0"), "screen"), "\"names\"");
    EXPECT_EQ(Field(State("names0"), "letter"), "\"A\"");
    EXPECT_EQ(Field(State("names1"), "name"), "\"VAN\"");
    EXPECT_EQ(Field(State("names1"), "letter"), "\"N\"");
    EXPECT_EQ(Field(State("table"), "screen"), "\"table\"");
    EXPECT_EQ(Field(State("over"), "title"), "\"GAME OVER\"");
    const std::string fresh = State("fresh");
    EXPECT_EQ(Field(fresh, "screen"), "\"machine\"");
    for (const char* counter : {"credit", "bank", "prize", "nudges", "featureCount", "score"})
        EXPECT_EQ(Field(fresh, counter), "0") << counter;
    EXPECT_EQ(Field(fresh, "cash"), "25");
    // VAN first with the score, the others empty; on the table the new
    // first row is picked out in black, the rest white.
    int32_t saved = 0;
    const std::string table = Table(&saved);
    EXPECT_EQ(table.substr(0, 4), std::string("VAN\0", 4));
    EXPECT_EQ(std::to_string(saved), score);
    EXPECT_EQ(table.substr(20), std::string(220, '\0'));
    int pw = 0, ph = 0;
    std::vector<uint32_t> shot;
    ASSERT_TRUE(ReadPng(w + "table.png", &pw, &ph, &shot));
    auto inks = [&](int y, uint32_t colour) {
        int n = 0;
        for (int yy = y; yy < y + 7; ++yy)
            for (int x = 0; x < 240; ++x) n += shot[yy * 240 + x] == colour;
        return n;
    };
    EXPECT_GT(inks(40, 0x000000), 20);
    EXPECT_EQ(inks(40, 0xFFFFFF), 0);
    EXPECT_GT(inks(56, 0xFFFFFF), 20);
    EXPECT_EQ(inks(56, 0x000000), 0);

    data = MakeTempFolder();
    script = Cycles(scored + 1) + "capture " + w + "before.png\nkey start\nwait 1500\nstate " + w +
             "asked\ntap 180 300\nwait 1500\ncapture " + w + "after.png\nstate " + w + "back\n" +
             "key c\nwait 1500\ntap 60 300\nwait 1500\nstate " + w + "save\ntap 60 300\nwait 1500\n" +
             "tap 40 300\nwait 2500\nstate " + w + "table\ntap 120 300\nwait 5000\nstate " + w + "never\n";
    r = Headless(script, tick);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(State("asked"), "title"), "\"Abandon Game?\"");
    EXPECT_EQ(Field(State("back"), "screen"), "\"machine\"");
    EXPECT_EQ(Field(State("back"), "score"), firstScore);
    EXPECT_EQ(ReadFile(w + "after.png"), ReadFile(w + "before.png"));  // exactly as it was
    EXPECT_EQ(Field(State("save"), "title"), "\"Save High Score?\"");
    EXPECT_EQ(Field(State("table"), "screen"), "\"table\"");
    EXPECT_FALSE(FileExists(w + "never"));  // the program had ended by itself
    EXPECT_EQ(Table(&saved)[0], 0);  // OK with no letters: an empty name
    EXPECT_EQ(std::to_string(saved), firstScore);
}

// No display named, or one named whose server is not running: the message
// says which, and nothing else is said on the way.
TEST_F(Program, SdlWithoutADisplaySaysSoAndPointsAtHeadless) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-u", "DISPLAY"}, "DISPLAY and WAYLAND_DISPLAY are not set"},
        {{"DISPLAY=:977"}, "cannot open the X display :977"},
    };
    for (const auto& [env, said] : cases) {
        std::vector<std::string> argv = {"/usr/bin/env", "-u", "WAYLAND_DISPLAY", "-u", "XDG_RUNTIME_DIR"};
        argv.insert(argv.end(), env.begin(), env.end());
        argv.push_back(Game);
        RunResult r = ::Run(argv, {"VANTARO_DATA_DIR=" + data, "SDL_VIDEODRIVER=", "ASAN_OPTIONS=detect_leaks=0"}, 20);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--headless"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("XDG_RUNTIME_DIR"), std::string::npos) << r.err;
    }
}

}  // namespace

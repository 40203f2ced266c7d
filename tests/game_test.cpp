// The real program, run as a player or a script runs it: its command line,
// start-up and its failures, and headless scripted play end to end; and whole
// games by the simulated player: drawing switched off changes nothing but the
// pictures, the invariants hold game after game, a broken one stops the run.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstring>

#include "desktop/script.h"
#include "desktop/simulate.h"
#include "tests/machine_fixture.h"
#include "tests/support.h"

namespace {

const std::string Game = VANTARO_GAME;

// The start of the state line of a new game.
const std::string NewGameState = "{\"credit\":0,\"bank\":0,\"prize\":0,\"nudges\":0,\"cash\":25,\"featureCount\":0,"
                                 "\"score\":0,\"featureHold\":0,\"holdOffer\":0,\"reels\":[{\"position\":";

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

// A wrong command line gets one line saying what is wrong (naming the
// option where one is at fault) and a pointer to --help, whose every line
// fits an 80-column terminal; nothing is touched.
TEST_F(Program, HelpAndVersionAnswerAndWrongCommandLinesGetOneLineAndStatusTwo) {
    RunResult help = ::Run({Game, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: vantaro"), std::string::npos);
    EXPECT_NE(help.out.find("--headless"), std::string::npos);
    for (size_t from = 0, end; (end = help.out.find('\n', from)) != std::string::npos; from = end + 1)
        EXPECT_LE(end - from, 80u) << help.out.substr(from, end - from);
    RunResult version = ::Run({Game, "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("vantaro ", 0), 0u);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus"}, ""}, {{"--scale"}, ""}, {{"--scale", "0"}, ""}, {{"--scale", "x"}, ""},
        {{"--script", "a.txt"}, ""}, {{"--headless", "--start-tick", "-1"}, ""}, {{"stray"}, ""},
        {{"--scale=9"}, ""}, {{"--scale="}, ""}, {{"--mute=yes"}, ""}, {{"--help=1"}, ""}, {{"--bogus=1"}, ""},
        {{"bad\nline"}, ""}, {{"--simulate"}, "--simulate"}, {{"--simulate", "0"}, "--simulate"},
        {{"--simulate", "1000001"}, "--simulate"}, {{"--seed", "5"}, "--seed"},
        {{"--strategy", "gamble"}, "--strategy"},
        {{"--simulate", "2", "--strategy", "bold"}, "--strategy"}, {{"--simulate", "2", "--seed", "x"}, "--seed"},
        {{"--simulate", "2", "--start-tick", "5"}, "--start-tick"}, {{"--simulate", "2", "--script", "a"}, "--script"},
        {{"--odds", "--simulate", "2"}, "--odds"}, {{"--data-dir"}, "--data-dir"}, {{"--data-dir", ""}, "--data-dir"},
        {{"--data-dir", "--mute"}, "--data-dir needs a folder"},
        // Every value may come after '=' instead; a flag takes none.
        {{"--simulate=0"}, "--simulate"}, {{"--seed=5"}, "--seed needs --simulate"},
        {{"--strategy=gamble"}, "--strategy needs --simulate"},
        {{"--simulate=2", "--start-tick=5"}, "--start-tick does not go"},
        {{"--simulate=2", "--script=a"}, "--script and --simulate"},
        {{"--data-dir=d", "--scale=3", "--start-tick=5"}, "--start-tick needs --headless"},
        {{"--data-dir="}, "--data-dir needs a folder"}, {{"--odds=1"}, "--odds takes no value"},
    };
    for (const auto& [args, named] : cases) {
        std::vector<std::string> argv = {Game};
        argv.insert(argv.end(), args.begin(), args.end());
        RunResult r = ::Run(argv, {"VANTARO_DATA_DIR=" + data});
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_EQ(r.err.rfind("vantaro: " + named, 0), 0u) << r.err;
        EXPECT_EQ(r.err.substr(r.err.find('\n') + 1), "Try 'vantaro --help'.\n") << r.err;
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
#ifdef _WIN32
    const std::string fifo = "NUL", device = "NUL";  // a device stands for the FIFO
#else
    const std::string fifo = work + "/fifo", device = "/dev/zero";
    ASSERT_TRUE(MakeNonRegular(fifo));
#endif
    WriteFile(work + "/big.txt", std::string(2 << 20, '#'));
    const std::pair<std::string, std::string> scripts[] = {
        {work + "/absent.txt", "No such file"}, {work, "is a folder"},        {fifo, "is not a regular file"},
        {device, "is not a regular file"},      {work + "/big.txt", "larger than 1048576 bytes"},
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
// the status says the script did not run to its end. A close line ends it
// with 0. (On Windows a headless game hears the console's Ctrl+C; the
// session's end reaches a window: windows_test.cpp.)
TEST_F(Program, ClosingSignalsAndCloseLinesCloseTheGame) {
    std::string days = "tap 199 210\n";
    for (int i = 0; i < 20; ++i) days += "wait 86400000\n";
    WriteFile(work + "/play.txt", days + "state " + work + "/never.json\n");
#ifdef _WIN32
    for (const int signal : {SIGINT}) {
#else
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
#endif
        RunResult r = ::Run({Game, "--headless", "--script", work + "/play.txt"},
                            {"VANTARO_DATA_DIR=" + data, "VANTARO_TRACE=1"}, 60, "stylus down 199 210", signal);
        EXPECT_EQ(r.status, 128 + signal) << signal;
        EXPECT_NE(r.err.find("close request"), std::string::npos) << signal << ": " << r.err;
    }
    EXPECT_EQ(Headless("wait 100\nclose\nwait 100000\nstate " + work + "/never.json\n").status, 0);
    EXPECT_FALSE(FileExists(work + "/never.json"));
}

// The same start tick plays the same game.
TEST_F(Program, ScriptCapturesTheMachineAndReportsItsStateTheSameEveryTime) {
    const std::string script = "wait 6000\ncapture " + work + "/shot.png\nstate " + work + "/state.json\n";
    RunResult r = Headless(script, {"--start-tick", "4242"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string first = ReadFile(work + "/state.json") + ReadFile(work + "/shot.png");
    EXPECT_EQ(ReadFile(work + "/state.json").rfind(NewGameState, 0), 0u);
    // The reels where a fresh program puts them: the golden picture of a new game.
    const std::vector<uint32_t> shot = ReadPng(work + "/shot.png");
    ASSERT_FALSE(shot.empty());
    EXPECT_TRUE(shot == ReadPng(std::string(VANTARO_SOURCE_DIR) + "/tests/golden/machine_reset.png"))
        << "the first frame differs from golden/machine_reset.png";
    ASSERT_EQ(Headless(script, {"--start-tick", "4242"}).status, 0);
    EXPECT_EQ(ReadFile(work + "/state.json") + ReadFile(work + "/shot.png"), first);
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
#ifdef _WIN32
    const std::string reason = "No such file or directory";  // all Windows says of a folder under a file
#else
    const std::string reason = "Not a directory";
#endif
    EXPECT_NE(r.err.find("cannot create the high-score table: " + work + "/file/sub: " + reason), std::string::npos)
        << r.err;
}

#ifndef _WIN32  // a path longer than PATH_MAX, reached through a symbolic link
TEST_F(Program, ProgramWhosePathCannotBeReadStopsAtTheFirstPicture) {
    // A real path longer than the system's limit (made a step at a time),
    // reached through a short link to its middle: the program starts but
    // cannot learn where it is.
    const std::string folder = MakeTempFolder(), part(200, 'd');
    const std::string make = "cd \"$0\" && for i in $(seq 24); do mkdir $1 && cd -P $1; done && cp \"$2\" vantaro";
    ASSERT_EQ(::Run({"/bin/sh", "-c", make, folder, part, Game}).status, 0);
    std::string half;  // twelve of the 24 levels
    for (int level = 0; level < 12; ++level) half += "/" + part;
    ASSERT_EQ(symlink((folder + half).c_str(), (folder + "/x").c_str()), 0);
    RunResult r = Headless("", {}, folder + "/x" + half + "/vantaro");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("Load Error: fruit.bmp"), std::string::npos) << r.err;
}

#endif

// A folder name need not be UTF-8 (one made under another locale), nor keep
// to the characters of one code page (Windows' UTF-16, where a cherry takes
// two units): the program finds its pictures beside itself by the very
// name of its path.
TEST_F(Program, InstalledInAFolderWhoseNameIsNotUtf8ItFindsItsFiles) {
#ifdef _WIN32
    const std::string folder = MakeTempFolder() + "/caf\xc3\xa9 \xf0\x9f\x8d\x92";
#else
    const std::string folder = MakeTempFolder() + "/caf\xe9 \xff\xfe";
#endif
    ASSERT_TRUE(MakeFolder(folder));
    const std::string game = CopyGameInto(folder), source = VANTARO_SOURCE_DIR;
    for (const char* files : {"/Images", "/Sounds"}) ASSERT_TRUE(LinkOrCopy(source + files, folder + files));
    RunResult r = Headless("wait 6000\ncapture " + work + "/shot.png\n", {"--start-tick", "4242"}, game);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(ReadPng(work + "/shot.png") == ReadPng(source + "/tests/golden/machine_reset.png"));
}

TEST_F(Program, SymbolKeyColourIsTheSymbolPicturesTopLeftPixel) {
    // The symbols' white background turned magenta: keyed out, the reels
    // show their own white behind the symbols; any other key shows magenta.
    // The picture's bottom-left pixel (first in the file) gets another
    // colour, so that keying on it would show.
    std::string fruit = ReadFile(std::string(VANTARO_SOURCE_DIR) + "/Images/fruit.bmp");
    auto u16 = [&fruit](size_t at) { return static_cast<size_t>(uint8_t(fruit[at]) | uint8_t(fruit[at + 1]) << 8); };
    const size_t offset = u16(10), topLeft = offset + (u16(22) - 1) * ((u16(18) + 3) & ~size_t{3});
    const int key = static_cast<uint8_t>(fruit[topLeft]);
    ASSERT_EQ(fruit.substr(54 + 4 * key, 3), std::string(3, '\xff'));  // white in the picture as drawn
    fruit.replace(54 + 4 * key, 3, std::string("\xff\x00\xff", 3));  // blue, green, red: magenta
    ASSERT_EQ(static_cast<uint8_t>(fruit[offset]), key);
    fruit[offset] = static_cast<char>(key == 1 ? 2 : 1);

    const std::string folder = MakeTempFolder();
    const std::string game = CopyGameInto(folder);
    ASSERT_TRUE(MakeFolder(folder + "/Images"));
    WriteFile(folder + "/Images/fruit.bmp", fruit);
    WriteFile(folder + "/Images/machine.bmp", ReadFile(std::string(VANTARO_SOURCE_DIR) + "/Images/machine.bmp"));
    RunResult r = Headless("wait 1000\ncapture " + work + "/shot.png\n", {}, game);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<uint32_t> shot = ReadPng(work + "/shot.png");
    ASSERT_FALSE(shot.empty());
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
    EXPECT_EQ(State("fresh").rfind(NewGameState, 0), 0u) << State("fresh");
    EXPECT_EQ(Field(State("fresh"), "screen"), "\"machine\"");
    // VAN first with the score, the others empty; on the table the new
    // first row is picked out in black, the rest white.
    int32_t saved = 0;
    const std::string table = Table(&saved);
    EXPECT_EQ(table.substr(0, 4), std::string("VAN\0", 4));
    EXPECT_EQ(std::to_string(saved), score);
    EXPECT_EQ(table.substr(20), std::string(220, '\0'));
    const std::vector<uint32_t> shot = ReadPng(w + "table.png");
    ASSERT_FALSE(shot.empty());
    auto inks = [&](int y, uint32_t colour) {  // in the text row at y
        return std::count(shot.begin() + y * 240, shot.begin() + (y + 7) * 240, colour);
    };
    EXPECT_TRUE(inks(40, 0x000000) > 20 && inks(40, 0xFFFFFF) == 0) << "the new first row is not black";
    EXPECT_TRUE(inks(56, 0xFFFFFF) > 20 && inks(56, 0x000000) == 0) << "the second row is not white";

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

#ifndef _WIN32  // X's displays
// No display named, or one named whose server is not running: the message
// says which, and nothing else is said on the way. With a display (SDL's
// dummy one) on a machine without a sound server or card, the game starts,
// silent, without a word from the sound libraries.
TEST_F(Program, SdlWithoutADisplaySaysSoAndWithoutSoundSaysNothing) {
    struct Case {
        std::vector<std::string> env;
        std::vector<std::string> said;
        int status;
    };
    const Case cases[] = {
        {{"-u", "XDG_RUNTIME_DIR", "-u", "DISPLAY"}, {"DISPLAY and WAYLAND_DISPLAY are not set", "--headless"}, 1},
        {{"-u", "XDG_RUNTIME_DIR", "DISPLAY=:977"}, {"cannot open the X display :977", "--headless"}, 1},
        {{"-u", "SDL_AUDIODRIVER", "SDL_VIDEODRIVER=dummy"}, {"window 480x640 at scale 2"}, 128 + SIGTERM},
    };
    for (const auto& [env, said, status] : cases) {
        std::vector<std::string> argv = {"/usr/bin/env", "-u", "WAYLAND_DISPLAY"};
        argv.insert(argv.end(), env.begin(), env.end());
        argv.insert(argv.end(), {Game, "--mute"});
        RunResult r = ::Run(argv,
                            {"VANTARO_DATA_DIR=" + data, "SDL_VIDEODRIVER=", "ASAN_OPTIONS=detect_leaks=0",
                             "VANTARO_TRACE=1"},
                            20, "output window-surface", SIGTERM);
        EXPECT_EQ(r.status, status) << r.err;
        for (const std::string& line : said) EXPECT_NE(r.err.find(line), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("XDG_RUNTIME_DIR"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("ALSA"), std::string::npos) << r.err;
    }
}
#endif

// A fresh program's games (the clock at the seed, the reels where its first
// draws put them): everything they leave that drawing must not change, and
// whether any present showed the middle of reel 1, white or a symbol.
std::string Play(Strategy strategy, bool drawing, uint32_t seed, SimulationResult* result, bool* drawn) {
    StartHeadless(seed);
    SetReels(TheMachine, 3, 6, 7, 5);
    static bool seen;
    seen = false;
    headless::SetPresentWatcher(
        [](void*) { seen = seen || headless::FrameMemory()[headless::FrameBaseOffset() + 2 * (85 * 240 + 33)]; },
        nullptr);
    SimulationSettings settings;
    settings.games = 3;
    settings.strategy = strategy;
    settings.drawing = drawing;
    EXPECT_EQ(Simulate(settings, result), 1) << result->failure;
    headless::SetPresentWatcher(nullptr, nullptr);
    *drawn = seen;
    std::string all = MachineStateJson(TheMachine);
    for (const GameRecord& g : result->games)
        for (int64_t v : {int64_t{g.score}, int64_t{g.spins}, int64_t{g.gambles}, int64_t{g.gambleLosses},
                          int64_t{g.gambled}, int64_t{g.gambleWins}, int64_t(g.startUs), int64_t(g.endUs)})
            all += " " + std::to_string(v);
    for (uint64_t v : {headless::NowUs(), headless::PresentCount(), headless::SoundCount()})
        all += " " + std::to_string(v);
    return all;
}

// Drawing off plays the very games drawing on plays. Every game ends out of
// money, so every credit staked was the starting cash or a prize banked; each
// gamble climbs one rung, doubling its stake; the logs stay empty while the
// counts go on.
TEST(Simulation, DrawingOffPlaysExactlyTheGamesDrawingOnPlays) {
    for (Strategy strategy : {Strategy::Collect, Strategy::Gamble}) {
        SimulationResult off, on;
        bool drawnOff = true, drawnOn = false;
        const std::string a = Play(strategy, false, 4242, &off, &drawnOff);
        EXPECT_TRUE(headless::Presents().empty() && headless::Sounds().empty());
        EXPECT_GT(headless::PresentCount(), 300u);
        EXPECT_EQ(a, Play(strategy, true, 4242, &on, &drawnOn)) << StrategyName(strategy);
        EXPECT_FALSE(drawnOff);  // the switch did switch
        EXPECT_TRUE(drawnOn);
        EXPECT_FALSE(DrawingOff);
        int gambles = 0;
        for (const GameRecord& g : on.games) {
            gambles += g.gambles;
            EXPECT_EQ(g.spins, 25 + g.score);
            EXPECT_EQ(g.gambleLosses, 0);
            EXPECT_EQ(g.gambleWins, 2 * g.gambled);
        }
        EXPECT_EQ(gambles > 0, strategy == Strategy::Gamble);
    }
}

TEST(Simulation, BrokenInvariantStopsTheRunAndSaysWhat) {
    StartHeadless(7);
    // A unit of cash from nowhere, in the middle of a game.
    headless::SetPresentWatcher(
        [](void*) {
            if (headless::PresentCount() == 3000) TheMachine.cash += 1;
        },
        nullptr);
    SimulationSettings settings;
    settings.games = 50;
    SimulationResult result;
    EXPECT_EQ(Simulate(settings, &result), 0);
    EXPECT_NE(result.failure.find("cash + credit + bank + staked is"), std::string::npos) << result.failure;
    EXPECT_LT(result.games.size(), 50u);
    EXPECT_EQ(result.status, 0);  // the game closed as asked
    headless::SetPresentWatcher(nullptr, nullptr);
}

TEST(Simulation, ProgramPrintsTheFiguresAndLeavesNoFilesBehind) {
    const std::string data = MakeTempFolder(), temp = MakeTempFolder(), own = MakeTempFolder() + "/scores";
    const std::vector<std::string> env = {"VANTARO_DATA_DIR=" + data, TEMP_HOME + ("=" + temp)};
    RunResult r = ::Run({Game, "--simulate", "4", "--strategy=gamble", "--seed=42"}, env);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("4 games, strategy gamble, seed 42", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("Return: prizes banked"), std::string::npos);
    EXPECT_EQ(r.err, "");  // no progress bar when stderr is not a terminal
    EXPECT_TRUE(ListFolder(data).empty());
    EXPECT_TRUE(ListFolder(temp).empty());
    // --data-dir names the folder, for a simulation as for play.
    r = ::Run({Game, "--simulate=1", "--data-dir=" + own}, env);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ListFolder(own), std::vector<std::string>{"vantarohs.dat"});
    const std::string other = MakeTempFolder() + "/other";
    WriteFile(temp + "/play.txt", "");
    r = ::Run({Game, "--headless", "--script", temp + "/play.txt", "--data-dir", other}, env);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ListFolder(other), std::vector<std::string>{"vantarohs.dat"});
    EXPECT_TRUE(ListFolder(data).empty());
}

// Stopped from outside, a simulation shows what it played, says so, ends
// with 128 + the signal and leaves nothing behind.
TEST(Simulation, AnInterruptedRunShowsWhatItPlayedAndLeavesNothing) {
    const std::string temp = MakeTempFolder();
#ifdef _WIN32
    for (const int signal : {SIGINT}) {  // Ctrl+C in its console
#else
    for (const int signal : {SIGINT, SIGHUP}) {
#endif
        RunResult r = ::Run({Game, "--simulate", "1000000"}, {TEMP_HOME + ("=" + temp), "VANTARO_TRACE=1"}, 60,
                            "stylus down", signal);
        EXPECT_EQ(r.status, 128 + signal);
        EXPECT_NE(r.out.find(" games, strategy collect"), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(signal == SIGINT ? "interrupted by SIGINT after" : "interrupted by SIGHUP after"),
                  std::string::npos);
        EXPECT_TRUE(ListFolder(temp).empty());
    }
}

#ifndef _WIN32  // nohup and env; Windows' Ctrl+C started ignored: windows_test.cpp
// A closing signal the program was started with ignored stays ignored, as
// whoever started it asked: under nohup SIGHUP does not stop a simulation,
// nor does SIGINT one that a non-interactive shell runs in the background.
TEST(Simulation, ASignalItWasStartedIgnoringDoesNotStopIt) {
    const std::string temp = MakeTempFolder();
    const std::pair<std::vector<std::string>, int> runs[] = {
        {{"/usr/bin/nohup", Game}, SIGHUP},
        {{"/usr/bin/env", "--ignore-signal=INT", Game}, SIGINT},
    };
    for (auto [argv, signal] : runs) {
        argv.insert(argv.end(), {"--simulate", "200"});
        RunResult r = ::Run(argv, {"TMPDIR=" + temp, "VANTARO_TRACE=1"}, 120, "stylus down", signal);
        EXPECT_EQ(r.status, 0) << argv[0] << ": " << r.err.substr(r.err.size() - std::min<size_t>(r.err.size(), 300));
        EXPECT_EQ(r.out.rfind("200 games, strategy collect", 0), 0u) << argv[0] << ": " << r.out;
        EXPECT_TRUE(ListFolder(temp).empty());
    }
}
#endif

}  // namespace

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "CliTestSupport.hpp"

namespace umbrascope::cli {
namespace {

// Every command words its errors alike and echoes what it was given escaped; a usage error
// prints nothing else and touches no file.
TEST(Commands, UsageErrorsExitTwoWithOneEscapedLine) {
    TempFolder folder;
    const std::string good = folder.write("good.ump", "10FA0000\n");
    const std::string bad = folder.write("demo.ump", "10FA0000\n\nXYZ\n");
    const std::string link = (std::filesystem::path(good).parent_path() / "out.csv").string();
    std::filesystem::create_symlink("/dev/null", link);
    const struct {
        std::vector<std::string> args;
        std::string err; // after "umbrascope-cli COMMAND: "
        int status = 2;
    } rows[] = {
        {{"translate", "--fast"}, "unknown option '--fast' (see umbrascope-cli translate --help)"},
        {{"decode", "--yaml", "--help"}, "", 0}, // help wins over an unknown option
        {{"translate", "--protocol", "3", "90"}, "--protocol expects 1 or 2, found '3'"},
        {{"translate", "90", "3G"}, "expected hex bytes such as 90 or 903C64, found '3G'"},
        {{"translate", "903"}, "expected hex bytes such as 90 or 903C64, found '903'"},
        {{"decode", "40903C00", "XYZ"}, "expected a word of 1 to 8 hex digits, found 'XYZ'"},
        {{"decode", "--json"}, "expected at least one word (see umbrascope-cli decode --help)"},
        {{"decode", "--stdin", "0"},
         "expected words either as arguments or with --stdin, not both"},
        {{"say"}, "expected a text to say (see umbrascope-cli say --help)"},
        {{"say", "hello", "--rate", "1.5"}, "--rate expects a number from 0 to 1, found '1.5'"},
        {{"say", "hello", "--speech", "none", "--voice", "\xEF\xBB\xBFnobody\x1b[2J"},
         "no voice '\\uFEFFnobody\\x1B[2J' in none (see umbrascope-cli voices)"},
        {{"say", "hello", "--speech", "fest\u202Eival"},
         "--speech expects speechd, espeak or none, found 'fest\\u202Eival'"},
        {{"replay", "--no-clock"},
         "expected at least one capture file (see umbrascope-cli replay --help)"},
        {{"replay", good, bad}, bad + ":3: expected 1 to 64 hex words of 8 digits, found 'XYZ'"},
        {{"replay", good, "--hide-type", "MIDI1"},
         "--hide-type expects one of utility, system, midi1ChannelVoice, data64, "
         "midi2ChannelVoice, data128, flexData, umpStream, unknown, found 'MIDI1'"},
        {{"replay", good, "--max-messages", "0500"},
         "--max-messages expects 500, 1000 or 5000, found '0500'"},
        {{"replay", good, "--announce", "loud"},
         "--announce expects off, short or verbose, found 'loud'"},
        {{"replay", good, "--ticks=1"}, "option '--ticks' takes no value"},
        {{"replay", good, "--csv", "a.csv", "--csv=b.csv"}, "option '--csv' given more than once"},
        {{"replay", good, bad, "--csv", bad},
         "--csv names the capture file '" + bad + "'; choose another file"},
        {{"replay", good, bad, "--speech-log", bad},
         "--speech-log names the capture file '" + bad + "'; choose another file"},
        // Checked before any capture is read, so a long paced replay never ends in a refusal.
        {{"replay", good + ".missing", "--csv", link},
         "cannot replace " + link + ": not a regular file",
         1},
        {{"replay", good, "--keys", "T@0 x@1"},
         "--keys: 'x@1' (column 5): expected a key (one of "
         "12345678uUlLsScCtTkKiIrRdDeEpP[]-=+gGmM, Up or Down), found 'x'"},
        {{"replay", good, "--keys", "T@0  m"},
         "--keys: 'm' (column 7): expected '@' and a packet number after 'm'"},
        {{"replay", good, "--keys", "T@1\x1b[2J"},
         "--keys: 'T@1\\x1B[2J' (column 4): expected a blank or the end after the packet "
         "number"},
    };
    for (const auto& row : rows) {
        const auto result = run(row.args);
        EXPECT_EQ(result.status, row.status) << row.err;
        EXPECT_EQ(result.out.empty(), row.status != 0) << row.err; // help is all a 0 prints
        std::string err = result.err;
        if (err.starts_with("Speech: ")) err.erase(0, err.find('\n') + 1); // the backend picked
        EXPECT_EQ(err,
                  row.status == 0 ? "" : "umbrascope-cli " + row.args[0] + ": " + row.err + "\n");
    }
    EXPECT_EQ(readFile(bad), "10FA0000\n\nXYZ\n");
}

// The message lines alone, without the breakdown lines (indented) and members of JSON.
std::string withoutBreakdown(const std::string& out) {
    std::istringstream lines(out);
    std::string kept, line;
    while (std::getline(lines, line)) {
        const bool spoken = line.starts_with("  short: ") || line.starts_with("  verbose: ");
        if (line.starts_with(" ") && !spoken) continue;
        if (const auto rows = line.find(",\"rows\":["); rows != std::string::npos)
            line = line.substr(0, rows) + "}";
        kept += line + "\n";
    }
    return kept;
}

// Decode prints each line of standard input as it is read: the line before a bad line or a
// failed read stays printed.
TEST(Commands, PrintOneLineAPacket) {
    TempFolder folder;
    const std::string start = "10FA0000  System Real-Time / Common  Start \u2014 Grp 1\n"
                              "  short: Start\n"
                              "  verbose: Start\n";
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string out;
        std::string err = "";
        int status = 0;
        std::string input = "";
        int readError = 0;
    } rows[] = {
        {"translateForAMidi2PortByDefault", {"translate", "903C64"}, "40903C00 C9240000\n"},
        {"translateForAMidi1Port",
         {"translate", "--protocol", "1", "0x90", "3c64", "F8"},
         "20903C64\n10F80000\n"},
        {"decodeSplitsARunLikeTheReceivePathEachPacketWithoutRunningStatus",
         {"decode", "0x20903c64", "40903C00", "FFFF0000"},
         "20903C64  MIDI 1.0 Channel Voice  Note On: C4 (60), velocity 100 (78.74%) \u2014 "
         "Ch 1, Grp 1\n"
         "  short: Note On C4\n"
         "  verbose: Note On C4 Velocity 78.74 Percent Channel 1\n"
         "40903C00  FFFF0000  MIDI 2.0 Channel Voice  Note On: C4 (60), velocity 65535 "
         "(100.00%) \u2014 Ch 1, Grp 1\n"
         "  short: Note On C4\n"
         "  verbose: Note On C4 Velocity 100.00 Percent Channel 1\n"},
        {"decodeJsonNumbersTheLinesOfStandardInput",
         {"decode", "--json", "--stdin"},
         "{\"line\":1,\"words\":[\"10F80000\"],\"type\":\"system\",\"displayName\":"
         "\"System Real-Time / Common\",\"hex\":\"10F80000\",\"description\":\"Timing "
         "Clock \u2014 Grp 1\",\"short\":null,\"verbose\":null}\n"
         "{\"line\":1,\"words\":[\"10FA0000\"],\"type\":\"system\",\"displayName\":"
         "\"System Real-Time / Common\",\"hex\":\"10FA0000\",\"description\":\"Start "
         "\u2014 Grp 1\",\"short\":\"Start\",\"verbose\":\"Start\"}\n"
         "{\"line\":3,\"words\":[\"F0200000\",\"00000000\",\"00000000\",\"00000000\"],"
         "\"type\":\"umpStream\",\"displayName\":\"UMP Stream\",\"hex\":\"F0200000  "
         "00000000  00000000  00000000\",\"description\":\"Start of Clip\",\"short\":\"U. M. "
         "Pea Stream\",\"verbose\":\"Start of Clip\"}\n",
         "",
         0,
         "10F80000 10FA0000\r\n\n  F0200000 0 0 0\n"},
        {"decodeStopsAtABadLine",
         {"decode", "--stdin"},
         start,
         "umbrascope-cli decode: line 3: expected a word of 1 to 8 hex digits, found 'x\\x1B'\n",
         2,
         "10FA0000\n\n1 2 x\x1b\n10FA0000\n"},
        {"decodeStopsAtALongLine",
         {"decode", "--stdin"},
         start,
         "umbrascope-cli decode: line 2: expected a line of at most 65536 bytes\n",
         2,
         "10FA0000\n" + std::string(70'000, '0') + "\n"},
        {"decodeStopsWhenReadingFails",
         {"decode", "--stdin"},
         start,
         "umbrascope-cli decode: cannot read standard input: Input/output error\n",
         1,
         "10FA0000\n",
         EIO},
        {"unknownCommandEscaped",
         {"\x1b]0;pwned\x07"},
         "",
         "umbrascope-cli: unknown command '\\x1B]0;pwned\\x07' (see umbrascope-cli --help)\n",
         2},
        {"replayColumnsWithTheSourceNameEscaped",
         {"replay", folder.write("x.ump", "@source Evil\x1b]0;owned\x07\\n\n40903C00 FFFF0000\n")},
         "0\tEvil\\x1B]0;owned\\x07\\n\t40903C00  FFFF0000\tMIDI 2.0 Channel Voice\tNote On: C4 "
         "(60), velocity 65535 (100.00%) \u2014 Ch 1, Grp 1\n"},
    };
    for (const auto& row : rows) {
        const auto result = run(row.args, row.input, row.readError);
        EXPECT_EQ(result.status, row.status) << row.name;
        EXPECT_EQ(withoutBreakdown(result.out), row.out) << row.name;
        EXPECT_EQ(result.err, row.err) << row.name;
    }
}

// The breakdown's texts are checked where they are made; here their layout.
TEST(Commands, DecodeBreakdownRowsFollowTheSpokenTextsSubRowsIndented) {
    const std::string out =
        run({"decode", "40903C20", "00001800", "D0100101", "1B5B324A", "0", "0"}).out;
    for (const char* part :
         {"  verbose: Note Off C4 Velocity 0.00 Percent Channel 1\n"
          "    4          4 bits  Message Type = 4, MIDI 2.0 Channel Voice Message\n",
          "\n    1800      16 bits  Attribute Data with subfields:\n"
          "                   4 bits  Gesture = 1 Normal Strike\n"
          "                  12 bits  Distance from Center = 50.01% (2048 of 4095)\n",
          "  96 bits  Text (Project Name) = \"\\x1B[2J\"\n"})
        EXPECT_NE(out.find(part), std::string::npos) << part << "\nin\n" << out;
    EXPECT_EQ(out.find('\x1b'), std::string::npos);
    const std::string json = run({"decode", "--json", "40903C20", "00001800"}).out;
    EXPECT_NE(
        json.find(R"("label":"Attribute Data with subfields:","subRows":[{"hex":"","bits":4,)"
                  R"("label":"Gesture = 1 Normal Strike","subRows":[]},{"hex":"","bits":12,)"),
        std::string::npos)
        << json;
    EXPECT_EQ(json.find('\n'), json.size() - 1);
}

TEST(Commands, SourcesWithoutASequencerFailsNamingTheCauseAndTheFix) {
    if (std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "a sequencer device is present";
    const auto result = run({"sources"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "umbrascope-cli sources: the ALSA sequencer could not be opened: No such "
                          "file or directory; is the snd-seq module loaded?\n");
}

} // namespace
} // namespace umbrascope::cli

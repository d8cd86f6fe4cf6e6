#include <gtest/gtest.h>

#include <string>

#include "fakes.h"
#include "panel/control_ids.h"
#include "panel/panel_state.h"
#include "panel/settings_save.h"
#include "settings/settings_file.h"

namespace kelt {
namespace {

using Field = std::string PanelState::*;

constexpr std::string_view kExampleFile =
    "'**************************************************\r\n"
    "'** Quillion Maritime Corp.                      **\r\n"
    "'** KELT_9R.scp file Version 1.0                 **\r\n"
    "'**************************************************\r\n"
    "Commport = 15\r\n"
    "Auto_freq =  1 ,            50.0\r\n"
    "Auto_width =  1 ,           100\r\n"
    "Fish_Echo =  0 , 1 , 0\r\n"
    "Fish_Depth = 15.0\r\n"
    "Fish_Reply_Level = 50.0\r\n"
    "Bottom_Depth = 30\r\n"
    "Bottom_Reply_Level = 50.0\r\n"
    "Depth_Units = cf\r\n"
    "LastFileLoaded  = \r\n"
    "LastFileSaved  = KELT_9R.ini\r\n";

// The value a field holds after reading `text` into the factory settings.
std::string Stored(std::string_view text, Field field) {
    PanelState state;
    SetDefaultSettings(state);
    ReadSettingsText(state, text);
    return state.*field;
}

// The line of a written file that starts with `key`, without its CR LF.
std::string LineOf(const std::string& file, std::string_view key) {
    const std::size_t at = file.find("\r\n" + std::string(key)) + 2;
    return file.substr(at, file.find("\r\n", at) - at);
}

TEST(SettingsDefaults, FactorySetWrittenAsTheSettingsFileOfAFirstRun) {
    PanelState state;
    state.autoFreqChecked = 1;
    state.autoWidthChecked = 1;
    state.commPortText = "4";
    state.lastFileLoaded = "old.scp";
    SetDefaultSettings(state);
    std::string expected(kExampleFile);
    expected.erase(expected.find("50.0\r\n"), 4);
    expected.erase(expected.find("100\r\n"), 3);
    expected.erase(expected.find("KELT_9R.ini"), 11);
    EXPECT_EQ(SettingsFileText(state), expected);
    EXPECT_EQ(state.autoFreqFlagText + state.autoWidthFlagText + state.fishEchoFlagText, "110");
    EXPECT_EQ(state.autoFreqChecked, 1) << "check states are the upload's business";
}

TEST(SettingsWriter, SavesWhatThePanelShowsByteForByte) {
    PanelState state;
    SetDefaultSettings(state);
    state.fishEchoFlagText = "1";
    test::RecordingView panel;
    panel.checks = {{id::AutoFreqCheck, true}, {id::AutoWidthCheck, true}, {id::FishEchoCheck, false}};
    panel.texts = {{id::FreqSetEdit, "50.0"}, {id::WidthSetEdit, "100"},      {id::OnPulsesEdit, "1"},
                   {id::OffPulsesEdit, "0"},  {id::FishDepthEdit, "15.0"},    {id::FishLevelEdit, "50.0"},
                   {id::BottomDepthEdit, "30"}, {id::BottomLevelEdit, "50.0"}};
    EXPECT_EQ(SettingsFileToSave(state, panel, kSettingsFileName), kExampleFile);
    EXPECT_EQ(state.lastFileSaved, "KELT_9R.ini");
    EXPECT_EQ(state.fishEchoFlagText, "1") << "flag texts are not refreshed";
}

// The check value is " 0" or " 1", so both lines reach column 28: 11 blanks
// after "Auto_freq =  1 , " (17 characters), 10 after the width's 18.
TEST(SettingsWriter, CheckedValueStartsInTheNextFourteenColumnZone) {
    PanelState state;
    SetDefaultSettings(state);
    state.freqText = " 38.5";
    state.widthText = "250";
    state.autoFreqChecked = true;
    state.autoWidthChecked = false;
    const std::string file = SettingsFileText(state);
    EXPECT_EQ(LineOf(file, "Auto_freq"), "Auto_freq =  1 , " + std::string(11, ' ') + " 38.5");
    EXPECT_EQ(LineOf(file, "Auto_width"), "Auto_width =  0 , " + std::string(10, ' ') + "250");
    EXPECT_EQ(LineOf(file, "Auto_freq").find("38.5"), 29u);
    EXPECT_EQ(LineOf(file, "Auto_width").find("250"), 28u);
}

TEST(SettingsReader, WrittenFileRestoresEveryTextField) {
    PanelState saved;
    SetDefaultSettings(saved);
    saved.autoFreqChecked = true;
    saved.fishEchoChecked = true;
    saved.commPortText = "7";
    saved.freqText = "38.5";
    saved.widthText = "250";
    saved.onPulsesText = "3";
    saved.offPulsesText = "12";
    saved.fishDepthText = "12.3";
    saved.fishReplyLevelText = "1.045";
    saved.bottomDepthText = "120.5";
    saved.bottomReplyLevelText = ".007";
    saved.depthUnitsCode = "cm";
    saved.lastFileLoaded = "C:\\scripts\\deep water, v2.scp";
    saved.lastFileSaved = "KELT_9R.ini";

    PanelState read;
    SetDefaultSettings(read);
    ReadSettingsText(read, SettingsFileText(saved));
    EXPECT_EQ(read.autoFreqFlagText + read.autoWidthFlagText + read.fishEchoFlagText, "101");
    for (Field f : {&PanelState::commPortText, &PanelState::freqText, &PanelState::widthText,
                    &PanelState::onPulsesText, &PanelState::offPulsesText, &PanelState::fishDepthText,
                    &PanelState::fishReplyLevelText, &PanelState::bottomDepthText,
                    &PanelState::bottomReplyLevelText, &PanelState::depthUnitsCode,
                    &PanelState::lastFileLoaded, &PanelState::lastFileSaved})
        EXPECT_EQ(read.*f, saved.*f);
}

TEST(SettingsReader, LinesEndAtCrAndDataEndsAtCtrlZ) {
    EXPECT_EQ(Stored("Bottom_Depth = 40\rCommport = 3", &PanelState::bottomDepthText), "40");
    EXPECT_EQ(Stored("Commport = 4\r\r\n3 Commport\r\n", &PanelState::commPortText), "3 Commport");
    // LF alone does not end a line: Commport, tried first, takes the rest.
    EXPECT_EQ(Stored("Bottom_Depth = 40\nCommport = 3\n", &PanelState::bottomDepthText), "30");
    EXPECT_EQ(Stored("Commport = 3\n", &PanelState::commPortText), "3\n");
    EXPECT_EQ(Stored("Commport = 3\r\n\x1A\r\nBottom_Depth = 40\r\n", &PanelState::bottomDepthText), "30");
    EXPECT_EQ(Stored("Commport = 3\x1A" "4\r\n", &PanelState::commPortText), "3");
}

TEST(SettingsReader, KeysAndUnitCodesAreCaseSensitiveAndFoundAnywhere) {
    EXPECT_EQ(Stored("commport = 3\r\n", &PanelState::commPortText), "15");
    EXPECT_EQ(Stored("Depth_Units = CF\r\n", &PanelState::depthUnitsCode), "cf");
    EXPECT_EQ(Stored("Depth_Units = cF\r\n", &PanelState::depthUnitsCode), "cF");
    EXPECT_EQ(Stored("'Fish_Depth = 20\r\n", &PanelState::fishDepthText), "20");
}

TEST(SettingsReader, PortAndFrequencyBoundsAreExclusiveBelow) {
    EXPECT_EQ(Stored("Commport = 16", &PanelState::commPortText), "15");
    EXPECT_EQ(Stored("Commport = 0", &PanelState::commPortText), "15");
    EXPECT_EQ(Stored("Commport = 3.5", &PanelState::commPortText), "3.5");
    // 0.2 kHz is the single-precision 0.2, a hair above the decimal one.
    EXPECT_EQ(Stored("Auto_freq = 1 , 0.2", &PanelState::freqText), "");
    EXPECT_EQ(Stored("Auto_freq = 1 , 0.2000000001", &PanelState::freqText), "");
    EXPECT_EQ(Stored("Auto_freq = 1 , 0.21", &PanelState::freqText), "0.21");
    EXPECT_EQ(Stored("Auto_freq = 1 , 1000", &PanelState::freqText), "1000");
    EXPECT_EQ(Stored("Auto_freq = 1 , 1000.01", &PanelState::freqText), "");
}

TEST(SettingsReader, OtherBoundsAreInclusive) {
    EXPECT_EQ(Stored("Auto_width = 1 , 9.99", &PanelState::widthText), "");
    EXPECT_EQ(Stored("Auto_width = 1 , 10000", &PanelState::widthText), "10000");
    EXPECT_EQ(Stored("Fish_Echo = 1 , 50 , -1", &PanelState::onPulsesText), "50");
    EXPECT_EQ(Stored("Fish_Echo = 1 , 50 , -1", &PanelState::offPulsesText), "0");
    EXPECT_EQ(Stored("Fish_Depth = 0.5", &PanelState::fishDepthText), "0.5");
    EXPECT_EQ(Stored("Bottom_Depth = 500.1", &PanelState::bottomDepthText), "30");
    // The lowest level is the single-precision 0.006, a hair above 0.006.
    EXPECT_EQ(Stored("Fish_Reply_Level = 0.006", &PanelState::fishReplyLevelText), "50.0");
    EXPECT_EQ(Stored("Fish_Reply_Level = .007", &PanelState::fishReplyLevelText), ".007");
    EXPECT_EQ(Stored("Bottom_Reply_Level = 50.001", &PanelState::bottomReplyLevelText), "50.0");
}

TEST(SettingsReader, FlagsMustBeExactlyZeroOrOneEachValueOnItsOwn) {
    EXPECT_EQ(Stored("Auto_width =  0.0 , 20", &PanelState::autoWidthFlagText), "1");
    EXPECT_EQ(Stored("Auto_width =  0.0 , 20", &PanelState::widthText), "20");
    EXPECT_EQ(Stored("Fish_Echo = \"0\" , 4", &PanelState::fishEchoFlagText), "0");
    EXPECT_EQ(Stored("Auto_freq = 0 , 0.2", &PanelState::autoFreqFlagText), "0");
}

TEST(SettingsReader, QuotedValuesMayHoldCommas) {
    EXPECT_EQ(Stored("Fish_Echo = 1 , \"2,5\" , 3", &PanelState::onPulsesText), "2,5");
    EXPECT_EQ(Stored("Fish_Echo = 1 , \"2,5\" , 3", &PanelState::offPulsesText), "3");
    EXPECT_EQ(Stored("Bottom_Depth = 12,5", &PanelState::bottomDepthText), "12");
    EXPECT_EQ(Stored("LastFileSaved = \"a,b\" , c ", &PanelState::lastFileSaved), "\"a,b\" , c");
}

TEST(SettingsReader, BlanksTrimmedFromFishEchoOnTabsKept) {
    EXPECT_EQ(Stored("LastFileSaved =   a b   ", &PanelState::lastFileSaved), "a b");
    EXPECT_EQ(Stored("LastFileSaved =\ta\t", &PanelState::lastFileSaved), "\ta\t");
    // Seen only through a quote that is never closed: the port's value and
    // the two automatic settings keep their trailing blanks.
    EXPECT_EQ(Stored("Commport = \"3  ", &PanelState::commPortText), "3  ");
    EXPECT_EQ(Stored("Fish_Depth = \"3  ", &PanelState::fishDepthText), "3");
}

TEST(SettingsReader, LaterKeysAreSoughtOnlyInTheValue) {
    // A folder named like a key tried before LastFileLoaded takes the value
    // (and refuses it); LastFileLoaded is then no longer in what is left.
    PanelState state;
    SetDefaultSettings(state);
    ReadSettingsFile(state, "a.scp", "LastFileLoaded  = C:\\Fish_Depth\\b.scp\r\n");
    EXPECT_EQ(state.fishDepthText, "15.0");
    EXPECT_EQ(state.lastFileLoaded, "a.scp");
    EXPECT_EQ(Stored("LastFileSaved  = 20 Fish_Depth", &PanelState::fishDepthText), "20 Fish_Depth");
    EXPECT_EQ(Stored("Bottom_Depth = 40 Fish_Depth", &PanelState::bottomDepthText), "30");
    // Only the text after the first "=" is kept.
    EXPECT_EQ(Stored("Fish_Depth = 20 = Bottom_Depth = 40", &PanelState::bottomDepthText), "30");
    EXPECT_EQ(Stored("Fish_Depth = Bottom_Depth = 40", &PanelState::bottomDepthText), "40");
}

TEST(SettingsReader, KeyLineWithoutEqualsIsItsOwnValue) {
    EXPECT_EQ(Stored("Fish_Depth 25", &PanelState::fishDepthText), "15.0");
    EXPECT_EQ(Stored("  25 Fish_Depth  ", &PanelState::fishDepthText), "25 Fish_Depth");
    EXPECT_EQ(Stored("  LastFileSaved  ", &PanelState::lastFileSaved), "LastFileSaved");
    EXPECT_EQ(Stored("12 Fish_Depth Bottom_Depth", &PanelState::bottomDepthText), "12 Fish_Depth Bottom_Depth");
}

TEST(SettingsReader, ReadsIntoTheFieldsAsTheyStand) {
    PanelState state;
    SetDefaultSettings(state);
    state.commPortText = "7";
    ReadSettingsFile(state, "b.scp", "Bottom_Depth = 40\r\nLastFileLoaded  = a.scp\r\n");
    EXPECT_EQ(state.commPortText, "7") << "a missing key leaves the field as it was";
    EXPECT_EQ(state.bottomDepthText, "40");
    EXPECT_EQ(state.lastFileLoaded, "a.scp") << "the file's own line replaces its name";
    ReadSettingsFile(state, "locked.scp", std::nullopt);
    EXPECT_EQ(state.lastFileLoaded, "locked.scp");
    EXPECT_EQ(state.bottomDepthText, "40");
}

TEST(SettingsFileName, WildcardsEmptyNamesAndBareDrivesNeverExist) {
    EXPECT_TRUE(IsPlainFileName("C:\\scripts\\deep water.scp"));
    EXPECT_FALSE(IsPlainFileName(""));
    EXPECT_FALSE(IsPlainFileName("*.scp"));
    EXPECT_FALSE(IsPlainFileName("KELT_9R.in?"));
    EXPECT_FALSE(IsPlainFileName("C:"));
}

}  // namespace
}  // namespace kelt

// settings_format_test.cpp — the settings text byte for byte, in memory: how hand-written lines are
// read, where writes land, how numbers and encodings read, what is written back; and, through the
// file, what a session writes and what it leaves alone.
#include "settings_test_util.h"

#include "formats/settings_text.h"

namespace {

// The text a session leaves after selecting group and writing key = value.
std::string AfterWriting(const std::string& bytes, const std::string& group, const std::string& key,
                         const std::string& value) {
    SettingsText text = ParseSettingsText(bytes);
    SelectTextGroup(text, group);
    WriteTextSetting(text, key, value);
    return FormatSettingsText(text);
}

// The text value of group's key in bytes, "(absent)" when there is none.
std::string ValueIn(const std::string& bytes, const std::string& group, const std::string& key) {
    SettingsText text = ParseSettingsText(bytes);
    SelectTextGroup(text, group);
    return ReadTextSetting(text, key, "(absent)");
}

}  // namespace

// [SECTION] Where writes land

TEST(SettingsText, HandWrittenLineIsReadIgnoringCaseAndReplacedInPlace) {
    SettingsText text = ParseSettingsText("[screen]\nscreenw=1024\nScreenH = 768\n");
    EXPECT_TRUE(SelectTextGroup(text, "Screen"));
    EXPECT_EQ(ReadTextNumber(text, "ScreenW", 800), 1024);
    EXPECT_FALSE(text.Modified) << "reading changes nothing";
    WriteTextSetting(text, "ScreenW", "1280");
    EXPECT_TRUE(text.Modified);
    EXPECT_EQ(ReadTextNumber(text, "screenW", 800), 1280);
    EXPECT_EQ(FormatSettingsText(text), Mark + "[screen]\r\nScreenW = 1280\r\nScreenH = 768\r\n");
}

TEST(SettingsText, NewKeyGoesToTheEndOfItsGroupAndPendingGroupToTheEndOfTheFile) {
    SettingsText text =
        ParseSettingsText(Mark + "[Screen]\r\nScreenW = 800\r\n; sizes end here\r\n[Controls]\r\nJump = Alt\r\n");
    SelectTextGroup(text, "Screen");
    WriteTextSetting(text, "ScreenH", "600");
    EXPECT_FALSE(SelectTextGroup(text, "Settings"));
    EXPECT_EQ(ReadTextSetting(text, "settings.page", "Main"), "Main");
    WriteTextSetting(text, "settings.page", "GraphicRes");
    WriteTextSetting(text, "settings.language", "English");
    EXPECT_TRUE(SelectTextGroup(text, "Settings"));
    EXPECT_EQ(FormatSettingsText(text), Mark +
              "[Screen]\r\nScreenW = 800\r\n; sizes end here\r\nScreenH = 600\r\n"
              "[Controls]\r\nJump = Alt\r\n"
              "[Settings]\r\nsettings.page = GraphicRes\r\nsettings.language = English\r\n");
}

TEST(SettingsText, FirstOfDuplicateKeysCountsAndIsTheOneReplaced) {
    SettingsText text = ParseSettingsText("[Controls]\nJump = Space\njump = X\n[Controls]\nJump = Y\n");
    SelectTextGroup(text, "CONTROLS");
    EXPECT_EQ(ReadTextSetting(text, "Jump", "Alt"), "Space");
    WriteTextSetting(text, "JUMP", "Alt");
    EXPECT_EQ(FormatSettingsText(text), Mark + "[Controls]\r\nJUMP = Alt\r\njump = X\r\n[Controls]\r\nJump = Y\r\n");
}

TEST(SettingsText, SettingsBeforeAnyGroupAreNeitherReadNorWritten) {
    SettingsText text = ParseSettingsText("Forward = Up\n[Controls]\n");
    EXPECT_EQ(ReadTextSetting(text, "Forward", "W"), "W");
    WriteTextSetting(text, "Forward", "X");   // no group selected: nowhere to write
    EXPECT_FALSE(text.Modified);
    EXPECT_TRUE(SelectTextGroup(text, "Controls"));
    EXPECT_EQ(ReadTextSetting(text, "Forward", "W"), "W");
}

TEST(SettingsText, CaseIsIgnoredForLettersAToZOnly) {
    SettingsText text = ParseSettingsText("[Sprache]\nT\xC3\x84ST = 1\n");
    EXPECT_TRUE(SelectTextGroup(text, "sprache"));
    EXPECT_EQ(ReadTextNumber(text, "t\xC3\x84st", 9), 1);
    EXPECT_EQ(ReadTextNumber(text, "T\xC3\xA4ST", 9), 9) << "\xC3\x84 and \xC3\xA4 are different keys";
    EXPECT_FALSE(SelectTextGroup(text, "Sprache "));
}

TEST(SettingsText, ValueWithLineBreaksStaysOnItsLine) {
    const std::string written = AfterWriting("", "Application", "Path", "/home/a\r\nb/\n[Evil]\rx");
    EXPECT_EQ(written, "[Application]\r\nPath = /home/a  b/ [Evil] x\r\n");
    SettingsText text = ParseSettingsText(written);
    EXPECT_FALSE(SelectTextGroup(text, "Evil"));
}

// [SECTION] Reading hand-written lines

TEST(SettingsText, LineFormsCommentsBlankLinesAndIndentationOnRewrite) {
    SettingsText text = ParseSettingsText("\r\n\r\n;note\n;  two\n;\tTab\n  [Screen] trailing\n\t ScreenW\t= 800 \n"
                                          "[Controls\nJump\n[ spaced ]\nA=\n");
    EXPECT_TRUE(SelectTextGroup(text, "Screen"));
    EXPECT_EQ(ReadTextSetting(text, "ScreenW", ""), "800");
    EXPECT_TRUE(SelectTextGroup(text, "Controls")) << "a header without ']' runs to the line's end";
    EXPECT_EQ(ReadTextSetting(text, "Jump", "Alt"), "") << "a key without '=' is an empty value";
    EXPECT_TRUE(SelectTextGroup(text, " spaced "));
    EXPECT_EQ(ReadTextSetting(text, "A", "x"), "");
    EXPECT_FALSE(SelectTextGroup(text, "spaced"));
    EXPECT_EQ(ReadTextSetting(text, "A", "x"), "x") << "an unknown group leaves no current group";
    SelectTextGroup(text, "Screen");
    WriteTextSetting(text, "ScreenH", "600");
    EXPECT_EQ(FormatSettingsText(text), Mark +
              "; note\r\n;  two\r\n; \tTab\r\n[Screen]\r\nScreenW = 800 \r\nScreenH = 600\r\n"
              "[Controls]\r\nJump = \r\n[ spaced ]\r\nA = \r\n");
}

TEST(SettingsText, TextValuesLoseSurroundingBlanks) {
    const std::string bytes = "[Settings]\nsettings.font =  \t Times New Roman \t \nsettings.page=\n";
    EXPECT_EQ(ValueIn(bytes, "Settings", "settings.font"), "Times New Roman");
    EXPECT_EQ(ValueIn(bytes, "Settings", "settings.page"), "");
}

TEST(SettingsText, NumbersReadAsDecimalPrefixesAndClampAt32Bits) {
    SettingsText text = ParseSettingsText(
        "[Screen]\n"
        "empty =\nsuffix = 1024abc\nblanks =   -12 \nplus = +7\nminus = -\nword = abc\n"
        "spaced = - 5\nhuge = 99999999999999999999\nneghuge = -99999999999999999999\n"
        "max = 2147483647\nmin = -2147483648\nover = 2147483648\nfloat = 85.5\nhex = 0x20\n");
    SelectTextGroup(text, "Screen");
    EXPECT_EQ(ReadTextNumber(text, "empty", 800), 0) << "an empty value is 0, not the default";
    const std::pair<const char*, int32_t> cases[] = {
        {"suffix", 1024},       {"blanks", -12},        {"plus", 7},          {"minus", 0},
        {"word", 0},            {"spaced", 0},          {"huge", INT32_MAX},  {"neghuge", INT32_MIN},
        {"max", INT32_MAX},     {"min", INT32_MIN},     {"over", INT32_MAX},  {"float", 85},
        {"hex", 0},             {"absent", 800}};
    for (const auto& [key, value] : cases) EXPECT_EQ(ReadTextNumber(text, key, 800), value) << key;
}

// [SECTION] Encodings and the mark

TEST(SettingsText, Latin1FileReadsUmlautAndIsWrittenBackAsUtf8WithMark) {
    const std::string latin1 = "[Settings]\nsettings.language = Fr\xE4nkisch\n; gr\xFC\xDF" "e\n";
    EXPECT_EQ(ValueIn(latin1, "Settings", "settings.language"), "Fr\xC3\xA4nkisch");
    EXPECT_EQ(AfterWriting(latin1, "Settings", "settings.fps", "1"),
              Mark + "[Settings]\r\nsettings.language = Fr\xC3\xA4nkisch\r\n; gr\xC3\xBC\xC3\x9F" "e\r\n"
                     "settings.fps = 1\r\n");
}

TEST(SettingsText, Utf8FileWithoutMarkIsNotDoubleEncoded) {
    const std::string font = "Gr\xC3\xBCn \xE2\x82\xAC \xF0\x9F\x8E\xAE";
    EXPECT_EQ(AfterWriting("[Settings]\nsettings.font = " + font + "\n", "Settings", "settings.fps", "1"),
              Mark + "[Settings]\r\nsettings.font = " + font + "\r\nsettings.fps = 1\r\n");
}

TEST(SettingsText, NearlyUtf8IsLatin1) {
    // Overlong "/" (C0 AF), a surrogate (ED A0 80), a cut sequence and a code
    // point above U+10FFFF are not UTF-8, so the whole file is Latin-1.
    const std::pair<const char*, const char*> cases[] = {{"\xC0\xAF", "\xC3\x80\xC2\xAF"},
                                                         {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
                                                         {"\xC3", "\xC3\x83"},
                                                         {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"}};
    for (const auto& [value, read] : cases) EXPECT_EQ(ValueIn("[G]\nx = " + std::string(value) + "\n", "G", "x"), read);
}

TEST(SettingsText, FileWithMarkKeepsItsBytesEvenWhenNotUtf8) {
    EXPECT_EQ(ValueIn(Mark + "[G]\r\nx = \xE4\r\n", "G", "x"), "\xE4");
    EXPECT_EQ(AfterWriting(Mark + "[G]\r\nx = \xE4\r\n", "G", "y", "1"), Mark + "[G]\r\nx = \xE4\r\ny = 1\r\n");
}

TEST(SettingsText, EmptyFileIsWrittenWithoutMarkUnlessItsContentIsNotUtf8) {
    const std::string once = AfterWriting("", "Settings", "settings.fps", "2");
    EXPECT_EQ(once, "[Settings]\r\nsettings.fps = 2\r\n");
    // Once it holds something, the next rewrite adds the mark.
    EXPECT_EQ(AfterWriting(once, "Settings", "settings.fps", "3"), Mark + "[Settings]\r\nsettings.fps = 3\r\n");
    // Without the mark these bytes would come back as Latin-1, changed.
    const std::string latin = AfterWriting("", "Application", "Path", "/srv/\xE4/");
    EXPECT_EQ(latin, Mark + "[Application]\r\nPath = /srv/\xE4/\r\n");
    EXPECT_EQ(ValueIn(latin, "Application", "Path"), "/srv/\xE4/");
}

// [SECTION] Through the file

TEST_F(SettingsTest, FirstStartCreatesExactlyMarkEmptyLineAndApplicationGroup) {
    EXPECT_FALSE(OpenSettingsFile(Cfg));
    EXPECT_FALSE(SelectGroup("Application"));
    WriteSettingText("Path", "/opt/veldrune/");
    WriteSettingText("File", "veldrune");
    SelectGroup("Screen");
    EXPECT_EQ(ReadSettingNumber("ScreenW", 800), 800);
    EXPECT_EQ(ReadSettingText("settings.font", "Papyrus"), "Papyrus");
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark + "[Application]\r\nPath = /opt/veldrune/\r\nFile = veldrune\r\n");
}

TEST_F(SettingsTest, NothingWrittenCreatesNoFileAndLeavesAFileByteForByte) {
    OpenSettingsFile(Cfg);
    SelectGroup("Controls");
    ReadSettingText("Forward", "W");
    CloseSettingsFile();
    EXPECT_FALSE(std::filesystem::exists(Cfg));

    // No mark, LF and CR line ends, blank lines, indentation, odd spacing:
    // reading every key must not normalise any of it.
    const std::string odd = "\n\n  [controls]\r  forward=Up  \n;x\n\n\tJump\r\r\nScrshot  =\tF12\n";
    Spit(Cfg, odd);
    struct stat before {};
    stat(Cfg.c_str(), &before);
    EXPECT_TRUE(OpenSettingsFile(Cfg));
    EXPECT_TRUE(SelectGroup("Controls"));
    EXPECT_EQ(ReadSettingText("Forward", "W"), "Up");
    EXPECT_EQ(ReadSettingText("Scrshot", ""), "F12");
    CloseSettingsFile();
    struct stat after {};
    stat(Cfg.c_str(), &after);
    EXPECT_EQ(Slurp(Cfg), odd);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an unmodified file must not be replaced";
}

TEST_F(SettingsTest, EmptyExistingFileIsWrittenWithoutMark) {
    Spit(Cfg, "");
    EXPECT_TRUE(OpenSettingsFile(Cfg));
    SelectGroup("Settings");
    WriteSettingNumber("settings.fps", -2);
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), "[Settings]\r\nsettings.fps = -2\r\n");
}

TEST_F(SettingsTest, BackslashesInThePathAreFolderSeparators) {
    std::filesystem::create_directory(Folder + "/Sub");
    Save(Folder + "\\Sub\\Veldrune.cfg", 1024);
    EXPECT_EQ(Slurp(Folder + "/Sub/Veldrune.cfg"), ScreenFile(1024));
}

TEST_F(SettingsTest, OpeningAgainClosesAndWritesTheOpenFile) {
    OpenSettingsFile(Cfg);
    SelectGroup("Settings");
    WriteSettingNumber("settings.debugger", 1);
    EXPECT_TRUE(OpenSettingsFile(Cfg));
    SelectGroup("Settings");
    EXPECT_EQ(ReadSettingNumber("settings.debugger", 0), 1);
    CloseSettingsFile();
    CloseSettingsFile();   // a second close does nothing
    // With no file open every operation is inert.
    EXPECT_FALSE(SelectGroup("Settings"));
    EXPECT_EQ(ReadSettingNumber("settings.debugger", 5), 5);
    WriteSettingNumber("settings.debugger", 7);
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark + "[Settings]\r\nsettings.debugger = 1\r\n");
}
